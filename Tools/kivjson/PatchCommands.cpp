// kivjson patch, merge and diff: change a document by a JSON Patch (RFC 6902)
// or a Merge Patch (RFC 7396), or write the JSON Patch between two documents.
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "Documents.h"
#include "Input.h"
#include "ValueText.h"

#include <kivJSON/JSONPatch.h>

#include <cstdio>
#include <optional>

namespace {

#define KIVJSON_PATCH_HELP                                                          \
    "Either FILE may be '-' (standard input). The result is written as compact\n"   \
    "JSON on one line (kivjson pretty indents it). Exit status: 0 success, 1 an\n"  \
    "input is not valid JSON or the change cannot be made, 2 usage or I/O error.\n" \
    "\n"                                                                            \
    "  --exact            17 significant digits, the library's Serialize() text\n"  \
    "  --allow-nonfinite  write infinite and NaN numbers as null\n" KIVJSON_BOM_HELP

const char kPatchUsage[] =
    "Usage: kivjson patch [--exact] [--allow-nonfinite] [--allow-bom] DOC PATCH\n"
    "\n"
    "Applies the JSON Patch (RFC 6902) in PATCH to DOC and writes the result.\n"
    "The operations apply in order, all or none: when one fails (a path that\n"
    "names nothing, a \"test\" that does not hold) nothing is written and the\n"
    "error names the operation: 'PATCH:LINE:COLUMN: error: operation N (...)'.\n"
    "\n" KIVJSON_PATCH_HELP;

const char kMergeUsage[] =
    "Usage: kivjson merge [--exact] [--allow-nonfinite] [--allow-bom] DOC PATCH\n"
    "\n"
    "Applies the JSON Merge Patch (RFC 7396) in PATCH to DOC and writes the\n"
    "result: members of PATCH are set, objects merged, nulls removed.\n"
    "\n" KIVJSON_PATCH_HELP;

const char kDiffUsage[] =
    "Usage: kivjson diff [--exact] [--allow-nonfinite] [--allow-bom] A B\n"
    "\n"
    "Writes a JSON Patch that turns A into B ('kivjson patch A' of it gives B,\n"
    "member order included); [] when they are equal.\n"
    "\n" KIVJSON_PATCH_HELP;

struct Operand {
    InputDocument input;
    JsonValue value;
};

// Parses the command line and reads and parses both operands.
std::optional<int> Load(const char* command, const char* usage,
                        const std::vector<std::string>& args, CommandLine& line,
                        Operand (&operands)[2]) {
    if (auto stop = ParseCommandLine(command, usage, args,
                                     {{"--allow-bom", false}, KIVJSON_TEXT_STYLE_OPTIONS}, line)) {
        return stop;
    }
    if (line.operands.size() != 2) {
        return UsageError(command, "expects two FILEs");
    }
    if (line.operands[0] == "-" && line.operands[1] == "-") {
        return UsageError(command, "standard input ('-') can be read only once");
    }
    int status = kExitOk;
    for (size_t i = 0; i < 2; ++i) {
        std::string error;
        if (!ReadInput(line.operands[i], operands[i].input, error)) {
            std::fprintf(stderr, "kivjson: %s\n", error.c_str());
            return int{kExitUsage};
        }
        if (line.Has("--allow-bom")) {
            DropByteOrderMark(operands[i].input.text);
        }
        if (!ParseReporting(operands[i].input.name, 1, operands[i].input.text, JsonParseOptions(),
                            operands[i].value)) {
            status = kExitInvalid;
        }
    }
    return status == kExitOk ? std::nullopt : std::optional<int>(status);
}

// Skips whitespace and comments from `i`.
size_t SkipSpace(const std::string& text, size_t i) {
    while (i < text.size()) {
        if (text.compare(i, 2, "//") == 0) {
            i = text.find('\n', i);
        } else if (text.compare(i, 2, "/*") == 0) {
            i = text.find("*/", i + 2);
            i = i == std::string::npos ? i : i + 2;
        } else if (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r') {
            ++i;
        } else {
            break;
        }
        if (i == std::string::npos) {
            return text.size();
        }
    }
    return i;
}

// "LINE:COLUMN" of element `index` of the top-level array in `text`.
std::string ElementPosition(const std::string& text, size_t index) {
    size_t i = SkipSpace(text, 0) + 1;  // past '['
    size_t depth = 1;
    size_t element = 0;
    i = SkipSpace(text, i);
    while (i < text.size() && element < index) {
        const char c = text[i];
        if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                i += text[i] == '\\' ? 1 : 0;
            }
        } else if (c == '[' || c == '{') {
            ++depth;
        } else if (c == ']' || c == '}') {
            --depth;
        } else if (c == ',' && depth == 1) {
            ++element;
            i = SkipSpace(text, i + 1) - 1;
        }
        ++i;
    }
    size_t line = 1;
    size_t lineStart = 0;
    for (size_t j = 0; j < i && j < text.size(); ++j) {
        if (text[j] == '\n') {
            ++line;
            lineStart = j + 1;
        }
    }
    return std::to_string(line) + ':' + std::to_string(i - lineStart + 1);
}

int Write(const CommandLine& line, const std::string& label, const JsonValue& value) {
    std::string out;
    if (!AppendValueText(label, value, TextStyleOf(line), out)) {
        return kExitInvalid;
    }
    return WriteOutput(out + '\n') ? kExitOk : kExitUsage;
}

}  // namespace

int RunPatch(const std::vector<std::string>& args) {
    CommandLine line;
    Operand operands[2];
    if (auto stop = Load("patch", kPatchUsage, args, line, operands)) {
        return *stop;
    }
    JsonPatchFailure failure;
    if (!JsonPatchApply(operands[0].value, operands[1].value, failure)) {
        const std::string where =
            failure.code == JsonPatchError::NotAnArray
                ? std::string()
                : ElementPosition(operands[1].input.text, failure.operation) + ':';
        std::fprintf(stderr, "%s:%s error: %s\n", operands[1].input.name.c_str(), where.c_str(),
                     failure.Message().c_str());
        return kExitInvalid;
    }
    return Write(line, operands[0].input.name, operands[0].value);
}

int RunMerge(const std::vector<std::string>& args) {
    CommandLine line;
    Operand operands[2];
    if (auto stop = Load("merge", kMergeUsage, args, line, operands)) {
        return *stop;
    }
    JsonMergePatchApply(operands[0].value, operands[1].value);
    return Write(line, operands[0].input.name, operands[0].value);
}

int RunDiff(const std::vector<std::string>& args) {
    CommandLine line;
    Operand operands[2];
    if (auto stop = Load("diff", kDiffUsage, args, line, operands)) {
        return *stop;
    }
    return Write(line, operands[1].input.name, JsonDiff(operands[0].value, operands[1].value));
}
