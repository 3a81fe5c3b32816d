// Value-model behaviour of the type implementations. Their writers (Format,
// SerializeImpl, GetReservedSize) are in JSONWriter.cpp.
#include <kivJSON/JSONPrivateImpl.h>
#include "internal/StringScan.h"
#include "internal/TreeAccess.h"

#include <kivCore/Conversion.h>

#include <stdexcept>
#include <utility>

namespace _Private {

// --- JsonValueTypeImpl: the answers of a value that is not of the asked type ---

bool JsonValueTypeImpl::HasField(const std::string&) const {
    return false;
}
const JsonValue& JsonValueTypeImpl::GetField(const std::string&) const {
    throw std::invalid_argument("not an object");
}
const JsonValue& JsonValueTypeImpl::GetElement(size_t) const {
    throw std::invalid_argument("not an array");
}
JsonValue& JsonValueTypeImpl::Index(const std::string&) {
    throw std::invalid_argument("not an object");
}
JsonValue& JsonValueTypeImpl::Index(char) {
    throw std::invalid_argument("not an object");
}
JsonValue& JsonValueTypeImpl::Index(size_t) {
    throw std::invalid_argument("not an array");
}
const JsonValue& JsonValueTypeImpl::Index(const std::string&) const {
    throw std::invalid_argument("not an object");
}
const JsonValue& JsonValueTypeImpl::Index(char) const {
    throw std::invalid_argument("not an object");
}
const JsonValue& JsonValueTypeImpl::Index(size_t) const {
    throw std::invalid_argument("not an array");
}
JsonType JsonValueTypeImpl::Type() const {
    return JsonType::Null;
}
bool JsonValueTypeImpl::IsInteger() const {
    throw std::invalid_argument("not a number");
}
bool JsonValueTypeImpl::IsDouble() const {
    throw std::invalid_argument("not a number");
}
JsonNumber JsonValueTypeImpl::AsNumber() const {
    throw std::invalid_argument("not a number");
}
double JsonValueTypeImpl::AsDouble() const {
    throw std::invalid_argument("not a number");
}
int JsonValueTypeImpl::AsInteger() const {
    throw std::invalid_argument("not a number");
}
bool JsonValueTypeImpl::AsBool() const {
    throw std::invalid_argument("not a boolean");
}
JsonArray& JsonValueTypeImpl::AsArray() {
    throw std::invalid_argument("not an array");
}
const JsonArray& JsonValueTypeImpl::AsArray() const {
    throw std::invalid_argument("not an array");
}
JsonObject& JsonValueTypeImpl::AsObject() {
    throw std::invalid_argument("not an object");
}
const JsonObject& JsonValueTypeImpl::AsObject() const {
    throw std::invalid_argument("not an object");
}
std::string JsonValueTypeImpl::AsString() const {
    throw std::invalid_argument("not a string");
}
size_t JsonValueTypeImpl::Size() const {
    return 0;
}
JsonValueTypeImpl::~JsonValueTypeImpl() = default;

// --- Null -------------------------------------------------------------------

UniquePtr<JsonValueTypeImpl> JsonNullTypeImpl::CopyValue() const {
    return JsonMakeUnique<JsonNullTypeImpl>();
}
JsonType JsonNullTypeImpl::Type() const {
    return JsonType::Null;
}
JsonNullTypeImpl::~JsonNullTypeImpl() = default;

// --- Bool ---------------------------------------------------------------------

JsonBoolTypeImpl::JsonBoolTypeImpl(bool value) : m_value(value) {}
UniquePtr<JsonValueTypeImpl> JsonBoolTypeImpl::CopyValue() const {
    return JsonMakeUnique<JsonBoolTypeImpl>(m_value);
}
JsonType JsonBoolTypeImpl::Type() const {
    return JsonType::Bool;
}
bool JsonBoolTypeImpl::AsBool() const {
    return m_value;
}
JsonBoolTypeImpl::~JsonBoolTypeImpl() = default;

// --- Number ---------------------------------------------------------------------

JsonNumberTypeImpl::JsonNumberTypeImpl(int value) : m_number(value) {}
JsonNumberTypeImpl::JsonNumberTypeImpl(unsigned int value) : m_number(value) {}
JsonNumberTypeImpl::JsonNumberTypeImpl(long value) : m_number(value) {}
JsonNumberTypeImpl::JsonNumberTypeImpl(unsigned long value) : m_number(value) {}
JsonNumberTypeImpl::JsonNumberTypeImpl(double value) : m_number(value) {}
JsonNumberTypeImpl::JsonNumberTypeImpl(const JsonNumberTypeImpl& other) = default;

UniquePtr<JsonValueTypeImpl> JsonNumberTypeImpl::CopyValue() const {
    return JsonMakeUnique<JsonNumberTypeImpl>(*this);
}
JsonType JsonNumberTypeImpl::Type() const {
    return JsonType::Number;
}
bool JsonNumberTypeImpl::IsInteger() const {
    return m_number.IsIntegral();
}
bool JsonNumberTypeImpl::IsDouble() const {
    return m_number.m_kind == JsonNumber::Double;
}
JsonNumber JsonNumberTypeImpl::AsNumber() const {
    return m_number;
}
double JsonNumberTypeImpl::AsDouble() const {
    return m_number.AsDouble();
}
int JsonNumberTypeImpl::AsInteger() const {
    return m_number.AsInt32();
}
JsonNumberTypeImpl::~JsonNumberTypeImpl() = default;

// --- String -----------------------------------------------------------------------

JsonStringTypeImpl::JsonStringTypeImpl(const std::string& text)
    : m_value(text), m_escapeCharsPresent(false) {
    m_escapeCharsPresent = EscapeCharsPresent(*this);
}

JsonStringTypeImpl::JsonStringTypeImpl(const std::string& text, bool escapeCharsPresent)
    : m_value(text), m_escapeCharsPresent(escapeCharsPresent) {}

JsonStringTypeImpl::JsonStringTypeImpl(const std::wstring& text)
    : m_value(ConvertTo<std::string, std::wstring>(text)), m_escapeCharsPresent(false) {
    m_escapeCharsPresent = EscapeCharsPresent(*this);
}

JsonStringTypeImpl::JsonStringTypeImpl(const std::wstring& text, bool escapeCharsPresent)
    : m_value(ConvertTo<std::string, std::wstring>(text)),
      m_escapeCharsPresent(escapeCharsPresent) {}

JsonStringTypeImpl::JsonStringTypeImpl(const JsonStringTypeImpl& other)
    : JsonValueTypeImpl(other), m_escapeCharsPresent(false) {
    CopyFrom(other);
}

JsonStringTypeImpl& JsonStringTypeImpl::operator=(const JsonStringTypeImpl& other) {
    if (this != &other) {
        CopyFrom(other);
    }
    return *this;
}

bool JsonStringTypeImpl::EscapeCharsPresent(const JsonStringTypeImpl& value) {
    const char* const end = value.m_value.data() + value.m_value.size();
    return FindStringSpecial(value.m_value.data(), end) != end;
}

void JsonStringTypeImpl::CopyFrom(const JsonStringTypeImpl& other) {
    m_value = other.m_value;
    m_escapeCharsPresent = other.m_escapeCharsPresent;
}

UniquePtr<JsonValueTypeImpl> JsonStringTypeImpl::CopyValue() const {
    return JsonMakeUnique<JsonStringTypeImpl>(*this);
}
JsonType JsonStringTypeImpl::Type() const {
    return JsonType::String;
}
std::string JsonStringTypeImpl::AsString() const {
    return m_value;
}
JsonStringTypeImpl::~JsonStringTypeImpl() = default;

// --- Array ---------------------------------------------------------------------------

JsonArrayTypeImpl::JsonArrayTypeImpl() = default;
JsonArrayTypeImpl::JsonArrayTypeImpl(size_t count) : m_array(count) {}
JsonArrayTypeImpl::JsonArrayTypeImpl(std::vector<JsonValue> values) : m_array(std::move(values)) {}
JsonArrayTypeImpl::JsonArrayTypeImpl(const JsonArrayTypeImpl& other) = default;

bool JsonArrayTypeImpl::IsEqual(const JsonArrayTypeImpl* other) const {
    return JsonTreeAccess::EqualTrees(*this, *other);
}

UniquePtr<JsonValueTypeImpl> JsonArrayTypeImpl::CopyValue() const {
    return JsonTreeAccess::CopyTree(*this);
}
JsonValue& JsonArrayTypeImpl::Index(size_t index) {
    return m_array[index];
}
JsonType JsonArrayTypeImpl::Type() const {
    return JsonType::Array;
}
JsonArray& JsonArrayTypeImpl::AsArray() {
    return m_array;
}
const JsonArray& JsonArrayTypeImpl::AsArray() const {
    return m_array;
}
size_t JsonArrayTypeImpl::Size() const {
    return m_array.Size();
}
JsonArrayTypeImpl::~JsonArrayTypeImpl() {
    JsonTreeAccess::ReleaseChildren(m_array.m_values);
}

// --- Object -----------------------------------------------------------------------------

JsonObjectTypeImpl::JsonObjectTypeImpl() = default;
JsonObjectTypeImpl::JsonObjectTypeImpl(std::vector<std::pair<std::string, JsonValue>> pairs) {
    // The argument is already the caller's deep copy: adopt it instead of copying again.
    m_object.m_pairs = std::move(pairs);
}
JsonObjectTypeImpl::JsonObjectTypeImpl(const JsonObjectTypeImpl& other) = default;

bool JsonObjectTypeImpl::IsEqual(const JsonObjectTypeImpl* other) const {
    return JsonTreeAccess::EqualTrees(*this, *other);
}

UniquePtr<JsonValueTypeImpl> JsonObjectTypeImpl::CopyValue() const {
    return JsonTreeAccess::CopyTree(*this);
}
bool JsonObjectTypeImpl::HasField(const std::string& key) const {
    return m_object.Find(key) != m_object.End();
}
JsonValue& JsonObjectTypeImpl::Index(const std::string& key) {
    return m_object[key];
}
JsonValue& JsonObjectTypeImpl::Index(char key) {
    return m_object[key];
}
JsonType JsonObjectTypeImpl::Type() const {
    return JsonType::Object;
}
JsonObject& JsonObjectTypeImpl::AsObject() {
    return m_object;
}
const JsonObject& JsonObjectTypeImpl::AsObject() const {
    return m_object;
}
size_t JsonObjectTypeImpl::Size() const {
    return m_object.Size();
}
JsonObjectTypeImpl::~JsonObjectTypeImpl() {
    JsonTreeAccess::ReleaseChildren(m_object.m_pairs);
}

}  // namespace _Private
