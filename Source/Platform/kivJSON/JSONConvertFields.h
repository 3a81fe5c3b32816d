// Structs by a list of their fields, enumerations by a list of their names,
// and the default converter that picks these or a caller's own hooks.
// Included by <kivJSON/JSONConvert.h>.
#pragma once

#include <kivJSON/JSONConvert.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

// A struct's fields, converted both ways with the field names as keys:
//   struct Venue { std::string name; int seats = 0; std::optional<std::string> url; };
//   KIVJSON_FIELDS(Venue, name, KIVJSON_DEFAULT(seats), url)
// The line goes inside the struct (in a public part) or after it in the same
// namespace. Reading, a member absent from the object is an error unless its
// field is a std::optional (it becomes nullopt) or marked KIVJSON_DEFAULT (it
// keeps the value a new struct has).
#define KIVJSON_FIELDS(Type, ...)                                                               \
    static constexpr auto KivJsonFields(const Type*) {                                          \
        return std::make_tuple(KIVJSON_PP_CAT(KIVJSON_PP_EACH_, KIVJSON_PP_COUNT(__VA_ARGS__))( \
            KIVJSON_PP_FIELD, Type, __VA_ARGS__));                                              \
    }
#define KIVJSON_DEFAULT(field) (field)

// An enumeration read and written by the names of its enumerators instead of
// its integer values; the line goes after the enumeration, at namespace scope:
//   enum class Side { Buy, Sell };
//   KIVJSON_ENUM_NAMES(Side, Buy, Sell)
#define KIVJSON_ENUM_NAMES(Type, ...)                                                        \
    static constexpr auto KivJsonEnumNames(const Type*) {                                    \
        return std::array<std::pair<Type, std::string_view>, KIVJSON_PP_COUNT(__VA_ARGS__)>{ \
            {KIVJSON_PP_CAT(KIVJSON_PP_EACH_, KIVJSON_PP_COUNT(__VA_ARGS__))(                \
                KIVJSON_PP_ENUMERATOR, Type, __VA_ARGS__)}};                                 \
    }

// The machinery of the two macros: a field in parentheses (KIVJSON_DEFAULT)
// keeps its default.
#define KIVJSON_PP_CAT(a, b) KIVJSON_PP_CAT_(a, b)
#define KIVJSON_PP_CAT_(a, b) a##b
#define KIVJSON_PP_SECOND(a, b, ...) b
#define KIVJSON_PP_IS_PAREN(x) KIVJSON_PP_IS_PAREN_(KIVJSON_PP_PROBE x, 0, )
#define KIVJSON_PP_IS_PAREN_(...) KIVJSON_PP_SECOND(__VA_ARGS__)
#define KIVJSON_PP_PROBE(...) ~, 1
#define KIVJSON_PP_STRIP(x) x
#define KIVJSON_PP_FIELD(Type, field) \
    KIVJSON_PP_CAT(KIVJSON_PP_FIELD_, KIVJSON_PP_IS_PAREN(field))(Type, field)
#define KIVJSON_PP_FIELD_0(Type, field) JsonMakeField(#field, &Type::field, false)
#define KIVJSON_PP_FIELD_1(Type, field) KIVJSON_PP_FIELD_KEEP(Type, KIVJSON_PP_STRIP field)
#define KIVJSON_PP_FIELD_KEEP(Type, field) KIVJSON_PP_FIELD_KEEP_(Type, field)
#define KIVJSON_PP_FIELD_KEEP_(Type, field) JsonMakeField(#field, &Type::field, true)
#define KIVJSON_PP_ENUMERATOR(Type, name) std::pair<Type, std::string_view>(Type::name, #name)
#define KIVJSON_PP_EACH_1(m, t, a) m(t, a)
#define KIVJSON_PP_EACH_2(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_1(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_3(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_2(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_4(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_3(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_5(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_4(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_6(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_5(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_7(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_6(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_8(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_7(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_9(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_8(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_10(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_9(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_11(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_10(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_12(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_11(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_13(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_12(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_14(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_13(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_15(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_14(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_16(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_15(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_17(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_16(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_18(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_17(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_19(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_18(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_20(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_19(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_21(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_20(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_22(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_21(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_23(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_22(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_24(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_23(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_25(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_24(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_26(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_25(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_27(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_26(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_28(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_27(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_29(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_28(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_30(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_29(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_31(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_30(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_32(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_31(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_33(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_32(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_34(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_33(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_35(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_34(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_36(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_35(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_37(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_36(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_38(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_37(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_39(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_38(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_40(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_39(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_41(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_40(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_42(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_41(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_43(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_42(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_44(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_43(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_45(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_44(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_46(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_45(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_47(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_46(m, t, __VA_ARGS__)
#define KIVJSON_PP_EACH_48(m, t, a, ...) m(t, a), KIVJSON_PP_EACH_47(m, t, __VA_ARGS__)
#define KIVJSON_PP_COUNT(...)                                                                      \
    KIVJSON_PP_COUNT_N(__VA_ARGS__, 48, 47, 46, 45, 44, 43, 42, 41, 40, 39, 38, 37, 36, 35, 34,    \
                       33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, \
                       14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)
#define KIVJSON_PP_COUNT_N(_1, _2, _3, _4, _5, _6, _7, _8, _9, _10, _11, _12, _13, _14, _15, _16, \
                           _17, _18, _19, _20, _21, _22, _23, _24, _25, _26, _27, _28, _29, _30,  \
                           _31, _32, _33, _34, _35, _36, _37, _38, _39, _40, _41, _42, _43, _44,  \
                           _45, _46, _47, _48, count, ...)                                        \
    count

template <class T, class M>
struct JsonField {
    using Member = M;
    std::string_view name;
    M T::*member;
    bool keepDefault;
};

template <class T, class M>
constexpr JsonField<T, M> JsonMakeField(std::string_view name, M T::*member, bool keepDefault) {
    return {name, member, keepDefault};
}

template <class T>
struct JsonIsOptional : std::false_type {};
template <class T>
struct JsonIsOptional<std::optional<T>> : std::true_type {};

// The field list of T: the macro's static member, or the function beside T.
template <class T>
constexpr auto JsonFieldsOf(int) -> decltype(T::KivJsonFields(static_cast<const T*>(nullptr))) {
    return T::KivJsonFields(static_cast<const T*>(nullptr));
}
template <class T>
constexpr auto JsonFieldsOf(long) -> decltype(KivJsonFields(static_cast<const T*>(nullptr))) {
    return KivJsonFields(static_cast<const T*>(nullptr));
}
template <class T, class = void>
struct JsonHasFields : std::false_type {};
template <class T>
struct JsonHasFields<T, std::void_t<decltype(JsonFieldsOf<T>(0))>> : std::true_type {};

template <class T>
inline constexpr auto JsonFieldList = JsonFieldsOf<T>(0);
template <class T>
inline constexpr size_t JsonFieldCount = std::tuple_size<decltype(JsonFieldsOf<T>(0))>::value;

template <class T, size_t... I>
constexpr std::array<std::string_view, sizeof...(I)> JsonFieldNames(std::index_sequence<I...>) {
    return {{std::get<I>(JsonFieldList<T>).name...}};
}

template <size_t I, class T>
bool JsonReadField(JsonReadContext& reader, const JsonObject::Member& member, T& out) {
    return reader.ReadMember(member.first, member.second,
                             out.*std::get<I>(JsonFieldList<T>).member);
}

// A field whose member was absent: fine when optional (now nullopt) or kept at
// its default, else an error.
template <size_t I, class T>
bool JsonFinishField(JsonReadContext& reader, T& out, bool seen) {
    constexpr const auto& field = std::get<I>(JsonFieldList<T>);
    if (seen || field.keepDefault) {
        return true;
    }
    if constexpr (JsonIsOptional<typename std::decay_t<decltype(field)>::Member>::value) {
        (out.*field.member).reset();
        return true;
    } else {
        return reader.Fail(JsonConvertError::MissingMember, field.name, nullptr);
    }
}

// Keys are short: a few overlapping word loads beat a call to memcmp.
template <class Word>
bool JsonSameWord(const char* a, const char* b) {
    Word x;
    Word y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    return x == y;
}

inline bool JsonSameKey(std::string_view a, std::string_view b) {
    const size_t size = a.size();
    if (size != b.size()) {
        return false;
    }
    const char* x = a.data();
    const char* y = b.data();
    if (size >= 8) {
        for (size_t i = 0; i + 8 < size; i += 8) {
            if (!JsonSameWord<uint64_t>(x + i, y + i)) {
                return false;
            }
        }
        return JsonSameWord<uint64_t>(x + size - 8, y + size - 8);
    }
    if (size >= 4) {
        return JsonSameWord<uint32_t>(x, y) && JsonSameWord<uint32_t>(x + size - 4, y + size - 4);
    }
    if (size >= 2) {
        return JsonSameWord<uint16_t>(x, y) && JsonSameWord<uint16_t>(x + size - 2, y + size - 2);
    }
    return size == 0 || *x == *y;
}

template <class T, size_t... I>
bool JsonReadFields(JsonReadContext& reader, const JsonValue& in, T& out,
                    std::index_sequence<I...>) {
    constexpr size_t count = sizeof...(I);
    static constexpr std::array<std::string_view, count> names =
        JsonFieldNames<T>(std::index_sequence<I...>());
    const JsonObject* object = JsonObjectIn(in);
    if (object == nullptr) {
        return reader.Expected("an object", in);
    }
    // Members usually come in the order of the fields: each search starts
    // after the field found last. The first of repeated keys counts.
    bool seen[count] = {};
    size_t next = 0;
    for (const JsonObject::Member& member : object->Members()) {
        const std::string_view key(member.first);
        size_t field = next;
        size_t tried = 0;
        for (; tried < count && !JsonSameKey(names[field], key); ++tried) {
            field = field + 1 == count ? 0 : field + 1;
        }
        if (tried == count) {
            if (reader.Options().rejectUnknownMembers) {
                return reader.Fail(JsonConvertError::UnknownMember, key, nullptr);
            }
            continue;
        }
        next = field + 1 == count ? 0 : field + 1;
        if (!seen[field]) {
            seen[field] = true;
            // A chain of comparisons the compiler inlines, not a table of calls.
            bool read = true;
            static_cast<void>(
                ((field == I && (read = JsonReadField<I>(reader, member, out), true)) || ...));
            if (!read) {
                return false;
            }
        }
    }
    return (JsonFinishField<I>(reader, out, seen[I]) && ...);
}

template <size_t I, class T>
void JsonWriteField(std::vector<JsonObject::Member>& members, const T& in) {
    constexpr const auto& field = std::get<I>(JsonFieldList<T>);
    members.emplace_back(std::string(field.name), ToJson(in.*field.member));
}

template <class T, size_t... I>
JsonValue JsonWriteFields(const T& in, std::index_sequence<I...>) {
    std::vector<JsonObject::Member> members;
    members.reserve(sizeof...(I));
    (JsonWriteField<I>(members, in), ...);
    return JsonValue::ObjectType(std::move(members));
}

// The name list of an enumeration, when it has one.
template <class T, class = void>
struct JsonHasEnumNames : std::false_type {};
template <class T>
struct JsonHasEnumNames<T, std::void_t<decltype(KivJsonEnumNames(static_cast<const T*>(nullptr)))>>
    : std::true_type {};

template <class T>
struct JsonEnumConverter {
    using Integer = std::underlying_type_t<T>;
    static bool Read(JsonReadContext& reader, const JsonValue& in, T& out) {
        if constexpr (JsonHasEnumNames<T>::value) {
            static const std::string expected = Expected();
            if (in.IsString()) {
                const std::string text = in.AsString();
                for (const auto& entry : KivJsonEnumNames(static_cast<const T*>(nullptr))) {
                    if (entry.second == text) {
                        out = entry.first;
                        return true;
                    }
                }
            }
            return reader.Expected(expected.c_str(), in);
        } else {
            Integer value{};
            if (!reader.Read(in, value)) {
                return false;
            }
            out = static_cast<T>(value);
            return true;
        }
    }
    // An enumerator without a name in the list is written as its integer.
    static JsonValue Write(T in) {
        if constexpr (JsonHasEnumNames<T>::value) {
            for (const auto& entry : KivJsonEnumNames(static_cast<const T*>(nullptr))) {
                if (entry.first == in) {
                    return JsonValue::StringType(std::string(entry.second));
                }
            }
        }
        return ToJson(static_cast<Integer>(in));
    }

private:
    static std::string Expected() {
        std::string text = "one of";
        for (const auto& entry : KivJsonEnumNames(static_cast<const T*>(nullptr))) {
            text.append(text.size() == 6 ? " \"" : ", \"").append(entry.second).append("\"");
        }
        return text;
    }
};

// The default: a field list, an enumeration, or the caller's JsonRead and
// JsonWrite found by argument-dependent lookup.
template <class T, class Enable>
struct JsonConverter {
    static bool Read(JsonReadContext& reader, const JsonValue& in, T& out) {
        if constexpr (JsonHasFields<T>::value) {
            return JsonReadFields(reader, in, out, std::make_index_sequence<JsonFieldCount<T>>());
        } else if constexpr (std::is_enum<T>::value) {
            return JsonEnumConverter<T>::Read(reader, in, out);
        } else {
            return JsonRead(reader, in, out);
        }
    }
    static JsonValue Write(const T& in) {
        if constexpr (JsonHasFields<T>::value) {
            return JsonWriteFields(in, std::make_index_sequence<JsonFieldCount<T>>());
        } else if constexpr (std::is_enum<T>::value) {
            return JsonEnumConverter<T>::Write(in);
        } else {
            return JsonWrite(in);
        }
    }
};
