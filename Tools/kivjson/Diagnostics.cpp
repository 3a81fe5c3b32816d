#include "Diagnostics.h"

#include "CommandLine.h"

#include <cstdio>

void ReportParseError(const std::string& name, const std::error_code& error,
                      const JsonParsePosition& position) {
    std::fprintf(stderr, "%s:%zu:%zu: error: %s (%s %d)\n", name.c_str(), position.line,
                 position.column, error.message().c_str(), error.category().name(), error.value());
}

std::optional<int> LoadDocument(const std::string& path, InputDocument& doc, JsonValue& value) {
    std::string error;
    if (!ReadInput(path, doc, error)) {
        std::fprintf(stderr, "kivjson: %s\n", error.c_str());
        return kExitUsage;
    }
    if (!ParseReporting(doc.name, doc.text, JsonParseOptions{}, value)) {
        return kExitInvalid;
    }
    return std::nullopt;
}
