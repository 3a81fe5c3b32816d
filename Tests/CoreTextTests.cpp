#include <kivCore/TextFunctions.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace {

// Both widths of sprintf_s must give printf's own "%.*g" text and count.
void ExpectPrintfText(int precision, double value) {
    char expected[1100], narrow[1100];
    wchar_t wide[1100];
    const int count = std::snprintf(expected, sizeof expected, "%.*g", precision, value);
    ASSERT_EQ(sprintf_s(narrow, sizeof narrow, "%.*g", precision, value), count) << expected;
    ASSERT_EQ(swprintf_s(wide, 1100, L"%.*g", precision, value), count) << expected;
    ASSERT_STREQ(narrow, expected) << "precision " << precision;
    ASSERT_EQ(std::wstring(wide), std::wstring(expected, expected + count)) << expected;
}

TEST(CoreFormat, PrecisionGeneralMatchesPrintf) {
    // Exact ties at the 17th digit (1000000000000000.25) and at small precisions (0.125).
    // clang-format off
    const double boundaries[] = {
        -0.0, 0.1, 2.0, 1e-5, 1e-4, 1e16, 1e17, 1e21, 9007199254740993.0, DBL_MAX, -DBL_MIN,
        DBL_TRUE_MIN, std::nextafter(DBL_MIN, 0.0), 1.0 - DBL_EPSILON / 2, 1000000000000000.25,
        1000000000000000.75, 0.125, 2.5, 3.5, 1250000.0, 99999999999999999.0,
        0.000099999999999999991, HUGE_VAL, -HUGE_VAL, std::nan("")};
    // clang-format on
    for (double value : boundaries) {
        for (int precision : {-1, 0, 1, 2, 6, 16, 17, 18, 40, 400}) {
            ExpectPrintfText(precision, value);
        }
    }
    for (int exponent = -324; exponent <= 308; ++exponent) {
        ExpectPrintfText(17, std::pow(10.0, exponent));
    }
    std::mt19937_64 random(12345);
    for (int i = 0; i < 100000; ++i) {
        const uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        ExpectPrintfText(17, value);  // every exponent, NaNs included
        // Odd multiples of 1/4 near 2^52 have 18 digits ending in 5: ties at 17 digits.
        ExpectPrintfText(17, static_cast<double>(((uint64_t{1} << 52) + (bits >> 13)) | 1) / 4);
    }
}

TEST(CoreFormat, NeverWritesPastTheCount) {
    const struct {
        bool fastPath;  // "%.*g" of 0.1 (19 characters), else "value=%d" of 42 (8)
        size_t count;
        int expected;  // -1: does not fit
    } cases[] = {{true, 0, -1},  {true, 1, -1},  {true, 19, -1},
                 {true, 20, 19}, {false, 8, -1}, {false, 9, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.fastPath) + " count " + std::to_string(c.count));
        char narrow[40];
        wchar_t wide[40];
        std::fill(narrow, narrow + 40, 'X');
        std::fill(wide, wide + 40, L'X');
        const int narrowCount = c.fastPath ? sprintf_s(narrow, c.count, "%.*g", 17, 0.1)
                                           : sprintf_s(narrow, c.count, "value=%d", 42);
        const int wideCount = c.fastPath ? swprintf_s(wide, c.count, L"%.*g", 17, 0.1)
                                         : swprintf_s(wide, c.count, L"value=%d", 42);
        EXPECT_EQ(std::max(narrowCount, -1), c.expected);
        EXPECT_EQ(std::max(wideCount, -1), c.expected);
        EXPECT_EQ(std::count(narrow + c.count, narrow + 40, 'X'), 40 - int(c.count));
        EXPECT_EQ(std::count(wide + c.count, wide + 40, L'X'), 40 - int(c.count));
        if (c.count > 0) {  // terminated inside, at the start when nothing fit
            EXPECT_EQ(narrow[std::max(c.expected, 0)], '\0');
            EXPECT_EQ(wide[std::max(c.expected, 0)], L'\0');
        }
    }
    EXPECT_LT(sprintf_s(nullptr, 25, "%.*g", 17, 1.0), 0);
    EXPECT_LT(swprintf_s(nullptr, 25, L"%.*g", 17, 1.0), 0);
}

TEST(CoreFormat, OtherDirectivesAsPrintfGivesThem) {
    char narrow[64];
    EXPECT_EQ(sprintf_s(narrow, 64, "%d|%5.2f|%s|%x|%%|%.*g!", -42, 3.14159, "ab", 255, 3, 0.1234),
              24);
    EXPECT_STREQ(narrow, "-42| 3.14|ab|ff|%|0.123!");
    wchar_t wide[64];
    EXPECT_EQ(swprintf_s(wide, 64, L"%d|%ls|%.3e", 7, L"w\u00e9", 1234.25), 14);
    EXPECT_STREQ(wide, L"7|w\u00e9|1.234e+03");
}

TEST(CoreConvert, Utf16ToUtf8) {
    const struct {
        std::u16string input;
        std::string expected;
    } cases[] = {
        {std::u16string(1, u'\0'), std::string(1, '\0')},
        {u"\u007f\u0080\u07ff\u0800\uffff", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
        {{0xD83D, 0xDE00, 0xDBFF, 0xDFFF}, "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"},
        {{0xDC00}, "\xEF\xBF\xBD"},  // lone low surrogate
        {{0xD800}, "\xEF\xBF\xBD"},  // lone high surrogate at the end
        {{0xD800, u'A'},
         "\xEF\xBF\xBD"
         "A"},
        {{0xDC00, 0xD800}, "\xEF\xBF\xBD\xEF\xBF\xBD"},  // pair in the wrong order
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvertString_UTF16_to_UTF8(c.input), c.expected)
            << "input starts with U+" << std::hex << static_cast<unsigned>(c.input[0]);
    }
}

TEST(CoreConvert, Utf8ToWide) {
    const std::wstring r(1, L'\uFFFD');
    const struct {
        std::string input;
        std::wstring expected;
    } cases[] = {
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF",
         L"\u00e9\u20ac\U0001F600\U0010FFFF"},
        {"\xEF\xBB\xBF", L"\uFEFF"},          // a byte order mark is kept
        {"\xC0\x80", r + r},                  // overlong
        {"\xED\xA0\x80", r + r + r},          // surrogate
        {"\xF4\x90\x80\x80", r + r + r + r},  // above U+10FFFF
        {"\xF5\x80\xFF", r + r + r},
        {"a\xE2\x82", L"a" + r},  // cut at the end
        {"\xF0\x9F\x98z\xC3\x41", r + L"z" + r + L"A"},
        // Unicode's own example of maximal subparts.
        {"a\xF1\x80\x80\xE1\x80\xC2"
         "b\x80"
         "c\x80\xBF"
         "d",
         L"a" + r + r + r + L"b" + r + L"c" + r + r + L"d"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvertString_UTF8_to_WSTRING(c.input), c.expected)
            << ::testing::PrintToString(c.input);
    }
}

}  // namespace
