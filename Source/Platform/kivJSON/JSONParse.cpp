// Every parse entry point: JsonValue::Parse, the stream drivers behind it, and
// the extensions that take options and report where a parse failed.
#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONParser.h>
#include "internal/EventMachine.h"
#include "internal/ParseDocument.h"
#include "internal/ParseSources.h"
#include "internal/TreeBuilder.h"

#include <stdexcept>

namespace _Private {

template <class Parser>
JsonValue JsonParseDocument(Parser& parser, std::error_code& ec, bool keepValueOnLeftOver) {
    using Builder = JsonTreeBuilder<Parser>;
    typename Parser::Token token;
    JsonEventMachine<Parser> machine(parser, token);
    if (!machine.Next()) {
        ec = token.error;
        return JsonValue();
    }
    JsonValue result(Builder::Build(machine, token));
    if (!token.error && !machine.Next() && !token.error) {
        ec = token.error;  // cleared: the document ended after its value
        return result;
    }
    ec = token.error;
    if (keepValueOnLeftOver &&
        ec == std::error_code(LeftOverCharacters, JsonErrorCategory::s_item)) {
        return result;
    }
    return JsonValue();
}

template <class Parser, class Input>
JsonValue JsonParseDocumentOrThrow(Input& input) {
    Parser parser(input);
    std::error_code ec;
    JsonValue result = JsonParseDocument(parser, ec);
    if (ec) {
        throw std::invalid_argument(ec.message());
    }
    return result;
}

template <class Parser, class Input>
JsonValue JsonParseDocumentNoThrow(Input& input, std::error_code& ec,
                                   bool keepValueOnLeftOver = false) {
    Parser parser(input);
    return JsonParseDocument(parser, ec, keepValueOnLeftOver);
}

template <class Parser, class Input>
JsonValue JsonParseTracked(Input& input, const JsonParseOptions& options, std::error_code& ec,
                           JsonParsePosition& position) {
    Parser parser(input, options);
    JsonValue result = JsonParseDocument(parser, ec);
    if (ec) {
        position = parser.Position();
    }
    return result;
}

}  // namespace _Private

// ===== JsonValue::Parse =====================================================================

JsonValue JsonValue::Parse(const std::string& text) {
    return _Private::JsonParseDocumentOrThrow<_Private::JsonPlainStringParser<char>>(text);
}

JsonValue JsonValue::Parse(const std::string& text, std::error_code& ec) {
    return _Private::JsonParseDocumentNoThrow<_Private::JsonPlainStringParser<char>>(text, ec);
}

JsonValue JsonValue::Parse(const std::wstring& text) {
    return _Private::JsonParseDocumentOrThrow<JsonStringParser<wchar_t>>(text);
}

JsonValue JsonValue::Parse(const std::wstring& text, std::error_code& ec) {
    return _Private::JsonParseDocumentNoThrow<JsonStringParser<wchar_t>>(text, ec);
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

// ===== Stream drivers =======================================================================

JsonValue _PerformNarrowStreamParsing(std::istream& in) {
    return _Private::JsonParseDocumentOrThrow<JsonStreamParser<char>>(in);
}

JsonValue _PerformNarrowStreamParsing(std::istream& in, std::error_code& ec) {
    return _Private::JsonParseDocumentNoThrow<JsonStreamParser<char>>(in, ec);
}

JsonValue _PerformStreamParsing(std::wistream& in) {
    return _Private::JsonParseDocumentOrThrow<JsonStreamParser<wchar_t>>(in);
}

// The one form that hands back the parsed value together with left-over text.
JsonValue _PerformStreamParsing(std::wistream& in, std::error_code& ec) {
    return _Private::JsonParseDocumentNoThrow<JsonStreamParser<wchar_t>>(in, ec, true);
}

// ===== With options and the place of a failure ==============================================

JsonValue JsonParseText(const std::string& text, const JsonParseOptions& options,
                        std::error_code& ec, JsonParsePosition& position) {
    return _Private::JsonParseTracked<_Private::JsonTrackedStringParser<char>>(text, options, ec,
                                                                               position);
}

JsonValue JsonParseText(const std::wstring& text, const JsonParseOptions& options,
                        std::error_code& ec, JsonParsePosition& position) {
    return _Private::JsonParseTracked<_Private::JsonTrackedStringParser<wchar_t>>(text, options, ec,
                                                                                  position);
}

JsonValue JsonParseText(std::istream& in, const JsonParseOptions& options, std::error_code& ec,
                        JsonParsePosition& position) {
    return _Private::JsonParseTracked<_Private::JsonTrackedStreamParser<char>>(in, options, ec,
                                                                               position);
}

JsonValue JsonParseText(std::wistream& in, const JsonParseOptions& options, std::error_code& ec,
                        JsonParsePosition& position) {
    return _Private::JsonParseTracked<_Private::JsonTrackedStreamParser<wchar_t>>(in, options, ec,
                                                                                  position);
}
