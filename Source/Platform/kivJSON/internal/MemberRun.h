// Internal to the library: the plain members of an object read in one loop,
// for the tree builder. A member whose key has no escapes and whose value is
// a string without escapes, a short number literal (ScanShort's), true,
// false or null is read here with its separators, without a round through
// the grammar for each of its tokens. Anything else is left unread for the
// general path, which therefore gives every error, code and position.
#pragma once

#include "SpaceScan.h"
#include "StringScan.h"
#include "Utf8.h"

#include <cstring>
#include <string_view>

namespace _Private {

// Where TakePlainMembers stopped.
enum class MemberRunEnd {
    Nothing,     // nothing read
    AfterValue,  // one or more whole members read; the text goes on after the last value
    AfterKey,    // those, then one more key: its ':' and value are left unread
};

// Narrow text in memory that stays in place for the parse, inside an object
// where a member may start: just after its '{' (`first`), or just after a
// member's value (a ',' must come next). Hands each plain member to
// `members.Member(key, token, text)` (`text` is a string value's), and a key
// whose value is not plain to `members.Key(key)`.
template <class Tokens, class Parser, class Members>
MemberRunEnd TakePlainMembers([[maybe_unused]] Parser& parser,
                              [[maybe_unused]] typename Tokens::Token& token,
                              [[maybe_unused]] Members& members, [[maybe_unused]] bool first) {
    if constexpr (Tokens::kTextInPlace) {
        using Token = typename Tokens::Token;
        const char* const end = Tokens::End(parser);
        const char*& position = Tokens::Position(parser);
        const bool strict = Tokens::Strict(parser);
        // A string literal's text from just after its opening quote: null
        // unless it ends at a quote (not at an escape, a control character or
        // the end) and, in strict mode, is well-formed UTF-8.
        const auto plainString = [end, strict](const char* from, std::string_view& text) {
            const char* const last = FindStringSpecial(from, end);
            if (last == end || *last != '"') {
                return static_cast<const char*>(nullptr);
            }
            text = std::string_view(from, static_cast<size_t>(last - from));
            return strict && !IsWellFormedUtf8(text.data(), text.size()) ? nullptr : last + 1;
        };
        const auto keyword = [end](const char* p, const char* word, size_t size) {
            return static_cast<size_t>(end - p) >= size && std::memcmp(p, word, size) == 0;
        };
        MemberRunEnd result = MemberRunEnd::Nothing;
        const char* done = position;
        for (;; first = false) {
            const char* p = SkipJsonSpace(done, end);
            if (!first) {
                if (p == end || *p != ',') {
                    break;
                }
                p = SkipJsonSpace(p + 1, end);
            }
            std::string_view key;
            const char* const afterKey = p != end && *p == '"' ? plainString(p + 1, key) : nullptr;
            if (afterKey == nullptr) {
                break;
            }
            p = SkipJsonSpace(afterKey, end);
            if (p == end || *p != ':') {
                break;
            }
            p = SkipJsonSpace(p + 1, end);
            std::string_view text;
            const char* next = nullptr;
            if (p != end) {
                switch (*p) {
                    case '"':
                        next = plainString(p + 1, text);
                        token.kind = Token::String;
                        break;
                    case 't':
                    case 'f':
                        if (keyword(p, *p == 't' ? "true" : "false", *p == 't' ? 4 : 5)) {
                            token.kind = Token::Bool;
                            token.boolValue = *p == 't';
                            next = p + (*p == 't' ? 4 : 5);
                        }
                        break;
                    case 'n':
                        if (keyword(p, "null", 4)) {
                            token.kind = Token::Null;
                            next = p + 4;
                        }
                        break;
                    default:
                        next = Tokens::TakeShortNumber(p, end, token);
                        break;
                }
            }
            if (next == nullptr) {  // the value takes the general path, after the key
                members.Key(key);
                position = afterKey;
                return MemberRunEnd::AfterKey;
            }
            members.Member(key, token, text);
            done = next;
            result = MemberRunEnd::AfterValue;
        }
        position = done;
        return result;
    } else {
        return MemberRunEnd::Nothing;
    }
}

}  // namespace _Private
