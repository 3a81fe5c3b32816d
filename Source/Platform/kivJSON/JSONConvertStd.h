// Conversions of the standard types, included by <kivJSON/JSONConvert.h>:
// arithmetic types (checked), strings, JsonValue, sequences, sets, maps with
// string keys, std::optional, std::pair and std::tuple.
#pragma once

#include <kivJSON/JSONConvert.h>

#include <array>
#include <cstddef>
#include <deque>
#include <list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

template <class T>
struct JsonConverter<T, std::enable_if_t<std::is_arithmetic<T>::value>> {
    static bool Read(JsonReadContext& reader, const JsonValue& in, T& out) {
        if (TryRead(in, out)) {
            return true;
        }
        const bool number = !std::is_same<T, bool>::value && in.IsNumber();
        return reader.Fail(number ? JsonConvertError::OutOfRange : JsonConvertError::WrongType,
                           JsonExpectedText<T>(), &in);
    }
    static JsonValue Write(T in) {
        if constexpr (std::is_same<T, bool>::value) {
            return JsonValue(in);
        } else if constexpr (std::is_floating_point<T>::value) {
            return JsonValue(static_cast<double>(in));
        } else if constexpr (std::is_signed<T>::value) {
            return JsonValue(static_cast<long>(in));
        } else {
            return JsonValue(static_cast<unsigned long>(in));
        }
    }
};

template <>
struct JsonConverter<std::string> {
    static bool Read(JsonReadContext& reader, const JsonValue& in, std::string& out) {
        return JsonReadString(in, out) || reader.Expected("a string", in);
    }
    static JsonValue Write(const std::string& in) { return JsonValue::StringType(in); }
};

// Text views and C strings convert out only.
template <>
struct JsonConverter<std::string_view> {
    static JsonValue Write(std::string_view in) { return JsonValue::StringType(std::string(in)); }
};
template <>
struct JsonConverter<const char*> {
    static JsonValue Write(const char* in) { return JsonValue::StringType(std::string(in)); }
};
template <size_t N>
struct JsonConverter<char[N]> {
    static JsonValue Write(const char* in) { return JsonValue::StringType(std::string(in)); }
};

template <>
struct JsonConverter<JsonValue> {
    static bool Read(JsonReadContext&, const JsonValue& in, JsonValue& out) {
        out = in;
        return true;
    }
    static JsonValue Write(const JsonValue& in) { return in; }
};

// The tree of any range of elements, as an array.
template <class Range>
JsonValue JsonWriteElements(const Range& in) {
    std::vector<JsonValue> values;
    values.reserve(in.size());
    for (const auto& item : in) {
        values.push_back(ToJson(item));
    }
    return JsonValue::ArrayType(std::move(values));
}

// Sequences: an array, element by element, into a cleared container.
template <class C>
struct JsonSequenceConverter {
    using T = typename C::value_type;
    static bool Read(JsonReadContext& reader, const JsonValue& in, C& out) {
        const JsonArray* array = JsonArrayIn(in);
        if (array == nullptr) {
            return reader.Expected("an array", in);
        }
        out.clear();
        if constexpr (std::is_same<C, std::vector<T, typename C::allocator_type>>::value) {
            if (!array->Elements().empty()) {
                out.reserve(array->Elements().size());
            }
        }
        size_t index = 0;
        for (const JsonValue& element : array->Elements()) {
            if constexpr (std::is_same<typename C::reference, T&>::value) {
                out.emplace_back();
                if (!reader.ReadElement(index++, element, out.back())) {
                    return false;
                }
            } else {  // std::vector<bool>
                T item{};
                if (!reader.ReadElement(index++, element, item)) {
                    return false;
                }
                out.push_back(item);
            }
        }
        return true;
    }
    static JsonValue Write(const C& in) { return JsonWriteElements(in); }
};

template <class T, class A>
struct JsonConverter<std::vector<T, A>> : JsonSequenceConverter<std::vector<T, A>> {};
template <class T, class A>
struct JsonConverter<std::deque<T, A>> : JsonSequenceConverter<std::deque<T, A>> {};
template <class T, class A>
struct JsonConverter<std::list<T, A>> : JsonSequenceConverter<std::list<T, A>> {};

// Sets: an array; repeated elements collapse as the set keeps them.
template <class C>
struct JsonSetConverter {
    static bool Read(JsonReadContext& reader, const JsonValue& in, C& out) {
        const JsonArray* array = JsonArrayIn(in);
        if (array == nullptr) {
            return reader.Expected("an array", in);
        }
        out.clear();
        size_t index = 0;
        for (const JsonValue& element : array->Elements()) {
            typename C::value_type item{};
            if (!reader.ReadElement(index++, element, item)) {
                return false;
            }
            out.insert(std::move(item));
        }
        return true;
    }
    static JsonValue Write(const C& in) { return JsonWriteElements(in); }
};

template <class T, class L, class A>
struct JsonConverter<std::set<T, L, A>> : JsonSetConverter<std::set<T, L, A>> {};
template <class T, class H, class E, class A>
struct JsonConverter<std::unordered_set<T, H, E, A>>
    : JsonSetConverter<std::unordered_set<T, H, E, A>> {};

// Maps with string keys: an object. Of repeated keys the first counts, as in lookups.
template <class C>
struct JsonMapConverter {
    static bool Read(JsonReadContext& reader, const JsonValue& in, C& out) {
        const JsonObject* object = JsonObjectIn(in);
        if (object == nullptr) {
            return reader.Expected("an object", in);
        }
        out.clear();
        for (const JsonObject::Member& member : object->Members()) {
            const auto placed = out.try_emplace(member.first);
            if (placed.second &&
                !reader.ReadMember(member.first, member.second, placed.first->second)) {
                return false;
            }
        }
        return true;
    }
    static JsonValue Write(const C& in) {
        std::vector<JsonObject::Member> members;
        members.reserve(in.size());
        for (const auto& item : in) {
            members.emplace_back(item.first, ToJson(item.second));
        }
        return JsonValue::ObjectType(std::move(members));
    }
};

template <class V, class L, class A>
struct JsonConverter<std::map<std::string, V, L, A>>
    : JsonMapConverter<std::map<std::string, V, L, A>> {};
template <class V, class H, class E, class A>
struct JsonConverter<std::unordered_map<std::string, V, H, E, A>>
    : JsonMapConverter<std::unordered_map<std::string, V, H, E, A>> {};

// null is nullopt, both ways.
template <class T>
struct JsonConverter<std::optional<T>> {
    static bool Read(JsonReadContext& reader, const JsonValue& in, std::optional<T>& out) {
        if (in.IsNull()) {
            out.reset();
            return true;
        }
        return reader.Read(in, out.emplace());
    }
    static JsonValue Write(const std::optional<T>& in) { return in ? ToJson(*in) : JsonValue(); }
};

// Fixed-length arrays, pairs and tuples: an array of exactly that many elements.
template <size_t N>
bool JsonCheckLength(JsonReadContext& reader, const JsonValue& in) {
    if (!in.IsArray()) {
        return reader.Expected("an array", in);
    }
    if (in.Size() != N) {
        static const std::string expected =
            "an array of " + std::to_string(N) + (N == 1 ? " element" : " elements");
        return reader.Fail(JsonConvertError::WrongLength, expected, &in);
    }
    return true;
}

template <class T, size_t N>
struct JsonConverter<std::array<T, N>> {
    static bool Read(JsonReadContext& reader, const JsonValue& in, std::array<T, N>& out) {
        if (!JsonCheckLength<N>(reader, in)) {
            return false;
        }
        for (size_t i = 0; i < N; ++i) {
            if (!reader.ReadElement(i, in.At(i), out[i])) {
                return false;
            }
        }
        return true;
    }
    static JsonValue Write(const std::array<T, N>& in) { return JsonWriteElements(in); }
};

template <class Tuple>
struct JsonTupleConverter {
    static constexpr size_t N = std::tuple_size<Tuple>::value;
    static bool Read(JsonReadContext& reader, const JsonValue& in, Tuple& out) {
        return JsonCheckLength<N>(reader, in) &&
               ReadAll(reader, in.AsArray(), out, std::make_index_sequence<N>());
    }
    static JsonValue Write(const Tuple& in) { return WriteAll(in, std::make_index_sequence<N>()); }

private:
    template <size_t... I>
    static bool ReadAll(JsonReadContext& reader, const JsonArray& in, Tuple& out,
                        std::index_sequence<I...>) {
        return (reader.ReadElement(I, in.At(I), std::get<I>(out)) && ...);
    }
    template <size_t... I>
    static JsonValue WriteAll(const Tuple& in, std::index_sequence<I...>) {
        std::vector<JsonValue> values;  // not a braced list: that would copy each tree
        values.reserve(N);
        (values.push_back(ToJson(std::get<I>(in))), ...);
        return JsonValue::ArrayType(std::move(values));
    }
};

template <class A, class B>
struct JsonConverter<std::pair<A, B>> : JsonTupleConverter<std::pair<A, B>> {};
template <class... T>
struct JsonConverter<std::tuple<T...>> : JsonTupleConverter<std::tuple<T...>> {};
