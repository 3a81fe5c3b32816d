// Internal to the library: the grammar as a machine. One event per call, with
// the open containers on an explicit stack. Each event is handed out while its
// token is current; the token after it is read by the next call. Every parse
// runs it: the tree builder (TreeBuilder.h) behind JsonValue::Parse,
// JsonParseText and the exported parser classes, and the pull reader, so all
// of them give the same verdicts, codes and positions.
#pragma once

#include <kivJSON/JSONParser.h>
#include <kivJSON/JSONReader.h>
#include "MemberRun.h"
#include "Tokenizer.h"

#include <cstddef>

namespace _Private {

template <class Parser>
class JsonEventMachine {
public:
    using C = typename Parser::CharType;
    using Token = typename Parser::Token;

    JsonEventMachine(Parser& parser, Token& token) : m_parser(parser), m_token(token) {}

    // The next event into `event`. False once the document is complete and
    // only its end follows, or on a failure (the token's error then holds it).
    // Inlined into the loop that drives it (the reader, the tree builder).
    [[gnu::always_inline]] bool Next() {
        if (m_state == State::Done) {
            return false;
        }
        // The common case inside a container: a comma after the value, a colon
        // after the key, consumed without a token of their own.
        bool separated = false;
        if (!m_advanced) {
            if (m_state == State::AfterValue) {
                separated = m_depth != 0 && Separator(',');
            } else if (m_state == State::AfterKey) {
                separated = Separator(':');
            }
        }
        // One place reads tokens, so that the tokenizer is inlined only once.
        for (;;) {
            if (!Advance()) {
                return false;
            }
            if (separated) {
                return m_state == State::AfterValue && InObject() ? Key() : Value();
            }
            switch (m_state) {
                case State::AfterValue:
                    break;
                case State::Start:
                    return Value();
                case State::AfterBeginArray:
                    return m_token.kind == Token::ArrayEnd ? Close() : Value();
                case State::AfterBeginObject:
                    return m_token.kind == Token::ObjectEnd ? Close() : Key();
                default:  // after a key
                    if (m_token.kind != Token::Colon) {
                        return Fail(MalformedObject);
                    }
                    separated = true;
                    continue;
            }
            if (m_depth == 0) {  // the document is complete: only its end may follow
                if (m_token.kind != Token::EndOfInput) {
                    return Fail(LeftOverCharacters);
                }
                m_state = State::Done;
                return false;
            }
            const bool object = InObject();
            if (m_token.kind == (object ? Token::ObjectEnd : Token::ArrayEnd)) {
                return Close();
            }
            if (m_token.kind != Token::Comma) {
                return Fail(object ? MalformedObject : MalformedArray);
            }
            separated = true;
        }
    }

    // Narrow text in memory, on a BeginArray event: an array that holds
    // nothing but 1 to Run::kCapacity short number literals (ScanShort's)
    // is read whole into `run`, and the machine then stands on its EndArray
    // event, as if each of its events had been handed out. Any other array
    // is left unread: false, and the machine goes on as before. Coordinate
    // pairs and index pairs are read without a round through the grammar for
    // each of their tokens.
    template <class Run>
    bool TakeNumberArray(Run& run) {
        return JsonTokenizer<C, Parser>::TakeNumberArray(m_parser, m_token, run) && Close();
    }

    // Inside an object, on its BeginObject event or on a member's last
    // event: reads the plain members that follow (TakePlainMembers) into
    // `members`. The machine then stands after the last value read, or on
    // the Key event of a member whose value is not plain; when nothing was
    // read, it stands where it stood.
    template <class Members>
    void TakePlainMembers(Members& members) {
        switch (_Private::TakePlainMembers<JsonTokenizer<C, Parser>>(
            m_parser, m_token, members, m_state == State::AfterBeginObject)) {
            case MemberRunEnd::Nothing:
                break;
            case MemberRunEnd::AfterValue:
                m_state = State::AfterValue;
                break;
            case MemberRunEnd::AfterKey:
                Emit(JsonEvent::Key, State::AfterKey);
                break;
        }
    }

    // The source the tokens are read from.
    const Parser& Source() const { return m_parser; }
    // Containers open after the current event.
    size_t Depth() const { return m_depth; }
    // Whether the innermost open container is an object.
    bool InObject() const { return m_open[m_depth] != 0; }
    bool Done() const { return m_state == State::Done; }
    // For a caller that has read the first token of a value already: the next
    // call hands out that value's first event.
    void StartAtToken() { m_advanced = true; }
    // For a caller that has read a '[' or '{' already: the machine stands on
    // its Begin* event.
    void StartInside(bool object) {
        if (Open(object)) {
            event = object ? JsonEvent::BeginObject : JsonEvent::BeginArray;
        }
    }
    bool Fail(JsonErrorCode code) {
        if (!m_token.error) {
            m_token.error = std::error_code(code, JsonErrorCategory::s_item);
        }
        m_state = State::Done;
        return false;
    }

    JsonEvent event = JsonEvent::Null;

private:
    enum class State : unsigned char {
        Start,
        AfterBeginArray,
        AfterBeginObject,
        AfterKey,
        AfterValue,
        Done
    };

    // Reads the next token unless a whole value read it already.
    bool Advance() {
        if (m_advanced) {
            m_advanced = false;
        } else {
            JsonTokenizer<C, Parser>::Tokenize(m_parser, m_token);
        }
        return !m_token.error || Fail(MalformedToken);
    }

    bool Separator(char separator) {
        return JsonTokenizer<C, Parser>::SkipSeparator(m_parser, separator);
    }

    // The tokenizer refuses to open more than kMaxNestingDepth containers (one
    // more when a caller of StartInside made up the Begin* token itself); a
    // caller's own source that resets its count meets a limit here.
    bool Open(bool object) {
        if (m_depth == kMaxNestingDepth + 1) {
            return Fail(NestingTooDeep);
        }
        m_open[++m_depth] = object ? 1 : 0;
        m_state = object ? State::AfterBeginObject : State::AfterBeginArray;
        return true;
    }

    bool Emit(JsonEvent kind, State next) {
        event = kind;
        m_state = next;
        return true;
    }

    [[gnu::always_inline]] bool Value() {
        switch (m_token.kind) {
            case Token::ObjectBegin:
                return Open(true) && Emit(JsonEvent::BeginObject, State::AfterBeginObject);
            case Token::ArrayBegin:
                return Open(false) && Emit(JsonEvent::BeginArray, State::AfterBeginArray);
            case Token::String:
                return Emit(JsonEvent::String, State::AfterValue);
            case Token::Double:
            case Token::Integer:
                return Emit(JsonEvent::Number, State::AfterValue);
            case Token::Bool:
                return Emit(JsonEvent::Bool, State::AfterValue);
            case Token::Null:
                return Emit(JsonEvent::Null, State::AfterValue);
            default:  // no value starts with this token, or the input has ended
                return Fail(MalformedToken);
        }
    }

    bool Key() {
        return m_token.kind == Token::String ? Emit(JsonEvent::Key, State::AfterKey)
                                             : Fail(MalformedObject);
    }

    bool Close() {
        const bool object = m_open[m_depth--] != 0;
        return Emit(object ? JsonEvent::EndObject : JsonEvent::EndArray, State::AfterValue);
    }

    Parser& m_parser;
    Token& m_token;
    State m_state = State::Start;
    bool m_advanced = false;
    // The open containers, outermost at [1]; 1 marks an object. The tokenizer
    // refuses to open more than kMaxNestingDepth.
    unsigned char m_open[kMaxNestingDepth + 2] = {};
    size_t m_depth = 0;
};

}  // namespace _Private
