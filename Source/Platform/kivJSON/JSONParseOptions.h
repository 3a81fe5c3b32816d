// Parsing with options and with the place of a failure: extensions beside
// JsonValue::Parse, which keeps its own behaviour.
#pragma once

#include <kivJSON/JSONSystem.h>
#include <kivJSON/JSONValue.h>

#include <cstddef>
#include <istream>
#include <string>
#include <system_error>

struct JsonParseOptions {
    // Accept exactly RFC 8259 JSON: no comments, no leading zeros, only space,
    // tab, line feed and carriage return between tokens (otherwise the C
    // library's isspace/iswspace of the current locale decides too), narrow strings valid
    // UTF-8, and no number beyond the range of a double (1e999). The limit of
    // 128 open arrays and objects holds in either mode.
    bool strict = false;
};

// Where a parse failed: the first character of the offending token (of the
// left-over text, when a complete value is followed by more), or one past the
// last character when the input ended too early. One exception: a wide element
// in a string or key that is no code point (above U+10FFFF, or negative as a
// signed wchar_t) fails as a malformed string (code 7) at that element.
struct JsonParsePosition {
    size_t offset;  // characters before it: bytes of narrow text, elements of wide text
    size_t line;    // from 1; a line ends at a line feed
    size_t column;  // from 1, in code points: a UTF-8 sequence counts once
};

// Parse one document. Never throw for bad input (only std::bad_alloc, when
// memory runs out): on failure `ec` holds the
// kivJSON code, `position` where it happened, and a null value comes back
// (left-over text included). On success `ec` is cleared and `position` is left
// as it was. A stream is read through its buffer, as JsonValue::Parse does.
KIVJSON_API JsonValue JsonParseText(const std::string& text, const JsonParseOptions& options,
                                    std::error_code& ec, JsonParsePosition& position);
KIVJSON_API JsonValue JsonParseText(const std::wstring& text, const JsonParseOptions& options,
                                    std::error_code& ec, JsonParsePosition& position);
KIVJSON_API JsonValue JsonParseText(std::istream& in, const JsonParseOptions& options,
                                    std::error_code& ec, JsonParsePosition& position);
KIVJSON_API JsonValue JsonParseText(std::wistream& in, const JsonParseOptions& options,
                                    std::error_code& ec, JsonParsePosition& position);
