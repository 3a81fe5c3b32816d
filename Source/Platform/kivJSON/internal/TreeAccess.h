// Internal to the library: direct access to handles and containers for the walks
// that copy, compare, write and destroy trees with an explicit stack.
//
// Trees built through the value model may be nested far deeper than the call
// stack allows (the parser stops at 128 levels, callers do not), so none of
// these operations recurse once per level.
#pragma once

#include <kivJSON/JSONPrivateImpl.h>
#include "PoolCursor.h"

#include <vector>

namespace _Private {

struct JsonTreeAccess {
    static JsonValueTypeImpl* Impl(const JsonValue& value) { return value.m_impl.Get(); }

    // The exact class of an implementation: one of the library's own six, whose
    // operations the walks perform inline, or a caller's subclass (Other), whose
    // virtual operations they call.
    enum class Kind : unsigned char { Null, Bool, Number, String, Array, Object, Other };
    static Kind KindOf(const JsonValueTypeImpl& impl);
    // Whether `impl` is exactly the library's class of `kind`: one comparison,
    // for readers that expect one kind and take any other the slow way.
    static bool IsExactly(const JsonValueTypeImpl& impl, Kind kind);

    static std::vector<JsonValue>& Elements(const JsonValueTypeImpl& array) {
        return const_cast<JsonArray&>(array.AsArray()).m_values;
    }
    static std::vector<JsonObject::Member>& Members(const JsonValueTypeImpl& object) {
        return const_cast<JsonObject&>(object.AsObject()).m_pairs;
    }

    static std::vector<JsonValue>& Elements(JsonArray& array) { return array.m_values; }
    static std::vector<JsonObject::Member>& Members(JsonObject& object) { return object.m_pairs; }
    // The elements of `impl` when it is exactly our array (else null), read
    // directly.
    static const std::vector<JsonValue>* ArrayElements(const JsonValueTypeImpl* impl);

    // The fields of the scalar implementations, for the writer.
    static bool BoolOf(const JsonValueTypeImpl& value) {
        return static_cast<const JsonBoolTypeImpl&>(value).m_value;
    }
    static const JsonNumber& NumberOf(const JsonValueTypeImpl& value) {
        return static_cast<const JsonNumberTypeImpl&>(value).m_number;
    }
    static const std::string& TextOf(const JsonValueTypeImpl& value) {
        return static_cast<const JsonStringTypeImpl&>(value).m_value;
    }
    static bool EscapeFlagOf(const JsonValueTypeImpl& value) {
        return static_cast<const JsonStringTypeImpl&>(value).m_escapeCharsPresent;
    }

    // An array or object with at least one child: the only values a walk must descend into.
    static bool IsNestedContainer(const JsonValue& value) {
        const JsonType type = value.Type();
        return (type == JsonType::Array || type == JsonType::Object) && value.Size() != 0;
    }

    // Gives `slot` (a member's value reserved with a null implementation) its value.
    static void Place(JsonValue& slot, UniquePtr<JsonValueTypeImpl>& impl) { slot.m_impl = impl; }

    // A string value that takes `text` over instead of copying it.
    static UniquePtr<JsonValueTypeImpl> StringTakingText(std::string&& text, bool escapes) {
        UniquePtr<JsonValueTypeImpl> value =
            JsonMakeUnique<JsonStringTypeImpl>(std::string(), escapes);
        static_cast<JsonStringTypeImpl&>(*value).m_value = std::move(text);
        return value;
    }

    // A string value holding a copy of `text`: built apart and moved in, which
    // is cheaper than assign (which also handles overlap).
    static UniquePtr<JsonValueTypeImpl> StringCopying(std::string_view text, bool escapes) {
        return StringTakingText(std::string(text.data(), text.size()), escapes);
    }

    // A new empty array or object, of the type of `container`.
    static UniquePtr<JsonValueTypeImpl> EmptyLike(const JsonValueTypeImpl& container);

    static UniquePtr<JsonValueTypeImpl> CopyTree(const JsonValueTypeImpl& root);
    static bool EqualTrees(const JsonValueTypeImpl& left, const JsonValueTypeImpl& right);
    // JsonValue's operator==.
    static bool EqualValues(const JsonValue& left, const JsonValue& right);
    // Deletes an implementation; the library's own classes without a virtual
    // call, their blocks given back through `pool`.
    static void Destroy(JsonValueTypeImpl* impl, JsonPoolCursor& pool) noexcept;
    // Empties `children` without recursing once per level of the subtrees.
    template <class Children>
    static void ReleaseChildren(Children& children);
    // Destroys every child (see Destroy) and empties `children`.
    template <class Children>
    static void DestroyChildren(Children& children) noexcept;
};

}  // namespace _Private
