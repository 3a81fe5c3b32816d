// Helpers shared by the fuzz targets. A broken invariant aborts, which both
// libFuzzer and the plain replay driver report as a failure.
#pragma once

#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONValue.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#define FUZZ_CHECK(condition, what)                                                          \
    do {                                                                                     \
        if (!(condition)) {                                                                  \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, what); \
            std::abort();                                                                    \
        }                                                                                    \
    } while (false)

namespace fuzz {

// What a parse reports: success, or exactly one code 1..10 of our category.
inline bool IsOurFailure(const std::error_code& ec) {
    return &ec.category() == &JsonErrorCategory::s_item && ec.value() >= 1 && ec.value() <= 10;
}

inline bool IsCleared(const std::error_code& ec) {
    return ec.value() == 0 && &ec.category() == &std::system_category();
}

// An error code that a successful parse must overwrite.
inline std::error_code Stale() {
    return std::error_code(NestingTooDeep, JsonErrorCategory::s_item);
}

inline void CheckVerdict(const std::error_code& ec) {
    FUZZ_CHECK(IsCleared(ec) || IsOurFailure(ec), "ec is neither cleared nor one of our codes");
}

inline double DoubleOf(const JsonNumber& number) {
    double value;
    std::memcpy(&value, &number.m_value, sizeof value);
    return value;
}

// Parsed trees are at most 128 containers deep, so plain recursion is fine here.
inline bool HasNonFinite(const JsonValue& value) {
    if (value.IsNumber()) {
        const JsonNumber number = value.AsNumber();
        return number.GetKind() == JsonNumber::Double && !std::isfinite(DoubleOf(number));
    }
    if (value.IsArray()) {
        for (const JsonValue& element : value.AsArray()) {
            if (HasNonFinite(element)) {
                return true;
            }
        }
    }
    if (value.IsObject()) {
        for (const auto& member : value.AsObject()) {
            if (HasNonFinite(member.second)) {
                return true;
            }
        }
    }
    return false;
}

// The number that the written text of `written` reads back as. Doubles are
// printed with 17 significant digits; when that text has neither point nor
// exponent (a whole value below 1e17, negative zero as "-0") it reads back as an
// integer of the same value, with zero of either sign as Uint64 0. Every other
// number reads back exactly, kind and bits.
inline bool NumberSurvivesText(const JsonNumber& written, const JsonNumber& read) {
    if (written.GetKind() != JsonNumber::Double) {
        return read.GetKind() == written.GetKind() && read.m_value == written.m_value;
    }
    const double value = DoubleOf(written);
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    if (std::strpbrk(text, ".eEni") != nullptr) {
        return read.GetKind() == JsonNumber::Double && read.m_value == written.m_value;
    }
    if (value == 0) {
        return read.GetKind() == JsonNumber::Uint64 && read.m_value == 0;
    }
    if (value < 0) {
        return read.GetKind() == JsonNumber::Int64 &&
               static_cast<double>(static_cast<int64_t>(read.m_value)) == value;
    }
    return read.GetKind() == JsonNumber::Uint64 && static_cast<double>(read.m_value) == value;
}

// Equality that allows exactly the number changes of NumberSurvivesText.
inline bool SameAfterText(const JsonValue& written, const JsonValue& read) {
    if (written.Type() != read.Type()) {
        return false;
    }
    switch (written.Type()) {
        case JsonType::Number:
            return NumberSurvivesText(written.AsNumber(), read.AsNumber());
        case JsonType::String:
            return written.AsString() == read.AsString();
        case JsonType::Array: {
            const JsonArray& a = written.AsArray();
            const JsonArray& b = read.AsArray();
            if (a.Size() != b.Size()) {
                return false;
            }
            for (size_t i = 0; i < a.Size(); ++i) {
                if (!SameAfterText(a.At(i), b.At(i))) {
                    return false;
                }
            }
            return true;
        }
        case JsonType::Object: {
            const JsonObject& a = written.AsObject();
            const JsonObject& b = read.AsObject();
            if (a.Size() != b.Size()) {
                return false;
            }
            for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
                if (i->first != j->first || !SameAfterText(i->second, j->second)) {
                    return false;
                }
            }
            return true;
        }
        default:
            return written == read;
    }
}

}  // namespace fuzz
