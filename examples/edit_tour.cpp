// The code of docs/API.md, "Changing a document", built and run so that the
// guide stays true. CHECK states what the text claims.
#include <kivJSON/JSONPatch.h>
#include <kivJSON/JSONPointer.h>
#include <kivJSON/JSONValue.h>

#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <utility>

#define CHECK(condition)                                                                \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::cerr << __FILE__ << ':' << __LINE__ << ": not true: " #condition "\n"; \
            std::exit(1);                                                               \
        }                                                                               \
    } while (false)

namespace {

void Building() {
    JsonValue doc;                 // null
    doc["name"] = "kivJSON";       // a string (const char*, std::string, std::string_view)
    doc["size"] = 5LL;             // long long and unsigned long long are integers
    doc["tags"].PushBack("json");  // a null becomes an array on the first push
    doc["tags"].PushBack("c++");
    doc["owner"] = JsonObjectOf({{"id", 7}, {"roles", JsonArrayOf({"admin", true})}});
    CHECK(doc.Serialize() ==
          R"({"name":"kivJSON","size":5,"tags":["json","c++"],)"
          R"("owner":{"id":7,"roles":["admin",true]}})");
}

void Containers() {
    JsonValue list = JsonArrayOf({1, 2, 3, 4});
    list.Insert(0, "first");  // before index 0; Insert(Size(), v) appends
    list.Erase(1);            // the element at 1
    list.AsArray().Erase(2, 4);                   // the range [2, 4)
    JsonValue taken = list.Take(1);               // removed and handed back
    CHECK(list.Serialize() == R"(["first"])" && taken == JsonValue(2));
    for (JsonValue& element : list.AsArray()) {   // begin()/end() give JsonValue&
        element = "changed";
    }

    JsonValue object = JsonValue::Parse(std::string(R"({"k": 1, "j": 2, "k": 3})"));
    object.Set("k", 10);      // the first "k"
    object.Append("k", 4);    // always appends, duplicates included
    CHECK(object.Erase("j") == 1);     // the first member with the key: 1 or 0
    CHECK(object.EraseAll("k") == 3);  // every member with the key
    for (JsonObject::Member& member : object.AsObject()) {
        member.second = member.first;  // keys and values may change
    }

    try {
        list.Insert(5, 0);  // past the end: nothing changes
    } catch (const std::out_of_range& e) {
        CHECK(std::string(e.what()) == "index out of bounds" && list.Size() == 1);
    }
}

void Aliasing() {
    JsonValue o = JsonObjectOf({{"a", JsonArrayOf({1, 2})}});
    o.Set("b", o.At("a"));  // safe: the value is copied before "b" is appended
    // o["b"] = o["a"];     // NOT safe: appending "b" may move "a" before it is read

    JsonValue doc = JsonValue::Parse(std::string(R"({"meta": 1, "data": {"x": 1}})"));
    doc = doc.Take("data");  // safe: the part leaves its parent first
    // doc = std::move(doc["data"]);  // NOT safe: the old root ends up owned by its own child
    CHECK(doc.Serialize() == R"({"x":1})" && o.At("b").Size() == 2);
}

void PointerWrites() {
    JsonValue doc = JsonValue::Parse(std::string(R"({"items": [1, 2]})"));
    std::error_code error;
    JsonPointerAdd(doc, "/items/-", 3, error);      // "-" appends
    JsonPointerAdd(doc, "/items/0", 0, error);      // inserts before index 0
    JsonPointerReplace(doc, "/items/1", "one", error);
    JsonPointerRemove(doc, "/items/3", error);
    CHECK(!error && doc.Serialize() == R"({"items":[0,"one",2]})");

    CHECK(!JsonPointerAdd(doc, "/missing/x", 1, error));  // nothing changed
    CHECK(error == JsonPointerError::NotFound);
}

void Patching() {
    JsonValue doc = JsonValue::Parse(std::string(R"({"a": [1, 2], "b": "x"})"));
    const JsonValue patch = JsonValue::Parse(std::string(R"([
        {"op": "move", "from": "/b", "path": "/a/0"},
        {"op": "test", "path": "/a/0", "value": "y"}
    ])"));
    JsonPatchFailure failure;
    if (!JsonPatchApply(doc, patch, failure)) {  // all or nothing
        std::cerr << failure.Message() << '\n';
    }
    CHECK(failure.operation == 1 && failure.code == JsonPatchError::TestFailed);
    CHECK(failure.Message() == R"(operation 1 (test "/a/0"): the value differs from the one tested)");
    CHECK(doc.Serialize() == R"({"a":[1,2],"b":"x"})");  // exactly as before

    JsonMergePatchApply(doc, JsonValue::Parse(std::string(R"({"b": null, "c": {"d": 1}})")));
    CHECK(doc.Serialize() == R"({"a":[1,2],"c":{"d":1}})");

    const JsonValue target = JsonValue::Parse(std::string(R"({"a": [1], "c": {"d": 2}})"));
    const JsonValue steps = JsonDiff(doc, target);
    CHECK(steps.Serialize() == R"([{"op":"remove","path":"/a/1"},)"
                               R"({"op":"replace","path":"/c/d","value":2}])");
    JsonPatchApply(doc, steps);  // throws std::invalid_argument on failure
    CHECK(doc == target);
}

}  // namespace

int main() {
    Building();
    Containers();
    Aliasing();
    PointerWrites();
    Patching();
    std::cout << "edit tour: all checks hold\n";
}
