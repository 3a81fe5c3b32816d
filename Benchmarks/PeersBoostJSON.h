// Boost.JSON as a benchmark peer: boost::json::parse, serialize. When the
// compiled library is missing, SuiteBench.cpp (and only it) includes the
// library's sources.
#pragma once

#if KIVJSON_HAVE_BOOST_JSON
#include <boost/json.hpp>

#include <string>

namespace kivbench {

struct BoostJsonPeer {
    static constexpr const char* kName = "Boost.JSON";
    using Dom = boost::json::value;

    static Dom Parse(const std::string& text) { return boost::json::parse(text); }
    static size_t Serialize(const Dom& dom) { return boost::json::serialize(dom).size(); }
    static Dom Copy(const Dom& dom) { return dom; }
    static bool Equal(const Dom& a, const Dom& b) { return a == b; }
};

}  // namespace kivbench
#endif
