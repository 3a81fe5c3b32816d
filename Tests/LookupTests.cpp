#include <kivJSON/JSONUtil.h>
#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

JsonValue Sample() {
    return JsonValue::Parse(
        std::string(R"({"s":"text","i":-1,"big":4294967297,"d":5.0,"b":true,)"
                    R"("o":{"x":1},"a":[1],"n":null,"dup":1,"dup":2,"":true})"));
}

// What every helper reports for `key`, as one line: "x-" for false with the
// output untouched, "x!" for false with the output changed.
std::string Report(const JsonValue& v, const std::string& key) {
    std::string s = "old";
    int i = -99;
    double d = -99.5;
    bool b = false;
    const JsonObject* o = nullptr;
    const JsonArray* a = nullptr;
    std::string out;
    auto field = [&out](const char* tag, bool ok, bool untouched, const std::string& shown) {
        out += std::string(" ") + tag + (ok ? "=" + shown : untouched ? "-" : "!");
    };
    bool ok = TryGet(v, key, s);
    field("s", ok, s == "old", s);
    ok = TryGet(v, key, i);
    field("i", ok, i == -99, std::to_string(i));
    ok = TryGet(v, key, d);
    field("d", ok, d == -99.5, std::to_string(d));
    ok = TryGet(v, key, b);
    field("b", ok, !b, b ? "1" : "0");
    ok = TryGet(v, key, &o);
    field("o", ok, o == nullptr, ok ? std::to_string(o->Size()) : "");
    ok = TryGet(v, key, &a);
    field("a", ok, a == nullptr, ok ? std::to_string(a->Size()) : "");
    out += " get=" + std::string(TryGet(v, key).GetTypeString());
    out += " ifA=" + std::string(GetIfArray(v, key).GetTypeString());
    out += " ifO=" + std::string(GetIfObject(v, key).GetTypeString());
    return out.substr(1);
}

TEST(Lookup, EveryHelperOnEveryMember) {
    const JsonValue v = Sample();
    const std::string none = "s- i- d- b- o- a- get=null ifA=null ifO=null";
    const struct {
        const char* key;
        std::string expected;
    } cases[] = {
        {"s", "s=text i- d- b- o- a- get=string ifA=null ifO=null"},
        {"i", "s- i=-1 d- b- o- a- get=number ifA=null ifO=null"},
        {"big", "s- i=1 d- b- o- a- get=number ifA=null ifO=null"},  // low 32 bits
        {"d", "s- i- d=5.000000 b- o- a- get=number ifA=null ifO=null"},
        {"b", "s- i- d- b=1 o- a- get=bool ifA=null ifO=null"},
        {"o", "s- i- d- b- o=1 a- get=object ifA=null ifO=object"},
        {"a", "s- i- d- b- o- a=1 get=array ifA=array ifO=null"},
        {"n", none},
        {"dup", "s- i=1 d- b- o- a- get=number ifA=null ifO=null"},  // the first wins
        {"", "s- i- d- b=1 o- a- get=bool ifA=null ifO=null"},
        {"missing", none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(Report(v, c.key), c.expected);
    }
    EXPECT_EQ(&TryGetRef(v, "n"), &v.At("n"));  // a null member, not the shared null
}

TEST(Lookup, NonObjectsNeverThrow) {
    const JsonValue& nothing = TryGetRef(JsonValue(), "k");
    EXPECT_TRUE(nothing.IsNull());
    for (const char* text : {"5", "\"s\"", "[1]"}) {
        const JsonValue v = JsonValue::Parse(std::string(text));
        EXPECT_EQ(Report(v, "k"), "s- i- d- b- o- a- get=null ifA=null ifO=null") << text;
        EXPECT_EQ(&TryGetRef(v, "k"), &nothing) << text;  // one shared null
    }
}

TEST(Lookup, FromJsonConvertsOrLeavesTheTargetAlone) {
    std::string s = "keep";
    bool b = true;
    unsigned int u = 7;
    double d = 1.5;
    EXPECT_THROW(FromJson(s, JsonValue(5)), std::invalid_argument);
    EXPECT_THROW(FromJson(b, JsonValue()), std::invalid_argument);
    EXPECT_THROW(FromJson(u, JsonValue::StringType("1")), std::invalid_argument);
    EXPECT_THROW(FromJson(d, JsonValue(true)), std::invalid_argument);
    EXPECT_TRUE(s == "keep" && b && u == 7u && d == 1.5);
    FromJson(s, JsonValue::StringType("x"));
    FromJson(b, JsonValue(false));
    FromJson(u, JsonValue(-1));  // AsInteger, then converted
    FromJson(d, JsonValue(3));   // every number kind
    EXPECT_TRUE(s == "x" && !b && u == 4294967295u && d == 3.0) << s << b << u << d;
}

}  // namespace
