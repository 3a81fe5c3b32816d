// The code shown in docs/API.md, built and run so that the guide stays true.
// Each function is one section of the guide; CHECK states what the text claims.
// (A second test builds each block of the guide on its own, as a reader pastes it.)
#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONFile.h>
#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONPointer.h>
#include <kivJSON/JSONPrivateImpl.h>
#include <kivJSON/JSONUtf8.h>
#include <kivJSON/JSONUtil.h>
#include <kivJSON/JSONValue.h>
#include <kivJSON/JSONWriteOptions.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

#define CHECK(condition)                                                                \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::cerr << __FILE__ << ':' << __LINE__ << ": not true: " #condition "\n"; \
            std::exit(1);                                                               \
        }                                                                               \
    } while (false)

namespace {

void Values() {
    JsonValue value;  // null
    CHECK(value.IsNull() && value.Type() == JsonType::Null);
    value = JsonValue(true);
    CHECK(value.IsBool() && value.AsBool());
    CHECK(std::string(value.GetTypeString()) == "bool");
}

void ValueAccess() {
    JsonValue value(true);
    try {
        value.AsString();  // the wrong type throws; the value is unchanged
    } catch (const std::invalid_argument& e) {
        CHECK(std::string(e.what()) == "not a string");
    }

    JsonValue copy = value;  // a deep copy: nothing is shared
    CHECK(copy == value);
}

void Numbers() {
    CHECK(JsonValue(-5).AsNumber().GetKind() == JsonNumber::Int64);  // negative integers
    CHECK(JsonValue(5).AsNumber().GetKind() == JsonNumber::Uint64);  // integers from 0 up
    CHECK(JsonValue(5.0).AsNumber().GetKind() == JsonNumber::Double);
    CHECK(JsonValue(5) == JsonValue(5UL));  // same kind, same value
    CHECK(JsonValue(5) != JsonValue(5.0));  // integer and double kinds never compare equal

    JsonValue big = JsonValue::Parse(std::string("18446744073709551615"));
    JsonNumber number = big.AsNumber();  // the full 64 bits and the kind
    CHECK(number.GetKind() == JsonNumber::Uint64 && number.m_value == UINT64_MAX);
    CHECK(!number.IsInt64());
    CHECK(JsonValue(4294967297UL).AsInteger() == 1);  // AsInteger keeps the low 32 bits
    CHECK(JsonValue(-2.7).AsInteger() == -2);         // and truncates a double
}

void Strings() {
    JsonValue quote = JsonValue::StringType("say \"hi\"");  // escape flag computed: true
    CHECK(quote.Serialize() == R"("say \"hi\"")");

    JsonValue wide = JsonValue::StringType(std::wstring(L"caf\u00e9"));
    CHECK(wide.AsString() == "caf\xc3\xa9");  // stored as UTF-8

    // A flag given by the caller is trusted: false writes the text verbatim.
    JsonValue verbatim = JsonValue::StringType("a\"b", false);
    CHECK(verbatim.Serialize() == "\"a\"b\"");  // not valid JSON: the caller lied
}

void ArraysAndObjects() {
    JsonValue order;                                     // null
    order["id"] = 7;                                     // a key subscript makes it an object
    order["lines"][2] = JsonValue::StringType("third");  // an index subscript grows the array
    CHECK(order["lines"].Size() == 3 && order["lines"][0].IsNull());
    CHECK(order.Serialize() == R"({"id":7,"lines":[null,null,"third"]})");

    CHECK(order.HasField("id") && !order.HasField("name"));
    try {
        order.At("name");  // At never adds anything
    } catch (const std::out_of_range& e) {
        CHECK(std::string(e.what()) == "Key not found");
    }

    for (const JsonObject::Member& member : order.AsObject()) {  // stored order
        std::cout << member.first << ": " << member.second.GetTypeString() << '\n';
    }

    JsonValue twice = JsonValue::Parse(std::string(R"({"k": 1, "k": 2})"));
    CHECK(twice.Size() == 2 && twice.At("k") == JsonValue(1));  // the first member wins
}

void Parsing() {
    JsonValue fromText = JsonValue::Parse(std::string(R"({"a": [1, 2.5, "x"]} // note)"));
    JsonValue fromWide = JsonValue::Parse(std::wstring(L"{\"a\": [1, 2.5, \"x\"]}"));
    CHECK(fromText == fromWide);

    std::istringstream in("[true, null] /* trailing comments are fine */");
    JsonValue fromStream = JsonValue::Parse(in);  // reads the stream's buffer
    CHECK(fromStream.Size() == 2);
}

void Errors() {
    std::error_code error;
    JsonValue value = JsonValue::Parse(std::string("[1, 2,]"), error);
    CHECK(error.value() == MalformedToken && value.IsNull());
    CHECK(error.category() == JsonErrorCategory::s_item);
    CHECK(error.message() == "Malformed token");

    value = JsonValue::Parse(std::string("null"), error);  // success clears the code
    CHECK(!error && value.IsNull());

    try {
        JsonValue::Parse(std::string("1 2"));
    } catch (const std::invalid_argument& e) {
        CHECK(std::string(e.what()) == "Left-over characters in stream after parsing a JSON value");
    }

    std::wistringstream wideIn(L"[1,2] 3");
    value = JsonValue::Parse(wideIn, error);  // the one exception: the value read, code 1
    CHECK(error.value() == LeftOverCharacters && value.Serialize() == "[1,2]");
}

void Writing() {
    JsonValue value = JsonValue::Parse(std::string("{ \"x\" : [ 1 , 0.1 , -3 ] }"));
    CHECK(value.Serialize() == R"({"x":[1,0.10000000000000001,-3]})");

    std::string out = "value=";
    value.Format(out);  // appends the same text
    CHECK(out == R"(value={"x":[1,0.10000000000000001,-3]})");

    std::wostringstream wide;
    value.Serialize(wide);  // the same characters as wide text
    CHECK(wide.str() == L"{\"x\":[1,0.10000000000000001,-3]}");
}

void Lookup() {
    JsonValue doc =
        JsonValue::Parse(std::string(R"({"n": 5, "d": 5.0, "name": "kiv", "tags": ["a"]})"));

    int n = 0;
    double d = 0;
    std::string name;
    CHECK(TryGet(doc, "n", n) && n == 5);
    CHECK(!TryGet(doc, "n", d));  // the double form takes the Double kind only
    CHECK(TryGet(doc, "d", d) && d == 5.0);
    CHECK(TryGet(doc, "name", name) && name == "kiv");
    CHECK(!TryGet(doc, "missing", name) && name == "kiv");  // output left alone

    const JsonArray* tags = nullptr;
    CHECK(TryGet(doc, "tags", &tags) && tags->Size() == 1);  // no copy
    const JsonValue& missing = TryGetRef(doc, "nothing");    // a shared null, never dangling
    CHECK(missing.IsNull());
    CHECK(GetIfObject(doc, "tags").IsNull());  // wrong type: null

    unsigned int count = 0;
    FromJson(count, doc.At("n"));  // whole-value conversions throw on the wrong type
    CHECK(count == 5);
}

void Pointer() {
    JsonValue doc = JsonValue::Parse(std::string(R"({"items": [{"name": "a/b"}], "m~n": 1})"));
    std::error_code error;
    const JsonValue* name = JsonPointerFind(doc, "/items/0/name", error);
    CHECK(!error && name != nullptr && name->AsString() == "a/b");
    CHECK(JsonPointerFind(doc, "/m~0n", error)->AsInteger() == 1);        // ~0 is '~', ~1 is '/'
    CHECK(JsonPointerFind(doc, "/items/1", error) == nullptr && !error);  // no such value

    JsonPointerFind(doc, "items", error);  // malformed: no leading '/'
    CHECK(error == JsonPointerError::MissingSlash);
    CHECK(error.message() == "JSON Pointer does not start with '/'");
}

void WriteOptions() {
    JsonValue value = JsonValue::Parse(std::string("{\"x\": [0.1, 1e999], \"e\": []}"));
    JsonWriteOptions options;
    options.indent = 2;
    options.numbers = JsonNumberStyle::Shortest;
    options.nonFinite = JsonNonFinite::Null;
    CHECK(WriteJson(value, options) == "{\n  \"x\": [\n    0.1,\n    null\n  ],\n  \"e\": []\n}");

    options.nonFinite = JsonNonFinite::Fail;
    std::string out = "kept";
    std::error_code error;
    CHECK(!WriteJson(value, out, options, error));  // nothing appended
    CHECK(error == JsonWriteError::NonFiniteNumber && out == "kept");
    CHECK(error.message() == "Non-finite number (NaN or infinity) cannot be written as JSON");
}

void Files() {
    const JsonValue doc = JsonValue::Parse(std::string(R"({"n": [1, 2]})"));
    JsonWriteFile("example.json", doc);  // a new file, flushed, renamed over the old one
    CHECK(JsonParseFile("example.json") == doc);

    JsonWriteOptions options;
    options.nonFinite = JsonNonFinite::Fail;
    std::error_code error;
    CHECK(!JsonWriteFile("example.json", JsonValue::Parse(std::string("[1e999]")), options, error));
    CHECK(error == JsonWriteError::NonFiniteNumber);
    CHECK(JsonParseFile("example.json") == doc);  // the old content stays

    JsonParsePosition at{};
    CHECK(JsonParseFile("missing.json", {}, error, at).IsNull());
    CHECK(error == std::errc::no_such_file_or_directory);
    CHECK(error.message() == "No such file or directory");  // the errno text
    try {
        JsonParseFile("missing.json");
    } catch (const std::system_error& e) {
        CHECK(std::string(e.what()) == "cannot read missing.json: No such file or directory");
    }
    std::ofstream("broken.json") << "[1,\n tru]";
    try {
        JsonParseFile("broken.json");
    } catch (const std::invalid_argument& e) {
        CHECK(std::string(e.what()) == "broken.json:2:2: Malformed literal");
    }
    try {
        JsonWriteFile("nowhere/x.json", doc);
    } catch (const std::system_error& e) {
        CHECK(std::string(e.what()) == "cannot write nowhere/x.json: No such file or directory");
    }
    std::remove("example.json");
    std::remove("broken.json");
}

void Utf8() {
    CHECK(JsonIsUtf8("caf\xC3\xA9"));
    CHECK(!JsonIsUtf8("caf\xE9"));       // Latin-1, not UTF-8
    CHECK(!JsonIsUtf8("\xED\xA0\x80"));  // a surrogate
}

}  // namespace

void ParseOptionsAndPositions() {
    std::error_code ec;
    JsonParsePosition at{};
    JsonParseText(std::string("{\n  \"a\": tru\n}"), {}, ec, at);
    CHECK(ec.value() == MalformedLiteral && at.line == 2 && at.column == 8);  // the "t"
    JsonParseText(std::string("[01]"), {true}, ec, at);
    CHECK(ec.value() == MalformedNumber && at.column == 2);  // strict: no leading zero
}

struct Arena {
    int blocks = 0;
};
void* operator new(std::size_t size, Arena& arena) {  // yours
    ++arena.blocks;
    return ::operator new(size);
}

void PlacementForms() {
    Arena arena;
    JsonValue one(
        UniquePtr<_Private::JsonValueTypeImpl>(new (arena) _Private::JsonNumberTypeImpl(1)));
    CHECK(arena.blocks == 1 && one.AsInteger() == 1);  // freed by the global delete
}

int main() {
    PlacementForms();
    Values();
    ValueAccess();
    Numbers();
    Strings();
    ArraysAndObjects();
    Parsing();
    Errors();
    Writing();
    Lookup();
    Pointer();
    ParseOptionsAndPositions();
    WriteOptions();
    Files();
    Utf8();
    std::cout << "all claims hold\n";
    return 0;
}
