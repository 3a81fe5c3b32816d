// JSON Pointer (RFC 6901): "/statuses/0/user/name", with ~0 for '~' and ~1 for '/'.
#pragma once

#include <kivJSON/JSONValue.h>

#include <string>
#include <vector>

// Splits `pointer` into unescaped reference tokens. "" is the whole document.
// False when the pointer does not start with '/' or holds a '~' that is not
// followed by '0' or '1'.
bool SplitJsonPointer(const std::string& pointer, std::vector<std::string>& tokens);

// The value the tokens lead to, or nullptr when there is none. An object
// member is the first one with that key; an array index is decimal without
// leading zeros ("-", past-the-end in RFC 6901, never exists).
const JsonValue* ResolveJsonPointer(const JsonValue& root, const std::vector<std::string>& tokens);
