// Internal to the library: conversions between doubles and decimal text that
// the parser and the writer share. Every function here is exact: a result it
// cannot guarantee is reported as undecided (or handed to std::to_chars) so
// that the caller takes its general path.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "PowersOfTen.h"

namespace _Private {

__extension__ typedef unsigned __int128 NumberTextWide;

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
inline bool DecimalToDouble(uint64_t digits, int64_t exponent10, bool negative,
                            double& out) noexcept {
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

inline char* WriteEightDigits(char* p, uint32_t value) noexcept {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    const uint32_t upper = value / 10000;
    const uint32_t lower = value % 10000;
    std::memcpy(p, kPairs + 2 * (upper / 100), 2);
    std::memcpy(p + 2, kPairs + 2 * (upper % 100), 2);
    std::memcpy(p + 4, kPairs + 2 * (lower / 100), 2);
    std::memcpy(p + 6, kPairs + 2 * (lower % 100), 2);
    return p + 8;
}

// Drops the zeros at the end of a fraction, and its point when nothing is left.
inline char* TrimFraction(char* end) noexcept {
    while (end[-1] == '0') {
        --end;
    }
    return end[-1] == '.' ? end - 1 : end;
}

// Writes snprintf("%.17g", value)'s text in the "C" locale for a finite value
// and returns the end. `buffer` holds at least 32 characters.
//
// value = m * 2^e is scaled by the 128-bit 10^k that brings it to 17 integer
// digits. The scaled value lies in [A, A + 2) units of the last bit kept, so
// the rounding is decided unless the kept fraction sits one unit below one
// half with an inexact power; ties (fraction exactly one half with an exact
// power and product) round to even as glibc's printf does.
inline char* WriteDouble17(double value, char* buffer) noexcept {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char* p = buffer;
    const int biased = static_cast<int>(bits >> 52) & 0x7FF;
    uint64_t m = bits & ((uint64_t{1} << 52) - 1);
    if (biased == 0x7FF) {
        return std::to_chars(buffer, buffer + 32, value, std::chars_format::general, 17).ptr;
    }
    if (bits >> 63 != 0) {
        *p++ = '-';
    }
    int e = -1074;
    if (biased != 0) {
        m |= uint64_t{1} << 52;
        e = biased - 1075;
    } else if (m == 0) {
        *p++ = '0';
        return p;
    }
    const int zeros = __builtin_clzll(m);
    m <<= zeros;
    e -= zeros;  // value = m * 2^e with m in [2^63, 2^64)

    // The decimal exponent: floor(log10(value)), from the binary one, then one
    // more when value reaches the next power of ten inside the same binade.
    const int binade = e + 63;
    int exponent10 = FloorLog10OfPow2(binade);
    const int next = exponent10 + 1;
    if (FloorLog2OfPow10(next) == binade) {
        const PowerOfTen128& power = kPowersOfTen[next - kPowerOfTenMin];
        if (m > power.high || (m == power.high && power.low == 0 && next >= 0 && next <= 55)) {
            exponent10 = next;
        }
    }

    const int k = 16 - exponent10;
    const PowerOfTen128& power = kPowersOfTen[k - kPowerOfTenMin];
    const NumberTextWide high = static_cast<NumberTextWide>(m) * power.high;
    const NumberTextWide low = static_cast<NumberTextWide>(m) * power.low;
    const NumberTextWide scaled = high + static_cast<uint64_t>(low >> 64);
    const int shift = -(e + FloorLog2OfPow10(k) - 127 + 64);
    uint64_t n = static_cast<uint64_t>(scaled >> shift);
    const NumberTextWide fraction = scaled & ((NumberTextWide{1} << shift) - 1);
    const NumberTextWide half = NumberTextWide{1} << (shift - 1);
    const bool exact = k >= 0 && k <= 55;
    if (fraction > half) {
        ++n;
    } else if (fraction == half) {
        n += (!exact || static_cast<uint64_t>(low) != 0 || (n & 1) != 0) ? 1 : 0;
    } else if (fraction == half - 1 && !exact) {
        n = 0;  // undecided
    }
    constexpr uint64_t kLow17 = 10000000000000000;  // 10^16
    if (n == 10 * kLow17) {
        n = kLow17;
        ++exponent10;
    }
    if (n < kLow17 || n >= 10 * kLow17) {
        return std::to_chars(buffer, buffer + 32, value, std::chars_format::general, 17).ptr;
    }

    // The 17 digits go one place to the right, leaving room for the point.
    const uint32_t upper = static_cast<uint32_t>(n / 100000000);
    const uint32_t first = upper / 100000000;
    if (exponent10 < 0 && exponent10 >= -4) {
        std::memcpy(p, "0.000", 2 - exponent10 - 1);
        p += 2 - exponent10 - 1;
        *p++ = static_cast<char>('0' + first);
        p = WriteEightDigits(p, upper % 100000000);
        p = WriteEightDigits(p, static_cast<uint32_t>(n % 100000000));
        return TrimFraction(p);
    }
    p[1] = static_cast<char>('0' + first);
    WriteEightDigits(p + 2, upper % 100000000);
    WriteEightDigits(p + 10, static_cast<uint32_t>(n % 100000000));
    if (exponent10 >= 0 && exponent10 < 17) {
        std::memmove(p, p + 1, static_cast<size_t>(exponent10) + 1);
        p[exponent10 + 1] = '.';
        return TrimFraction(p + 18);
    }
    p[0] = p[1];
    p[1] = '.';
    p = TrimFraction(p + 18);
    *p++ = 'e';
    *p++ = exponent10 < 0 ? '-' : '+';
    unsigned magnitude = static_cast<unsigned>(exponent10 < 0 ? -exponent10 : exponent10);
    if (magnitude >= 100) {
        *p++ = static_cast<char>('0' + magnitude / 100);
        magnitude %= 100;
    }
    *p++ = static_cast<char>('0' + magnitude / 10);
    *p++ = static_cast<char>('0' + magnitude % 10);
    return p;
}

// Writes the shortest text that reads back as the same finite double and
// returns the end. `buffer` holds at least 32 characters.
inline char* WriteDoubleShortest(double value, char* buffer) noexcept {
    return std::to_chars(buffer, buffer + 32, value).ptr;
}

}  // namespace _Private
