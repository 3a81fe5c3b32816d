// The grammar and the Parse entry points, driven through all four sources.
#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONValue.h>

#include <kivCore/Conversion.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

std::error_code JsonCode(int code) {
    return std::error_code(code, JsonErrorCategory::s_item);
}

struct Outcome {
    JsonValue value;
    std::error_code ec;
};

// The error-code forms of all four sources for one text (valid UTF-8).
struct FourWay {
    Outcome narrow, wide, narrowStream, wideStream;
};

FourWay ParseFourWays(const std::string& text) {
    FourWay r;
    r.narrow.value = JsonValue::Parse(text, r.narrow.ec);
    const std::wstring wide = ConvertTo<std::wstring, std::string>(text);
    r.wide.value = JsonValue::Parse(wide, r.wide.ec);
    std::istringstream in(text);
    r.narrowStream.value = JsonValue::Parse(in, r.narrowStream.ec);
    EXPECT_EQ(in.rdstate(), std::ios::goodbit) << text;
    std::wistringstream win(wide);
    r.wideStream.value = JsonValue::Parse(win, r.wideStream.ec);
    EXPECT_EQ(win.rdstate(), std::ios::goodbit) << text;
    return r;
}

// "error N" or the compact text of the value (the narrow string source).
std::string Verdict(const std::string& text) {
    const FourWay r = ParseFourWays(text);
    EXPECT_EQ(r.wide.ec, r.narrow.ec) << "wide string: " << text;
    EXPECT_EQ(r.narrowStream.ec, r.narrow.ec) << "narrow stream: " << text;
    EXPECT_EQ(r.wideStream.ec, r.narrow.ec) << "wide stream: " << text;
    EXPECT_TRUE(r.wide.value == r.narrow.value) << "wide string: " << text;
    EXPECT_TRUE(r.narrowStream.value == r.narrow.value) << "narrow stream: " << text;
    if (r.narrow.ec != JsonCode(LeftOverCharacters)) {  // the wide stream keeps that value
        EXPECT_TRUE(r.wideStream.value == r.narrow.value) << "wide stream: " << text;
    }
    if (r.narrow.ec) {
        EXPECT_EQ(&r.narrow.ec.category(), &JsonErrorCategory::s_item);
        EXPECT_TRUE(r.narrow.value.IsNull()) << text;
        return "error " + std::to_string(r.narrow.ec.value());
    }
    EXPECT_EQ(r.narrow.ec, std::error_code()) << text;
    return r.narrow.value.Serialize();
}

TEST(Parser, EveryFormAgrees) {
    const struct {
        const char* input;
        const char* expected;
    } cases[] = {
        // Values and trees.
        {R"({"a":[1,2.5,"x"]})", R"({"a":[1,2.5,"x"]})"},
        {" [ -5 , 5 , 5.0 , true , false , null ] ", "[-5,5,5,true,false,null]"},
        {"5", "5"},
        {" 5 ", "5"},
        {"5 /* c */", "5"},
        {"\"x\"", "\"x\""},
        {"null", "null"},
        {"[]", "[]"},
        {"[ ]", "[]"},
        {"{}", "{}"},
        {"[/* c */]", "[]"},
        {"{// only a comment\n}", "{}"},
        {"\v[\f1\v]\f", "[1]"},
        {R"({"b":1,"a":2})", R"({"b":1,"a":2})"},
        {R"({"a":1,"a":2})", R"({"a":1,"a":2})"},
        {R"(["caf\u00e9","\ud83d\ude00",{"\u00e9":0}])",
         "[\"caf\xC3\xA9\",\"\xF0\x9F\x98\x80\",{\"\xC3\xA9\":0}]"},
        {"[\"caf\xC3\xA9\"]", "[\"caf\xC3\xA9\"]"},
        // Broken surrogate pairs become U+FFFD alike in both widths.
        {R"(["\uD800\u0041","\uD800\uD800"])",
         "[\"\xEF\xBF\xBD"
         "A\",\"\xEF\xBF\xBD\xEF\xBF\xBD\"]"},
        {R"(["a\"b\\c\/d\n"])", R"(["a\"b\\c/d\n"])"},
        {"[18446744073709551615,-9223372036854775808,-0]",
         "[18446744073709551615,-9223372036854775808,0]"},
        {"[1e999]", "[inf]"},
        // Failures of the grammar.
        {"", "error 8"},
        {"  // nothing\n", "error 8"},
        {"[1 2]", "error 2"},
        {"[1", "error 2"},
        {"[1}", "error 2"},
        {"[1,]", "error 8"},
        {"[,1]", "error 8"},
        {"[", "error 8"},
        {"[1,", "error 8"},
        {"[}", "error 8"},
        {R"({"a":1,})", "error 5"},
        {"{", "error 5"},
        {"{,}", "error 5"},
        {"{1:2}", "error 5"},
        {R"({"a")", "error 5"},
        {R"({"a" 1})", "error 5"},
        {R"({"a"})", "error 5"},
        {R"({"a":1)", "error 5"},
        {R"({"a":1,)", "error 5"},
        {"{]", "error 5"},
        {R"({"a":1 "b":2})", "error 5"},
        {R"({"a":})", "error 8"},
        {R"({"a":)", "error 8"},
        // What may follow the value.
        {"5 6", "error 1"},
        {"{} {", "error 1"},
        {"[1] [", "error 1"},
        {"{} }", "error 9"},
        {"5 ]", "error 9"},
        {"]", "error 9"},
        {"[[]]]", "error 9"},
        {"[1] x", "error 8"},
        {"true tru", "error 4"},
        // Failures of the tokenizer inside a value.
        {"[01, 00]", "error 6"},
        {"[\"a\tb\"]", "error 7"},
        {"[1 /x]", "error 3"},
        {"[nul]", "error 4"},
        {"[+1]", "error 8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Verdict(c.input), c.expected) << "input: " << c.input;
    }
}

std::string Nested(const std::string& openers) {
    std::string text;
    for (char c : openers) {
        text += c == '{' ? "{\"k\":" : "[";
    }
    text += "0";
    for (auto it = openers.rbegin(); it != openers.rend(); ++it) {
        text += *it == '{' ? '}' : ']';
    }
    return text;
}

TEST(Parser, NestingLimitForAnyMixOfBrackets) {
    const std::string patterns[] = {"[", "{", "[{", "{{[", "[[[{"};
    for (const std::string& pattern : patterns) {
        std::string openers;
        while (openers.size() < 129) {
            openers += pattern;
        }
        const std::string limit = Nested(openers.substr(0, 128));
        EXPECT_EQ(Verdict(limit), limit) << pattern;
        EXPECT_EQ(Verdict(Nested(openers.substr(0, 129))), "error 10") << pattern;
    }
    // Far beyond the limit nothing recurses further.
    EXPECT_EQ(Verdict(std::string(100000, '[')), "error 10");
}

TEST(Parser, ThrowingFormsCarryTheMessage) {
    const struct {
        const char* input;
        const char* message;
    } cases[] = {
        {"", "Malformed token"},
        {"5 6", "Left-over characters in stream after parsing a JSON value"},
        {"[1 2]", "Malformed array literal"},
        {"{\"a\" 1}", "Malformed object literal"},
    };
    for (const auto& c : cases) {
        const std::string text = c.input;
        const std::wstring wide = ConvertTo<std::wstring, std::string>(text);
        std::istringstream in(text);
        std::wistringstream win(wide);
        const auto expectThrow = [&](auto&& parse) {
            try {
                parse();
                ADD_FAILURE() << "no exception for " << text;
            } catch (const std::invalid_argument& e) {
                EXPECT_STREQ(e.what(), c.message) << text;
            }
        };
        expectThrow([&] { JsonValue::Parse(text); });
        expectThrow([&] { JsonValue::Parse(wide); });
        expectThrow([&] { JsonValue::Parse(in); });
        expectThrow([&] { JsonValue::Parse(win); });
    }
    EXPECT_EQ(JsonValue::Parse(std::string("[1]")).Size(), 1u);
}

TEST(Parser, WideStreamKeepsTheValueBeforeLeftOverText) {
    std::wistringstream in(L"{\"a\":1} {");
    std::error_code ec;
    const JsonValue value = JsonValue::Parse(in, ec);
    EXPECT_EQ(ec, JsonCode(LeftOverCharacters));
    EXPECT_EQ(value.Serialize(), "{\"a\":1}");
}

TEST(Parser, SuccessClearsThePreviousCode) {
    std::error_code ec;
    JsonValue::Parse(std::string("[1,"), ec);
    EXPECT_EQ(ec, JsonCode(MalformedToken));
    const JsonValue value = JsonValue::Parse(std::string("null"), ec);
    EXPECT_EQ(ec.value(), 0);
    EXPECT_EQ(&ec.category(), &std::system_category());
    EXPECT_TRUE(value.IsNull());
}

TEST(Parser, StreamIsReadOnlyAsFarAsNeeded) {
    const struct {
        const char* input;
        int code;
        const char* rest;
    } cases[] = {
        {"[1]\n", 0, ""},
        {"[1] x y", MalformedToken, " y"},  // x is consumed with everything before it
        {"5 6 7", LeftOverCharacters, " 7"},
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

TEST(Parser, StreamWithoutBufferReadsAsEmpty) {
    std::istream in(nullptr);
    std::error_code ec;
    EXPECT_TRUE(JsonValue::Parse(in, ec).IsNull());
    EXPECT_EQ(ec, JsonCode(MalformedToken));
    std::wistream win(nullptr);
    EXPECT_THROW(JsonValue::Parse(win), std::invalid_argument);
}

TEST(Parser, WeofElementEndsWideInput) {
    std::wstring text = L"[1]";
    text.push_back(static_cast<wchar_t>(WEOF));
    text += L" garbage";
    std::error_code ec;
    EXPECT_EQ(JsonValue::Parse(text, ec).Serialize(), "[1]");
    EXPECT_FALSE(ec);
    std::wistringstream in(text);
    EXPECT_EQ(JsonValue::Parse(in, ec).Serialize(), "[1]");
    EXPECT_FALSE(ec);
}

TEST(Parser, StringsKeepTheirEscapeFlag) {
    // A flag set by the parser makes the writer escape; a clear one copies.
    EXPECT_EQ(JsonValue::Parse(std::string(R"(["\u0022"])")).Serialize(), R"(["\""])");
    EXPECT_EQ(JsonValue::Parse(std::string(R"(["a"])")).Serialize(), R"(["a"])");
}

TEST(Parser, RoundTripIsStable) {
    const std::string text =
        R"({"a":[1,2.5,"x"],"b":{"c":null,"d":[true,false,-3,1e-7]},"e":"\u0001\t"})";
    const std::string once = JsonValue::Parse(text).Serialize();
    EXPECT_EQ(JsonValue::Parse(once).Serialize(), once);
    EXPECT_EQ(JsonValue::Parse(std::string(R"({"a":[1,2.5,"x"]})")).Serialize(),
              R"({"a":[1,2.5,"x"]})");
}

}  // namespace
