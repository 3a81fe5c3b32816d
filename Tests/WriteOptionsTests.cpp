#include <kivCore/Conversion.h>
#include <kivJSON/JSONPrivateImpl.h>
#include <kivJSON/JSONWriteOptions.h>

#include <gtest/gtest.h>

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

JsonValue Custom() {
    return JsonValue(UniquePtr<_Private::JsonValueTypeImpl>(new CustomArray()));
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

TEST(WriteOptions, TextOfEveryOptionInBothWidthsAndEveryForm) {
    JsonWriteOptions indented, shortest, asNull;
    indented.indent = 2;
    shortest.numbers = JsonNumberStyle::Shortest;
    asNull.nonFinite = JsonNonFinite::Null;
    std::vector<std::pair<std::string, JsonValue>> members;
    members.emplace_back("k", Arr(List(Custom(), 0.1)));
    members.emplace_back("e", Arr({}));
    const struct {
        JsonValue value;
        JsonWriteOptions options;
        std::string expected;
    } cases[] = {
        {Arr(List(Custom())), {}, "[\"custom\"]"},  // the user's Format at any depth
        {Arr(List(1, Obj(std::move(members)), Obj({}))),
         {},
         R"([1,{"k":["custom",0.10000000000000001],"e":[]},{}])"},
        {Custom(), {}, "\"custom\""},
        {Arr(List(1, Obj({{"a", Arr(List(true, Obj({})))}}))), indented,
         "[\n  1,\n  {\n    \"a\": [\n      true,\n      {}\n    ]\n  }\n]"},
        {Arr(List(0.1, 0.087, 1e21, -0.0, 5e-324, 7)), shortest, "[0.1,0.087,1e+21,-0,5e-324,7]"},
        {Arr(List(HUGE_VAL, -HUGE_VAL, std::nan(""))), {}, "[inf,-inf,nan]"},
        {Arr(List(HUGE_VAL, 1.5)), asNull, "[null,1.5]"},
    };
    for (const auto& c : cases) {
        const bool exact = c.options.indent == 0 && c.options.numbers == JsonNumberStyle::Exact17 &&
                           c.options.nonFinite == JsonNonFinite::Write;
        if (exact) {  // the default options are Serialize()'s text
            EXPECT_EQ(c.value.Serialize(), c.expected);
        }
        const std::wstring wideExpected = ConvertTo<std::wstring, std::string>(c.expected);
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

TEST(WriteOptions, FailuresLeaveTheTargetAsItWas) {
    JsonWriteOptions fail;
    fail.nonFinite = JsonNonFinite::Fail;
    fail.indent = 1;
    const JsonValue tree = Arr(List(1, Obj({{"x", Arr(List(2, -HUGE_VAL))}})));
    std::error_code error;
    std::string narrow = "kept";
    EXPECT_FALSE(WriteJson(tree, narrow, fail, error));
    EXPECT_EQ(error, JsonWriteError::NonFiniteNumber);
    EXPECT_EQ(narrow, "kept");
    EXPECT_EQ(error.category().name(), std::string("kivJSON write"));
    EXPECT_EQ(error.message(), "Non-finite number (NaN or infinity) cannot be written as JSON");
    std::ostringstream stream;
    EXPECT_FALSE(WriteJson(tree, stream, fail, error));
    EXPECT_TRUE(stream.str().empty());
    EXPECT_THROW(WriteJsonWide(tree, fail), std::invalid_argument);

    // A wide key that is not UTF-8 is a reported failure too, not an exception.
    std::wstring wide = L"kept";
    EXPECT_FALSE(WriteJson(Obj({{"a\x80", 1}}), wide, {}, error));
    EXPECT_EQ(error, JsonWriteError::InvalidKeyText);
    EXPECT_EQ(wide, L"kept");
}

}  // namespace
