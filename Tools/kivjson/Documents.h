// What the commands that read documents share: their reading settings,
// their input operands, and output written as it grows.
#pragma once

#include "CommandLine.h"

#include <kivJSON/JSONParseOptions.h>

#include <cstddef>
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

// The input operands of `line` from index `first` on; standard input ("-")
// when there are none. Returns the exit code when "-" is given twice.
std::optional<int> InputPaths(const char* command, const CommandLine& line, size_t first,
                              std::vector<std::string>& paths);

// Writes `out` once it has grown large and clears it; false when that failed.
bool FlushLargeOutput(std::string& out);
