// Internal to the library: skips the whitespace every dialect knows (space,
// tab, line feed, carriage return) in narrow text. Indented documents hold a
// line break and a run of spaces before most tokens, compact ones none: the
// first byte decides the common case, and runs are tested sixteen at a time.
// The tokenizer still looks at the byte it stops at (a locale's whitespace).
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace _Private {

inline bool IsJsonSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// The first byte in [p, end) that is not one of the four, or `end`.
inline const char* SkipJsonSpacePortable(const char* p, const char* end) {
    while (p != end && IsJsonSpace(*p)) {
        ++p;
    }
    return p;
}

#if defined(__SSE2__)
inline const char* SkipJsonSpaceSse2(const char* p, const char* end) {
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    const __m128i tab = _mm_set1_epi8('\t');
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i spaces = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(bytes, space), _mm_cmpeq_epi8(bytes, lineFeed)),
            _mm_or_si128(_mm_cmpeq_epi8(bytes, carriageReturn), _mm_cmpeq_epi8(bytes, tab)));
        const unsigned others = ~static_cast<unsigned>(_mm_movemask_epi8(spaces)) & 0xFFFFu;
        if (others != 0) {
            return p + __builtin_ctz(others);
        }
    }
    return SkipJsonSpacePortable(p, end);
}
#endif

inline const char* SkipJsonSpace(const char* p, const char* end) {
    // A byte above the space is never whitespace: most tokens of compact text
    // start right away.
    if (p == end || static_cast<unsigned char>(*p) > ' ') {
        return p;
    }
#if defined(__SSE2__)
    return SkipJsonSpaceSse2(p, end);
#else
    return SkipJsonSpacePortable(p, end);
#endif
}

}  // namespace _Private
