// nlohmann/json as a benchmark peer: parse to json, dump() compact.
#pragma once

#if KIVJSON_HAVE_NLOHMANN
#include <nlohmann/json.hpp>

#include <string>

namespace kivbench {

struct NlohmannPeer {
    static constexpr const char* kName = "nlohmann";
    using Dom = nlohmann::json;

    static Dom Parse(const std::string& text) { return nlohmann::json::parse(text); }
    static size_t Serialize(const Dom& dom) { return dom.dump().size(); }
    static Dom Copy(const Dom& dom) { return dom; }
    static bool Equal(const Dom& a, const Dom& b) { return a == b; }
};

}  // namespace kivbench
#endif
