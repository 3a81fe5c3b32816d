#include "ValueText.h"

#include <kivJSON/JSONWriteOptions.h>

#include <cstdio>

TextStyle TextStyleOf(const CommandLine& line) {
    TextStyle style;
    style.exact = line.Has("--exact");
    style.allowNonFinite = line.Has("--allow-nonfinite");
    return style;
}

JsonWriteOptions WriteOptionsOf(const TextStyle& style) {
    JsonWriteOptions options;
    options.indent = style.indent;
    options.numbers = style.exact ? JsonNumberStyle::Exact17 : JsonNumberStyle::Shortest;
    options.nonFinite = style.allowNonFinite ? JsonNonFinite::Null : JsonNonFinite::Fail;
    return options;
}

bool AppendValueText(const std::string& label, const JsonValue& value, const TextStyle& style,
                     std::string& out) {
    std::error_code error;
    if (WriteJson(value, out, WriteOptionsOf(style), error)) {
        return true;
    }
    std::fprintf(stderr,
                 "%s: cannot write a number that is infinite or NaN as JSON "
                 "(--allow-nonfinite writes it as null)\n",
                 label.c_str());
    return false;
}
