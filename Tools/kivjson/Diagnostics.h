// The error line users see when a document does not parse.
#pragma once

#include "Input.h"

#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONValue.h>

#include <optional>
#include <string>
#include <system_error>

// "FILE:LINE:COLUMN: error: MESSAGE (kivJSON CODE)" on stderr.
void ReportParseError(const std::string& name, const std::error_code& error,
                      const JsonParsePosition& position);

// Parses `text` (narrow or wide) once with `options`; on failure reports it
// under `name` and returns false.
template <class Text>
bool ParseReporting(const std::string& name, const Text& text, const JsonParseOptions& options,
                    JsonValue& value) {
    std::error_code error;
    JsonParsePosition position{0, 1, 1};
    value = JsonParseText(text, options, error, position);
    if (error) {
        ReportParseError(name, error, position);
        return false;
    }
    return true;
}

// Reads and parses the one document a command works on ("-" is standard
// input). Returns the exit code when that failed, after reporting why.
std::optional<int> LoadDocument(const std::string& path, InputDocument& doc, JsonValue& value);
