// JsonValue: the handle through which every JSON value is held and passed.
//
// A JsonValue owns exactly one implementation object (null, bool, number,
// string, array or object). Copying copies the whole subtree; nothing is shared.
#pragma once

#include <kivCore/UniquePtr.h>
#include <kivJSON/JSONSystem.h>

#include <cstddef>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>
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
    // --- Extensions: creation from text and 64-bit integers ------------------
    // A string, so that `doc["name"] = "x"` stores text (without this form C++
    // would turn a literal into a bool). The escape flag is computed.
    JsonValue(const char* text);
    JsonValue(const std::string& text);
    JsonValue(std::string&& text);  // takes the text over
    JsonValue(std::string_view text);
    JsonValue(std::nullptr_t) = delete;   // neither a null value nor empty text
    JsonValue(long long value);           // the number `long` gives
    JsonValue(unsigned long long value);  // the number `unsigned long` gives

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
    // So `doc = std::move(doc["data"])` leaves the old root owned by its own
    // child and leaks the tree; `doc = doc.Take("data")` is the safe form.
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
    // The reference is into the parent, which the next member or element added
    // may move: `o["b"] = o["a"]` can read freed memory; `o.Set("b", o.At("a"))`
    // is the safe form.
    // Finds the first member with `key` or appends (key, null).
    JsonValue& operator[](const std::string& key);
    JsonValue& operator[](char key);  // one-character key; NUL gives the empty key
    // Grows the array with nulls when `index` is past the end.
    JsonValue& operator[](size_t index);
    // So that `value[0]` is not ambiguous between the char and size_t forms.
    JsonValue& operator[](int index) { return (*this)[static_cast<size_t>(index)]; }

    // --- Extensions: changing a document --------------------------------------
    // The adding forms turn a null into an empty array or object first (kept
    // only if the operation succeeds); the others need an array or object.
    // Wrong types throw "not an array" / "not an object", and a failed call
    // leaves the value as it was. Values and keys are taken by value, so a part
    // of this very tree may be passed: `o.Set("b", o.At("a"))` is safe where
    // `o["b"] = o["a"]` is not (see docs/API.md, "Changing a document").
    JsonValue& PushBack(JsonValue value);
    JsonValue& Insert(size_t index, JsonValue value);     // "index out of bounds" past Size()
    JsonValue& Append(std::string key, JsonValue value);  // always appends a member
    JsonValue& Set(std::string key, JsonValue value);     // first member with key, or appends
    void Erase(size_t index);                             // "index out of bounds"
    size_t Erase(const std::string& key);                 // the first member; 1 or 0
    size_t EraseAll(const std::string& key);              // every member; how many
    // Removes a child and hands it back: `doc = doc.Take("data")` replaces a
    // document by one of its parts (`doc = std::move(doc["data"])` leaks).
    JsonValue Take(size_t index);
    JsonValue Take(const std::string& key);  // "Key not found"

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

// Extensions: literal-style factories. The values are copied out of the list.
// JsonArrayOf({1, "a", true}); JsonObjectOf({{"id", 7}, {"tags", JsonArrayOf({"x"})}}).
KIVJSON_API JsonValue JsonArrayOf(std::initializer_list<JsonValue> values);
KIVJSON_API JsonValue
JsonObjectOf(std::initializer_list<std::pair<std::string, JsonValue>> members);

// Most callers want the whole model at hand.
#include <kivJSON/JSONArray.h>
#include <kivJSON/JSONNumber.h>
#include <kivJSON/JSONObject.h>
