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

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <tuple>
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

    // A member waiting for its container. Its key is still where the text
    // holds it (text in memory, no escapes) or, when `text` is null, at
    // `offset` in Pending::keys; the member's own string is made once, in
    // the container.
    struct PendingMember {
        const char* text;
        size_t offset;
        size_t size;
        JsonValue value;
    };

    // Children of the containers being built wait here, so that each container
    // is allocated once, at its exact size, when it is complete. A member is
    // added at its key, with a null implementation until its value is complete
    // (the members of a container inside it come and go after it); `firsts`
    // holds where the children of each open container start. The first 16 of
    // each live on the stack, so that a small document allocates nothing here.
    struct Pending {
        StackVector<JsonValue> elements;
        StackVector<PendingMember> members;
        StackVector<size_t> firsts;
        std::string keys;  // the keys that are not in the text, back to back

        // A member whose key stays where the text holds it; `value` is null
        // until the member's value is complete.
        void AddMember(std::string_view key, UniquePtr<JsonValueTypeImpl> value) {
            members.push_back({key.data(), 0, key.size(), JsonValue(value)});
        }

        void AddKey(const Machine& machine, Token& token) {
            if constexpr (Tokens::kTextInPlace) {
                if (machine.Source().hasTextInPlace) {
                    AddMember(machine.Source().textInPlace, UniquePtr<JsonValueTypeImpl>());
                    return;
                }
            }
            const size_t offset = keys.size();
            keys += KeyText(machine, token);
            members.push_back(
                {nullptr, offset, keys.size() - offset, JsonValue(UniquePtr<JsonValueTypeImpl>())});
        }
    };

    // Moves the children of the innermost open container out of `pending`
    // into `children`, and closes that container in `firsts`.
    static void Adopt(Pending& pending, std::vector<JsonValue>& children) {
        StackVector<JsonValue>& elements = pending.elements;
        const size_t from = pending.firsts.back();
        pending.firsts.pop_back();
        // One allocation at the exact size and one loop of moves; the
        // moved-from tail is then dropped from the end.
        children.assign(
            std::make_move_iterator(elements.begin() + static_cast<std::ptrdiff_t>(from)),
            std::make_move_iterator(elements.end()));
        while (elements.size() > from) {
            elements.pop_back();
        }
    }
    [[gnu::flatten]] static void Adopt(Pending& pending,
                                       std::vector<JsonObject::Member>& children) {
        StackVector<PendingMember>& members = pending.members;
        const auto first = members.begin() + static_cast<std::ptrdiff_t>(pending.firsts.back());
        pending.firsts.pop_back();
        children.reserve(static_cast<size_t>(members.end() - first));
        size_t keysFrom = std::string::npos;
        for (auto member = first; member != members.end(); ++member) {
            const char* text = member->text;
            if (text == nullptr) {
                keysFrom = std::min(keysFrom, member->offset);
                text = pending.keys.data() + member->offset;
            }
            children.emplace_back(std::piecewise_construct,
                                  std::forward_as_tuple(text, member->size),
                                  std::forward_as_tuple(std::move(member->value)));
        }
        members.erase(first, members.end());
        if (keysFrom != std::string::npos) {
            pending.keys.resize(keysFrom);  // these keys were the last ones added
        }
    }

    // The key of a member in UTF-8, for Pending::keys: narrow text as read
    // (not copied here), wide text converted.
    static decltype(auto) KeyText(const Machine& machine, Token& token) {
        if constexpr (sizeof(C) == 1) {
            return Tokens::TokenText(machine.Source(), token);
        } else {
            return ParserKeyToUtf8(std::basic_string<C>(token.text));
        }
    }

    // The numbers of an array the machine read whole (TakeNumberArray): a
    // coordinate pair or a few more, each as the token held it.
    struct NumberRun {
        static constexpr size_t kCapacity = 8;
        struct Number {
            bool isDouble;
            bool isNegative;
            uint64_t bits;  // the token's doubleValue, intValue or uintValue
        };
        Number numbers[kCapacity];
        size_t count;
    };

    // A number as the tokenizer read it: a double, or an integer held by
    // value (negative) or uintValue; `bits` are that member's.
    [[gnu::always_inline]] static UniquePtr<JsonValueTypeImpl> Number(bool isDouble,
                                                                      bool isNegative,
                                                                      uint64_t bits) {
        if (isDouble) {
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return JsonMakeUnique<JsonNumberTypeImpl>(value);
        }
        if (isNegative) {
            return JsonMakeUnique<JsonNumberTypeImpl>(static_cast<long>(bits));
        }
        return JsonMakeUnique<JsonNumberTypeImpl>(static_cast<unsigned long>(bits));
    }

    static UniquePtr<JsonValueTypeImpl> NumberArray(const NumberRun& run) {
        UniquePtr<JsonValueTypeImpl> array = JsonMakeUnique<JsonArrayTypeImpl>();
        std::vector<JsonValue>& elements = JsonTreeAccess::Elements(*array);
        elements.reserve(run.count);
        for (size_t i = 0; i < run.count; ++i) {
            const typename NumberRun::Number& number = run.numbers[i];
            UniquePtr<JsonValueTypeImpl> value =
                Number(number.isDouble, number.isNegative, number.bits);
            elements.push_back(JsonValue(value));
        }
        return array;
    }

    // The value of a number, true, false or null token.
    [[gnu::always_inline]] static UniquePtr<JsonValueTypeImpl> NotString(const Token& token) {
        switch (token.kind) {
            case Token::Double:
            case Token::Integer: {
                uint64_t bits;
                std::memcpy(&bits, &token.uintValue, sizeof bits);
                const bool isDouble = token.kind == Token::Double;
                return Number(isDouble, !isDouble && token.isNegative, bits);  // set for integers
            }
            case Token::Bool:
                return JsonMakeUnique<JsonBoolTypeImpl>(token.boolValue);
            default:
                return ParserNull();
        }
    }

    [[gnu::always_inline]] static UniquePtr<JsonValueTypeImpl> Scalar(const Machine& machine,
                                                                      Token& token) {
        if (machine.event != JsonEvent::String) {
            return NotString(token);
        }
        if constexpr (sizeof(C) == 1) {
            return JsonTreeAccess::StringCopying(Tokens::TokenText(machine.Source(), token),
                                                 token.hasEscapes);
        } else {
            return JsonMakeUnique<JsonStringTypeImpl>(token.text, token.hasEscapes);
        }
    }

    // The members the machine reads in one go (TakePlainMembers) go straight
    // to `pending`, keys where the text holds them.
    struct PlainMembers {
        Pending& pending;
        void Key(std::string_view key) { pending.AddMember(key, UniquePtr<JsonValueTypeImpl>()); }
        void Member(std::string_view key, const Token& token, std::string_view text) {
            pending.AddMember(key, token.kind == Token::String
                                       ? JsonTreeAccess::StringCopying(text, false)
                                       : NotString(token));
        }
    };

    // The value whose first event the machine has just handed out; the machine
    // then stands on the value's last event. Null, with the token's error set,
    // on a failure.
    static UniquePtr<JsonValueTypeImpl> Build(Machine& machine, Token& token) {
        const JsonEvent first = machine.event;
        if (first != JsonEvent::BeginArray && first != JsonEvent::BeginObject) {
            return Scalar(machine, token);
        }
        Pending pending;
        PlainMembers plainMembers{pending};
        const size_t outer = machine.Depth() - 1;
        for (;;) {
            UniquePtr<JsonValueTypeImpl> value;
            switch (machine.event) {
                case JsonEvent::BeginArray: {
                    NumberRun run;
                    if (machine.TakeNumberArray(run)) {
                        value = NumberArray(run);
                    } else {
                        pending.firsts.push_back(pending.elements.size());
                    }
                    break;
                }
                case JsonEvent::BeginObject:
                    pending.firsts.push_back(pending.members.size());
                    machine.TakePlainMembers(plainMembers);
                    break;
                case JsonEvent::Key:
                    pending.AddKey(machine, token);
                    break;
                case JsonEvent::EndArray:
                    value = JsonMakeUnique<JsonArrayTypeImpl>();
                    Adopt(pending, JsonTreeAccess::Elements(*value));
                    break;
                case JsonEvent::EndObject:
                    value = JsonMakeUnique<JsonObjectTypeImpl>();
                    Adopt(pending, JsonTreeAccess::Members(*value));
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
                    JsonTreeAccess::Place(pending.members.back().value, value);
                    machine.TakePlainMembers(plainMembers);
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
