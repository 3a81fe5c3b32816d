#include <kivJSON/JSONNumber.h>

#include <cstring>

namespace {

uint64_t BitsOf(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double DoubleOf(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Zero and positive integers are Uint64 whatever type they came from.
JsonNumber::Kind SignedKind(int64_t value) {
    return value < 0 ? JsonNumber::Int64 : JsonNumber::Uint64;
}

}  // namespace

JsonNumber::JsonNumber(int value)
    : m_value(static_cast<uint64_t>(static_cast<int64_t>(value))), m_kind(SignedKind(value)) {}

JsonNumber::JsonNumber(unsigned int value) : m_value(value), m_kind(Uint64) {}

JsonNumber::JsonNumber(long value)
    : m_value(static_cast<uint64_t>(value)), m_kind(SignedKind(value)) {}

JsonNumber::JsonNumber(unsigned long value) : m_value(value), m_kind(Uint64) {}

JsonNumber::JsonNumber(double value) : m_value(BitsOf(value)), m_kind(Double) {}

bool JsonNumber::IsIntegral() const { return m_kind != Double; }

bool JsonNumber::IsInt32() const {
    switch (m_kind) {
        case Int64:
            return static_cast<int64_t>(m_value) >= INT32_MIN;
        case Uint64:
            return m_value <= static_cast<uint64_t>(INT32_MAX);
        default:
            return false;
    }
}

bool JsonNumber::IsUint32() const {
    // An Int64 is negative, so its unsigned reading is always above UINT32_MAX.
    return IsIntegral() && m_value <= UINT32_MAX;
}

bool JsonNumber::IsInt64() const {
    switch (m_kind) {
        case Int64:
            return true;
        case Uint64:
            return m_value <= static_cast<uint64_t>(INT64_MAX);
        default:
            return false;
    }
}

int JsonNumber::AsInt32() const {
    if (m_kind == Double) {
        // NaN and values outside int are unspecified; truncation is what we promise.
        double value = DoubleOf(m_value);
        if (!(value > static_cast<double>(INT32_MIN) - 1.0 &&
              value < static_cast<double>(INT32_MAX) + 1.0)) {
            return 0;
        }
        return static_cast<int>(value);
    }
    return static_cast<int32_t>(static_cast<uint32_t>(m_value));
}

double JsonNumber::AsDouble() const {
    switch (m_kind) {
        case Int64:
            return static_cast<double>(static_cast<int64_t>(m_value));
        case Uint64:
            return static_cast<double>(m_value);
        case Double:
            return DoubleOf(m_value);
        default:
            return 0.0;
    }
}

bool JsonNumber::operator==(const JsonNumber& other) const {
    if (m_kind != other.m_kind) {
        return false;
    }
    switch (m_kind) {
        case Int64:
        case Uint64:
            return m_value == other.m_value;
        case Double:
            return DoubleOf(m_value) == DoubleOf(other.m_value);
        default:
            return false;
    }
}
