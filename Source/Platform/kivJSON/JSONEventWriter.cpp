// The incremental writer. Commas, line breaks and indentation follow the rules
// of the tree walk (JSONWriter.cpp), whose escaper and number text it shares.
#include <kivJSON/JSONEventWriter.h>

#include <charconv>
#include <cmath>

namespace {

class EventWriteErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "kivJSON event writer"; }
    std::string message(int code) const override {
        switch (static_cast<JsonEventWriteError>(code)) {
            case JsonEventWriteError::KeyExpected:
                return "An object member must start with a key";
            case JsonEventWriteError::ValueExpected:
                return "A value is due, not a key or the end of an object";
            case JsonEventWriteError::UnexpectedEnd:
                return "No such container is open";
            case JsonEventWriteError::DocumentComplete:
                return "The document is already complete";
            case JsonEventWriteError::Incomplete:
                return "The document is incomplete";
        }
        return "Unknown JSON event writer error";
    }
};

constexpr size_t kStreamBlock = 64 * 1024;

}  // namespace

const std::error_category& JsonEventWriteErrorCategory() noexcept {
    static const EventWriteErrorCategory category;
    return category;
}

JsonEventWriter::JsonEventWriter(std::string& out, const JsonWriteOptions& options)
    : m_out(out), m_stream(nullptr), m_options(options) {}

JsonEventWriter::JsonEventWriter(std::ostream& out, const JsonWriteOptions& options)
    : m_out(m_buffer), m_stream(&out), m_options(options) {}

JsonEventWriter::~JsonEventWriter() {
    FlushBlock(true);
}

void JsonEventWriter::FlushBlock(bool all) {
    if (m_stream != nullptr && (all || m_buffer.size() >= kStreamBlock)) {
        m_stream->write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
        m_buffer.clear();
    }
}

bool JsonEventWriter::Fail(std::error_code error) {
    if (!m_error) {
        m_error = error;
    }
    return false;
}

void JsonEventWriter::NewLine(size_t depth) {
    m_out += '\n';
    m_out.append(depth * m_options.indent, ' ');
}

// The separator and line break before a value; false when no value is due.
bool JsonEventWriter::BeforeValue() {
    if (m_error) {
        return false;
    }
    if (m_open.empty()) {
        if (m_done) {
            return Fail(JsonEventWriteError::DocumentComplete);
        }
        m_done = true;
        return true;
    }
    Frame& top = m_open.back();
    if (top.object) {
        if (!m_keyWritten) {
            return Fail(JsonEventWriteError::KeyExpected);
        }
        m_keyWritten = false;
        return true;
    }
    if (top.children++ != 0) {
        m_out += ',';
    }
    if (m_options.indent != 0) {
        NewLine(m_open.size());
    }
    return true;
}

bool JsonEventWriter::BeginArray() {
    if (!BeforeValue()) {
        return false;
    }
    m_out += '[';
    m_open.push_back({0, false});
    return true;
}

bool JsonEventWriter::BeginObject() {
    if (!BeforeValue()) {
        return false;
    }
    m_out += '{';
    m_open.push_back({0, true});
    return true;
}

bool JsonEventWriter::Close(bool object) {
    if (m_error) {
        return false;
    }
    if (m_open.empty() || m_open.back().object != object) {
        return Fail(JsonEventWriteError::UnexpectedEnd);
    }
    if (m_keyWritten) {
        return Fail(JsonEventWriteError::ValueExpected);
    }
    const size_t children = m_open.back().children;
    m_open.pop_back();
    if (children != 0 && m_options.indent != 0) {
        NewLine(m_open.size());
    }
    m_out += object ? '}' : ']';
    FlushBlock(false);
    return true;
}

bool JsonEventWriter::EndArray() {
    return Close(false);
}

bool JsonEventWriter::EndObject() {
    return Close(true);
}

bool JsonEventWriter::Key(const std::string& key) {
    if (m_error) {
        return false;
    }
    if (m_open.empty() || !m_open.back().object) {
        return Fail(m_open.empty() && m_done ? JsonEventWriteError::DocumentComplete
                                             : JsonEventWriteError::ValueExpected);
    }
    if (m_keyWritten) {
        return Fail(JsonEventWriteError::ValueExpected);
    }
    Frame& top = m_open.back();
    if (top.children++ != 0) {
        m_out += ',';
    }
    if (m_options.indent != 0) {
        NewLine(m_open.size());
    }
    Quoted(key);
    m_out += m_options.indent != 0 ? ": " : ":";
    m_keyWritten = true;
    return true;
}

void JsonEventWriter::Quoted(const std::string& text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    m_out += '"';
    if (_Private::FindStringSpecial(begin, end) == end) {
        m_out.append(begin, end);
    } else {
        _Private::Sink<char> sink(m_out);
        _Private::AppendEscapedChars(sink, begin, end);
    }
    m_out += '"';
}

bool JsonEventWriter::String(const std::string& text) {
    if (!BeforeValue()) {
        return false;
    }
    Quoted(text);
    FlushBlock(false);
    return true;
}

bool JsonEventWriter::Number(const JsonNumber& number) {
    if (m_error) {
        return false;
    }
    char text[32];
    const char* end = text;
    if (number.m_kind == JsonNumber::Int64) {
        end = std::to_chars(text, text + 24, static_cast<long>(number.m_value)).ptr;
    } else if (number.m_kind == JsonNumber::Uint64) {
        end = std::to_chars(text, text + 24, static_cast<unsigned long>(number.m_value)).ptr;
    } else if (std::isfinite(number.AsDouble())) {
        end = m_options.numbers == JsonNumberStyle::Shortest
                  ? _Private::WriteDoubleShortest(number.AsDouble(), text)
                  : _Private::WriteDouble17(number.AsDouble(), text);
    } else if (m_options.nonFinite == JsonNonFinite::Fail) {
        return Fail(JsonWriteError::NonFiniteNumber);
    } else if (m_options.nonFinite == JsonNonFinite::Null) {
        return Null();
    } else {
        if (!BeforeValue()) {
            return false;
        }
        _Private::AppendFormattedDouble(m_out, number.AsDouble());
        return true;
    }
    if (!BeforeValue()) {
        return false;
    }
    m_out.append(text, static_cast<size_t>(end - text));
    FlushBlock(false);
    return true;
}

bool JsonEventWriter::Bool(bool value) {
    if (!BeforeValue()) {
        return false;
    }
    m_out += value ? "true" : "false";
    return true;
}

bool JsonEventWriter::Null() {
    if (!BeforeValue()) {
        return false;
    }
    m_out += "null";
    return true;
}

// WriteJson's text; inside an indented container every line break of it (a
// string holds none: they are escaped) is indented to the container's depth.
bool JsonEventWriter::Value(const JsonValue& value) {
    if (m_error) {
        return false;
    }
    std::string text;
    std::error_code error;
    if (!WriteJson(value, text, m_options, error)) {
        return Fail(error);
    }
    if (!BeforeValue()) {
        return false;
    }
    const std::string indent(m_open.size() * m_options.indent, ' ');
    size_t from = 0;
    for (size_t at = text.find('\n'); !indent.empty() && at != std::string::npos;
         from = at + 1, at = text.find('\n', from)) {
        m_out.append(text, from, at + 1 - from);
        m_out += indent;
    }
    m_out.append(text, from, std::string::npos);
    FlushBlock(false);
    return true;
}

bool JsonEventWriter::Finish() {
    if (m_error) {
        return false;
    }
    if (!Complete()) {
        return Fail(JsonEventWriteError::Incomplete);
    }
    FlushBlock(true);
    return true;
}
