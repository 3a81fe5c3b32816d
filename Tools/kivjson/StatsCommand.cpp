// kivjson stats: what documents hold, and how fast they parse and write.
#include "CommandLine.h"
#include "Commands.h"
#include "Documents.h"
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
    "Usage: kivjson stats [--lines] [FILE|-]...\n"
    "\n"
    "Prints, for each file, its size, the number of documents, the number of\n"
    "values of each type, object members and array elements, the deepest\n"
    "nesting (containers inside each other), the number kinds (Int64 for\n"
    "negative integers, Uint64 for the others, Double), and the time taken to\n"
    "parse the text and to write it back compactly. Each file's block starts\n"
    "with its 'file:' line; blocks are separated by an empty line. A file with\n"
    "an invalid document gets no block, only its error on stderr.\n"
    "\n"
    "  --lines     JSON Lines: each line is one document (counts add up over\n"
    "              the file); lines holding only whitespace are skipped\n";

struct FileCounts {
    size_t documents = 0;
    size_t byType[6] = {};  // indexed by JsonType
    size_t members = 0;
    size_t elements = 0;
    size_t numberKinds[3] = {};  // indexed by JsonNumber::Kind
    size_t maxDepth = 0;
    size_t parsedBytes = 0;
    size_t writtenBytes = 0;
    double parseSeconds = 0;
    double writeSeconds = 0;
};

void CountTree(const JsonValue& root, FileCounts& counts) {
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
}

void AddDocument(const ParsedDocument& doc, FileCounts& counts) {
    using Clock = std::chrono::steady_clock;
    ++counts.documents;
    counts.parsedBytes += doc.bytes;
    counts.parseSeconds += doc.parseSeconds;
    const Clock::time_point writeStart = Clock::now();
    counts.writtenBytes += doc.value.Serialize().size();
    counts.writeSeconds += std::chrono::duration<double>(Clock::now() - writeStart).count();
    CountTree(doc.value, counts);
}

// Megabytes (10^6 bytes) per second; 0 when the clock saw no time pass.
double Throughput(size_t bytes, double seconds) {
    return seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0;
}

std::string Block(const std::string& name, size_t size, const FileCounts& counts) {
    auto count = [&](JsonType type) { return counts.byType[static_cast<int>(type)]; };
    size_t total = 0;
    for (size_t n : counts.byType) {
        total += n;
    }
    char text[1024];
    std::snprintf(text, sizeof text,
                  "size: %zu bytes\n"
                  "documents: %zu\n"
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
                  size, counts.documents, total, count(JsonType::Object), counts.members,
                  count(JsonType::Array), counts.elements, count(JsonType::String),
                  count(JsonType::Number), counts.numberKinds[JsonNumber::Int64],
                  counts.numberKinds[JsonNumber::Uint64], counts.numberKinds[JsonNumber::Double],
                  count(JsonType::Bool), count(JsonType::Null), counts.maxDepth,
                  counts.parseSeconds * 1e3, Throughput(counts.parsedBytes, counts.parseSeconds),
                  counts.writeSeconds * 1e3, Throughput(counts.writtenBytes, counts.writeSeconds),
                  counts.writtenBytes);
    return "file: " + name + "\n" + text;
}

}  // namespace

int RunStats(const std::vector<std::string>& args) {
    CommandLine line;
    std::vector<std::string> paths;
    if (auto stop = ParseCommandLine("stats", kStatsUsage, args, {{"--lines", false}}, line)) {
        return *stop;
    }
    if (auto stop = InputPaths("stats", line, 0, paths)) {
        return *stop;
    }
    int worst = kExitOk;
    std::string out;
    for (const std::string& path : paths) {
        FileCounts counts;
        size_t size = 0;
        const int status = VisitDocuments(
            path, ReadSettingsOf(line),
            [&](ParsedDocument& doc) {
                AddDocument(doc, counts);
                return int{kExitOk};
            },
            &size);
        if (status == kExitOk) {
            out += (out.empty() ? "" : "\n") + Block(InputName(path), size, counts);
        }
        worst = std::max(worst, status);
    }
    return WriteOutput(out) ? worst : kExitUsage;
}
