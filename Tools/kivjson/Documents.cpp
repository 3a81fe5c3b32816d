#include "Documents.h"

#include "Diagnostics.h"
#include "Input.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

// Parses one document that begins on line `firstLine` of `name`; reports it
// and returns false when it does not parse.
bool ParseOne(const std::string& name, size_t firstLine, const std::string& text,
              const ReadSettings& settings, ParsedDocument& doc) {
    const Clock::time_point start = Clock::now();
    const bool ok =
        ParseReporting(name, firstLine, text, settings.options, settings.wide, doc.value);
    doc.parseSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    doc.bytes = text.size();
    return ok;
}

bool IsBlank(const char* begin, const char* end) {
    return std::all_of(begin, end,
                       [](char c) { return c != 0 && std::strchr(" \t\r\v\f", c) != nullptr; });
}

}  // namespace

ReadSettings ReadSettingsOf(const CommandLine& line) {
    ReadSettings settings;
    settings.lines = line.Has("--lines");
    settings.wide = line.Has("--wide");
    settings.allowBom = line.Has("--allow-bom");
    settings.options.strict = line.Has("--strict");
    return settings;
}

std::optional<int> InputPaths(const char* command, const CommandLine& line, size_t first,
                              std::vector<std::string>& paths) {
    paths.assign(line.operands.begin() + std::min(first, line.operands.size()),
                 line.operands.end());
    if (std::count(paths.begin(), paths.end(), "-") > 1) {
        return UsageError(command, "standard input ('-') can be read only once");
    }
    if (paths.empty()) {
        paths.push_back("-");
    }
    return std::nullopt;
}

int VisitDocuments(const std::string& path, const ReadSettings& settings,
                   const std::function<int(ParsedDocument&)>& visit, size_t* inputBytes) {
    InputDocument input;
    std::string error;
    if (!ReadInput(path, input, error)) {
        std::fprintf(stderr, "kivjson: %s\n", error.c_str());
        return kExitUsage;
    }
    if (inputBytes != nullptr) {
        *inputBytes = input.text.size();
    }
    if (settings.allowBom) {
        DropByteOrderMark(input.text);
    }
    if (!settings.lines) {
        ParsedDocument doc;
        doc.label = input.name;
        const bool ok = ParseOne(input.name, 1, input.text, settings, doc);
        std::string().swap(input.text);  // not held beside the output
        return ok ? visit(doc) : kExitInvalid;
    }
    int worst = kExitOk;
    const char* const text = input.text.data();
    const char* const end = text + input.text.size();
    size_t lineNumber = 1;
    for (const char* start = text; start < end && !OutputFailed(); ++lineNumber) {
        const char* stop = static_cast<const char*>(std::memchr(start, '\n', end - start));
        stop = stop != nullptr ? stop : end;
        if (!IsBlank(start, stop)) {
            ParsedDocument doc;
            doc.label = input.name + ":" + std::to_string(lineNumber);
            const std::string line(start, stop);
            const int status =
                ParseOne(input.name, lineNumber, line, settings, doc) ? visit(doc) : kExitInvalid;
            worst = std::max(worst, status);
        }
        start = stop + 1;
    }
    return worst;
}

int VisitAll(const std::vector<std::string>& paths, const ReadSettings& settings,
             const std::function<int(ParsedDocument&)>& visit, std::string& out) {
    int worst = kExitOk;
    for (size_t i = 0; i < paths.size() && !OutputFailed(); ++i) {
        worst = std::max(worst, VisitDocuments(paths[i], settings, visit));
    }
    return WriteOutput(out) ? worst : kExitUsage;
}

bool FlushLargeOutput(std::string& out) {
    if (out.size() < 64 * 1024) {
        return true;
    }
    const bool ok = WriteOutput(out);
    out.clear();
    return ok;
}
