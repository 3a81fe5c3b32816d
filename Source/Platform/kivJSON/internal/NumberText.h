// Internal to the library: conversions between doubles and decimal text that
// the parser and the writer share. Every function here is exact: a result it
// cannot guarantee is reported as undecided so that the caller takes its
// general path (std::from_chars, or the core library's "%.*g").
#pragma once

#include <charconv>
#include <cstdint>

namespace _Private {

// The double nearest to (negative ? -1 : 1) * digits * 10^exponent10, ties to
// even, as strtod gives it. `digits` holds every significant digit of the
// literal (at most 19, none dropped). Returns false, leaving `out` alone, when
// the fast path cannot decide; the caller then converts the literal's text.
inline bool DecimalToDouble(uint64_t digits, int64_t exponent10, bool negative,
                            double& out) noexcept {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (digits > (uint64_t{1} << 53) || exponent10 < -22 || exponent10 > 22) {
        return false;
    }
    double value = static_cast<double>(digits);
    value = exponent10 < 0 ? value / kPowers[-exponent10] : value * kPowers[exponent10];
    out = negative ? -value : value;
    return true;
}

// Writes snprintf("%.17g", value)'s text in the "C" locale for a finite value
// and returns the end. `buffer` holds at least 32 characters.
inline char* WriteDouble17(double value, char* buffer) noexcept {
    return std::to_chars(buffer, buffer + 32, value, std::chars_format::general, 17).ptr;
}

// Writes the shortest text that reads back as the same finite double and
// returns the end. `buffer` holds at least 32 characters.
inline char* WriteDoubleShortest(double value, char* buffer) noexcept {
    return std::to_chars(buffer, buffer + 32, value).ptr;
}

}  // namespace _Private
