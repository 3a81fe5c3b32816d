// What the input holds where a parse failed, in words for an error message.
#pragma once

#include <cstddef>
#include <string>

// Describes what the parser met at `offset` of `parsed` (bytes of narrow
// text, elements of wide text), which is `source` as read or decoded to wide
// characters: "byte-order mark; use --allow-bom to accept it" (a UTF-8 BOM at the start), "UTF-16
// text" (a UTF-16 BOM, or a NUL among the first two bytes, met at the start), "unexpected end of
// input", or "unexpected character 'x'" (U+0001 for a character that does not print, byte 0xFF for
// ill-formed UTF-8).
std::string DescribeFound(const std::string& source, const std::string& parsed, size_t offset);
std::string DescribeFound(const std::string& source, const std::wstring& parsed, size_t offset);
// The same for a streamed input: `head` is its first bytes, `bytes` those at
// `offset` (up to 4; none at the end of the input).
std::string DescribeFoundAt(const std::string& head, const std::string& bytes, size_t offset);
// And for one decoded to wide characters: `chars` those at `offset`.
std::string DescribeFoundAt(const std::string& head, const std::wstring& chars, size_t offset);
