#include <kivJSON/JSONArray.h>

#include <stdexcept>

JsonArray::JsonArray() = default;

JsonArray::JsonArray(size_t count) : m_values(count) {}

JsonArray::JsonArray(std::vector<JsonValue> values) : m_values(std::move(values)) {}

JsonArray::JsonArray(const JsonArray& other) = default;

size_t JsonArray::Size() const { return m_values.size(); }
JsonArray::const_iterator JsonArray::Begin() const { return m_values.begin(); }
JsonArray::const_iterator JsonArray::End() const { return m_values.end(); }

JsonValue& JsonArray::At(size_t index) {
    if (index >= m_values.size()) {
        throw std::out_of_range("index out of bounds");
    }
    return m_values[index];
}

const JsonValue& JsonArray::At(size_t index) const {
    if (index >= m_values.size()) {
        throw std::out_of_range("index out of bounds");
    }
    return m_values[index];
}

JsonValue& JsonArray::operator[](size_t index) {
    // Also catches SIZE_MAX (v[-1] through the int overload), where index + 1 wraps to 0.
    if (index >= m_values.max_size()) {
        throw std::length_error("array index too large");
    }
    const size_t needed = index + 1;
    if (needed > m_values.size()) {
        // Reserving twice the new length keeps appends by subscript amortized
        // constant; a failed reserve or resize leaves the array as it was.
        if (m_values.size() == m_values.capacity()) {
            m_values.reserve(2 * needed);
        }
        m_values.resize(needed);
    }
    return m_values[index];
}

// --- Extensions: changing the elements -------------------------------------------
// The vector's own operations give the guarantee: JsonValue moves without
// throwing, so an insert that cannot allocate changes nothing.

JsonValue& JsonArray::PushBack(JsonValue value) {
    m_values.push_back(std::move(value));
    return m_values.back();
}

JsonValue& JsonArray::Insert(size_t index, JsonValue value) {
    if (index > m_values.size()) {
        throw std::out_of_range("index out of bounds");
    }
    return *m_values.insert(m_values.begin() + static_cast<std::ptrdiff_t>(index),
                            std::move(value));
}

JsonArray::iterator JsonArray::Insert(const_iterator position, JsonValue value) {
    return m_values.insert(position, std::move(value));
}

void JsonArray::Erase(size_t index) {
    Erase(index, index + 1);
}

void JsonArray::Erase(size_t first, size_t last) {
    if (first > last || last > m_values.size()) {
        throw std::out_of_range("index out of bounds");
    }
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(first),
                   m_values.begin() + static_cast<std::ptrdiff_t>(last));
}

JsonArray::iterator JsonArray::Erase(const_iterator position) {
    return m_values.erase(position);
}

JsonArray::iterator JsonArray::Erase(const_iterator first, const_iterator last) {
    return m_values.erase(first, last);
}

JsonValue JsonArray::Take(size_t index) {
    JsonValue taken = std::move(At(index));
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(index));
    return taken;
}

void JsonArray::Clear() {
    m_values.clear();
}
void JsonArray::Reserve(size_t count) {
    m_values.reserve(count);
}
size_t JsonArray::Capacity() const {
    return m_values.capacity();
}
