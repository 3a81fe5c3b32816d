// The incremental writer: it checks that a call sequence gives JSON, and leaves
// commas, line breaks, indentation and the stack of open containers to
// internal/JsonLayout.h, whose rules the tree walk (JSONWriter.cpp) follows
// too. The walk writes whole values; its escaper and number text serve scalars.
#include <kivJSON/JSONEventWriter.h>
#include "internal/JsonLayout.h"
#include "internal/TreeAccess.h"
#include "internal/TreeWriter.h"

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

struct JsonEventWriter::Layout : _Private::JsonLayout<char> {
    using JsonLayout::JsonLayout;
};

JsonEventWriter::JsonEventWriter(std::string& out, const JsonWriteOptions& options)
    : m_out(out),
      m_stream(nullptr),
      m_options(options),
      m_layout(std::make_unique<Layout>(options.indent)) {}

JsonEventWriter::JsonEventWriter(std::ostream& out, const JsonWriteOptions& options)
    : m_out(m_buffer),
      m_stream(&out),
      m_options(options),
      m_layout(std::make_unique<Layout>(options.indent)) {}

JsonEventWriter::~JsonEventWriter() {
    FlushBlock(true);
}

bool JsonEventWriter::Complete() const {
    return m_done && m_layout->Depth() == 0;
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

// Before a value: the separator and line break of an array's element; false
// when no value is due (or its line would be too deeply indented).
bool JsonEventWriter::BeforeValue() {
    if (m_error) {
        return false;
    }
    if (m_layout->Depth() == 0) {
        if (m_done) {
            return Fail(JsonEventWriteError::DocumentComplete);
        }
        m_done = true;
        return true;
    }
    if (m_layout->Top().object) {
        if (!m_keyWritten) {
            return Fail(JsonEventWriteError::KeyExpected);
        }
        m_keyWritten = false;
        return true;
    }
    _Private::AppendTo<char> out(m_out);
    return m_layout->BeforeChild(out) || Fail(JsonWriteError::IndentTooLarge);
}

bool JsonEventWriter::BeginArray() {
    if (!BeforeValue()) {
        return false;
    }
    _Private::AppendTo<char> out(m_out);
    m_layout->Open(out, false);
    return true;
}

bool JsonEventWriter::BeginObject() {
    if (!BeforeValue()) {
        return false;
    }
    _Private::AppendTo<char> out(m_out);
    m_layout->Open(out, true);
    return true;
}

bool JsonEventWriter::Close(bool object) {
    if (m_error) {
        return false;
    }
    if (m_layout->Depth() == 0 || m_layout->Top().object != object) {
        return Fail(JsonEventWriteError::UnexpectedEnd);
    }
    if (m_keyWritten) {
        return Fail(JsonEventWriteError::ValueExpected);
    }
    _Private::AppendTo<char> out(m_out);
    m_layout->Close(out);
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
    if (m_layout->Depth() == 0 || !m_layout->Top().object) {
        return Fail(m_layout->Depth() == 0 && m_done ? JsonEventWriteError::DocumentComplete
                                                     : JsonEventWriteError::ValueExpected);
    }
    if (m_keyWritten) {
        return Fail(JsonEventWriteError::ValueExpected);
    }
    _Private::AppendTo<char> out(m_out);
    if (!m_layout->BeforeChild(out)) {
        return Fail(JsonWriteError::IndentTooLarge);
    }
    Quoted(key);
    m_layout->AfterKey(out);
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
        sink.Flush();
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
    if (!_Private::IsFiniteNumber(number)) {
        if (m_options.nonFinite == JsonNonFinite::Fail) {
            return Fail(JsonWriteError::NonFiniteNumber);
        }
        if (m_options.nonFinite == JsonNonFinite::Null) {
            return Null();
        }
        if (!BeforeValue()) {
            return false;
        }
        _Private::AppendFormattedDouble(m_out, number.AsDouble());
        return true;
    }
    char text[_Private::kNumberTextRoom];
    const char* const end = m_options.numbers == JsonNumberStyle::Shortest
                                ? _Private::FiniteNumberText<true>(number, text)
                                : _Private::FiniteNumberText<false>(number, text);
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

// WriteJson's text, indented from the depth of the open containers on. It is
// written apart first: a failure leaves the text as it was.
bool JsonEventWriter::Value(const JsonValue& value) {
    if (m_error) {
        return false;
    }
    std::string text;
    const _Private::WriteFailure failure = _Private::WriteTree(
        *_Private::JsonTreeAccess::Impl(value), text, SettingsOf(m_options), m_layout->Depth());
    if (failure != _Private::WriteFailure::None) {
        return Fail(static_cast<JsonWriteError>(failure));
    }
    if (!BeforeValue()) {
        return false;
    }
    m_out += text;
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
