// The type implementations behind JsonValue: one abstract interface and six
// concrete classes. The order of the virtual operations is the order of their
// slots in the exported vtable and must not change.
#pragma once

#include <kivJSON/JSONArray.h>
#include <kivJSON/JSONNumber.h>
#include <kivJSON/JSONObject.h>
#include <kivJSON/JSONValue.h>

#include <cstddef>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace _Private {

class KIVJSON_API JsonValueTypeImpl {
public:
    // A new implementation holding a deep copy of this one.
    virtual UniquePtr<JsonValueTypeImpl> CopyValue() const = 0;
    virtual bool HasField(const std::string& key) const;              // false
    virtual const JsonValue& GetField(const std::string& key) const;  // "not an object"
    virtual const JsonValue& GetElement(size_t index) const;          // "not an array"
    virtual JsonValue& Index(const std::string& key);                 // "not an object"
    virtual JsonValue& Index(char key);                               // "not an object"
    virtual JsonValue& Index(size_t index);                           // "not an array"
    virtual const JsonValue& Index(const std::string& key) const;     // "not an object"
    virtual const JsonValue& Index(char key) const;                   // "not an object"
    virtual const JsonValue& Index(size_t index) const;               // "not an array"
    // Top-level writing: pre-sizes where the type has an estimate, then Format.
    virtual void SerializeImpl(std::string& out) const;
    virtual void SerializeImpl(std::wstring& out) const;
    virtual std::string ToString() const;
    virtual JsonType Type() const;               // Null
    virtual bool IsInteger() const;              // "not a number"
    virtual bool IsDouble() const;               // "not a number"
    virtual JsonNumber AsNumber() const;         // "not a number"
    virtual double AsDouble() const;             // "not a number"
    virtual int AsInteger() const;               // "not a number"
    virtual bool AsBool() const;                 // "not a boolean"
    virtual JsonArray& AsArray();                // "not an array"
    virtual const JsonArray& AsArray() const;    // "not an array"
    virtual JsonObject& AsObject();              // "not an object"
    virtual const JsonObject& AsObject() const;  // "not an object"
    virtual std::string AsString() const;        // "not a string"
    virtual size_t Size() const;                 // 0
    virtual ~JsonValueTypeImpl();
    // Appends the compact text of this value; the base writes "null".
    virtual void Format(std::string& out) const;
    virtual void Format(std::wstring& out) const;

    // Implementations, subclasses included, are allocated by these. Small
    // objects come from per-thread caches of fixed-size slots (README, "Choices
    // we made"), everything else from ::operator new; the virtual destructor
    // passes the object's real size back.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;
    static void* operator new(std::size_t size, std::align_val_t alignment);
    static void operator delete(void* block, std::size_t size, std::align_val_t alignment) noexcept;
    // `new (std::nothrow) T`: null instead of std::bad_alloc. Its delete runs
    // only when T's constructor throws.
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* block, const std::nothrow_t&) noexcept;
    static void* operator new(std::size_t, void* place) noexcept { return place; }
    static void operator delete(void*, void*) noexcept {}
};

class KIVJSON_API JsonNullTypeImpl : public JsonValueTypeImpl {
public:
    UniquePtr<JsonValueTypeImpl> CopyValue() const override;
    JsonType Type() const override;
    ~JsonNullTypeImpl() override;
};

class KIVJSON_API JsonBoolTypeImpl : public JsonValueTypeImpl {
public:
    explicit JsonBoolTypeImpl(bool value);
    UniquePtr<JsonValueTypeImpl> CopyValue() const override;
    JsonType Type() const override;
    bool AsBool() const override;
    ~JsonBoolTypeImpl() override;
    void Format(std::string& out) const override;
    void Format(std::wstring& out) const override;

private:
    friend struct JsonTreeAccess;
    bool m_value;
};

class KIVJSON_API JsonNumberTypeImpl : public JsonValueTypeImpl {
public:
    explicit JsonNumberTypeImpl(int value);
    explicit JsonNumberTypeImpl(unsigned int value);
    explicit JsonNumberTypeImpl(long value);
    explicit JsonNumberTypeImpl(unsigned long value);
    explicit JsonNumberTypeImpl(double value);
    JsonNumberTypeImpl(const JsonNumberTypeImpl& other);

    UniquePtr<JsonValueTypeImpl> CopyValue() const override;
    JsonType Type() const override;
    bool IsInteger() const override;
    bool IsDouble() const override;
    JsonNumber AsNumber() const override;
    double AsDouble() const override;
    int AsInteger() const override;
    ~JsonNumberTypeImpl() override;
    // Integers in plain decimal, doubles as "%.*g" with precision 17.
    void Format(std::string& out) const override;
    void Format(std::wstring& out) const override;

private:
    friend struct JsonTreeAccess;
    JsonNumber m_number;
};

class KIVJSON_API JsonStringTypeImpl : public JsonValueTypeImpl {
public:
    explicit JsonStringTypeImpl(const std::string& text);                  // flag computed
    JsonStringTypeImpl(const std::string& text, bool escapeCharsPresent);  // flag trusted
    // Wide text is converted to UTF-8; std::range_error "wstring_convert::to_bytes".
    explicit JsonStringTypeImpl(const std::wstring& text);
    JsonStringTypeImpl(const std::wstring& text, bool escapeCharsPresent);
    JsonStringTypeImpl(const JsonStringTypeImpl& other);
    JsonStringTypeImpl& operator=(const JsonStringTypeImpl& other);

    // True when the text holds '"', '\\' or a character below 0x20.
    static bool EscapeCharsPresent(const JsonStringTypeImpl& value);
    void CopyFrom(const JsonStringTypeImpl& other);
    size_t GetReservedSize() const;  // text length + 2

    UniquePtr<JsonValueTypeImpl> CopyValue() const override;
    void SerializeImpl(std::string& out) const override;
    void SerializeImpl(std::wstring& out) const override;
    JsonType Type() const override;
    std::string AsString() const override;
    ~JsonStringTypeImpl() override;
    void Format(std::string& out) const override;
    void Format(std::wstring& out) const override;

private:
    friend struct JsonTreeAccess;
    template <class C>
    void SerializeImplForCharType(std::basic_string<C>& out) const;

    std::string m_value;
    bool m_escapeCharsPresent;
};

class KIVJSON_API JsonArrayTypeImpl : public JsonValueTypeImpl {
public:
    JsonArrayTypeImpl();
    explicit JsonArrayTypeImpl(size_t count);
    explicit JsonArrayTypeImpl(std::vector<JsonValue> values);
    JsonArrayTypeImpl(const JsonArrayTypeImpl& other);

    bool IsEqual(const JsonArrayTypeImpl* other) const;
    // 2, plus 20 per element of each container child (5 for a scalar or empty child).
    size_t GetReservedSize() const;

    UniquePtr<JsonValueTypeImpl> CopyValue() const override;
    JsonValue& Index(size_t index) override;
    void SerializeImpl(std::string& out) const override;
    void SerializeImpl(std::wstring& out) const override;
    JsonType Type() const override;
    JsonArray& AsArray() override;
    const JsonArray& AsArray() const override;
    size_t Size() const override;
    ~JsonArrayTypeImpl() override;
    void Format(std::string& out) const override;
    void Format(std::wstring& out) const override;

private:
    friend struct JsonTreeAccess;
    template <class C>
    void FormatImpl(std::basic_string<C>& out) const;

    JsonArray m_array;
};

class KIVJSON_API JsonObjectTypeImpl : public JsonValueTypeImpl {
public:
    JsonObjectTypeImpl();
    explicit JsonObjectTypeImpl(std::vector<std::pair<std::string, JsonValue>> pairs);
    JsonObjectTypeImpl(const JsonObjectTypeImpl& other);

    bool IsEqual(const JsonObjectTypeImpl* other) const;
    // 2, plus per member the key length + 2 and 20 per element of a container
    // value, the length + 2 of a string value, or 5.
    size_t GetReservedSize() const;

    UniquePtr<JsonValueTypeImpl> CopyValue() const override;
    bool HasField(const std::string& key) const override;
    JsonValue& Index(const std::string& key) override;
    JsonValue& Index(char key) override;
    void SerializeImpl(std::string& out) const override;
    void SerializeImpl(std::wstring& out) const override;
    JsonType Type() const override;
    JsonObject& AsObject() override;
    const JsonObject& AsObject() const override;
    size_t Size() const override;
    ~JsonObjectTypeImpl() override;
    void Format(std::string& out) const override;
    void Format(std::wstring& out) const override;

private:
    friend struct JsonTreeAccess;
    template <class C>
    void FormatImpl(std::basic_string<C>& out) const;

    JsonObject m_object;
};

// Creates a T with `new` and hands it over as an owning interface pointer.
template <class T>
UniquePtr<JsonValueTypeImpl> JsonMakeUnique() {
    return WrapUnique<JsonValueTypeImpl>(new T());
}

template <class T, class... Args>
UniquePtr<JsonValueTypeImpl> JsonMakeUnique(Args&&... args) {
    return WrapUnique<JsonValueTypeImpl>(new T(std::forward<Args>(args)...));
}

}  // namespace _Private
