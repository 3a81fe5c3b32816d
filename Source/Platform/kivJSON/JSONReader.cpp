// The pull reader: the grammar as a machine with an explicit stack of open
// containers, over the tokenizer and the tracked sources of JsonParseText.
// Each event is handed out while its token is current; the token after it is
// read by the next call, in the order the tree grammar reads them, so errors
// and their positions are the grammar's own.
#include <kivJSON/JSONParser.h>
#include <kivJSON/JSONReader.h>
#include "internal/ParseDocument.h"

#include <kivCore/Conversion.h>

#include <utility>
#include <vector>

namespace _Private {

class JsonReaderCore {
public:
    virtual ~JsonReaderCore() = default;
    virtual bool Next() = 0;
    virtual JsonParsePosition Position() = 0;
    virtual bool ReadValue(JsonValue& value) = 0;

    JsonEvent event = JsonEvent::Null;
    size_t depth = 0;
    JsonNumber number{0};
    bool boolean = false;
    const std::string* text = &m_converted;
    std::error_code error;
    JsonParsePosition errorPosition{0, 1, 1};

protected:
    std::string m_converted;  // a wide source's text as UTF-8
};

namespace {

template <class Parser>
class ReaderCoreOf final : public JsonReaderCore {
    using C = typename Parser::CharType;
    using Grammar = JsonGrammar<C, Parser>;
    using Token = typename Parser::Token;
    static constexpr bool kInMemory = JsonTokenizer<C, Parser>::kInMemory;

    enum class State : unsigned char {
        Start,
        AfterBeginArray,
        AfterBeginObject,
        AfterKey,
        AfterValue,
        Done
    };

public:
    template <class Input>
    ReaderCoreOf(Input& input, const JsonParseOptions& options) : m_parser(input, options) {}

    bool Next() override {
        if (m_state == State::Done) {
            return false;
        }
        if (!Advance()) {
            return false;
        }
        switch (m_state) {
            case State::Start:
                return Value();
            case State::AfterBeginArray:
                return m_token.kind == Token::ArrayEnd ? Close() : Value();
            case State::AfterBeginObject:
                return m_token.kind == Token::ObjectEnd ? Close() : Key();
            case State::AfterKey:
                if (m_token.kind != Token::Colon) {
                    return Fail(MalformedObject);
                }
                return Advance() && Value();
            default:
                break;
        }
        if (m_open.empty()) {  // the document is complete: only its end may follow
            if (m_token.kind != Token::EndOfInput) {
                return Fail(LeftOverCharacters);
            }
            m_state = State::Done;
            return false;
        }
        const bool object = m_open.back();
        if (m_token.kind == (object ? Token::ObjectEnd : Token::ArrayEnd)) {
            return Close();
        }
        if (m_token.kind != Token::Comma) {
            return Fail(object ? MalformedObject : MalformedArray);
        }
        return Advance() && (object ? Key() : Value());
    }

    JsonParsePosition Position() override {
        if constexpr (kInMemory) {
            // Lines and columns are counted on from the last position asked for.
            const C* const target = m_parser.m_begin + m_parser.tokenStart.offset;
            for (const C* p = m_parser.m_begin + m_counted.offset; p < target; ++p) {
                AdvancePosition<C>(m_counted, *p);
            }
            return m_counted;
        } else {
            return m_parser.tokenStart;
        }
    }

    bool ReadValue(JsonValue& value) override {
        if (m_state == State::Done || m_advanced) {
            return false;
        }
        if (event == JsonEvent::BeginArray || event == JsonEvent::BeginObject) {
            typename Grammar::Pending pending;
            JsonValue built(Grammar::RawValue(m_parser, m_token, pending));
            if (m_token.error) {
                return Fail(MalformedToken);  // the token's own code is kept
            }
            m_advanced = true;
            Close();
            value = std::move(built);
            return true;
        }
        switch (event) {
            case JsonEvent::String:
                value =
                    JsonValue(JsonMakeUnique<JsonStringTypeImpl>(m_token.text, m_token.hasEscapes));
                return true;
            case JsonEvent::Number:
                if (number.m_kind == JsonNumber::Double) {
                    value = JsonValue(JsonMakeUnique<JsonNumberTypeImpl>(number.AsDouble()));
                } else if (number.m_kind == JsonNumber::Int64) {
                    value = JsonValue(
                        JsonMakeUnique<JsonNumberTypeImpl>(static_cast<long>(number.m_value)));
                } else {
                    value = JsonValue(JsonMakeUnique<JsonNumberTypeImpl>(
                        static_cast<unsigned long>(number.m_value)));
                }
                return true;
            case JsonEvent::Bool:
                value = JsonValue(boolean);
                return true;
            case JsonEvent::Null:
                value = JsonValue();
                return true;
            default:
                return false;  // a key or the end of a container
        }
    }

private:
    // Reads the next token unless a whole value read it already.
    bool Advance() {
        if (m_advanced) {
            m_advanced = false;
        } else {
            Grammar::Tokenize(m_parser, m_token);
        }
        return !m_token.error || Fail(MalformedToken);
    }

    bool Fail(JsonErrorCode code) {
        if (!m_token.error) {
            m_token.error = std::error_code(code, JsonErrorCategory::s_item);
        }
        error = m_token.error;
        errorPosition = Position();
        m_state = State::Done;
        return false;
    }

    bool Emit(JsonEvent kind, State next) {
        event = kind;
        m_state = next;
        return true;
    }

    bool Value() {
        switch (m_token.kind) {
            case Token::ObjectBegin:
            case Token::ArrayBegin: {
                const bool object = m_token.kind == Token::ObjectBegin;
                m_open.push_back(object);
                depth = m_open.size();
                return object ? Emit(JsonEvent::BeginObject, State::AfterBeginObject)
                              : Emit(JsonEvent::BeginArray, State::AfterBeginArray);
            }
            case Token::String:
                SetText();
                return Emit(JsonEvent::String, State::AfterValue);
            case Token::Double:
                number = JsonNumber(m_token.doubleValue);
                return Emit(JsonEvent::Number, State::AfterValue);
            case Token::Integer:
                number = m_token.isNegative
                             ? JsonNumber(static_cast<long>(m_token.intValue))
                             : JsonNumber(static_cast<unsigned long>(m_token.uintValue));
                return Emit(JsonEvent::Number, State::AfterValue);
            case Token::Bool:
                boolean = m_token.boolValue;
                return Emit(JsonEvent::Bool, State::AfterValue);
            case Token::Null:
                return Emit(JsonEvent::Null, State::AfterValue);
            default:  // no value starts with this token, or the input has ended
                return Fail(MalformedToken);
        }
    }

    bool Key() {
        if (m_token.kind != Token::String) {
            return Fail(MalformedObject);
        }
        SetText();
        return Emit(JsonEvent::Key, State::AfterKey);
    }

    bool Close() {
        const bool object = m_open.back();
        m_open.pop_back();
        depth = m_open.size();
        return Emit(object ? JsonEvent::EndObject : JsonEvent::EndArray, State::AfterValue);
    }

    void SetText() {
        if constexpr (sizeof(C) == 1) {
            text = &m_token.text;
        } else {
            m_converted = ConvertTo<std::string, std::wstring>(m_token.text);
        }
    }

    Parser m_parser;
    Token m_token;
    State m_state = State::Start;
    bool m_advanced = false;   // m_token is already the token after the current event
    std::vector<bool> m_open;  // the open containers, outermost first; true: object
    JsonParsePosition m_counted{0, 1, 1};
};

template <class Parser, class Input>
std::unique_ptr<JsonReaderCore> MakeReaderCore(Input& input, const JsonParseOptions& options) {
    return std::make_unique<ReaderCoreOf<Parser>>(input, options);
}

}  // namespace
}  // namespace _Private

JsonReader::JsonReader(const std::string& text, const JsonParseOptions& options)
    : m_core(_Private::MakeReaderCore<_Private::JsonTrackedStringParser<char>>(text, options)) {}
JsonReader::JsonReader(const std::wstring& text, const JsonParseOptions& options)
    : m_core(_Private::MakeReaderCore<_Private::JsonTrackedStringParser<wchar_t>>(text, options)) {}
JsonReader::JsonReader(std::istream& in, const JsonParseOptions& options)
    : m_core(_Private::MakeReaderCore<_Private::JsonTrackedStreamParser<char>>(in, options)) {}
JsonReader::JsonReader(std::wistream& in, const JsonParseOptions& options)
    : m_core(_Private::MakeReaderCore<_Private::JsonTrackedStreamParser<wchar_t>>(in, options)) {}
JsonReader::JsonReader(JsonReader&&) noexcept = default;
JsonReader& JsonReader::operator=(JsonReader&&) noexcept = default;
JsonReader::~JsonReader() = default;

bool JsonReader::Next() {
    return m_core->Next();
}
JsonEvent JsonReader::Event() const {
    return m_core->event;
}
JsonParsePosition JsonReader::Position() const {
    return m_core->Position();
}
size_t JsonReader::Depth() const {
    return m_core->depth;
}
const std::string& JsonReader::Text() const {
    return *m_core->text;
}
JsonNumber JsonReader::GetNumber() const {
    return m_core->number;
}
bool JsonReader::GetBool() const {
    return m_core->boolean;
}
const std::error_code& JsonReader::Error() const {
    return m_core->error;
}
const JsonParsePosition& JsonReader::ErrorPosition() const {
    return m_core->errorPosition;
}

bool JsonReader::Skip() {
    const JsonEvent at = m_core->event;
    if (at != JsonEvent::BeginArray && at != JsonEvent::BeginObject) {
        return true;
    }
    const size_t outer = m_core->depth - 1;
    while (m_core->Next()) {
        if (m_core->depth == outer &&
            (m_core->event == JsonEvent::EndArray || m_core->event == JsonEvent::EndObject)) {
            return true;
        }
    }
    return false;
}

bool JsonReader::ReadValue(JsonValue& value) {
    return m_core->ReadValue(value);
}
