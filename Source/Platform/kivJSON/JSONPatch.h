// JSON Patch (RFC 6902), JSON Merge Patch (RFC 7396) and a diff that writes a
// JSON Patch. An extension beside the value model.
#pragma once

#include <kivJSON/JSONPointer.h>
#include <kivJSON/JSONValue.h>

#include <cstddef>
#include <string>
#include <system_error>
#include <type_traits>

// Why a patch document is not a valid JSON Patch, or an operation failed:
// codes of JsonPatchCategory(), named "kivJSON patch". Failures of a pointer
// ("path" or "from" naming nothing) carry a JsonPointerError instead.
enum class JsonPatchError : int {
    NotAnArray = 1,        // the patch is not an array
    NotAnOperation = 2,    // an operation is not an object with one string "op"
    UnknownOperation = 3,  // "op" is none of the six
    MissingPath = 4,       // not one string "path" (none, two, or not a string)
    MissingFrom = 5,       // "move" or "copy" without one string "from"
    MissingValue = 6,      // "add", "replace" or "test" without one "value"
    TestFailed = 7,        // a "test" found a different value
    MoveIntoChild = 8,     // a "move" whose "path" lies inside its "from"
};

KIVJSON_API const std::error_category& JsonPatchCategory() noexcept;

inline std::error_code make_error_code(JsonPatchError code) noexcept {
    return {static_cast<int>(code), JsonPatchCategory()};
}

namespace std {
template <>
struct is_error_code_enum<JsonPatchError> : true_type {};
}  // namespace std

// Which operation of a patch failed, and why.
struct KIVJSON_API JsonPatchFailure {
    size_t operation = 0;  // its index in the patch
    std::string op;        // its "op", when it has one
    std::string pointer;   // the "path" or "from" at fault, when one is
    std::error_code code;  // a JsonPatchError or a JsonPointerError
    // For instance `operation 2 (remove "/a/b"): no value at the JSON Pointer`.
    std::string Message() const;
};

// Applies every operation of `patch` to `target` in order, or none: when one
// fails (false, `failure` set) or throws, `target` is exactly as before. The
// patch must not be part of `target`. Cost: each operation walks its pointers;
// values are moved, never copied, except the "value" of add, replace and the
// source of copy, and taking back a failed patch copies nothing.
KIVJSON_API bool JsonPatchApply(JsonValue& target, const JsonValue& patch,
                                JsonPatchFailure& failure);
// The same; a failure throws std::invalid_argument with failure.Message().
KIVJSON_API void JsonPatchApply(JsonValue& target, const JsonValue& patch);

// RFC 7396: a non-object patch replaces `target`; an object patch sets each
// member (merging objects into objects) and removes every member with the key
// of a null. If it throws (memory), `target` is exactly as before.
KIVJSON_API void JsonMergePatchApply(JsonValue& target, const JsonValue& patch);

// A JSON Patch that turns `from` into `to`: applied to `from`, it gives a value
// equal to `to` (member order included). Arrays change at their ends (a
// changed middle is patched element by element); an object whose kept members
// change order, or that has duplicate keys, is replaced whole.
KIVJSON_API JsonValue JsonDiff(const JsonValue& from, const JsonValue& to);
