// Internal to the library: the scan shared by the string-literal reader, the
// escape-needed test and the escaper. All three look for the same characters:
// the quotation mark, the backslash and the control characters below 0x20.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
const C* FindStringSpecialPortable(const C* p, const C* end) {
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

#if defined(__SSE2__)
// Sixteen bytes at a time: SSE2 is part of every x86-64 processor.
inline const char* FindStringSpecialSse2(const char* p, const char* end) {
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // A byte at most 0x1F (unsigned) is its own minimum with 0x1F.
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(bytes, lastControl), bytes);
        const __m128i hits = _mm_or_si128(
            control, _mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0) {
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        }
    }
    return FindStringSpecialPortable(p, end);
}
#endif

template <class C>
const C* FindStringSpecial(const C* p, const C* end) {
#if defined(__SSE2__)
    if constexpr (sizeof(C) == 1) {
        const char* const found = FindStringSpecialSse2(reinterpret_cast<const char*>(p),
                                                        reinterpret_cast<const char*>(end));
        return p + (found - reinterpret_cast<const char*>(p));
    }
#endif
    return FindStringSpecialPortable(p, end);
}

}  // namespace _Private
