#include "Diagnostics.h"

#include "FoundText.h"

#include <kivJSON/JSONErrorCat.h>

#include <cstdio>
#include <system_error>

namespace {

// `source` is the text as read, `parsed` the same text as the parser saw it.
template <class Text>
bool Parse(const std::string& name, size_t firstLine, const std::string& source, const Text& parsed,
           const JsonParseOptions& options, JsonValue& value) {
    std::error_code error;
    JsonParsePosition position{0, 1, 1};
    value = JsonParseText(parsed, options, error, position);
    if (!error) {
        return true;
    }
    std::string found;
    if (error.category() == JsonErrorCategory::s_item && error.value() == MalformedToken) {
        found = ": " + DescribeFound(source, parsed, position.offset);
    }
    std::fprintf(stderr, "%s:%zu:%zu: error: %s (%s %d)%s\n", name.c_str(),
                 firstLine + position.line - 1, position.column, error.message().c_str(),
                 error.category().name(), error.value(), found.c_str());
    return false;
}

}  // namespace

bool ParseReporting(const std::string& name, size_t firstLine, const std::string& text,
                    const JsonParseOptions& options, JsonValue& value) {
    return Parse(name, firstLine, text, text, options, value);
}
