// JSON Pointer (RFC 6901): "/items/0/name" names one value inside a tree.
#pragma once

#include <kivJSON/JSONValue.h>

#include <string>
#include <system_error>
#include <type_traits>

// Why a pointer is malformed: codes of JsonPointerCategory(), kept apart from
// the parse errors of JsonErrorCategory.
enum class JsonPointerError : int {
    MissingSlash = 1,  // neither "" nor starting with '/'
    BadEscape = 2,     // a '~' not followed by '0' or '1'
};

// The category of JsonPointerError codes, named "kivJSON pointer".
KIVJSON_API const std::error_category& JsonPointerCategory() noexcept;

inline std::error_code make_error_code(JsonPointerError code) noexcept {
    return {static_cast<int>(code), JsonPointerCategory()};
}

namespace std {
template <>
struct is_error_code_enum<JsonPointerError> : true_type {};
}  // namespace std

// The value `pointer` names inside `root`, or nullptr when there is none: an
// absent member, a step into a number, string, bool or null, an array index
// that is past the end, has leading zeros or is "-". "" names `root` itself;
// "~1" stands for '/' and "~0" for '~' in a token; with duplicate keys the
// first member counts. A malformed pointer gives nullptr with `ec` set whatever
// the document; otherwise `ec` is cleared. Does not throw or allocate. The
// result stays valid until the tree is changed.
KIVJSON_API const JsonValue* JsonPointerFind(const JsonValue& root, const std::string& pointer,
                                             std::error_code& ec);
KIVJSON_API JsonValue* JsonPointerFind(JsonValue& root, const std::string& pointer,
                                       std::error_code& ec);
