// Copying, comparing and destroying trees with an explicit stack.
//
// The library's own six implementation classes are recognised by their exact
// class and handled inline, without a virtual call per value. A caller's
// subclass, at any depth, is handled through its own virtual operations
// (CopyValue, Type, As..., its destructor).
#include <kivJSON/JSONPrivateImpl.h>
#include "internal/StackVector.h"
#include "internal/TreeAccess.h"

#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

namespace _Private {

namespace {

// The first word of a polymorphic object is its vtable pointer; objects of one
// exact class share it, a subclass has its own.
const void* VtableOf(const JsonValueTypeImpl& impl) {
    const void* vtable = nullptr;
    std::memcpy(&vtable, static_cast<const void*>(&impl), sizeof vtable);
    return vtable;
}

template <class T, class... Args>
const void* VtableOfClass(Args&&... args) {
    const T sample(std::forward<Args>(args)...);
    return VtableOf(sample);
}

// In the order of JsonTreeAccess::Kind. Filled when the library is loaded; a
// value met before that is treated as a subclass, which is slower but correct.
const void* const g_libraryVtables[] = {
    VtableOfClass<JsonNullTypeImpl>(),    VtableOfClass<JsonBoolTypeImpl>(false),
    VtableOfClass<JsonNumberTypeImpl>(0), VtableOfClass<JsonStringTypeImpl>(std::string(), false),
    VtableOfClass<JsonArrayTypeImpl>(),   VtableOfClass<JsonObjectTypeImpl>(),
};

// Arrays of at most this many elements are copied and compared where they
// are met rather than from the stack of containers still to do.
constexpr size_t kShortArray = 16;

// How far ahead the copy prefetches, in children: the child's node first;
// two steps later, when that node has arrived, the storage of its elements if
// it is a short array of ours (a coordinate pair, say); two steps after that,
// the nodes of its first elements. A pair's three levels then arrive while the
// children before it are copied instead of one after the other (canada's copy
// about 5 % faster).
constexpr size_t kPrefetchNode = 6;
constexpr size_t kPrefetchStorage = 4;
constexpr size_t kPrefetchElements = 2;

// The comparison and the teardown do not ask for the storage and elements
// ahead: the deeper prefetch made them slower (the comparison reads two trees
// at once; a tree torn down just after its parse is still in cache).
constexpr size_t kPrefetchNodeOnly = 4;

void PrefetchNodeAhead(const JsonValue* children, size_t i, size_t count) {
    if (i + kPrefetchNodeOnly < count) {
        __builtin_prefetch(JsonTreeAccess::Impl(children[i + kPrefetchNodeOnly]));
    }
}

// The comparison asks for the line after the node as well. A parse and a copy
// make a short array's elements right after its node in the pool (a pair and
// its two numbers take 96 bytes), so that line holds the numbers the
// comparison reads next without waiting for the elements' storage to arrive
// (canada's equality about 4 % faster; the teardown and the copy gained nothing
// measurable).
void PrefetchNodeAndNextLineAhead(const JsonValue* children, size_t i, size_t count) {
    if (i + kPrefetchNodeOnly < count) {
        const char* node =
            reinterpret_cast<const char*>(JsonTreeAccess::Impl(children[i + kPrefetchNodeOnly]));
        __builtin_prefetch(node);
        __builtin_prefetch(node + 64);
    }
}

// For the copy at child `i` of `count`: asks for the children ahead, and for
// the elements of those that are short arrays of ours, while this one is
// copied.
void PrefetchAhead(const JsonValue* children, size_t i, size_t count) {
    using Access = JsonTreeAccess;
    // The elements of the child `ahead` steps on when it is an array of ours.
    const auto arrayAhead = [&](size_t ahead) -> const std::vector<JsonValue>* {
        return i + ahead < count ? Access::ArrayElements(Access::Impl(children[i + ahead]))
                                 : nullptr;
    };
    if (i + kPrefetchNode < count) {
        __builtin_prefetch(Access::Impl(children[i + kPrefetchNode]));
    }
    if (const std::vector<JsonValue>* elements = arrayAhead(kPrefetchStorage)) {
        __builtin_prefetch(elements->data());
    }
    if (const std::vector<JsonValue>* elements = arrayAhead(kPrefetchElements)) {
        const size_t size = elements->size();
        if (size != 0) {
            __builtin_prefetch(Access::Impl((*elements)[0]));
        }
        if (size > 1) {
            __builtin_prefetch(Access::Impl((*elements)[1]));
        }
    }
}

template <class T>
void DestroyExact(JsonValueTypeImpl* impl, JsonPoolCursor& pool) noexcept {
    T* object = static_cast<T*>(impl);
    object->T::~T();
    pool.Delete(object);
}

}  // namespace

JsonTreeAccess::Kind JsonTreeAccess::KindOf(const JsonValueTypeImpl& impl) {
    // The most frequent first: documents are mostly numbers and strings, in
    // objects and arrays.
    static constexpr Kind kByFrequency[] = {Kind::Number, Kind::String, Kind::Object,
                                            Kind::Array,  Kind::Bool,   Kind::Null};
    const void* vtable = VtableOf(impl);
    for (const Kind kind : kByFrequency) {
        if (vtable == g_libraryVtables[static_cast<unsigned>(kind)]) {
            return kind;
        }
    }
    return Kind::Other;
}

bool JsonTreeAccess::IsExactly(const JsonValueTypeImpl& impl, Kind kind) {
    return VtableOf(impl) == g_libraryVtables[static_cast<unsigned>(kind)];
}

const std::vector<JsonValue>* JsonTreeAccess::ArrayElements(const JsonValueTypeImpl* impl) {
    if (impl == nullptr || !IsExactly(*impl, Kind::Array)) {
        return nullptr;
    }
    return &static_cast<const JsonArrayTypeImpl*>(impl)->m_array.m_values;
}

namespace {

// Deletes one value: ours without a virtual call, a caller's through its
// virtual destructor. A container's destructor releases its children.
void DestroyOne(JsonValueTypeImpl* impl, JsonPoolCursor& pool) noexcept {
    switch (JsonTreeAccess::KindOf(*impl)) {
        case JsonTreeAccess::Kind::Null:
            return DestroyExact<JsonNullTypeImpl>(impl, pool);
        case JsonTreeAccess::Kind::Bool:
            return DestroyExact<JsonBoolTypeImpl>(impl, pool);
        case JsonTreeAccess::Kind::Number:
            return DestroyExact<JsonNumberTypeImpl>(impl, pool);
        case JsonTreeAccess::Kind::String:
            return DestroyExact<JsonStringTypeImpl>(impl, pool);
        case JsonTreeAccess::Kind::Array:
            return DestroyExact<JsonArrayTypeImpl>(impl, pool);
        case JsonTreeAccess::Kind::Object:
            return DestroyExact<JsonObjectTypeImpl>(impl, pool);
        case JsonTreeAccess::Kind::Other:
            break;
    }
    delete impl;
}

}  // namespace

void JsonTreeAccess::Destroy(JsonValueTypeImpl* impl, JsonPoolCursor& pool) noexcept {
    if (impl == nullptr) {
        return;
    }
    // A short array of ours is emptied here, in its parent's loop and through
    // its cursor; its destructor then finds nothing to release. Its elements
    // go through DestroyOne, so nested containers still recurse only through
    // ReleaseChildren, which counts the depth.
    if (IsExactly(*impl, Kind::Array)) {
        std::vector<JsonValue>& elements = static_cast<JsonArrayTypeImpl*>(impl)->m_array.m_values;
        if (elements.size() <= kShortArray) {
            for (JsonValue& element : elements) {
                JsonValueTypeImpl* child = element.m_impl.Release();
                if (child == nullptr) {
                    continue;
                }
                if (IsExactly(*child, Kind::Number)) {
                    static_assert(std::is_trivially_destructible_v<JsonNumber>);
                    pool.Delete(child);  // a number's destructor does nothing
                } else {
                    DestroyOne(child, pool);
                }
            }
            elements.clear();
        }
        return DestroyExact<JsonArrayTypeImpl>(impl, pool);
    }
    DestroyOne(impl, pool);
}

UniquePtr<JsonValueTypeImpl> JsonTreeAccess::EmptyLike(const JsonValueTypeImpl& container) {
    if (container.Type() == JsonType::Array) {
        return JsonMakeUnique<JsonArrayTypeImpl>();
    }
    return JsonMakeUnique<JsonObjectTypeImpl>();
}

UniquePtr<JsonValueTypeImpl> JsonTreeAccess::CopyTree(const JsonValueTypeImpl& root) {
    struct Pending {
        const JsonValueTypeImpl* source;
        JsonValueTypeImpl* copy;  // empty so far, owned by its parent in the copy
    };
    UniquePtr<JsonValueTypeImpl> result = EmptyLike(root);
    StackVector<Pending, 64> pending;
    pending.push_back({&root, result.Get()});
    JsonPoolCursor pool;

    // Scalars and empty containers are copied on the spot; nested containers are
    // created empty, attached, and filled when their turn comes.
    auto copyChild = [&pending, &pool](const JsonValue& child) {
        const JsonValueTypeImpl& source = *Impl(child);
        UniquePtr<JsonValueTypeImpl> copy;
        switch (KindOf(source)) {
            case Kind::Null:
                copy = pool.Make<JsonNullTypeImpl>();
                break;
            case Kind::Bool:
                copy = pool.Make<JsonBoolTypeImpl>(
                    static_cast<const JsonBoolTypeImpl&>(source).m_value);
                break;
            case Kind::Number:
                copy =
                    pool.Make<JsonNumberTypeImpl>(static_cast<const JsonNumberTypeImpl&>(source));
                break;
            case Kind::String:
                copy =
                    pool.Make<JsonStringTypeImpl>(static_cast<const JsonStringTypeImpl&>(source));
                break;
            case Kind::Array:
                copy = pool.Make<JsonArrayTypeImpl>();
                if (!static_cast<const JsonArrayTypeImpl&>(source).m_array.m_values.empty()) {
                    pending.push_back({&source, copy.Get()});
                }
                break;
            case Kind::Object:
                copy = pool.Make<JsonObjectTypeImpl>();
                if (!static_cast<const JsonObjectTypeImpl&>(source).m_object.m_pairs.empty()) {
                    pending.push_back({&source, copy.Get()});
                }
                break;
            case Kind::Other:
                copy = source.CopyValue();
                break;
        }
        return JsonValue(copy);
    };
    // Fills `copy` with `copyOne`'s copies of the elements of `source`; a
    // short array's are too few to prefetch.
    auto fillElements = [](const std::vector<JsonValue>& source, std::vector<JsonValue>& copy,
                           auto& copyOne, bool prefetch) {
        const size_t count = source.size();
        copy.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            if (prefetch) {
                PrefetchAhead(source.data(), i, count);
            }
            copy.push_back(copyOne(source[i]));
        }
    };
    // A short array of ours is filled on the spot, in order (see elementsEqual
    // in EqualTrees); its own containers still wait on the stack.
    auto copyElement = [&copyChild, &fillElements, &pool](const JsonValue& child) {
        const std::vector<JsonValue>* elements = ArrayElements(Impl(child));
        if (elements != nullptr && elements->size() <= kShortArray) {
            UniquePtr<JsonValueTypeImpl> copy = pool.Make<JsonArrayTypeImpl>();
            fillElements(*elements, Elements(*copy), copyChild, false);
            return JsonValue(copy);
        }
        return copyChild(child);
    };

    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();
        if (next.source->Type() == JsonType::Array) {
            fillElements(Elements(*next.source), Elements(*next.copy), copyElement, true);
        } else {
            const std::vector<JsonObject::Member>& source = Members(*next.source);
            std::vector<JsonObject::Member>& copy = Members(*next.copy);
            copy.reserve(source.size());
            for (const JsonObject::Member& member : source) {
                copy.emplace_back(member.first, copyElement(member.second));
            }
        }
    }
    return result;
}

namespace {

// The comparison through the virtual operations, for values of which at least
// one is a caller's subclass.
bool EqualThroughInterface(const JsonValue& a, const JsonValue& b) {
    const JsonType type = a.Type();
    if (type != b.Type()) {
        return false;
    }
    switch (type) {
        case JsonType::Null:
            return true;
        case JsonType::Bool:
            return a.AsBool() == b.AsBool();
        case JsonType::Number:
            return a.AsNumber() == b.AsNumber();
        case JsonType::String:
            return a.AsString() == b.AsString();
        case JsonType::Array:
        case JsonType::Object:
            return JsonTreeAccess::EqualTrees(*JsonTreeAccess::Impl(a), *JsonTreeAccess::Impl(b));
    }
    return false;
}

}  // namespace

[[gnu::flatten]] bool JsonTreeAccess::EqualTrees(const JsonValueTypeImpl& left,
                                                 const JsonValueTypeImpl& right) {
    // `kind` is Array or Object when both are exactly that class of ours (their
    // children are read directly), Other when either is a caller's subclass
    // (read through the virtual Size, Type and AsArray/AsObject).
    struct Pending {
        const JsonValueTypeImpl* a;
        const JsonValueTypeImpl* b;
        Kind kind;
    };
    const Kind rootKind = KindOf(left);
    StackVector<Pending, 64> pending;
    pending.push_back(
        {&left, &right,
         (rootKind == Kind::Array || rootKind == Kind::Object) && KindOf(right) == rootKind
             ? rootKind
             : Kind::Other});

    // Scalars are compared on the spot, containers later.
    auto childrenEqual = [&pending](const JsonValue& a, const JsonValue& b) {
        const JsonValueTypeImpl& x = *Impl(a);
        const JsonValueTypeImpl& y = *Impl(b);
        // One class test: a value of ours has the same class as its equal twin.
        const Kind kind = KindOf(x);
        if (kind == Kind::Other || VtableOf(y) != VtableOf(x)) {
            if (kind != Kind::Other && KindOf(y) != Kind::Other) {
                return false;  // two of our classes, two different types
            }
            const JsonType type = a.Type();
            if ((type == JsonType::Array || type == JsonType::Object) && type == b.Type()) {
                if (&x != &y) {
                    pending.push_back({&x, &y, Kind::Other});
                }
                return true;
            }
            return EqualThroughInterface(a, b);
        }
        switch (kind) {
            case Kind::Bool:
                return static_cast<const JsonBoolTypeImpl&>(x).m_value ==
                       static_cast<const JsonBoolTypeImpl&>(y).m_value;
            case Kind::Number:
                return static_cast<const JsonNumberTypeImpl&>(x).m_number ==
                       static_cast<const JsonNumberTypeImpl&>(y).m_number;
            case Kind::String:
                return static_cast<const JsonStringTypeImpl&>(x).m_value ==
                       static_cast<const JsonStringTypeImpl&>(y).m_value;
            case Kind::Array:
            case Kind::Object:
                if (&x != &y) {
                    pending.push_back({&x, &y, kind});
                }
                return true;
            case Kind::Null:
            case Kind::Other:
                break;
        }
        return true;
    };
    // Whether `as` and `bs` have as many elements, each pair equal by
    // `equalOne`; a short array's are too few to prefetch.
    auto elementsMatch = [](const std::vector<JsonValue>& as, const std::vector<JsonValue>& bs,
                            auto& equalOne, bool prefetch) {
        // Read once: equalOne's pushes could change them, as far as the compiler knows.
        const size_t count = as.size();
        if (count != bs.size()) {
            return false;
        }
        const JsonValue* const aData = as.data();
        const JsonValue* const bData = bs.data();
        for (size_t i = 0; i < count; ++i) {
            if (prefetch) {
                PrefetchNodeAndNextLineAhead(aData, i, count);
                PrefetchNodeAndNextLineAhead(bData, i, count);
            }
            if (!equalOne(aData[i], bData[i])) {
                return false;
            }
        }
        return true;
    };
    // A short array of ours (a coordinate pair, say) is compared on the spot
    // too, in order. Left on the stack it would be reached in reverse order,
    // after its neighbours had left the cache. Its own containers still wait
    // on the stack, so nothing recurses.
    auto elementsEqual = [&childrenEqual, &elementsMatch](const JsonValue& a, const JsonValue& b) {
        const JsonValueTypeImpl& x = *Impl(a);
        const JsonValueTypeImpl& y = *Impl(b);
        if (IsExactly(x, Kind::Array) && VtableOf(y) == VtableOf(x)) {
            const std::vector<JsonValue>& as =
                static_cast<const JsonArrayTypeImpl&>(x).m_array.m_values;
            if (as.size() <= kShortArray) {
                return elementsMatch(as, static_cast<const JsonArrayTypeImpl&>(y).m_array.m_values,
                                     childrenEqual, false);
            }
        }
        return childrenEqual(a, b);
    };

    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();
        const JsonValueTypeImpl* a = next.a;
        const JsonValueTypeImpl* b = next.b;
        // Arrays compare their element counts below, whatever a caller's Size says.
        if (next.kind == Kind::Other && a->Type() == JsonType::Object && a->Size() != b->Size()) {
            return false;
        }
        if (next.kind == Kind::Array ||
            (next.kind == Kind::Other && a->Type() == JsonType::Array)) {
            const std::vector<JsonValue>& as =
                next.kind == Kind::Array
                    ? static_cast<const JsonArrayTypeImpl*>(a)->m_array.m_values
                    : Elements(*a);
            const std::vector<JsonValue>& bs =
                next.kind == Kind::Array
                    ? static_cast<const JsonArrayTypeImpl*>(b)->m_array.m_values
                    : Elements(*b);
            if (!elementsMatch(as, bs, elementsEqual, true)) {
                return false;
            }
        } else {
            const std::vector<JsonObject::Member>& as =
                next.kind == Kind::Object
                    ? static_cast<const JsonObjectTypeImpl*>(a)->m_object.m_pairs
                    : Members(*a);
            const std::vector<JsonObject::Member>& bs =
                next.kind == Kind::Object
                    ? static_cast<const JsonObjectTypeImpl*>(b)->m_object.m_pairs
                    : Members(*b);
            const size_t count = as.size();
            if (count != bs.size()) {
                return false;
            }
            const JsonObject::Member* const aData = as.data();
            const JsonObject::Member* const bData = bs.data();
            for (size_t i = 0; i < count; ++i) {
                if (aData[i].first != bData[i].first ||
                    !elementsEqual(aData[i].second, bData[i].second)) {
                    return false;
                }
            }
        }
    }
    return true;
}

bool JsonTreeAccess::EqualValues(const JsonValue& left, const JsonValue& right) {
    if (Impl(left) == Impl(right)) {
        return true;
    }
    // The root is compared as the child of a one-element array would be.
    const Kind kind = KindOf(*Impl(left));
    if (kind == Kind::Other || kind != KindOf(*Impl(right))) {
        return EqualThroughInterface(left, right);
    }
    switch (kind) {
        case Kind::Null:
            return true;
        case Kind::Bool:
            return static_cast<const JsonBoolTypeImpl&>(*Impl(left)).m_value ==
                   static_cast<const JsonBoolTypeImpl&>(*Impl(right)).m_value;
        case Kind::Number:
            return static_cast<const JsonNumberTypeImpl&>(*Impl(left)).m_number ==
                   static_cast<const JsonNumberTypeImpl&>(*Impl(right)).m_number;
        case Kind::String:
            return static_cast<const JsonStringTypeImpl&>(*Impl(left)).m_value ==
                   static_cast<const JsonStringTypeImpl&>(*Impl(right)).m_value;
        case Kind::Array:
        case Kind::Object:
        case Kind::Other:
            break;
    }
    return EqualTrees(*Impl(left), *Impl(right));
}

namespace {

// Destruction recurses normally (and allocates nothing) down to this depth;
// below it, nested containers are emptied through a worklist.
constexpr unsigned kRecursiveTeardownDepth = 256;
thread_local unsigned t_teardownDepth = 0;

JsonValue& ChildValue(JsonValue& element) {
    return element;
}
JsonValue& ChildValue(JsonObject::Member& member) {
    return member.second;
}

// Moves the nested containers among `children` to `pending`. If the worklist
// cannot grow, a child simply stays and is destroyed by recursion.
template <class Children>
void DetachNestedContainers(Children& children, std::vector<JsonValue>& pending) noexcept {
    for (auto& child : children) {
        JsonValue& value = ChildValue(child);
        if (JsonTreeAccess::Impl(value) != nullptr && JsonTreeAccess::IsNestedContainer(value)) {
            try {
                pending.push_back(std::move(value));
            } catch (...) {
            }
        }
    }
}

}  // namespace

template <class Children>
void JsonTreeAccess::DestroyChildren(Children& children) noexcept {
    JsonPoolCursor pool;
    const size_t count = children.size();
    for (size_t i = 0; i < count; ++i) {
        if constexpr (std::is_same_v<Children, std::vector<JsonValue>>) {
            PrefetchNodeAhead(children.data(), i, count);
        }
        Destroy(ChildValue(children[i]).m_impl.Release(), pool);
    }
    children.clear();
}

namespace {

// Below the recursion's depth: the nested containers go to a worklist. Out of
// line, so that the common case keeps no worklist (nor a stack guard) of its own.
template <class Children>
[[gnu::noinline]] void ReleaseChildrenDeep(Children& children) {
    std::vector<JsonValue> pending;
    DetachNestedContainers(children, pending);
    JsonTreeAccess::DestroyChildren(children);
    while (!pending.empty()) {
        JsonValue next = std::move(pending.back());
        pending.pop_back();
        if (next.Type() == JsonType::Array) {
            DetachNestedContainers(JsonTreeAccess::Elements(*JsonTreeAccess::Impl(next)), pending);
        } else {
            DetachNestedContainers(JsonTreeAccess::Members(*JsonTreeAccess::Impl(next)), pending);
        }
    }  // `next` is destroyed here, its nested containers already detached
}

}  // namespace

template <class Children>
void JsonTreeAccess::ReleaseChildren(Children& children) {
    if (children.empty()) {
        return;
    }
    if (t_teardownDepth < kRecursiveTeardownDepth) {
        ++t_teardownDepth;
        DestroyChildren(children);
        --t_teardownDepth;
        return;
    }
    ReleaseChildrenDeep(children);
}

}  // namespace _Private
