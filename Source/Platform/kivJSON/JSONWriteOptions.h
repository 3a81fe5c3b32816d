// Writing a tree with options: indentation, the style of double text and the
// treatment of NaN and the infinities. An extension beside Serialize() and
// Format(); the default options give exactly Serialize()'s text.
#pragma once

#include <kivJSON/JSONSystem.h>
#include <kivJSON/JSONValue.h>

#include <cstddef>
#include <iosfwd>
#include <string>
#include <system_error>

// How doubles are written. Integers are always plain decimal.
enum class JsonNumberStyle : int {
    Exact17,   // "%.17g": Serialize()'s text, 0.1 as 0.10000000000000001
    Shortest,  // the shortest text that reads back as the same double: 0.1
};

// What happens to a double that is NaN or infinite, which JSON cannot express.
enum class JsonNonFinite : int {
    Write,  // as Serialize() writes it: nan, -nan, inf, -inf (not JSON)
    Fail,   // the write fails with JsonWriteError::NonFiniteNumber
    Null,   // null
};

struct JsonWriteOptions {
    // 0: compact text, no whitespace. n > 0: every element and member on its own
    // line, indented n spaces a level, ": " after a key; empty containers stay
    // [] and {}; no newline after the last line.
    size_t indent = 0;
    JsonNumberStyle numbers = JsonNumberStyle::Exact17;
    JsonNonFinite nonFinite = JsonNonFinite::Write;
};

// Failures of the option writer, in their own category ("kivJSON write"); the
// parse error codes of JsonErrorCategory are unrelated.
enum class JsonWriteError : int {
    NonFiniteNumber = 1,  // "Non-finite number (NaN or infinity) cannot be written as JSON"
    InvalidKeyText = 2,   // "Object key is not valid UTF-8" (wide output only)
    // "Indentation too large for the nesting depth": depth x indent spaces
    // would not fit a string (or would wrap around).
    IndentTooLarge = 3,
    // "A value's own Format cannot honour the write options": a caller's
    // subclass overrides Format, and its compact 17-digit text is not what the
    // options ask for (an indented or number-styled container or number). A
    // subclass that keeps the library's Format is written with the options.
    CallerFormatIgnoresOptions = 4,
};

KIVJSON_API const std::error_category& JsonWriteErrorCategory() noexcept;

inline std::error_code make_error_code(JsonWriteError code) noexcept {
    return {static_cast<int>(code), JsonWriteErrorCategory()};
}

namespace std {
template <>
struct is_error_code_enum<JsonWriteError> : true_type {};
}  // namespace std

// Append the text of `value` to `out`, or insert it into the stream in one
// insertion. On failure they return false, set `error` and leave `out` exactly
// as it was (a stream receives nothing); on success they clear `error`.
// Exhausted memory still throws std::bad_alloc.
KIVJSON_API bool WriteJson(const JsonValue& value, std::string& out,
                           const JsonWriteOptions& options, std::error_code& error);
KIVJSON_API bool WriteJson(const JsonValue& value, std::wstring& out,
                           const JsonWriteOptions& options, std::error_code& error);
KIVJSON_API bool WriteJson(const JsonValue& value, std::ostream& out,
                           const JsonWriteOptions& options, std::error_code& error);
KIVJSON_API bool WriteJson(const JsonValue& value, std::wostream& out,
                           const JsonWriteOptions& options, std::error_code& error);

// The text of `value` as a new string. A failure throws std::invalid_argument
// carrying the JsonWriteError message; a wide key that is not UTF-8 throws
// std::range_error, as Serialize(std::wostream&) does.
KIVJSON_API std::string WriteJson(const JsonValue& value, const JsonWriteOptions& options = {});
KIVJSON_API std::wstring WriteJsonWide(const JsonValue& value,
                                       const JsonWriteOptions& options = {});
