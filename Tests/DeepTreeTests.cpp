// Trees built through the value model may be nested far deeper than the parser
// allows; copying, comparing, writing and destroying them must not use the call
// stack per level.
#include <kivJSON/JSONPrivateImpl.h>
#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include <cmath>
#include <new>
#include <string>
#include <vector>

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

// A caller's subclasses nested inside library containers: the walks copy them
// through their CopyValue (made with `new (std::nothrow)`), compare them through
// their virtuals and destroy them through their own destructors.
struct {
    int made, destroyed, copied;
} g_counts;

// With kRounded, reports itself rounded: only a comparison through AsNumber
// sees 2.4 == 2.
template <class Base, bool kRounded = false>
class Counted : public Base {
public:
    template <class... A>
    explicit Counted(A&&... args) : Base(std::forward<A>(args)...) {
        ++g_counts.made;
    }
    Counted(const Counted& other) : Base(other) { ++g_counts.made; }
    ~Counted() override { ++g_counts.destroyed; }
    UniquePtr<_Private::JsonValueTypeImpl> CopyValue() const override {
        ++g_counts.copied;
        return UniquePtr<_Private::JsonValueTypeImpl>(new (std::nothrow) Counted(*this));
    }
    JsonNumber AsNumber() const override {
        if constexpr (kRounded) {
            return std::round(Base::AsDouble());
        }
        return Base::AsNumber();
    }
};
using RoundedNumber = Counted<_Private::JsonNumberTypeImpl, true>;

TEST(CallerSubclass, NestedCopiedComparedAndDestroyedThroughItsVirtuals) {
    g_counts = {};
    {
        std::vector<JsonValue> inner;
        inner.emplace_back(UniquePtr<_Private::JsonValueTypeImpl>(new RoundedNumber(2.4)));
        inner.emplace_back(JsonValue::ArrayType());
        std::vector<JsonValue> outer;
        outer.emplace_back(1);
        outer.emplace_back(UniquePtr<_Private::JsonValueTypeImpl>(
            new Counted<_Private::JsonArrayTypeImpl>(std::move(inner))));
        const JsonValue tree = JsonValue::ArrayType(std::move(outer));
        const JsonValue copy = tree;
        EXPECT_EQ(g_counts.copied, 2);
        EXPECT_EQ(g_counts.made, 4);
        EXPECT_TRUE(copy == tree);
        EXPECT_TRUE(tree == JsonValue::Parse("[1,[2.0,[]]]"));
        EXPECT_FALSE(tree == JsonValue::Parse("[1,[2.4,[]]]"));
        EXPECT_FALSE(JsonValue::Parse("[1,[2.4,[]]]") == tree);  // our number on the left
        EXPECT_FALSE(tree == JsonValue::Parse("[1,[2.0,{}]]"));

        // Inside a short array of ours, which is copied and compared where it is met.
        std::vector<JsonValue> pair;
        pair.emplace_back(UniquePtr<_Private::JsonValueTypeImpl>(new RoundedNumber(2.4)));
        std::vector<JsonValue> pairs;
        pairs.emplace_back(JsonValue::ArrayType(std::move(pair)));
        const JsonValue ours = JsonValue::ArrayType(std::move(pairs));
        const JsonValue oursCopy = ours;
        EXPECT_EQ(g_counts.copied, 3);
        EXPECT_TRUE(oursCopy == ours);
        EXPECT_TRUE(ours == JsonValue::Parse("[[2.0]]"));
        EXPECT_FALSE(JsonValue::Parse("[[2.4]]") == ours);
    }
    EXPECT_EQ(g_counts.destroyed, g_counts.made);
}

}  // namespace
