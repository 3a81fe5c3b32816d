#include <kivJSON/JSONConvert.h>
#include <kivJSON/JSONWriteOptions.h>

#include "internal/TreeAccess.h"

#include <cfloat>
#include <cmath>
#include <vector>

namespace {

class JsonConvertErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "kivJSON convert"; }
    std::string message(int code) const override {
        switch (static_cast<JsonConvertError>(code)) {
            case JsonConvertError::WrongType:
                return "JSON value has the wrong type";
            case JsonConvertError::OutOfRange:
                return "JSON number is out of range for the target";
            case JsonConvertError::MissingMember:
                return "JSON object lacks a required member";
            case JsonConvertError::UnknownMember:
                return "JSON object has a member the target does not know";
            case JsonConvertError::WrongLength:
                return "JSON array has the wrong number of elements";
        }
        return "Unknown JSON conversion error";
    }
};

using _Private::JsonTreeAccess;

// The exact class of `value`'s implementation (Other for a caller's subclass),
// so that the library's own classes are read without virtual calls.
JsonTreeAccess::Kind KindIn(const JsonValue& value) {
    const _Private::JsonValueTypeImpl* impl = JsonTreeAccess::Impl(value);
    return impl != nullptr ? JsonTreeAccess::KindOf(*impl) : JsonTreeAccess::Kind::Null;
}

// Whether `value` holds exactly the library's class of `kind`: the common case,
// tested first with one comparison.
bool Holds(const JsonValue& value, JsonTreeAccess::Kind kind) {
    const _Private::JsonValueTypeImpl* impl = JsonTreeAccess::Impl(value);
    return impl != nullptr && JsonTreeAccess::IsExactly(*impl, kind);
}

// Whether `value` holds a caller's subclass, read through its virtual functions.
bool HoldsOther(const JsonValue& value) {
    return KindIn(value) == JsonTreeAccess::Kind::Other;
}

// The number in `value`, when it holds one.
bool NumberIn(const JsonValue& value, JsonNumber& number) {
    if (Holds(value, JsonTreeAccess::Kind::Number)) {
        number = JsonTreeAccess::NumberOf(*JsonTreeAccess::Impl(value));
        return true;
    }
    if (!HoldsOther(value) || value.Type() != JsonType::Number) {
        return false;
    }
    number = value.AsNumber();
    return true;
}

// A whole double within [low, high): both bounds are powers of two, or zero,
// so they are exact in a double, and NaN fails every comparison.
bool WholeWithin(double value, double low, double high) {
    return value >= low && value < high && std::trunc(value) == value;
}

// Powers of two: the bound just above `max` (max + 1, exact as a double).
double Above(uint64_t max) {
    return 2.0 * static_cast<double>(max / 2 + 1);
}

// Short text of a found value: numbers and strings as JSON, long strings cut.
std::string Describe(const JsonValue& found) {
    switch (found.Type()) {
        case JsonType::Array:
            return "an array of " + std::to_string(found.Size()) +
                   (found.Size() == 1 ? " element" : " elements");
        case JsonType::Object:
            return "an object";
        default:
            break;
    }
    JsonWriteOptions options;
    options.numbers = JsonNumberStyle::Shortest;
    std::string text;
    std::error_code ignored;
    WriteJson(found, text, options, ignored);
    const size_t limit = 40;
    if (text.size() > limit + 2) {
        size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
            --cut;  // not inside a UTF-8 sequence
        }
        text.resize(cut);
        text += "...";
    }
    return text;
}

// RFC 6901: '~' is written "~0" and '/' "~1" in a token.
void AppendToken(std::string& pointer, const std::string& key) {
    pointer += '/';
    for (char c : key) {
        if (c == '~') {
            pointer += "~0";
        } else if (c == '/') {
            pointer += "~1";
        } else {
            pointer += c;
        }
    }
}

}  // namespace

const std::error_category& JsonConvertCategory() noexcept {
    static const JsonConvertErrorCategory category;
    return category;
}

JsonConvertException::JsonConvertException(const JsonConvertResult& result)
    : std::runtime_error(result.message), m_code(result.error), m_pointer(result.pointer) {}
JsonConvertException::JsonConvertException(const JsonConvertException& other) = default;
JsonConvertException& JsonConvertException::operator=(const JsonConvertException& other) = default;
JsonConvertException::~JsonConvertException() = default;

const JsonArray* JsonArrayIn(const JsonValue& value) {
    if (Holds(value, JsonTreeAccess::Kind::Array)) {
        return &static_cast<const _Private::JsonArrayTypeImpl&>(*JsonTreeAccess::Impl(value))
                    .JsonArrayTypeImpl::AsArray();
    }
    return HoldsOther(value) && value.IsArray() ? &value.AsArray() : nullptr;
}

const JsonObject* JsonObjectIn(const JsonValue& value) {
    if (Holds(value, JsonTreeAccess::Kind::Object)) {
        return &static_cast<const _Private::JsonObjectTypeImpl&>(*JsonTreeAccess::Impl(value))
                    .JsonObjectTypeImpl::AsObject();
    }
    return HoldsOther(value) && value.IsObject() ? &value.AsObject() : nullptr;
}

bool JsonReadString(const JsonValue& value, std::string& out) {
    if (Holds(value, JsonTreeAccess::Kind::String)) {
        out = JsonTreeAccess::TextOf(*JsonTreeAccess::Impl(value));
        return true;
    }
    if (HoldsOther(value) && value.IsString()) {
        out = value.AsString();
        return true;
    }
    return false;
}

bool JsonReadSigned(const JsonValue& value, int64_t min, int64_t max, int64_t& out) noexcept {
    JsonNumber number(0);
    if (!NumberIn(value, number)) {
        return false;
    }
    switch (number.GetKind()) {
        case JsonNumber::Int64:
            if (static_cast<int64_t>(number.m_value) < min) {
                return false;
            }
            out = static_cast<int64_t>(number.m_value);
            return true;
        case JsonNumber::Uint64:
            if (number.m_value > static_cast<uint64_t>(max)) {
                return false;
            }
            out = static_cast<int64_t>(number.m_value);
            return true;
        default: {
            const double d = number.AsDouble();
            if (!WholeWithin(d, static_cast<double>(min), Above(static_cast<uint64_t>(max)))) {
                return false;
            }
            out = static_cast<int64_t>(d);
            return true;
        }
    }
}

bool JsonReadUnsigned(const JsonValue& value, uint64_t max, uint64_t& out) noexcept {
    JsonNumber number(0);
    if (!NumberIn(value, number) || number.GetKind() == JsonNumber::Int64) {
        return false;
    }
    if (number.GetKind() == JsonNumber::Uint64) {
        if (number.m_value > max) {
            return false;
        }
        out = number.m_value;
        return true;
    }
    const double d = number.AsDouble();
    if (!WholeWithin(d, 0.0, Above(max))) {
        return false;
    }
    out = static_cast<uint64_t>(d);
    return true;
}

bool JsonReadDouble(const JsonValue& value, double& out) noexcept {
    JsonNumber number(0);
    if (!NumberIn(value, number)) {
        return false;
    }
    out = number.AsDouble();
    return true;
}

bool JsonReadFloat(const JsonValue& value, float& out) noexcept {
    double d = 0;
    // Beyond the largest float a conversion is undefined; infinity and NaN pass.
    if (!JsonReadDouble(value, d) || (std::fabs(d) > FLT_MAX && !std::isinf(d))) {
        return false;
    }
    out = static_cast<float>(d);
    return true;
}

void JsonConvertFail(JsonConvertResult& result, const JsonPathStep* at, JsonConvertError code,
                     std::string_view detail, const JsonValue* found) {
    std::vector<const JsonPathStep*> steps;
    for (; at != nullptr; at = at->parent) {
        steps.push_back(at);
    }
    std::string pointer;
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        if ((*step)->key != nullptr) {
            AppendToken(pointer, *(*step)->key);
        } else {
            pointer += '/';
            pointer += std::to_string((*step)->index);
        }
    }
    std::string message = pointer.empty() ? std::string() : pointer + ": ";
    if (code == JsonConvertError::MissingMember || code == JsonConvertError::UnknownMember) {
        message +=
            code == JsonConvertError::MissingMember ? "missing member \"" : "unknown member \"";
        message.append(detail).append("\"");
    } else {
        message.append("expected ").append(detail).append(", found ");
        message += found != nullptr ? Describe(*found) : std::string("nothing");
    }
    result.error = code;
    result.pointer = std::move(pointer);
    result.message = std::move(message);
}
