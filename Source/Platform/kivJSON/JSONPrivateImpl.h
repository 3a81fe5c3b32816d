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
#include <type_traits>
#include <utility>
#include <vector>

namespace _Private {

// Placement arguments that no class-scope form of JsonValueTypeImpl takes:
// not empty, not one that converts to void*, std::nothrow_t or
// std::align_val_t (nor an integer, which may be the null pointer constant 0),
// and not the (alignment, nothrow) pair.
template <class... Args>
struct IsCallerPlacement : std::true_type {};
template <>
struct IsCallerPlacement<> : std::false_type {};
template <class A>
struct IsCallerPlacement<A>
    : std::bool_constant<!(std::is_convertible<A, void*>::value ||
                           std::is_integral<std::remove_reference_t<A>>::value ||
                           std::is_convertible<A, const std::nothrow_t&>::value ||
                           std::is_convertible<A, std::align_val_t>::value)> {};
template <class A, class B>
struct IsCallerPlacement<A, B>
    : std::bool_constant<!(std::is_convertible<A, std::align_val_t>::value &&
                           std::is_convertible<B, const std::nothrow_t&>::value)> {};

// The global form for such arguments. The calls are unqualified so that
// argument-dependent lookup where they are used also finds a caller's operator
// declared after this header (for an argument type of the global namespace).
template <class... Args>
auto GlobalPlacementNew(std::size_t size, Args&&... args) noexcept(
    noexcept(operator new(size, std::forward<Args>(args)...)))
    -> decltype(operator new(size, std::forward<Args>(args)...)) {
    return operator new(size, std::forward<Args>(args)...);
}
template <class Void, class... Args>
struct HasPlacementDelete : std::false_type {};
template <class... Args>
struct HasPlacementDelete<decltype(operator delete(std::declval<void*>(), std::declval<Args>()...)),
                          Args...> : std::true_type {};
// The matching global delete, or nothing when there is none (as for a global
// placement new).
template <class... Args>
void GlobalPlacementDelete(void* block, Args&&... args) noexcept {
    if constexpr (HasPlacementDelete<void, Args...>::value) {
        operator delete(block, std::forward<Args>(args)...);
    }
}

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
    // What g++ and clang++ call when the constructor after the aligned new
    // throws; the same as the sized one.
    static void operator delete(void* block, std::align_val_t alignment) noexcept;
    // `new (std::nothrow) T`: null instead of std::bad_alloc. Their deletes run
    // only when T's constructor throws. Every delete decides from the address
    // whether the block is one of the pool's slots; any other block goes to the
    // matching global delete, whichever form allocated it.
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* block, const std::nothrow_t&) noexcept;
    static void* operator new(std::size_t size, std::align_val_t alignment,
                              const std::nothrow_t&) noexcept;
    static void operator delete(void* block, std::align_val_t alignment,
                                const std::nothrow_t&) noexcept;
    static void* operator new(std::size_t, void* place) noexcept { return place; }
    static void operator delete(void*, void*) noexcept {}
    // Any other placement form, e.g. `new (arena) JsonNumberTypeImpl(1)` with
    // the caller's own `operator new(std::size_t, Arena&)`: forwarded to the
    // global form, which the forms above would otherwise hide. The constraint
    // keeps it out of every call that one of the forms above accepts. Its
    // delete runs when the constructor throws.
    template <class... Args, class = std::enable_if_t<IsCallerPlacement<Args...>::value>,
              class = decltype(GlobalPlacementNew(std::size_t(), std::declval<Args>()...))>
    static void* operator new(std::size_t size, Args&&... args) noexcept(
        noexcept(GlobalPlacementNew(size, std::forward<Args>(args)...))) {
        return GlobalPlacementNew(size, std::forward<Args>(args)...);
    }
    template <class... Args, class = std::enable_if_t<IsCallerPlacement<Args...>::value>>
    static void operator delete(void* block, Args&&... args) noexcept {
        GlobalPlacementDelete(block, std::forward<Args>(args)...);
    }
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
