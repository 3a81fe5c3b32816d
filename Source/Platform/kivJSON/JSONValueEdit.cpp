// Extensions of JsonValue: creation from text and 64-bit integers, the editing
// operations, and the literal-style factories.
#include <kivJSON/JSONPrivateImpl.h>
#include <kivJSON/JSONValue.h>
#include "internal/StringScan.h"
#include "internal/TreeAccess.h"

#include <cstring>
#include <stdexcept>

namespace {

using _Private::JsonValueTypeImpl;

static_assert(sizeof(long long) == sizeof(long) && sizeof(unsigned long long) == sizeof(long),
              "long long takes the path of long");

UniquePtr<JsonValueTypeImpl> StringFrom(const char* text, size_t size) {
    const bool escapes = _Private::FindStringSpecial(text, text + size) != text + size;
    return _Private::JsonMakeUnique<_Private::JsonStringTypeImpl>(std::string(text, size), escapes);
}

UniquePtr<JsonValueTypeImpl> StringFrom(const char* text) {
    if (text == nullptr) {
        throw std::invalid_argument("null text");
    }
    return StringFrom(text, std::strlen(text));
}

// Runs `edit` on the container of `impl`, or, when `impl` is a null, on a new
// empty `Container` that replaces the null only once `edit` has succeeded.
template <class Container, class Edit>
JsonValue& PromoteAndEdit(UniquePtr<JsonValueTypeImpl>& impl, Edit edit) {
    if (impl->Type() != JsonType::Null) {
        return edit(*impl);
    }
    UniquePtr<JsonValueTypeImpl> promoted = _Private::JsonMakeUnique<Container>();
    JsonValue& result = edit(*promoted);
    impl = promoted;
    return result;
}

}  // namespace

JsonValue::JsonValue(const char* text) : m_impl(StringFrom(text)) {}
JsonValue::JsonValue(const std::string& text) : m_impl(StringFrom(text.data(), text.size())) {}
JsonValue::JsonValue(std::string&& text) {
    const bool escapes = _Private::FindStringSpecial(text.data(), text.data() + text.size()) !=
                         text.data() + text.size();
    m_impl = _Private::JsonTreeAccess::StringTakingText(std::move(text), escapes);
}
JsonValue::JsonValue(std::string_view text) : m_impl(StringFrom(text.data(), text.size())) {}
JsonValue::JsonValue(long long value) : JsonValue(static_cast<long>(value)) {}
JsonValue::JsonValue(unsigned long long value) : JsonValue(static_cast<unsigned long>(value)) {}

JsonValue& JsonValue::PushBack(JsonValue value) {
    return PromoteAndEdit<_Private::JsonArrayTypeImpl>(
        m_impl, [&value](JsonValueTypeImpl& impl) -> JsonValue& {
            return impl.AsArray().PushBack(std::move(value));
        });
}

JsonValue& JsonValue::Insert(size_t index, JsonValue value) {
    return PromoteAndEdit<_Private::JsonArrayTypeImpl>(
        m_impl, [index, &value](JsonValueTypeImpl& impl) -> JsonValue& {
            return impl.AsArray().Insert(index, std::move(value));
        });
}

JsonValue& JsonValue::Append(std::string key, JsonValue value) {
    return PromoteAndEdit<_Private::JsonObjectTypeImpl>(
        m_impl, [&key, &value](JsonValueTypeImpl& impl) -> JsonValue& {
            return impl.AsObject().Append(std::move(key), std::move(value));
        });
}

JsonValue& JsonValue::Set(std::string key, JsonValue value) {
    return PromoteAndEdit<_Private::JsonObjectTypeImpl>(
        m_impl, [&key, &value](JsonValueTypeImpl& impl) -> JsonValue& {
            return impl.AsObject().Set(std::move(key), std::move(value));
        });
}

void JsonValue::Erase(size_t index) {
    AsArray().Erase(index);
}
size_t JsonValue::Erase(const std::string& key) {
    return AsObject().Erase(key);
}
size_t JsonValue::EraseAll(const std::string& key) {
    return AsObject().EraseAll(key);
}
JsonValue JsonValue::Take(size_t index) {
    return AsArray().Take(index);
}
JsonValue JsonValue::Take(const std::string& key) {
    return AsObject().Take(key);
}

JsonValue JsonArrayOf(std::initializer_list<JsonValue> values) {
    JsonValue array = JsonValue::ArrayType();
    JsonArray& elements = array.AsArray();
    elements.Reserve(values.size());
    for (const JsonValue& value : values) {
        elements.PushBack(value);
    }
    return array;
}

JsonValue JsonObjectOf(std::initializer_list<std::pair<std::string, JsonValue>> members) {
    JsonValue object = JsonValue::ObjectType();
    JsonObject& pairs = object.AsObject();
    pairs.Reserve(members.size());
    for (const std::pair<std::string, JsonValue>& member : members) {
        pairs.Append(member.first, member.second);
    }
    return object;
}
