// JsonValue: the handle through which every JSON value is held and passed.
//
// A JsonValue owns exactly one implementation object (null, bool, number,
// string, array or object). Copying copies the whole subtree; nothing is shared.
#pragma once

#include <kivCore/UniquePtr.h>
#include <kivJSON/JSONSystem.h>

#include <cstddef>
#include <iosfwd>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

class KIVJSON_API JsonValue {
public:
    // --- Creation -----------------------------------------------------------
    JsonValue();                                                // null
    JsonValue(UniquePtr<_Private::JsonValueTypeImpl> impl);    // takes ownership
    JsonValue(bool value);
    JsonValue(int value);            // Uint64 when >= 0, Int64 when negative
    JsonValue(unsigned int value);   // Uint64
    JsonValue(long value);           // Uint64 when >= 0, Int64 when negative
    JsonValue(unsigned long value);  // Uint64
    JsonValue(double value);         // Double, also for integral values
    // A string literal would silently become a bool; use StringType instead.
    JsonValue(const char*) = delete;

    static JsonValue NullType();
    static JsonValue BoolType(bool value);
    static JsonValue NumberType(int value);
    static JsonValue NumberType(unsigned int value);
    static JsonValue NumberType(long value);
    static JsonValue NumberType(unsigned long value);
    static JsonValue NumberType(double value);
    // UTF-8 text; the escape flag is computed from the text.
    static JsonValue StringType(const std::string& text);
    // UTF-8 text; the escape flag is trusted as given.
    static JsonValue StringType(const std::string& text, bool escapeCharsPresent);
    // Wide text, converted to UTF-8; throws std::range_error above U+10FFFF.
    static JsonValue StringType(const std::wstring& text);
    static JsonValue StringType(const std::wstring& text, bool escapeCharsPresent);
    static JsonValue ArrayType();
    static JsonValue ArrayType(size_t count);  // `count` nulls
    static JsonValue ArrayType(std::vector<JsonValue> values);
    static JsonValue ObjectType();
    static JsonValue ObjectType(std::vector<std::pair<std::string, JsonValue>> pairs);

    // --- Copy and move ------------------------------------------------------
    JsonValue(const JsonValue& other);  // deep copy
    // Deep copy; if the copy throws, this value is unchanged.
    JsonValue& operator=(const JsonValue& other);
    // The source is left empty: only destruction and assignment are defined on it.
    JsonValue(JsonValue&& other) noexcept;
    // Exchanges the two values: `other` receives this value's former content.
    JsonValue& operator=(JsonValue&& other) noexcept;
    ~JsonValue();

    // --- Queries (never throw) ----------------------------------------------
    JsonType Type() const;
    JsonType GetType() const;
    const char* GetTypeString() const;  // "number", "bool", ..., "unknown"
    bool IsNull() const;
    bool IsBool() const;
    bool IsNumber() const;
    bool IsString() const;
    bool IsArray() const;
    bool IsObject() const;
    bool IsInteger() const;  // false for non-numbers
    bool IsDouble() const;   // false for non-numbers
    size_t Size() const;     // elements of an array, members of an object, else 0
    bool HasField(const std::string& key) const;  // false for non-objects

    // --- Typed access: std::invalid_argument "not a ..." on the wrong type ---
    JsonNumber AsNumber() const;
    double AsDouble() const;
    int AsInteger() const;  // the low 32 bits of an integer, a double truncated
    bool AsBool() const;
    std::string AsString() const;
    JsonArray& AsArray();
    const JsonArray& AsArray() const;
    JsonObject& AsObject();
    const JsonObject& AsObject() const;

    // --- Element access without change ---------------------------------------
    // "not an array" / std::out_of_range "index out of bounds".
    JsonValue& At(size_t index);
    const JsonValue& At(size_t index) const;
    // "not an object" / std::out_of_range "Key not found".
    JsonValue& At(const std::string& key);
    const JsonValue& At(const std::string& key) const;

    // --- Subscripts: a null first becomes an empty object or array -----------
    // Finds the first member with `key` or appends (key, null).
    JsonValue& operator[](const std::string& key);
    JsonValue& operator[](char key);  // one-character key; NUL gives the empty key
    // Grows the array with nulls when `index` is past the end.
    JsonValue& operator[](size_t index);
    // So that `value[0]` is not ambiguous between the char and size_t forms.
    JsonValue& operator[](int index) { return (*this)[static_cast<size_t>(index)]; }

    // --- Comparison -----------------------------------------------------------
    // Deep equality; numbers of integer and double kind never compare equal.
    bool operator==(const JsonValue& other) const;
    bool operator!=(const JsonValue& other) const;

    // --- Writing: compact JSON, no whitespace ---------------------------------
    std::string Serialize() const;
    // Nothing reaches the stream unless the whole text was built.
    void Serialize(std::ostream& out) const;
    void Serialize(std::wostream& out) const;
    // Appends to `out` without clearing or pre-sizing it.
    void Format(std::string& out) const;
    void Format(std::wstring& out) const;

    // --- Parsing --------------------------------------------------------------
    // The throwing forms raise std::invalid_argument with the error's message.
    // The error-code forms return null with `ec` set, with one exception:
    // Parse(std::wistream&, std::error_code&) with left-over text returns the
    // complete value it read, with code 1 ("[1,2] 3" gives [1,2]). On success
    // they return the value with `ec` cleared (value 0, system category).
    static JsonValue Parse(const std::string& text);
    static JsonValue Parse(const std::string& text, std::error_code& ec);
    static JsonValue Parse(const std::wstring& text);
    static JsonValue Parse(const std::wstring& text, std::error_code& ec);
    static JsonValue Parse(std::istream& in);
    static JsonValue Parse(std::istream& in, std::error_code& ec);
    static JsonValue Parse(std::wistream& in);
    // The exception above: left-over text returns the parsed value with code 1.
    static JsonValue Parse(std::wistream& in, std::error_code& ec);

private:
    friend struct _Private::JsonTreeAccess;

    UniquePtr<_Private::JsonValueTypeImpl> m_impl;
};

static_assert(sizeof(JsonValue) == sizeof(void*), "a JsonValue is exactly one pointer");

// Stream drivers behind JsonValue::Parse(std::istream&) and (std::wistream&).
KIVJSON_API JsonValue _PerformNarrowStreamParsing(std::istream& in);
KIVJSON_API JsonValue _PerformNarrowStreamParsing(std::istream& in, std::error_code& ec);
KIVJSON_API JsonValue _PerformStreamParsing(std::wistream& in);
KIVJSON_API JsonValue _PerformStreamParsing(std::wistream& in, std::error_code& ec);

// Most callers want the whole model at hand.
#include <kivJSON/JSONArray.h>
#include <kivJSON/JSONNumber.h>
#include <kivJSON/JSONObject.h>
