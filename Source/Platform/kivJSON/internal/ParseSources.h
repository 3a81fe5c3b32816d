// Internal to the library: the sources of the parses that take options. They
// know where each token starts and whether the parse is strict.
#pragma once

#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONParser.h>

#include <algorithm>
#include <cstddef>
#include <istream>
#include <string>
#include <string_view>

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

// The last string literal read from text in memory, when it had no escapes:
// left where it stands instead of copied into the token (see
// JsonTokenizer::kTextInPlace). Unused after one with escapes, whose decoded
// text is in the token.
template <class C>
struct JsonTextInPlace {
    std::basic_string_view<C> textInPlace;
    bool hasTextInPlace = false;
};

// JsonValue::Parse's text in memory.
template <class C>
class JsonPlainStringParser : public JsonStringParser<C>, public JsonTextInPlace<C> {
public:
    explicit JsonPlainStringParser(const std::basic_string<C>& text) : JsonStringParser<C>(text) {}
};

// Text in memory: the tokenizer records the offset of each token; line and
// column are counted once, for the token that failed.
template <class C>
class JsonTrackedStringParser : public JsonStringParser<C>,
                                public JsonParseTracking,
                                public JsonTextInPlace<C> {
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
