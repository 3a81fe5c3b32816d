#include "SortedKeys.h"

#include <algorithm>

bool SortedKeysCopier::Copy(StreamedDocument& doc, JsonEventWriter& writer) {
    const JsonReader& reader = doc.reader;
    const JsonEvent event = reader.Event();
    if (m_held.empty() && event != JsonEvent::BeginObject) {
        return CopyEvent(doc, writer);
    }
    Held held{event, false, 0, 0, 0};
    if (event == JsonEvent::Key || event == JsonEvent::String) {
        if (!TextIsUtf8(doc)) {
            return false;
        }
        held.at = m_text.size();
        held.size = reader.TextView().size();
        m_text += reader.TextView();
    } else if (event == JsonEvent::Number) {
        held.at = m_numbers.size();
        m_numbers.push_back(reader.GetNumber());
    } else if (event == JsonEvent::Bool) {
        held.flag = reader.GetBool();
    }
    const size_t index = m_held.size();
    m_held.push_back(std::move(held));
    if (event == JsonEvent::BeginArray || event == JsonEvent::BeginObject) {
        m_open.push_back(index);
        return true;
    }
    if (event == JsonEvent::EndArray || event == JsonEvent::EndObject) {
        m_held[m_open.back()].end = index;
        m_open.pop_back();
    }
    if (!m_open.empty()) {
        return true;
    }
    size_t at = 0;
    const bool ok = Write(at, doc, writer);
    m_held.clear();
    m_text.clear();
    m_numbers.clear();
    return ok;
}

bool SortedKeysCopier::Write(size_t& at, StreamedDocument& doc, JsonEventWriter& writer) {
    const Held& held = m_held[at++];
    switch (held.event) {
        case JsonEvent::BeginObject: {
            std::vector<size_t> keys;  // of the members, in document order
            for (size_t i = at; i < held.end; ++i) {
                keys.push_back(i++);
                i = m_held[i].event == JsonEvent::BeginArray ||
                            m_held[i].event == JsonEvent::BeginObject
                        ? m_held[i].end
                        : i;
            }
            // string_view compares bytes as unsigned char: UTF-8 in code point order.
            const auto key = [&](size_t i) {
                return std::string_view(m_text).substr(m_held[i].at, m_held[i].size);
            };
            std::stable_sort(keys.begin(), keys.end(),
                             [&](size_t a, size_t b) { return key(a) < key(b); });
            bool ok = writer.BeginObject();
            for (size_t i = 0; ok && i < keys.size(); ++i) {
                size_t value = keys[i] + 1;
                ok = writer.Key(Text(m_held[keys[i]])) && Write(value, doc, writer);
                doc.output.Spill();
            }
            at = held.end + 1;
            return ok && writer.EndObject();
        }
        case JsonEvent::BeginArray: {
            bool ok = writer.BeginArray();
            while (ok && at < held.end) {
                ok = Write(at, doc, writer);
                doc.output.Spill();
            }
            at = held.end + 1;
            return ok && writer.EndArray();
        }
        case JsonEvent::String:
            return writer.String(Text(held));
        case JsonEvent::Number:
            return WriteNumber(doc, writer, m_numbers[held.at]);
        case JsonEvent::Bool:
            return writer.Bool(held.flag);
        case JsonEvent::Null:
            return writer.Null();
        default:
            return false;  // a Key or End* is never where a value starts
    }
}
