// Round trip: whatever parses is written compactly, and that text must parse
// again to an equivalent tree (SameAfterText: only the documented number
// changes). Trees holding an infinity are skipped: "inf" is not JSON. From the
// second round on the text is a fixed point. The wide writer must agree with
// the narrow one wherever the text is ASCII.
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

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
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

    if (IsAscii(firstText)) {
        std::wstring wide;
        first.Format(wide);
        FUZZ_CHECK(wide == std::wstring(firstText.begin(), firstText.end()),
                   "wide output differs from narrow output");
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
