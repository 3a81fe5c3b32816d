// The grammar: values, arrays and objects from the tokens of one source.
#include <kivJSON/JSONParser.h>
#include <kivJSON/JSONPrivateImpl.h>
#include "internal/TreeAccess.h"

#include <kivCore/Conversion.h>

#include <iterator>
#include <vector>

namespace {

// The UTF-8 key of an object member.
std::string ParserKeyToUtf8(std::string&& key) {
    return std::move(key);
}
std::string ParserKeyToUtf8(std::wstring&& key) {
    return ConvertTo<std::string, std::wstring>(key);
}

}  // namespace

namespace _Private {

template <class C, class Parser>
struct JsonGrammar {
    using Token = typename JsonParser<C>::Token;

    static void Tokenize(Parser& parser, Token& token) {
        JsonTokenizer<C, Parser>::Tokenize(parser, token);
    }

    // The token after a value. Inside a container (`comma` given) a ',' right
    // after the value is consumed on the way and `*comma` set: the token read
    // is then the one after the comma.
    static void TokenizeAfterValue(Parser& parser, Token& token, bool* comma) {
        if (comma != nullptr && JsonTokenizer<C, Parser>::SkipSeparator(parser, ',')) {
            *comma = true;
        }
        Tokenize(parser, token);
    }

    // Narrow text in memory is assigned to the token in one piece at its exact
    // size, so a value may take it over. The other sources append a character at
    // a time: their token keeps its capacity for the next literal, and a value
    // gets a copy.
    static constexpr bool kTakeText = JsonTokenizer<C, Parser>::kNarrowInMemory;

    static std::basic_string<C> TakeText(Token& token) {
        if constexpr (kTakeText) {
            return std::move(token.text);
        } else {
            return token.text;
        }
    }

    // Children of the containers being parsed wait here, so that each container
    // is allocated once, at its exact size, when it is complete.
    struct Pending {
        std::vector<JsonValue> elements;
        std::vector<JsonObject::Member> members;
    };

    static JsonValue Value(Parser& parser, Token& token, Pending& pending) {
        return JsonValue(RawValue(parser, token, pending));
    }

    static UniquePtr<JsonValueTypeImpl> RawValue(Parser& parser, Token& token, Pending& pending,
                                                 bool* comma = nullptr) {
        UniquePtr<JsonValueTypeImpl> value;
        switch (token.kind) {
            case Token::ObjectBegin:
                return Object(parser, token, pending, comma);
            case Token::ArrayBegin:
                return Array(parser, token, pending, comma);
            case Token::String:
                if constexpr (kTakeText) {
                    value = JsonTreeAccess::StringTakingText(TakeText(token), token.hasEscapes);
                } else {
                    value = JsonMakeUnique<JsonStringTypeImpl>(token.text, token.hasEscapes);
                }
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
                TokenizeAfterValue(parser, token, comma);
                return ParserNull();
            default:  // no value starts with this token, or the input has ended
                RecordParseError<C>(token, MalformedToken);
                return ParserNull();
        }
        TokenizeAfterValue(parser, token, comma);
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

    static UniquePtr<JsonValueTypeImpl> Array(Parser& parser, Token& token, Pending& pending,
                                              bool* comma = nullptr) {
        Tokenize(parser, token);
        if (token.error) {
            return ParserNull();
        }
        std::vector<JsonValue>& elements = pending.elements;
        const size_t first = elements.size();
        if (token.kind != Token::ArrayEnd) {
            for (;;) {
                bool separated = false;
                elements.push_back(JsonValue(RawValue(parser, token, pending, &separated)));
                if (token.error) {
                    return Abandon(elements, first);
                }
                if (separated) {
                    continue;
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
        TokenizeAfterValue(parser, token, comma);
        if (token.error) {
            return Abandon(elements, first);
        }
        UniquePtr<JsonValueTypeImpl> array = JsonMakeUnique<JsonArrayTypeImpl>();
        Adopt(elements, first, JsonTreeAccess::Elements(*array));
        return array;
    }

    static UniquePtr<JsonValueTypeImpl> Object(Parser& parser, Token& token, Pending& pending,
                                               bool* comma = nullptr) {
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
                std::basic_string<C> key = TakeText(token);
                if (!JsonTokenizer<C, Parser>::SkipSeparator(parser, ':')) {
                    Tokenize(parser, token);
                    if (token.error) {
                        return Abandon(members, first);
                    }
                    if (token.kind != Token::Colon) {
                        RecordParseError<C>(token, MalformedObject);
                        return Abandon(members, first);
                    }
                }
                Tokenize(parser, token);
                if (token.error) {
                    return Abandon(members, first);
                }
                bool separated = false;
                UniquePtr<JsonValueTypeImpl> value = RawValue(parser, token, pending, &separated);
                members.emplace_back(ParserKeyToUtf8(std::move(key)), JsonValue(value));
                if (token.error) {
                    return Abandon(members, first);
                }
                if (separated) {
                    continue;
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
        TokenizeAfterValue(parser, token, comma);
        if (token.error) {
            return Abandon(members, first);
        }
        UniquePtr<JsonValueTypeImpl> object = JsonMakeUnique<JsonObjectTypeImpl>();
        Adopt(members, first, JsonTreeAccess::Members(*object));
        return object;
    }
};

}  // namespace _Private
