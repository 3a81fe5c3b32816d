// The tokenizer and its scanners, read token by token. Error shapes through the
// four public sources are in ParserTests.
#include <kivJSON/JSONParser.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

namespace {

using Token = JsonParser<char>::Token;
static_assert(Token::EndOfInput == 0 && Token::Comment == 12 && sizeof(Token::Kind) == 4);

// The kinds of all tokens up to the end or the first error, then "!code".
std::string KindsOf(const std::string& text) {
    JsonStringParser<char> parser(text);
    Token token;
    std::string out;
    for (parser.GetNextToken(token); token.kind != Token::EndOfInput && !token.error;
         parser.GetNextToken(token)) {
        out += std::to_string(token.kind) + " ";
    }
    EXPECT_EQ(token.kind, Token::EndOfInput) << text;  // an error ends the input
    return token.error ? out + "!" + std::to_string(token.error.value()) : out;
}

TEST(ParserTokens, Kinds) {
    const struct {
        const char *input, *expected;
    } cases[] = {
        {" \t\n\v\f\r ", ""},
        {"{}[],:", "1 2 3 4 5 6 "},
        {"\"a\" 1 1.5 true false null", "7 9 8 10 10 11 "},
        {"[1]]", "3 9 4 !9"},
        {"[}", "3 2 "},  // the grammar, not the tokenizer, checks the pairing
        {"truex", "10 !8"},
        {"1e5.5", "8 !8"},
        {"12abc", "9 !8"},
        {"/* a /* b */ 1 // x\n2// y\r3", "9 9 "},  // \r does not end a line comment
        {"1/**/2", "9 9 "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KindsOf(c.input), c.expected) << "input: " << c.input;
    }
}

// One number token: "i<value>", "u<value>", "d<value>" or "!<code>".
std::string NumberOf(const std::string& text) {
    JsonStringParser<char> parser(text);
    Token token;
    parser.GetNextToken(token);
    if (token.error) {
        return "!" + std::to_string(token.error.value());
    }
    if (token.kind == Token::Integer) {
        return token.isNegative ? "i" + std::to_string(token.intValue)
                                : "u" + std::to_string(token.uintValue);
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%d:%.17g", token.kind, token.doubleValue);
    return buffer;
}

TEST(ParserTokens, Numbers) {
    const struct {
        const char *input, *expected;
    } cases[] = {
        {"0", "u0"},
        {"-0", "i0"},
        {"01", "u1"},
        {"-01", "i-1"},
        {"00", "!6"},
        {"-00", "!6"},
        {"18446744073709551615", "u18446744073709551615"},
        {"18446744073709551616", "8:1.8446744073709552e+19"},
        {"-9223372036854775808", "i-9223372036854775808"},
        {"-9223372036854775809", "8:-9.2233720368547758e+18"},
        {"99999999999999999999.5", "8:1e+20"},
        {"1E+05", "8:100000"},
        {"2e-3", "8:0.002"},
        {"01.5", "8:1.5"},
        {"0.1", "8:0.10000000000000001"},
        {"-0.0", "8:-0"},  // the sign is applied after the conversion
        {"-1e999", "8:-inf"},
        {"1e-400", "8:0"},
        {"4.9e-324", "8:4.9406564584124654e-324"},
        {"1.", "!6"},
        {"1.e5", "!6"},
        {"1e+", "!6"},
        {"-a", "!6"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberOf(c.input), c.expected) << "input: " << c.input;
    }
}

// The string token of `literal` from the in-memory and the stream source, which must agree.
std::string StringOf(const std::string& literal, bool* hasEscapes = nullptr) {
    JsonStringParser<char> parser(literal);
    std::istringstream in(literal);
    JsonStreamParser<char> streamParser(in);
    Token token, streamToken;
    parser.GetNextToken(token);
    streamParser.GetNextToken(streamToken);
    EXPECT_EQ(token.error, streamToken.error) << literal;
    EXPECT_EQ(token.text, streamToken.text) << literal;
    EXPECT_EQ(token.hasEscapes, streamToken.hasEscapes) << literal;
    if (hasEscapes != nullptr) {
        *hasEscapes = token.hasEscapes;
    }
    return token.error ? "!" + std::to_string(token.error.value()) : token.text;
}

TEST(ParserTokens, StringEscapes) {
    const struct {
        const char* literal;
        std::string expected;
    } cases[] = {
        {R"("plain / text")", "plain / text"},
        {R"("\"\\\/\b\f\n\r\t")", "\"\\/\b\f\n\r\t"},
        {R"("a\u0041b\u00e9\u00E9")", "aAb\xC3\xA9\xC3\xA9"},
        {R"("\ud83d\ude00")", "\xF0\x9F\x98\x80"},
        {R"("\u0000")", std::string(1, '\0')},
        {R"("\uDC00")", "\xEF\xBF\xBD"},  // a lone low surrogate
        {R"("\uD800\u0041")",
         "\xEF\xBF\xBD"
         "A"},                                         // a high surrogate without its partner
        {"\"\x7F\xC3\xA9\xFF\"", "\x7F\xC3\xA9\xFF"},  // raw bytes are not checked
        {R"("\x")", "!7"},
        {R"("\U0041")", "!7"},
        {R"("\u00G0")", "!7"},
        {R"("\uD83D")", "!7"},
        {R"("\uD83D\n")", "!7"},
        {"\"a\tb\"", "!7"},
        {"\"\\n\n\"", "!7"},  // a raw line feed after an escape
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
        {LR"("\ud83d\ude00")", L"\U0001F600"},
        {LR"("\uDC00")", std::wstring(1, wchar_t(0xDC00))},
        // Our choice: U+FFFD for the high unit, then the second unit as it is.
        {LR"("\uD800\u0041")", L"\uFFFDA"},
        {LR"("\uD800\uD800")", L"\uFFFD\uFFFD"},
        {L"\"\U0001F600\"", L"\U0001F600"},
    };
    for (const auto& c : cases) {
        const std::wstring literal = c.literal;
        JsonStringParser<wchar_t> parser(literal);
        JsonParser<wchar_t>::Token token;
        parser.GetNextToken(token);
        EXPECT_FALSE(token.error) << literal.size();
        EXPECT_EQ(token.text, c.expected) << literal.size();
    }
}

}  // namespace
