#include <kivCore/TextFunctions.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::string PrintfText(int precision, double value) {
    char text[1100];
    std::snprintf(text, sizeof text, "%.*g", precision, value);
    return text;
}

std::wstring Widened(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// Both widths of sprintf_s must give printf's own "%.*g" text.
void ExpectPrintfText(int precision, double value) {
    const std::string expected = PrintfText(precision, value);
    char narrow[1100];
    wchar_t wide[1100];
    const int narrowCount = sprintf_s(narrow, sizeof narrow, "%.*g", precision, value);
    const int wideCount = swprintf_s(wide, 1100, L"%.*g", precision, value);
    ASSERT_EQ(narrow, expected) << "precision " << precision << " value " << expected;
    ASSERT_EQ(narrowCount, static_cast<int>(expected.size())) << expected;
    ASSERT_EQ(wide, Widened(expected)) << "precision " << precision << " value " << expected;
    ASSERT_EQ(wideCount, static_cast<int>(expected.size())) << expected;
}

double FromBits(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

const double kBoundaryDoubles[] = {
    0.0, -0.0, 0.1, 0.5, 2.0, 3.14, 1e-5, 1e-4, 1e15, 1e16, 1e17, 1e21, 1e22, 1e23, 123456789.0,
    9007199254740992.0, 9007199254740993.0, 18446744073709551616.0, DBL_MAX, -DBL_MAX, DBL_MIN,
    -DBL_MIN, DBL_TRUE_MIN, -DBL_TRUE_MIN, std::nextafter(DBL_MIN, 0.0),  // largest subnormal
    DBL_EPSILON, 1.0 + DBL_EPSILON, 1.0 - DBL_EPSILON / 2,
    // Exact ties at the 17th digit: 1000000000000000.25 and .75.
    1000000000000000.25, 1000000000000000.75, 2251799813685248.25,
    // Exact ties at small precisions.
    0.125, 0.375, 2.5, 3.5, 125.0, 1250000.0, 0.0625, 99999999999999999.0, 0.000099999999999999991,
    1e-300, 1e300, std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
    -std::numeric_limits<double>::quiet_NaN()};

TEST(CoreFormat, PrecisionGeneralMatchesPrintfOnBoundaries) {
    for (double value : kBoundaryDoubles) {
        for (int precision : {-1, 0, 1, 2, 3, 6, 15, 16, 17, 18, 25, 40, 60, 400}) {
            ExpectPrintfText(precision, value);
        }
    }
    for (int exponent = -324; exponent <= 308; ++exponent) {
        ExpectPrintfText(17, std::pow(10.0, exponent));
    }
}

TEST(CoreFormat, PrecisionGeneralMatchesPrintfOnRandomDoubles) {
    std::mt19937_64 random(12345);
    for (int i = 0; i < 100000; ++i) {
        ExpectPrintfText(17, FromBits(random()));  // every exponent, NaNs included
    }
    std::uniform_real_distribution<double> ordinary(-1e6, 1e6);
    for (int i = 0; i < 100000; ++i) {
        ExpectPrintfText(17, ordinary(random));
    }
    // Odd multiples of 1/4 near 2^52 have 18 digits and end in 5: ties at 17 digits.
    for (int i = 0; i < 2000; ++i) {
        const uint64_t odd = ((uint64_t{1} << 52) + (random() >> 13)) | 1;
        ExpectPrintfText(17, static_cast<double>(odd) / 4);
    }
}

TEST(CoreFormat, NeverWritesPastTheCount) {
    struct Case {
        bool fastPath;  // "%.*g" of 0.1 (19 characters), else "value=%d" of 42 (8)
        size_t count;
        int expected;  // -1: does not fit
    };
    const Case cases[] = {{true, 0, -1},  {true, 1, -1},  {true, 19, -1}, {true, 20, 19},
                          {true, 25, 19}, {false, 0, -1}, {false, 8, -1}, {false, 9, 8}};
    for (const Case& c : cases) {
        char narrow[40];
        wchar_t wide[40];
        std::memset(narrow, 'X', sizeof narrow);
        std::wmemset(wide, L'X', 40);
        const int narrowCount = c.fastPath ? sprintf_s(narrow, c.count, "%.*g", 17, 0.1)
                                           : sprintf_s(narrow, c.count, "value=%d", 42);
        const int wideCount = c.fastPath ? swprintf_s(wide, c.count, L"%.*g", 17, 0.1)
                                         : swprintf_s(wide, c.count, L"value=%d", 42);
        EXPECT_EQ(std::max(narrowCount, -1), c.expected) << c.fastPath << " count " << c.count;
        EXPECT_EQ(std::max(wideCount, -1), c.expected) << c.fastPath << " count " << c.count;
        for (size_t i = c.count; i < 40; ++i) {
            ASSERT_EQ(narrow[i], 'X') << c.fastPath << " count " << c.count << " at " << i;
            ASSERT_EQ(wide[i], L'X') << c.fastPath << " count " << c.count << " at " << i;
        }
        if (c.count > 0) {  // terminated inside, at the start when nothing fit
            EXPECT_EQ(narrow[std::max(c.expected, 0)], '\0') << c.fastPath << " count " << c.count;
            EXPECT_EQ(wide[std::max(c.expected, 0)], L'\0') << c.fastPath << " count " << c.count;
        }
    }
    EXPECT_LT(sprintf_s(nullptr, 25, "%.*g", 17, 1.0), 0);
    EXPECT_LT(swprintf_s(nullptr, 25, L"%.*g", 17, 1.0), 0);
}

TEST(CoreFormat, OtherDirectivesAsPrintfGivesThem) {
    char narrow[64];
    EXPECT_EQ(sprintf_s(narrow, 64, "%d|%5.2f|%s|%x|%c|%%|%.*g!", -42, 3.14159, "ab", 255, 'z', 3,
                        0.1234),
              26);
    EXPECT_STREQ(narrow, "-42| 3.14|ab|ff|z|%|0.123!");
    wchar_t wide[64];
    EXPECT_EQ(
        swprintf_s(wide, 64, L"%d|%ls|%.3e|%lu", 7, L"w\u00e9", 1234.25, 18446744073709551615UL),
        35);
    EXPECT_STREQ(wide, L"7|w\u00e9|1.234e+03|18446744073709551615");
}

TEST(CoreConvert, Utf16ToUtf8) {
    struct Case {
        std::u16string input;
        std::string expected;
    };
    const Case cases[] = {
        {u"A", "A"},
        {std::u16string(1, u'\0'), std::string(1, '\0')},
        {u"\u00e9", "\xC3\xA9"},
        {u"\u20ac", "\xE2\x82\xAC"},
        {u"\uffff", "\xEF\xBF\xBF"},
        {{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
        {{0xDBFF, 0xDFFF}, "\xF4\x8F\xBF\xBF"},
        {{0xDC00}, "\xEF\xBF\xBD"},  // lone low surrogate
        {{0xD800}, "\xEF\xBF\xBD"},  // lone high surrogate
        {{0xD800, u'A'},
         "\xEF\xBF\xBD"
         "A"},  // high, then not a low one
        {{0xD800, 0xD800}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {{0xDC00, 0xD800}, "\xEF\xBF\xBD\xEF\xBF\xBD"},  // pair in the wrong order
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConvertString_UTF16_to_UTF8(c.input), c.expected)
            << "input starts with U+" << std::hex << static_cast<unsigned>(c.input[0]);
    }
}

TEST(CoreConvert, Utf8ToWide) {
    struct Case {
        const char* name;
        std::string input;
        std::wstring expected;
    };
    const std::wstring r(1, L'\uFFFD');
    const Case cases[] = {
        {"ascii", "abc", L"abc"},
        {"nul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        {"two bytes", "\xC3\xA9", L"\u00e9"},
        {"three bytes", "\xE2\x82\xAC", L"\u20ac"},
        {"four bytes", "\xF0\x9F\x98\x80", L"\U0001F600"},
        {"largest", "\xF4\x8F\xBF\xBF", L"\U0010FFFF"},
        {"bom kept", "\xEF\xBB\xBF", L"\uFEFF"},
        {"lone continuation", "a\x80z", L"a" + r + L"z"},
        {"overlong two", "\xC0\x80", r + r},
        {"overlong three", "\xE0\x80\x80", r + r + r},
        {"surrogate", "\xED\xA0\x80", r + r + r},
        {"above U+10FFFF", "\xF4\x90\x80\x80", r + r + r + r},
        {"F5 lead", "\xF5\x80", r + r},
        {"FF", "\xFF", r},
        {"cut at end", "a\xE2\x82", L"a" + r},
        {"cut before ascii", "\xF0\x9F\x98z", r + L"z"},
        {"bad second byte", "\xC3\x41", r + L"A"},
        // Unicode's own example of maximal subparts.
        {"maximal subparts",
         "a\xF1\x80\x80\xE1\x80\xC2"
         "b\x80"
         "c\x80\xBF"
         "d",
         L"a" + r + r + r + L"b" + r + L"c" + r + r + L"d"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConvertString_UTF8_to_WSTRING(c.input), c.expected) << c.name;
    }
}

}  // namespace
