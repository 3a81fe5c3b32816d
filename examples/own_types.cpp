// The code of the guide's section "Reading into your own types", built and run
// so that the guide stays true: checked reads, structs by a field list, errors
// that name the failing value, and a conversion written by hand.
#include <kivJSON/JSONConvert.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#define CHECK(condition)                                                                \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::cerr << __FILE__ << ':' << __LINE__ << ": not true: " #condition "\n"; \
            std::exit(1);                                                               \
        }                                                                               \
    } while (false)

struct Price {
    std::string currency;
    int amount = 0;
};
KIVJSON_FIELDS(Price, currency, amount)

enum class Kind { Concert, Opera };
KIVJSON_ENUM_NAMES(Kind, Concert, Opera)

struct Event {
    std::string name;
    Kind kind = Kind::Concert;
    std::vector<Price> prices;
    std::optional<std::string> venue;
    int capacity = 100;
    KIVJSON_FIELDS(Event, name, KIVJSON_DEFAULT(kind), prices, venue, KIVJSON_DEFAULT(capacity))
};

// A type converted by hand, found by argument-dependent lookup beside it.
struct Kelvin {
    double value = 0;
};
bool JsonRead(JsonReadContext& reader, const JsonValue& in, Kelvin& out) {
    double value = 0;
    if (!TryRead(in, value) || value < 0) {
        return reader.Expected("a temperature of at least 0 K", in);
    }
    out.value = value;
    return true;
}
JsonValue JsonWrite(const Kelvin& in) {
    return ToJson(in.value);
}

namespace {

void CheckedReads() {
    JsonValue doc =
        JsonValue::Parse(std::string(R"({"size": 5000000000, "ratio": 2, "port": 8080})"));
    int size = 0;
    CHECK(!TryRead(doc, "size", size) && size == 0);  // does not fit: false, unchanged
    long long big = 0;
    CHECK(TryRead(doc, "size", big) && big == 5000000000);
    double ratio = 0;
    CHECK(TryRead(doc, "ratio", ratio) && ratio == 2.0);  // any number reads as a double
    uint16_t port = 0;
    CHECK(TryRead(doc, "port", port) && port == 8080);
    CHECK(!TryRead(JsonValue(2.5), size) && TryRead(JsonValue(3.0), size) && size == 3);
}

void Structs() {
    JsonValue doc = JsonValue::Parse(std::string(
        R"({"name": "Gala", "kind": "Opera", "prices": [{"currency": "EUR", "amount": 120}]})"));
    Event event = ReadJsonAs<Event>(doc);  // throws JsonConvertException on failure
    CHECK(event.kind == Kind::Opera && event.prices[0].amount == 120);
    CHECK(!event.venue && event.capacity == 100);  // absent: nullopt, and the default kept
    CHECK(
        ToJson(event).Serialize() ==
        R"({"name":"Gala","kind":"Opera","prices":[{"currency":"EUR","amount":120}],"venue":null,"capacity":100})");
}

void Errors() {
    JsonValue doc = JsonValue::Parse(
        std::string(R"({"name": "Gala", "prices": [{"currency": "EUR", "amount": 5000000000}]})"));
    Event kept;
    JsonConvertResult result;
    CHECK(!ReadJson(doc, kept, result) && kept.name.empty());  // the target is unchanged
    CHECK(result.error == JsonConvertError::OutOfRange && result.pointer == "/prices/0/amount");
    CHECK(result.message ==
          "/prices/0/amount: expected an integer in the range of int, found 5000000000");

    JsonReadOptions strict;
    strict.rejectUnknownMembers = true;
    doc = JsonValue::Parse(std::string(R"({"name": "Gala", "prices": [], "date": "today"})"));
    CHECK(ReadJson(doc, kept, result));  // unknown members are ignored by default
    CHECK(!ReadJson(doc, kept, result, strict) && result.message == R"(unknown member "date")");
    try {
        ReadJsonAs<Event>(JsonValue::Parse(std::string(R"({"prices": []})")));
        CHECK(false);  // not reached
    } catch (const JsonConvertException& e) {
        CHECK(e.Code() == JsonConvertError::MissingMember);
        CHECK(std::string(e.what()) == R"(missing member "name")");
    }
}

void ByHand() {
    std::vector<Kelvin> readings;
    JsonConvertResult result;
    CHECK(ReadJson(JsonValue::Parse(std::string("[290, 300.5]")), readings, result));
    CHECK(ToJson(readings).Serialize() == "[290,300.5]");
    CHECK(!ReadJson(JsonValue::Parse(std::string("[290, -3]")), readings, result));
    CHECK(result.message == "/1: expected a temperature of at least 0 K, found -3");
}

}  // namespace

int main() {
    CheckedReads();
    Structs();
    Errors();
    ByHand();
    std::cout << "all claims hold\n";
    return 0;
}
