#include <kivJSON/JSONPointer.h>

#include <gtest/gtest.h>

#include <string>
#include <system_error>

namespace {

TEST(Pointer, Lookup) {
    // RFC 6901's example document, plus keys for the escape order, "-", a
    // duplicate and an object reached with an empty last token.
    const JsonValue doc = JsonValue::Parse(std::string(
        R"({"foo": ["bar", "baz"], "": 0, "a/b": 1, "c%d": 2, "e^f": 3, "g|h": 4, "i\\j": 5,)"
        R"( "k\"l": 6, " ": 7, "m~n": 8, "~1": 9, "/0": 10, "-": 11, "d": 12, "d": 13,)"
        R"( "o": {"": 14}})"));
    const struct {
        const char* pointer;
        const char* expected;  // the value as compact text, "none" or "error"
    } cases[] = {
        // clang-format off
        {"/foo", R"(["bar","baz"])"}, {"/foo/0", R"("bar")"}, {"/foo/1", R"("baz")"}, {"/", "0"},
        {"/a~1b", "1"}, {"/c%d", "2"}, {"/e^f", "3"}, {"/g|h", "4"}, {"/i\\j", "5"},
        {"/k\"l", "6"}, {"/ ", "7"}, {"/m~0n", "8"}, {"/~01", "9"}, {"/~10", "10"}, {"/-", "11"},
        {"/d", "12"}, {"/o/", "14"}, {"/nope", "none"}, {"//", "none"}, {"/foo/0/0", "none"},
        {"/foo/2", "none"}, {"/foo/01", "none"}, {"/foo/-", "none"}, {"/foo/+1", "none"},
        {"/foo/", "none"}, {"/foo/18446744073709551616", "none"}, {"foo", "error"},
        {"#/foo", "error"}, {"/m~n", "error"}, {"/~", "error"}, {"/~2", "error"},
        {"/nope/~x", "error"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pointer);
        std::error_code ec = std::make_error_code(std::errc::invalid_argument);
        const JsonValue* found = JsonPointerFind(doc, c.pointer, ec);
        const std::string got = ec ? "error" : found ? found->Serialize() : "none";
        EXPECT_EQ(got, c.expected);
        EXPECT_TRUE(!ec || (ec.category() == JsonPointerCategory() && !found));
    }
    std::error_code ec;
    JsonValue copy = doc;  // the non-const form hands out the tree's own values
    EXPECT_EQ(JsonPointerFind(copy, "", ec), &copy);
    EXPECT_EQ(JsonPointerFind(copy, "/foo/1", ec), &copy.At("foo").At(1));
}

}  // namespace
