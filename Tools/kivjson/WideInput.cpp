#include "WideInput.h"

#include <kivCore/TextFunctions.h>

#include <algorithm>

namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Where `bytes` (which start a sequence) may be cut so that converting the
// two parts apart gives what converting them together gives. The converter
// decodes a lead byte with at most three continuation bytes, or a stray byte
// alone, so every byte that is not a continuation starts a sequence: cut
// before the last one among the last four bytes. When all four are
// continuation bytes, no sequence still open can reach past them.
size_t SafeCut(const std::string& bytes) {
    const size_t size = bytes.size();
    for (size_t back = 1; back <= std::min<size_t>(4, size); ++back) {
        if (!IsContinuation(bytes[size - back])) {
            return size - back;
        }
    }
    return size;
}

}  // namespace

std::wstreambuf::int_type WideInputStream::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    // The last characters read stay in front, so CharsAt can still see them.
    const size_t used = m_chars.size();
    const size_t keep = std::min(used, kKeep);
    m_chars.erase(0, used - keep);
    m_blockStart += used - keep;
    std::string block(64 * 1024, '\0');
    for (;;) {
        const std::streamsize got =
            m_bytes.sgetn(&block[0], static_cast<std::streamsize>(block.size()));
        std::string text = std::move(m_carry);
        text.append(block, 0, static_cast<size_t>(got));
        m_carry.clear();
        if (got != 0) {
            const size_t cut = SafeCut(text);
            m_carry.assign(text, cut, std::string::npos);
            text.resize(cut);
        }
        m_chars += ConvertString_UTF8_to_WSTRING(text);
        if (m_chars.size() > keep || got == 0) {
            break;
        }
    }
    wchar_t* const begin = &m_chars[0];
    setg(begin, begin + keep, begin + m_chars.size());
    return gptr() < egptr() ? traits_type::to_int_type(*gptr()) : traits_type::eof();
}

std::wstring WideInputStream::CharAt(size_t offset) {
    while (offset >= m_blockStart + m_chars.size()) {
        setg(eback(), egptr(), egptr());  // the parse is over: the rest is free to take
        if (underflow() == traits_type::eof()) {
            return std::wstring();
        }
    }
    return offset < m_blockStart ? std::wstring() : m_chars.substr(offset - m_blockStart, 1);
}
