// Lookup helpers: fetch typed members of an object without throwing, and
// FromJson conversions of whole values (which do throw on the wrong type).
#pragma once

#include <kivJSON/JSONValue.h>

#include <string>

// A copy of the first member with `key`, or null when `value` is not an object
// or has no such member.
KIVJSON_API JsonValue TryGet(const JsonValue& value, const std::string& key);
// The member itself, or a shared null that lives as long as the library.
KIVJSON_API const JsonValue& TryGetRef(const JsonValue& value, const std::string& key);
// Each typed form returns false and leaves `out` unchanged when the member is
// absent or of another type. The int form takes integer kinds only, the double
// form the Double kind only.
KIVJSON_API bool TryGet(const JsonValue& value, const std::string& key, std::string& out);
KIVJSON_API bool TryGet(const JsonValue& value, const std::string& key, int& out);
KIVJSON_API bool TryGet(const JsonValue& value, const std::string& key, double& out);
KIVJSON_API bool TryGet(const JsonValue& value, const std::string& key, bool& out);
// Pointers into `value`'s tree, valid while that object is not changed.
KIVJSON_API bool TryGet(const JsonValue& value, const std::string& key, const JsonObject** out);
KIVJSON_API bool TryGet(const JsonValue& value, const std::string& key, const JsonArray** out);
// A copy of the member when it is an array (an object), else null.
KIVJSON_API JsonValue GetIfArray(const JsonValue& value, const std::string& key);
KIVJSON_API JsonValue GetIfObject(const JsonValue& value, const std::string& key);

// Whole-value conversions: std::invalid_argument from the accessor on the wrong
// type, with `out` unchanged.
static inline void FromJson(std::string& out, JsonValue value) { out = value.AsString(); }
static inline void FromJson(bool& out, JsonValue value) { out = value.AsBool(); }
static inline void FromJson(unsigned int& out, JsonValue value) {
    out = static_cast<unsigned int>(value.AsInteger());
}
static inline void FromJson(double& out, JsonValue value) { out = value.AsDouble(); }
