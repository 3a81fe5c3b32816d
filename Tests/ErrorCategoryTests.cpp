#include <kivJSON/JSONErrorCat.h>

#include <gtest/gtest.h>

#include <string>
#include <system_error>

namespace {

TEST(ErrorCategory, MessageOfEveryCode) {
    const struct {
        int code;
        const char* message;
    } cases[] = {
        {-1, "Unknown JSON error"},
        {0, "Unknown JSON error"},
        {LeftOverCharacters, "Left-over characters in stream after parsing a JSON value"},
        {MalformedArray, "Malformed array literal"},
        {MalformedComment, "Malformed comment"},
        {MalformedLiteral, "Malformed literal"},
        {MalformedObject, "Malformed object literal"},
        {MalformedNumber, "Malformed numeric literal"},
        {MalformedString, "Malformed string literal"},
        {MalformedToken, "Malformed token"},
        {MismatchedBraces, "Mismatched braces"},
        {NestingTooDeep, "Nesting too deep"},
        {UnexpectedToken, "Unexpected token"},
        {12, "Unknown JSON error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(JsonErrorCategory::s_item.message(c.code), c.message);
    }
    static_assert(LeftOverCharacters == 1 && UnexpectedToken == 11);
}

TEST(ErrorCategory, Identity) {
    EXPECT_STREQ(JsonErrorCategory::s_item.name(), "kivJSON");
    const std::error_code ec(NestingTooDeep, JsonErrorCategory::s_item);
    EXPECT_EQ(ec.message(), "Nesting too deep");
    // No mapping to generic conditions: only (same value, same category) match.
    EXPECT_NE(ec, std::error_code(NestingTooDeep, std::generic_category()));
    EXPECT_NE(ec, std::errc::invalid_argument);
}

}  // namespace
