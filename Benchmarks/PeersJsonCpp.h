// JsonCpp as a benchmark peer: CharReaderBuilder, StreamWriterBuilder with no
// indentation (compact) and UTF-8 kept as is, like the other writers.
#pragma once

#if KIVJSON_HAVE_JSONCPP
#include <json/json.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace kivbench {

struct JsonCppPeer {
    static constexpr const char* kName = "JsonCpp";
    using Dom = Json::Value;

    static Dom Parse(const std::string& text) {
        static const std::unique_ptr<Json::CharReader> reader(
            Json::CharReaderBuilder().newCharReader());
        Dom root;
        std::string errors;
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) {
            throw std::runtime_error("JsonCpp: " + errors);
        }
        return root;
    }
    static size_t Serialize(const Dom& dom) {
        static const Json::StreamWriterBuilder builder = [] {
            Json::StreamWriterBuilder compact;
            compact["indentation"] = "";
            compact["emitUTF8"] = true;
            return compact;
        }();
        return Json::writeString(builder, dom).size();
    }
    static Dom Copy(const Dom& dom) { return dom; }
    static bool Equal(const Dom& a, const Dom& b) { return a == b; }
};

}  // namespace kivbench
#endif
