#include "Diagnostics.h"

#include "CommandLine.h"

#include <kivJSON/JSONErrorCat.h>

#include <cstdio>
#include <istream>
#include <streambuf>

namespace {

// A read-only stream buffer over bytes held elsewhere: the parser reads them
// in place, and the read position afterwards tells how far it got.
class MemoryStreamBuf : public std::streambuf {
public:
    MemoryStreamBuf(const char* data, size_t size) {
        // The get area is never written through: there is no put area and
        // put-back of a different character fails.
        char* begin = const_cast<char*>(data);
        setg(begin, begin, begin + size);
    }

    size_t Consumed() const { return static_cast<size_t>(gptr() - eback()); }
    bool ReachedEnd() const { return m_reachedEnd; }

protected:
    // Called only once the whole document has been handed out.
    int_type underflow() override {
        m_reachedEnd = true;
        return traits_type::eof();
    }

private:
    bool m_reachedEnd = false;
};

}  // namespace

TextPosition PositionOf(const std::string& text, size_t offset) {
    TextPosition position{1, 1};
    for (size_t i = 0; i < offset && i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++position.line;
            position.column = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++position.column;
        }
    }
    return position;
}

StreamParseResult ParseWithPosition(const std::string& text) {
    MemoryStreamBuf buffer(text.data(), text.size());
    std::istream in(&buffer);
    StreamParseResult result{JsonValue(), std::error_code(), TextPosition{1, 1}};
    result.value = JsonValue::Parse(in, result.error);
    if (result.error) {
        // The parser stops right after the character it could not use. When it
        // ran out of text looking for more, the failure is at the end. Left-over
        // text is reported at the last character of the first extra token.
        size_t offset = text.size();
        const bool leftOver = result.error.value() == LeftOverCharacters;
        if ((leftOver || !buffer.ReachedEnd()) && buffer.Consumed() > 0) {
            offset = buffer.Consumed() - 1;
        }
        result.position = PositionOf(text, offset);
    }
    return result;
}

void ReportParseError(const std::string& name, const std::error_code& error,
                      const TextPosition* position) {
    std::string where = name;
    if (position != nullptr) {
        where += ':' + std::to_string(position->line) + ':' + std::to_string(position->column);
    }
    std::fprintf(stderr, "%s: error: %s (%s %d)\n", where.c_str(), error.message().c_str(),
                 error.category().name(), error.value());
}

bool ParseDocument(const InputDocument& doc, JsonValue& value) {
    std::error_code error;
    value = JsonValue::Parse(doc.text, error);
    if (!error) {
        return true;
    }
    const StreamParseResult located = ParseWithPosition(doc.text);
    ReportParseError(doc.name, error, located.error == error ? &located.position : nullptr);
    return false;
}

std::optional<int> LoadDocument(const std::string& path, InputDocument& doc, JsonValue& value) {
    std::string error;
    if (!ReadInput(path, doc, error)) {
        std::fprintf(stderr, "kivjson: %s\n", error.c_str());
        return kExitUsage;
    }
    if (!ParseDocument(doc, value)) {
        return kExitInvalid;
    }
    return std::nullopt;
}
