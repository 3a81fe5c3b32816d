// JsonParseText: the code and the place of a failure, the same from narrow and
// wide text in memory and from streams that hand out one character at a time.
#include "HostileSources.h"

#include <kivCore/TextFunctions.h>
#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONUtf8.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <istream>
#include <string>

namespace {

struct PositionCase {
    const char* text;
    bool strict;
    int code;  // 0: parses
    size_t offset, wideOffset, line, column;
};

const PositionCase kPositionCases[] = {
    {"{\"a\": [1.5, -2, \"x\\u00e9\"], \"b\": null} ", false, 0, 0, 0, 1, 1},
    {"/* c */ [1, 2,]", false, MalformedToken, 14, 14, 1, 15},
    {"{\n  \"a\": tru\n}", false, MalformedLiteral, 9, 9, 2, 8},
    {"[\"\xC3\xA9\", x]", false, MalformedToken, 7, 6, 1, 7},
    {"[1, 2", false, MalformedArray, 5, 5, 1, 6},
    {"1\n\n  true", false, LeftOverCharacters, 5, 5, 3, 3},
    {"[\n\"abc", false, MalformedString, 2, 2, 2, 1},
    {"{\"a\" 1}", false, MalformedObject, 5, 5, 1, 6},
    // Separators after spaces, line breaks and comments, and what follows them.
    {"{\"a\" : [1 , 2] ,\n \"b\" /*c*/ : 3 , \"c\":4}", false, 0, 0, 0, 1, 1},
    {"{\"a\":1 , }", false, MalformedObject, 9, 9, 1, 10},
    {"{\"a\" : x}", false, MalformedToken, 7, 7, 1, 8},
    {"[1 ,\n 2 , }", false, MalformedToken, 10, 10, 2, 6},
    {"[1 /*c*/ ; 2]", false, MalformedToken, 9, 9, 1, 10},
    {"[01]", true, MalformedNumber, 1, 1, 1, 2},
    {"[1e999]", true, MalformedNumber, 1, 1, 1, 2},
    {"[1] // note", true, MalformedToken, 4, 4, 1, 5},
    {"[1,\f2]", true, MalformedToken, 3, 3, 1, 4},
    {"[1,\xE3\x80\x80 2]", true, MalformedToken, 3, 3, 1, 4},  // U+3000: a space in C.UTF-8
    // Arrays of numbers with text enough after them to be read in one go.
    {"[1.25, 2.5, 3 , 4,]                                 ", false, MalformedToken, 18, 18, 1, 19},
    {"[[1, 2]]]                                           ", false, MismatchedBraces, 8, 8, 1, 9},
    // Objects with plain members before the fault, read in one go.
    {"{\"a\":1,\n \"b\":\"\xC3\xA9\", \"c\":\"x\x01\"}                             ", false,
     MalformedString, 23, 22, 2, 15},
    {"{\"a\":\"x\",\"b\":2,}                                                  ", false,
     MalformedObject, 15, 15, 1, 16},
};

template <class Input>
JsonValue ParseAt(Input&& input, const PositionCase& c, const char* source) {
    std::error_code ec;
    JsonParsePosition at{99, 99, 99};
    JsonValue value = JsonParseText(input, {c.strict}, ec, at);
    EXPECT_EQ(ec.value(), c.code) << c.text << " from " << source;
    if (c.code != 0) {
        const size_t offset = source[0] == 'w' ? c.wideOffset : c.offset;
        EXPECT_TRUE(at.offset == offset && at.line == c.line && at.column == c.column)
            << c.text << " from " << source << ": " << at.offset << " " << at.line << ":"
            << at.column;
    }
    return value;
}

// Under a UTF-8 locale, where iswspace takes U+3000 for a space: strict mode
// still accepts only the four JSON whitespaces.
TEST(ParseOptions, CodeAndPositionFromEverySource) {
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C.UTF-8");
    for (const PositionCase& c : kPositionCases) {
        const std::string narrow = c.text;
        const std::wstring wide = ConvertString_UTF8_to_WSTRING(narrow);
        TrickleBuf<char> narrowBuf(narrow);
        TrickleBuf<wchar_t> wideBuf(wide);
        std::istream narrowIn(&narrowBuf);
        std::wistream wideIn(&wideBuf);
        const JsonValue expected = ParseAt(narrow, c, "narrow text");
        EXPECT_EQ(ParseAt(narrowIn, c, "narrow stream"), expected) << c.text;
        EXPECT_EQ(ParseAt(wide, c, "wide text"), expected) << c.text;
        EXPECT_EQ(ParseAt(wideIn, c, "wide stream"), expected) << c.text;
        if (!c.strict) {  // the lenient options are JsonValue::Parse's dialect
            std::error_code ec;
            EXPECT_EQ(JsonValue::Parse(narrow, ec), expected) << c.text;
            EXPECT_EQ(ec.value(), c.code) << c.text;
        }
    }
    std::setlocale(LC_ALL, locale.c_str());
}

// Leading fraction zeros lower the exponent as far as the text goes, so the
// written exponent must not stop at a bound they can pass: the value is
// strtod's, and strict mode rejects what is beyond a double.
TEST(ParseOptions, FractionZerosAndHugeExponentsReadAsStrtod) {
    const std::string zeros(2000000, '0');
    for (const std::string& literal :
         {"0." + zeros + "1e3000000", "0." + zeros + "1e1999990", "1e1" + zeros, "-1e-1" + zeros}) {
        const double expected = std::strtod(literal.c_str(), nullptr);
        for (const bool strict : {false, true}) {
            const int code = strict && std::isinf(expected) ? MalformedNumber : 0;
            const JsonValue value =
                ParseAt("[" + literal + "]", {"", strict, code, 1, 1, 1, 2}, "");
            EXPECT_TRUE(code != 0 || value.At(size_t{0}).AsDouble() == expected) << strict;
        }
    }
}

// Fraction digits are gathered several at a time from text in memory while
// the mantissa has room; every length around those steps, every size of
// integer part and every distance to the end of the text reads as strtod.
TEST(ParseOptions, FractionDigitsReadAsStrtodAtEveryLength) {
    const std::string digits = "98765432109876543210987654";
    for (const std::string integral :
         {"0", "7", "12345678", "123456789", "1234567890", "1234567890123", "12345678901234567"}) {
        for (const size_t length : {1, 7, 8, 9, 15, 16, 17, 24}) {
            const std::string literal = "-" + integral + "." + digits.substr(0, length);
            const double expected = std::strtod(literal.c_str(), nullptr);
            const std::string padding(40, ' ');  // enough to read the literal in one go
            for (const std::string& text : {literal, "[" + literal + "]", "[" + literal + ",0]",
                                            literal + padding, "[" + literal + ",0]" + padding}) {
                const JsonValue value = JsonValue::Parse(text);
                const JsonValue wide = JsonValue::Parse(std::wstring(text.begin(), text.end()));
                for (const JsonValue* parsed : {&value, &wide}) {
                    const double got =
                        parsed->IsArray() ? parsed->At(size_t{0}).AsDouble() : parsed->AsDouble();
                    EXPECT_EQ(got, expected) << text;
                }
            }
        }
    }
}

// A wide element that is no code point (above U+10FFFF; negative as a signed
// wchar_t) cannot be stored: a malformed string at that element, never a throw.
TEST(ParseOptions, WideElementBeyondUnicodeIsAMalformedString) {
    for (const long element : {0x110000L, 0x7FFFFFFFL, -2L}) {
        for (std::wstring text : {L"[\"a_\"]", L"{\"a_\":1}"}) {
            text[3] = static_cast<wchar_t>(element);
            for (const bool strict : {false, true}) {
                TrickleBuf<wchar_t> buf(text);
                std::wistream in(&buf);
                const PositionCase c{"", strict, MalformedString, 3, 3, 1, 4};
                EXPECT_TRUE(ParseAt(text, c, "wide text").IsNull() &&
                            ParseAt(in, c, "wide stream").IsNull());
            }
        }
    }
}

// JsonIsUtf8 draws the line where the strict parse draws it for strings.
TEST(ParseOptions, Utf8CheckAgreesWithTheStrictParse) {
    const std::pair<const char*, bool> cases[] = {
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF", true},
        {"\xED\x9F\xBF \xEE\x80\x80 \xE0\xA0\x80 \xF0\x90\x80\x80", true},
        {"\xC0\x80", false},          // overlong
        {"\xE0\x9F\xBF", false},      // overlong
        {"\xF0\x8F\xBF\xBF", false},  // overlong
        {"\xED\xA0\x80", false},      // surrogate
        {"\xF4\x90\x80\x80", false},  // past U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\x80", false},
        {"a\xC3", false},
        {"\xE2\x82", false},
        {"\xE2\x28\xAC", false},
    };
    for (const auto& [text, valid] : cases) {
        std::error_code ec;
        JsonParsePosition at;
        JsonParseText("\"" + std::string(text) + "\"", {true}, ec, at);
        EXPECT_EQ(JsonIsUtf8(text), valid) << text;
        EXPECT_EQ(!ec, valid) << text;
    }
}

}  // namespace
