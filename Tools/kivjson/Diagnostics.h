// Where a parse failed, as line and column, and the error line users see.
#pragma once

#include "Input.h"

#include <kivJSON/JSONValue.h>

#include <cstddef>
#include <optional>
#include <string>
#include <system_error>

struct TextPosition {
    size_t line;    // from 1
    size_t column;  // from 1, in characters: a UTF-8 sequence counts once
};

// Line and column of the byte at `offset` (offset == text.size() is the end).
TextPosition PositionOf(const std::string& text, size_t offset);

struct StreamParseResult {
    JsonValue value;
    std::error_code error;
    TextPosition position;  // meaningful only when `error` is set
};

// Parses `text` with the library's narrow stream parser over the bytes in
// place and, on failure, locates the character at which the parse stopped.
StreamParseResult ParseWithPosition(const std::string& text);

// "FILE:LINE:COLUMN: error: MESSAGE (kivJSON CODE)" on stderr.
void ReportParseError(const std::string& name, const std::error_code& error,
                      const TextPosition* position);

// Parses a whole document for the commands that work on the tree: the fast
// string parser first, the stream parser only to locate a failure. Returns
// false after reporting the failure.
bool ParseDocument(const InputDocument& doc, JsonValue& value);

// Reads and parses the one document a command works on ("-" is standard
// input). Returns the exit code when that failed, after reporting why.
std::optional<int> LoadDocument(const std::string& path, InputDocument& doc, JsonValue& value);
