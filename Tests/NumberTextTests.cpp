// The number kernels against the C library (strtod, "%.17g") on edge cases and
// a seeded random sample, the shortest text against std::to_chars;
// Benchmarks/proofs checks the same at length.
#include <kivJSON/internal/NumberText.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

// Undecided literals go to the caller's fallback, so only decided ones count.
void ExpectLikeStrtod(uint64_t digits, int64_t exponent10, bool negative) {
    const std::string text =
        (negative ? "-" : "") + std::to_string(digits) + "e" + std::to_string(exponent10);
    const double expected = std::strtod(text.c_str(), nullptr);
    double got = 0;
    if (_Private::DecimalToDouble(digits, exponent10, negative, got)) {
        EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << text << " gave " << got;
    }
}

void ExpectLikePrintf(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    char expected[40], got[40];
    std::snprintf(expected, sizeof expected, "%.17g", value);
    *_Private::WriteDouble17(value, got) = '\0';
    EXPECT_TRUE(!std::isfinite(value) || std::strcmp(got, expected) == 0)
        << got << " vs " << expected;
}

// The shortest text is std::to_chars's, character for character.
void ExpectLikeToChars(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    char expected[40], got[40];
    *std::to_chars(expected, expected + sizeof expected, value).ptr = '\0';
    *_Private::WriteDoubleShortest(value, got) = '\0';
    EXPECT_TRUE(!std::isfinite(value) || std::strcmp(got, expected) == 0)
        << got << " vs " << expected;
}

TEST(NumberText, EdgesHalfwayCasesAndARandomSample) {
    // Zero, under- and overflow, exact ties (2^53 + 1 and + 3), DBL_MAX's and DBL_MIN's neighbours.
    const uint64_t digits[] = {0,
                               1,
                               1,
                               9007199254740993,
                               9007199254740995,
                               17976931348623159,
                               22250738585072014,
                               9999999999999999999u};
    const int64_t exponents[] = {400, -400, 400, 0, 0, 292, -324, -343};
    for (size_t i = 0; i < sizeof digits / sizeof digits[0]; ++i) {
        ExpectLikeStrtod(digits[i], exponents[i], (i & 1) != 0);
    }
    for (double value : {-0.0, 1e-5, 1e-4, 1e16, 1e17, 1e23, DBL_MAX, DBL_MIN, DBL_TRUE_MIN,
                         1234567890123456.75, 1234567890123456.25}) {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        ExpectLikePrintf(bits);
        ExpectLikePrintf(bits + 1);
    }
    // Where the shortest form changes: fixed against exponent, the whole
    // numbers std::to_chars writes exactly, the lower bound nearer at powers of two.
    for (double value : {0.0,     -0.0,
                         0.1,     1e-3,
                         1e-4,    1.5e-4,
                         1e-5,    1e4,
                         1e5,     12e5,
                         1e15,    1e15 + 1,
                         1e16,    1e17,
                         1e21,    1e22,
                         1e23,    1e100,
                         0x1p53,  0x1p60,
                         0x1p-3,  5e-324,
                         DBL_MAX, DBL_MIN,
                         0.3e-99, 65.613616999999977}) {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        ExpectLikeToChars(bits);
        ExpectLikeToChars(bits + 1);
        ExpectLikeToChars(bits - 1);
    }
    for (int exponent = -1074; exponent <= 1023; ++exponent) {  // the lower bound nearer
        const double power = std::ldexp(1.0, exponent);
        uint64_t bits;
        std::memcpy(&bits, &power, sizeof bits);
        ExpectLikeToChars(bits);
        ExpectLikeToChars(bits - 1);
    }
    std::mt19937_64 random(20261206);
    for (int i = 0; i < 200000; ++i) {
        const uint64_t literal =
            random() % static_cast<uint64_t>(std::pow(10.0, 1 + random() % 19));
        ExpectLikeStrtod(literal, static_cast<int64_t>(random() % 680) - 360, (random() & 1) != 0);
        ExpectLikePrintf(random());
        ExpectLikeToChars(random());
        // Canada-like: up to 17 digits, 10^-6 to 10^6.
        const double decimal = static_cast<double>(literal % 100000000000000000) *
                               std::pow(10.0, static_cast<int>(random() % 24) - 22);
        uint64_t decimalBits;
        std::memcpy(&decimalBits, &decimal, sizeof decimal);
        ExpectLikeToChars(decimalBits);
    }
}

// The 17-digit writer's own path (no fallback) decides every double next to
// a power of ten, where the decimal exponent steps up inside a binade, and
// next to a power of two, where the binade changes: a wrong exponent there
// would be hidden by the fallback's correct text, so the path is asked alone.
TEST(NumberText, SeventeenDigitPathDecidesAtEveryExponentStep) {
    const auto expectDecided = [](double near, int step) {
        uint64_t bits;
        std::memcpy(&bits, &near, sizeof bits);
        for (int delta = -step; delta <= step; ++delta) {
            double value;
            const uint64_t neighbour = bits + static_cast<uint64_t>(delta);
            std::memcpy(&value, &neighbour, sizeof value);
            if (!std::isfinite(value)) {
                continue;
            }
            char expected[40], got[40];
            std::snprintf(expected, sizeof expected, "%.17g", value);
            char* end = _Private::WriteDouble17Decided(value, got);
            ASSERT_NE(end, nullptr) << expected;
            *end = '\0';
            ASSERT_STREQ(got, expected);
        }
    };
    for (int exponent = -323; exponent <= 308; ++exponent) {
        expectDecided(std::strtod(("1e" + std::to_string(exponent)).c_str(), nullptr), 3);
    }
    for (int exponent = -1074; exponent <= 1023; ++exponent) {
        expectDecided(std::ldexp(1.0, exponent), 1);
    }
}

// Both ways of making seventeen digits give the number's decimal text and
// the count without trailing zeros: every value of each 4-digit group (the
// SSE2 lanes divide each group on its own), with the other digits at their
// least and most, and trailing zeros of every length.
TEST(NumberText, SeventeenDigitTextBothWays) {
    const auto expectText = [](const _Private::DigitText17& got, uint64_t n, const char* way) {
        char text[24];
        std::memcpy(text, &got.low, 8);
        std::memcpy(text + 8, &got.high, 8);
        const uint16_t tail = static_cast<uint16_t>(got.tail);
        std::memcpy(text + 15, &tail, 2);
        const std::string expected = std::to_string(n);
        ASSERT_EQ(std::string(text, 17), expected) << way;
        ASSERT_EQ(got.significant, static_cast<int>(expected.find_last_not_of('0') + 1))
            << way << " " << n;
    };
    const auto expectBothWays = [&](uint64_t n) {
        expectText(_Private::DigitTextOfPortable(n), n, "portable");
#if defined(__SSE2__) && defined(__x86_64__)
        expectText(_Private::DigitTextOfSse2(n), n, "SSE2");
#endif
    };
    constexpr uint64_t kLeast = 10000000000000000;  // 10^16
    for (uint64_t group = 0; group < 10000; ++group) {
        for (uint64_t place = 1; place < kLeast; place *= 10000) {
            expectBothWays(kLeast + group * place);
            expectBothWays(10 * kLeast - 1 - group * place);
        }
    }
    for (uint64_t zeros = 1; zeros <= kLeast; zeros *= 10) {
        expectBothWays(98765432109876543 / zeros * zeros);
    }
}

}  // namespace
