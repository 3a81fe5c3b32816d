// Parse throughput of the three standard documents from each kind of source.
// Bytes processed are always the UTF-8 file size, so the MB/s compare directly.
#include <kivJSON/JSONValue.h>

#include <kivCore/Conversion.h>

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace {

struct ParseBenchDocument {
    bool found = false;
    std::string text;
    std::wstring wide;  // converted once, outside any timing
};

const ParseBenchDocument& LoadParseBenchDocument(const std::string& name) {
    static std::map<std::string, ParseBenchDocument> s_documents;
    auto [it, inserted] = s_documents.try_emplace(name);
    if (inserted) {
        std::ifstream file(std::string(KIVJSON_DATA_DIR) + "/bench/" + name + ".json",
                           std::ios::binary);
        if (file) {
            it->second.text.assign(std::istreambuf_iterator<char>(file), {});
            it->second.wide = ConvertTo<std::wstring, std::string>(it->second.text);
            it->second.found = true;
        }
    }
    return it->second;
}

template <class Parse>
void RunParseBench(benchmark::State& state, const std::string& name, Parse parse) {
    const ParseBenchDocument& doc = LoadParseBenchDocument(name);
    if (!doc.found) {
        state.SkipWithError((name + ".json not found under " KIVJSON_DATA_DIR "/bench").c_str());
        return;
    }
    for (auto _ : state) {
        JsonValue value = parse(doc);
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(doc.text.size()));
}

void ParseNarrowString(benchmark::State& state, const std::string& name) {
    RunParseBench(state, name,
                  [](const ParseBenchDocument& d) { return JsonValue::Parse(d.text); });
}

void ParseWideString(benchmark::State& state, const std::string& name) {
    RunParseBench(state, name,
                  [](const ParseBenchDocument& d) { return JsonValue::Parse(d.wide); });
}

// The string stream is built inside the timing (one copy of the text per
// iteration); that cost is part of what a caller with a stream pays anyway.
void ParseNarrowStream(benchmark::State& state, const std::string& name) {
    RunParseBench(state, name, [](const ParseBenchDocument& d) {
        std::istringstream in(d.text);
        return JsonValue::Parse(in);
    });
}

BENCHMARK_CAPTURE(ParseNarrowString, canada, std::string("canada"));
BENCHMARK_CAPTURE(ParseNarrowString, citm_catalog, std::string("citm_catalog"));
BENCHMARK_CAPTURE(ParseNarrowString, twitter, std::string("twitter"));
BENCHMARK_CAPTURE(ParseWideString, canada, std::string("canada"));
BENCHMARK_CAPTURE(ParseWideString, citm_catalog, std::string("citm_catalog"));
BENCHMARK_CAPTURE(ParseWideString, twitter, std::string("twitter"));
BENCHMARK_CAPTURE(ParseNarrowStream, canada, std::string("canada"));
BENCHMARK_CAPTURE(ParseNarrowStream, citm_catalog, std::string("citm_catalog"));
BENCHMARK_CAPTURE(ParseNarrowStream, twitter, std::string("twitter"));

}  // namespace
