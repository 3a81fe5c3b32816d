// The pull reader: one document as a sequence of events, read one at a time,
// in memory that grows with the nesting depth and the longest string or
// number, never with the size of the document. An extension beside
// JsonValue::Parse; it runs the same tokenizer and grammar as JsonParseText,
// so it gives the same verdict, error code and position on every input.
#pragma once

#include <kivJSON/JSONNumber.h>
#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONSystem.h>
#include <kivJSON/JSONValue.h>

#include <cstddef>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

enum class JsonEvent : int {
    BeginArray,
    EndArray,
    BeginObject,
    EndObject,
    Key,     // Text()
    String,  // Text()
    Number,  // GetNumber(): Int64 for negative integers, Uint64 for the others, else Double
    Bool,    // GetBool()
    Null,
};

namespace _Private {
class JsonReaderCore;

// The current event as the reader's inline accessors read it.
struct JsonReaderCurrent {
    JsonEvent event = JsonEvent::Null;
    size_t depth = 0;
    JsonNumber number{0};
    bool boolean = false;
    std::string_view view;  // the text of a Key or String event
};
}  // namespace _Private

class KIVJSON_API JsonReader {
public:
    // Text in memory is read in place: it must outlive the reader. A stream is
    // read through its buffer, a chunk at a time, as JsonParseText reads it.
    explicit JsonReader(const std::string& text, const JsonParseOptions& options = {});
    explicit JsonReader(const std::wstring& text, const JsonParseOptions& options = {});
    explicit JsonReader(std::istream& in, const JsonParseOptions& options = {});
    explicit JsonReader(std::wistream& in, const JsonParseOptions& options = {});
    JsonReader(std::string&&, const JsonParseOptions& = {}) = delete;  // would dangle
    JsonReader(std::wstring&&, const JsonParseOptions& = {}) = delete;
    JsonReader(JsonReader&&) noexcept;
    JsonReader& operator=(JsonReader&&) noexcept;
    ~JsonReader();

    // Moves to the next event. False once the document is complete (the text
    // after it holding only whitespace and comments: Error() stays clear), or
    // when the input is not JSON (Error() and ErrorPosition() tell why and where).
    bool Next();

    JsonEvent Event() const { return m_current->event; }
    // Where the current event's token starts (offset, line and column as
    // JsonParsePosition counts them).
    JsonParsePosition Position() const;
    // Containers open after the current event: 1 for the outermost Begin*, 0
    // after its End*.
    size_t Depth() const { return m_current->depth; }
    // The text of a Key or String event: UTF-8 as read (wide text converted,
    // as a tree stores it); valid until the next call of Next. A string
    // without escapes in text in memory is not copied unless Text() asks
    // for it: TextView() gives it where it stands.
    std::string_view TextView() const { return m_current->view; }
    const std::string& Text() const;
    JsonNumber GetNumber() const { return m_current->number; }
    bool GetBool() const { return m_current->boolean; }

    // At a Begin* event reads on to its End*; at any other event does nothing.
    // False on a failure.
    bool Skip();
    // The value that starts at the current event (a scalar, or a whole
    // container from its Begin*), as JsonParseText builds it; the reader then
    // stands on its last event. False on a failure, or at a Key or End* event
    // (`value` is then left alone).
    bool ReadValue(JsonValue& value);

    const std::error_code& Error() const;
    const JsonParsePosition& ErrorPosition() const;

private:
    std::unique_ptr<_Private::JsonReaderCore> m_core;
    const _Private::JsonReaderCurrent* m_current;  // the core's, read inline
};

class JsonEventWriter;

// Writes the reader's current event through the writer (a key, a string, a
// number of its kind, ...): a document read and written event by event comes
// out as WriteJson writes its tree. False when the writer refuses the event.
KIVJSON_API bool JsonCopyEvent(const JsonReader& reader, JsonEventWriter& writer);
