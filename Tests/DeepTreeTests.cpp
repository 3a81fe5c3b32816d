// Trees built through the value model may be nested far deeper than the parser
// allows; copying, comparing, writing and destroying them must not use the call
// stack per level.
#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr size_t kDepth = 1000000;

enum class Nesting { Arrays, Objects, Mixed };

// Builds a chain of kDepth containers ending in the number 7; returns its text.
JsonValue BuildChain(Nesting nesting, std::string& expected) {
    JsonValue root;
    JsonValue* level = &root;
    std::string open, close;
    for (size_t i = 0; i < kDepth; ++i) {
        const bool array = nesting == Nesting::Arrays || (nesting == Nesting::Mixed && i % 2 == 0);
        level = array ? &(*level)[size_t{0}] : &(*level)["k"];
        open += array ? "[" : "{\"k\":";
        close += array ? ']' : '}';
    }
    *level = 7;
    expected = open + "7" + std::string(close.rbegin(), close.rend());
    return root;
}

class DeepTree : public ::testing::TestWithParam<Nesting> {};

TEST_P(DeepTree, CopiesComparesWritesAndDestroys) {
    std::string expected;
    JsonValue tree = BuildChain(GetParam(), expected);
    JsonValue copy = tree;
    EXPECT_TRUE(copy == tree);

    EXPECT_EQ(tree.Serialize(), expected);
    std::wstring wide;
    copy.Format(wide);
    EXPECT_EQ(wide, std::wstring(expected.begin(), expected.end()));

    // One leaf differs: the comparison must walk all the way down to find it.
    JsonValue* leaf = &copy;
    while (leaf->Size() != 0) {
        leaf = leaf->IsArray() ? &leaf->At(0) : &leaf->At("k");
    }
    *leaf = 8;
    EXPECT_FALSE(copy == tree);
}

INSTANTIATE_TEST_SUITE_P(Nestings, DeepTree,
                         ::testing::Values(Nesting::Arrays, Nesting::Objects, Nesting::Mixed),
                         ([](const ::testing::TestParamInfo<Nesting>& info) {
                             const char* names[] = {"Arrays", "Objects", "Mixed"};
                             return std::string(names[static_cast<int>(info.param)]);
                         }));

}  // namespace
