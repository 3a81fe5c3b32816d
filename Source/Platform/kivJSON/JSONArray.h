// JsonArray: the elements of an array value, in order, held by value.
#pragma once

#include <kivJSON/JSONValue.h>

#include <vector>

class KIVJSON_API JsonArray {
public:
    using const_iterator = std::vector<JsonValue>::const_iterator;

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

private:
    friend class _Private::JsonArrayTypeImpl;
    friend struct _Private::JsonTreeAccess;

    std::vector<JsonValue> m_values;
};
