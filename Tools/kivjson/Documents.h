// The documents a command works on: each input read whole, or with --lines
// line by line, parsed once and handed to the command.
#pragma once

#include "CommandLine.h"

#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONValue.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ReadSettings {
    bool lines = false;     // each line that holds more than whitespace is one document
    bool wide = false;      // decode to wide characters and use the wide parser
    bool allowBom = false;  // a UTF-8 byte-order mark at the start of an input is skipped
    JsonParseOptions options;
};

// The help line of --allow-bom, which every command that reads documents takes.
#define KIVJSON_BOM_HELP                                                           \
    "  --allow-bom        accept a UTF-8 byte-order mark at the start of a file\n" \
    "                     (positions are then counted after it)\n"

// --lines and --allow-bom (and, for commands that take them, --strict and --wide).
ReadSettings ReadSettingsOf(const CommandLine& line);

struct ParsedDocument {
    std::string label;  // for messages about the value: "FILE", or "FILE:LINE" with --lines
    JsonValue value;
    size_t bytes = 0;  // length of the document's text
    double parseSeconds = 0;
};

// The input operands of `line` from index `first` on; standard input ("-")
// when there are none. Returns the exit code when "-" is given twice.
std::optional<int> InputPaths(const char* command, const CommandLine& line, size_t first,
                              std::vector<std::string>& paths);

// Reads `path` and calls `visit` with each document that parses, after
// reporting each one that does not on stderr. A whole-file document's text is
// released before `visit` runs. Returns the worst status: 2 when the input
// cannot be read, 1 when a document is invalid, else the worst `visit` gave;
// stops once output failed (OutputFailed()). `inputBytes`, when
// given, receives the length of the input.
int VisitDocuments(const std::string& path, const ReadSettings& settings,
                   const std::function<int(ParsedDocument&)>& visit, size_t* inputBytes = nullptr);

// VisitDocuments for each path in turn (stopping once output failed), then
// writes what is left in `out`. Returns the worst status, 2 when output failed.
int VisitAll(const std::vector<std::string>& paths, const ReadSettings& settings,
             const std::function<int(ParsedDocument&)>& visit, std::string& out);

// Writes `out` once it has grown large and clears it; false when that failed.
bool FlushLargeOutput(std::string& out);
