// Wide text: the input read as 32-bit elements, parsed from a std::wstring and
// from a std::wistream. Both must give the same verdict; elements that UTF-8
// cannot hold (above 0x10FFFF, lone surrogates) may end either parse with
// std::range_error, and then both must. Text of Unicode scalar values must read
// the same as its UTF-8 form does in narrow text, except for "\u" escapes of
// surrogates, which the two widths are free to store differently (narrow: what
// the UTF-16 conversion makes of them; wide: a lone low surrogate keeps its
// unit value).
#include "FuzzSupport.h"

#include <cwchar>
#include <sstream>
#include <stdexcept>

namespace {

struct Outcome {
    bool rangeError = false;
    std::error_code ec = fuzz::Stale();
    JsonValue value;
};

template <class Input>
Outcome ParseCatchingConversion(Input& input) {
    Outcome outcome;
    try {
        outcome.value = JsonValue::Parse(input, outcome.ec);
        fuzz::CheckVerdict(outcome.ec);
    } catch (const std::range_error&) {
        outcome.rangeError = true;
        FUZZ_CHECK(outcome.ec == fuzz::Stale(), "ec was assigned although the parse threw");
    }
    return outcome;
}

// The UTF-8 form of text made only of Unicode scalar values; false otherwise.
bool EncodeUtf8(const std::wstring& text, std::string& out) {
    for (const wchar_t element : text) {
        const uint32_t c = static_cast<uint32_t>(element);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return false;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return true;
}

bool HasSurrogateEscape(const std::wstring& text) {
    for (size_t i = 0; i + 3 < text.size(); ++i) {
        if (text[i] == L'\\' && text[i + 1] == L'u' && (text[i + 2] | 0x20) == L'd' &&
            text[i + 3] != 0 && std::wcschr(L"89abcdefABCDEF", text[i + 3]) != nullptr) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (!text.empty()) {
        std::memcpy(&text[0], data, text.size() * sizeof(wchar_t));
    }

    const Outcome fromString = ParseCatchingConversion(text);
    std::wistringstream stream(text);
    const Outcome fromStream = ParseCatchingConversion(stream);

    FUZZ_CHECK(fromString.rangeError == fromStream.rangeError,
               "only one of string and stream failed the conversion");
    if (fromString.rangeError) {
        return 0;
    }
    FUZZ_CHECK(fromString.ec == fromStream.ec, "wide string and stream give different verdicts");
    if (fromString.ec) {
        FUZZ_CHECK(fromString.value.IsNull(), "a failed wide string parse handed out a value");
        // Left-over text is the one failure after which the stream form keeps its value.
        if (fromString.ec.value() != LeftOverCharacters) {
            FUZZ_CHECK(fromStream.value.IsNull(), "a failed wide stream parse handed out a value");
        }
    } else {
        FUZZ_CHECK(fromString.value == fromStream.value,
                   "wide string and stream give different trees");
    }

    try {
        const JsonValue thrown = JsonValue::Parse(text);
        FUZZ_CHECK(!fromString.ec, "throwing wide form succeeded where the error-code form failed");
        FUZZ_CHECK(thrown == fromString.value, "throwing wide form built a different tree");
    } catch (const std::invalid_argument& error) {
        FUZZ_CHECK(fromString.ec, "throwing wide form failed where the error-code form succeeded");
        FUZZ_CHECK(fromString.ec.message() == error.what(), "thrown message differs");
    }

    std::string narrow;
    if (EncodeUtf8(text, narrow)) {
        std::error_code ec;
        const JsonValue value = JsonValue::Parse(narrow, ec);
        FUZZ_CHECK(ec == fromString.ec, "the same text gives different verdicts in the two widths");
        FUZZ_CHECK(value == fromString.value || HasSurrogateEscape(text),
                   "the same text gives different trees in the two widths");
    }
    return 0;
}
