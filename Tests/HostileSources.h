// Stream buffers that make a parser's life hard.
#pragma once

#include <cstddef>
#include <streambuf>
#include <string>

// Thrown by TrickleBuf where it was told to fail.
struct SourceFailure {
    size_t at;
};

// Hands out one character per underflow, and throws SourceFailure instead of
// handing out the character at `failAt`.
template <class C>
class TrickleBuf : public std::basic_streambuf<C> {
public:
    explicit TrickleBuf(std::basic_string<C> text, size_t failAt = std::string::npos)
        : m_text(std::move(text)), m_failAt(failAt) {}

protected:
    typename std::basic_streambuf<C>::int_type underflow() override {
        if (m_next == m_failAt) {
            throw SourceFailure{m_next};
        }
        if (m_next == m_text.size()) {
            return std::char_traits<C>::eof();
        }
        C* const at = &m_text[m_next++];
        this->setg(at, at, at + 1);
        return std::char_traits<C>::to_int_type(*at);
    }

private:
    std::basic_string<C> m_text;
    size_t m_failAt;
    size_t m_next = 0;
};
