// kivjson get: print the value at a JSON Pointer.
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "JsonPointer.h"
#include "ValueText.h"

namespace {

const char kGetUsage[] =
    "Usage: kivjson get [--raw] FILE POINTER\n"
    "\n"
    "Prints the value at POINTER (RFC 6901, e.g. /items/0/name; ~0 is '~',\n"
    "~1 is '/'; \"\" is the whole document) as compact JSON. Exits 1 and prints\n"
    "nothing when there is no such value. With duplicate keys the first member\n"
    "counts. FILE may be '-' for standard input.\n"
    "\n"
    "  --raw              print a string's text without quotes or escapes\n"
    "  --allow-nonfinite  print infinite and NaN numbers as null (otherwise exit 1)\n";

}  // namespace

int RunGet(const std::vector<std::string>& args) {
    CommandLine line;
    if (auto stop = ParseCommandLine("get", kGetUsage, args,
                                     {{"--raw", false}, {"--allow-nonfinite", false}}, line)) {
        return *stop;
    }
    if (line.operands.size() != 2) {
        return UsageError("get", "expects FILE and POINTER");
    }
    std::vector<std::string> tokens;
    if (!SplitJsonPointer(line.operands[1], tokens)) {
        return UsageError("get",
                          "'" + line.operands[1] +
                              "' is not a JSON Pointer (it starts with '/'; '~' only as ~0 or ~1)");
    }
    InputDocument doc;
    JsonValue root;
    if (auto stop = LoadDocument(line.operands[0], doc, root)) {
        return *stop;
    }
    const JsonValue* found = ResolveJsonPointer(root, tokens);
    if (found == nullptr) {
        return kExitInvalid;
    }
    std::string out;
    if (line.Has("--raw") && found->IsString()) {
        out = found->AsString();
    } else {
        TextStyle style = TextStyleOf(line);
        style.exact = true;
        if (!AppendValueText("get", *found, style, out)) {
            return kExitInvalid;
        }
    }
    out += '\n';
    return WriteOutput(out) ? kExitOk : kExitUsage;
}
