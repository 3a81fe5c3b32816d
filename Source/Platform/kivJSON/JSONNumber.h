// JsonNumber: a 64-bit payload and the kind that says how to read it.
#pragma once

#include <kivJSON/JSONSystem.h>

#include <cstddef>
#include <cstdint>

class KIVJSON_API JsonNumber {
public:
    enum Kind : int32_t {
        Int64 = 0,   // always negative
        Uint64 = 1,  // every integer >= 0
        Double = 2,
    };

    JsonNumber(int value);
    JsonNumber(unsigned int value);
    JsonNumber(long value);
    JsonNumber(unsigned long value);
    JsonNumber(double value);

    bool IsIntegral() const;  // kind is not Double
    bool IsInt32() const;     // an integer in [-2^31, 2^31 - 1]; never a Double
    bool IsUint32() const;    // an integer in [0, 2^32 - 1]; never a Double
    bool IsInt64() const;     // an integer in [-2^63, 2^63 - 1]; never a Double
    int AsInt32() const;      // low 32 bits of an integer; a Double truncated toward zero
    double AsDouble() const;
    // Kinds must match; integers compare bits, doubles compare as IEEE values.
    bool operator==(const JsonNumber& other) const;
    bool operator!=(const JsonNumber& other) const { return !(*this == other); }

    Kind GetKind() const { return m_kind; }

    // A plain record: the payload (int64, uint64 or the bits of a double) and its kind.
    uint64_t m_value;
    Kind m_kind;
};

static_assert(sizeof(JsonNumber) == 16, "JsonNumber is 64-bit payload + 32-bit kind");
static_assert(offsetof(JsonNumber, m_value) == 0 && offsetof(JsonNumber, m_kind) == 8,
              "JsonNumber field order is part of the interface");
static_assert(sizeof(JsonNumber::Kind) == 4, "JsonNumber::Kind is 32 bits");
