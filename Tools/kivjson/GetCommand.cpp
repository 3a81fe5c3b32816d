// kivjson get: print the value at a JSON Pointer in each document.
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "ValueText.h"

#include <kivJSON/JSONPointer.h>

#include <algorithm>
#include <cstdio>

namespace {

const char kGetUsage[] =
    "Usage: kivjson get [--raw] POINTER [FILE|-]...\n"
    "\n"
    "Prints the value at POINTER (RFC 6901, e.g. /items/0/name; ~0 is '~',\n"
    "~1 is '/'; \"\" is the whole document) in each document as compact JSON,\n"
    "one line per document. With no FILE, or when FILE is -, reads standard\n"
    "input. A document without such a value prints 'FILE: no value at POINTER'\n"
    "on stderr and makes the exit status 1. With duplicate keys the first\n"
    "member counts.\n"
    "\n"
    "  --raw              print a string's text without quotes or escapes\n"
    "  --allow-nonfinite  print infinite and NaN numbers as null (otherwise exit 1)\n";

// Prints the value `pointer` names in the document at `path`; returns the exit
// status for that document.
int GetFrom(const std::string& path, const std::string& pointer, const CommandLine& line) {
    JsonValue root;
    std::string name;
    {
        InputDocument doc;  // its text is released before the output is built
        if (auto stop = LoadDocument(path, doc, root)) {
            return *stop;
        }
        name = doc.name;
    }
    std::error_code error;  // the pointer was checked before any file was read
    const JsonValue* found = JsonPointerFind(root, pointer, error);
    if (found == nullptr) {
        std::fprintf(stderr, "%s: no value at %s\n", name.c_str(), pointer.c_str());
        return kExitInvalid;
    }
    std::string out;
    if (line.Has("--raw") && found->IsString()) {
        out = found->AsString();
    } else {
        TextStyle style = TextStyleOf(line);
        style.exact = true;  // get prints the library's own 17-digit text
        if (!AppendValueText("get", *found, style, out)) {
            return kExitInvalid;  // a non-finite number, reported on stderr
        }
    }
    out += '\n';
    return WriteOutput(out) ? kExitOk : kExitUsage;
}

}  // namespace

int RunGet(const std::vector<std::string>& args) {
    CommandLine line;
    if (auto stop = ParseCommandLine("get", kGetUsage, args,
                                     {{"--raw", false}, {"--allow-nonfinite", false}}, line)) {
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
    std::vector<std::string> paths(line.operands.begin() + 1, line.operands.end());
    if (paths.empty()) {
        paths.push_back("-");
    }
    int worst = kExitOk;
    for (const std::string& path : paths) {
        worst = std::max(worst, GetFrom(path, pointer, line));
    }
    return worst;
}
