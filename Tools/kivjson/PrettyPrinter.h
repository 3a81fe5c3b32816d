// Indented JSON text: one value per line, members in stored order.
#pragma once

#include <kivJSON/JSONValue.h>

#include <string>

// Appends `value` to `out` with `indent` spaces per level and a space after
// each colon. Scalars are written exactly as the compact writer writes them;
// empty containers stay "[]" and "{}". Uses no recursion, so any depth is safe.
void AppendPretty(const JsonValue& value, size_t indent, std::string& out);
