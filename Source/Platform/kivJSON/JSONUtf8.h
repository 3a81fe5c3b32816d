// Whether text is well-formed UTF-8, as JSON text must be. An extension: the
// strict parse applies this rule to every string; the default dialect keeps
// strings that break it, and this says so before such a string is written.
#pragma once

#include <kivJSON/JSONSystem.h>

#include <string_view>

// No overlong forms, no surrogates (U+D800 to U+DFFF), nothing past U+10FFFF,
// no sequence cut short.
KIVJSON_API bool JsonIsUtf8(std::string_view text) noexcept;
