#include <kivCore/Conversion.h>
#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

JsonValue Str(const std::string& text) {
    return JsonValue::StringType(text);
}
JsonValue Arr(std::vector<JsonValue> elements) {
    return JsonValue::ArrayType(std::move(elements));
}
JsonValue Obj(std::vector<std::pair<std::string, JsonValue>> members) {
    return JsonValue::ObjectType(std::move(members));
}

TEST(Writer, EveryEntryPointAndWidthGivesTheSameText) {
    const struct {
        JsonValue value;
        std::string expected;  // narrow text; the wide text is the same characters
    } cases[] = {
        {Arr({JsonValue(), true, false}), "[null,true,false]"},
        {JsonValue(LONG_MIN), "-9223372036854775808"},
        {JsonValue(0), "0"},
        {JsonValue(ULONG_MAX), "18446744073709551615"},
        {JsonValue(0.1), "0.10000000000000001"},
        {JsonValue(2.0), "2"},
        {JsonValue(-0.0), "-0"},
        {JsonValue(1e16), "10000000000000000"},
        {JsonValue(1e17), "1e+17"},
        {JsonValue(DBL_TRUE_MIN), "4.9406564584124654e-324"},
        {Arr({JsonValue(-HUGE_VAL), JsonValue(std::nan(""))}), "[-inf,nan]"},
        {Str("a\"b\\c\b\f\n\r\t"), R"("a\"b\\c\b\f\n\r\t")"},
        {Str(std::string("\x00\x01\x07\x0b\x0e\x1a\x1f !/\x7f", 11)),
         "\"\\u0000\\u0001\\u0007\\u000b\\u000e\\u001a\\u001f !/\x7f\""},
        {Str("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\""},
        {JsonValue::StringType("a\"\n\\", false), "\"a\"\n\\\""},  // a clear flag is trusted
        {JsonValue::StringType("plain", true), R"("plain")"},
        {Arr({Arr({}), Obj({}), Str("x"), -1, Arr({2, Arr({3})})}), R"([[],{},"x",-1,[2,[3]]])"},
        {Obj({{"a", Arr({1, 2.5, Str("x")})}}), R"({"a":[1,2.5,"x"]})"},
        {Obj({{"b", 1}, {"a", 2}, {"b", 3}}), R"({"b":1,"a":2,"b":3})"},
        {Obj({{"k\"y\n\x01", JsonValue()}, {"", 0}, {"\xC3\xA9", Obj({})}}),
         "{\"k\\\"y\\n\\u0001\":null,\"\":0,\"\xC3\xA9\":{}}"},  // keys always escaped
    };
    for (const auto& c : cases) {
        const std::wstring wideExpected = ConvertTo<std::wstring, std::string>(c.expected);
        EXPECT_EQ(c.value.Serialize(), c.expected);
        std::ostringstream narrowStream;
        c.value.Serialize(narrowStream);
        EXPECT_EQ(narrowStream.str(), c.expected);
        std::wostringstream wideStream;
        c.value.Serialize(wideStream);
        EXPECT_EQ(wideStream.str(), wideExpected) << c.expected;
        // Format appends, twice in a row, after what the target holds.
        std::string narrow = "<";
        std::wstring wide = L"<";
        for (int i = 0; i < 2; ++i) {
            c.value.Format(narrow);
            c.value.Format(wide);
        }
        EXPECT_EQ(narrow, "<" + c.expected + c.expected);
        EXPECT_EQ(wide, L"<" + wideExpected + wideExpected) << c.expected;
    }
}

TEST(Writer, SerializeReservesTheEstimateOnce) {
    const struct {
        const char* name;
        JsonValue value;
        size_t estimate;
    } cases[] = {
        {"string of n bytes: n + 2", Str("hello"), 7},
        {"three numbers: 2 + 3 * 5", Arr({1, 2.5, -3}), 17},
        {"container children: 20 per element",
         Arr({Arr({1, 2}), Obj({{"a", 1}}), Str("str"), Obj({})}), 72},
        {"grandchildren not counted", Arr({Arr({Arr({1, 2, 3, 4, 5, 6})})}), 22},
        {"key of 3 and array of 4: 2 + 5 + 80", Obj({{"abc", Arr({1, 2, 3, 4})}}), 87},
        {"string member: length + 2",
         Obj({{"k", Str("hello")}, {"n", 1}, {"o", Obj({})}, {"a", Arr({})}}), 36},
    };
    for (const auto& c : cases) {
        std::string reserved;  // what reserve() gives, whatever the growth policy
        reserved.reserve(c.estimate);
        const std::string text = c.value.Serialize();
        ASSERT_LE(text.size(), c.estimate) << c.name;  // otherwise the string would have grown
        EXPECT_EQ(text.capacity(), reserved.capacity()) << c.name;
    }
}

TEST(Writer, WideTextOfKeysAndStringsThatAreNotUtf8) {
    const JsonValue tree = Arr({1, Obj({{"ok", 1}, {"a\x80", 2}})});
    EXPECT_EQ(tree.Serialize(), "[1,{\"ok\":1,\"a\x80\":2}]");  // narrow text keeps the bytes
    std::wostringstream stream;
    try {
        tree.Serialize(stream);
        ADD_FAILURE() << "no exception";
    } catch (const std::range_error& e) {
        EXPECT_STREQ(e.what(), "wstring_convert::from_bytes");
    }
    EXPECT_TRUE(stream.str().empty()) << "the stream got part of the text";
    // Format writes in place: everything up to the failing key's opening quote stays.
    std::wstring target = L"<";
    EXPECT_THROW(tree.Format(target), std::range_error);
    EXPECT_EQ(target, L"<[1,{\"ok\":1,\"");
    // A key cut off inside its last character loses just that character; string
    // values take the core conversion, which never throws.
    std::wstring wide;
    Arr({Obj({{"ab\xC3", 1}}), Str("a\x80z"), Str("\xE2\x82")}).Format(wide);
    EXPECT_EQ(wide, L"[{\"ab\":1},\"a\uFFFDz\",\"\uFFFD\"]");
}

// Whole numbers come back as integers, so values are compared, not kinds.
TEST(Writer, DoublesReadBackExactly) {
    std::mt19937_64 random(7);
    std::vector<JsonValue> numbers;
    while (numbers.size() < 20000) {
        const uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value)) {
            numbers.emplace_back(value);
        }
    }
    const JsonValue tree = Arr(std::move(numbers));
    std::wstring wide;
    tree.Format(wide);
    const JsonValue narrowBack = JsonValue::Parse(tree.Serialize()),
                    wideBack = JsonValue::Parse(wide);
    ASSERT_EQ(narrowBack.Size(), tree.Size());
    ASSERT_EQ(wideBack.Size(), tree.Size());
    for (size_t i = 0; i < tree.Size(); ++i) {
        ASSERT_EQ(narrowBack.At(i).AsDouble(), tree.At(i).AsDouble()) << tree.At(i).Serialize();
        ASSERT_EQ(wideBack.At(i).AsDouble(), tree.At(i).AsDouble()) << tree.At(i).Serialize();
    }
}

}  // namespace
