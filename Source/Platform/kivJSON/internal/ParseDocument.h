// Internal to the library: the one algorithm behind every parse entry point,
// over the exact character source of the entry point.
#pragma once

#include <kivJSON/JSONParser.h>

#include <system_error>

namespace _Private {

// One value, then nothing but whitespace (and comments, unless strict). On
// failure `ec` gets the first error and a null value comes back, except that
// left-over text after a complete value returns that value when
// keepValueOnLeftOver is set. On success `ec` is cleared (value 0, system category).
template <class Parser>
JsonValue JsonParseDocument(Parser& parser, std::error_code& ec, bool keepValueOnLeftOver = false);

// The throwing surface: std::invalid_argument carrying the error's message.
template <class Parser, class Input>
JsonValue JsonParseDocumentOrThrow(Input& input);

}  // namespace _Private
