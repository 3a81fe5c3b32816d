// Writing speed: whole documents to narrow and wide text, a million doubles,
// and the cost of one double against a general snprintf.
#include <kivCore/TextFunctions.h>
#include <kivJSON/JSONValue.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A parsed benchmark document, or why there is none.
struct SerializeInput {
    std::unique_ptr<JsonValue> tree;
    std::string error;
};

const SerializeInput& SerializeDocument(const std::string& name) {
    static std::map<std::string, SerializeInput> cache;
    auto found = cache.find(name);
    if (found != cache.end()) {
        return found->second;
    }
    SerializeInput& input = cache[name];
    const std::string path = std::string(KIVJSON_DATA_DIR) + "/bench/" + name;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        input.error = "missing " + path;
        return input;
    }
    std::ostringstream text;
    text << file.rdbuf();
    try {
        input.tree = std::make_unique<JsonValue>(JsonValue::Parse(text.str()));
    } catch (const std::exception& e) {
        input.error = std::string("cannot parse ") + name + ": " + e.what();
    }
    return input;
}

// Mixed magnitudes and signs, as measured data has them.
std::vector<double> SerializeRandomDoubles(size_t count) {
    std::mt19937_64 random(20261205);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 12);
    std::vector<double> values(count);
    for (double& value : values) {
        value = mantissa(random) * std::pow(10.0, exponent(random));
        if (random() & 1) {
            value = -value;
        }
    }
    return values;
}

const JsonValue& MillionDoubles() {
    static const JsonValue tree = [] {
        std::vector<JsonValue> elements;
        elements.reserve(1000000);
        for (double value : SerializeRandomDoubles(1000000)) {
            elements.emplace_back(value);
        }
        return JsonValue::ArrayType(std::move(elements));
    }();
    return tree;
}

void RunSerialize(benchmark::State& state, const JsonValue& tree) {
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text = tree.Serialize();
        bytes += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

// Bytes counted as characters of output, so the two widths compare directly.
void RunSerializeWide(benchmark::State& state, const JsonValue& tree) {
    size_t characters = 0;
    for (auto _ : state) {
        std::wstring text;
        tree.Format(text);
        characters += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(characters));
}

void BM_Serialize(benchmark::State& state, const char* name) {
    const SerializeInput& input = SerializeDocument(name);
    if (!input.tree) {
        state.SkipWithError(input.error.c_str());
        return;
    }
    RunSerialize(state, *input.tree);
}

void BM_SerializeWide(benchmark::State& state, const char* name) {
    const SerializeInput& input = SerializeDocument(name);
    if (!input.tree) {
        state.SkipWithError(input.error.c_str());
        return;
    }
    RunSerializeWide(state, *input.tree);
}

BENCHMARK_CAPTURE(BM_Serialize, canada, "canada.json")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Serialize, citm_catalog, "citm_catalog.json")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Serialize, twitter, "twitter.json")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SerializeWide, canada, "canada.json")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SerializeWide, citm_catalog, "citm_catalog.json")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SerializeWide, twitter, "twitter.json")->Unit(benchmark::kMillisecond);

void BM_SerializeMillionDoubles(benchmark::State& state) {
    RunSerialize(state, MillionDoubles());
}
BENCHMARK(BM_SerializeMillionDoubles)->Unit(benchmark::kMillisecond);

// --- One double ------------------------------------------------------------------

const std::vector<double>& SampleDoubles() {
    static const std::vector<double> values = SerializeRandomDoubles(4096);
    return values;
}

void BM_WriteDouble_JsonFormat(benchmark::State& state) {
    std::vector<JsonValue> numbers(SampleDoubles().begin(), SampleDoubles().end());
    std::string out;
    size_t i = 0, bytes = 0;
    for (auto _ : state) {
        out.clear();
        numbers[i++ & 4095].Format(out);
        bytes += out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteDouble_JsonFormat);

void BM_WriteDouble_sprintf_s(benchmark::State& state) {
    const std::vector<double>& values = SampleDoubles();
    char buffer[25];
    size_t i = 0, bytes = 0;
    for (auto _ : state) {
        bytes += static_cast<size_t>(sprintf_s(buffer, 25, "%.*g", 17, values[i++ & 4095]));
        benchmark::DoNotOptimize(buffer);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteDouble_sprintf_s);

void BM_WriteDouble_snprintf(benchmark::State& state) {
    const std::vector<double>& values = SampleDoubles();
    char buffer[25];
    size_t i = 0, bytes = 0;
    for (auto _ : state) {
        bytes += static_cast<size_t>(std::snprintf(buffer, 25, "%.17g", values[i++ & 4095]));
        benchmark::DoNotOptimize(buffer);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteDouble_snprintf);

}  // namespace
