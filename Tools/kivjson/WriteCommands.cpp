// kivjson minify and kivjson pretty: write documents back as text.
#include "CommandLine.h"
#include "Commands.h"
#include "Documents.h"
#include "SortedKeys.h"
#include "Streamed.h"
#include "ValueText.h"

#include <charconv>

namespace {

#define KIVJSON_WRITE_HELP                                                         \
    "Documents are written one after another, each followed by a newline. An\n"    \
    "invalid document is reported on stderr and writes nothing; the others are\n"  \
    "still written, and the exit status is the worst of all.\n"                    \
    "Numbers are written in the shortest form that reads back as the same value\n" \
    "(0.1 stays 0.1). A number too large for a double (1e999) has no JSON text:\n" \
    "its document is then not written and the exit status is 1, as for a string\n" \
    "or key whose bytes are not UTF-8 (reported as FILE:LINE:COLUMN).\n"           \
    "\n"                                                                           \
    "  --lines            JSON Lines: each line is one document; lines holding\n"  \
    "                     only whitespace are skipped\n"                           \
    "  --exact            17 significant digits, the library's Serialize() text\n" \
    "  --allow-nonfinite  write infinite and NaN numbers as null\n"                \
    "  --sort-keys        write the members of each object sorted by the bytes\n"  \
    "                     of their UTF-8 keys (code point order); members with\n"  \
    "                     the same key keep their order. Each outermost object\n"  \
    "                     is held in memory until its end, so memory grows with\n" \
    "                     the largest object (arrays around objects still "        \
    "stream)\n" KIVJSON_BOM_HELP

const char kMinifyUsage[] =
    "Usage: kivjson minify [--lines] [--exact] [--allow-nonfinite] [--sort-keys]\n"
    "                      [--allow-bom] [FILE|-]...\n"
    "\n"
    "Writes each document as compact JSON (no whitespace) on one line, so\n"
    "--lines gives JSON Lines back.\n"
    "\n" KIVJSON_WRITE_HELP;

const char kPrettyUsage[] =
    "Usage: kivjson pretty [--indent N] [--lines] [--exact] [--allow-nonfinite]\n"
    "                      [--sort-keys] [--allow-bom] [FILE|-]...\n"
    "\n"
    "Writes each document with N spaces per level (default 2, at most 16; 0 gives\n"
    "compact text), one value per line, members in document order unless\n"
    "--sort-keys.\n"
    "\n" KIVJSON_WRITE_HELP "  --indent N         spaces per nesting level\n";

#define KIVJSON_WRITE_OPTIONS \
    {"--sort-keys", false}, {"--allow-bom", false}, KIVJSON_TEXT_STYLE_OPTIONS

// Writes every document of the inputs in `style`.
int WriteDocuments(const char* command, const CommandLine& line, const TextStyle& style) {
    std::vector<std::string> paths;
    if (auto stop = InputPaths(command, line, 0, paths)) {
        return *stop;
    }
    std::string out;
    const JsonWriteOptions options = WriteOptionsOf(style);
    const bool sortKeys = line.Has("--sort-keys");
    const auto write = [&](StreamedDocument& doc) {
        JsonEventWriter writer(doc.output.Text(), options);
        SortedKeysCopier sorted;
        while (doc.reader.Next()) {
            if (!(sortKeys ? sorted.Copy(doc, writer) : CopyEvent(doc, writer))) {
                return;  // the rest is only read
            }
            doc.output.Spill();
        }
        doc.output.Text() += '\n';
    };
    return VisitAllStreamed(paths, ReadSettingsOf(line), write, out);
}

}  // namespace

int RunMinify(const std::vector<std::string>& args) {
    CommandLine line;
    if (auto stop = ParseCommandLine("minify", kMinifyUsage, args,
                                     {{"--lines", false}, KIVJSON_WRITE_OPTIONS}, line)) {
        return *stop;
    }
    return WriteDocuments("minify", line, TextStyleOf(line));
}

int RunPretty(const std::vector<std::string>& args) {
    CommandLine line;
    if (auto stop = ParseCommandLine(
            "pretty", kPrettyUsage, args,
            {{"--indent", true}, {"--lines", false}, KIVJSON_WRITE_OPTIONS}, line)) {
        return *stop;
    }
    TextStyle style = TextStyleOf(line);
    style.indent = 2;
    if (line.values.count("--indent") != 0) {
        const std::string& text = line.values.at("--indent");
        const auto result = std::from_chars(text.data(), text.data() + text.size(), style.indent);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
            style.indent > 16) {
            return UsageError("pretty",
                              "--indent expects a number from 0 to 16, not '" + text + "'");
        }
    }
    return WriteDocuments("pretty", line, style);
}
