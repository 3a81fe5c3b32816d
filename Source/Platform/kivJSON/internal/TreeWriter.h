// Internal to the library: the one walk that writes every tree as text, for
// Serialize() and Format() of the type implementations and for the write
// options of <kivJSON/JSONWriteOptions.h>. It lives in JSONWriter.cpp.
#pragma once

#include <kivJSON/JSONPrivateImpl.h>

#include <cstddef>
#include <string>

namespace _Private {

// How a double that is NaN or infinite is written.
enum class NonFiniteText : unsigned char {
    AsFormatted,  // the "%.*g" text of the core library (nan, inf, -inf)
    Null,         // null
    Fail,         // nothing: the walk stops and reports failure
};

struct WriteSettings {
    size_t indent = 0;      // 0: compact; n: n spaces a level, one child a line
    bool shortest = false;  // doubles as the shortest round-trip text, not 17 digits
    NonFiniteText nonFinite = NonFiniteText::AsFormatted;
};

// Why a walk stopped (its values are JsonWriteError's).
enum class WriteFailure : int {
    None = 0,
    NonFinite = 1,    // a non-finite double met NonFiniteText::Fail
    Indentation = 3,  // depth x indent beyond any string
    CallerText = 4,   // a caller's own Format wrote text the settings change
};

// Appends the text of the value `root`. The library's own implementations are
// written by the walk; any other class (a caller's subclass) by its virtual
// Format, at any depth. When that Format is the library's own (inherited), it
// writes with the same settings at the same depth. On failure `out` holds
// partial text that the caller drops. `baseDepth`: the levels of indentation
// the text starts at (a value inside the incremental writer's containers).
template <class C>
WriteFailure WriteTree(const JsonValueTypeImpl& root, std::basic_string<C>& out,
                       const WriteSettings& settings, size_t baseDepth = 0);

}  // namespace _Private
