// Every way a caller may allocate an implementation object, with the pool on
// and off (one program each): each block must go back to where it came from.
// The replaced global operators count their blocks, so a global block the
// class-scope delete keeps is a leak here; a pool slot given to the global
// delete makes free() abort (or ASan and memcheck report it; memcheck puts its
// own operators in place of these, and the counts then stay unchecked).
#include <kivJSON/JSONPrivateImpl.h>

#include <gtest/gtest.h>

#include "ReplacedNew.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>

long g_live = 0;

// Blocks of the unaligned forms are deliberately 16 bytes past a 64-byte
// boundary, so that one given where alignment was asked for shows.
void* ReplacedAllocate(size_t size, size_t alignment) {
    void* base = nullptr;
    if (posix_memalign(&base, alignment < 64 ? 64 : alignment, size + 16) != 0) {
        throw std::bad_alloc();
    }
    ++g_live;
    return static_cast<char*>(base) + (alignment == 0 ? 16 : 0);
}

void ReplacedRelease(void* block) noexcept {
    g_live -= block != nullptr;
    std::free(static_cast<char*>(block) - reinterpret_cast<uintptr_t>(block) % 64);
}

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
static_assert(TemplateTakes<void, Arena&>::value &&
                  !TemplateTakes<void, const std::nothrow_t&>::value &&
                  !TemplateTakes<void, std::align_val_t, const std::nothrow_t&>::value &&
                  !TemplateTakes<void, std::align_val_t>::value &&
                  !TemplateTakes<void, char*>::value && !TemplateTakes<void, int>::value,
              "");

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
    struct Kind {
        const Make* forms;
        size_t alignment;
    } kinds[] = {{kForms<Num<8, 8>>, 8}, {kForms<Num<200, 8>>, 8}, {kForms<Num<8, 64>>, 64}};
    for (const Kind& kind : kinds) {
        for (size_t form = 0; form < 5; ++form) {
            SCOPED_TRACE(testing::Message() << "alignment " << kind.alignment << ", form " << form);
            const long live = g_live;
            Arena arena;
            const bool arenaForm = form == 4 && kind.alignment <= 16;
            EXPECT_THROW(kind.forms[form](true, arena) || (throw std::runtime_error(""), 0),
                         std::runtime_error);
            if (JsonValueTypeImpl* impl = kind.forms[form](false, arena)) {
                EXPECT_EQ(reinterpret_cast<uintptr_t>(impl) % kind.alignment, 0u);
                const JsonValue value{UniquePtr<JsonValueTypeImpl>(impl)}, copy = value;
                EXPECT_EQ(copy.AsInteger(), 7);
            }
            EXPECT_EQ(arena.made + arena.undone, arenaForm ? 3 : 0);
            EXPECT_EQ(g_live, live);
        }
    }
}

}  // namespace
