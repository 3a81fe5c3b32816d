// The text a command prints for a value, through the library's option writer.
#pragma once

#include "CommandLine.h"

#include <kivJSON/JSONValue.h>
#include <kivJSON/JSONWriteOptions.h>

#include <cstddef>
#include <string>

struct TextStyle {
    size_t indent = 0;            // 0: compact
    bool exact = false;           // 17-digit doubles (Serialize()'s text), not the shortest
    bool allowNonFinite = false;  // NaN and infinities become null instead of an error
};

// The two flags every printing command takes, as ParseCommandLine options.
#define KIVJSON_TEXT_STYLE_OPTIONS \
    {"--exact", false}, {          \
        "--allow-nonfinite", false \
    }

// --exact and --allow-nonfinite from a parsed command line.
TextStyle TextStyleOf(const CommandLine& line);

// Appends the text of `value` to `out`. A NaN or infinite number, which JSON
// cannot express, is reported on stderr under `label` (the document) unless the style allows
// it (then it is written as null); the result is false and `out` is unchanged.
bool AppendValueText(const std::string& label, const JsonValue& value, const TextStyle& style,
                     std::string& out);

// The writer's options for `style`.
JsonWriteOptions WriteOptionsOf(const TextStyle& style);
