// simdjson as a benchmark peer. Its DOM is immutable and lives inside the
// parser, so it is labelled "simdjson (immutable DOM)": it parses and writes
// but cannot be copied, compared or changed like the other trees.
#pragma once

#if KIVJSON_HAVE_SIMDJSON
#include <simdjson.h>

#include <map>
#include <stdexcept>
#include <string>

namespace kivbench {

struct SimdjsonPeer {
    static constexpr const char* kName = "simdjson-dom";
    static constexpr const char* kLabel = "simdjson (immutable DOM)";

    // The padded copy simdjson wants of a document, made once per document.
    static const simdjson::padded_string& Padded(const std::string& text) {
        static std::map<const std::string*, simdjson::padded_string> copies;
        auto found = copies.find(&text);
        if (found == copies.end()) {
            found = copies.emplace(&text, simdjson::padded_string(text)).first;
        }
        return found->second;
    }

    static simdjson::dom::element Parse(simdjson::dom::parser& parser,
                                        const simdjson::padded_string& text) {
        simdjson::dom::element root;
        if (const auto error = parser.parse(text).get(root)) {
            throw std::runtime_error(simdjson::error_message(error));
        }
        return root;
    }
    static size_t Serialize(const simdjson::dom::element& root) {
        return simdjson::minify(root).size();
    }
};

}  // namespace kivbench
#endif
