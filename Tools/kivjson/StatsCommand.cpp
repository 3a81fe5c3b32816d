// kivjson stats: what documents hold, and how fast they parse and write.
#include "CommandLine.h"
#include "Commands.h"
#include "Documents.h"
#include "Input.h"
#include "Streamed.h"

#include <kivJSON/JSONValue.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

const char kStatsUsage[] =
    "Usage: kivjson stats [--lines] [--allow-bom] [FILE|-]...\n"
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
    "              the file); lines holding only whitespace are skipped\n" KIVJSON_BOM_HELP;

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

// Counts the events of one document, and writes them back compactly (the
// text Serialize() gives) to time the writer.
void CountDocument(StreamedDocument& doc, FileCounts& counts) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::duration writing{};
    std::string text;
    size_t written = 0;
    JsonEventWriter writer(text);
    std::vector<bool> inArray;  // per open container
    JsonReader& reader = doc.reader;
    while (reader.Next()) {
        const JsonEvent event = reader.Event();
        const bool begins = event == JsonEvent::BeginArray || event == JsonEvent::BeginObject;
        const bool ends = event == JsonEvent::EndArray || event == JsonEvent::EndObject;
        if (event == JsonEvent::Key) {
            ++counts.members;
        } else if (!ends) {
            counts.elements += !inArray.empty() && inArray.back() ? 1 : 0;
            static constexpr JsonType kTypes[] = {
                JsonType::Array,  JsonType::Array,  JsonType::Object,
                JsonType::Object, JsonType::String, JsonType::String,
                JsonType::Number, JsonType::Bool,   JsonType::Null};
            ++counts.byType[static_cast<int>(kTypes[static_cast<int>(event)])];
        }
        if (event == JsonEvent::Number) {
            ++counts.numberKinds[reader.GetNumber().GetKind()];
        } else if (begins) {
            inArray.push_back(event == JsonEvent::BeginArray);
            counts.maxDepth = std::max(counts.maxDepth, inArray.size());
        } else if (ends) {
            inArray.pop_back();
        }
        const Clock::time_point writeStart = Clock::now();
        CopyEvent(doc, writer, false);
        if (text.size() >= 1 << 16) {
            written += text.size();
            text.clear();
        }
        writing += Clock::now() - writeStart;
    }
    if (!reader.Error()) {
        ++counts.documents;
        counts.writtenBytes += written + text.size();
        const double total = std::chrono::duration<double>(Clock::now() - start).count();
        counts.writeSeconds += std::chrono::duration<double>(writing).count();
        counts.parseSeconds += total - std::chrono::duration<double>(writing).count();
    }
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
    if (auto stop = ParseCommandLine("stats", kStatsUsage, args,
                                     {{"--lines", false}, {"--allow-bom", false}}, line)) {
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
        std::string unused;
        const int status = VisitStreamed(
            path, ReadSettingsOf(line), [&](StreamedDocument& doc) { CountDocument(doc, counts); },
            unused, &size);
        counts.parsedBytes = size;
        if (status == kExitOk) {
            out += (out.empty() ? "" : "\n") + Block(InputName(path), size, counts);
        }
        worst = std::max(worst, status);
    }
    return WriteOutput(out) ? worst : kExitUsage;
}
