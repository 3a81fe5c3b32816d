// The exported parser classes: each member hands its work to the tokenizer or
// the event machine and tree builder, through the base class so that a caller's overrides are
// honoured.
#include <kivJSON/JSONParser.h>
#include "internal/EventMachine.h"
#include "internal/TreeBuilder.h"

// ===== JsonParser<C>: the public members run the engine through the base class ============

template <class C>
using JsonTokenizerThroughBase = _Private::JsonTokenizer<C, JsonParser<C>>;

template <class C>
JsonParser<C>::JsonParser() : m_eof(std::char_traits<C>::eof()), m_depth(0) {}

template <class C>
void JsonParser<C>::CreateToken(Token& token, typename Token::Kind kind) {
    token.kind = kind;
    token.text.clear();
}

template <class C>
void JsonParser<C>::EatWhitespace() {
    JsonTokenizerThroughBase<C>::SkipWhitespace(*this);
}

template <class C>
void JsonParser<C>::GetNextToken(Token& token) {
    JsonTokenizerThroughBase<C>::Tokenize(*this, token);
}

template <class C>
bool JsonParser<C>::CompleteKeywordTrue(Token& token) {
    if (!JsonTokenizerThroughBase<C>::Keyword(*this, "rue")) {
        return false;
    }
    token.kind = Token::Bool;
    token.boolValue = true;
    return true;
}

template <class C>
bool JsonParser<C>::CompleteKeywordFalse(Token& token) {
    if (!JsonTokenizerThroughBase<C>::Keyword(*this, "alse")) {
        return false;
    }
    token.kind = Token::Bool;
    token.boolValue = false;
    return true;
}

template <class C>
bool JsonParser<C>::CompleteKeywordNull(Token& token) {
    if (!JsonTokenizerThroughBase<C>::Keyword(*this, "ull")) {
        return false;
    }
    token.kind = Token::Null;
    return true;
}

template <class C>
bool JsonParser<C>::ParseInt64(CharValue c, unsigned long& value) {
    return JsonTokenizerThroughBase<C>::ParseInt64(*this, c, value);
}

template <class C>
bool JsonParser<C>::CompleteNumberLiteral(CharValue c, Token& token) {
    return JsonTokenizerThroughBase<C>::NumberLiteral(*this, c, token);
}

template <class C>
bool JsonParser<C>::HasUnescapedChars(Token& token) {
    return JsonTokenizerThroughBase<C>::Escape(*this, token);
}

template <class C>
bool JsonParser<C>::CompleteStringLiteral(Token& token) {
    return JsonTokenizerThroughBase<C>::GeneralStringLiteral(*this, token);
}

template <class C>
bool JsonParser<C>::CompleteComment(Token& token) {
    return JsonTokenizerThroughBase<C>::GeneralComment(*this, token);
}

// A value from the current token on (`inside`: from the '[' or '{' the token
// holds), built from the machine's events; the token then holds the token after it.
template <class C>
UniquePtr<_Private::JsonValueTypeImpl> JsonParseThroughBase(JsonParser<C>& parser,
                                                            typename JsonParser<C>::Token& token,
                                                            const bool* inside) {
    _Private::JsonEventMachine<JsonParser<C>> machine(parser, token);
    if (inside != nullptr) {
        machine.StartInside(*inside);
    } else {
        machine.StartAtToken();
        if (!machine.Next()) {
            return _Private::ParserNull();
        }
    }
    UniquePtr<_Private::JsonValueTypeImpl> value =
        _Private::JsonTreeBuilder<JsonParser<C>>::Build(machine, token);
    if (token.error) {
        return value;  // null
    }
    JsonTokenizerThroughBase<C>::Tokenize(parser, token);
    return token.error ? _Private::ParserNull() : value;
}

template <class C>
JsonValue JsonParser<C>::ParseValue(Token& token) {
    return JsonValue(JsonParseThroughBase(*this, token, nullptr));
}

template <class C>
UniquePtr<_Private::JsonValueTypeImpl> JsonParser<C>::_ParseValue(Token& token) {
    return JsonParseThroughBase(*this, token, nullptr);
}

template <class C>
UniquePtr<_Private::JsonValueTypeImpl> JsonParser<C>::_ParseArray(Token& token) {
    const bool inside = false;
    return JsonParseThroughBase(*this, token, &inside);
}

template <class C>
UniquePtr<_Private::JsonValueTypeImpl> JsonParser<C>::_ParseObject(Token& token) {
    const bool inside = true;
    return JsonParseThroughBase(*this, token, &inside);
}

// ===== JsonStringParser<C>: the scanners over text in memory ==================================

template <class C>
using JsonStringTokenizer = _Private::JsonTokenizer<C, JsonStringParser<C>>;

template <class C>
bool JsonStringParser<C>::CompleteComment(Token& token) {
    return JsonStringTokenizer<C>::MemoryComment(*this, token);
}

template <class C>
bool JsonStringParser<C>::CompleteStringLiteral(Token& token) {
    return JsonStringTokenizer<C>::MemoryStringLiteral(*this, token);
}

template <class C>
bool JsonStringParser<C>::FinishParseOfStrWithUnescapedChars(Token& token) {
    return JsonStringTokenizer<C>::MemoryStringAfterBackslash(*this, token);
}

template class JsonParser<char>;
template class JsonParser<wchar_t>;
template class JsonStringParser<char>;
template class JsonStringParser<wchar_t>;
template class JsonStreamParser<char>;
template class JsonStreamParser<wchar_t>;
