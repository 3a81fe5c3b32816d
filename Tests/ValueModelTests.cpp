#include <kivJSON/JSONPrivateImpl.h>
#include <kivJSON/JSONUtil.h>
#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

using _Private::JsonValueTypeImpl;

static_assert(sizeof(JsonValue) == sizeof(void*));
static_assert(sizeof(UniquePtr<JsonValueTypeImpl>) == sizeof(void*));
static_assert(std::is_nothrow_move_constructible_v<JsonValue> &&
              std::is_nothrow_move_assignable_v<JsonValue>);

namespace {

// "ok", or the exception's type and text.
std::string Outcome(const std::function<void()>& f) {
    try {
        f();
        return "ok";
    } catch (const std::out_of_range& e) {
        return std::string("out_of_range: ") + e.what();
    } catch (const std::invalid_argument& e) {
        return std::string("invalid_argument: ") + e.what();
    } catch (const std::length_error&) {
        return "length_error";
    } catch (const std::range_error& e) {
        return std::string("range_error: ") + e.what();
    } catch (const std::exception& e) {
        return std::string("other: ") + e.what();
    }
}

// An implementation that cannot be copied, to make deep copies fail midway.
class UncopyableImpl : public JsonValueTypeImpl {
public:
    explicit UncopyableImpl(JsonType type = JsonType::Null) : m_type(type) {}
    UniquePtr<JsonValueTypeImpl> CopyValue() const override {
        throw std::runtime_error("copy refused");
    }
    JsonType Type() const override { return m_type; }

private:
    JsonType m_type;
};

JsonValue Uncopyable(JsonType type = JsonType::Null) {
    return JsonValue(UniquePtr<JsonValueTypeImpl>(new UncopyableImpl(type)));
}

// One value of each type: null, bool, number, string, array [1,"x",null], object {"k":1}.
std::vector<JsonValue> Samples() {
    JsonValue object;
    object["k"] = JsonValue(1);
    return {JsonValue(),
            JsonValue(true),
            JsonValue(2.5),
            JsonValue::StringType("text"),
            JsonValue::ArrayType({JsonValue(1), JsonValue::StringType("x"), JsonValue()}),
            object};
}

// A caller's array whose Size is not its element count.
struct SizedArray : _Private::JsonArrayTypeImpl {
    SizedArray() : JsonArrayTypeImpl(std::vector<JsonValue>{JsonValue(1)}) {}
    size_t Size() const override { return 99; }
};

// A caller's number whose copy is another type, T(args...).
template <class T, int... Args>
struct Morph : _Private::JsonNumberTypeImpl {
    Morph() : JsonNumberTypeImpl(5) {}
    UniquePtr<JsonValueTypeImpl> CopyValue() const override {
        return _Private::JsonMakeUnique<T>(Args...);
    }
};

template <class T, class... Args>
JsonValue Own(Args... args) {
    return JsonValue(UniquePtr<JsonValueTypeImpl>(new T(args...)));
}

JsonValue J(const char* text) {
    return JsonValue::Parse(std::string(text));
}

int Bit(JsonType t) {
    return 1 << static_cast<int>(t);
}

// Itanium ABI: a pointer to a virtual member holds 1 + the slot's byte offset.
template <class F>
size_t Slot(F member) {
    static_assert(sizeof(F) == 2 * sizeof(uintptr_t));
    uintptr_t raw[2];
    std::memcpy(raw, &member, sizeof raw);
    return (raw[0] - 1) / sizeof(void*);
}

TEST(ValueModel, VirtualSlotOrderIsFixed) {
    using I = JsonValueTypeImpl;
    using S = std::string;
    using W = std::wstring;
    // clang-format off
    const size_t slots[] = {
        Slot(&I::CopyValue), Slot(&I::HasField), Slot(&I::GetField), Slot(&I::GetElement),
        Slot(static_cast<JsonValue& (I::*)(const S&)>(&I::Index)),
        Slot(static_cast<JsonValue& (I::*)(char)>(&I::Index)),
        Slot(static_cast<JsonValue& (I::*)(size_t)>(&I::Index)),
        Slot(static_cast<const JsonValue& (I::*)(const S&) const>(&I::Index)),
        Slot(static_cast<const JsonValue& (I::*)(char) const>(&I::Index)),
        Slot(static_cast<const JsonValue& (I::*)(size_t) const>(&I::Index)),
        Slot(static_cast<void (I::*)(S&) const>(&I::SerializeImpl)),
        Slot(static_cast<void (I::*)(W&) const>(&I::SerializeImpl)),
        Slot(&I::ToString), Slot(&I::Type), Slot(&I::IsInteger), Slot(&I::IsDouble),
        Slot(&I::AsNumber), Slot(&I::AsDouble), Slot(&I::AsInteger), Slot(&I::AsBool),
        Slot(static_cast<JsonArray& (I::*)()>(&I::AsArray)),
        Slot(static_cast<const JsonArray& (I::*)() const>(&I::AsArray)),
        Slot(static_cast<JsonObject& (I::*)()>(&I::AsObject)),
        Slot(static_cast<const JsonObject& (I::*)() const>(&I::AsObject)),
        Slot(&I::AsString), Slot(&I::Size),
        // The destructor takes the next two slots (complete and deleting).
        Slot(static_cast<void (I::*)(S&) const>(&I::Format)),
        Slot(static_cast<void (I::*)(W&) const>(&I::Format)),
    };
    // clang-format on
    for (size_t i = 0; i < std::size(slots); ++i) {
        EXPECT_EQ(slots[i], i < 26 ? i : i + 2) << "operation #" << i;
    }
}

TEST(ValueModel, TypeQueries) {
    const JsonType types[] = {JsonType::Null,   JsonType::Bool,  JsonType::Number,
                              JsonType::String, JsonType::Array, JsonType::Object};
    const char* names[] = {"null", "bool", "number", "string", "array", "object"};
    const size_t sizes[] = {0, 0, 0, 0, 3, 1};
    const std::vector<JsonValue> samples = Samples();
    for (size_t i = 0; i < samples.size(); ++i) {
        const JsonValue& v = samples[i];
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(v.Type(), types[i]);
        EXPECT_EQ(v.GetType(), types[i]);
        EXPECT_STREQ(v.GetTypeString(), names[i]);
        EXPECT_EQ(v.Size(), sizes[i]);
        const bool is[] = {v.IsNumber(), v.IsBool(),  v.IsString(),
                           v.IsObject(), v.IsArray(), v.IsNull()};
        for (int t = 0; t < 6; ++t)
            EXPECT_EQ(is[t], t == static_cast<int>(types[i])) << t;
        EXPECT_EQ(v.HasField("k"), types[i] == JsonType::Object);
    }
    EXPECT_STREQ(Uncopyable(static_cast<JsonType>(9)).GetTypeString(), "unknown");
}

TEST(ValueModel, WrongTypeAccessThrowsAndChangesNothing) {
    const int any = 0x3f;
    const int object = Bit(JsonType::Object), array = Bit(JsonType::Array);
    const int null = Bit(JsonType::Null);
    const struct {
        const char* call;
        std::function<void(JsonValue&)> f;
        int okTypes;
        const char* message;
    } accessors[] = {
        {"AsNumber", [](JsonValue& v) { v.AsNumber(); }, Bit(JsonType::Number), "not a number"},
        {"AsDouble", [](JsonValue& v) { v.AsDouble(); }, Bit(JsonType::Number), "not a number"},
        {"AsInteger", [](JsonValue& v) { v.AsInteger(); }, Bit(JsonType::Number), "not a number"},
        {"IsInteger", [](JsonValue& v) { v.IsInteger(), v.IsDouble(); }, any, ""},
        {"AsBool", [](JsonValue& v) { v.AsBool(); }, Bit(JsonType::Bool), "not a boolean"},
        {"AsString", [](JsonValue& v) { v.AsString(); }, Bit(JsonType::String), "not a string"},
        {"AsArray const", [](const JsonValue& v) { v.AsArray(); }, array, "not an array"},
        {"AsObject const", [](const JsonValue& v) { v.AsObject(); }, object, "not an object"},
        {"At(0)", [](JsonValue& v) { v.At(0); }, array, "not an array"},
        {"At(0) const", [](const JsonValue& v) { v.At(0); }, array, "not an array"},
        {"At(k)", [](JsonValue& v) { v.At("k"); }, object, "not an object"},
        {"At(k) const", [](const JsonValue& v) { v.At("k"); }, object, "not an object"},
        {"[k]", [](JsonValue& v) { v["k"]; }, object | null, "not an object"},
        {"['k']", [](JsonValue& v) { v['k']; }, object | null, "not an object"},
        {"[0]", [](JsonValue& v) { v[0]; }, array | null, "not an array"},
    };
    const std::vector<JsonValue> samples = Samples();
    for (const auto& a : accessors) {
        for (const JsonValue& sample : samples) {
            SCOPED_TRACE(std::string(a.call) + " on " + sample.GetTypeString());
            JsonValue v = sample;
            const bool ok = (a.okTypes & Bit(v.Type())) != 0;
            EXPECT_EQ(Outcome([&] { a.f(v); }),
                      ok ? "ok" : std::string("invalid_argument: ") + a.message);
            if (!ok) {
                EXPECT_EQ(v, sample);
            }
        }
    }
}

TEST(ValueModel, OutOfRangeAccess) {
    JsonValue pair = JsonValue::ArrayType({JsonValue(1), JsonValue(2)});
    JsonValue object = JsonValue::ObjectType({{"k", JsonValue(1)}});
    const JsonValue pairBefore = pair, objectBefore = object;
    const struct {
        const char* call;
        std::function<void()> f;
        const char* outcome;
    } cases[] = {
        {"[1,2].At(2) const", [&] { std::as_const(pair).At(2); },
         "out_of_range: index out of bounds"},
        {"[].At(0)", [] { JsonValue::ArrayType().At(0); }, "out_of_range: index out of bounds"},
        {"{k}.At(K) const", [&] { std::as_const(object).At("K"); }, "out_of_range: Key not found"},
        // The index -1 is SIZE_MAX: no array can grow that far.
        {"[1,2][-1]", [&] { pair[-1]; }, "length_error"},
        {"[1,2][SIZE_MAX / 2]", [&] { pair[SIZE_MAX / 2]; }, "length_error"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Outcome(c.f), c.outcome) << c.call;
    }
    EXPECT_EQ(pair, pairBefore);
    EXPECT_EQ(object, objectBefore);
    JsonValue null;
    EXPECT_EQ(Outcome([&] { null[-1]; }), "length_error");
    EXPECT_TRUE(null.IsNull()) << "a failed subscript must not promote";
}

TEST(ValueModel, SubscriptPromotesNullAndGrows) {
    JsonValue byKey, byIndex, byChar;
    EXPECT_TRUE(byKey["k"].IsNull());
    EXPECT_EQ(byKey, J(R"({"k":null})"));
    byIndex[3] = JsonValue(true);
    EXPECT_EQ(byIndex, J("[null,null,null,true]"));
    byChar['\0'] = JsonValue(1);  // NUL is the empty key
    byChar['x'] = JsonValue(2);
    EXPECT_EQ(byChar, J(R"({"":1,"x":2})"));
    EXPECT_EQ(&byChar['x'], &byChar["x"]);
    EXPECT_EQ(&byChar['\0'], &byChar[std::string()]);
    JsonValue array = JsonValue::ArrayType(2);
    array[1] = JsonValue(5);  // in range: no growth
    array[2] = JsonValue(6);  // one past the end appends
    EXPECT_EQ(array, J("[null,5,6]"));
}

TEST(ValueModel, ObjectsKeepOrderAndDuplicates) {
    JsonValue v =
        JsonValue::ObjectType({{"k", JsonValue(1)}, {"b", JsonValue()}, {"k", JsonValue(2)}});
    EXPECT_EQ(v.Size(), 3u);
    EXPECT_EQ(v.At("k"), JsonValue(1));
    v["k"] = JsonValue(7);  // the first member, nothing appended
    v["a"];                 // appended at the end
    std::string keys;
    for (const auto& member : v.AsObject())
        keys += member.first + "=" + member.second.Serialize() + " ";
    EXPECT_EQ(keys, "k=7 b=null k=2 a=null ");
    EXPECT_FALSE(v.HasField(""));
    v[""];
    EXPECT_TRUE(v.HasField(""));
}

TEST(ValueModel, Equality) {
    const double nan = std::nan("");
    const JsonValue nanValue(nan);
    const struct {
        const char* pair;
        JsonValue a, b;
        bool equal;
    } cases[] = {
        {"null, false", JsonValue(), JsonValue(false), false},
        {"true, 1", JsonValue(true), JsonValue(1), false},
        {"int 1, double 1.0", JsonValue(1), JsonValue(1.0), false},
        {"int 5, unsigned long 5", JsonValue(5), JsonValue(5UL), true},
        {"int 0, double 0.0 (same bits)", JsonValue(0), JsonValue(0.0), false},
        {"long -1, unsigned long max", JsonValue(-1L), JsonValue(ULONG_MAX), false},
        {"0.0, -0.0", JsonValue(0.0), JsonValue(-0.0), true},
        {"NaN, NaN", nanValue, JsonValue(nan), false},
        {"same text, other flags", JsonValue::StringType("a\"b", false),
         JsonValue::StringType("a\"b", true), true},
        {"a\\0b, a", JsonValue::StringType(std::string("a\0b", 3)), J(R"("a")"), false},
        {"[1,2], [2,1]", J("[1,2]"), J("[2,1]"), false},
        {"[1,2], [1,2,null]", J("[1,2]"), J("[1,2,null]"), false},
        {"{a:1,b:2}, {b:2,a:1}", J(R"({"a":1,"b":2})"), J(R"({"b":2,"a":1})"), false},
        {"{a:1}, {b:1}", J(R"({"a":1})"), J(R"({"b":1})"), false},
        {"{a:1}, {a:1,b:2}", J(R"({"a":1})"), J(R"({"a":1,"b":2})"), false},
        {"deep trees", Samples()[4], J(R"([1,"x",null])"), true},
        {"nested differ", J(R"([{"k":1}])"), J(R"([{"k":1.0}])"), false},
        {"short nested arrays, sizes differ", J("[[1,2],[3]]"), J("[[1,2],[3,4]]"), false},
        {"short nested arrays, last differs", J("[[1,2],[3,4]]"), J("[[1,2],[3,5]]"), false},
        {"containers in a short array", J(R"([[[1],{"a":[2]}]])"), J(R"([[[1],{"a":[3]}]])"),
         false},
        {"array whose Size says 99, [1]", Own<SizedArray>(), J("[1]"), true},
        {"unknown types", Uncopyable(static_cast<JsonType>(9)),
         Uncopyable(static_cast<JsonType>(9)), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.a == c.b, c.equal) << c.pair;
        EXPECT_EQ(c.b == c.a, c.equal) << c.pair;
        EXPECT_EQ(c.a != c.b, !c.equal) << c.pair;
    }
    // A value is equal to itself, even a NaN or an unknown type.
    EXPECT_TRUE(nanValue == nanValue);
    const JsonValue unknown = Uncopyable(static_cast<JsonType>(9));
    EXPECT_TRUE(unknown == unknown);
}

// A caller's class held as a member: the size estimate takes only our string
// class for one; the lookups answer for the copy its CopyValue makes.
TEST(ValueModel, CallersClassesAsMembers) {
    std::vector<std::pair<std::string, JsonValue>> members;
    members.emplace_back("s", Uncopyable(JsonType::String));
    EXPECT_EQ(JsonValue::ObjectType(std::move(members)).Serialize(), R"({"s":null})");
    members.clear();  // moved in, never copied: a copy would already be the other type
    members.emplace_back("a", Own<Morph<_Private::JsonBoolTypeImpl, 1>>());
    members.emplace_back("b", Own<Morph<_Private::JsonArrayTypeImpl>>());
    members.emplace_back("c", Own<Morph<_Private::JsonObjectTypeImpl>>());
    const JsonValue object = JsonValue::ObjectType(std::move(members));
    int i = 0;
    double d = 0;
    bool b = false;
    EXPECT_TRUE(!TryGet(object, "a", i) && !TryGet(object, "a", d) && TryGet(object, "a", b) && b);
    EXPECT_TRUE(GetIfArray(object, "b").IsArray() && GetIfObject(object, "c").IsObject());
}

TEST(ValueModel, CopiesAreDeep) {
    JsonValue source =
        JsonValue::ObjectType({{"list", Samples()[4]}, {"name", JsonValue::StringType("n")}});
    const JsonValue pristine = source;
    JsonValue copy = source;
    copy["list"][0] = JsonValue(99);
    copy["list"][9];
    copy["name"] = JsonValue::StringType("changed");
    EXPECT_EQ(source, pristine);
    EXPECT_NE(copy, pristine);

    // Short arrays are copied where they are met, their containers later.
    const JsonValue pairs = J(R"({"p":[[1,2],[3,[4,{"a":[5]}]],[]]})");
    JsonValue pairsCopy = pairs;
    EXPECT_EQ(pairsCopy.Serialize(), pairs.Serialize());
    pairsCopy["p"][1][1][1]["a"][0] = JsonValue(6);
    EXPECT_EQ(pairs.Serialize(), R"({"p":[[1,2],[3,[4,{"a":[5]}]],[]]})");

    const std::vector<JsonValue> elements = {JsonValue(1)};
    JsonValue::ArrayType(elements)[0] = JsonValue(2);
    EXPECT_EQ(elements[0], JsonValue(1));
}

TEST(ValueModel, FailedCopyLeavesTargetUnchanged) {
    JsonValue tree = JsonValue::ObjectType({{"a", JsonValue(1)}});
    tree["list"][0] = JsonValue::StringType("s");
    tree["list"][1] = Uncopyable();  // the copy fails after the first elements
    tree["z"] = JsonValue(2);

    JsonValue target = Samples()[4];
    const JsonValue before = target;
    EXPECT_EQ(Outcome([&] { target = tree; }), "other: copy refused");
    EXPECT_EQ(target, before);
    EXPECT_EQ(Outcome([&] { JsonValue copy(tree); }), "other: copy refused");  // and no leak
}

TEST(ValueModel, MoveAndSelfAssignment) {
    JsonValue a = JsonValue::StringType("a"), b = JsonValue(2);
    a = std::move(b);  // exchanges
    EXPECT_EQ(a, JsonValue(2));
    EXPECT_EQ(b, JsonValue::StringType("a"));

    JsonValue& alias = a;
    a = alias;
    a = std::move(alias);
    EXPECT_EQ(a, JsonValue(2));
}

TEST(ValueModel, StringsFromNarrowAndWideText) {
    const struct {
        std::string text;
        bool escape;
    } flags[] = {{"", false},          {"\x7f \xc3\xa9 ~", false},   {"a\"", true},
                 {"\\", true},         {std::string(1, '\0'), true}, {"x\x1f", true},
                 {"abcdefg\x1f", true}};
    for (const auto& f : flags) {
        SCOPED_TRACE(::testing::PrintToString(f.text));
        const _Private::JsonStringTypeImpl impl(f.text, !f.escape);
        EXPECT_EQ(_Private::JsonStringTypeImpl::EscapeCharsPresent(impl), f.escape);
        // Without a flag it is computed: the text is escaped exactly when needed.
        EXPECT_EQ(JsonValue::StringType(f.text).Serialize() != '"' + f.text + '"', f.escape);
    }

    EXPECT_EQ(JsonValue::StringType(std::wstring(L"\u00e9")).AsString(), "\xc3\xa9");
    EXPECT_EQ(JsonValue::StringType(std::wstring(L"q\"")).Serialize(), "\"q\\\"\"");
    EXPECT_EQ(JsonValue::StringType(std::wstring(L"\U0010FFFF"), false).AsString(),
              "\xf4\x8f\xbf\xbf");
    for (const wchar_t bad : {static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1)}) {
        const std::wstring text = L"ok" + std::wstring(1, bad);
        EXPECT_EQ(Outcome([&] { JsonValue::StringType(text, true); }),
                  "range_error: wstring_convert::to_bytes");
    }
}

}  // namespace
