// Small documents, as an API server meets them: one request body of 100 to
// 200 bytes parsed into a tree and destroyed, then the next. Four bodies (an
// object of short strings, numbers and a small array; nested objects; an
// array of records; numbers with a null), each parsed once per iteration.
// Named Small/<library>/parse; items are parses, so ns per parse is
// 1e9 / items_per_second.
#include "PeersBoostJSON.h"
#include "PeersNlohmann.h"
#include "PeersRapidJSON.h"

#include <kivJSON/JSONValue.h>

#include <benchmark/benchmark.h>

#include <array>
#include <string>

namespace {

const std::array<std::string, 4> kBodies = {
    R"({"id":12345,"name":"Alice Smith","email":"alice@example.com","active":true,)"
    R"("roles":["admin","user"],"score":98.6,"team":null})",
    R"({"method":"POST","path":"/api/v1/orders","headers":{"content-type":"application/json",)"
    R"("x-request-id":"a1b2c3d4"},"retry":3,"timeout":2.5})",
    R"({"order":{"id":"ord_8842","items":[{"sku":"A-100","qty":2,"price":19.99},)"
    R"({"sku":"B-220","qty":1,"price":5.5}],"paid":false,"note":"leave at door"}})",
    R"([{"t":1700000000,"v":21.5},{"t":1700000060,"v":21.75},{"t":1700000120,"v":null},)"
    R"({"t":1700000180,"v":-3.25e-1},{"t":1700000240,"v":22}])",
};

template <class Parse>
void RunSmall(benchmark::State& state, Parse parse) {
    for (auto _ : state) {
        for (const std::string& body : kBodies) {
            auto dom = parse(body);
            benchmark::DoNotOptimize(dom);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kBodies.size()));
}

void SmallKiv(benchmark::State& state) {
    RunSmall(state, [](const std::string& text) { return JsonValue::Parse(text); });
}
BENCHMARK(SmallKiv)->Name("Small/kivJSON/parse");

template <class Peer>
void SmallPeer(benchmark::State& state) {
    RunSmall(state, [](const std::string& text) { return Peer::Parse(text); });
}
#if KIVJSON_HAVE_RAPIDJSON
BENCHMARK(SmallPeer<kivbench::RapidJsonPeer>)->Name("Small/RapidJSON/parse");
#endif
#if KIVJSON_HAVE_BOOST_JSON
BENCHMARK(SmallPeer<kivbench::BoostJsonPeer>)->Name("Small/Boost.JSON/parse");
#endif
#if KIVJSON_HAVE_NLOHMANN
BENCHMARK(SmallPeer<kivbench::NlohmannPeer>)->Name("Small/nlohmann/parse");
#endif

}  // namespace
