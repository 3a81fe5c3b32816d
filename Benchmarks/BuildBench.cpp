// Building a tree by hand through the editing calls: citm_catalog.json's tree,
// value by value from a parsed copy, with kivJSON's appends and with
// nlohmann/json's. Cases: Build/citm_catalog/<library>.
#include "BenchSupport.h"
#include "PeersNlohmann.h"

#include <kivJSON/JSONValue.h>

#include <string>

namespace {

// A new tree equal to `source`, made only through appends and constructors.
JsonValue Build(const JsonValue& source) {
    switch (source.Type()) {
        case JsonType::Object: {
            JsonValue out = JsonValue::ObjectType();
            JsonObject& members = out.AsObject();
            for (const JsonObject::Member& member : source.AsObject()) {
                members.Append(member.first, Build(member.second));
            }
            return out;
        }
        case JsonType::Array: {
            JsonValue out = JsonValue::ArrayType();
            JsonArray& elements = out.AsArray();
            for (const JsonValue& element : source.AsArray()) {
                elements.PushBack(Build(element));
            }
            return out;
        }
        case JsonType::String:
            return JsonValue(source.AsString());
        case JsonType::Number: {
            const JsonNumber number = source.AsNumber();
            if (number.GetKind() == JsonNumber::Int64) {
                return JsonValue(static_cast<long long>(number.m_value));
            }
            if (number.GetKind() == JsonNumber::Uint64) {
                return JsonValue(static_cast<unsigned long long>(number.m_value));
            }
            return JsonValue(number.AsDouble());
        }
        case JsonType::Bool:
            return JsonValue(source.AsBool());
        case JsonType::Null:
            break;
    }
    return JsonValue();
}

#if KIVJSON_HAVE_NLOHMANN
nlohmann::json Build(const nlohmann::json& source) {
    switch (source.type()) {
        case nlohmann::json::value_t::object: {
            nlohmann::json out = nlohmann::json::object();
            for (const auto& member : source.items()) {
                out.emplace(member.key(), Build(member.value()));
            }
            return out;
        }
        case nlohmann::json::value_t::array: {
            nlohmann::json out = nlohmann::json::array();
            for (const nlohmann::json& element : source) {
                out.push_back(Build(element));
            }
            return out;
        }
        case nlohmann::json::value_t::string:
            return nlohmann::json(source.get<std::string>());
        case nlohmann::json::value_t::number_integer:
            return nlohmann::json(source.get<long long>());
        case nlohmann::json::value_t::number_unsigned:
            return nlohmann::json(source.get<unsigned long long>());
        case nlohmann::json::value_t::number_float:
            return nlohmann::json(source.get<double>());
        case nlohmann::json::value_t::boolean:
            return nlohmann::json(source.get<bool>());
        default:
            return nlohmann::json();
    }
}
#endif

template <class Dom, class ParseFn>
void BuildCase(benchmark::State& state, ParseFn parse) {
    const std::string* text = kivbench::LoadDocument("citm_catalog");
    if (text == nullptr) {
        state.SkipWithError("citm_catalog.json not found");
        return;
    }
    const Dom source = parse(*text);
    kivbench::AllocationMeter meter;
    for (auto _ : state) {
        Dom built = Build(source);
        benchmark::DoNotOptimize(&built);
    }
    meter.Report(state);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text->size()));
}

const bool kRegistered = [] {
    benchmark::RegisterBenchmark("Build/citm_catalog/kivJSON", [](benchmark::State& state) {
        BuildCase<JsonValue>(state, [](const std::string& t) { return JsonValue::Parse(t); });
    });
#if KIVJSON_HAVE_NLOHMANN
    benchmark::RegisterBenchmark("Build/citm_catalog/nlohmann", [](benchmark::State& state) {
        BuildCase<nlohmann::json>(state,
                                  [](const std::string& t) { return nlohmann::json::parse(t); });
    });
#endif
    return true;
}();

}  // namespace
