#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

uint64_t Bits(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

TEST(Number, KindAndPayloadFollowTheArgumentType) {
    const struct {
        const char* made;
        JsonValue value;
        JsonNumber::Kind kind;
        uint64_t payload;
    } cases[] = {
        {"int 0", JsonValue(0), JsonNumber::Uint64, 0},
        {"int -1", JsonValue(-1), JsonNumber::Int64, UINT64_MAX},
        {"unsigned UINT_MAX", JsonValue(UINT_MAX), JsonNumber::Uint64, 4294967295u},
        {"long LONG_MIN", JsonValue(LONG_MIN), JsonNumber::Int64, UINT64_C(1) << 63},
        {"long LONG_MAX", JsonValue(LONG_MAX), JsonNumber::Uint64, UINT64_MAX >> 1},
        {"unsigned long max", JsonValue(ULONG_MAX), JsonNumber::Uint64, UINT64_MAX},
        {"double -0.0", JsonValue(-0.0), JsonNumber::Double, Bits(-0.0)},
        {"NumberType(int -5)", JsonValue::NumberType(-5), JsonNumber::Int64, UINT64_MAX - 4},
        {"NumberType(unsigned 5)", JsonValue::NumberType(5u), JsonNumber::Uint64, 5},
        {"NumberType(double 5)", JsonValue::NumberType(5.0), JsonNumber::Double, Bits(5.0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.made);
        const JsonNumber n = c.value.AsNumber();
        EXPECT_EQ(n.m_kind, c.kind);
        EXPECT_EQ(n.m_value, c.payload);
        EXPECT_EQ(c.value.IsInteger(), c.kind != JsonNumber::Double);
        EXPECT_EQ(c.value.IsDouble(), c.kind == JsonNumber::Double);
    }
}

TEST(Number, RangeTestsAndConversions) {
    const struct {
        const char* made;
        JsonNumber number;
        bool int32, uint32, int64;
        int asInt32;
        double asDouble;
    } cases[] = {
        {"-2147483648", JsonNumber(INT_MIN), true, false, true, INT_MIN, -2147483648.0},
        {"2147483647", JsonNumber(INT_MAX), true, true, true, INT_MAX, 2147483647.0},
        {"2147483648", JsonNumber(2147483648UL), false, true, true, INT_MIN, 2147483648.0},
        {"-2147483649", JsonNumber(-2147483649L), false, false, true, INT_MAX, -2147483649.0},
        {"4294967295", JsonNumber(4294967295u), false, true, true, -1, 4294967295.0},
        {"4294967296", JsonNumber(4294967296UL), false, false, true, 0, 4294967296.0},
        {"LONG_MIN", JsonNumber(LONG_MIN), false, false, true, 0, -9223372036854775808.0},
        {"2^63", JsonNumber(UINT64_C(1) << 63), false, false, false, 0, 9223372036854775808.0},
        {"2^64-1", JsonNumber(ULONG_MAX), false, false, false, -1, 18446744073709551616.0},
        {"-2.7", JsonNumber(-2.7), false, false, false, -2, -2.7},
        {"2147483647.9", JsonNumber(2147483647.9), false, false, false, INT_MAX, 2147483647.9},
        // Out of int range and NaN: AsInt32 gives 0 rather than undefined behaviour.
        {"2147483648.0", JsonNumber(2147483648.0), false, false, false, 0, 2147483648.0},
        {"inf", JsonNumber(HUGE_VAL), false, false, false, 0, HUGE_VAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.made);
        EXPECT_EQ(c.number.IsIntegral(), c.number.m_kind != JsonNumber::Double);
        EXPECT_EQ(c.number.IsInt32(), c.int32);
        EXPECT_EQ(c.number.IsUint32(), c.uint32);
        EXPECT_EQ(c.number.IsInt64(), c.int64);
        EXPECT_EQ(c.number.AsInt32(), c.asInt32);
        EXPECT_EQ(c.number.AsDouble(), c.asDouble);
    }
    EXPECT_EQ(JsonNumber(std::nan("")).AsInt32(), 0);
    EXPECT_EQ(JsonValue(4294967297UL).AsInteger(), 1);
}

}  // namespace
