// Every allocation of an operation is made to fail in turn: the first, then the
// second, and so on until the operation completes. Each time std::bad_alloc
// must reach the caller, nothing may leak (counted here; LeakSanitizer checks
// again in the sanitize build) and the documented state must hold afterwards.
// Also: every form that allocates an implementation object gives its block back
// to where it came from. Built against the library with the pool off and on.
#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONEventWriter.h>
#include <kivJSON/JSONPatch.h>
#include <kivJSON/JSONPrivateImpl.h>
#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include "ReplacedNew.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <new>
#include <sstream>
#include <streambuf>
#include <string>
#include <system_error>
#include <utility>

namespace {

// Allocations still allowed before the injected failure; negative: never fail.
long g_allowed = -1;
bool g_injected = false;
long g_live = 0;  // blocks handed out by operator new and not yet deleted

}  // namespace

void* ReplacedAllocate(size_t size, size_t alignment) {
    if (g_allowed == 0) {
        g_allowed = -1;  // one failure per attempt; cleanup may allocate again
        g_injected = true;
        throw std::bad_alloc();
    }
    if (g_allowed > 0) {
        --g_allowed;
    }
    // Blocks of the unaligned forms lie 16 bytes past a 64-byte boundary, so
    // that one handed out where more alignment was asked for shows.
    void* base = nullptr;
    if (posix_memalign(&base, alignment < 64 ? 64 : alignment, size + 16) != 0) {
        throw std::bad_alloc();
    }
    ++g_live;
    return static_cast<char*>(base) + (alignment == 0 ? 16 : 0);
}

void ReplacedRelease(void* block) noexcept {
    if (block != nullptr) {
        --g_live;
        std::free(static_cast<char*>(block) - reinterpret_cast<uintptr_t>(block) % 64);
    }
}

namespace {

// Every value kind, escapes of each sort, comments, nesting and numbers that
// take the floating-point path.
const char* const kDocument = R"({"null":null,"t":true,"f":false,"neg":-42,
  "max":18446744073709551615,"dbl":3.25,"big":123456789012345678901,"exp":-1.5e-7,
  "str":"plain","esc":"q\"b\\s\/n\nt\tu\u00e9\ud83d\ude00\u0001","utf8":"caf\u00e9",
  "arr":[1,[2,[3,[]]],{}],"obj":{"k\u0041":{"nested":[null,{"x":"y"}]}}, /* block */
  "empty":"",  // line comment
  "list":[0,-0,0.5,1e300,"a","b","c","d","e","f","g","h"]})";

size_t g_totalPoints = 0;
size_t g_testPoints = 0;

// Runs op(state) on a fresh state from make(), with the n-th allocation inside
// op failing, for n = 0, 1, ... until op completes without reaching the failure.
// After each failure check(state) runs with allocation working again. Returns
// the number of failure points.
template <class Make, class Op, class Check>
size_t ForEveryFailurePoint(Make make, Op op, Check check) {
    {
        auto warmUp = make();  // lazy one-time allocations of the run-time libraries
        op(warmUp);
    }
    for (long n = 0;; ++n) {
        auto state = make();
        const long live = g_live;
        g_injected = false;
        g_allowed = n;
        bool threw = false;
        try {
            op(state);
        } catch (const std::bad_alloc&) {
            threw = true;
        } catch (...) {
            g_allowed = -1;
            throw;
        }
        g_allowed = -1;
        if (!g_injected) {
            EXPECT_FALSE(threw);
            g_totalPoints += n;
            g_testPoints += n;
            return n;
        }
        EXPECT_TRUE(threw) << "the failure of allocation " << n << " did not reach the caller";
        EXPECT_EQ(g_live, live) << "blocks leaked after the failure of allocation " << n;
        check(state, n);
        if (::testing::Test::HasFailure()) {
            return n;  // one report per fault is enough
        }
    }
}

class AllocFailure : public ::testing::Test {
protected:
    void TearDown() override {
        std::cout << "failure points covered: " << g_testPoints << "\n";
        g_testPoints = 0;
    }
};

struct NoState {};
auto MakeNothing = [] { return NoState{}; };
auto CheckNothing = [](auto&, long) {};

JsonValue Document() {
    return JsonValue::Parse(std::string(kDocument));
}

// Holds everything written to it without allocating, so that a write cannot fail.
template <class C>
class FixedBuffer : public std::basic_streambuf<C> {
public:
    FixedBuffer() { this->setp(m_storage, m_storage + sizeof m_storage / sizeof(C)); }
    size_t Written() const { return static_cast<size_t>(this->pptr() - this->pbase()); }

private:
    C m_storage[4096];
};

// Every source and both forms; the error-code form leaves ec and the stream as they were.
TEST_F(AllocFailure, ParseEverySource) {
    struct Sources {
        std::string narrow{kDocument};
        std::wstring wide{narrow.begin(), narrow.end()};  // the document is ASCII
        std::istringstream in{narrow};
        std::wistringstream wideIn{wide};
        std::error_code ec{MismatchedBraces, JsonErrorCategory::s_item};
    };
    void (*const parses[])(Sources&) = {
        [](Sources& s) { JsonValue::Parse(s.narrow, s.ec); },
        [](Sources& s) { JsonValue::Parse(s.narrow); },
        [](Sources& s) { JsonValue::Parse(s.in, s.ec); },
        [](Sources& s) { JsonValue::Parse(s.in); },
        [](Sources& s) { JsonValue::Parse(s.wide, s.ec); },
        [](Sources& s) { JsonValue::Parse(s.wideIn, s.ec); },
        [](Sources& s) { JsonValue::Parse(s.wideIn); },
    };
    for (auto parse : parses) {
        const size_t points = ForEveryFailurePoint(
            [] { return std::make_unique<Sources>(); }, [&](auto& s) { parse(*s); },
            [](auto& s, long n) {
                EXPECT_EQ(s->ec.value(), MismatchedBraces)
                    << "ec was assigned although allocation " << n << " failed";
                EXPECT_EQ(s->in.rdstate(), std::ios::goodbit);
            });
        EXPECT_GT(points, KIVJSON_POOL_ON ? 5u : 40u);  // the pool's slots are no points
    }
}

TEST_F(AllocFailure, BuildAndCopyTrees) {
    ForEveryFailurePoint(
        MakeNothing,
        [](NoState&) {
            JsonValue root;
            root["name"] = JsonValue::StringType(std::wstring(L"caf\u00e9 \"quoted\""));
            root["list"][size_t{3}] = JsonValue(2.5);
            root["list"][size_t{0}] = JsonValue::ArrayType({JsonValue(1), JsonValue(-1L)});
            root['c'] = JsonValue::ObjectType({{"k", JsonValue(true)}, {"k", JsonValue()}});
            root[std::string("wide")] = JsonValue::StringType(std::string(40, 'x'), false);
            const JsonValue copy = root;
            EXPECT_TRUE(copy == root);
        },
        CheckNothing);

    const JsonValue source = Document();
    ForEveryFailurePoint(
        MakeNothing,
        [&](NoState&) {
            const JsonValue copy(source);
            const JsonObject object(source.AsObject());
            const JsonArray array(source.At("list").AsArray());
        },
        CheckNothing);
}

TEST_F(AllocFailure, FailedCopyAssignmentLeavesTargetAsItWas) {
    const JsonValue source = Document();
    const std::string before = R"({"old":[1,2,{"x":"y"}]})";
    ForEveryFailurePoint(
        [&] { return JsonValue::Parse(before); }, [&](JsonValue& target) { target = source; },
        [&](JsonValue& target, long n) {
            EXPECT_EQ(target.Serialize(), before) << "after the failure of allocation " << n;
        });
}

TEST_F(AllocFailure, FailedSubscriptLeavesValueAsItWas) {
    struct Case {
        const char* text;
        void (*grow)(JsonValue&);
    } cases[] = {
        {"[1,2]", [](JsonValue& v) { v[size_t{40}] = JsonValue(true); }},
        {"null", [](JsonValue& v) { v[size_t{5}]; }},
        {"null", [](JsonValue& v) { v["key"]; }},
        {R"({"a":1})", [](JsonValue& v) { v[std::string(40, 'k')]; }},
        {R"({"a":1,"b":2,"c":3,"d":4})", [](JsonValue& v) { v['e']; }},
    };
    for (const Case& c : cases) {
        ForEveryFailurePoint([&] { return JsonValue::Parse(std::string(c.text)); }, c.grow,
                             [&](JsonValue& value, long n) {
                                 EXPECT_EQ(value.Serialize(), c.text)
                                     << "after the failure of allocation " << n;
                             });
    }
}

TEST_F(AllocFailure, FailedEditLeavesValueAsItWas) {
    const char* const start = R"({"a":[1,2],"o":{"k":1,"k":2}})";
    void (*const edits[])(JsonValue&) = {
        [](JsonValue& v) { v["a"].Insert(0, v); },
        [](JsonValue& v) { v.Set(std::string(40, 'n'), v["a"]); },
        [](JsonValue& v) {
            JsonPatchApply(
                v, JsonValue::Parse(std::string(
                       R"([{"op":"move","from":"/a/0","path":"/o/m"},)"
                       R"({"op":"copy","from":"/o","path":"/a/-"},)"
                       R"({"op":"remove","path":"/o/k"},{"op":"add","path":"/o/k","value":[]},)"
                       R"({"op":"replace","path":"","value":{"x":[1]}}])")));
        },
        [](JsonValue& v) {
            JsonMergePatchApply(v, JsonValue::Parse(std::string(
                                       R"({"a":null,"o":{"k":null,"n":{"d":[1]}},"z":[2]})")));
        },
    };
    for (const auto& edit : edits) {
        SCOPED_TRACE(&edit - edits);
        ForEveryFailurePoint([&] { return JsonValue::Parse(std::string(start)); }, edit,
                             [&](JsonValue& value, long n) {
                                 EXPECT_EQ(value.Serialize(), start)
                                     << "after the failure of allocation " << n;
                             });
    }
}

TEST_F(AllocFailure, Serialization) {
    const JsonValue tree = Document();
    ForEveryFailurePoint(
        MakeNothing, [&](NoState&) { tree.Serialize(); }, CheckNothing);
    ForEveryFailurePoint(
        MakeNothing,
        [&](NoState&) {
            std::wstring out;
            tree.Format(out);
        },
        CheckNothing);

    // A stream of either width that cannot fail: nothing reaches it on a failure.
    const auto streamed = [&tree](auto character) {
        using C = decltype(character);
        struct Target {
            FixedBuffer<C> buffer;
            std::basic_ostream<C> out{&buffer};
        };
        ForEveryFailurePoint(
            [] { return std::make_unique<Target>(); }, [&](auto& s) { tree.Serialize(s->out); },
            [](auto& s, long n) {
                EXPECT_EQ(s->buffer.Written(), 0u) << "after the failure of allocation " << n;
            });
    };
    streamed(char());
    streamed(wchar_t());

    // The incremental writer's escaped strings: every failure reaches the caller.
    ForEveryFailurePoint(
        MakeNothing,
        [](NoState&) {
            std::string out;
            JsonEventWriter writer(out);
            writer.BeginArray();
            writer.String("tab\there, \"quoted\", \\ and \x01");
            writer.EndArray();
        },
        CheckNothing);

    // Format keeps what it appended before the failure; it must only not leak.
    ForEveryFailurePoint(
        [] {
            std::string out;
            out.reserve(4096);  // no reallocation, so the block count stays put
            return out;
        },
        [&](std::string& out) { tree.Format(out); }, [](std::string&, long) {});
}

class ReportTotal : public ::testing::Environment {
    void TearDown() override {
        std::cout << "allocation failure points covered: " << g_totalPoints << "\n";
    }
};
const auto* const g_reportTotal = ::testing::AddGlobalTestEnvironment(new ReportTotal);

}  // namespace

// --- Allocation forms of the implementation classes ----------------------------
// A global block kept by the class-scope delete is a leak in the count; a pool
// slot given to the global delete makes free() abort (ASan and memcheck, which
// replaces these operators and leaves the count alone, report it too).

// A caller's arena: its own global placement pair.
struct Arena {
    int made = 0, undone = 0;
};
void* operator new(std::size_t size, Arena& arena) {
    return ++arena.made, ::operator new(size);
}
void operator delete(void* block, Arena& arena) noexcept {
    ++arena.undone, ::operator delete(block);
}

namespace {

using _Private::JsonValueTypeImpl;

// The class-scope placement template is not viable where the class's own forms
// are, so it changes no existing call.
template <class Void, class... Args>
struct TemplateTakes : std::false_type {};
template <class... Args>
struct TemplateTakes<
    decltype(void(JsonValueTypeImpl::operator new<Args...>(0, std::declval<Args>()...))), Args...>
    : std::true_type {};
template <class... Args>
constexpr bool kTakes = TemplateTakes<void, Args...>::value;
static_assert(kTakes<Arena&> && !kTakes<const std::nothrow_t&> && !kTakes<std::align_val_t> &&
              !kTakes<std::align_val_t, const std::nothrow_t&> && !kTakes<char*> && !kTakes<int>);

template <size_t Pad, size_t Align>
struct Num : _Private::JsonNumberTypeImpl {
    explicit Num(bool fail) : JsonNumberTypeImpl(fail ? throw std::runtime_error("") : 7) {}
    alignas(Align) char pad[Pad] = {};
};

using Make = JsonValueTypeImpl* (*)(bool fail, Arena&);
template <class T>
constexpr Make kForms[] = {
    [](bool f, Arena&) -> JsonValueTypeImpl* { return new T(f); },
    [](bool f, Arena&) -> JsonValueTypeImpl* { return new (std::nothrow) T(f); },
    [](bool f, Arena&) -> JsonValueTypeImpl* { return ::new T(f); },
    [](bool f, Arena&) -> JsonValueTypeImpl* { return ::new (std::nothrow) T(f); },
    [](bool f, Arena& a) -> JsonValueTypeImpl* { return alignof(T) > 16 ? nullptr : new (a) T(f); },
};

// Small (a pool slot), large (beyond the slots), over-aligned (aligned forms).
TEST(PoolForms, EveryBlockGoesBackWhereItCameFrom) {
    const std::pair<const Make*, size_t> kinds[] = {
        {kForms<Num<8, 8>>, 8}, {kForms<Num<200, 8>>, 8}, {kForms<Num<8, 64>>, 64}};
    for (const auto& [forms, alignment] : kinds) {
        for (size_t form = 0; form < 5; ++form) {
            SCOPED_TRACE(testing::Message() << "alignment " << alignment << ", form " << form);
            const long live = g_live;
            Arena arena;
            const bool arenaForm = form == 4 && alignment <= 16;
            EXPECT_THROW(forms[form](true, arena) || (throw std::runtime_error(""), 0),
                         std::runtime_error);
            if (JsonValueTypeImpl* impl = forms[form](false, arena)) {
                EXPECT_EQ(reinterpret_cast<uintptr_t>(impl) % alignment, 0u);
                const JsonValue value{UniquePtr<JsonValueTypeImpl>(impl)}, copy = value;
                EXPECT_EQ(copy.AsInteger(), 7);
            }
            EXPECT_EQ(arena.made + arena.undone, arenaForm ? 3 : 0);
            EXPECT_EQ(g_live, live);
        }
    }
}

}  // namespace
