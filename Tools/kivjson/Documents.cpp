#include "Documents.h"

#include <algorithm>

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

bool FlushLargeOutput(std::string& out) {
    if (out.size() < 64 * 1024) {
        return true;
    }
    const bool ok = WriteOutput(out);
    out.clear();
    return ok;
}
