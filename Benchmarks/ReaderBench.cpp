// Event readers side by side: kivJSON's JsonReader, RapidJSON's Reader (full
// precision) and nlohmann/json's sax_parse, each with a handler that counts
// events and sums numbers. Named Reader/<document>/<library>.
#include "BenchSupport.h"

#include <kivJSON/JSONReader.h>

#include <benchmark/benchmark.h>

#if KIVJSON_HAVE_NLOHMANN
#include <nlohmann/json.hpp>
#endif
#if KIVJSON_HAVE_RAPIDJSON
#include <rapidjson/reader.h>
#endif

#include <string>

namespace {

struct Tally {
    size_t events = 0;
    double sum = 0;
};

Tally KivEvents(const std::string& text) {
    Tally tally;
    JsonReader reader(text);
    while (reader.Next()) {
        ++tally.events;
        if (reader.Event() == JsonEvent::Number) {
            tally.sum += reader.GetNumber().AsDouble();
        }
    }
    return tally;
}

#if KIVJSON_HAVE_RAPIDJSON
struct RapidHandler : rapidjson::BaseReaderHandler<rapidjson::UTF8<>, RapidHandler> {
    Tally tally;
    bool Default() { return ++tally.events, true; }
    bool Number(double value) { return tally.sum += value, ++tally.events, true; }
    bool Int(int v) { return Number(v); }
    bool Uint(unsigned v) { return Number(v); }
    bool Int64(int64_t v) { return Number(static_cast<double>(v)); }
    bool Uint64(uint64_t v) { return Number(static_cast<double>(v)); }
    bool Double(double v) { return Number(v); }
};

Tally RapidEvents(const std::string& text) {
    RapidHandler handler;
    rapidjson::Reader reader;
    rapidjson::StringStream in(text.c_str());
    reader.Parse<rapidjson::kParseFullPrecisionFlag>(in, handler);
    return handler.tally;
}
#endif

#if KIVJSON_HAVE_NLOHMANN
struct NlohmannHandler : nlohmann::json_sax<nlohmann::json> {
    Tally tally;
    bool Count() { return ++tally.events, true; }
    bool Add(double v) { return tally.sum += v, Count(); }
    bool null() override { return Count(); }
    bool boolean(bool) override { return Count(); }
    bool number_integer(number_integer_t v) override { return Add(static_cast<double>(v)); }
    bool number_unsigned(number_unsigned_t v) override { return Add(static_cast<double>(v)); }
    bool number_float(number_float_t v, const string_t&) override { return Add(v); }
    bool string(string_t&) override { return Count(); }
    bool binary(binary_t&) override { return Count(); }
    bool start_object(std::size_t) override { return Count(); }
    bool key(string_t&) override { return Count(); }
    bool end_object() override { return Count(); }
    bool start_array(std::size_t) override { return Count(); }
    bool end_array() override { return Count(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }
};

Tally NlohmannEvents(const std::string& text) {
    NlohmannHandler handler;
    nlohmann::json::sax_parse(text, &handler);
    return handler.tally;
}
#endif

template <Tally (*Read)(const std::string&)>
void Events(benchmark::State& state, std::string name) {
    const std::string* text = kivbench::LoadDocument(name);
    if (text == nullptr) {
        state.SkipWithError("missing benchmark document");
        return;
    }
    for (auto _ : state) {
        const Tally tally = Read(*text);
        benchmark::DoNotOptimize(tally);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text->size()));
}

const bool kRegistered = [] {
    for (const char* name : {"canada", "citm_catalog", "twitter"}) {
        const std::string prefix = std::string("Reader/") + name + "/";
        benchmark::RegisterBenchmark((prefix + "kivJSON").c_str(), Events<KivEvents>, name);
#if KIVJSON_HAVE_RAPIDJSON
        benchmark::RegisterBenchmark((prefix + "RapidJSON").c_str(), Events<RapidEvents>, name);
#endif
#if KIVJSON_HAVE_NLOHMANN
        benchmark::RegisterBenchmark((prefix + "nlohmann").c_str(), Events<NlohmannEvents>, name);
#endif
    }
    return true;
}();

}  // namespace
