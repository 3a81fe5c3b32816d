#include <kivJSON/JSONErrorCat.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <system_error>

namespace {

TEST(ErrorCategory, MessageOfEveryCode) {
    const struct {
        int code;
        const char* message;
    } cases[] = {
        {INT_MIN, "Unknown JSON error"},
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
        {INT_MAX, "Unknown JSON error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(JsonErrorCategory::s_item.message(c.code), c.message);
    }
    // The codes are fixed numbers, used directly as the int of an error_code.
    EXPECT_EQ(LeftOverCharacters, 1);
    EXPECT_EQ(UnexpectedToken, 11);
}

TEST(ErrorCategory, IdentityAndStandardBehaviour) {
    EXPECT_STREQ(JsonErrorCategory::s_item.name(), "kivJSON");

    const std::error_code ec(NestingTooDeep, JsonErrorCategory::s_item);
    EXPECT_TRUE(static_cast<bool>(ec));
    EXPECT_EQ(ec.message(), "Nesting too deep");
    EXPECT_EQ(&ec.category(), &JsonErrorCategory::s_item);

    // The base's default_error_condition and equivalent are kept: no mapping
    // to generic conditions, only (same value, same category).
    EXPECT_EQ(ec.default_error_condition(),
              std::error_condition(NestingTooDeep, JsonErrorCategory::s_item));
    EXPECT_NE(ec, std::errc::invalid_argument);
    EXPECT_NE(ec, std::error_code(NestingTooDeep, std::generic_category()));

    // A default code means success and is not of this category.
    EXPECT_NE(&std::error_code().category(), &JsonErrorCategory::s_item);
}

}  // namespace
