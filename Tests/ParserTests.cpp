// The grammar and the Parse entry points, driven through all four sources.
#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONValue.h>

#include <kivCore/Conversion.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

std::error_code JsonCode(int code) {
    return std::error_code(code, JsonErrorCategory::s_item);
}

// "error N" or the compact text of the value; all four sources must agree.
std::string Verdict(const std::string& text) {
    const std::wstring wide = ConvertTo<std::wstring, std::string>(text);
    std::istringstream in(text);
    std::wistringstream win(wide);
    std::error_code ec, wideEc, streamEc, wideStreamEc;
    const JsonValue value = JsonValue::Parse(text, ec);
    EXPECT_TRUE(JsonValue::Parse(wide, wideEc) == value) << "wide string: " << text;
    EXPECT_TRUE(JsonValue::Parse(in, streamEc) == value) << "narrow stream: " << text;
    const JsonValue fromWideStream = JsonValue::Parse(win, wideStreamEc);
    if (ec != JsonCode(LeftOverCharacters)) {  // the wide stream keeps that value
        EXPECT_TRUE(fromWideStream == value) << "wide stream: " << text;
    }
    EXPECT_EQ(wideEc, ec) << "wide string: " << text;
    EXPECT_EQ(streamEc, ec) << "narrow stream: " << text;
    EXPECT_EQ(wideStreamEc, ec) << "wide stream: " << text;
    EXPECT_EQ(in.rdstate() | win.rdstate(), std::ios::goodbit) << text;
    try {  // the throwing form: the same value, or the code's message
        EXPECT_TRUE(JsonValue::Parse(text) == value && !ec) << text;
    } catch (const std::invalid_argument& e) {
        EXPECT_EQ(e.what(), ec.message()) << text;
    }
    if (!ec) {
        return value.Serialize();
    }
    EXPECT_EQ(&ec.category(), &JsonErrorCategory::s_item);
    EXPECT_TRUE(value.IsNull()) << text;
    return "error " + std::to_string(ec.value());
}

TEST(Parser, EveryFormAgrees) {
    const struct {
        const char *input, *expected;
    } cases[] = {
        {R"({"a":[1,2.5,"x"]})", R"({"a":[1,2.5,"x"]})"},
        {" [ -5 , 5 , 5.0 , true , false , null ] ", "[-5,5,5,true,false,null]"},
        {" 5 /* c */", "5"},
        {"{// only a comment\n}", "{}"},
        {"[1]// to the end, no line break", "[1]"},
        {"\v[\f1\v]\f", "[1]"},
        {R"({"b":1,"a":2,"b":3})", R"({"b":1,"a":2,"b":3})"},
        // Keys with escapes wait apart from the text until their object closes.
        {R"({"\u0061x":{"b\\c":1,"d":{"\u00e9":2},"e":3},"f\"":4,"g":5})",
         "{\"ax\":{\"b\\\\c\":1,\"d\":{\"\xC3\xA9\":2},\"e\":3},\"f\\\"\":4,\"g\":5}"},
        {R"(["caf\u00e9","\ud83d\ude00",{"\u00e9":0}])",
         "[\"caf\xC3\xA9\",\"\xF0\x9F\x98\x80\",{\"\xC3\xA9\":0}]"},
        // Broken surrogate pairs become U+FFFD alike in both widths.
        {R"(["\uD800\u0041","\uD800\uD800"])",
         "[\"\xEF\xBF\xBD"
         "A\",\"\xEF\xBF\xBD\xEF\xBF\xBD\"]"},
        {"[18446744073709551615,-9223372036854775808,-0]",
         "[18446744073709551615,-9223372036854775808,0]"},
        {"[1e999]", "[inf]"},
        {"[01,-01,1.5e0]", "[1,-1,1.5]"},
        {"[18446744073709551616,-9223372036854775809,99999999999999999999.5,1E+05,2e-3,01.5]",
         "[1.8446744073709552e+19,-9.2233720368547758e+18,1e+20,100000,0.002,1.5]"},
        // Integers about the 19 digits read without an overflow check.
        {"[999999999999999999,9999999999999999999,10000000000000000000,18446744073709551616]",
         "[999999999999999999,9999999999999999999,10000000000000000000,1.8446744073709552e+19]"},
        {"18446744073709551615", "18446744073709551615"},
        {"-9223372036854775809", "-9.2233720368547758e+18"},
        {"[-0.0,-1e999,1e-400,4.9e-324]", "[-0,-inf,0,4.9406564584124654e-324]"},
        {R"(["plain / text","\"\\\/\b\f\n\r\t","a\u0041b\u00e9\u00E9","\u0000"])",
         R"(["plain / text","\"\\/\b\f\n\r\t","aAbéé","\u0000"])"},
        {"/* a /* b */ [1, // x\n2// y\r3\n]", "[1,2]"},  // \r does not end a line comment
        {"[1/**/,2]", "[1,2]"},
        // Failures of the grammar.
        {"", "error 8"},
        {"  // nothing\n", "error 8"},
        {"[1 2]", "error 2"},
        {"[1", "error 2"},
        {"[1,]", "error 8"},
        {"[}", "error 8"},
        {R"({"a":1,})", "error 5"},
        {"{", "error 5"},
        {"{1:2}", "error 5"},
        {R"({"a" 1})", "error 5"},
        {R"({"a":1)", "error 5"},
        {R"({"a":1 "b":2})", "error 5"},
        {R"({"a":})", "error 8"},
        // What may follow the value.
        {"5 6", "error 1"},
        {"[1] [", "error 1"},
        {"{} }", "error 9"},
        {"]", "error 9"},
        {"[1] x", "error 8"},
        {"true tru", "error 4"},
        {"[1]]", "error 9"},
        {"truex", "error 8"},
        {"1e5.5", "error 8"},
        {"12abc", "error 8"},
        // Failures of the tokenizer.
        {"[01, 00]", "error 6"},
        {"-", "error 6"},
        {"-00", "error 6"},
        {"1.", "error 6"},
        {"1.e5", "error 6"},
        {"1e+", "error 6"},
        {"-a", "error 6"},
        {R"("\x")", "error 7"},
        {R"("\U0041")", "error 7"},
        {R"("\u00G0")", "error 7"},
        {R"("\uD83D")", "error 7"},
        {R"("\uD83D\n")", "error 7"},
        {"\"\\n\n\"", "error 7"},  // a raw line feed after an escape
        {"\"cut\\", "error 7"},
        {"\"cut\\u00", "error 7"},
        {"[\"a\tb\"]", "error 7"},
        {"\"unterminated", "error 7"},
        {"[1 /x]", "error 3"},
        {"/", "error 3"},
        {"/*/", "error 3"},
        {"/* a *", "error 3"},
        {"[nul]", "error 4"},
        {"trUe", "error 4"},
        {"nul\nl", "error 4"},
        {"[+1]", "error 8"},
        {".5", "error 8"},
        {"\xEF\xBB\xBF{}", "error 8"},  // no byte order mark skipping
        {"\"a\\u0000b\" x", "error 8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Verdict(c.input), c.expected) << "input: " << c.input;
    }
}

// Narrow text in memory with at least 32 characters after a literal's first
// reads a short literal (and an empty array, or one of up to eight short
// literals) in one go; any other text falls back to the character-at-a-time
// reading. Each text, alone and followed by spaces, must give the verdict the
// other sources give.
TEST(Parser, ShortLiteralsAndNumberArraysReadInOneGo) {
    const struct {
        const char *input, *expected;
    } cases[] = {
        {"-0", "0"},
        {"-7", "-7"},
        {"123456789012345", "123456789012345"},    // the most integer digits taken
        {"1234567890123456", "1234567890123456"},  // one more: read the general way
        {"12345678901234567890", "12345678901234567890"},
        {"-0.0", "-0"},
        {"3.141592653589793", "3.1415926535897931"},
        {"123.4567890123456789", "123.45678901234568"},  // 19 significant digits
        {"12345678.12345678901", "12345678.123456789"},
        {"123456789.5", "123456789.5"},
        {"0.0000000000000001", "9.9999999999999998e-17"},
        {"0.00000000000000012", "1.2e-16"},
        // Exactly halfway between two doubles: ties go to even.
        {"562949953421312.0625", "562949953421312"},
        {"562949953421312.1875", "562949953421312.25"},
        {"1E5", "100000"},
        {"01.5", "1.5"},
        {"-00", "error 6"},
        {"1.5.5", "error 6"},
        {"1.5e", "error 6"},
        {"[ -1.5 , 2.25 ]", "[-1.5,2.25]"},
        {"[\n1,\n2\n]", "[1,2]"},
        {"[1,2,3,4,5,6,7,8]", "[1,2,3,4,5,6,7,8]"},
        {"[1,2,3,4,5,6,7,8,9]", "[1,2,3,4,5,6,7,8,9]"},
        {"[ ]", "[]"},
        {"[[],[1],[[2,3]]]", "[[],[1],[[2,3]]]"},
        {"[1,,2]", "error 8"},
        {"[1 23]", "error 2"},
        {"[1,2x]", "error 8"},
        {"[1,2]]", "error 9"},
        {"[1,[2,3]]]", "error 9"},
        {"[01,2]", "[1,2]"},
        {"[1/**/,2]", "[1,2]"},
        {"[1\v,2]", "[1,2]"},
        {"[1e5,2]", "[100000,2]"},
        {"[1.]", "error 6"},
    };
    const std::string padding(40, ' ');
    for (const auto& c : cases) {
        EXPECT_EQ(Verdict(c.input), c.expected) << "input: " << c.input;
        EXPECT_EQ(Verdict(c.input + padding), c.expected) << "input: " << c.input;
    }
    // Random arrays of literals about the limits of that reading.
    std::mt19937 random(20261207);
    const auto digits = [&random](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += static_cast<char>('0' + random() % 10);
        }
        return text;
    };
    for (int i = 0; i < 300; ++i) {
        std::string text = "[";
        for (unsigned n = random() % 10; n != 0; --n) {
            text += (random() % 2 != 0 ? "-" : "") + std::to_string(1 + random() % 9) +
                    digits(static_cast<int>(random() % 10));
            if (random() % 4 != 0) {
                text += "." + digits(1 + static_cast<int>(random() % 18));
            }
            text += n == 1 ? "" : ",";
        }
        text += "]";
        EXPECT_EQ(Verdict(text + padding), Verdict(text));
    }
}

// Narrow text in memory reads an object's plain members (a key without
// escapes, then a string without escapes, a short number, true, false or
// null) in one loop, and leaves anything else to the token-at-a-time reading,
// from the key of a member whose value is not plain. Each text, alone and
// followed by spaces, must give the verdict the other sources give.
TEST(Parser, PlainMembersReadInOneGo) {
    const struct {
        const char *input, *expected;
    } cases[] = {
        {R"({"a":1,"b":"x","c":true,"d":false,"e":null,"f":-2.5,"g":""})",
         R"({"a":1,"b":"x","c":true,"d":false,"e":null,"f":-2.5,"g":""})"},
        {"{ \"a\" : 1 ,\t\"b\" :\n[1,2] , \"c\" : {\"d\":\"e\"} , \"f\" : 3 }",
         R"({"a":1,"b":[1,2],"c":{"d":"e"},"f":3})"},
        {R"({"a\u0041":1,"b":2})", R"({"aA":1,"b":2})"},
        {R"({"a":"x\ny","b":2})", R"({"a":"x\ny","b":2})"},
        {R"({"a":1,"a":2,"":0})", R"({"a":1,"a":2,"":0})"},
        {R"({"a":01,"b":1.5e3,"c":-0})", R"({"a":1,"b":1500,"c":0})"},
        {R"([{"a":1},{"b":{"c":{"d":1}},"e":[]},{}])",
         R"([{"a":1},{"b":{"c":{"d":1}},"e":[]},{}])"},
        {R"({"a":1/**/,"b":2})", R"({"a":1,"b":2})"},
        {"{\"a\":1\v,\"b\":2}", R"({"a":1,"b":2})"},
        {R"({"a":tru})", "error 4"},
        {R"({"a":nul,"b":1})", "error 4"},
        {R"({"a":falsy})", "error 4"},
        {R"({"a":truex})", "error 8"},
        {R"({"a":-,"b":1})", "error 6"},
        {R"({"a":1,"b":2,})", "error 5"},
        {R"({"a":1 "b":2})", "error 5"},
        {R"({"a":1,,"b":2})", "error 5"},
        {R"({"a":1;"b":2})", "error 8"},
        {R"({"a":})", "error 8"},
        {R"({"a":"x})", "error 7"},
        {"{\"a\":\"\x01\"}", "error 7"},
    };
    const std::string padding(40, ' ');
    for (const auto& c : cases) {
        EXPECT_EQ(Verdict(c.input), c.expected) << "input: " << c.input;
        EXPECT_EQ(Verdict(c.input + padding), c.expected) << "input: " << c.input;
    }
    // Strict mode checks the UTF-8 of keys and values read in one go as a
    // stream's reading does.
    for (const std::string text :
         {"{\"a\": 1, \"b\": \"\xC3(\", \"c\": 2}", "{\"a\": 1, \"\xC3\": 2}"}) {
        for (const std::string& padded : {text, text + padding}) {
            std::istringstream in(padded);
            std::error_code ec, streamEc;
            JsonParsePosition at, streamAt;
            JsonParseText(padded, {true}, ec, at);
            JsonParseText(in, {true}, streamEc, streamAt);
            EXPECT_EQ(ec, JsonCode(MalformedString)) << padded;
            EXPECT_EQ(streamEc, ec) << padded;
            EXPECT_EQ(at.offset, streamAt.offset) << padded;
        }
    }
}

TEST(Parser, NestingLimitForAnyMixOfBrackets) {
    for (const std::string pattern : {"[", "{", "[{", "{{["}) {
        std::string open, close;
        for (size_t depth = 0; depth < 128; ++depth) {
            const bool object = pattern[depth % pattern.size()] == '{';
            open += object ? "{\"k\":" : "[";
            close.insert(close.begin(), object ? '}' : ']');
        }
        EXPECT_EQ(Verdict(open + "0" + close), open + "0" + close) << pattern;
        EXPECT_EQ(Verdict(open + "[0]" + close), "error 10") << pattern;
        EXPECT_EQ(Verdict(open + "{}" + close), "error 10") << pattern;
    }
    EXPECT_EQ(Verdict(std::string(100000, '[')), "error 10");  // nothing recurses further
}

TEST(Parser, ErrorCodeForms) {
    std::error_code ec;
    std::wistringstream wide(L"{\"a\":1} {");
    EXPECT_EQ(JsonValue::Parse(wide, ec).Serialize(), "{\"a\":1}");  // kept before left-over text
    EXPECT_EQ(ec, JsonCode(LeftOverCharacters));
    EXPECT_TRUE(JsonValue::Parse(std::string("null"), ec).IsNull());
    EXPECT_EQ(ec, std::error_code());  // success clears the previous code
}

TEST(Parser, StreamIsReadOnlyAsFarAsNeeded) {
    const struct {
        const char* input;
        int code;
        const char* rest;
    } cases[] = {
        {"[1]\n", 0, ""},
        {"[1] x y", MalformedToken, " y"},  // x is consumed with everything before it
        {"5 true false", LeftOverCharacters, " false"},
        {"[1 2 3]", MalformedArray, " 3]"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        in.exceptions(std::ios::failbit | std::ios::badbit | std::ios::eofbit);
        std::error_code ec;
        JsonValue::Parse(in, ec);
        EXPECT_EQ(ec.value(), c.code) << c.input;
        EXPECT_EQ(in.rdstate(), std::ios::goodbit) << c.input;
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in.rdbuf()), {}), c.rest) << c.input;
    }
}

TEST(Parser, WeofElementEndsWideInput) {
    std::wstring text = L"[1]";
    text.push_back(static_cast<wchar_t>(WEOF));
    text += L" garbage";
    std::wistringstream in(text);
    std::error_code ec, streamEc;
    EXPECT_EQ(JsonValue::Parse(text, ec).Serialize(), "[1]");
    EXPECT_EQ(JsonValue::Parse(in, streamEc).Serialize(), "[1]");
    EXPECT_FALSE(ec || streamEc);

    // Also inside a string: the literal is cut off there, as at the end of the text.
    std::wstring cut = L"[\"a";
    cut.push_back(static_cast<wchar_t>(WEOF));
    cut += L"b\"]";
    std::wistringstream cutIn(cut);
    JsonValue::Parse(cut, ec);
    JsonValue::Parse(cutIn, streamEc);
    EXPECT_EQ(ec.value(), MalformedString);
    EXPECT_EQ(streamEc.value(), MalformedString);
}

}  // namespace
