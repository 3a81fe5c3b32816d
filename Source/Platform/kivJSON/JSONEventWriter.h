// The incremental writer: a document written event by event (begin and end
// of arrays and objects, keys, scalars) straight to a string or a stream, with
// the options of WriteJson. An extension beside WriteJson: a document written
// through it has exactly the text WriteJson gives for the same tree.
#pragma once

#include <kivJSON/JSONNumber.h>
#include <kivJSON/JSONSystem.h>
#include <kivJSON/JSONValue.h>
#include <kivJSON/JSONWriteOptions.h>

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <system_error>

// A call that would not give JSON, in its own category ("kivJSON event writer").
enum class JsonEventWriteError : int {
    KeyExpected = 1,       // "An object member must start with a key"
    ValueExpected = 2,     // "A value is due, not a key or the end of an object"
    UnexpectedEnd = 3,     // "No such container is open"
    DocumentComplete = 4,  // "The document is already complete"
    Incomplete = 5,        // "The document is incomplete"
};

KIVJSON_API const std::error_category& JsonEventWriteErrorCategory() noexcept;

inline std::error_code make_error_code(JsonEventWriteError code) noexcept {
    return {static_cast<int>(code), JsonEventWriteErrorCategory()};
}

namespace std {
template <>
struct is_error_code_enum<JsonEventWriteError> : true_type {};
}  // namespace std

class KIVJSON_API JsonEventWriter {
public:
    // Appends to `out`, which must outlive the writer.
    explicit JsonEventWriter(std::string& out, const JsonWriteOptions& options = {});
    // Inserts into `out` a block at a time, and the rest at Finish (or when
    // the writer goes).
    explicit JsonEventWriter(std::ostream& out, const JsonWriteOptions& options = {});
    JsonEventWriter(const JsonEventWriter&) = delete;
    JsonEventWriter& operator=(const JsonEventWriter&) = delete;
    ~JsonEventWriter();

    // Each returns false, writing nothing, when the call would not give JSON
    // (or a number has no JSON text under the options); Error() then holds the
    // first failure, and every later call fails too.
    bool BeginArray();
    bool EndArray();
    bool BeginObject();
    bool EndObject();
    bool Key(const std::string& key);      // UTF-8
    bool String(const std::string& text);  // UTF-8
    bool Number(const JsonNumber& number);
    bool Bool(bool value);
    bool Null();
    // A whole tree where a value is due, as WriteJson writes it.
    bool Value(const JsonValue& value);
    // Demands a complete document (one value, every container closed) and
    // hands the stream what is left. False otherwise.
    bool Finish();

    bool Complete() const;
    const std::error_code& Error() const { return m_error; }

private:
    struct Layout;  // the open containers and the text's layout

    bool BeforeValue();
    bool Fail(std::error_code error);
    bool Close(bool object);
    void Quoted(const std::string& text);
    void FlushBlock(bool all);

    std::string m_buffer;    // for a stream
    std::string& m_out;      // the caller's string, or m_buffer
    std::ostream* m_stream;  // null when writing to a string
    JsonWriteOptions m_options;
    std::unique_ptr<Layout> m_layout;
    bool m_keyWritten = false;  // in an object: the key of the next member is out
    bool m_done = false;        // the outermost value has started
    std::error_code m_error;
};
