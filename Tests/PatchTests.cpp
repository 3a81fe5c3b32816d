#include <kivJSON/JSONPatch.h>

#include <gtest/gtest.h>

#include <string>
#include <system_error>

namespace {

JsonValue P(const std::string& text) {
    return JsonValue::Parse(text);
}

TEST(PointerWrite, AddReplaceRemove) {
    const char* const start = R"({"a":[1,2],"o":{"k":1,"k":2},"s":"x"})";
    enum Op { Add, Replace, Remove };
    const struct {
        Op op;
        const char* pointer;
        const char* expected;  // the document after, or the error message
    } cases[] = {
        // clang-format off
        {Add, "/a/0", R"({"a":[9,1,2],"o":{"k":1,"k":2},"s":"x"})"},
        {Add, "/a/2", R"({"a":[1,2,9],"o":{"k":1,"k":2},"s":"x"})"},
        {Add, "/a/-", R"({"a":[1,2,9],"o":{"k":1,"k":2},"s":"x"})"},
        {Add, "/o/k", R"({"a":[1,2],"o":{"k":9,"k":2},"s":"x"})"},
        {Add, "/o/n", R"({"a":[1,2],"o":{"k":1,"k":2,"n":9},"s":"x"})"},
        {Add, "", "9"}, {Replace, "", "9"},
        {Replace, "/a/1", R"({"a":[1,9],"o":{"k":1,"k":2},"s":"x"})"},
        {Replace, "/o/k", R"({"a":[1,2],"o":{"k":9,"k":2},"s":"x"})"},
        {Remove, "/o/k", R"({"a":[1,2],"o":{"k":2},"s":"x"})"},
        {Remove, "/a/0", R"({"a":[2],"o":{"k":1,"k":2},"s":"x"})"},
        {Add, "/a/3", "JSON Pointer has no array index in range"},
        {Add, "/a/01", "JSON Pointer has no array index in range"},
        {Add, "/a/+1", "JSON Pointer has no array index in range"},
        {Replace, "/a/2", "JSON Pointer has no array index in range"},
        {Remove, "/a/-", "JSON Pointer has no array index in range"},
        {Add, "/s/x", "no value at the JSON Pointer"},
        {Add, "/z/x", "no value at the JSON Pointer"},
        {Replace, "/o/n", "no value at the JSON Pointer"},
        {Remove, "/n", "no value at the JSON Pointer"},
        {Remove, "", "the whole document cannot be removed"},
        {Add, "a", "JSON Pointer does not start with '/'"},
        {Add, "/o/~", "'~' in a JSON Pointer is not followed by '0' or '1'"},
        {Add, "/~2/k", "'~' in a JSON Pointer is not followed by '0' or '1'"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pointer);
        JsonValue doc = P(start);
        std::error_code ec;
        const bool done = c.op == Add       ? JsonPointerAdd(doc, c.pointer, 9, ec)
                          : c.op == Replace ? JsonPointerReplace(doc, c.pointer, 9, ec)
                                            : JsonPointerRemove(doc, c.pointer, ec);
        EXPECT_EQ(done, !ec);
        EXPECT_EQ(ec ? ec.message() : doc.Serialize(), c.expected);
        EXPECT_TRUE(!ec || (ec.category() == JsonPointerCategory() && doc == P(start)));
    }
}

// RFC 6902, Appendix A (A.9, A.12 and A.13 fail, A.15 too). Members appear in
// the order the operations leave them; the RFC's examples ignore that order.
TEST(Patch, RfcExamples) {
    const struct {
        const char* doc;
        const char* patch;
        const char* expected;  // the result, or the failure message
    } cases[] = {
        // clang-format off
        {R"({"foo":"bar"})", R"([{"op":"add","path":"/baz","value":"qux"}])", R"({"foo":"bar","baz":"qux"})"},
        {R"({"foo":["bar","baz"]})", R"([{"op":"add","path":"/foo/1","value":"qux"}])", R"({"foo":["bar","qux","baz"]})"},
        {R"({"baz":"qux","foo":"bar"})", R"([{"op":"remove","path":"/baz"}])", R"({"foo":"bar"})"},
        {R"({"foo":["bar","qux","baz"]})", R"([{"op":"remove","path":"/foo/1"}])", R"({"foo":["bar","baz"]})"},
        {R"({"baz":"qux","foo":"bar"})", R"([{"op":"replace","path":"/baz","value":"boo"}])", R"({"baz":"boo","foo":"bar"})"},
        {R"({"foo":{"bar":"baz","waldo":"fred"},"qux":{"corge":"grault"}})", R"([{"op":"move","from":"/foo/waldo","path":"/qux/thud"}])", R"({"foo":{"bar":"baz"},"qux":{"corge":"grault","thud":"fred"}})"},
        {R"({"foo":["all","grass","cows","eat"]})", R"([{"op":"move","from":"/foo/1","path":"/foo/3"}])", R"({"foo":["all","cows","eat","grass"]})"},
        {R"({"baz":"qux","foo":["a",2,"c"]})", R"([{"op":"test","path":"/baz","value":"qux"},{"op":"test","path":"/foo/1","value":2}])", R"({"baz":"qux","foo":["a",2,"c"]})"},
        {R"({"baz":"qux"})", R"([{"op":"test","path":"/baz","value":"bar"}])", R"(operation 0 (test "/baz"): the value differs from the one tested)"},
        {R"({"foo":"bar"})", R"([{"op":"add","path":"/child","value":{"grandchild":{}}}])", R"({"foo":"bar","child":{"grandchild":{}}})"},
        {R"({"foo":"bar"})", R"([{"op":"add","path":"/baz","value":"qux","xyz":123}])", R"({"foo":"bar","baz":"qux"})"},
        {R"({"foo":"bar"})", R"([{"op":"add","path":"/baz/bat","value":"qux"}])", R"(operation 0 (add "/baz/bat"): no value at the JSON Pointer)"},
        {R"({"foo":"bar"})", R"([{"op":"add","path":"/baz","value":"qux","op":"remove"}])", R"(operation 0: a JSON Patch operation is not an object with one string "op")"},
        {R"({"/":9,"~1":10})", R"([{"op":"test","path":"/~01","value":10}])", R"({"/":9,"~1":10})"},
        {R"({"/":9,"~1":10})", R"([{"op":"test","path":"/~01","value":"10"}])", R"(operation 0 (test "/~01"): the value differs from the one tested)"},
        {R"({"foo":["bar"]})", R"([{"op":"add","path":"/foo/-","value":["abc","def"]}])", R"({"foo":["bar",["abc","def"]]})"},
        // Failures of our own; each patch changes the document before it fails.
        {"[1]", "{}", "a JSON Patch is not an array"},
        {"[1]", R"([{"op":"add","path":"/-","value":2},3])", R"(operation 1: a JSON Patch operation is not an object with one string "op")"},
        {"[1]", R"([{"op":"remove","path":"/0"},{"op":"frob","path":"/0"}])", R"(operation 1 (frob "/0"): unknown JSON Patch operation)"},
        {"[1]", R"([{"op":"replace","path":"","value":{}},{"op":"add"}])", R"(operation 1 (add): a JSON Patch operation lacks one string "path")"},
        {"[1]", R"([{"op":"add","path":"/0","value":0},{"op":"add","path":"/1"}])", R"(operation 1 (add "/1"): a JSON Patch operation lacks one "value")"},
        {"[1]", R"([{"op":"copy","from":"/0","path":"/-"},{"op":"move","path":"/1"}])", R"(operation 1 (move "/1"): a JSON Patch operation lacks one string "from")"},
        {R"({"a":[{"b":1}],"c":2})", R"([{"op":"move","from":"/c","path":"/a/0/b"},{"op":"move","from":"/a","path":"/a/0"}])", R"(operation 1 (move "/a/0"): a value cannot move into itself)"},
        {R"({"a":[{"b":1}],"c":2})", R"([{"op":"move","from":"/a/0","path":"/c"},{"op":"copy","from":"/c","path":"/a/-"},{"op":"remove","path":"/a/1"}])", R"(operation 2 (remove "/a/1"): JSON Pointer has no array index in range)"},
        {R"({"a":[{"b":1}],"c":2})", R"([{"op":"move","from":"/a/0/b","path":""},{"op":"copy","from":"/x","path":"/y"}])", R"(operation 1 (copy "/x"): no value at the JSON Pointer)"},
        {R"({"a":{"b":1},"c":2})", R"([{"op":"move","from":"/a","path":"/d"},{"op":"move","from":"/d/b","path":"/a"},{"op":"remove","path":""}])", R"(operation 2 (remove ""): the whole document cannot be removed)"},
        {R"({"a":1})", R"([{"op":"move","from":"/a","path":"/a"},{"op":"move","from":"/a","path":"/b/c"}])", R"(operation 1 (move "/b/c"): no value at the JSON Pointer)"},
        {R"({"a":1})", R"([{"op":"test","path":"/~2","value":1}])", R"(operation 0 (test "/~2"): '~' in a JSON Pointer is not followed by '0' or '1')"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.patch);
        JsonValue doc = P(c.doc);
        JsonPatchFailure failure;
        const bool done = JsonPatchApply(doc, P(c.patch), failure);
        EXPECT_EQ(done ? doc.Serialize() : failure.Message(), c.expected);
        EXPECT_TRUE(done || doc.Serialize() == P(c.doc).Serialize());  // exactly as before
    }
    JsonValue doc = P("[1]");
    EXPECT_THROW(JsonPatchApply(doc, P("[{}]")), std::invalid_argument);
}

// RFC 7396, Appendix A.
TEST(MergePatch, RfcExamples) {
    const char* const cases[][3] = {
        // clang-format off
        {R"({"a":"b"})", R"({"a":"c"})", R"({"a":"c"})"},
        {R"({"a":"b"})", R"({"b":"c"})", R"({"a":"b","b":"c"})"},
        {R"({"a":"b"})", R"({"a":null})", "{}"},
        {R"({"a":"b","b":"c"})", R"({"a":null})", R"({"b":"c"})"},
        {R"({"a":["b"]})", R"({"a":"c"})", R"({"a":"c"})"},
        {R"({"a":"c"})", R"({"a":["b"]})", R"({"a":["b"]})"},
        {R"({"a":{"b":"c"}})", R"({"a":{"b":"d","c":null}})", R"({"a":{"b":"d"}})"},
        {R"({"a":[{"b":"c"}]})", R"({"a":[1]})", R"({"a":[1]})"},
        {R"(["a","b"])", R"(["c","d"])", R"(["c","d"])"},
        {R"({"a":"b"})", R"(["c"])", R"(["c"])"},
        {R"({"a":"foo"})", "null", "null"},
        {R"({"a":"foo"})", R"("bar")", R"("bar")"},
        {R"({"e":null})", R"({"a":1})", R"({"e":null,"a":1})"},
        {"[1,2]", R"({"a":"b","c":null})", R"({"a":"b"})"},
        {"{}", R"({"a":{"bb":{"ccc":null}}})", R"({"a":{"bb":{}}})"},
        {R"({"k":1,"j":2,"k":3})", R"({"k":null,"j":{"x":1}})", R"({"j":{"x":1}})"},  // every "k" goes
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[1]);
        JsonValue doc = P(c[0]);
        JsonMergePatchApply(doc, P(c[1]));
        EXPECT_EQ(doc.Serialize(), c[2]);
    }
}

// Applying the diff of two documents to the first gives the second, and equal
// documents give an empty patch.
TEST(Diff, AppliedGivesTheSecond) {
    const char* const cases[][3] = {
        // clang-format off
        {R"({"a":1,"b":[1,2,3],"c":{"d":"e"}})", R"({"a":1,"b":[1,5],"c":{"d":"f"},"x~/y":null})", "4"},
        {"[1,2]", "[1,2,[3],{}]", "2"}, {"[1,[2],3,4]", "[1,[]]", "3"}, {"[1,2.0]", "[1,2]", "1"},
        {R"({"a":1,"b":2})", R"({"b":2,"a":1})", "1"},  // order differs: replaced whole
        {R"({"a":1,"a":2})", R"({"a":1})", "1"}, {"null", "{}", "1"}, {R"({"a":[{"b":1}]})", R"({"a":[{"b":1}]})", "0"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[1]);
        JsonValue doc = P(c[0]);
        const JsonValue patch = JsonDiff(doc, P(c[1]));
        EXPECT_EQ(std::to_string(patch.Size()), c[2]) << patch.Serialize();
        JsonPatchApply(doc, patch);
        EXPECT_EQ(doc.Serialize(), P(c[1]).Serialize());
    }
}

}  // namespace
