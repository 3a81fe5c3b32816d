// kivjson minify and kivjson pretty: write a document back as text.
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "ValueText.h"

#include <charconv>

namespace {

#define KIVJSON_NUMBER_HELP                                                        \
    "Numbers are written in the shortest form that reads back as the same value\n" \
    "(0.1 stays 0.1). A number too large for a double (1e999) has no JSON text:\n" \
    "the command then exits 1 and prints nothing.\n"                               \
    "\n"                                                                           \
    "  --exact            17 significant digits, the library's Serialize() text\n" \
    "  --allow-nonfinite  write infinite and NaN numbers as null\n"

const char kMinifyUsage[] =
    "Usage: kivjson minify [--exact] [--allow-nonfinite] [FILE|-]\n"
    "\n"
    "Writes the document as compact JSON (no whitespace) and a newline.\n" KIVJSON_NUMBER_HELP;

const char kPrettyUsage[] =
    "Usage: kivjson pretty [--indent N] [--exact] [--allow-nonfinite] [FILE|-]\n"
    "\n"
    "Writes the document with N spaces per level (default 2, at most 16; 0 gives\n"
    "compact text), one value per line, members in document order.\n" KIVJSON_NUMBER_HELP
    "  --indent N         spaces per nesting level\n";

// One input operand at most; none means standard input.
std::optional<int> SingleInput(const char* command, const CommandLine& line, std::string& path) {
    if (line.operands.size() > 1) {
        return UsageError(command, "expects one FILE at most");
    }
    path = line.operands.empty() ? "-" : line.operands[0];
    return std::nullopt;
}

// Parses the document; its text is released before the output is built, so a
// large input is not held twice.
std::optional<int> LoadValue(const std::string& path, JsonValue& value) {
    InputDocument doc;
    return LoadDocument(path, doc, value);
}

}  // namespace

int RunMinify(const std::vector<std::string>& args) {
    CommandLine line;
    std::string path;
    if (auto stop =
            ParseCommandLine("minify", kMinifyUsage, args, {KIVJSON_TEXT_STYLE_OPTIONS}, line)) {
        return *stop;
    }
    if (auto stop = SingleInput("minify", line, path)) {
        return *stop;
    }
    JsonValue value;
    if (auto stop = LoadValue(path, value)) {
        return *stop;
    }
    std::string out;
    if (!AppendValueText("minify", value, TextStyleOf(line), out)) {
        return kExitInvalid;
    }
    out += '\n';
    return WriteOutput(out) ? kExitOk : kExitUsage;
}

int RunPretty(const std::vector<std::string>& args) {
    CommandLine line;
    std::string path;
    if (auto stop = ParseCommandLine("pretty", kPrettyUsage, args,
                                     {{"--indent", true}, KIVJSON_TEXT_STYLE_OPTIONS}, line)) {
        return *stop;
    }
    if (auto stop = SingleInput("pretty", line, path)) {
        return *stop;
    }
    size_t indent = 2;
    if (line.values.count("--indent") != 0) {
        const std::string& text = line.values["--indent"];
        const auto result = std::from_chars(text.data(), text.data() + text.size(), indent);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size() || indent > 16) {
            return UsageError("pretty",
                              "--indent expects a number from 0 to 16, not '" + text + "'");
        }
    }
    JsonValue value;
    if (auto stop = LoadValue(path, value)) {
        return *stop;
    }
    TextStyle style = TextStyleOf(line);
    style.indent = indent;
    std::string out;
    if (!AppendValueText("pretty", value, style, out)) {
        return kExitInvalid;
    }
    out += '\n';
    return WriteOutput(out) ? kExitOk : kExitUsage;
}
