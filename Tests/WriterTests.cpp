#include <kivCore/Conversion.h>
#include <kivJSON/JSONPrivateImpl.h>
#include <kivJSON/JSONWriteOptions.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// A caller's own array implementation with its own text.
class CustomArray : public _Private::JsonArrayTypeImpl {
public:
    void Format(std::string& out) const override { out += "\"custom\""; }
    void Format(std::wstring& out) const override { out += L"\"custom\""; }
};

// A caller's array that keeps the library's text: the options reach inside it.
struct Counting : _Private::JsonArrayTypeImpl {
    Counting(double a, double b) : JsonArrayTypeImpl(std::vector<JsonValue>{a, b}) {}
};
// A caller's array whose text is another document's, written by a nested
// Serialize while the outer walk is under way.
struct Nesting : _Private::JsonArrayTypeImpl {
    void Format(std::string& out) const override;
    void Format(std::wstring& out) const override { out += L"[]"; }
};
// A caller's array whose Format fails.
struct Failing : _Private::JsonArrayTypeImpl {
    void Format(std::string&) const override { throw std::runtime_error("no text"); }
    void Format(std::wstring&) const override { throw std::runtime_error("no text"); }
};
template <class T, class... A>
JsonValue Own(A... args) {
    return JsonValue(UniquePtr<_Private::JsonValueTypeImpl>(new T(args...)));
}
JsonValue Str(const std::string& text) {
    return JsonValue::StringType(text);
}
JsonValue Arr(std::vector<JsonValue> elements) {  // moves: the subclass survives
    return JsonValue::ArrayType(std::move(elements));
}
JsonValue Obj(std::vector<std::pair<std::string, JsonValue>> members) {
    return JsonValue::ObjectType(std::move(members));
}
template <class... T>
std::vector<JsonValue> List(T&&... values) {
    std::vector<JsonValue> list;
    (list.emplace_back(std::forward<T>(values)), ...);
    return list;
}

void Nesting::Format(std::string& out) const {
    out += Arr(List(Str(std::string(70000, 'n')))).Serialize();
}

TEST(Writer, TextOfEveryOptionInBothWidthsAndEveryForm) {
    JsonWriteOptions indented, shortest, asNull;
    indented.indent = 2;
    shortest.numbers = JsonNumberStyle::Shortest;
    asNull.nonFinite = JsonNonFinite::Null;
    const JsonWriteOptions all{2, JsonNumberStyle::Shortest, JsonNonFinite::Null};
    std::vector<std::pair<std::string, JsonValue>> members;
    members.emplace_back("k", Arr(List(Own<CustomArray>(), 0.1)));
    members.emplace_back("e", Arr({}));
    const struct {
        JsonValue value;
        std::string expected;
        JsonWriteOptions options = {};
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
        {Str("a\"b\\c\b\f\n\r\t"), R"("a\"b\\c\b\f\n\r\t")"},
        {Str(std::string("\x00\x01\x07\x0b\x0e\x1a\x1f !/\x7f", 11)),
         "\"\\u0000\\u0001\\u0007\\u000b\\u000e\\u001a\\u001f !/\x7f\""},
        {Str("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\""},
        {JsonValue::StringType("a\"\n\\", false), "\"a\"\n\\\""},  // a clear flag is trusted
        {JsonValue::StringType("plain", true), R"("plain")"},
        {Arr({Arr({}), Obj({}), Str("x"), -1, Arr({2, Arr({3})})}), R"([[],{},"x",-1,[2,[3]]])"},
        // A string longer than the room the writer opens at a time, past an estimate.
        {Arr(List(1, Str(std::string(100000, 'x')))), "[1,\"" + std::string(100000, 'x') + "\"]"},
        {Obj({{"a", Arr({1, 2.5, Str("x")})}}), R"({"a":[1,2.5,"x"]})"},
        {Obj({{"b", 1}, {"a", 2}, {"b", 3}}), R"({"b":1,"a":2,"b":3})"},
        {Obj({{"k\"y\n\x01", JsonValue()}, {"", 0}, {"\xC3\xA9", Obj({})}}),
         "{\"k\\\"y\\n\\u0001\":null,\"\":0,\"\xC3\xA9\":{}}"},  // keys always escaped
        {Arr(List(Own<CustomArray>())), "[\"custom\"]"},         // the user's Format at any depth
        {Arr(List(1, Obj(std::move(members)), Obj({}))),
         R"([1,{"k":["custom",0.10000000000000001],"e":[]},{}])"},
        {Own<CustomArray>(), "\"custom\""},
        {Arr(List(1, Obj({{"a", Arr(List(true, Obj({})))}}))),
         "[\n  1,\n  {\n    \"a\": [\n      true,\n      {}\n    ]\n  }\n]", indented},
        {Arr(List(0.1, 0.087, 1e21, -0.0, 5e-324, 7)), "[0.1,0.087,1e+21,-0,5e-324,7]", shortest},
        {Arr(List(HUGE_VAL, -HUGE_VAL, std::nan(""))), "[inf,-inf,nan]"},
        {Arr(List(HUGE_VAL, 1.5)), "[null,1.5]", asNull},
        {Arr(List(Own<Counting>(0.1, HUGE_VAL))), "[\n  [\n    0.1,\n    null\n  ]\n]", all},
    };
    for (const auto& c : cases) {
        const bool exact = c.options.indent == 0 && c.options.numbers == JsonNumberStyle::Exact17 &&
                           c.options.nonFinite == JsonNonFinite::Write;
        const std::wstring wideExpected = ConvertTo<std::wstring, std::string>(c.expected);
        if (exact) {  // the default options are the text of Serialize and Format
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
        EXPECT_EQ(WriteJson(c.value, c.options), c.expected);
        EXPECT_EQ(WriteJsonWide(c.value, c.options), wideExpected);
        std::error_code error = make_error_code(JsonWriteError::NonFiniteNumber);
        std::string narrow = "<";
        EXPECT_TRUE(WriteJson(c.value, narrow, c.options, error));
        EXPECT_FALSE(error);
        EXPECT_EQ(narrow, "<" + c.expected);
        std::wostringstream stream;
        EXPECT_TRUE(WriteJson(c.value, stream, c.options, error));
        EXPECT_EQ(stream.str(), wideExpected);
    }
}

// Text bound for a target with little room goes through a block the thread
// keeps; a target with room is written in place. Either way it arrives whole,
// also around a caller's Format that writes another document meanwhile.
TEST(Writer, TextReachesTargetsOfAnyRoomAroundNestedAndFailedWrites) {
    const std::string longText(100000, 'x');
    const JsonValue doc = Arr(List(Str(longText), Own<Nesting>(), 1));
    const std::string expected = "[\"" + longText + "\",[\"" + std::string(70000, 'n') + "\"],1]";
    const JsonValue failing = Arr(List(1, Str(longText), Own<Failing>()));
    for (const size_t room : {size_t{0}, size_t{100}, size_t{70000}, size_t{1} << 20}) {
        std::string out = "<";
        out.reserve(room);
        doc.Format(out);
        EXPECT_EQ(out, "<" + expected) << room;
        // A Format that throws leaves the text written before it, as appends would.
        out = "<";
        EXPECT_THROW(failing.Format(out), std::runtime_error);
        EXPECT_EQ(out, "<[1,\"" + longText + "\",") << room;
    }
    EXPECT_EQ(doc.Serialize(), expected);
}

TEST(Writer, FailuresLeaveTheTargetAsItWas) {
    const JsonWriteOptions fail{1, JsonNumberStyle::Exact17, JsonNonFinite::Fail};
    const JsonValue nested = Arr(List(1, Obj({{"x", Arr(List(2, 3))}})));
    const struct {
        JsonValue tree;
        JsonWriteOptions options;
        JsonWriteError code;
    } cases[] = {
        {Arr(List(1, Obj({{"x", Arr(List(2, -HUGE_VAL))}}))), fail,
         JsonWriteError::NonFiniteNumber},
        {Arr(List(Own<Counting>(0.1, HUGE_VAL))), fail, JsonWriteError::NonFiniteNumber},
        {nested, {SIZE_MAX}, JsonWriteError::IndentTooLarge},
        {nested, {SIZE_MAX / 2 + 1}, JsonWriteError::IndentTooLarge},  // 2 levels wrap to 0
        {Arr(List(Own<CustomArray>())), {2}, JsonWriteError::CallerFormatIgnoresOptions},
    };
    for (const auto& c : cases) {
        std::error_code error;
        std::string narrow = "kept";
        EXPECT_FALSE(WriteJson(c.tree, narrow, c.options, error));
        EXPECT_EQ(error, c.code);
        EXPECT_EQ(narrow, "kept");
        std::wostringstream stream;
        EXPECT_FALSE(WriteJson(c.tree, stream, c.options, error));
        EXPECT_TRUE(stream.str().empty());
        EXPECT_THROW(WriteJsonWide(c.tree, c.options), std::invalid_argument);
    }

    // A wide key that is not UTF-8 is a reported failure too, not an exception.
    std::error_code error;
    std::wstring wide = L"kept";
    EXPECT_FALSE(WriteJson(Obj({{"a\x80", 1}}), wide, {}, error));
    EXPECT_EQ(error, JsonWriteError::InvalidKeyText);
    EXPECT_EQ(wide, L"kept");
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

}  // namespace
