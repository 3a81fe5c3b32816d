// kivjson check: validate documents, one error line per invalid document.
#include "CommandLine.h"
#include "Commands.h"
#include "Documents.h"
#include "Input.h"
#include "Streamed.h"

#include <algorithm>
#include <cstdio>

namespace {

const char kCheckUsage[] =
    "Usage: kivjson check [--strict] [--wide] [--lines] [-v] [--allow-bom] [FILE|-]...\n"
    "\n"
    "Validates each document. Valid documents are silent; an invalid one prints\n"
    "  FILE:LINE:COLUMN: error: MESSAGE (kivJSON CODE)\n"
    "on stderr, where LINE:COLUMN is the first character of the offending token\n"
    "(columns count characters, from 1), or one past the end of the text when it\n"
    "ran out. Text left over after a complete value is reported at its start.\n"
    "A malformed token (code 8) is followed by what was found there:\n"
    "  ...: error: Malformed token (kivJSON 8): unexpected character 'N'\n"
    "(or: unexpected end of input, byte-order mark, UTF-16 text). The exit\n"
    "status is the worst of all files.\n"
    "\n"
    "  --strict    accept exactly RFC 8259 JSON: no comments, no leading zeros,\n"
    "              only space, tab, line feed and carriage return as whitespace,\n"
    "              valid UTF-8 in strings, no number beyond the range of a double\n"
    "  --wide      decode the text to wide characters (ill-formed UTF-8 becomes\n"
    "              U+FFFD) and use the wide parser\n"
    "  --lines     JSON Lines: each line is one document; lines holding only\n"
    "              whitespace are skipped; positions are the file's own\n"
    "              lines and columns\n"
    "  -v          print 'FILE: ok' for each file whose documents are all valid,\n"
    "              noting the first string that is not valid UTF-8 (accepted\n"
    "              unless --strict; minify, pretty and get refuse to write it)\n" KIVJSON_BOM_HELP;

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
    CommandLine line;
    std::vector<std::string> paths;
    if (auto stop = ParseCommandLine("check", kCheckUsage, args,
                                     {{"--strict", false},
                                      {"--wide", false},
                                      {"--lines", false},
                                      {"-v", false},
                                      {"--allow-bom", false}},
                                     line)) {
        return *stop;
    }
    if (auto stop = InputPaths("check", line, 0, paths)) {
        return *stop;
    }
    const ReadSettings settings = ReadSettingsOf(line);
    int worst = kExitOk;
    std::string out;
    const bool verbose = line.Has("-v");
    for (const std::string& path : paths) {
        std::string notUtf8;  // where the file's first such string is
        const auto scan = [&](StreamedDocument& doc) {
            while (verbose && notUtf8.empty() && doc.reader.Next()) {
                const JsonEvent event = doc.reader.Event();
                if ((event == JsonEvent::Key || event == JsonEvent::String) &&
                    !JsonIsUtf8(doc.reader.TextView())) {
                    notUtf8 = doc.Where();
                }
            }
        };
        std::string unused;
        const int status = VisitStreamed(path, settings, scan, unused);
        if (status == kExitOk && verbose) {
            out += InputName(path) + ": ok" +
                   (notUtf8.empty()
                        ? ""
                        : " (" + notUtf8 + ": a string is not valid UTF-8; --strict rejects it)") +
                   "\n";
        }
        worst = std::max(worst, status);
    }
    return WriteOutput(out) ? worst : kExitUsage;
}
