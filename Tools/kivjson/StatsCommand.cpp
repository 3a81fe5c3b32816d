// kivjson stats: what a document holds, and how fast it parses and writes.
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "Input.h"

#include <kivJSON/JSONValue.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

const char kStatsUsage[] =
    "Usage: kivjson stats [FILE|-]\n"
    "\n"
    "Prints the size, the number of values of each type, object members and\n"
    "array elements, the deepest nesting (containers inside each other), the\n"
    "number kinds (Int64 for negative integers, Uint64 for the others, Double),\n"
    "and the time taken to parse the text and to write it back compactly.\n";

struct TreeCounts {
    size_t byType[6] = {};  // indexed by JsonType
    size_t members = 0;
    size_t elements = 0;
    size_t numberKinds[3] = {};  // indexed by JsonNumber::Kind
    size_t maxDepth = 0;
};

TreeCounts CountTree(const JsonValue& root) {
    TreeCounts counts;
    std::vector<std::pair<const JsonValue*, size_t>> pending{{&root, 0}};
    while (!pending.empty()) {
        const auto [value, depth] = pending.back();
        pending.pop_back();
        const JsonType type = value->Type();
        ++counts.byType[static_cast<int>(type)];
        if (type == JsonType::Number) {
            ++counts.numberKinds[value->AsNumber().GetKind()];
        } else if (type == JsonType::Array) {
            counts.elements += value->Size();
            counts.maxDepth = std::max(counts.maxDepth, depth + 1);
            for (const JsonValue& element : value->AsArray()) {
                pending.push_back({&element, depth + 1});
            }
        } else if (type == JsonType::Object) {
            counts.members += value->Size();
            counts.maxDepth = std::max(counts.maxDepth, depth + 1);
            for (const JsonObject::Member& member : value->AsObject()) {
                pending.push_back({&member.second, depth + 1});
            }
        }
    }
    return counts;
}

double Seconds(std::chrono::steady_clock::duration elapsed) {
    return std::chrono::duration<double>(elapsed).count();
}

// Megabytes (10^6 bytes) per second; 0 when the clock saw no time pass.
double Throughput(size_t bytes, double seconds) {
    return seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0;
}

}  // namespace

int RunStats(const std::vector<std::string>& args) {
    CommandLine line;
    if (auto stop = ParseCommandLine("stats", kStatsUsage, args, {}, line)) {
        return *stop;
    }
    if (line.operands.size() > 1) {
        return UsageError("stats", "expects one FILE at most");
    }
    InputDocument doc;
    std::string error;
    if (!ReadInput(line.operands.empty() ? "-" : line.operands[0], doc, error)) {
        std::fprintf(stderr, "kivjson: %s\n", error.c_str());
        return kExitUsage;
    }

    using Clock = std::chrono::steady_clock;
    const Clock::time_point parseStart = Clock::now();
    JsonValue value;
    if (!ParseReporting(doc.name, doc.text, JsonParseOptions{}, value)) {
        return kExitInvalid;
    }
    const double parseSeconds = Seconds(Clock::now() - parseStart);
    const Clock::time_point writeStart = Clock::now();
    const size_t writtenBytes = value.Serialize().size();
    const double writeSeconds = Seconds(Clock::now() - writeStart);
    const TreeCounts counts = CountTree(value);

    auto count = [&](JsonType type) { return counts.byType[static_cast<int>(type)]; };
    size_t total = 0;
    for (size_t n : counts.byType) {
        total += n;
    }
    char text[1024];
    std::snprintf(text, sizeof text,
                  "file: %s\n"
                  "size: %zu bytes\n"
                  "values: %zu\n"
                  "  objects: %zu (members: %zu)\n"
                  "  arrays: %zu (elements: %zu)\n"
                  "  strings: %zu\n"
                  "  numbers: %zu (Int64: %zu, Uint64: %zu, Double: %zu)\n"
                  "  bools: %zu\n"
                  "  nulls: %zu\n"
                  "max depth: %zu\n"
                  "parse: %.3f ms, %.1f MB/s\n"
                  "serialize: %.3f ms, %.1f MB/s (%zu bytes compact)\n",
                  doc.name.c_str(), doc.text.size(), total, count(JsonType::Object), counts.members,
                  count(JsonType::Array), counts.elements, count(JsonType::String),
                  count(JsonType::Number), counts.numberKinds[JsonNumber::Int64],
                  counts.numberKinds[JsonNumber::Uint64], counts.numberKinds[JsonNumber::Double],
                  count(JsonType::Bool), count(JsonType::Null), counts.maxDepth, parseSeconds * 1e3,
                  Throughput(doc.text.size(), parseSeconds), writeSeconds * 1e3,
                  Throughput(writtenBytes, writeSeconds), writtenBytes);
    return WriteOutput(text) ? kExitOk : kExitUsage;
}
