// Your own types in and out of JSON trees: checked number reads (TryRead),
// conversions of whole values (ReadJson, ToJson) for standard types and for
// structs that list their fields, and errors that name the failing value by its
// JSON Pointer. An extension beside the lookup helpers of <kivJSON/JSONUtil.h>,
// whose TryGet and FromJson overloads keep their own behaviour.
#pragma once

#include <kivJSON/JSONUtil.h>
#include <kivJSON/JSONValue.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>

// Why a conversion failed: codes of JsonConvertCategory(), named "kivJSON convert".
enum class JsonConvertError : int {
    WrongType = 1,      // e.g. a string where a number was expected
    OutOfRange = 2,     // a number the target cannot hold exactly
    MissingMember = 3,  // a member the struct requires is absent
    UnknownMember = 4,  // a member the struct does not list (only when asked to reject them)
    WrongLength = 5,    // an array of the wrong length for std::array, std::pair, std::tuple
};

KIVJSON_API const std::error_category& JsonConvertCategory() noexcept;

inline std::error_code make_error_code(JsonConvertError code) noexcept {
    return {static_cast<int>(code), JsonConvertCategory()};
}

namespace std {
template <>
struct is_error_code_enum<JsonConvertError> : true_type {};
}  // namespace std

// The outcome of a non-throwing ReadJson: `error` is cleared on success. On
// failure `pointer` is the JSON Pointer of the failing value and `message`
// says where, what was expected and what was found:
//   /events/3/prices/0/amount: expected an integer in the range of int, found 5000000000
//   /venue: missing member "name"
struct JsonConvertResult {
    std::error_code error;
    std::string pointer;
    std::string message;
};

// What the throwing ReadJson throws: what() is the result's message.
class KIVJSON_API JsonConvertException : public std::runtime_error {
public:
    explicit JsonConvertException(const JsonConvertResult& result);
    JsonConvertException(const JsonConvertException& other);
    JsonConvertException& operator=(const JsonConvertException& other);
    ~JsonConvertException() override;
    const std::error_code& Code() const noexcept { return m_code; }
    const std::string& Pointer() const noexcept { return m_pointer; }

private:
    std::error_code m_code;
    std::string m_pointer;
};

struct JsonReadOptions {
    bool rejectUnknownMembers = false;  // a member a struct does not list is an error
};

// One step from the root to the value being read: a member key, or an array
// index when `key` is null. The steps live on the stack of the conversion.
struct JsonPathStep {
    const JsonPathStep* parent;
    const std::string* key;
    size_t index;
};

// The checks behind TryRead. Each returns false, leaving `out` alone, unless
// `value` is a number whose value the target holds: an integer kind within
// [min, max], or a whole Double within it; the float form takes any number
// whose magnitude does not exceed the largest float (rounding to nearest),
// and NaN or infinity; the double form takes every number.
KIVJSON_API bool JsonReadSigned(const JsonValue& value, int64_t min, int64_t max,
                                int64_t& out) noexcept;
KIVJSON_API bool JsonReadUnsigned(const JsonValue& value, uint64_t max, uint64_t& out) noexcept;
KIVJSON_API bool JsonReadDouble(const JsonValue& value, double& out) noexcept;
KIVJSON_API bool JsonReadFloat(const JsonValue& value, float& out) noexcept;
// The array (object) inside `value`, or nullptr when it holds another type.
KIVJSON_API const JsonArray* JsonArrayIn(const JsonValue& value);
KIVJSON_API const JsonObject* JsonObjectIn(const JsonValue& value);
// Assigns the text of a string value to `out`; false for other types.
KIVJSON_API bool JsonReadString(const JsonValue& value, std::string& out);
// Fills `result` for a failure at `at`. WrongType, OutOfRange and WrongLength
// read "expected <detail>, found <found>"; MissingMember and UnknownMember
// name the member `detail` (then `found` may be null).
KIVJSON_API void JsonConvertFail(JsonConvertResult& result, const JsonPathStep* at,
                                 JsonConvertError code, std::string_view detail,
                                 const JsonValue* found);

// What a checked read of T accepts, as error messages say it.
template <class T>
constexpr const char* JsonExpectedText() {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same<U, bool>::value) {
        return "a bool";
    } else if constexpr (std::is_same<U, float>::value) {
        return "a number in the range of float";
    } else if constexpr (std::is_floating_point<U>::value) {
        return "a number";
    } else if constexpr (std::is_same<U, char>::value) {
        return "an integer in the range of char";
    } else if constexpr (std::is_same<U, signed char>::value) {
        return "an integer in the range of signed char";
    } else if constexpr (std::is_same<U, unsigned char>::value) {
        return "an integer in the range of unsigned char";
    } else if constexpr (std::is_same<U, short>::value) {
        return "an integer in the range of short";
    } else if constexpr (std::is_same<U, unsigned short>::value) {
        return "an integer in the range of unsigned short";
    } else if constexpr (std::is_same<U, int>::value) {
        return "an integer in the range of int";
    } else if constexpr (std::is_same<U, unsigned>::value) {
        return "an integer in the range of unsigned int";
    } else if constexpr (std::is_same<U, long>::value) {
        return "an integer in the range of long";
    } else if constexpr (std::is_same<U, unsigned long>::value) {
        return "an integer in the range of unsigned long";
    } else if constexpr (std::is_same<U, long long>::value) {
        return "an integer in the range of long long";
    } else if constexpr (std::is_same<U, unsigned long long>::value) {
        return "an integer in the range of unsigned long long";
    } else {
        return "an integer in the range of the target type";
    }
}

// Checked read of a whole value: true only when `value` holds a number that
// `out` represents exactly (any number for float and double, rounded as a
// conversion would), or a bool for bool; otherwise false with `out` unchanged.
template <class T>
std::enable_if_t<std::is_arithmetic<T>::value, bool> TryRead(const JsonValue& value,
                                                             T& out) noexcept {
    if constexpr (std::is_same<T, bool>::value) {
        if (!value.IsBool()) {
            return false;
        }
        out = value.AsBool();
        return true;
    } else if constexpr (std::is_same<T, float>::value) {
        return JsonReadFloat(value, out);
    } else if constexpr (std::is_floating_point<T>::value) {
        double read;
        if (!JsonReadDouble(value, read)) {
            return false;
        }
        out = static_cast<T>(read);
        return true;
    } else if constexpr (std::is_signed<T>::value) {
        int64_t read;
        if (!JsonReadSigned(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(),
                            read)) {
            return false;
        }
        out = static_cast<T>(read);
        return true;
    } else {
        uint64_t read;
        if (!JsonReadUnsigned(value, std::numeric_limits<T>::max(), read)) {
            return false;
        }
        out = static_cast<T>(read);
        return true;
    }
}

// The same for the first member `key` of an object (false when it is absent).
template <class T>
std::enable_if_t<std::is_arithmetic<T>::value, bool> TryRead(const JsonValue& value,
                                                             const std::string& key, T& out) {
    return TryRead(TryGetRef(value, key), out);
}

class JsonReadContext;

// How T converts. Specialise it for a type of yours, with
//   static bool Read(JsonReadContext& reader, const JsonValue& in, T& out);
//   static JsonValue Write(const T& in);
// or give T a field list (KIVJSON_FIELDS), or declare beside T the functions
//   bool JsonRead(JsonReadContext& reader, const JsonValue& in, T& out);
//   JsonValue JsonWrite(const T& in);
// which argument-dependent lookup finds. Read returns false after reporting the
// failure through the reader. Standard types are specialised in <kivJSON/JSONConvertStd.h>.
template <class T, class Enable = void>
struct JsonConverter;

// Passes the path and the error record down a conversion.
class JsonReadContext {
public:
    JsonReadContext(JsonConvertResult& result, const JsonReadOptions& options)
        : m_result(result), m_options(options) {}
    const JsonReadOptions& Options() const { return m_options; }

    // `in` into `out` through T's converter.
    template <class T>
    bool Read(const JsonValue& in, T& out) {
        return JsonConverter<T>::Read(*this, in, out);
    }
    // An element or member of the value being read, with the path one step longer.
    template <class T>
    bool ReadElement(size_t index, const JsonValue& in, T& out) {
        return Step({m_at, nullptr, index}, in, out);
    }
    template <class T>
    bool ReadMember(const std::string& key, const JsonValue& in, T& out) {
        return Step({m_at, &key, 0}, in, out);
    }
    // The first member `key` of the object `in`; a missing member is an error.
    template <class T>
    bool ReadField(const JsonValue& in, const std::string& key, T& out) {
        const JsonObject* object = JsonObjectIn(in);
        if (object == nullptr) {
            return Expected("an object", in);
        }
        const JsonObject::const_iterator found = object->Find(key);
        if (found == object->End()) {
            return Fail(JsonConvertError::MissingMember, key, nullptr);
        }
        return ReadMember(key, found->second, out);
    }

    // Report a failure at the value being read; always false.
    bool Fail(JsonConvertError code, std::string_view detail, const JsonValue* found) {
        JsonConvertFail(m_result, m_at, code, detail, found);
        return false;
    }
    bool Expected(const char* what, const JsonValue& found) {
        return Fail(JsonConvertError::WrongType, what, &found);
    }

private:
    template <class T>
    bool Step(JsonPathStep step, const JsonValue& in, T& out) {
        const JsonPathStep* outer = m_at;
        m_at = &step;
        const bool read = JsonConverter<T>::Read(*this, in, out);
        m_at = outer;
        return read;
    }

    JsonConvertResult& m_result;
    const JsonReadOptions& m_options;
    const JsonPathStep* m_at = nullptr;
};

// Converts `in` into `out`. On failure `out` is unchanged (the conversion
// builds a new T and moves it in at the end), and the result says why.
template <class T>
bool ReadJson(const JsonValue& in, T& out, JsonConvertResult& result,
              const JsonReadOptions& options = JsonReadOptions()) {
    result = JsonConvertResult();
    T value{};
    JsonReadContext reader(result, options);
    if (!reader.Read(in, value)) {
        return false;
    }
    out = std::move(value);
    return true;
}

// The same, throwing JsonConvertException on failure.
template <class T>
void ReadJson(const JsonValue& in, T& out, const JsonReadOptions& options = JsonReadOptions()) {
    JsonConvertResult result;
    if (!ReadJson(in, out, result, options)) {
        throw JsonConvertException(result);
    }
}

template <class T>
T ReadJsonAs(const JsonValue& in, const JsonReadOptions& options = JsonReadOptions()) {
    T out{};
    ReadJson(in, out, options);
    return out;
}

// A new tree for `in`.
template <class T>
JsonValue ToJson(const T& in) {
    return JsonConverter<T>::Write(in);
}

#include <kivJSON/JSONConvertFields.h>
#include <kivJSON/JSONConvertStd.h>
