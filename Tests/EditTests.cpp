#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

// The text and 64-bit constructors leave every argument type that compiled
// before compiling (no new ambiguity); the runtime table below shows each still
// makes the same kind. A null pointer is neither null nor text.
template <class... T>
constexpr bool kAllConvert = (std::is_convertible_v<T, JsonValue> && ...);
static_assert(kAllConvert<bool, char, signed char, unsigned char, short, unsigned short, int,
                          unsigned, long, unsigned long, float, double, wchar_t, char16_t, char32_t,
                          const JsonValue&, JsonValue&&>);
static_assert(!std::is_constructible_v<JsonValue, long double> &&
              !std::is_constructible_v<JsonValue, std::nullptr_t>);
static_assert(std::is_convertible_v<JsonArray::iterator, JsonArray::const_iterator> &&
              std::is_convertible_v<JsonObject::iterator, JsonObject::const_iterator>);

namespace {

JsonValue P(const char* text) {
    return JsonValue::Parse(std::string(text));
}

std::string Kind(const JsonValue& v) {
    return v.IsNumber() ? "number" + std::to_string(v.AsNumber().GetKind()) : v.GetTypeString();
}

TEST(Edit, ConstructorsKeepTheirKinds) {
    const JsonValue made[] = {true, 'a', static_cast<short>(-3), 7, 7u, -7L, 7UL, 1.5f, 2.0, 5LL,
                              -5LL, 5ULL};
    const JsonValue byFactory[] = {
        JsonValue::BoolType(true),  JsonValue::NumberType(97),  JsonValue::NumberType(-3),
        JsonValue::NumberType(7),   JsonValue::NumberType(7u),  JsonValue::NumberType(-7L),
        JsonValue::NumberType(7UL), JsonValue::NumberType(1.5), JsonValue::NumberType(2.0),
        JsonValue::NumberType(5L),  JsonValue::NumberType(-5L), JsonValue::NumberType(5UL)};
    for (size_t i = 0; i < std::size(made); ++i) {
        EXPECT_EQ(Kind(made[i]), Kind(byFactory[i])) << i;
        EXPECT_EQ(made[i], byFactory[i]) << i;
    }
    std::string moved = "long enough to live on the heap \"quoted\"";
    const std::string expected = JsonValue::StringType(moved).Serialize();
    const JsonValue texts[] = {moved.c_str(), moved, std::string_view(moved), std::move(moved)};
    for (const JsonValue& text : texts) {
        EXPECT_EQ(text.Serialize(), expected);  // the escape flag is computed
    }
    JsonValue doc;
    doc["name"] = "x";
    doc["list"] = JsonArrayOf({1, "a", true, JsonObjectOf({{"k", JsonValue()}})});
    EXPECT_EQ(doc.Serialize(), R"({"name":"x","list":[1,"a",true,{"k":null}]})");
    EXPECT_THROW(JsonValue(static_cast<const char*>(nullptr)), std::invalid_argument);
}

// Each edit starts from `start`; the outcome is what the edit returns, then the
// value as text, or the exception's text, after which the value must be as it was.
TEST(Edit, Containers) {
    using Edit = std::function<std::string(JsonValue&)>;
    const char* const A = "[1,2,3]";
    const char* const O = R"({"k":1,"j":2,"k":3})";
    const struct {
        const char* start;
        Edit edit;
        const char* expected;
    } cases[] = {
        // clang-format off
        {A, [](JsonValue& v) { v.PushBack(4); return ""; }, "[1,2,3,4]"},
        {A, [](JsonValue& v) { v.AsArray().EmplaceBack("x"); return ""; }, R"([1,2,3,"x"])"},
        {A, [](JsonValue& v) { v.Insert(0, "z"); return ""; }, R"(["z",1,2,3])"},
        {A, [](JsonValue& v) { v.Insert(3, 9); return ""; }, "[1,2,3,9]"},
        {A, [](JsonValue& v) { v.Insert(4, 9); return ""; }, "index out of bounds"},
        {A, [](JsonValue& v) { v.AsArray().Insert(v.AsArray().end(), 4); return ""; }, "[1,2,3,4]"},
        {A, [](JsonValue& v) { v.Erase(1); return ""; }, "[1,3]"},
        {A, [](JsonValue& v) { v.AsArray().Erase(0, 2); return ""; }, "[3]"},
        {A, [](JsonValue& v) { v.AsArray().Erase(2, 1); return ""; }, "index out of bounds"},
        {A, [](JsonValue& v) { v.AsArray().Erase(3, 4); return ""; }, "index out of bounds"},
        {A, [](JsonValue& v) { v.Erase(3); return ""; }, "index out of bounds"},
        {A, [](JsonValue& v) { return v.AsArray().Erase(v.AsArray().begin() + 1)->Serialize(); }, "3[1,3]"},
        {A, [](JsonValue& v) { JsonArray& a = v.AsArray(); return a.Erase(a.begin(), a.end() - 1)->Serialize(); }, "3[3]"},
        {A, [](JsonValue& v) { return v.Take(0).Serialize(); }, "1[2,3]"},
        {A, [](JsonValue& v) { return v.Take(3).Serialize(); }, "index out of bounds"},
        {A, [](JsonValue& v) { for (JsonValue& e : v.AsArray()) e = 2 * e.AsInteger(); return ""; }, "[2,4,6]"},
        {A, [](JsonValue& v) { v.AsArray().Reserve(9); return std::to_string(v.AsArray().Capacity()); }, "9[1,2,3]"},
        {A, [](JsonValue& v) { v.AsArray().Clear(); return ""; }, "[]"},
        {A, [](JsonValue& v) { v.Set("k", 1); return ""; }, "not an object"},
        {O, [](JsonValue& v) { v.Append("k", 4); return ""; }, R"({"k":1,"j":2,"k":3,"k":4})"},
        {O, [](JsonValue& v) { v.Set("k", 5); return ""; }, R"({"k":5,"j":2,"k":3})"},
        {O, [](JsonValue& v) { v.Set("n", 5); return ""; }, R"({"k":1,"j":2,"k":3,"n":5})"},
        {O, [](JsonValue& v) { return std::to_string(v.Erase("k")); }, R"(1{"j":2,"k":3})"},
        {O, [](JsonValue& v) { return std::to_string(v.EraseAll("k")); }, R"(2{"j":2})"},
        {O, [](JsonValue& v) { return std::to_string(v.Erase("z")); }, R"(0{"k":1,"j":2,"k":3})"},
        {O, [](JsonValue& v) { return v.Take("j").Serialize(); }, R"(2{"k":1,"k":3})"},
        {O, [](JsonValue& v) { return v.Take("z").Serialize(); }, "Key not found"},
        {O, [](JsonValue& v) { return v.AsObject().Erase(v.AsObject().begin())->first; }, R"(j{"j":2,"k":3})"},
        {O, [](JsonValue& v) { JsonObject& o = v.AsObject(); o.Erase(o.begin() + 1, o.end()); return ""; }, R"({"k":1})"},
        {O, [](JsonValue& v) { for (JsonObject::Member& m : v.AsObject()) m.second = m.first; return ""; }, R"({"k":"k","j":"j","k":"k"})"},
        {O, [](JsonValue& v) { v.AsObject().Clear(); return ""; }, "{}"},
        {O, [](JsonValue& v) { v.PushBack(1); return ""; }, "not an array"},
        {"null", [](JsonValue& v) { v.PushBack(1); return ""; }, "[1]"},
        {"null", [](JsonValue& v) { v.Insert(1, 1); return ""; }, "index out of bounds"},
        {"null", [](JsonValue& v) { v.Append("k", 1); return ""; }, R"({"k":1})"},
        {"null", [](JsonValue& v) { v.Erase(0); return ""; }, "not an array"},
        {"null", [](JsonValue& v) { return std::to_string(v.Erase("k")); }, "not an object"},
        {"\"s\"", [](JsonValue& v) { v.PushBack(1); return ""; }, "not an array"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        JsonValue v = P(c.start);
        std::string got;
        try {
            got = c.edit(v);
            got += v.Serialize();
        } catch (const std::exception& e) {
            got = e.what();
            EXPECT_EQ(v.Serialize(), P(c.start).Serialize());
        }
        EXPECT_EQ(got, c.expected);
    }
}

// The safe forms of "copy a member under a new key" and "replace a document by
// one of its parts"; run under AddressSanitizer and LeakSanitizer in CI.
TEST(Edit, AliasingSafeForms) {
    JsonValue o;
    o["a"] = JsonArrayOf({1, 2, 3});  // capacity 1 and 3: the next append moves them
    o.Set("b", o.At("a"));
    o.AsObject().Append("c", o["b"]);
    EXPECT_EQ(o.Serialize(), R"({"a":[1,2,3],"b":[1,2,3],"c":[1,2,3]})");
    JsonValue& a = o["a"];
    a.PushBack(a.At(0));
    a.Insert(0, a);  // the whole array into itself
    EXPECT_EQ(a.Serialize(), "[[1,2,3,1],1,2,3,1]");

    JsonValue doc = P(R"({"meta":1,"data":{"x":[1,{"y":2}]}})");
    doc = doc.Take("data");
    EXPECT_EQ(doc.Serialize(), R"({"x":[1,{"y":2}]})");
    doc = doc["x"].Take(1);
    EXPECT_EQ(doc.Serialize(), R"({"y":2})");
}

}  // namespace
