#include <kivJSON/JSONErrorCat.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <system_error>

namespace {

// The tool's tests compare the texts it prints; here: every code has its own
// sentence, and nothing outside 1 to 11 has one.
TEST(ErrorCategory, EachCodeHasItsOwnMessage) {
    static_assert(LeftOverCharacters == 1 && UnexpectedToken == 11);
    const std::string unknown = "Unknown JSON error";
    std::set<std::string> messages;
    for (int code = LeftOverCharacters; code <= UnexpectedToken; ++code)
        messages.insert(JsonErrorCategory::s_item.message(code));
    EXPECT_EQ(messages.size(), 11u);
    EXPECT_EQ(messages.count(unknown), 0u);
    for (int code : {-1, 0, 12})
        EXPECT_EQ(JsonErrorCategory::s_item.message(code), unknown) << code;
}

TEST(ErrorCategory, Identity) {
    const std::error_code ec(NestingTooDeep, JsonErrorCategory::s_item);
    // No mapping to generic conditions: only (same value, same category) match.
    EXPECT_NE(ec, std::error_code(NestingTooDeep, std::generic_category()));
    EXPECT_NE(ec, std::errc::invalid_argument);
}

}  // namespace
