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

// Appends the text of the value `root`. The library's own implementations are
// written by the walk; any other class (a caller's subclass) by its virtual
// Format, at any depth. Returns false only when a non-finite double met
// NonFiniteText::Fail; `out` then holds partial text that the caller drops.
template <class C>
bool WriteTree(const JsonValueTypeImpl& root, std::basic_string<C>& out,
               const WriteSettings& settings);

}  // namespace _Private
