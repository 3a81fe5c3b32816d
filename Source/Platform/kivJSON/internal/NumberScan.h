// Internal to the library: the scanner of number literals. It validates a
// literal, gathers its significant digits and decimal exponent on the way, and
// converts it exactly.
#pragma once

#include <kivJSON/JSONParser.h>
#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

namespace _Private {

// Only ASCII digits count, in either width.
template <class V>
bool IsParserDigit(V c) {
    return c >= '0' && c <= '9';
}

// The text of a floating-point literal, narrowed to ASCII for the conversion.
// Stays on the stack unless a literal is unusually long.
class ParserNumberText {
public:
    ParserNumberText() = default;
    ParserNumberText(const ParserNumberText&) = delete;
    ParserNumberText& operator=(const ParserNumberText&) = delete;

    void Append(char c) {
        if (m_size + 1 == m_capacity) {
            Grow();
        }
        m_data[m_size++] = c;
    }
    char* Data() { return m_data; }
    size_t Size() const { return m_size; }
    void Resize(size_t size) { m_size = size; }
    // Zero-terminates (for the strtod fallback) and returns the start.
    const char* Terminated() {
        m_data[m_size] = '\0';
        return m_data;
    }

private:
    void Grow() {
        m_heap.resize(m_capacity * 2);
        if (m_data == m_inline) {
            std::copy(m_inline, m_inline + m_size, m_heap.begin());
        }
        m_data = &m_heap[0];
        m_capacity = m_heap.size();
    }

    char m_inline[64];
    std::string m_heap;
    char* m_data = m_inline;
    size_t m_size = 0;
    size_t m_capacity = sizeof(m_inline);
};

// What the scanner of text in memory keeps of a literal's text: nothing.
struct NoNumberText {};

// Writes `value` in decimal at the start of the buffer; returns the length.
inline size_t print_llu(ParserNumberText& buffer, unsigned long value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof(digits), value);
    const size_t length = static_cast<size_t>(result.ptr - digits);
    for (size_t i = 0; i < length; ++i) {
        buffer.Append(digits[i]);
    }
    return length;
}

// The "C" locale, for strtod: the decimal point must not follow the caller's locale.
inline locale_t ParserCLocale() {
    static const locale_t s_c = newlocale(LC_ALL_MASK, "C", locale_t{});
    return s_c;
}

// Exact and locale-independent. Out of range, strtod gives what users expect
// of an overflow (infinity) or underflow (zero or a subnormal).
inline double anystod(const char* first, const char* last, ParserNumberText& scratch) {
    double result = 0.0;
    const auto converted = std::from_chars(first, last, result);
    if (converted.ec == std::errc::result_out_of_range) {
        if (first != scratch.Data()) {  // strtod wants the text zero-terminated
            scratch.Resize(0);
            std::for_each(first, last, [&scratch](char c) { scratch.Append(c); });
        }
        return strtod_l(scratch.Terminated(), nullptr, ParserCLocale());
    }
    return result;
}

// How many of the eight characters in `word` (the first in its lowest byte)
// are ASCII digits before the first that is not: a byte is a digit when its
// high nibble is 3 and adding 6 keeps it so. A carry between bytes can only
// start at a byte that is not a digit, so it cannot hide the first one.
inline int LeadingDigits(uint64_t word) {
    constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0;
    const uint64_t miss =
        ((word & kHigh) | (((word + 0x0606060606060606) & kHigh) >> 4)) ^ 0x3333333333333333;
    return miss == 0 ? 8 : __builtin_ctzll(miss) / 8;
}

// The value of eight ASCII digits, the first (most significant) in the lowest
// byte; a zero byte counts as a leading zero. Pairs, then quads, then the
// two halves, each step one multiply.
inline uint64_t EightDigitsValue(uint64_t word) {
    word = (word & 0x0F0F0F0F0F0F0F0F) * 2561 >> 8;
    word = (word & 0x00FF00FF00FF00FF) * 6553601 >> 16;
    return (word & 0x0000FFFF0000FFFF) * 42949672960001 >> 32;
}

// 10^0 to 10^8: what a mantissa is multiplied by to take up to eight more digits.
constexpr uint64_t kDigitPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// The value of the first `count` characters of `word`, all ASCII digits.
[[gnu::always_inline]] inline uint64_t DigitsValue(uint64_t word, int count) {
    return count == 0 ? 0 : EightDigitsValue(word << (8 * (8 - count)));
}

// Written once over the cursor it reads through: the tokenizer's source one
// character at a time, or a pointer into text in memory (Cursor::kInMemory),
// where the literal's text need not be copied for the general conversion.
template <class C, class Cursor>
struct JsonNumberScanner {
    using Token = typename JsonParser<C>::Token;
    using CharValue = typename JsonParser<C>::CharValue;
    static constexpr bool kInMemory = Cursor::kInMemory;
    static constexpr bool kNarrowInMemory = kInMemory && sizeof(C) == 1;

    // Accumulates the digits from c on. False, with the next digit unconsumed,
    // when that digit would carry value past 2^64 - 1.
    static bool ParseInt64(Cursor& cursor, CharValue c, unsigned long& value) {
        constexpr unsigned long kLastSafe = 1844674407370955161ul;  // (2^64 - 1) / 10
        value = static_cast<unsigned long>(c - '0');
        if constexpr (kInMemory) {
            // Any 19 digits fit in 64 bits: the 18 after the first need no
            // check, and only a longer run goes on to the checked loop.
            const C* p = cursor.pos;
            const C* const last = p + std::min<std::ptrdiff_t>(18, cursor.end - p);
            for (; p != last && IsParserDigit(*p); ++p) {
                value = value * 10 + static_cast<unsigned>(*p - '0');
            }
            cursor.pos = p;
            if (p != last) {
                return true;
            }
        }
        for (CharValue p = cursor.Peek(); IsParserDigit(p); p = cursor.Peek()) {
            const unsigned digit = static_cast<unsigned>(p - '0');
            if (value > kLastSafe || (value == kLastSafe && digit > 5)) {
                return false;
            }
            cursor.Next();
            value = value * 10 + digit;
        }
        return true;
    }

    // The general conversion of a literal of text in memory, out of line: its
    // buffer would otherwise put a stack guard on every scan.
    [[gnu::noinline]] static double ConvertInMemory(const C* first, const C* last) {
        ParserNumberText text;
        if constexpr (sizeof(C) == 1) {
            return anystod(first, last, text);
        } else {
            for (const C* d = first; d != last; ++d) {
                text.Append(static_cast<char>(*d));
            }
            return anystod(text.Data(), text.Data() + text.Size(), text);
        }
    }

    // Text in memory: gathers the fraction's digits up to eight at a time
    // while at least eight characters remain and the mantissa is below
    // 10^10, so that it stays below 10^18 before each digit, as the loop of
    // one digit at a time requires; that loop takes whatever is left.
    static void TakeFractionDigits(Cursor& cursor, uint64_t& mantissa, int64_t& exponent) {
        while (cursor.end - cursor.pos >= 8 && mantissa < 10000000000) {
            const uint64_t word = LoadWord(cursor.pos);
            const int count = LeadingDigits(word);
            if (count == 0) {
                return;
            }
            mantissa = mantissa * kDigitPowers[count] + DigitsValue(word, count);
            exponent -= count;
            cursor.pos += count;
            if (count != 8) {
                return;
            }
        }
    }

    // Moves the looked-at character `p` into the number text (kept only where
    // the text is not in memory) and looks at the next one.
    template <class Text>
    static void Take(Cursor& cursor, Text& text, CharValue& p) {
        if constexpr (!kInMemory) {
            text.Append(static_cast<char>(p));
        }
        cursor.Next();
        p = cursor.Peek();
    }

    // ScanShort reads this many characters past a literal's first, whatever
    // the literal's length.
    static constexpr std::ptrdiff_t kShortRoom = 32;

    // The common literal of narrow text in memory, read a word at a time with
    // no character loop: up to 15 integer digits, then either nothing more or
    // a point and up to 16 fraction digits, 19 significant digits in all, and
    // no exponent. `c` was read just before cursor.pos, and at least
    // kShortRoom characters follow it. Returns false, having changed nothing,
    // for any other literal (and for every malformed one), which Scan then
    // reads its general way; the two agree on every literal this one takes.
    [[gnu::always_inline]] static bool ScanShort(Cursor cursor, CharValue c, Token& token) {
        const bool negative = c == '-';
        const C* const digits = negative ? cursor.pos : cursor.pos - 1;
        const uint64_t head = LoadWord(digits);
        int count = LeadingDigits(head);
        if (count == 0 || (*digits == '0' && count > 1)) {
            return false;  // no digit, or leading zeros: the general way decides
        }
        uint64_t value = DigitsValue(head, count);
        if (count == 8) {
            const uint64_t next = LoadWord(digits + 8);
            const int more = LeadingDigits(next);
            if (more == 8) {
                return false;
            }
            value = value * kDigitPowers[more] + DigitsValue(next, more);
            count += more;
        }
        const C* p = digits + count;
        if (*p != '.') {
            if (*p == 'e' || *p == 'E') {
                return false;
            }
            token.kind = Token::Integer;
            token.isNegative = negative;
            if (negative) {
                token.intValue = -static_cast<int64_t>(value);
            } else {
                token.uintValue = value;
            }
            cursor.pos = p;
            return true;
        }
        const uint64_t first = LoadWord(p + 1);
        const uint64_t second = LoadWord(p + 9);
        const int countFirst = LeadingDigits(first);
        const int countSecond = LeadingDigits(second);
        const int fraction = countFirst == 8 ? 8 + countSecond : countFirst;
        if (countFirst == 0 || (countFirst == 8 && countSecond == 8) || count + fraction > 19) {
            return false;
        }
        uint64_t mantissa = value * kDigitPowers[countFirst] + DigitsValue(first, countFirst);
        if (countFirst == 8) {
            mantissa = mantissa * kDigitPowers[countSecond] + DigitsValue(second, countSecond);
        }
        p += 1 + fraction;
        if (*p == '.' || *p == 'e' || *p == 'E') {
            return false;
        }
        double result;
        if (!DecimalToDouble(mantissa, -fraction, false, result)) {
            result = ConvertInMemory(digits, p);
        }
        token.kind = Token::Double;
        token.doubleValue = negative ? -result : result;
        cursor.pos = p;
        return true;
    }

    static uint64_t LoadWord(const C* p) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        return word;
    }

    // After "-" or the first digit (c): an exact 64-bit integer or a double.
    // Inlined where the tokenizer reads a number: the short literal's way is
    // taken there, and every other literal goes out of line.
    [[gnu::always_inline]] static bool Scan(Cursor cursor, CharValue c, bool strict, Token& token) {
        if constexpr (kNarrowInMemory) {
            if (cursor.end - cursor.pos >= kShortRoom && ScanShort(cursor, c, token)) {
                return true;
            }
        }
        return ScanGeneral(cursor, c, strict, token);
    }

    [[gnu::noinline]] static bool ScanGeneral(Cursor cursor, CharValue c, bool strict,
                                              Token& token) {
        const bool negative = c == '-';
        if (negative) {
            c = cursor.Next();
        }
        if (!IsParserDigit(c)) {
            return false;
        }
        [[maybe_unused]] const C* digits = nullptr;  // where the literal's digits start
        if constexpr (kInMemory) {
            digits = cursor.pos - 1;
        }
        // One leading zero is tolerated ("01" is 1); two are not, and strict JSON
        // allows none.
        if (c == '0' && IsParserDigit(cursor.Peek()) && (cursor.Peek() == '0' || strict)) {
            return false;
        }
        unsigned long value = 0;
        const bool fits = ParseInt64(cursor, c, value);
        CharValue p = cursor.Peek();
        if (fits && p != '.' && p != 'e' && p != 'E') {
            constexpr unsigned long kMinInt64Magnitude = 9223372036854775808ul;
            if (!negative) {
                token.kind = Token::Integer;
                token.uintValue = value;
                token.isNegative = false;
            } else if (value <= kMinInt64Magnitude) {
                token.kind = Token::Integer;
                token.intValue =
                    value == kMinInt64Magnitude ? INT64_MIN : -static_cast<int64_t>(value);
                token.isNegative = true;
            } else {
                token.kind = Token::Double;
                token.doubleValue = -static_cast<double>(value);
                token.isNegative = true;
            }
            return true;
        }

        // A fraction, an exponent or more than 64 bits of digits. While the literal
        // is validated, its significant digits (at most 19) and its decimal
        // exponent are gathered for the exact conversion; the text is the general
        // one's. Leading zeros of a fraction keep the mantissa at zero and only
        // move the exponent.
        constexpr uint64_t kTenPow18 = 1000000000000000000ull;
        // Text in memory is converted from where it lies: no copy to keep.
        std::conditional_t<kInMemory, NoNumberText, ParserNumberText> text;
        if constexpr (!kInMemory) {
            print_llu(text, value);
        }
        uint64_t mantissa = value;
        bool gathered = fits && value < kTenPow18 * 10;
        int64_t exponent = 0;
        bool hasFraction = false;
        for (;;) {
            if (IsParserDigit(p)) {
                if (hasFraction && mantissa < kTenPow18) {
                    mantissa = mantissa * 10 + static_cast<unsigned>(p - '0');
                    --exponent;
                } else {
                    gathered = false;  // integer digits past 64 bits, or a 20th digit
                }
                Take(cursor, text, p);
            } else if (p == '.') {
                if (hasFraction) {
                    return false;
                }
                Take(cursor, text, p);
                if (!IsParserDigit(p)) {
                    return false;
                }
                hasFraction = true;
                if constexpr (kNarrowInMemory) {
                    TakeFractionDigits(cursor, mantissa, exponent);
                    p = cursor.Peek();
                }
            } else if (p == 'e' || p == 'E') {
                Take(cursor, text, p);
                const bool negativeExponent = p == '-';
                if (p == '+' || p == '-') {
                    Take(cursor, text, p);
                }
                if (!IsParserDigit(p)) {
                    return false;
                }
                // Saturates at 2^61: far past any exponent that decides the
                // value, and past any count of leading fraction zeros a source
                // can hold, so the sum with the digits' exponent keeps its sign.
                constexpr int64_t kSaturated = int64_t{1} << 61;
                int64_t written = 0;
                do {
                    written = written >= kSaturated / 10 ? kSaturated : written * 10 + (p - '0');
                    Take(cursor, text, p);
                } while (IsParserDigit(p));
                exponent += negativeExponent ? -written : written;
                break;  // nothing belongs to a number after its exponent
            } else {
                break;  // the end of the input or the start of the next token
            }
        }
        double result;
        if (gathered && DecimalToDouble(mantissa, exponent, false, result)) {
            // exact
        } else if constexpr (kInMemory) {
            result = ConvertInMemory(digits, cursor.pos);
        } else {
            result = anystod(text.Data(), text.Data() + text.Size(), text);
        }
        if (strict && std::isinf(result)) {
            return false;  // beyond the range of a double
        }
        token.kind = Token::Double;
        token.doubleValue = negative ? -result : result;
        return true;
    }
};

}  // namespace _Private
