// The character sources of the parser: text in memory and stream buffers, and
// the variants of both that keep track of where each token starts.
#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONParser.h>

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

namespace _Private {

// Moves `position` past the character `c`. A line ends at a line feed; a column
// is a code point, so in narrow text the continuation bytes of a UTF-8 sequence
// do not count.
template <class C, class V>
void AdvancePosition(JsonParsePosition& position, V c) {
    ++position.offset;
    if (c == '\n') {
        ++position.line;
        position.column = 1;
    } else if (sizeof(C) > 1 || (static_cast<unsigned>(c) & 0xC0) != 0x80) {
        ++position.column;
    }
}

// What the tokenizer keeps for the parses that take options.
struct JsonParseTracking {
    explicit JsonParseTracking(const JsonParseOptions& options) : strict(options.strict) {}

    bool strict;
    JsonParsePosition tokenStart{0, 1, 1};  // of the token read last
};

// Text in memory: the tokenizer records the offset of each token; line and
// column are counted once, for the token that failed.
template <class C>
class JsonTrackedStringParser : public JsonStringParser<C>, public JsonParseTracking {
public:
    JsonTrackedStringParser(const std::basic_string<C>& text, const JsonParseOptions& options)
        : JsonStringParser<C>(text), JsonParseTracking(options), m_begin(text.data()) {}

    JsonParsePosition Position() const {
        JsonParsePosition position{0, 1, 1};
        std::for_each(m_begin, m_begin + tokenStart.offset,
                      [&position](C c) { AdvancePosition<C>(position, c); });
        return position;
    }

    const C* const m_begin;
};

// A stream: every character read moves the position on.
template <class C>
class JsonTrackedStreamParser : public JsonStreamParser<C>, public JsonParseTracking {
public:
    using typename JsonParser<C>::CharValue;

    JsonTrackedStreamParser(std::basic_istream<C>& stream, const JsonParseOptions& options)
        : JsonStreamParser<C>(stream), JsonParseTracking(options) {}

    CharValue NextCharacter() override {
        const CharValue c = JsonStreamParser<C>::NextCharacter();
        if (c != this->m_eof) {
            m_last = m_next;
            AdvancePosition<C>(m_next, c);
        }
        return c;
    }

    JsonParsePosition Position() const { return tokenStart; }

    JsonParsePosition m_last{0, 1, 1};  // of the character read last
    JsonParsePosition m_next{0, 1, 1};  // of the character to be read next
};

}  // namespace _Private
