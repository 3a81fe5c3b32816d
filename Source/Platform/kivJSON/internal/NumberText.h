// Internal to the library: conversions between doubles and decimal text that
// the parser and the writer share. Every function here is exact: a result it
// cannot guarantee is reported as undecided (or handed to std::to_chars) so
// that the caller takes its general path.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "PowersOfTen.h"

namespace _Private {

__extension__ typedef unsigned __int128 NumberTextWide;
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "WriteDouble17 lays text out in little-endian words");

// floor(q * log2(10)) for q in [-348, 347], and floor(e * log10(2)) for e in
// [-1140, 1024]; PowersOfTen.py checks both over those ranges. Right shifts of
// negative values are arithmetic on every compiler we build with.
constexpr int FloorLog2OfPow10(int q) noexcept {
    return (q * 217706) >> 16;
}
constexpr int FloorLog10OfPow2(int e) noexcept {
    return (e * 78913) >> 18;
}

inline double DoubleFromBits(uint64_t bits) noexcept {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The double nearest to (negative ? -1 : 1) * digits * 10^exponent10, ties to
// even, as strtod gives it. `digits` holds every significant digit of the
// literal (at most 19, none dropped). Returns false, leaving `out` alone, when
// it cannot decide (subnormal results, overflow near DBL_MAX, and the rare
// products too close to a rounding boundary); the caller then converts the
// literal's text.
[[gnu::always_inline]] inline bool DecimalToDouble(uint64_t digits, int64_t exponent10,
                                                   bool negative, double& out) noexcept {
    const uint64_t sign = negative ? uint64_t{1} << 63 : 0;
    // Clinger: both factors are exact doubles, so one rounding gives the answer.
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (digits <= (uint64_t{1} << 53) && exponent10 >= -22 && exponent10 <= 22) {
        double value = static_cast<double>(digits);
        value = exponent10 < 0 ? value / kPowers[-exponent10] : value * kPowers[exponent10];
        out = negative ? -value : value;
        return true;
    }
    // Below 10^-348 even 2^64 digits are under half the smallest subnormal;
    // from 10^309 up any nonzero literal exceeds DBL_MAX.
    if (digits == 0 || exponent10 < kPowerOfTenMin) {
        out = DoubleFromBits(sign);
        return true;
    }
    if (exponent10 > 308) {
        out = DoubleFromBits(sign | uint64_t{0x7FF} << 52);
        return true;
    }
    // Eisel-Lemire: multiply the normalized digits by the 128-bit power and
    // keep the top 54 bits, widening to the power's low word only when the
    // bits below could carry, and giving up when they still could.
    const int q = static_cast<int>(exponent10);
    const PowerOfTen128& power = kPowersOfTen[q - kPowerOfTenMin];
    const int zeros = __builtin_clzll(digits);
    const uint64_t w = digits << zeros;
    int exponent2 = FloorLog2OfPow10(q) + 64 + 1023 - zeros;
    const NumberTextWide x = static_cast<NumberTextWide>(w) * power.high;
    uint64_t high = static_cast<uint64_t>(x >> 64);
    uint64_t low = static_cast<uint64_t>(x);
    if ((high & 0x1FF) == 0x1FF && low + w < w) {
        const NumberTextWide y = static_cast<NumberTextWide>(w) * power.low;
        const uint64_t yHigh = static_cast<uint64_t>(y >> 64);
        const uint64_t yLow = static_cast<uint64_t>(y);
        uint64_t mergedHigh = high;
        const uint64_t mergedLow = low + yHigh;
        if (mergedLow < low) {
            ++mergedHigh;
        }
        if ((mergedHigh & 0x1FF) == 0x1FF && mergedLow + 1 == 0 && yLow + w < w) {
            return false;
        }
        high = mergedHigh;
        low = mergedLow;
    }
    const uint64_t top = high >> 63;
    uint64_t mantissa = high >> (top + 9);
    exponent2 -= static_cast<int>(1 ^ top);
    if (low == 0 && (high & 0x1FF) == 0 && (mantissa & 3) == 1) {
        return false;  // maybe exactly halfway: leave the tie to the general path
    }
    mantissa += mantissa & 1;
    mantissa >>= 1;
    if (mantissa >> 53 != 0) {
        mantissa >>= 1;
        ++exponent2;
    }
    if (exponent2 <= 0 || exponent2 >= 0x7FF) {
        return false;  // subnormal or overflowing
    }
    out = DoubleFromBits(sign | static_cast<uint64_t>(exponent2) << 52 |
                         (mantissa & ((uint64_t{1} << 52) - 1)));
    return true;
}

// The eight decimal digits of value < 10^8 as eight digit values (0..9), the
// first in the lowest byte: halves by 10^4, quarters by 100, then tens, each
// step dividing every lane at once by a multiply and a shift (exact for these
// ranges: x * 10486 >> 20 == x / 100 for x < 10^4, x * 103 >> 10 == x / 10 for
// x < 100).
inline uint64_t EightDigitValues(uint32_t value) noexcept {
    const uint64_t upper = value / 10000;
    uint64_t x = upper | (value - upper * 10000) << 32;
    const uint64_t hundreds = ((x * 10486) >> 20) & 0x0000007F0000007F;
    x = hundreds | (x - hundreds * 100) << 16;
    const uint64_t tens = ((x * 103) >> 10) & 0x000F000F000F000F;
    return tens | (x - tens * 10) << 8;
}

// Seventeen decimal digits as text in registers: bytes 0..15 in `low` and
// `high` (the first digit in the lowest byte), digits 15 and 16 in the two
// low bytes of `tail`, and how many remain without the trailing zeros.
struct DigitText17 {
    uint64_t low;
    uint64_t high;
    uint64_t tail;
    int significant;
};

// `n` in [10^16, 10^17).
inline DigitText17 DigitTextOfPortable(uint64_t n) noexcept {
    const uint32_t upper = static_cast<uint32_t>(n / 100000000);
    const uint64_t middle = EightDigitValues(upper % 100000000);
    const uint64_t last = EightDigitValues(static_cast<uint32_t>(n % 100000000));
    constexpr uint64_t kZeros = 0x3030303030303030;
    const uint64_t middleText = middle + kZeros;
    const uint64_t lastText = last + kZeros;
    return {('0' + upper / 100000000) | middleText << 8,  // digits 0..7
            middleText >> 56 | lastText << 8,             // digits 8..15
            lastText >> 48,
            last != 0     ? 17 - __builtin_clzll(last) / 8
            : middle != 0 ? 9 - __builtin_clzll(middle) / 8
                          : 1};
}

#if defined(__SSE2__) && defined(__x86_64__)
// DigitTextOfPortable's result with the sixteen digits after the first made in
// SSE2 registers: each 4-digit group is spread over four 16-bit lanes and
// divided there by 1000, 100, 10 and 1 at once (a multiply-high by the
// reciprocal, then by a power of two; exact for every group below 10^4, which
// the tests check), and the trailing zeros come from one byte comparison. A
// quarter less time per double than the portable steps, whose multiplications
// follow one another.
inline DigitText17 DigitTextOfSse2(uint64_t n) noexcept {
    const uint32_t upper = static_cast<uint32_t>(n / 100000000);
    const long long middle = upper % 100000000;                    // digits 1..8
    const long long last = static_cast<long long>(n % 100000000);  // digits 9..16
    // Each half as its two groups of four digits: 32-bit lanes q0 r0 q1 r1
    // (x / 10^4 is x * 0xD1B71759 >> 45 for x < 10^8).
    const __m128i halves = _mm_set_epi64x(last, middle);
    const __m128i high =
        _mm_srli_epi64(_mm_mul_epu32(halves, _mm_set1_epi32(static_cast<int>(0xD1B71759u))), 45);
    const __m128i low = _mm_sub_epi32(halves, _mm_mul_epu32(high, _mm_set1_epi32(10000)));
    const __m128i groups = _mm_or_si128(high, _mm_slli_epi64(low, 32));
    // Times four (below 2^16) in 16-bit lanes, each group in four lanes.
    const __m128i groups16 = _mm_slli_epi16(_mm_packs_epi32(groups, groups), 2);
    const __m128i doubled = _mm_unpacklo_epi16(groups16, groups16);
    const __m128i first = _mm_unpacklo_epi32(doubled, doubled);   // digits 1..8
    const __m128i second = _mm_unpackhi_epi32(doubled, doubled);  // digits 9..16
    // 4g * {8389, 5243, 13108, 32768} >> 16, then >> {9, 5, 3, 1}: g / 1000,
    // g / 100, g / 10 and g in the four lanes; each minus ten times its left
    // neighbour is one digit.
    const __m128i reciprocals = _mm_set_epi16(-32768, 13108, 5243, 8389, -32768, 13108, 5243, 8389);
    const __m128i shifts =
        _mm_set_epi16(-32768, 1 << 13, 1 << 11, 1 << 7, -32768, 1 << 13, 1 << 11, 1 << 7);
    const auto digitsOf = [&](__m128i spread) {
        const __m128i prefixes = _mm_mulhi_epu16(_mm_mulhi_epu16(spread, reciprocals), shifts);
        return _mm_sub_epi16(prefixes,
                             _mm_slli_epi64(_mm_mullo_epi16(prefixes, _mm_set1_epi16(10)), 16));
    };
    const __m128i digits = _mm_packus_epi16(digitsOf(first), digitsOf(second));
    const unsigned zeros =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(digits, _mm_setzero_si128())));
    const __m128i text = _mm_add_epi8(digits, _mm_set1_epi8('0'));
    const uint64_t middleText = static_cast<uint64_t>(_mm_cvtsi128_si64(text));
    const uint64_t lastText =
        static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(text, text)));
    // The last nonzero digit of the sixteen, shifted past the first digit,
    // which counts whatever it is.
    const unsigned nonzero = (~zeros & 0xFFFF) << 1 | 1;
    return {('0' + upper / 100000000) | middleText << 8,  // digits 0..7
            middleText >> 56 | lastText << 8,             // digits 8..15
            lastText >> 48, 32 - __builtin_clz(nonzero)};
}
#endif

// `n` in [10^16, 10^17): its seventeen digits as text.
inline DigitText17 DigitTextOf(uint64_t n) noexcept {
#if defined(__SSE2__) && defined(__x86_64__)
    return DigitTextOfSse2(n);
#else
    return DigitTextOfPortable(n);
#endif
}

// Writes the digits as the value d.ddd * 10^exponent10 in the form "%g" would
// give it: fixed (exponent10 in [-4, 16] only) or with an exponent part, the
// trailing zeros removed. Stores 26 characters from `p`, whatever the text's
// length, with fixed-size stores: the point or the "0.000" prefix is merged
// in by shifts and masks.
inline char* PlaceDigitText(const DigitText17& digits, int exponent10, bool fixed,
                            char* p) noexcept {
    uint64_t textLow = digits.low;
    uint64_t textHigh = digits.high;
    const uint64_t digit16 = (digits.tail >> 8) & 0xFF;
    uint64_t tail = digits.tail;  // digits 15 and 16: bytes 16 and 17 once shifted by one
    const int significant = digits.significant;
    char* end;
    if (fixed && exponent10 >= 0) {
        const int integral = exponent10 + 1;  // digits before the point
        if (integral < 8) {
            const uint64_t head = (uint64_t{1} << (8 * integral)) - 1;
            const uint64_t kept = head | uint64_t{0xFF} << (8 * integral);
            const uint64_t shifted = textLow << 8;
            textHigh = textHigh << 8 | textLow >> 56;
            textLow = (textLow & head) | uint64_t{'.'} << (8 * integral) | (shifted & ~kept);
        } else if (integral < 16) {
            const uint64_t head = (uint64_t{1} << (8 * (integral - 8))) - 1;
            const uint64_t kept = head | uint64_t{0xFF} << (8 * (integral - 8));
            const uint64_t shifted = textHigh << 8 | textLow >> 56;
            textHigh =
                (textHigh & head) | uint64_t{'.'} << (8 * (integral - 8)) | (shifted & ~kept);
        } else {  // the point goes after digit 15 or 16
            tail = integral == 16 ? '.' | digit16 << 8 : digit16 | '.' << 8;
        }
        end = p + (significant > integral ? significant + 1 : integral);
    } else if (fixed) {
        const int bits = 8 * (1 - exponent10);  // "0." and up to three zeros
        const uint64_t zeros = uint64_t{0x303030302E30} & ((uint64_t{1} << bits) - 1);
        const uint64_t rest = textHigh >> (64 - bits) | digit16 << bits;
        textHigh = textHigh << bits | textLow >> (64 - bits);
        textLow = zeros | textLow << bits;
        std::memcpy(p + 16, &rest, 8);
        tail = rest;
        end = p + (1 - exponent10) + significant;
    } else {
        textHigh = textHigh << 8 | textLow >> 56;
        textLow = (textLow & 0xFF) | uint64_t{'.'} << 8 | (textLow >> 8) << 16;
        end = p + (significant > 1 ? significant + 1 : 1);
    }
    std::memcpy(p, &textLow, 8);
    std::memcpy(p + 8, &textHigh, 8);
    const uint16_t tail16 = static_cast<uint16_t>(tail);
    std::memcpy(p + 16, &tail16, 2);
    if (!fixed) {
        static constexpr char kExponents[] =
            "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
            "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
            "8081828384858687888990919293949596979899";
        *end++ = 'e';
        *end++ = exponent10 < 0 ? '-' : '+';
        unsigned magnitude = static_cast<unsigned>(exponent10 < 0 ? -exponent10 : exponent10);
        if (magnitude >= 100) {
            *end++ = static_cast<char>('0' + magnitude / 100);
            magnitude %= 100;
        }
        std::memcpy(end, kExponents + 2 * magnitude, 2);
        end += 2;
    }
    return end;
}

// For each binade [2^b, 2^(b+1)) that a finite double can lie in, b from
// -1074 to 1023 at [b + kBinadeBias]: the smallest m in [2^63, 2^64) at which
// m * 2^(b - 63) reaches 10^(floor(b * log10(2)) + 1), the next power of ten
// (all ones when that power lies above the binade). Every m of a double has
// its low eleven bits clear, so all ones is never reached. The power's
// leading 128 bits are rounded down: m reaches it at its high word only when
// the power is exact (its low word zero, 10^0..10^55), else one above.
constexpr int kBinadeBias = 1074;
struct BinadeThresholds {
    uint64_t values[1023 + kBinadeBias + 1];
};
constexpr BinadeThresholds MakeReachThresholds() {
    BinadeThresholds table{};
    for (int binade = -kBinadeBias; binade <= 1023; ++binade) {
        const int next = FloorLog10OfPow2(binade) + 1;
        const PowerOfTen128& power = kPowersOfTen[next - kPowerOfTenMin];
        const bool exact = power.low == 0 && next >= 0 && next <= 55;
        uint64_t threshold = ~uint64_t{0};
        if (FloorLog2OfPow10(next) == binade && (exact || power.high != ~uint64_t{0})) {
            threshold = exact ? power.high : power.high + 1;
        }
        table.values[binade + kBinadeBias] = threshold;
    }
    return table;
}
inline constexpr BinadeThresholds kReachThresholds = MakeReachThresholds();

// Writes the minus sign of a double with these bits, if it has one, and
// returns where its digits go. Without a branch: in coordinates, signs mix
// unpredictably.
inline char* PutSign(char* buffer, uint64_t bits) noexcept {
    *buffer = '-';
    return buffer + (bits >> 63);
}

// WriteDouble17's fast path: returns nullptr, having written nothing that
// counts, for a value it does not decide (not finite, or rounding undecided).
//
// value = m * 2^e is scaled by the 128-bit 10^k that brings it to 17 integer
// digits. The scaled value lies in [A, A + 2) units of the last bit kept, so
// the rounding is decided unless the kept fraction sits one unit below one
// half with an inexact power; ties (fraction exactly one half with an exact
// power and product) round to even as glibc's printf does.
[[gnu::always_inline]] inline char* WriteDouble17Decided(double value, char* buffer) noexcept {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>(bits >> 52) & 0x7FF;
    uint64_t m = bits & ((uint64_t{1} << 52) - 1);
    if (biased == 0x7FF) {
        return nullptr;
    }
    char* p = PutSign(buffer, bits);
    // value = m * 2^e with m in [2^63, 2^64); normal values need no count
    // of leading zeros, which keeps it off their longest chain of steps.
    int e;
    if (biased != 0) {
        m = (m | uint64_t{1} << 52) << 11;
        e = biased - 1075 - 11;
    } else if (m == 0) {
        *p++ = '0';
        return p;
    } else {
        const int zeros = __builtin_clzll(m);
        m <<= zeros;
        e = -1074 - zeros;
    }

    // The decimal exponent: floor(log10(value)), from the binary one, then one
    // more when m reaches its binade's threshold (the table is indexed by the
    // binade alone, so its load starts as soon as the exponent bits are known).
    const int binade = e + 63;
    int exponent10 =
        FloorLog10OfPow2(binade) + (m >= kReachThresholds.values[binade + kBinadeBias] ? 1 : 0);

    // A = floor(m * T / 2^64) as high:low; the integer part n takes its top
    // bits (shift - 64 of high's bits lie below it, shift is 69..75). The
    // power's low word adds less than 2^64 to high:low, at most a carry of one
    // into high, which changes the rounding only when the kept fraction is
    // within two units below one half or at one half: only then (rarely) is
    // it multiplied in.
    const int k = 16 - exponent10;
    const PowerOfTen128& power = kPowersOfTen[k - kPowerOfTenMin];
    const NumberTextWide product = static_cast<NumberTextWide>(m) * power.high;
    uint64_t high = static_cast<uint64_t>(product >> 64);
    const int shift = -(e + FloorLog2OfPow10(k)) - 1;
    const uint64_t halfHigh = uint64_t{1} << (shift - 1);
    uint64_t fractionHigh = high & ((uint64_t{1} << shift) - 1);
    uint64_t n = high >> shift;
    if (fractionHigh - (halfHigh - 2) <= 2) {
        const NumberTextWide scaled =
            product + static_cast<uint64_t>((static_cast<NumberTextWide>(m) * power.low) >> 64);
        const bool productExact = static_cast<uint64_t>(m * power.low) == 0 && k >= 0 && k <= 55;
        high = static_cast<uint64_t>(scaled >> 64);
        const uint64_t low = static_cast<uint64_t>(scaled);
        n = high >> shift;
        fractionHigh = high & ((uint64_t{1} << shift) - 1);
        // The two kept fractions next to one half also need the low word,
        // the product's exactness, or the general path.
        if (fractionHigh == halfHigh) {
            n += (low != 0 || !productExact || (n & 1) != 0) ? 1 : 0;
        } else if (fractionHigh + 1 == halfHigh && low + 1 == 0 && !(k >= 0 && k <= 55)) {
            return nullptr;  // within the error of one half
        }
    }
    n += fractionHigh > halfHigh ? 1 : 0;                // above one half rounds up
    constexpr uint64_t kSmallest17 = 10000000000000000;  // 10^16
    if (n == 10 * kSmallest17) {
        n = kSmallest17;
        ++exponent10;
    }
    if (n < kSmallest17 || n >= 10 * kSmallest17) {
        return nullptr;
    }
    return PlaceDigitText(DigitTextOf(n), exponent10, exponent10 >= -4 && exponent10 < 17, p);
}

// Writes snprintf("%.17g", value)'s text in the "C" locale for a finite value
// and returns the end. `buffer` holds at least 32 characters, any of which
// may be overwritten.
inline char* WriteDouble17(double value, char* buffer) noexcept {
    char* end = WriteDouble17Decided(value, buffer);
    return end != nullptr
               ? end
               : std::to_chars(buffer, buffer + 32, value, std::chars_format::general, 17).ptr;
}

// floor(log10(3/4 * 2^e)) for e in [-1140, 1024] (PowersOfTen.py checks it).
constexpr int FloorLog10OfThreeQuartersPow2(int e) noexcept {
    return (e * 1262611 - 524031) >> 22;
}

// floor(g * x / 2^128) with its lowest bit set when the quotient is not whole
// ("round to odd"; g is rounded up, hence "above one"): comparisons with even
// numbers stay exact.
inline uint64_t ScaleRoundToOdd(uint64_t gHigh, uint64_t gLow, uint64_t x) noexcept {
    const NumberTextWide low = static_cast<NumberTextWide>(gLow) * x;
    const NumberTextWide high = static_cast<NumberTextWide>(gHigh) * x + (low >> 64);
    return static_cast<uint64_t>(high >> 64) | (static_cast<uint64_t>(high) > 1 ? 1 : 0);
}

// WriteDoubleShortest's fast path: returns nullptr for a value it leaves to
// std::to_chars (not finite, whole numbers from 10^15 up written without an
// exponent, which std::to_chars writes exactly rather than padded with zeros).
//
// The shortest digits that read back, the closest to the value among them
// (ties to even), by Giulietti's Schubfach method: value = c * 2^q and the
// bounds of its rounding interval are scaled by 10^-k, where 10^k is at most
// the interval's width; then at most one multiple of 10^(k+1) lies inside
// the interval, and if none does, the digits at 10^k closest to the value.
// The form is the one std::to_chars chooses: the fewer characters, fixed on
// a tie.
[[gnu::always_inline]] inline char* WriteDoubleShortestDecided(double value,
                                                               char* buffer) noexcept {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>(bits >> 52) & 0x7FF;
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    if (biased == 0x7FF) {
        return nullptr;
    }
    char* p = PutSign(buffer, bits);
    if (biased == 0) {  // zero here, subnormals through std::to_chars
        if (fraction != 0) {
            return nullptr;
        }
        *p++ = '0';
        return p;
    }
    const uint64_t c = fraction | uint64_t{1} << 52;
    const int q = biased - 1075;
    const bool closerBelow = fraction == 0 && biased > 1;
    const int k = closerBelow ? FloorLog10OfThreeQuartersPow2(q) : FloorLog10OfPow2(q);
    const int h = q + FloorLog2OfPow10(-k) + 1;  // 1..4
    const PowerOfTen128& power = kPowersOfTen[-k - kPowerOfTenMin];
    const uint64_t gLow = power.low + 1;  // the power rounded up
    const uint64_t gHigh = power.high + (gLow == 0 ? 1 : 0);
    // Four times the value and its interval's bounds, in units of 10^k.
    const uint64_t lowerBound = ScaleRoundToOdd(gHigh, gLow, (4 * c - 2 + closerBelow) << h);
    const uint64_t scaled = ScaleRoundToOdd(gHigh, gLow, (4 * c) << h);
    const uint64_t upperBound = ScaleRoundToOdd(gHigh, gLow, (4 * c + 2) << h);
    const uint64_t odd = c & 1;  // an odd c excludes the bounds
    const uint64_t lower = lowerBound + odd;
    const uint64_t upper = upperBound - odd;

    // Chosen without branches, in 0/1 words and masks (as bools, the compiler
    // branches): which case applies is as good as random.
    const uint64_t truncated = scaled >> 2;
    const uint64_t tens = truncated / 10;
    const uint64_t tensBelow = lower <= 40 * tens;
    const uint64_t tensAbove = 40 * tens + 40 <= upper;
    const uint64_t shorter = tensBelow ^ tensAbove;
    const uint64_t below = lower <= 4 * truncated;
    const uint64_t above = 4 * truncated + 4 <= upper;
    const uint64_t middle = 4 * truncated + 2;
    const uint64_t nearest = (scaled > middle) | ((scaled == middle) & truncated);
    const uint64_t oneSide = below ^ above;  // only one of the two candidates is inside
    const uint64_t up = (oneSide & above) | (~oneSide & nearest & 1);

    // Padded to 17 digits: `truncated` has 16 or 17 (it is at least c, or
    // 4c/3 when the lower bound is nearer, and below 10c), the shorter
    // candidate one fewer; exponent10 is the first digit's power of ten.
    constexpr uint64_t kSmallest17 = 10000000000000000;  // 10^16
    const bool wide = truncated >= kSmallest17;
    const uint64_t takeShorter = 0 - shorter;
    uint64_t n = ((tens + tensAbove) * (wide ? 10 : 100) & takeShorter) |
                 ((truncated + up) * (wide ? 1 : 10) & ~takeShorter);
    int exponent10 = k + (wide ? 16 : 15);
    if (n == 10 * kSmallest17) {  // rounded up to the next power of ten
        n = kSmallest17;
        ++exponent10;
    }
    const DigitText17 text = DigitTextOf(n);
    const int significant = text.significant;
    // The exponent part's length does not matter: with three digits in it,
    // fixed text is far longer.
    const int scientificLength = significant + (significant > 1 ? 1 : 0) + 4;
    const int fixedLength = exponent10 < 0                 ? 1 - exponent10 + significant
                            : significant > exponent10 + 1 ? significant + 1
                                                           : exponent10 + 1;
    const bool fixed = fixedLength <= scientificLength;
    if ((fixed && (exponent10 < -4 || exponent10 >= 17)) ||
        (exponent10 >= 15 && significant <= exponent10 + 1 &&
         fixedLength <= scientificLength + 1)) {
        return nullptr;
    }
    return PlaceDigitText(text, exponent10, fixed, p);
}

// Writes std::to_chars(value)'s text, the shortest that reads back as the same
// double (fixed or with an exponent, whichever is shorter), for a finite value
// and returns the end. `buffer` holds at least 32 characters, any of which may
// be overwritten.
inline char* WriteDoubleShortest(double value, char* buffer) noexcept {
    char* end = WriteDoubleShortestDecided(value, buffer);
    return end != nullptr ? end : std::to_chars(buffer, buffer + 32, value).ptr;
}

}  // namespace _Private
