// The JSON parser: character sources, tokenizer, scanners and grammar. Written
// once over the character type and instantiated for char and wchar_t at the end.
#include <kivJSON/JSONParser.h>
#include <kivJSON/JSONPrivateImpl.h>
#include "internal/ParseDocument.h"
#include "internal/StringScan.h"
#include "internal/TreeAccess.h"

#include <kivCore/Conversion.h>
#include <kivCore/TextFunctions.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <iterator>
#include <stdexcept>
#include <streambuf>
#include <type_traits>

namespace {

constexpr size_t kMaxNestingDepth = 128;

// Hex digit values for "\u" escapes; -1 marks a non-digit.
constexpr signed char s_hexValEscapeLUT[128] = {
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  //
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  //
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  //
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  -1, -1, -1, -1, -1, -1,  // 0-9
    -1, 10, 11, 12, 13, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // A-F
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  //
    -1, 10, 11, 12, 13, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // a-f
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  //
};

// The C library decides, so the locale's whitespace separates tokens too. Space,
// tab, line feed and carriage return are whitespace in every locale and the
// printable ASCII characters in none; only the rest asks the library.
template <class V>
bool IsCommonWhitespace(V c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}
bool IsWhitespace(int c) {
    return IsCommonWhitespace(c) || ((c < ' ' || c >= 0x7F) && std::isspace(c) != 0);
}
bool IsWhitespace(unsigned int c) {
    return IsCommonWhitespace(c) || ((c < ' ' || c >= 0x7F) && std::iswspace(c) != 0);
}

// Only ASCII digits count, in either width.
template <class V>
bool IsParserDigit(V c) {
    return c >= '0' && c <= '9';
}

template <class C>
void RecordParseError(typename JsonParser<C>::Token& token, JsonErrorCode code) {
    if (!token.error) {
        token.error = std::error_code(code, JsonErrorCategory::s_item);
    }
}

UniquePtr<_Private::JsonValueTypeImpl> ParserNull() {
    return _Private::JsonMakeUnique<_Private::JsonNullTypeImpl>();
}

// --- "\u" escapes ------------------------------------------------------------------------

// Narrow text: the core library encodes UTF-16 as UTF-8 (a surrogate without
// its partner becomes U+FFFD there). ASCII needs no conversion.
void ConvertAppendUnicodeUnit(JsonParser<char>::Token& token, char16_t unit) {
    if (unit < 0x80) {
        token.text.push_back(static_cast<char>(unit));
        return;
    }
    token.text += ConvertString_UTF16_to_UTF8(std::u16string(1, unit));
}

void ConvertAppendUnicodePair(JsonParser<char>::Token& token, char16_t high, char16_t low) {
    const char16_t units[2] = {high, low};
    token.text += ConvertString_UTF16_to_UTF8(std::u16string(units, 2));
}

// Wide text: one element per code point. A lone surrogate keeps its unit value.
void ConvertAppendUnicodeUnit(JsonParser<wchar_t>::Token& token, char16_t unit) {
    token.text.push_back(static_cast<wchar_t>(unit));
}

// A high surrogate whose partner is no low surrogate becomes U+FFFD, and the
// partner a character of its own (U+FFFD again if it is a high surrogate too),
// so that both widths store the same text, as the narrow conversion does.
void ConvertAppendUnicodePair(JsonParser<wchar_t>::Token& token, char16_t high, char16_t low) {
    if (low < 0xDC00 || low > 0xDFFF) {
        const bool surrogate = low >= 0xD800 && low <= 0xDBFF;
        token.text.push_back(static_cast<wchar_t>(0xFFFD));
        token.text.push_back(static_cast<wchar_t>(surrogate ? 0xFFFD : low));
        return;
    }
    token.text.push_back(static_cast<wchar_t>(0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00)));
}

// --- Number text -------------------------------------------------------------------------

// The text of a floating-point literal, narrowed to ASCII for the conversion.
// Stays on the stack unless a literal is unusually long.
class ParserNumberText {
public:
    ParserNumberText() = default;
    ParserNumberText(const ParserNumberText&) = delete;
    ParserNumberText& operator=(const ParserNumberText&) = delete;

    void Append(char c) {
        if (m_size + 1 == m_capacity) {
            Grow();
        }
        m_data[m_size++] = c;
    }
    char* Data() { return m_data; }
    size_t Size() const { return m_size; }
    void Resize(size_t size) { m_size = size; }
    // Zero-terminates (for the strtod fallback) and returns the start.
    const char* Terminated() {
        m_data[m_size] = '\0';
        return m_data;
    }

private:
    void Grow() {
        m_heap.resize(m_capacity * 2);
        if (m_data == m_inline) {
            std::copy(m_inline, m_inline + m_size, m_heap.begin());
        }
        m_data = &m_heap[0];
        m_capacity = m_heap.size();
    }

    char m_inline[64];
    std::string m_heap;
    char* m_data = m_inline;
    size_t m_size = 0;
    size_t m_capacity = sizeof(m_inline);
};

// Writes `value` in decimal at the start of the buffer; returns the length.
size_t print_llu(ParserNumberText& buffer, unsigned long value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof(digits), value);
    const size_t length = static_cast<size_t>(result.ptr - digits);
    for (size_t i = 0; i < length; ++i) {
        buffer.Append(digits[i]);
    }
    return length;
}

// Exact and locale-independent. Out of range, strtod gives what users expect
// of an overflow (infinity) or underflow (zero or a subnormal).
double anystod(const char* first, const char* last, ParserNumberText& scratch) {
    double result = 0.0;
    const auto converted = std::from_chars(first, last, result);
    if (converted.ec == std::errc::result_out_of_range) {
        if (first != scratch.Data()) {  // strtod wants the text zero-terminated
            scratch.Resize(0);
            std::for_each(first, last, [&scratch](char c) { scratch.Append(c); });
        }
        return std::strtod(scratch.Terminated(), nullptr);
    }
    return result;
}

// --- Streams without a buffer --------------------------------------------------------------

// Reads as empty input; it holds no state, so one instance serves every parse.
template <class C>
class ParserEmptyStreamBuf : public std::basic_streambuf<C> {};

template <class C>
std::basic_streambuf<C>* ParserEmptyStreamBuffer() {
    static ParserEmptyStreamBuf<C> s_empty;
    return &s_empty;
}

// The UTF-8 key of an object member.
std::string ParserKeyToUtf8(std::string&& key) {
    return std::move(key);
}
std::string ParserKeyToUtf8(std::wstring&& key) {
    return ConvertTo<std::string, std::wstring>(key);
}

}  // namespace

// ===== The engine: tokenizer, scanners and grammar ========================================

namespace _Private {

// The tokenizer, the scanners and the grammar, written once over the parser they
// read from. JsonParser<C>'s public members run them through the base class, so
// every character is a virtual call and a caller's own source is honoured. The
// parse entry points know the exact source and run them over it: every character
// read is then bound statically and inlined.
template <class C, class Parser>
struct JsonParserEngine {
    using Base = JsonParser<C>;
    using Token = typename Base::Token;
    using CharValue = typename Base::CharValue;
    static constexpr bool kThroughBase = std::is_same_v<Parser, Base>;
    static constexpr CharValue kEof = std::char_traits<C>::eof();
    // Narrow text in memory: number literals are converted where they stand, and
    // runs of spaces are skipped a word at a time.
    static constexpr bool kNarrowInMemory = std::is_same_v<Parser, JsonStringParser<char>>;

    // --- Reading characters -----------------------------------------------------------

    static CharValue Next(Parser& parser) {
        if constexpr (kThroughBase) {
            return parser.NextCharacter();
        } else {
            return parser.Parser::NextCharacter();
        }
    }

    static CharValue Peek(Parser& parser) {
        if constexpr (kThroughBase) {
            return parser.PeekCharacter();
        } else {
            return parser.Parser::PeekCharacter();
        }
    }

    static bool StringLiteral(Parser& parser, Token& token) {
        if constexpr (kThroughBase) {
            return parser.CompleteStringLiteral(token);
        } else if constexpr (std::is_same_v<Parser, JsonStringParser<C>>) {
            return parser.JsonStringParser<C>::CompleteStringLiteral(token);
        } else {
            return GeneralStringLiteral(parser, token);
        }
    }

    static bool Comment(Parser& parser, Token& token) {
        if constexpr (kThroughBase) {
            return parser.CompleteComment(token);
        } else if constexpr (std::is_same_v<Parser, JsonStringParser<C>>) {
            return parser.JsonStringParser<C>::CompleteComment(token);
        } else {
            return GeneralComment(parser, token);
        }
    }

    // --- Tokenizer ------------------------------------------------------------------------

    static void SkipWhitespace(Parser& parser) {
        for (CharValue c = Peek(parser); c != kEof && IsWhitespace(c); c = Peek(parser)) {
            Next(parser);
        }
    }

    static void Tokenize(Parser& parser, Token& token) {
        size_t& depth = static_cast<Base&>(parser).m_depth;
        for (;;) {
            CharValue c = Next(parser);
            while (c != kEof && IsWhitespace(c)) {
                if constexpr (kNarrowInMemory) {
                    SkipSpaceRuns(parser);
                }
                c = Next(parser);
            }
            parser.CreateToken(token, Token::EndOfInput);
            if (c == kEof) {
                return;
            }
            JsonErrorCode failure = MalformedToken;
            switch (c) {
                case '{':
                case '[':
                    if (++depth > kMaxNestingDepth) {
                        failure = NestingTooDeep;
                        break;
                    }
                    token.kind = c == '{' ? Token::ObjectBegin : Token::ArrayBegin;
                    return;
                case '}':
                case ']':
                    if (depth == 0) {
                        failure = MismatchedBraces;
                        break;
                    }
                    --depth;
                    token.kind = c == '}' ? Token::ObjectEnd : Token::ArrayEnd;
                    return;
                case ',':
                    token.kind = Token::Comma;
                    return;
                case ':':
                    token.kind = Token::Colon;
                    return;
                case '"':
                    if (StringLiteral(parser, token))
                        return;
                    failure = MalformedString;
                    break;
                case '-':
                case '0':
                case '1':
                case '2':
                case '3':
                case '4':
                case '5':
                case '6':
                case '7':
                case '8':
                case '9':
                    if (NumberLiteral(parser, c, token))
                        return;
                    failure = MalformedNumber;
                    break;
                case 't':
                    if (Keyword(parser, "rue")) {
                        token.kind = Token::Bool;
                        token.boolValue = true;
                        return;
                    }
                    failure = MalformedLiteral;
                    break;
                case 'f':
                    if (Keyword(parser, "alse")) {
                        token.kind = Token::Bool;
                        token.boolValue = false;
                        return;
                    }
                    failure = MalformedLiteral;
                    break;
                case 'n':
                    if (Keyword(parser, "ull")) {
                        token.kind = Token::Null;
                        return;
                    }
                    failure = MalformedLiteral;
                    break;
                case '/':
                    if (Comment(parser, token))
                        continue;  // and read the token after it
                    failure = MalformedComment;
                    break;
                default:
                    break;  // starts no token
            }
            token.kind = Token::EndOfInput;
            token.error = std::error_code(failure, JsonErrorCategory::s_item);
            return;
        }
    }

    // Indentation comes in long runs of spaces: eight at a time while they last.
    static void SkipSpaceRuns(Parser& parser) {
        constexpr uint64_t kEightSpaces = 0x2020202020202020ull;
        while (parser.m_end - parser.m_pos >= 8) {
            uint64_t word;
            std::memcpy(&word, parser.m_pos, sizeof word);
            if (word != kEightSpaces) {
                return;
            }
            parser.m_pos += 8;
        }
    }

    // The rest of a keyword after its first letter, compared one character at a
    // time; the mismatching character is consumed too.
    static bool Keyword(Parser& parser, const char* rest) {
        for (; *rest != '\0'; ++rest) {
            if (Next(parser) != static_cast<CharValue>(*rest)) {
                return false;
            }
        }
        return true;
    }

    // --- Number literals -----------------------------------------------------------------

    static bool ParseInt64(Parser& parser, CharValue c, unsigned long& value) {
        constexpr unsigned long kLastSafe = 1844674407370955161ul;  // (2^64 - 1) / 10
        value = static_cast<unsigned long>(c - '0');
        for (CharValue p = Peek(parser); IsParserDigit(p); p = Peek(parser)) {
            const unsigned digit = static_cast<unsigned>(p - '0');
            if (value > kLastSafe || (value == kLastSafe && digit > 5)) {
                return false;
            }
            Next(parser);
            value = value * 10 + digit;
        }
        return true;
    }

    // Moves the looked-at character `p` into the number text and looks at the next one.
    static void Take(Parser& parser, ParserNumberText& text, CharValue& p) {
        if constexpr (!kNarrowInMemory) {
            text.Append(static_cast<char>(p));
        }
        Next(parser);
        p = Peek(parser);
    }

    static bool NumberLiteral(Parser& parser, CharValue c, Token& token) {
        const bool negative = c == '-';
        if (negative) {
            c = Next(parser);
        }
        if (!IsParserDigit(c)) {
            return false;
        }
        [[maybe_unused]] const char* digits = nullptr;  // where the literal's digits start
        if constexpr (kNarrowInMemory) {
            digits = parser.m_pos - 1;
        }
        // One leading zero is tolerated ("01" is 1); two are not.
        if (c == '0' && Peek(parser) == '0') {
            return false;
        }
        unsigned long value = 0;
        const bool fits = ParseInt64(parser, c, value);
        CharValue p = Peek(parser);
        if (fits && p != '.' && p != 'e' && p != 'E') {
            constexpr unsigned long kMinInt64Magnitude = 9223372036854775808ul;
            if (!negative) {
                token.kind = Token::Integer;
                token.uintValue = value;
                token.isNegative = false;
            } else if (value <= kMinInt64Magnitude) {
                token.kind = Token::Integer;
                token.intValue =
                    value == kMinInt64Magnitude ? INT64_MIN : -static_cast<int64_t>(value);
                token.isNegative = true;
            } else {
                token.kind = Token::Double;
                token.doubleValue = -static_cast<double>(value);
                token.isNegative = true;
            }
            return true;
        }

        // A fraction, an exponent or more than 64 bits of digits: convert the text.
        ParserNumberText text;
        if constexpr (!kNarrowInMemory) {
            print_llu(text, value);
        }
        bool hasFraction = false;
        for (;;) {
            if (IsParserDigit(p)) {
                Take(parser, text, p);
            } else if (p == '.') {
                if (hasFraction) {
                    return false;
                }
                Take(parser, text, p);
                if (!IsParserDigit(p)) {
                    return false;
                }
                hasFraction = true;
            } else if (p == 'e' || p == 'E') {
                Take(parser, text, p);
                if (p == '+' || p == '-') {
                    Take(parser, text, p);
                }
                if (!IsParserDigit(p)) {
                    return false;
                }
                do {
                    Take(parser, text, p);
                } while (IsParserDigit(p));
                break;  // nothing belongs to a number after its exponent
            } else {
                break;  // the end of the input or the start of the next token
            }
        }
        double result;
        if constexpr (kNarrowInMemory) {
            result = anystod(digits, parser.m_pos, text);
        } else {
            result = anystod(text.Data(), text.Data() + text.Size(), text);
        }
        token.kind = Token::Double;
        token.doubleValue = negative ? -result : result;
        return true;
    }

    // --- String literals and comments ------------------------------------------------------

    // Reads four hex digits into `unit`; false at the first character that is not one.
    static bool ReadHexUnit(Parser& parser, char16_t& unit) {
        using Unit = std::make_unsigned_t<CharValue>;
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const Unit c = static_cast<Unit>(Next(parser));  // the end turns huge
            if (c > 127 || s_hexValEscapeLUT[c] < 0) {
                return false;
            }
            value = (value << 4) | static_cast<unsigned>(s_hexValEscapeLUT[c]);
        }
        unit = static_cast<char16_t>(value);
        return true;
    }

    // After a backslash: appends what the escape stands for.
    static bool Escape(Parser& parser, Token& token) {
        const CharValue e = Next(parser);
        switch (e) {
            case '"':
            case '\\':
            case '/':
                token.text.push_back(static_cast<C>(e));
                return true;
            case 'b':
                token.text.push_back(C('\b'));
                return true;
            case 'f':
                token.text.push_back(C('\f'));
                return true;
            case 'n':
                token.text.push_back(C('\n'));
                return true;
            case 'r':
                token.text.push_back(C('\r'));
                return true;
            case 't':
                token.text.push_back(C('\t'));
                return true;
            case 'u': {
                char16_t unit = 0;
                if (!ReadHexUnit(parser, unit)) {
                    return false;
                }
                if (unit < 0xD800 || unit > 0xDBFF) {
                    ConvertAppendUnicodeUnit(token, unit);
                    return true;
                }
                // A high surrogate takes the next "\u" unit with it, whatever it is.
                char16_t second = 0;
                if (Next(parser) != '\\' || Next(parser) != 'u' || !ReadHexUnit(parser, second)) {
                    return false;
                }
                ConvertAppendUnicodePair(token, unit, second);
                return true;
            }
            default:
                return false;  // an unknown escape or the end of the input
        }
    }

    static bool GeneralStringLiteral(Parser& parser, Token& token) {
        token.hasEscapes = false;
        for (CharValue c = Next(parser);; c = Next(parser)) {
            if (c == '"') {
                token.kind = Token::String;
                return true;
            }
            if (c == '\\') {
                token.hasEscapes = true;
                if (!Escape(parser, token)) {
                    return false;
                }
                continue;
            }
            if (c == kEof || c < 32) {
                return false;
            }
            token.text.push_back(static_cast<C>(c));
        }
    }

    static bool GeneralComment(Parser& parser, Token& token) {
        CharValue c = Next(parser);
        if (c == '/') {
            do {
                c = Next(parser);
            } while (c != '\n' && c != kEof);
            token.kind = Token::Comment;
            return true;
        }
        if (c != '*') {
            return false;
        }
        for (c = Next(parser); c != kEof; c = Next(parser)) {
            if (c == '*' && Peek(parser) == '/') {
                Next(parser);
                token.kind = Token::Comment;
                return true;
            }
        }
        return false;
    }

    // --- Grammar ------------------------------------------------------------------------------

    // Children of the containers being parsed wait here, so that each container
    // is allocated once, at its exact size, when it is complete.
    struct Pending {
        std::vector<JsonValue> elements;
        std::vector<JsonObject::Member> members;
    };

    static JsonValue Value(Parser& parser, Token& token, Pending& pending) {
        return JsonValue(RawValue(parser, token, pending));
    }

    static UniquePtr<JsonValueTypeImpl> RawValue(Parser& parser, Token& token, Pending& pending) {
        UniquePtr<JsonValueTypeImpl> value;
        switch (token.kind) {
            case Token::ObjectBegin:
                return Object(parser, token, pending);
            case Token::ArrayBegin:
                return Array(parser, token, pending);
            case Token::String:
                value = JsonMakeUnique<JsonStringTypeImpl>(token.text, token.hasEscapes);
                break;
            case Token::Double:
                value = JsonMakeUnique<JsonNumberTypeImpl>(token.doubleValue);
                break;
            case Token::Integer:
                if (token.isNegative) {
                    value = JsonMakeUnique<JsonNumberTypeImpl>(static_cast<long>(token.intValue));
                } else {
                    value = JsonMakeUnique<JsonNumberTypeImpl>(
                        static_cast<unsigned long>(token.uintValue));
                }
                break;
            case Token::Bool:
                value = JsonMakeUnique<JsonBoolTypeImpl>(token.boolValue);
                break;
            case Token::Null:
                Tokenize(parser, token);
                return ParserNull();
            default:  // no value starts with this token, or the input has ended
                RecordParseError<C>(token, MalformedToken);
                return ParserNull();
        }
        Tokenize(parser, token);
        if (token.error) {
            return ParserNull();
        }
        return value;
    }

    // Moves the children from `first` on out of `pending` into their container.
    template <class Child>
    static void Adopt(std::vector<Child>& pending, size_t first, std::vector<Child>& children) {
        children.reserve(pending.size() - first);
        std::move(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end(),
                  std::back_inserter(children));
        pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
    }

    // Drops the children of a container that failed, and gives the null value
    // that every failing level returns.
    template <class Child>
    static UniquePtr<JsonValueTypeImpl> Abandon(std::vector<Child>& pending, size_t first) {
        pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
        return ParserNull();
    }

    static UniquePtr<JsonValueTypeImpl> Array(Parser& parser, Token& token, Pending& pending) {
        Tokenize(parser, token);
        if (token.error) {
            return ParserNull();
        }
        std::vector<JsonValue>& elements = pending.elements;
        const size_t first = elements.size();
        if (token.kind != Token::ArrayEnd) {
            for (;;) {
                elements.push_back(Value(parser, token, pending));
                if (token.error) {
                    return Abandon(elements, first);
                }
                if (token.kind == Token::ArrayEnd) {
                    break;
                }
                if (token.kind != Token::Comma) {
                    RecordParseError<C>(token, MalformedArray);
                    return Abandon(elements, first);
                }
                Tokenize(parser, token);
                if (token.error) {
                    return Abandon(elements, first);
                }
            }
        }
        Tokenize(parser, token);
        if (token.error) {
            return Abandon(elements, first);
        }
        UniquePtr<JsonValueTypeImpl> array = JsonMakeUnique<JsonArrayTypeImpl>();
        Adopt(elements, first, JsonTreeAccess::Elements(*array));
        return array;
    }

    static UniquePtr<JsonValueTypeImpl> Object(Parser& parser, Token& token, Pending& pending) {
        Tokenize(parser, token);
        if (token.error) {
            return ParserNull();
        }
        std::vector<JsonObject::Member>& members = pending.members;
        const size_t first = members.size();
        if (token.kind != Token::ObjectEnd) {
            for (;;) {
                if (token.kind != Token::String) {
                    RecordParseError<C>(token, MalformedObject);
                    return Abandon(members, first);
                }
                std::basic_string<C> key = token.text;
                Tokenize(parser, token);
                if (token.error) {
                    return Abandon(members, first);
                }
                if (token.kind != Token::Colon) {
                    RecordParseError<C>(token, MalformedObject);
                    return Abandon(members, first);
                }
                Tokenize(parser, token);
                if (token.error) {
                    return Abandon(members, first);
                }
                UniquePtr<JsonValueTypeImpl> value = RawValue(parser, token, pending);
                members.emplace_back(ParserKeyToUtf8(std::move(key)), JsonValue(value));
                if (token.error) {
                    return Abandon(members, first);
                }
                if (token.kind == Token::ObjectEnd) {
                    break;
                }
                if (token.kind != Token::Comma) {
                    RecordParseError<C>(token, MalformedObject);
                    return Abandon(members, first);
                }
                Tokenize(parser, token);
                if (token.error) {
                    return Abandon(members, first);
                }
            }
        }
        Tokenize(parser, token);
        if (token.error) {
            return Abandon(members, first);
        }
        UniquePtr<JsonValueTypeImpl> object = JsonMakeUnique<JsonObjectTypeImpl>();
        Adopt(members, first, JsonTreeAccess::Members(*object));
        return object;
    }
};

}  // namespace _Private

// ===== JsonParser<C>: the public members run the engine through the base class ============

template <class C>
using JsonParserThroughBase = _Private::JsonParserEngine<C, JsonParser<C>>;

template <class C>
JsonParser<C>::JsonParser() : m_eof(std::char_traits<C>::eof()), m_depth(0) {}

template <class C>
void JsonParser<C>::CreateToken(Token& token, typename Token::Kind kind) {
    token.kind = kind;
    token.text.clear();
}

template <class C>
void JsonParser<C>::EatWhitespace() {
    JsonParserThroughBase<C>::SkipWhitespace(*this);
}

template <class C>
void JsonParser<C>::GetNextToken(Token& token) {
    JsonParserThroughBase<C>::Tokenize(*this, token);
}

template <class C>
bool JsonParser<C>::CompleteKeywordTrue(Token& token) {
    if (!JsonParserThroughBase<C>::Keyword(*this, "rue")) {
        return false;
    }
    token.kind = Token::Bool;
    token.boolValue = true;
    return true;
}

template <class C>
bool JsonParser<C>::CompleteKeywordFalse(Token& token) {
    if (!JsonParserThroughBase<C>::Keyword(*this, "alse")) {
        return false;
    }
    token.kind = Token::Bool;
    token.boolValue = false;
    return true;
}

template <class C>
bool JsonParser<C>::CompleteKeywordNull(Token& token) {
    if (!JsonParserThroughBase<C>::Keyword(*this, "ull")) {
        return false;
    }
    token.kind = Token::Null;
    return true;
}

template <class C>
bool JsonParser<C>::ParseInt64(CharValue c, unsigned long& value) {
    return JsonParserThroughBase<C>::ParseInt64(*this, c, value);
}

template <class C>
bool JsonParser<C>::CompleteNumberLiteral(CharValue c, Token& token) {
    return JsonParserThroughBase<C>::NumberLiteral(*this, c, token);
}

template <class C>
bool JsonParser<C>::HasUnescapedChars(Token& token) {
    return JsonParserThroughBase<C>::Escape(*this, token);
}

template <class C>
bool JsonParser<C>::CompleteStringLiteral(Token& token) {
    return JsonParserThroughBase<C>::GeneralStringLiteral(*this, token);
}

template <class C>
bool JsonParser<C>::CompleteComment(Token& token) {
    return JsonParserThroughBase<C>::GeneralComment(*this, token);
}

template <class C>
JsonValue JsonParser<C>::ParseValue(Token& token) {
    typename JsonParserThroughBase<C>::Pending pending;
    return JsonParserThroughBase<C>::Value(*this, token, pending);
}

template <class C>
UniquePtr<_Private::JsonValueTypeImpl> JsonParser<C>::_ParseValue(Token& token) {
    typename JsonParserThroughBase<C>::Pending pending;
    return JsonParserThroughBase<C>::RawValue(*this, token, pending);
}

template <class C>
UniquePtr<_Private::JsonValueTypeImpl> JsonParser<C>::_ParseArray(Token& token) {
    typename JsonParserThroughBase<C>::Pending pending;
    return JsonParserThroughBase<C>::Array(*this, token, pending);
}

template <class C>
UniquePtr<_Private::JsonValueTypeImpl> JsonParser<C>::_ParseObject(Token& token) {
    typename JsonParserThroughBase<C>::Pending pending;
    return JsonParserThroughBase<C>::Object(*this, token, pending);
}

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

template <class C>
bool JsonStringParser<C>::CompleteComment(Token& token) {
    if (m_pos == m_end) {
        return false;
    }
    const C introducer = *m_pos++;
    if (introducer == '/') {
        const C* newline = std::find(m_pos, m_end, C('\n'));
        m_pos = newline == m_end ? m_end : newline + 1;
        token.kind = Token::Comment;
        return true;
    }
    if (introducer != '*') {
        return false;
    }
    // The "*" that opened the comment cannot close it: "/*/" is unterminated.
    for (const C* p = m_pos; p != m_end; ++p) {
        if (*p == '*' && p + 1 != m_end && p[1] == '/') {
            m_pos = p + 2;
            token.kind = Token::Comment;
            return true;
        }
    }
    m_pos = m_end;
    return false;
}

template <class C>
bool JsonStringParser<C>::CompleteStringLiteral(Token& token) {
    token.hasEscapes = false;
    const C* const p = _Private::FindStringSpecial(m_pos, m_end);
    if (p == m_end) {
        m_pos = m_end;
        return false;
    }
    token.text.assign(m_pos, p);
    m_pos = p + 1;
    if (*p == '"') {
        token.kind = Token::String;
        return true;
    }
    if (*p == '\\') {
        token.hasEscapes = true;
        return FinishParseOfStrWithUnescapedChars(token);
    }
    return false;  // a raw control character
}

template <class C>
bool JsonStringParser<C>::FinishParseOfStrWithUnescapedChars(Token& token) {
    for (;;) {
        if (!_Private::JsonParserEngine<C, JsonStringParser<C>>::Escape(*this, token)) {
            return false;
        }
        // Copy the run up to the next quote, backslash or bad character in one piece.
        const C* const p = _Private::FindStringSpecial(m_pos, m_end);
        token.text.append(m_pos, p);
        if (p == m_end) {
            m_pos = m_end;
            return false;
        }
        m_pos = p + 1;
        if (*p == '"') {
            token.kind = Token::String;
            return true;
        }
        if (*p != '\\') {
            return false;  // a raw control character
        }
    }
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

template class JsonParser<char>;
template class JsonParser<wchar_t>;
template class JsonStringParser<char>;
template class JsonStringParser<wchar_t>;
template class JsonStreamParser<char>;
template class JsonStreamParser<wchar_t>;

// ===== Parse entry points =================================================================

namespace _Private {

template <class Parser, class Input>
JsonValue JsonParseDocument(Input& input, std::error_code& ec, bool keepValueOnLeftOver) {
    using Engine = JsonParserEngine<typename Parser::CharType, Parser>;
    Parser parser(input);
    typename Parser::Token token;
    Engine::Tokenize(parser, token);
    if (token.error) {
        ec = token.error;
        return JsonValue();
    }
    typename Engine::Pending pending;
    JsonValue result = Engine::Value(parser, token, pending);
    if (token.error) {
        ec = token.error;
        return JsonValue();
    }
    if (token.kind != Parser::Token::EndOfInput) {
        ec = std::error_code(LeftOverCharacters, JsonErrorCategory::s_item);
        if (keepValueOnLeftOver) {
            return result;
        }
        return JsonValue();
    }
    ec = token.error;
    return result;
}

template <class Parser, class Input>
JsonValue JsonParseDocumentOrThrow(Input& input) {
    std::error_code ec;
    JsonValue result = JsonParseDocument<Parser>(input, ec);
    if (ec) {
        throw std::invalid_argument(ec.message());
    }
    return result;
}

}  // namespace _Private

// ===== Stream entry points ==================================================================

JsonValue _PerformNarrowStreamParsing(std::istream& in) {
    return _Private::JsonParseDocumentOrThrow<JsonStreamParser<char>>(in);
}

JsonValue _PerformNarrowStreamParsing(std::istream& in, std::error_code& ec) {
    return _Private::JsonParseDocument<JsonStreamParser<char>>(in, ec);
}

JsonValue _PerformStreamParsing(std::wistream& in) {
    return _Private::JsonParseDocumentOrThrow<JsonStreamParser<wchar_t>>(in);
}

// The one form that hands back the parsed value together with left-over text.
JsonValue _PerformStreamParsing(std::wistream& in, std::error_code& ec) {
    return _Private::JsonParseDocument<JsonStreamParser<wchar_t>>(in, ec, true);
}

JsonValue JsonValue::Parse(std::istream& in) {
    return _PerformNarrowStreamParsing(in);
}
JsonValue JsonValue::Parse(std::istream& in, std::error_code& ec) {
    return _PerformNarrowStreamParsing(in, ec);
}
JsonValue JsonValue::Parse(std::wistream& in) {
    return _PerformStreamParsing(in);
}
JsonValue JsonValue::Parse(std::wistream& in, std::error_code& ec) {
    return _PerformStreamParsing(in, ec);
}
