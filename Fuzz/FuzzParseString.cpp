// Narrow text from a string: the error-code form and the throwing form must
// agree on every input (same success, same tree, the code's message).
#include "FuzzSupport.h"

#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::error_code ec = fuzz::Stale();
    const JsonValue byCode = JsonValue::Parse(text, ec);
    fuzz::CheckVerdict(ec);
    if (ec) {
        FUZZ_CHECK(byCode.IsNull(), "a failed parse handed out a value");
    }

    try {
        const JsonValue thrown = JsonValue::Parse(text);
        FUZZ_CHECK(!ec, "throwing form succeeded where the error-code form failed");
        FUZZ_CHECK(thrown == byCode, "the two forms built different trees");
    } catch (const std::invalid_argument& error) {
        FUZZ_CHECK(ec, "throwing form failed where the error-code form succeeded");
        FUZZ_CHECK(ec.message() == error.what(), "thrown message differs from the code's message");
    }
    return 0;
}
