// Shared declarations of kivJSON: the export macro and the type codes.
#pragma once

// The library is built with hidden visibility; only what carries this macro is
// exported from libkivJSON.so.
#define KIVJSON_API __attribute__((visibility("default")))

// Type codes of a JSON value. The numeric values are fixed and part of the interface.
enum class JsonType : int {
    Number = 0,
    Bool = 1,
    String = 2,
    Object = 3,
    Array = 4,
    Null = 5,
};

class JsonValue;
class JsonNumber;
class JsonArray;
class JsonObject;

namespace _Private {
class JsonValueTypeImpl;
class JsonNullTypeImpl;
class JsonBoolTypeImpl;
class JsonNumberTypeImpl;
class JsonStringTypeImpl;
class JsonArrayTypeImpl;
class JsonObjectTypeImpl;
struct JsonTreeAccess;  // internal: the non-recursive tree walks
}  // namespace _Private
