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
    // Extensions: why a write through a pointer failed.
    NotFound = 3,          // no value there (for an add: no array or object at the parent)
    BadIndex = 4,          // an array token that is not an index in range ("-" only for add)
    RootNotRemovable = 5,  // "" names the whole document, which cannot be removed
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

// --- Extensions: writing through a pointer (RFC 6902's add, replace, remove) ---
// Each returns true with `ec` cleared, or false with a JsonPointerError in
// `ec` and `root` exactly as it was. The value is taken by value, so a part of
// `root` may be passed. Objects: with duplicate keys the first member counts.
//
// Add: "" replaces `root`; in an object the member is replaced or appended; in
// an array the value is inserted before the index, which may equal the size,
// and "-" appends. The parent must exist and be an array or object.
KIVJSON_API bool JsonPointerAdd(JsonValue& root, const std::string& pointer, JsonValue value,
                                std::error_code& ec);
// Replace: the value there must exist ("" replaces `root`).
KIVJSON_API bool JsonPointerReplace(JsonValue& root, const std::string& pointer, JsonValue value,
                                    std::error_code& ec);
// Remove: the value there must exist; removing "" is RootNotRemovable.
KIVJSON_API bool JsonPointerRemove(JsonValue& root, const std::string& pointer,
                                   std::error_code& ec);
