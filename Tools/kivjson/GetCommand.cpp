// kivjson get: print the value at a JSON Pointer in each document.
#include "CommandLine.h"
#include "Commands.h"
#include "Documents.h"
#include "ValueText.h"

#include <kivJSON/JSONPointer.h>

#include <cstdio>

namespace {

const char kGetUsage[] =
    "Usage: kivjson get [--raw] [--lines] [--allow-nonfinite] POINTER [FILE|-]...\n"
    "\n"
    "Prints the value at POINTER (RFC 6901, e.g. /items/0/name; ~0 is '~',\n"
    "~1 is '/'; \"\" is the whole document) in each document as compact JSON,\n"
    "one line per document. With no FILE, or when FILE is -, reads standard\n"
    "input. A document without such a value prints 'FILE: no value at POINTER'\n"
    "(with --lines 'FILE:LINE: ...') on stderr and makes the exit status 1.\n"
    "With duplicate keys the first member counts.\n"
    "\n"
    "  --raw              print a string's text without quotes or escapes\n"
    "  --lines            JSON Lines: each line is one document; lines holding\n"
    "                     only whitespace are skipped\n"
    "  --allow-nonfinite  print infinite and NaN numbers as null (otherwise exit 1)\n";

}  // namespace

int RunGet(const std::vector<std::string>& args) {
    CommandLine line;
    if (auto stop = ParseCommandLine(
            "get", kGetUsage, args,
            {{"--raw", false}, {"--lines", false}, {"--allow-nonfinite", false}}, line)) {
        return *stop;
    }
    if (line.operands.empty()) {
        return UsageError("get", "expects a POINTER");
    }
    const std::string pointer = line.operands[0];
    std::error_code error;
    JsonPointerFind(JsonValue(), pointer, error);  // a malformed pointer fails on any document
    if (error) {
        return UsageError("get", "'" + pointer + "': " + error.message());
    }
    std::vector<std::string> paths;
    if (auto stop = InputPaths("get", line, 1, paths)) {
        return *stop;
    }
    TextStyle style = TextStyleOf(line);
    style.exact = true;  // get prints the library's own 17-digit text
    std::string out;
    const auto print = [&](ParsedDocument& doc) {
        const JsonValue* found = JsonPointerFind(doc.value, pointer, error);
        if (found == nullptr) {
            std::fprintf(stderr, "%s: no value at %s\n", doc.label.c_str(), pointer.c_str());
            return int{kExitInvalid};
        }
        if (line.Has("--raw") && found->IsString()) {
            out += found->AsString();
        } else if (!AppendValueText(doc.label, *found, style, out)) {
            return int{kExitInvalid};
        }
        out += '\n';
        return FlushLargeOutput(out) ? int{kExitOk} : int{kExitUsage};
    };
    return VisitAll(paths, ReadSettingsOf(line), print, out);
}
