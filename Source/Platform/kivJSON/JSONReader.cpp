// The pull reader: the grammar's event machine (internal/EventMachine.h) over
// the tokenizer and the tracked sources of JsonParseText.
#include <kivJSON/JSONEventWriter.h>
#include <kivJSON/JSONParser.h>
#include <kivJSON/JSONReader.h>
#include "internal/EventMachine.h"
#include "internal/ParseDocument.h"
#include "internal/ParseSources.h"
#include "internal/TreeBuilder.h"

#include <kivCore/Conversion.h>

#include <utility>
#include <vector>

namespace _Private {

class JsonReaderCore : public JsonReaderCurrent {
public:
    // The text of the current Key or String event as a string: copied on the
    // first call when the view points into the text read.
    const std::string& Text() {
        if (view.data() != m_text.data() || view.size() != m_text.size()) {
            m_text.assign(view);
            view = m_text;
        }
        return m_text;
    }

    virtual ~JsonReaderCore() = default;
    virtual bool Next() = 0;
    virtual JsonParsePosition Position() = 0;
    virtual bool ReadValue(JsonValue& value) = 0;

    std::error_code error;
    JsonParsePosition errorPosition{0, 1, 1};

protected:
    std::string m_text;  // Text(), or a wide source's text as UTF-8
};

namespace {

template <class Parser>
class ReaderCoreOf final : public JsonReaderCore {
    using C = typename Parser::CharType;
    using Token = typename Parser::Token;
    static constexpr bool kInMemory = JsonTokenizer<C, Parser>::kInMemory;

public:
    template <class Input>
    ReaderCoreOf(Input& input, const JsonParseOptions& options)
        : m_parser(input, options), m_machine(m_parser, m_token) {}

    bool Next() override {
        if (!m_machine.Next()) {
            return Failed();
        }
        event = m_machine.event;
        depth = m_machine.Depth();
        if (event == JsonEvent::Number) {
            number = m_token.kind == Token::Double ? JsonNumber(m_token.doubleValue)
                     : m_token.isNegative
                         ? JsonNumber(static_cast<long>(m_token.intValue))
                         : JsonNumber(static_cast<unsigned long>(m_token.uintValue));
        } else if (event == JsonEvent::Bool) {
            boolean = m_token.boolValue;
        } else if (event == JsonEvent::Key || event == JsonEvent::String) {
            if constexpr (sizeof(C) == 1) {
                view = JsonTokenizer<C, Parser>::TokenText(m_parser, m_token);
            } else {
                m_text = ConvertTo<std::string, std::wstring>(m_token.text);
                view = m_text;
            }
        }
        return true;
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
        if (m_machine.Done() || event == JsonEvent::Key || event == JsonEvent::EndArray ||
            event == JsonEvent::EndObject) {
            return false;  // no value starts at this event
        }
        // The tree builder reads on to a container's End* through the same
        // machine; a scalar it builds from the current token, as a parse does.
        JsonValue built(JsonTreeBuilder<Parser>::Build(m_machine, m_token));
        if (m_token.error) {
            return Failed();
        }
        event = m_machine.event;
        depth = m_machine.Depth();
        value = std::move(built);
        return true;
    }

private:
    bool Failed() {
        if (m_token.error && !error) {
            error = m_token.error;
            errorPosition = Position();
        }
        return false;
    }

    Parser m_parser;
    Token m_token;
    JsonEventMachine<Parser> m_machine;
    JsonParsePosition m_counted{0, 1, 1};
};

template <class Parser, class Input>
std::unique_ptr<JsonReaderCore> MakeReaderCore(Input& input, const JsonParseOptions& options) {
    return std::make_unique<ReaderCoreOf<Parser>>(input, options);
}

}  // namespace
}  // namespace _Private

JsonReader::JsonReader(const std::string& text, const JsonParseOptions& options)
    : m_core(_Private::MakeReaderCore<_Private::JsonTrackedStringParser<char>>(text, options)),
      m_current(m_core.get()) {}
JsonReader::JsonReader(const std::wstring& text, const JsonParseOptions& options)
    : m_core(_Private::MakeReaderCore<_Private::JsonTrackedStringParser<wchar_t>>(text, options)),
      m_current(m_core.get()) {}
JsonReader::JsonReader(std::istream& in, const JsonParseOptions& options)
    : m_core(_Private::MakeReaderCore<_Private::JsonTrackedStreamParser<char>>(in, options)),
      m_current(m_core.get()) {}
JsonReader::JsonReader(std::wistream& in, const JsonParseOptions& options)
    : m_core(_Private::MakeReaderCore<_Private::JsonTrackedStreamParser<wchar_t>>(in, options)),
      m_current(m_core.get()) {}
JsonReader::JsonReader(JsonReader&&) noexcept = default;
JsonReader& JsonReader::operator=(JsonReader&&) noexcept = default;
JsonReader::~JsonReader() = default;

bool JsonReader::Next() {
    return m_core->Next();
}
const std::string& JsonReader::Text() const {
    return m_core->Text();
}
JsonParsePosition JsonReader::Position() const {
    return m_core->Position();
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

bool JsonCopyEvent(const JsonReader& reader, JsonEventWriter& writer) {
    switch (reader.Event()) {
        case JsonEvent::BeginArray:
            return writer.BeginArray();
        case JsonEvent::EndArray:
            return writer.EndArray();
        case JsonEvent::BeginObject:
            return writer.BeginObject();
        case JsonEvent::EndObject:
            return writer.EndObject();
        case JsonEvent::Key:
            return writer.Key(reader.Text());
        case JsonEvent::String:
            return writer.String(reader.Text());
        case JsonEvent::Number:
            return writer.Number(reader.GetNumber());
        case JsonEvent::Bool:
            return writer.Bool(reader.GetBool());
        case JsonEvent::Null:
            return writer.Null();
    }
    return false;
}
