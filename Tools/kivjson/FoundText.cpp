#include "FoundText.h"

#include <cstdio>

namespace {

constexpr char32_t kNotDecoded = 0xFFFFFFFF;

// The code point at `offset`, or kNotDecoded for an ill-formed UTF-8 sequence.
char32_t CodePointAt(const std::string& text, size_t offset) {
    const auto byte = [&](size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
    };
    const unsigned lead = byte(offset);
    if (lead < 0x80) {
        return lead;
    }
    const int length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || (length == 3 && lead > 0xEF)) {
        return kNotDecoded;
    }
    char32_t code = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const unsigned next = byte(offset + i);
        if ((next & 0xC0) != 0x80) {
            return kNotDecoded;
        }
        code = code << 6 | (next & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool invalid = (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF;
    return overlong || invalid ? kNotDecoded : code;
}

char32_t CodePointAt(const std::wstring& text, size_t offset) {
    return static_cast<char32_t>(text[offset]);
}

// A UTF-16 byte-order mark, or a NUL byte in the first two: what the start of
// UTF-16 text looks like when it is read as bytes.
bool LooksLikeUtf16(const std::string& source) {
    const auto at = [&](size_t i) { return i < source.size() ? source[i] : 'x'; };
    return (at(0) == '\xFF' && at(1) == '\xFE') || (at(0) == '\xFE' && at(1) == '\xFF') ||
           (source.size() > 1 && (source[0] == 0 || source[1] == 0));
}

// `text[index]` is the character at `offset` of the input, which begins with `source`.
template <class Text>
std::string Describe(const std::string& source, const Text& text, size_t index, size_t offset) {
    if (offset <= 1 && LooksLikeUtf16(source)) {
        return "UTF-16 text";
    }
    if (index >= text.size()) {
        return "unexpected end of input";
    }
    const char32_t code = CodePointAt(text, index);
    if (offset == 0 && code == 0xFEFF) {
        return "byte-order mark; use --allow-bom to accept it";
    }
    char words[48];
    if (code == kNotDecoded) {
        std::snprintf(words, sizeof words, "unexpected byte 0x%02X",
                      static_cast<unsigned>(static_cast<unsigned char>(text[index])));
    } else if (code == '\'') {
        return "unexpected character \"'\"";
    } else if (code > ' ' && code < 0x7F) {
        std::snprintf(words, sizeof words, "unexpected character '%c'", static_cast<char>(code));
    } else {
        std::snprintf(words, sizeof words, "unexpected character U+%04X",
                      static_cast<unsigned>(code));
    }
    return words;
}

}  // namespace

std::string DescribeFound(const std::string& source, const std::string& parsed, size_t offset) {
    return Describe(source, parsed, offset, offset);
}

std::string DescribeFound(const std::string& source, const std::wstring& parsed, size_t offset) {
    return Describe(source, parsed, offset, offset);
}

std::string DescribeFoundAt(const std::string& head, const std::string& bytes, size_t offset) {
    return Describe(head, bytes, 0, offset);
}

std::string DescribeFoundAt(const std::string& head, const std::wstring& chars, size_t offset) {
    return Describe(head, chars, 0, offset);
}
