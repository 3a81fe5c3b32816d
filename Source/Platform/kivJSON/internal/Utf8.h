// Internal to the library: the one check of well-formed UTF-8, shared by the
// strict parse and the exported JsonIsUtf8.
#pragma once

#include <cstddef>

namespace _Private {

// No overlong forms, no surrogates, nothing past U+10FFFF.
inline bool IsWellFormedUtf8(const char* text, size_t size) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const auto* const end = p + size;
    while (p != end) {
        const unsigned lead = *p++;
        if (lead < 0x80) {
            continue;
        }
        // The length of the sequence and the range of its second byte.
        int rest = 0;
        unsigned low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            rest = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            rest = 2;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            rest = 3;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - p < rest || *p < low || *p > high) {
            return false;
        }
        for (++p, --rest; rest > 0; ++p, --rest) {
            if ((*p & 0xC0) != 0x80) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace _Private
