// The JSON parser: character sources, tokenizer, scanners and grammar.
//
// Callers normally use JsonValue::Parse; the classes here are public so that a
// caller can read tokens directly. One template serves char (UTF-8 text) and
// wchar_t (one code point per element); both are instantiated in the library.
#pragma once

#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONValue.h>

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <system_error>

namespace _Private {
template <class C, class Parser>
struct JsonTokenizer;
}  // namespace _Private

// Reads tokens from a source of characters and builds values from them.
// Abstract: the sources below supply the characters. Parsers live on the stack
// of one parse and are never deleted through this type (no virtual destructor).
template <class C>
class KIVJSON_API JsonParser {
public:
    using CharType = C;
    // A character, or m_eof. int for char, wint_t for wchar_t.
    using CharValue = typename std::char_traits<C>::int_type;

    // One per parse; every call of GetNextToken overwrites it.
    struct Token {
        enum Kind : int32_t {
            EndOfInput = 0,  // also the kind left behind by a failed read
            ObjectBegin = 1,
            ObjectEnd = 2,
            ArrayBegin = 3,
            ArrayEnd = 4,
            Comma = 5,
            Colon = 6,
            String = 7,   // text, hasEscapes
            Double = 8,   // doubleValue
            Integer = 9,  // intValue when isNegative, else uintValue
            Bool = 10,    // boolValue
            Null = 11,
            Comment = 12,  // skipped by GetNextToken, never handed out
        };

        Token() : kind(EndOfInput) {}

        Kind kind;
        std::basic_string<C> text;  // decoded string content; cleared for other kinds
        union {                     // read through the member the kind names
            bool boolValue;
            bool hasEscapes;
            uint64_t uintValue;
            int64_t intValue;
            double doubleValue;
        };
        bool isNegative;
        std::error_code error;  // 0 until the first failure, then a kivJSON code
    };

    // Consumes and returns the next character, or m_eof at the end.
    virtual CharValue NextCharacter() = 0;
    // Returns the next character without consuming it, or m_eof at the end.
    virtual CharValue PeekCharacter() = 0;
    // After "/": skips a line or block comment. False when malformed.
    virtual bool CompleteComment(Token& token);
    // After the opening quote: decodes the literal into token.text. False when malformed.
    virtual bool CompleteStringLiteral(Token& token);

    // Reads the next token, skipping whitespace and comments. A failure leaves
    // kind EndOfInput and stores the code in token.error; success leaves error alone.
    void GetNextToken(Token& token);
    // Consumes whitespace; the first other character stays unread.
    void EatWhitespace();
    void CreateToken(Token& token, typename Token::Kind kind);
    // After the first letter: the rest of the keyword. False on a mismatch.
    bool CompleteKeywordTrue(Token& token);
    bool CompleteKeywordFalse(Token& token);
    bool CompleteKeywordNull(Token& token);
    // After "-" or the first digit (c): an exact 64-bit integer or a double.
    bool CompleteNumberLiteral(CharValue c, Token& token);
    // Accumulates the digits from c on. False, with the next digit unconsumed,
    // when that digit would carry value past 2^64 - 1.
    bool ParseInt64(CharValue c, unsigned long& value);
    // After a backslash: appends what the escape stands for. False when invalid.
    bool HasUnescapedChars(Token& token);

    // One value from the current token on; token then holds the token after it.
    // Never throws for bad syntax: a null value comes back with token.error set.
    JsonValue ParseValue(Token& token);
    UniquePtr<_Private::JsonValueTypeImpl> _ParseValue(Token& token);
    UniquePtr<_Private::JsonValueTypeImpl> _ParseArray(Token& token);
    UniquePtr<_Private::JsonValueTypeImpl> _ParseObject(Token& token);

protected:
    JsonParser();
    ~JsonParser() = default;

    template <class, class>
    friend struct _Private::JsonTokenizer;

    const CharValue m_eof;  // std::char_traits<C>::eof()
    size_t m_depth;         // brackets currently open; at most 128
};

// Reads text in place; the text must outlive the parser. In wide text an
// element equal to WEOF ends the input.
template <class C>
class KIVJSON_API JsonStringParser : public JsonParser<C> {
public:
    using typename JsonParser<C>::CharValue;
    using typename JsonParser<C>::Token;

    explicit JsonStringParser(const std::basic_string<C>& text);

    CharValue NextCharacter() override;
    CharValue PeekCharacter() override;
    // Scan the buffer directly instead of a virtual call per character.
    bool CompleteComment(Token& token) override;
    bool CompleteStringLiteral(Token& token) override;
    // The rest of a string literal from its first backslash on.
    bool FinishParseOfStrWithUnescapedChars(Token& token);

private:
    template <class, class>
    friend struct _Private::JsonTokenizer;

    const C* m_pos;
    const C* m_end;
};

// Reads a stream's buffer directly: no sentry, and the stream's state flags are
// neither tested nor set. A character that was only peeked stays in the buffer.
template <class C>
class KIVJSON_API JsonStreamParser : public JsonParser<C> {
public:
    using typename JsonParser<C>::CharValue;

    // A stream without a buffer reads as empty input.
    explicit JsonStreamParser(std::basic_istream<C>& stream);

    CharValue NextCharacter() override;
    CharValue PeekCharacter() override;

private:
    std::basic_streambuf<C>* m_streamBuf;
};

extern template class JsonParser<char>;
extern template class JsonParser<wchar_t>;
extern template class JsonStringParser<char>;
extern template class JsonStringParser<wchar_t>;
extern template class JsonStreamParser<char>;
extern template class JsonStreamParser<wchar_t>;
