// The character sources of the parser: text in memory and stream buffers, and
// the variants of both that keep track of where each token starts.
#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONParser.h>
#include "internal/ParseSources.h"

#include <algorithm>
#include <streambuf>
#include <type_traits>

namespace {

// Reads as empty input; it holds no state, so one instance serves every parse.
template <class C>
class ParserEmptyStreamBuf : public std::basic_streambuf<C> {};

template <class C>
std::basic_streambuf<C>* ParserEmptyStreamBuffer() {
    static ParserEmptyStreamBuf<C> s_empty;
    return &s_empty;
}

}  // namespace

// ===== JsonStringParser<C> ==================================================================

template <class C>
JsonStringParser<C>::JsonStringParser(const std::basic_string<C>& text)
    : m_pos(text.data()), m_end(text.data() + text.size()) {
    // In wide text an element with the value of WEOF ends the input.
    if constexpr (!std::is_same_v<C, char>) {
        m_end = std::find(m_pos, m_end, static_cast<C>(std::char_traits<C>::eof()));
    }
}

template <class C>
typename JsonStringParser<C>::CharValue JsonStringParser<C>::NextCharacter() {
    if (m_pos == m_end) {
        return this->m_eof;
    }
    return std::char_traits<C>::to_int_type(*m_pos++);
}

template <class C>
typename JsonStringParser<C>::CharValue JsonStringParser<C>::PeekCharacter() {
    if (m_pos == m_end) {
        return this->m_eof;
    }
    return std::char_traits<C>::to_int_type(*m_pos);
}

// ===== JsonStreamParser<C> ==================================================================

template <class C>
JsonStreamParser<C>::JsonStreamParser(std::basic_istream<C>& stream)
    : m_streamBuf(stream.rdbuf() != nullptr ? stream.rdbuf() : ParserEmptyStreamBuffer<C>()) {}

template <class C>
typename JsonStreamParser<C>::CharValue JsonStreamParser<C>::NextCharacter() {
    const CharValue c = m_streamBuf->sbumpc();
    if (c == this->m_eof) {
        // The end stays the end: a wide element equal to WEOF ends the input here,
        // as in the string source, instead of being stepped over.
        m_streamBuf = ParserEmptyStreamBuffer<C>();
    }
    return c;
}

template <class C>
typename JsonStreamParser<C>::CharValue JsonStreamParser<C>::PeekCharacter() {
    return m_streamBuf->sgetc();
}

// ===== Sources that know where each token starts ============================================
