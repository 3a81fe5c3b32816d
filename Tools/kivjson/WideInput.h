// An input decoded from UTF-8 to wide characters a block at a time, for
// `check --wide`: the same characters the core library's converter gives for
// the whole text (an ill-formed sequence becomes U+FFFD), without holding it.
#pragma once

#include "InputStream.h"

#include <cstddef>
#include <streambuf>
#include <string>

class WideInputStream : public std::wstreambuf {
public:
    explicit WideInputStream(InputStream& bytes) : m_bytes(bytes) {}
    WideInputStream(const WideInputStream&) = delete;
    WideInputStream& operator=(const WideInputStream&) = delete;

    // The character at `offset` (none at the end of the input, or when the
    // offset is further back than the previous block's last characters).
    std::wstring CharAt(size_t offset);

protected:
    int_type underflow() override;

private:
    static constexpr size_t kKeep = 8;  // characters kept before each new block

    InputStream& m_bytes;
    std::string m_carry;      // the bytes after the block's last safe cut
    std::wstring m_chars;     // the kept characters, then the current block
    size_t m_blockStart = 0;  // input offset (in characters) of m_chars[0]
};
