// Parsing one document, and the error line users see when it does not parse.
#pragma once

#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONValue.h>

#include <cstddef>
#include <string>

// Parses `text`, which begins line `firstLine` of the input `name`, once with
// `options`. On failure prints
//   FILE:LINE:COLUMN: error: MESSAGE (kivJSON CODE)
// on stderr, for a malformed token (code 8) followed by ": " and what the
// text holds there, and returns false.
bool ParseReporting(const std::string& name, size_t firstLine, const std::string& text,
                    const JsonParseOptions& options, JsonValue& value);
