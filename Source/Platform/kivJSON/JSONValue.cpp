#include <kivJSON/JSONPrivateImpl.h>
#include <kivJSON/JSONValue.h>
#include "internal/TreeAccess.h"

#include <ostream>
#include <stdexcept>

using _Private::JsonMakeUnique;

// --- Creation ----------------------------------------------------------------

JsonValue::JsonValue() : m_impl(JsonMakeUnique<_Private::JsonNullTypeImpl>()) {}
JsonValue::JsonValue(UniquePtr<_Private::JsonValueTypeImpl> impl) : m_impl(impl) {}
JsonValue::JsonValue(bool value) : m_impl(JsonMakeUnique<_Private::JsonBoolTypeImpl>(value)) {}
JsonValue::JsonValue(int value) : m_impl(JsonMakeUnique<_Private::JsonNumberTypeImpl>(value)) {}
JsonValue::JsonValue(unsigned int value)
    : m_impl(JsonMakeUnique<_Private::JsonNumberTypeImpl>(value)) {}
JsonValue::JsonValue(long value) : m_impl(JsonMakeUnique<_Private::JsonNumberTypeImpl>(value)) {}
JsonValue::JsonValue(unsigned long value)
    : m_impl(JsonMakeUnique<_Private::JsonNumberTypeImpl>(value)) {}
JsonValue::JsonValue(double value)
    : m_impl(JsonMakeUnique<_Private::JsonNumberTypeImpl>(value)) {}

JsonValue JsonValue::NullType() { return JsonValue(); }
JsonValue JsonValue::BoolType(bool value) { return JsonValue(value); }
JsonValue JsonValue::NumberType(int value) { return JsonValue(value); }
JsonValue JsonValue::NumberType(unsigned int value) { return JsonValue(value); }
JsonValue JsonValue::NumberType(long value) { return JsonValue(value); }
JsonValue JsonValue::NumberType(unsigned long value) { return JsonValue(value); }
JsonValue JsonValue::NumberType(double value) { return JsonValue(value); }

JsonValue JsonValue::StringType(const std::string& text) {
    return JsonValue(JsonMakeUnique<_Private::JsonStringTypeImpl>(text));
}
JsonValue JsonValue::StringType(const std::string& text, bool escapeCharsPresent) {
    return JsonValue(JsonMakeUnique<_Private::JsonStringTypeImpl>(text, escapeCharsPresent));
}
JsonValue JsonValue::StringType(const std::wstring& text) {
    return JsonValue(JsonMakeUnique<_Private::JsonStringTypeImpl>(text));
}
JsonValue JsonValue::StringType(const std::wstring& text, bool escapeCharsPresent) {
    return JsonValue(JsonMakeUnique<_Private::JsonStringTypeImpl>(text, escapeCharsPresent));
}

JsonValue JsonValue::ArrayType() {
    return JsonValue(JsonMakeUnique<_Private::JsonArrayTypeImpl>());
}
JsonValue JsonValue::ArrayType(size_t count) {
    return JsonValue(JsonMakeUnique<_Private::JsonArrayTypeImpl>(count));
}
JsonValue JsonValue::ArrayType(std::vector<JsonValue> values) {
    return JsonValue(JsonMakeUnique<_Private::JsonArrayTypeImpl>(std::move(values)));
}
JsonValue JsonValue::ObjectType() {
    return JsonValue(JsonMakeUnique<_Private::JsonObjectTypeImpl>());
}
JsonValue JsonValue::ObjectType(std::vector<std::pair<std::string, JsonValue>> pairs) {
    return JsonValue(JsonMakeUnique<_Private::JsonObjectTypeImpl>(std::move(pairs)));
}

// --- Copy and move -------------------------------------------------------------

JsonValue::JsonValue(const JsonValue& other) : m_impl(other.m_impl->CopyValue()) {}

JsonValue& JsonValue::operator=(const JsonValue& other) {
    if (this != &other) {
        // Copy first: if it throws, this value keeps its old content.
        UniquePtr<_Private::JsonValueTypeImpl> copy = other.m_impl->CopyValue();
        m_impl = copy;
    }
    return *this;
}

JsonValue::JsonValue(JsonValue&& other) noexcept : m_impl(other.m_impl) {}

JsonValue& JsonValue::operator=(JsonValue&& other) noexcept {
    if (this != &other) {
        m_impl.Swap(other.m_impl);
    }
    return *this;
}

JsonValue::~JsonValue() = default;

// --- Queries --------------------------------------------------------------------

JsonType JsonValue::Type() const { return m_impl->Type(); }
JsonType JsonValue::GetType() const { return m_impl->Type(); }

const char* JsonValue::GetTypeString() const {
    switch (Type()) {
        case JsonType::Number:
            return "number";
        case JsonType::Bool:
            return "bool";
        case JsonType::String:
            return "string";
        case JsonType::Object:
            return "object";
        case JsonType::Array:
            return "array";
        case JsonType::Null:
            return "null";
    }
    return "unknown";
}

bool JsonValue::IsNull() const { return Type() == JsonType::Null; }
bool JsonValue::IsBool() const { return Type() == JsonType::Bool; }
bool JsonValue::IsNumber() const { return Type() == JsonType::Number; }
bool JsonValue::IsString() const { return Type() == JsonType::String; }
bool JsonValue::IsArray() const { return Type() == JsonType::Array; }
bool JsonValue::IsObject() const { return Type() == JsonType::Object; }
bool JsonValue::IsInteger() const { return IsNumber() && m_impl->IsInteger(); }
bool JsonValue::IsDouble() const { return IsNumber() && m_impl->IsDouble(); }
size_t JsonValue::Size() const { return m_impl->Size(); }
bool JsonValue::HasField(const std::string& key) const { return m_impl->HasField(key); }

// --- Typed access -----------------------------------------------------------------

JsonNumber JsonValue::AsNumber() const { return m_impl->AsNumber(); }
double JsonValue::AsDouble() const { return m_impl->AsDouble(); }
int JsonValue::AsInteger() const { return m_impl->AsInteger(); }
bool JsonValue::AsBool() const { return m_impl->AsBool(); }
std::string JsonValue::AsString() const { return m_impl->AsString(); }
JsonArray& JsonValue::AsArray() { return m_impl->AsArray(); }
const JsonArray& JsonValue::AsArray() const {
    return static_cast<const _Private::JsonValueTypeImpl&>(*m_impl).AsArray();
}
JsonObject& JsonValue::AsObject() { return m_impl->AsObject(); }
const JsonObject& JsonValue::AsObject() const {
    return static_cast<const _Private::JsonValueTypeImpl&>(*m_impl).AsObject();
}

JsonValue& JsonValue::At(size_t index) { return AsArray().At(index); }
const JsonValue& JsonValue::At(size_t index) const { return AsArray().At(index); }
JsonValue& JsonValue::At(const std::string& key) { return AsObject().At(key); }
const JsonValue& JsonValue::At(const std::string& key) const { return AsObject().At(key); }

// --- Subscripts ---------------------------------------------------------------------

namespace {

// Subscripts a fresh container and adopts it only on success, so a null whose
// subscript throws (length_error, bad_alloc) stays null. The element lives in
// the heap object, so the reference survives the hand-over.
template <class Container, class Key>
JsonValue& PromoteAndIndex(UniquePtr<_Private::JsonValueTypeImpl>& impl, const Key& key) {
    UniquePtr<_Private::JsonValueTypeImpl> promoted = JsonMakeUnique<Container>();
    JsonValue& element = promoted->Index(key);
    impl = promoted;
    return element;
}

}  // namespace

JsonValue& JsonValue::operator[](const std::string& key) {
    if (IsNull()) {
        return PromoteAndIndex<_Private::JsonObjectTypeImpl>(m_impl, key);
    }
    return m_impl->Index(key);
}

JsonValue& JsonValue::operator[](char key) {
    if (IsNull()) {
        return PromoteAndIndex<_Private::JsonObjectTypeImpl>(m_impl, key);
    }
    return m_impl->Index(key);
}

JsonValue& JsonValue::operator[](size_t index) {
    if (IsNull()) {
        return PromoteAndIndex<_Private::JsonArrayTypeImpl>(m_impl, index);
    }
    return m_impl->Index(index);
}

// --- Comparison -----------------------------------------------------------------------

bool JsonValue::operator==(const JsonValue& other) const {
    return _Private::JsonTreeAccess::EqualValues(*this, other);
}

bool JsonValue::operator!=(const JsonValue& other) const { return !(*this == other); }

// --- Writing ---------------------------------------------------------------------------

std::string JsonValue::Serialize() const { return m_impl->ToString(); }

void JsonValue::Serialize(std::ostream& out) const {
    std::string text;
    m_impl->SerializeImpl(text);
    out << text;
}

void JsonValue::Serialize(std::wostream& out) const {
    std::wstring text;
    m_impl->SerializeImpl(text);
    out << text;
}

void JsonValue::Format(std::string& out) const { m_impl->Format(out); }
void JsonValue::Format(std::wstring& out) const { m_impl->Format(out); }
