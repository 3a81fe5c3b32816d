#include <kivJSON/JSONConvert.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>

namespace {

// The header adds no TryGet or FromJson overload: a call that matched none
// before (long&, float&) still matches none, so existing calls choose as before.
template <class Out, class = void>
struct TryGetTakes : std::false_type {};
template <class Out>
struct TryGetTakes<Out,
                   std::void_t<decltype(TryGet(JsonValue(), std::string(), std::declval<Out&>()))>>
    : std::is_same<decltype(TryGet(JsonValue(), std::string(), std::declval<Out&>())), bool> {};
template <class Out, class = void>
struct FromJsonTakes : std::false_type {};
template <class Out>
struct FromJsonTakes<Out, std::void_t<decltype(FromJson(std::declval<Out&>(), JsonValue()))>>
    : std::true_type {};
static_assert(TryGetTakes<int>::value && TryGetTakes<double>::value && TryGetTakes<bool>::value &&
              TryGetTakes<std::string>::value && !TryGetTakes<long>::value &&
              !TryGetTakes<float>::value && !TryGetTakes<std::vector<int>>::value);
static_assert(FromJsonTakes<unsigned>::value && !FromJsonTakes<int>::value &&
              !FromJsonTakes<long>::value);

TEST(Convert, ExistingLookupsKeepTheirBehaviour) {
    const JsonValue doc = JsonValue::Parse(std::string(R"({"big":5000000000,"two":2})"));
    int i = 0;
    double d = -1;
    unsigned u = 0;
    EXPECT_TRUE(TryGet(doc, "big", i) && i == 705032704);  // the low 32 bits
    EXPECT_TRUE(!TryGet(doc, "two", d) && d == -1);        // integers are not doubles here
    FromJson(u, JsonValue(-1));
    EXPECT_EQ(u, 4294967295u);
    EXPECT_TRUE(TryRead(doc, "two", d) && d == 2.0 && !TryRead(doc, "big", i) && i == 705032704);
}

// What TryRead gives for T from `json`: the value, or "-" with the target unchanged.
template <class T>
std::string Checked(const JsonValue& value) {
    T out = T(42);
    std::ostringstream text;
    if (TryRead(value, out)) {
        text << +out;
    } else {
        text << (out == T(42) ? "-" : "changed");
    }
    return text.str();
}

TEST(Convert, CheckedReadsTakeExactlyWhatTheTargetHolds) {
    struct Row {
        const char* json;
        const char* expected;  // i8 u8 i32 u32 i64 u64 float
    };
    const Row rows[] = {
        {"127", "127 127 127 127 127 127 127"},
        {"128", "- 128 128 128 128 128 128"},
        {"-128", "-128 - -128 - -128 - -128"},
        {"-129", "- - -129 - -129 - -129"},
        {"255.0", "- 255 255 255 255 255 255"},
        {"256", "- - 256 256 256 256 256"},
        {"-0.0", "0 0 0 0 0 0 -0"},
        {"2.5", "- - - - - - 2.5"},
        {"2147483647.0", "- - 2147483647 2147483647 2147483647 2147483647 2.14748e+09"},
        {"-2147483648", "- - -2147483648 - -2147483648 - -2.14748e+09"},
        {"-2147483649.0", "- - - - -2147483649 - -2.14748e+09"},
        {"4294967295", "- - - 4294967295 4294967295 4294967295 4.29497e+09"},
        {"4294967296.0", "- - - - 4294967296 4294967296 4.29497e+09"},
        {"5000000000", "- - - - 5000000000 5000000000 5e+09"},
        {"-9223372036854775808", "- - - - -9223372036854775808 - -9.22337e+18"},
        {"9223372036854775808", "- - - - - 9223372036854775808 9.22337e+18"},
        {"9223372036854775808.0", "- - - - - 9223372036854775808 9.22337e+18"},
        {"-9223372036854775808.0", "- - - - -9223372036854775808 - -9.22337e+18"},
        {"18446744073709551615", "- - - - - 18446744073709551615 1.84467e+19"},
        {"18446744073709551616.0", "- - - - - - 1.84467e+19"},
        {"3.4028234663852886e38", "- - - - - - 3.40282e+38"},
        {"3.4028236e38", "- - - - - - -"},
        {"-1e999", "- - - - - - -inf"},
        {"true", "- - - - - - -"},
        {"\"7\"", "- - - - - - -"},
    };
    for (const Row& row : rows) {
        const JsonValue v = JsonValue::Parse(std::string(row.json));
        const std::string got = Checked<int8_t>(v) + ' ' + Checked<uint8_t>(v) + ' ' +
                                Checked<int>(v) + ' ' + Checked<unsigned>(v) + ' ' +
                                Checked<long long>(v) + ' ' + Checked<uint64_t>(v) + ' ' +
                                Checked<float>(v);
        EXPECT_EQ(got, row.expected) << row.json;
    }
    bool b = false;
    EXPECT_TRUE(TryRead(JsonValue(true), b) && b && !TryRead(JsonValue(0), b) && b);
    double d = 0;
    EXPECT_TRUE(TryRead(JsonValue(18446744073709551615UL), d) && d == 18446744073709551616.0);
}

enum class Side { Buy, Sell };
KIVJSON_ENUM_NAMES(Side, Buy, Sell)
enum Level : unsigned char { Low = 1, High = 200 };

struct Price {
    long long amount = 0;
    std::optional<std::string> currency;
    KIVJSON_FIELDS(Price, amount, currency)  // inside the struct
};

struct Event {
    std::string name;
    int seats = 10;
    std::vector<Price> prices;
    std::map<std::string, std::set<int>> tags;
    std::pair<double, bool> spot;
    std::tuple<Side, Level, std::deque<std::list<char>>> extra;
    std::array<std::unordered_map<std::string, std::optional<float>>, 1> notes;
    bool operator==(const Event& o) const {
        return name == o.name && seats == o.seats && prices.size() == o.prices.size() &&
               tags == o.tags && spot == o.spot && extra == o.extra && notes == o.notes;
    }
};
KIVJSON_FIELDS(Event, name, KIVJSON_DEFAULT(seats), prices, tags, spot, extra, notes)

// A hand-written conversion found by argument-dependent lookup: cents as "12.34".
struct Money {
    long cents = 0;
};
bool JsonRead(JsonReadContext& reader, const JsonValue& in, Money& out) {
    double units = 0;
    if (!in.IsString() || !(std::istringstream(in.AsString()) >> units)) {
        return reader.Expected("an amount such as \"12.34\"", in);
    }
    out.cents = std::lround(units * 100);
    return true;
}
JsonValue JsonWrite(const Money& in) {
    return ToJson(std::to_string(in.cents / 100) + '.' + std::to_string(in.cents % 100));
}

}  // namespace

// ... and one by specialisation.
namespace convert_test {
struct Flag {
    bool on = false;
};
}  // namespace convert_test
using convert_test::Flag;
template <>
struct JsonConverter<Flag> {
    static bool Read(JsonReadContext& reader, const JsonValue& in, Flag& out) {
        return reader.ReadField(in, "on", out.on);
    }
    static JsonValue Write(const Flag& in) { return JsonValue::Parse(in.on ? "[1]" : "[0]"); }
};

namespace {

TEST(Convert, NestedTypesRoundTrip) {
    const std::string text =
        R"({"name":"gala","seats":5,"prices":[{"amount":-3,"currency":"EUR"},{"amount":7}],)"
        R"("tags":{"b":[3,1],"a":[]},"spot":[0.5,true],"extra":["Sell",200,[[65,66],[]]],)"
        R"("notes":[{"x":null}]})";
    Event event;
    ReadJson(JsonValue::Parse(text), event);
    EXPECT_EQ(event.prices[0].currency, "EUR");
    EXPECT_FALSE(event.prices[1].currency);
    EXPECT_EQ(std::get<0>(event.extra), Side::Sell);
    EXPECT_EQ(std::get<1>(event.extra), High);
    EXPECT_EQ(
        ToJson(event).Serialize(),
        R"({"name":"gala","seats":5,"prices":[{"amount":-3,"currency":"EUR"},{"amount":7,)"
        R"("currency":null}],"tags":{"a":[],"b":[1,3]},"spot":[0.5,true],"extra":["Sell",200,[[65,66],[]]],)"
        R"("notes":[{"x":null}]})");
    EXPECT_TRUE(ReadJsonAs<Event>(ToJson(event)) == event);

    // Absent: a default-marked field keeps its default, an optional is empty.
    // Repeated keys: the first counts, in structs and maps alike.
    const Event sparse = ReadJsonAs<Event>(JsonValue::Parse(std::string(
        R"({"name":"a","name":"b","prices":[],"tags":{"k":[1],"k":[2]},"spot":[1,false],)"
        R"("extra":["Buy",1,[]],"notes":[{}],"unknown":0})")));
    EXPECT_EQ(sparse.name, "a");
    EXPECT_EQ(sparse.seats, 10);
    EXPECT_EQ(sparse.tags.at("k"), std::set<int>{1});

    std::vector<Money> money;
    ReadJson(JsonValue::Parse(std::string(R"(["12.34","0.5"])")), money);
    EXPECT_EQ(money[1].cents, 50);
    EXPECT_EQ(ToJson(money[0]).AsString(), "12.34");
    EXPECT_EQ(
        ReadJsonAs<std::vector<Flag>>(JsonValue::Parse(std::string(R"([{"on":true}])")))[0].on,
        true);
    EXPECT_EQ(ToJson(std::vector<Flag>(1)).Serialize(), "[[0]]");
    EXPECT_EQ(ToJson(std::vector<bool>{true}).Serialize(), "[true]");
}

TEST(Convert, FailuresSayWhereAndLeaveTheTargetAlone) {
    struct Case {
        const char* json;
        bool strict;
        JsonConvertError code;
        const char* message;
    };
    const Case cases[] = {
        {R"({"name":"x","prices":[{"amount":1},{"amount":"9"}]})", false,
         JsonConvertError::WrongType,
         "/prices/1/amount: expected an integer in the range of long "
         "long, found \"9\""},
        {R"({"prices":[]})", false, JsonConvertError::MissingMember, R"(missing member "name")"},
        {R"({"name":"x","prices":[{"currency":null}]})", false, JsonConvertError::MissingMember,
         R"(/prices/0: missing member "amount")"},
        {R"({"name":"x","prices":[],"tags":{"a/b~":[1,1.5]}})", false, JsonConvertError::OutOfRange,
         "/tags/a~1b~0/1: expected an integer in the range of int, found 1.5"},
        {R"({"name":"x","prices":[],"spot":[1,true,2]})", false, JsonConvertError::WrongLength,
         "/spot: expected an array of 2 elements, found an array of 3 elements"},
        {R"({"name":"x","prices":[],"extra":["Hold",1,[]]})", false, JsonConvertError::WrongType,
         R"(/extra/0: expected one of "Buy", "Sell", found "Hold")"},
        {R"({"name":"x","prices":[],"extra":["Buy",256,[]]})", false, JsonConvertError::OutOfRange,
         "/extra/1: expected an integer in the range of unsigned char, found 256"},
        {R"({"name":"x","prices":[],"x":1})", true, JsonConvertError::UnknownMember,
         R"(unknown member "x")"},
        {R"({"name":"x","prices":[],"extra":["Buy",1,[[null]]]})", false,
         JsonConvertError::WrongType,
         "/extra/2/0/0: expected an integer in the range of char, "
         "found null"},
        {R"([{"name":"x"}])", false, JsonConvertError::WrongType,
         "expected an object, found an array of 1 element"},
    };
    for (const Case& c : cases) {
        Event event;
        event.name = "kept";
        JsonConvertResult result;
        JsonReadOptions options;
        options.rejectUnknownMembers = c.strict;
        EXPECT_FALSE(ReadJson(JsonValue::Parse(std::string(c.json)), event, result, options));
        EXPECT_EQ(result.error, c.code) << c.json;
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(event.name, "kept");
    }
    try {
        ReadJsonAs<std::vector<int>>(
            JsonValue::Parse(std::string("[1,\"" + std::string(50, 'x') + "\"]")));
        FAIL();
    } catch (const JsonConvertException& e) {
        EXPECT_EQ(e.Code(), JsonConvertError::WrongType);
        EXPECT_EQ(e.Pointer(), "/1");
        EXPECT_STREQ(e.what(), ("/1: expected an integer in the range of int, found \"" +
                                std::string(39, 'x') + "...")
                                   .c_str());
    }
    EXPECT_EQ(std::error_code(JsonConvertError::WrongLength).message(),
              "JSON array has the wrong number of elements");
}

// Field names are matched a word at a time: every length, a difference at
// every place.
TEST(Convert, KeysMatchExactly) {
    for (size_t size = 0; size <= 20; ++size) {
        const std::string key(size, 'k');
        EXPECT_TRUE(JsonSameKey(key, std::string(size, 'k')));
        EXPECT_FALSE(JsonSameKey(key, key + "k"));
        for (size_t at = 0; at < size; ++at) {
            std::string other = key;
            other[at] = 'x';
            EXPECT_FALSE(JsonSameKey(key, other)) << size << " " << at;
        }
    }
}

}  // namespace
