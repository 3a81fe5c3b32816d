// Wide string tokens, where the two widths differ. Tokens of every kind and their
// errors, through the four public sources, are in ParserTests.
#include <kivJSON/JSONParser.h>

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

}  // namespace
