// JsonArray: the elements of an array value, in order, held by value.
#pragma once

#include <kivJSON/JSONValue.h>

#include <utility>
#include <vector>

class KIVJSON_API JsonArray {
public:
    using const_iterator = std::vector<JsonValue>::const_iterator;
    using iterator = std::vector<JsonValue>::iterator;  // extension

    JsonArray();
    explicit JsonArray(size_t count);  // `count` nulls, capacity exactly `count`
    explicit JsonArray(std::vector<JsonValue> values);
    JsonArray(const JsonArray& other);  // deep copy

    size_t Size() const;
    const_iterator Begin() const;
    const_iterator End() const;
    const_iterator begin() const { return Begin(); }
    const_iterator end() const { return End(); }

    // std::out_of_range "index out of bounds" when index >= Size().
    JsonValue& At(size_t index);
    const JsonValue& At(size_t index) const;
    // Grows the array with nulls when index >= Size(); a full array doubles its capacity.
    JsonValue& operator[](size_t index);

    // --- Extensions: changing the elements ------------------------------------
    // Each leaves the array as it was when it throws (std::out_of_range "index
    // out of bounds", std::bad_alloc). Values are taken by value, so an element
    // of this very array may be passed: it is copied before the array changes.
    // Mutable iteration: `for (JsonValue& e : array)` may change the elements.
    iterator begin() { return m_values.begin(); }
    iterator end() { return m_values.end(); }
    // The elements, read without a call into the library: for code that walks
    // many small arrays (the conversions of <kivJSON/JSONConvert.h> do).
    const std::vector<JsonValue>& Elements() const noexcept { return m_values; }
    JsonValue& PushBack(JsonValue value);  // amortised O(1)
    template <class... Args>
    JsonValue& EmplaceBack(Args&&... args) {
        return PushBack(JsonValue(std::forward<Args>(args)...));
    }
    // Before the element at `index`; `index` == Size() appends.
    JsonValue& Insert(size_t index, JsonValue value);
    iterator Insert(const_iterator position, JsonValue value);
    void Erase(size_t index);  // "index out of bounds" past the end
    // [first, last); "index out of bounds" unless first <= last <= Size().
    void Erase(size_t first, size_t last);
    iterator Erase(const_iterator position);
    iterator Erase(const_iterator first, const_iterator last);
    // Removes the element at `index` and hands it back: the one safe way to make
    // a part of a tree the whole (`doc = doc.AsArray().Take(0)`).
    JsonValue Take(size_t index);
    void Clear();
    void Reserve(size_t count);
    size_t Capacity() const;

private:
    friend class _Private::JsonArrayTypeImpl;
    friend struct _Private::JsonTreeAccess;

    std::vector<JsonValue> m_values;
};
