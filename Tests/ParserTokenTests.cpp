// Wide string tokens, where the two widths differ. Tokens of every kind and their
// errors, through the four public sources, are in ParserTests.
#include <kivJSON/JSONParser.h>
#include <kivJSON/JSONPrivateImpl.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using Token = JsonParser<char>::Token;
static_assert(Token::EndOfInput == 0 && Token::Comment == 12 && sizeof(Token::Kind) == 4);

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

// The exported grammar entry points, through a source's virtual reads: the
// value, the error, and the token left after the value.
TEST(ParserTokens, ValueEntryPoints) {
    const struct {
        const char* text;
        const char* value;  // as JsonValue::Parse reads it; nullptr: a failure
        int error;
        Token::Kind after;
    } cases[] = {
        {R"([1, {"a": [true, null], "b": {}}, "s", []] 7)",
         R"([1,{"a":[true,null],"b":{}},"s",[]])", 0, Token::Integer},
        {R"({"k": {"x": [1.5, -2]}, "y": [[]]} ,)", R"({"k":{"x":[1.5,-2]},"y":[[]]})", 0,
         Token::Comma},
        {R"("s" :)", R"("s")", 0, Token::Colon},
        {"[1 2]", nullptr, MalformedArray, Token::Integer},
        {R"({"a" 1})", nullptr, MalformedObject, Token::Integer},
        {R"({"a": 1 "b": 2})", nullptr, MalformedObject, Token::String},
        {R"({1: 2})", nullptr, MalformedObject, Token::Integer},
        {"[1, ]", nullptr, MalformedToken, Token::ArrayEnd},
        {"[1, @]", nullptr, MalformedToken, Token::EndOfInput},
        {"[[1] nul", nullptr, MalformedLiteral, Token::EndOfInput},
    };
    for (const auto& c : cases) {
        const std::string text = c.text;
        for (const bool byKind : {false, true}) {
            JsonStringParser<char> parser(text);
            Token token;
            parser.GetNextToken(token);
            const JsonValue value =
                !byKind                            ? JsonValue(parser._ParseValue(token))
                : token.kind == Token::ArrayBegin  ? JsonValue(parser._ParseArray(token))
                : token.kind == Token::ObjectBegin ? JsonValue(parser._ParseObject(token))
                                                   : parser.ParseValue(token);
            EXPECT_EQ(token.error.value(), c.error) << text;
            EXPECT_EQ(token.kind, c.after) << text;
            EXPECT_EQ(value, c.value ? JsonValue::Parse(std::string(c.value)) : JsonValue())
                << text;
        }
    }
}

}  // namespace
