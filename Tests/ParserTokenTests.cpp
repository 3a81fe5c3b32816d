// The tokenizer and its scanners, read token by token.
#include <kivJSON/JSONParser.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Token = JsonParser<char>::Token;

static_assert(Token::EndOfInput == 0 && Token::Comment == 12);
static_assert(sizeof(Token::Kind) == 4);

// The kinds of all tokens up to the end or the first error, then the error code.
std::string KindsOf(const std::string& text) {
    JsonStringParser<char> parser(text);
    Token token;
    std::string out;
    for (;;) {
        parser.GetNextToken(token);
        if (token.error) {
            EXPECT_EQ(token.kind, Token::EndOfInput);
            return out + "!" + std::to_string(token.error.value());
        }
        if (token.kind == Token::EndOfInput) {
            return out;
        }
        out += std::to_string(token.kind) + " ";
    }
}

TEST(ParserTokens, KindsAndErrors) {
    const struct {
        const char* input;
        const char* expected;
    } cases[] = {
        {"", ""},
        {" \t\n\v\f\r ", ""},
        {"{}[],:", "1 2 3 4 5 6 "},
        {"\"a\" 1 1.5 true false null", "7 9 8 10 10 11 "},
        {"]", "!9"},
        {"}", "!9"},
        {"[1]]", "3 9 4 !9"},
        {"[}", "3 2 "},  // the grammar, not the tokenizer, checks the pairing
        {"tru", "!4"},
        {"trUe", "!4"},
        {"truex", "10 !8"},
        {"nul\nl", "!4"},
        {"fals", "!4"},
        {"/", "!3"},
        {"/x", "!3"},
        {"/*/", "!3"},
        {"/* a", "!3"},
        {"/* a *", "!3"},
        {"/**/1", "9 "},
        {"/* a /* b */ 1", "9 "},
        {"/* a */ /* b */ 7", "9 "},
        {"1 // note", "9 "},
        {"//", ""},
        {"// x\n1// y\r2", "9 "},  // a carriage return does not end a line comment
        {"1/**/2", "9 9 "},
        {"+1", "!8"},
        {".5", "!8"},
        {"\xFF", "!8"},
        {"\xEF\xBB\xBF{}", "!8"},  // no byte order mark skipping
        {"1e5.5", "8 !8"},
        {"12abc", "9 !8"},
        {"\"a\\u0000b\" x", "7 !8"},
        {"\"unterminated", "!7"},
        {"-", "!6"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KindsOf(c.input), c.expected) << "input: " << c.input;
    }
}

TEST(ParserTokens, SharedNestingLimit) {
    std::string text;
    for (int i = 0; i < 128; ++i) {
        text += i % 3 == 0 ? "{" : "[";
    }
    JsonStringParser<char> ok(text);
    Token token;
    for (int i = 0; i < 128; ++i) {
        ok.GetNextToken(token);
    }
    EXPECT_FALSE(token.error);
    const std::string tooDeep = text + "{";  // the parser reads it in place
    JsonStringParser<char> deep(tooDeep);
    for (int i = 0; i < 129; ++i) {
        deep.GetNextToken(token);
    }
    EXPECT_EQ(token.error, std::error_code(NestingTooDeep, JsonErrorCategory::s_item));
    EXPECT_EQ(token.kind, Token::EndOfInput);
}

// One number token: "i<value>", "u<value>", "d<value>" or "!<code>".
std::string NumberOf(const std::string& text, std::string* rest = nullptr) {
    JsonStringParser<char> parser(text);
    Token token;
    parser.GetNextToken(token);
    if (rest != nullptr) {
        for (auto c = parser.NextCharacter(); c != std::char_traits<char>::eof();
             c = parser.NextCharacter()) {
            rest->push_back(static_cast<char>(c));
        }
    }
    if (token.error) {
        return "!" + std::to_string(token.error.value());
    }
    if (token.kind == Token::Integer) {
        return token.isNegative ? "i" + std::to_string(token.intValue)
                                : "u" + std::to_string(token.uintValue);
    }
    if (token.kind != Token::Double) {
        return "kind " + std::to_string(token.kind);
    }
    char buffer[40];
    snprintf(buffer, sizeof(buffer), "d%.17g", token.doubleValue);
    return buffer;
}

TEST(ParserTokens, Numbers) {
    const struct {
        const char* input;
        const char* expected;
    } cases[] = {
        {"0", "u0"},
        {"-0", "i0"},
        {"01", "u1"},
        {"-01", "i-1"},
        {"00", "!6"},
        {"-00", "!6"},
        {"007", "!6"},
        {"18446744073709551615", "u18446744073709551615"},
        {"18446744073709551616", "d1.8446744073709552e+19"},
        {"-9223372036854775808", "i-9223372036854775808"},
        {"-9223372036854775809", "d-9.2233720368547758e+18"},
        {"-18446744073709551615", "d-1.8446744073709552e+19"},
        {"123456789012345678901", "d1.2345678901234568e+20"},
        {"99999999999999999999.5", "d1e+20"},
        {"1.5", "d1.5"},
        {"1e5", "d100000"},
        {"1E+05", "d100000"},
        {"2e-3", "d0.002"},
        {"01.5", "d1.5"},
        {"0.1", "d0.10000000000000001"},
        {"-0.0", "d-0"},  // the sign is applied after the conversion
        {"1e999", "dinf"},
        {"-1e999", "d-inf"},
        {"1e-400", "d0"},
        {"4.9e-324", "d4.9406564584124654e-324"},
        {"1.", "!6"},
        {"1.e5", "!6"},
        {"1e", "!6"},
        {"1e+", "!6"},
        {"-", "!6"},
        {"-a", "!6"},
        {"1.2.3", "!6"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberOf(c.input), c.expected) << "input: " << c.input;
    }
}

TEST(ParserTokens, NumberStopsBeforeNextToken) {
    std::string rest;
    EXPECT_EQ(NumberOf("1e5.5", &rest), "d100000");
    EXPECT_EQ(rest, ".5");
    rest.clear();
    EXPECT_EQ(NumberOf("12abc", &rest), "u12");
    EXPECT_EQ(rest, "abc");
    rest.clear();
    EXPECT_EQ(NumberOf("7/**/", &rest), "u7");
    EXPECT_EQ(rest, "/**/");
}

// The string token of `literal` (quotes included) from the in-memory and the
// stream source; both must agree.
std::string StringOf(const std::string& literal, bool* hasEscapes = nullptr) {
    JsonStringParser<char> parser(literal);
    Token token;
    parser.GetNextToken(token);

    std::istringstream in(literal);
    JsonStreamParser<char> streamParser(in);
    Token streamToken;
    streamParser.GetNextToken(streamToken);
    EXPECT_EQ(token.error, streamToken.error) << literal;
    if (token.error) {
        return "!" + std::to_string(token.error.value());
    }
    EXPECT_EQ(token.kind, Token::String);
    EXPECT_EQ(token.text, streamToken.text) << literal;
    EXPECT_EQ(token.hasEscapes, streamToken.hasEscapes) << literal;
    if (hasEscapes != nullptr) {
        *hasEscapes = token.hasEscapes;
    }
    return token.text;
}

TEST(ParserTokens, StringEscapes) {
    const struct {
        const char* literal;
        std::string expected;
    } cases[] = {
        {R"("")", ""},
        {R"("plain / text")", "plain / text"},
        {R"("\"\\\/\b\f\n\r\t")", "\"\\/\b\f\n\r\t"},
        {R"("a\u0041b")", "aAb"},
        {R"("\u00e9\u00E9")", "\xC3\xA9\xC3\xA9"},
        {R"("\ud83d\ude00")", "\xF0\x9F\x98\x80"},
        {R"("\u0000")", std::string(1, '\0')},
        {R"("\uDC00")", "\xEF\xBF\xBD"},  // a lone low surrogate
        {R"("\uD800\u0041")",
         "\xEF\xBF\xBD"
         "A"},                                         // a high surrogate without its partner
        {"\"\x7F\xC3\xA9\xFF\"", "\x7F\xC3\xA9\xFF"},  // raw bytes are not checked
        {R"("\x")", "!7"},
        {R"("\U0041")", "!7"},
        {R"("\u12")", "!7"},
        {R"("\u00G0")", "!7"},
        {R"("\uD83D")", "!7"},
        {R"("\uD83D\n")", "!7"},
        {R"("\uD83D\u12")", "!7"},
        {"\"\xC3\\u00e9\"", "\xC3\xC3\xA9"},
        {"\"a\tb\"", "!7"},
        {"\"\\n\n\"", "!7"},  // a raw line feed after an escape
        {"\"cut", "!7"},
        {"\"cut\\", "!7"},
        {"\"cut\\u00", "!7"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StringOf(c.literal), c.expected) << "literal: " << c.literal;
    }
    bool escapes = true;
    StringOf(R"("plain")", &escapes);
    EXPECT_FALSE(escapes);
    StringOf(R"("\u0041")", &escapes);
    EXPECT_TRUE(escapes);
}

TEST(ParserTokens, WideStrings) {
    const struct {
        const wchar_t* literal;
        std::wstring expected;
    } cases[] = {
        {LR"("\u00e9")", L"\u00e9"},
        {LR"("\ud83d\ude00")", std::wstring(1, wchar_t(0x1F600))},
        {LR"("\uDC00")", std::wstring(1, wchar_t(0xDC00))},
        // Our choice: U+FFFD for the high unit, then the second unit as it is.
        {LR"("\uD800\u0041")", L"\uFFFDA"},
        {LR"("\uD800\uD800")", L"\uFFFD\uFFFD"},
        {L"\"\U0001F600\"", std::wstring(1, wchar_t(0x1F600))},
    };
    for (const auto& c : cases) {
        const std::wstring literal = c.literal;
        JsonStringParser<wchar_t> parser(literal);
        JsonParser<wchar_t>::Token token;
        parser.GetNextToken(token);
        ASSERT_FALSE(token.error);
        EXPECT_EQ(token.text, c.expected);
    }
}

}  // namespace
