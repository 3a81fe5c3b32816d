// Internal to the library: the scan shared by the string-literal reader, the
// escape-needed test and the escaper. All three look for the same characters:
// the quotation mark, the backslash and the control characters below 0x20.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace _Private {

template <class C>
bool IsStringSpecial(C c) {
    const auto value = static_cast<std::make_unsigned_t<C>>(c);
    return value < 0x20 || value == '"' || value == '\\';
}

// Whether any of the eight bytes in `word` is special. Each test is exact for
// the presence of such a byte (it may misplace which one, which we don't use).
inline bool HasStringSpecialByte(uint64_t word) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    const auto hasZeroByte = [](uint64_t x) { return (x - kOnes) & ~x & kHighBits; };
    const uint64_t below0x20 = (word - kOnes * 0x20) & ~word & kHighBits;
    return (below0x20 | hasZeroByte(word ^ (kOnes * '"')) | hasZeroByte(word ^ (kOnes * '\\'))) !=
           0;
}

// The first special character in [p, end), or `end`. Narrow text is tested
// eight bytes at a time: most text holds long runs without any.
template <class C>
const C* FindStringSpecial(const C* p, const C* end) {
    if constexpr (sizeof(C) == 1) {
        for (; end - p >= 8; p += 8) {
            uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if (HasStringSpecialByte(word)) {
                break;
            }
        }
    }
    while (p != end && !IsStringSpecial(*p)) {
        ++p;
    }
    return p;
}

}  // namespace _Private
