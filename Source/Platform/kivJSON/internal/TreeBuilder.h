// Internal to the library: builds a tree from the event machine's events. One
// loop drives the machine and builds; both are templates over the exact
// source, so the machine's Next, the tokenizer and the builder compile into
// one function without an indirect call per event.
#pragma once

#include <kivJSON/JSONParser.h>
#include <kivJSON/JSONPrivateImpl.h>
#include "EventMachine.h"
#include "StackVector.h"
#include "Tokenizer.h"
#include "TreeAccess.h"

#include <kivCore/Conversion.h>

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

namespace _Private {

// The UTF-8 key of an object member.
inline std::string ParserKeyToUtf8(std::string&& key) {
    return std::move(key);
}
inline std::string ParserKeyToUtf8(std::wstring&& key) {
    return ConvertTo<std::string, std::wstring>(key);
}

inline UniquePtr<JsonValueTypeImpl> ParserNull() {
    return JsonMakeUnique<JsonNullTypeImpl>();
}

template <class Parser>
struct JsonTreeBuilder {
    using C = typename Parser::CharType;
    using Token = typename Parser::Token;
    using Machine = JsonEventMachine<Parser>;

    using Tokens = JsonTokenizer<C, Parser>;

    // Children of the containers being built wait here, so that each container
    // is allocated once, at its exact size, when it is complete. A member is
    // added at its key, with a null implementation until its value is complete
    // (the members of a container inside it come and go after it); `firsts`
    // holds where the children of each open container start. The first 16 of
    // each live on the stack, so that a small document allocates nothing here.
    struct Pending {
        StackVector<JsonValue> elements;
        StackVector<JsonObject::Member> members;
        StackVector<size_t> firsts;
    };

    // Moves the children of the innermost open container out of `pending`
    // into `children`, and closes that container in `firsts`.
    template <class Child>
    static void Adopt(std::vector<Child, StackFirst<Child>>& pending,
                      std::vector<size_t, StackFirst<size_t>>& firsts,
                      std::vector<Child>& children) {
        const auto first = pending.begin() + static_cast<std::ptrdiff_t>(firsts.back());
        firsts.pop_back();
        children.reserve(static_cast<size_t>(pending.end() - first));
        std::move(first, pending.end(), std::back_inserter(children));
        pending.erase(first, pending.end());
    }

    // The key of a member in UTF-8: narrow text as read, copied once, into the member.
    static decltype(auto) KeyText(const Machine& machine, Token& token) {
        if constexpr (sizeof(C) == 1) {
            return Tokens::TokenText(machine.Source(), token);
        } else {
            return ParserKeyToUtf8(std::basic_string<C>(token.text));
        }
    }

    [[gnu::always_inline]] static UniquePtr<JsonValueTypeImpl> Scalar(const Machine& machine,
                                                                      Token& token) {
        switch (machine.event) {
            case JsonEvent::String:
                if constexpr (sizeof(C) == 1) {
                    return JsonTreeAccess::StringCopying(Tokens::TokenText(machine.Source(), token),
                                                         token.hasEscapes);
                } else {
                    return JsonMakeUnique<JsonStringTypeImpl>(token.text, token.hasEscapes);
                }
            case JsonEvent::Number:
                if (token.kind == Token::Double) {
                    return JsonMakeUnique<JsonNumberTypeImpl>(token.doubleValue);
                }
                if (token.isNegative) {
                    return JsonMakeUnique<JsonNumberTypeImpl>(static_cast<long>(token.intValue));
                }
                return JsonMakeUnique<JsonNumberTypeImpl>(
                    static_cast<unsigned long>(token.uintValue));
            case JsonEvent::Bool:
                return JsonMakeUnique<JsonBoolTypeImpl>(token.boolValue);
            default:
                return ParserNull();
        }
    }

    // The value whose first event the machine has just handed out; the machine
    // then stands on the value's last event. Null, with the token's error set,
    // on a failure.
    static UniquePtr<JsonValueTypeImpl> Build(Machine& machine, Token& token) {
        const JsonEvent first = machine.event;
        if (first != JsonEvent::BeginArray && first != JsonEvent::BeginObject) {
            return Scalar(machine, token);
        }
        Pending pending;
        const size_t outer = machine.Depth() - 1;
        for (;;) {
            UniquePtr<JsonValueTypeImpl> value;
            switch (machine.event) {
                case JsonEvent::BeginArray:
                    pending.firsts.push_back(pending.elements.size());
                    break;
                case JsonEvent::BeginObject:
                    pending.firsts.push_back(pending.members.size());
                    break;
                case JsonEvent::Key:
                    pending.members.emplace_back(KeyText(machine, token),
                                                 JsonValue(UniquePtr<JsonValueTypeImpl>()));
                    break;
                case JsonEvent::EndArray:
                    value = JsonMakeUnique<JsonArrayTypeImpl>();
                    Adopt(pending.elements, pending.firsts, JsonTreeAccess::Elements(*value));
                    break;
                case JsonEvent::EndObject:
                    value = JsonMakeUnique<JsonObjectTypeImpl>();
                    Adopt(pending.members, pending.firsts, JsonTreeAccess::Members(*value));
                    break;
                default:
                    value = Scalar(machine, token);
                    break;
            }
            if (value) {
                if (machine.Depth() == outer) {
                    return value;
                }
                if (machine.InObject()) {
                    JsonTreeAccess::Place(pending.members.back().second, value);
                } else {
                    pending.elements.push_back(JsonValue(value));
                }
            }
            if (!machine.Next()) {
                return ParserNull();
            }
        }
    }
};

}  // namespace _Private
