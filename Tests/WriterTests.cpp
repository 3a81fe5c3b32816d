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

std::wstring Widen(const std::string& utf8) {
    return ConvertTo<std::wstring, std::string>(utf8);
}

struct WriteCase {
    const char* name;
    JsonValue value;
    std::string expected;  // narrow text; the wide text is the same characters
};

std::vector<WriteCase> WriteCases() {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<WriteCase> cases;
    auto add = [&cases](const char* name, JsonValue value, std::string expected) {
        cases.push_back({name, std::move(value), std::move(expected)});
    };
    add("null", JsonValue(), "null");
    add("true", JsonValue(true), "true");
    add("false", JsonValue(false), "false");

    add("int -1", JsonValue(-1), "-1");
    add("smallest int64", JsonValue(LONG_MIN), "-9223372036854775808");
    add("uint 0", JsonValue(0), "0");
    add("largest uint64", JsonValue(ULONG_MAX), "18446744073709551615");
    add("0.5", JsonValue(0.5), "0.5");
    add("0.1", JsonValue(0.1), "0.10000000000000001");
    add("3.14", JsonValue(3.14), "3.1400000000000001");
    add("2.0", JsonValue(2.0), "2");
    add("-0.0", JsonValue(-0.0), "-0");
    add("123456789.0", JsonValue(123456789.0), "123456789");
    add("1e16", JsonValue(1e16), "10000000000000000");
    add("1e17", JsonValue(1e17), "1e+17");
    add("1e21", JsonValue(1e21), "1e+21");
    add("1e-5", JsonValue(1e-5), "1.0000000000000001e-05");
    add("smallest subnormal", JsonValue(DBL_TRUE_MIN), "4.9406564584124654e-324");
    add("-smallest subnormal", JsonValue(-DBL_TRUE_MIN), "-4.9406564584124654e-324");
    add("-smallest normal", JsonValue(-DBL_MIN), "-2.2250738585072014e-308");
    add("largest double", JsonValue(DBL_MAX), "1.7976931348623157e+308");
    add("inf", JsonValue(inf), "inf");
    add("-inf", JsonValue(-inf), "-inf");
    add("nan", JsonValue(std::numeric_limits<double>::quiet_NaN()), "nan");

    add("plain", Str("abc"), R"("abc")");
    add("empty", Str(""), R"("")");
    add("quote inside", Str("a\"b"), R"("a\"b")");
    add("quote alone", Str("\""), R"("\"")");
    add("backslash", Str("a\\b"), R"("a\\b")");
    add("short escapes", Str("\b\f\n\r\t"), R"("\b\f\n\r\t")");
    add("every control character, then the first ones left alone",
        Str(std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f"
                        "\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f !/\x7f",
                        36)),
        R"("\u0000\u0001\u0002\u0003\u0004\u0005\u0006\u0007\b\t\n\u000b\f\r\u000e\u000f)"
        R"(\u0010\u0011\u0012\u0013\u0014\u0015\u0016\u0017\u0018\u0019\u001a\u001b\u001c)"
        "\\u001d\\u001e\\u001f !/\x7f\"");
    add("non-ASCII unchanged", Str("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
        "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"");
    add("flag clear: verbatim", JsonValue::StringType("a\"\n\\", false), "\"a\"\n\\\"");
    add("flag set on plain text", JsonValue::StringType("plain", true), R"("plain")");

    add("empty array", Arr({}), "[]");
    add("two numbers", Arr({1, 2}), "[1,2]");
    add("empty containers", Arr({Arr({}), Obj({})}), "[[],{}]");
    add("scalars", Arr({JsonValue(), true, false, Str("x"), -1, 0.5}),
        R"([null,true,false,"x",-1,0.5])");
    add("nested arrays", Arr({Arr({Arr({1})}), Arr({2, Arr({3, Arr({})})})}), "[[[1]],[2,[3,[]]]]");

    add("empty object", Obj({}), "{}");
    add("example", Obj({{"a", Arr({1, 2.5, Str("x")})}}), R"({"a":[1,2.5,"x"]})");
    add("order and duplicates kept", Obj({{"b", 1}, {"a", 2}, {"b", 3}}), R"({"b":1,"a":2,"b":3})");
    add("keys always escaped", Obj({{"k\"y\n\x01", JsonValue()}, {"", 0}}),
        R"({"k\"y\n\u0001":null,"":0})");
    add("non-ASCII key", Obj({{"\xC3\xA9", Str("\xC3\xBC")}}), "{\"\xC3\xA9\":\"\xC3\xBC\"}");
    add("mixed nesting", Obj({{"a", Obj({{"b", Arr({Obj({{"c", Obj({})}})})}})}, {"d", Arr({})}}),
        R"({"a":{"b":[{"c":{}}]},"d":[]})");
    return cases;
}

TEST(Writer, EveryEntryPointAndWidthGivesTheSameText) {
    for (const WriteCase& c : WriteCases()) {
        const std::wstring wideExpected = Widen(c.expected);
        EXPECT_EQ(c.value.Serialize(), c.expected) << c.name;

        std::ostringstream narrowStream;
        c.value.Serialize(narrowStream);
        EXPECT_EQ(narrowStream.str(), c.expected) << c.name;

        std::wostringstream wideStream;
        c.value.Serialize(wideStream);
        EXPECT_EQ(wideStream.str(), wideExpected) << c.name;

        // Format appends, twice in a row, after what the target holds.
        std::string narrow = "<";
        c.value.Format(narrow);
        c.value.Format(narrow);
        EXPECT_EQ(narrow, "<" + c.expected + c.expected) << c.name;

        std::wstring wide = L"<";
        c.value.Format(wide);
        c.value.Format(wide);
        EXPECT_EQ(wide, L"<" + wideExpected + wideExpected) << c.name;
    }
}

// What reserve() gives a fresh string, so the check holds whatever the growth policy.
size_t CapacityAfterReserve(size_t count) {
    std::string text;
    text.reserve(count);
    return text.capacity();
}

TEST(Writer, SerializeReservesTheEstimateOnce) {
    struct Case {
        const char* name;
        JsonValue value;
        size_t estimate;
    };
    const std::string forty(40, 'x');
    const Case cases[] = {
        {"string of n bytes: n + 2", Str("hello"), 7},
        {"long string", Str(forty), 42},
        {"three numbers: 2 + 3 * 5", Arr({1, 2.5, -3}), 17},
        {"container children: 20 per element",
         Arr({Arr({1, 2}), Obj({{"a", 1}}), Str("str"), Obj({})}), 72},
        {"grandchildren not counted", Arr({Arr({Arr({1, 2, 3, 4, 5, 6})})}), 22},
        {"key of 3 and array of 4: 2 + 5 + 80", Obj({{"abc", Arr({1, 2, 3, 4})}}), 87},
        {"string member: length + 2",
         Obj({{"k", Str("hello")}, {"n", 1}, {"o", Obj({})}, {"a", Arr({})}}), 36},
    };
    for (const Case& c : cases) {
        const std::string text = c.value.Serialize();
        ASSERT_LE(text.size(), c.estimate) << c.name;  // otherwise the string would have grown
        EXPECT_EQ(text.capacity(), CapacityAfterReserve(c.estimate)) << c.name;
    }
}

TEST(Writer, WideKeyThatIsNotUtf8) {
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

    // A key cut off inside its last character loses just that character.
    EXPECT_EQ(
        [] {
            std::wstring wide;
            Obj({{"ab\xC3", 1}}).Format(wide);
            return wide;
        }(),
        L"{\"ab\":1}");
}

TEST(Writer, WideStringValueThatIsNotUtf8) {
    // String values take the core conversion, which never throws.
    const JsonValue value = Arr({Str("a\x80z"), Str("\xE2\x82")});
    EXPECT_EQ(value.Serialize(), "[\"a\x80z\",\"\xE2\x82\"]");
    std::wstring wide;
    value.Format(wide);
    EXPECT_EQ(wide, L"[\"a\uFFFDz\",\"\uFFFD\"]");
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
    const JsonValue narrowBack = JsonValue::Parse(tree.Serialize());
    const JsonValue wideBack = JsonValue::Parse(wide);
    ASSERT_EQ(narrowBack.Size(), tree.Size());
    ASSERT_EQ(wideBack.Size(), tree.Size());
    for (size_t i = 0; i < tree.Size(); ++i) {
        const double value = tree.At(i).AsDouble();
        ASSERT_EQ(narrowBack.At(i).AsDouble(), value) << tree.At(i).Serialize();
        ASSERT_EQ(wideBack.At(i).AsDouble(), value) << tree.At(i).Serialize();
    }
}

}  // namespace
