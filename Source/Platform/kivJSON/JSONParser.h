// The JSON parser: character sources, tokenizer, scanners and grammar.
// (Being written; the parse entry points below are declared in JSONValue.h.)
#pragma once

#include <kivJSON/JSONValue.h>
