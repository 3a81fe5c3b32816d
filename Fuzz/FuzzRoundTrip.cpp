// Round trip: whatever parses is written compactly, and that text must parse
// again to an equivalent tree (SameAfterText: only the documented number
// changes). Trees holding an infinity are skipped: "inf" is not JSON. From the
// second round on the text is a fixed point. Where the text is well-formed
// UTF-8, the wide writer must give exactly its code points.
#include "FuzzSupport.h"

#include <sstream>
#include <stdexcept>

namespace {

JsonValue Reparse(const std::string& text) {
    std::error_code ec;
    JsonValue value = JsonValue::Parse(text, ec);
    if (ec) {
        std::fprintf(stderr, "written text: %s\nerror: %s\n", text.c_str(), ec.message().c_str());
    }
    FUZZ_CHECK(!ec, "written text does not parse");
    return value;
}

// Strict UTF-8 to code points: false for overlong forms, surrogates, values
// above U+10FFFF and cut or stray sequences.
bool DecodeUtf8(const std::string& text, std::wstring& out) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80                   ? 1
                           : lead >= 0xC2 && lead < 0xE0 ? 2
                           : lead >= 0xE0 && lead < 0xF0 ? 3
                           : lead >= 0xF0 && lead < 0xF5 ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        out.push_back(static_cast<wchar_t>(code));
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::error_code ec;
    const JsonValue first =
        JsonValue::Parse(std::string(reinterpret_cast<const char*>(data), size), ec);
    if (ec || fuzz::HasNonFinite(first)) {
        return 0;
    }

    const std::string firstText = first.Serialize();
    std::string appended = "x";
    first.Format(appended);
    FUZZ_CHECK(appended == "x" + firstText, "Format and Serialize disagree");
    std::ostringstream out;
    first.Serialize(out);
    FUZZ_CHECK(out.str() == firstText, "stream and string output disagree");

    const JsonValue second = Reparse(firstText);
    FUZZ_CHECK(fuzz::SameAfterText(first, second), "the written text reads back differently");

    const std::string secondText = second.Serialize();
    const JsonValue third = Reparse(secondText);
    FUZZ_CHECK(third == second, "the second round changed the tree");
    FUZZ_CHECK(third.Serialize() == secondText, "the second round changed the text");

    // Well-formed UTF-8 text has exactly one wide form: the same code points.
    std::wstring expectedWide;
    if (DecodeUtf8(firstText, expectedWide)) {
        std::wstring wide;
        first.Format(wide);
        FUZZ_CHECK(wide == expectedWide,
                   "wide output differs from the narrow output's code points");
        std::wostringstream wideOut;
        first.Serialize(wideOut);
        FUZZ_CHECK(wideOut.str() == expectedWide, "wide stream output differs");
    } else {
        try {
            std::wstring wide;
            first.Format(wide);
        } catch (const std::range_error&) {
            // Keys that are not UTF-8 have no wide form.
        }
    }
    return 0;
}
