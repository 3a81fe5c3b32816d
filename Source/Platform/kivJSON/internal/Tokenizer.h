// Internal to the library: the tokenizer and the scanners of string and
// comment literals, written once over the character type and the source they
// read from.
#pragma once

#include <kivJSON/JSONParser.h>
#include "NumberScan.h"
#include "ParseSources.h"
#include "SpaceScan.h"
#include "StringScan.h"
#include "Utf8.h"

#include <kivCore/TextFunctions.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cwctype>
#include <string>
#include <string_view>
#include <type_traits>

namespace _Private {

inline constexpr size_t kMaxNestingDepth = 128;

// Hex digit values for "\u" escapes; -1 marks a non-digit.
inline constexpr signed char s_hexValEscapeLUT[128] = {
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
inline bool IsWhitespace(int c) {
    return IsCommonWhitespace(c) || ((c < ' ' || c >= 0x7F) && std::isspace(c) != 0);
}
inline bool IsWhitespace(unsigned int c) {
    return IsCommonWhitespace(c) || ((c < ' ' || c >= 0x7F) && std::iswspace(c) != 0);
}

template <class C>
void RecordParseError(typename JsonParser<C>::Token& token, JsonErrorCode code) {
    if (!token.error) {
        token.error = std::error_code(code, JsonErrorCategory::s_item);
    }
}

// --- "\u" escapes ------------------------------------------------------------------------

// Narrow text: the core library encodes UTF-16 as UTF-8 (a surrogate without
// its partner becomes U+FFFD there). ASCII needs no conversion.
inline void ConvertAppendUnicodeUnit(JsonParser<char>::Token& token, char16_t unit) {
    if (unit < 0x80) {
        token.text.push_back(static_cast<char>(unit));
        return;
    }
    token.text += ConvertString_UTF16_to_UTF8(std::u16string(1, unit));
}

inline void ConvertAppendUnicodePair(JsonParser<char>::Token& token, char16_t high, char16_t low) {
    const char16_t units[2] = {high, low};
    token.text += ConvertString_UTF16_to_UTF8(std::u16string(units, 2));
}

// Wide text: one element per code point. A lone surrogate keeps its unit value.
inline void ConvertAppendUnicodeUnit(JsonParser<wchar_t>::Token& token, char16_t unit) {
    token.text.push_back(static_cast<wchar_t>(unit));
}

// A high surrogate whose partner is no low surrogate becomes U+FFFD, and the
// partner a character of its own (U+FFFD again if it is a high surrogate too),
// so that both widths store the same text, as the narrow conversion does.
inline void ConvertAppendUnicodePair(JsonParser<wchar_t>::Token& token, char16_t high,
                                     char16_t low) {
    if (low < 0xDC00 || low > 0xDFFF) {
        const bool surrogate = low >= 0xD800 && low <= 0xDBFF;
        token.text.push_back(static_cast<wchar_t>(0xFFFD));
        token.text.push_back(static_cast<wchar_t>(surrogate ? 0xFFFD : low));
        return;
    }
    token.text.push_back(static_cast<wchar_t>(0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00)));
}

// The tokenizer and the scanners, written once over the parser they read from.
// JsonParser<C>'s public members run them through the base class, so every
// character is a virtual call and a caller's own source is honoured. The parse
// entry points know the exact source and run them over it: every character read
// is then bound statically and inlined.
template <class C, class Parser>
struct JsonTokenizer {
    using Base = JsonParser<C>;
    using Token = typename Base::Token;
    using CharValue = typename Base::CharValue;
    static constexpr bool kThroughBase = std::is_same_v<Parser, Base>;
    static constexpr CharValue kEof = std::char_traits<C>::eof();
    // Text in memory is scanned directly instead of a character at a time.
    static constexpr bool kInMemory =
        !kThroughBase && std::is_base_of_v<JsonStringParser<C>, Parser>;
    // Narrow text in memory: number literals are converted where they stand, and
    // runs of spaces are skipped a word at a time.
    static constexpr bool kNarrowInMemory = kInMemory && sizeof(C) == 1;
    // The parses that take options: strict mode and the start of each token.
    static constexpr bool kTracked = std::is_base_of_v<JsonParseTracking, Parser>;
    // Narrow text in memory read by the library's own parses (JsonValue::Parse,
    // JsonParseText, the pull reader): a string literal without escapes is not
    // copied into the token; the parser keeps a view of it where it stands.
    // The reader hands that view out without copying, and a tree copies it
    // once, into the value; the token keeps its capacity for the literals
    // with escapes.
    static constexpr bool kTextInPlace =
        kNarrowInMemory && std::is_base_of_v<JsonTextInPlace<C>, Parser>;

    // The text of the string literal just read.
    static std::basic_string_view<C> TokenText(const Parser& parser, const Token& token) {
        if constexpr (kTextInPlace) {
            if (parser.hasTextInPlace) {
                return parser.textInPlace;
            }
        }
        return token.text;
    }

    static bool Strict([[maybe_unused]] const Parser& parser) {
        if constexpr (kTracked) {
            return parser.strict;
        } else {
            return false;
        }
    }

    // Strict JSON knows four whitespace characters; otherwise the C library decides.
    static bool Space(const Parser& parser, CharValue c) {
        if (IsCommonWhitespace(c)) {
            return true;
        }
        return !Strict(parser) && IsWhitespace(c);
    }

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
        } else if constexpr (kInMemory) {
            return MemoryStringLiteral(parser, token);
        } else {
            return GeneralStringLiteral(parser, token);
        }
    }

    static bool Comment(Parser& parser, Token& token) {
        if constexpr (kThroughBase) {
            return parser.CompleteComment(token);
        } else if constexpr (kInMemory) {
            return MemoryComment(parser, token);
        } else {
            return GeneralComment(parser, token);
        }
    }

    // --- Tokenizer ------------------------------------------------------------------------

    static void SkipWhitespace(Parser& parser) {
        for (CharValue c = Peek(parser); c != kEof && Space(parser, c); c = Peek(parser)) {
            Next(parser);
        }
    }

    static void Tokenize(Parser& parser, Token& token) {
        size_t& depth = static_cast<Base&>(parser).m_depth;
        for (;;) {
            SkipSpaceInMemory(parser);
            CharValue c = Next(parser);
            while (c != kEof && Space(parser, c)) {
                SkipSpaceInMemory(parser);
                c = Next(parser);
            }
            if constexpr (kTracked) {
                MarkTokenStart(parser, c == kEof);
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
                    if (StringLiteral(parser, token) && ValidText(parser, token))
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
                case 'f':
                    if (Keyword(parser, c == 't' ? "rue" : "alse")) {
                        token.kind = Token::Bool;
                        token.boolValue = c == 't';
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
                    if (Strict(parser)) {
                        break;  // starts no token
                    }
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

    // A ',' or ':' after nothing but spaces, tabs and line breaks, in text in
    // memory: consumed here without a token of its own, which spares the
    // grammar one round through Tokenize per member or element. Anything else
    // is left for Tokenize (only that whitespace skipped), which reads and
    // reports it as before.
    static bool SkipSeparator(Parser& parser, char separator) {
        if constexpr (kInMemory) {
            const C* p = parser.m_pos;
            const C* const end = parser.m_end;
            if constexpr (sizeof(C) == 1) {
                p = SkipJsonSpace(p, end);
            } else {
                while (p != end && IsCommonWhitespace(*p)) {
                    ++p;
                }
            }
            if (p != end && *p == static_cast<C>(separator)) {
                parser.m_pos = p + 1;
                return true;
            }
            parser.m_pos = p;
        }
        return false;
    }

    // Narrow text in memory, just after a '[': reads an array that is empty
    // or holds nothing but 1 to Run::kCapacity short number literals (see
    // ScanShort), and its ']', into `run`, and closes it in the tokenizer's
    // count. Any other array is left unread (false). `token` serves as scratch.
    template <class Run>
    static bool TakeNumberArray([[maybe_unused]] Parser& parser, [[maybe_unused]] Token& token,
                                [[maybe_unused]] Run& run) {
        if constexpr (kNarrowInMemory) {
            const C* const end = parser.m_end;
            const C* p = SkipJsonSpace(parser.m_pos, end);
            size_t count = 0;
            const bool empty = p != end && *p == ']';
            while (!empty) {
                const C* const next =
                    count == Run::kCapacity ? nullptr : TakeShortNumber(p, end, token);
                if (next == nullptr) {
                    return false;
                }
                auto& number = run.numbers[count++];
                number.isDouble = token.kind == Token::Double;
                number.isNegative = !number.isDouble && token.isNegative;  // set for integers
                std::memcpy(&number.bits, &token.uintValue, sizeof number.bits);
                p = SkipJsonSpace(next, end);
                if (p != end && *p == ']') {
                    break;
                }
                if (p == end || *p != ',') {
                    return false;
                }
                p = SkipJsonSpace(p + 1, end);
            }
            run.count = count;
            parser.m_pos = p + 1;
            --static_cast<Base&>(parser).m_depth;
            return true;
        } else {
            return false;
        }
    }

    // The offset of the token that starts with the character just read (one
    // past the end at the end); a stream source counts lines and columns too.
    static void MarkTokenStart(Parser& parser, bool atEnd) {
        if constexpr (kInMemory) {
            parser.tokenStart.offset =
                static_cast<size_t>(parser.m_pos - parser.m_begin) - (atEnd ? 0 : 1);
        } else {
            parser.tokenStart = atEnd ? parser.m_next : parser.m_last;
        }
    }

    // Strict mode: narrow text must be well-formed UTF-8. The escapes decode to
    // well-formed text, so checking the decoded text checks the raw bytes.
    // The parses with options take no wide element above U+10FFFF (nor a
    // negative one), which could not be stored as UTF-8: a malformed string at
    // that element (escapes never make one).
    static bool ValidText(Parser& parser, const Token& token) {
        if constexpr (sizeof(C) == 1) {
            if (!Strict(parser)) {
                return true;
            }
            const std::basic_string_view<C> text = TokenText(parser, token);
            return IsWellFormedUtf8(text.data(), text.size());
        } else if constexpr (kTracked && kInMemory) {
            const C* const first = parser.m_begin + parser.tokenStart.offset + 1;
            const C* const bad = std::find_if(first, parser.m_pos, NoCodePoint);
            if (bad == parser.m_pos) {
                return true;
            }
            parser.tokenStart.offset = static_cast<size_t>(bad - parser.m_begin);
            return false;
        } else {
            return true;
        }
    }

    static bool NoCodePoint(C c) { return static_cast<std::make_unsigned_t<C>>(c) > 0x10FFFF; }

    // Narrow text in memory: the common whitespace in one scan (see SpaceScan.h).
    static void SkipSpaceInMemory([[maybe_unused]] Parser& parser) {
        if constexpr (kNarrowInMemory) {
            parser.m_pos = SkipJsonSpace(parser.m_pos, parser.m_end);
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

    // How the number scanner reads: one character at a time from the parser, or
    // through the parser's own position in text in memory. Both are passed by
    // value, so that no local object's address leaves Tokenize (which would
    // cost it a stack guard on every token in a hardened build).
    struct SourceCursor {
        static constexpr bool kInMemory = false;
        Parser& parser;
        CharValue Peek() { return JsonTokenizer::Peek(parser); }
        CharValue Next() { return JsonTokenizer::Next(parser); }
    };
    // Where text in memory is read from and where it ends, for the readers
    // beside the tokenizer (MemberRun.h).
    static const C*& Position(Parser& parser) { return parser.m_pos; }
    static const C* End(const Parser& parser) { return parser.m_end; }

    struct MemoryCursor {
        static constexpr bool kInMemory = true;
        const C*& pos;
        const C* const end;
        CharValue Peek() const {
            return pos == end ? kEof : std::char_traits<C>::to_int_type(*pos);
        }
        CharValue Next() { return pos == end ? kEof : std::char_traits<C>::to_int_type(*pos++); }
    };

    // Narrow text in memory: a short number literal (ScanShort's) starting at
    // `p`, with room enough after it, read into `token`; returns its end. Null,
    // with nothing read, for anything else.
    [[gnu::always_inline]] static const C* TakeShortNumber(const C* p, const C* end, Token& token) {
        using Scanner = JsonNumberScanner<C, MemoryCursor>;
        if (end - p <= Scanner::kShortRoom || (*p != '-' && !IsParserDigit(*p))) {
            return nullptr;
        }
        const C* next = p + 1;
        return Scanner::ScanShort(MemoryCursor{next, end}, *p, token) ? next : nullptr;
    }

    static bool ParseInt64(Parser& parser, CharValue c, unsigned long& value) {
        SourceCursor cursor{parser};
        return JsonNumberScanner<C, SourceCursor>::ParseInt64(cursor, c, value);
    }

    static bool NumberLiteral(Parser& parser, CharValue c, Token& token) {
        if constexpr (kInMemory) {
            return JsonNumberScanner<C, MemoryCursor>::Scan(
                MemoryCursor{parser.m_pos, parser.m_end}, c, Strict(parser), token);
        } else {
            return JsonNumberScanner<C, SourceCursor>::Scan(SourceCursor{parser}, c, Strict(parser),
                                                            token);
        }
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
            if constexpr (kTracked && sizeof(C) > 2) {
                if (NoCodePoint(static_cast<C>(c))) {
                    MarkTokenStart(parser, false);
                    return false;
                }
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

    // --- The same scanners over text in memory ------------------------------------------------

    static bool MemoryComment(Parser& parser, Token& token) {
        if (parser.m_pos == parser.m_end) {
            return false;
        }
        const C introducer = *parser.m_pos++;
        if (introducer == '/') {
            // char_traits' find (memchr) takes no address of a local, as std::find would.
            const C* newline = std::char_traits<C>::find(
                parser.m_pos, static_cast<size_t>(parser.m_end - parser.m_pos), C('\n'));
            parser.m_pos = newline == nullptr ? parser.m_end : newline + 1;
            token.kind = Token::Comment;
            return true;
        }
        if (introducer != '*') {
            return false;
        }
        // The "*" that opened the comment cannot close it: "/*/" is unterminated.
        for (const C* p = parser.m_pos; p != parser.m_end; ++p) {
            if (*p == '*' && p + 1 != parser.m_end && p[1] == '/') {
                parser.m_pos = p + 2;
                token.kind = Token::Comment;
                return true;
            }
        }
        parser.m_pos = parser.m_end;
        return false;
    }

    // How a run of plain characters that stops at `p` ends: past its closing
    // quote (the string is complete), past a backslash (an escape follows), or
    // not at all (the text ran out, or a raw control character).
    enum class RunEnd { Quote, Backslash, Bad };
    static RunEnd EndOfRun(Parser& parser, Token& token, const C* p) {
        if (p == parser.m_end) {
            parser.m_pos = parser.m_end;
            return RunEnd::Bad;
        }
        parser.m_pos = p + 1;
        if (*p == '"') {
            token.kind = Token::String;
            return RunEnd::Quote;
        }
        return *p == '\\' ? RunEnd::Backslash : RunEnd::Bad;
    }

    // Copies the runs between escapes into the token in one piece each.
    // Without escapes nothing is copied where the text stays in place.
    static bool MemoryStringLiteral(Parser& parser, Token& token) {
        token.hasEscapes = false;
        const C* const first = parser.m_pos;
        const C* const p = FindStringSpecial(first, parser.m_end);
        const RunEnd end = EndOfRun(parser, token, p);
        if constexpr (kTextInPlace) {
            parser.hasTextInPlace = end != RunEnd::Backslash;
            if (parser.hasTextInPlace) {
                parser.textInPlace =
                    std::basic_string_view<C>(first, static_cast<size_t>(p - first));
                return end == RunEnd::Quote;
            }
        }
        token.text.assign(first, p);
        if (end != RunEnd::Backslash) {
            return end == RunEnd::Quote;
        }
        token.hasEscapes = true;
        return MemoryStringAfterBackslash(parser, token);
    }

    // The rest of a string literal in memory from just after a backslash.
    static bool MemoryStringAfterBackslash(Parser& parser, Token& token) {
        for (;;) {
            if (!Escape(parser, token)) {
                return false;
            }
            const C* const p = FindStringSpecial(parser.m_pos, parser.m_end);
            token.text.append(parser.m_pos, p);
            const RunEnd end = EndOfRun(parser, token, p);
            if (end != RunEnd::Backslash) {
                return end == RunEnd::Quote;
            }
        }
    }
};

}  // namespace _Private
