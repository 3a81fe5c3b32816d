// kivjson check: validate documents, one error line per invalid document.
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "Input.h"

#include <kivCore/TextFunctions.h>
#include <kivJSON/JSONValue.h>

#include <cstdio>

namespace {

const char kCheckUsage[] =
    "Usage: kivjson check [--strict] [--wide] [-v] [FILE|-]...\n"
    "\n"
    "Validates each document. Valid documents are silent; an invalid one prints\n"
    "  FILE:LINE:COLUMN: error: MESSAGE (kivJSON CODE)\n"
    "on stderr, where LINE:COLUMN is the first character of the offending token\n"
    "(columns count characters, from 1), or one past the end of the text when it\n"
    "ran out. Text left over after a complete value is reported at its start.\n"
    "\n"
    "  --strict    accept exactly RFC 8259 JSON: no comments, no leading zeros,\n"
    "              only space, tab, line feed and carriage return as whitespace,\n"
    "              valid UTF-8 in strings, no number beyond the range of a double\n"
    "  --wide      decode the text to wide characters (ill-formed UTF-8 becomes\n"
    "              U+FFFD) and use the wide parser\n"
    "  -v          print 'FILE: ok' for each valid document\n";

bool Check(const InputDocument& doc, const JsonParseOptions& options, bool wide) {
    JsonValue value;
    if (wide) {
        return ParseReporting(doc.name, ConvertString_UTF8_to_WSTRING(doc.text), options, value);
    }
    return ParseReporting(doc.name, doc.text, options, value);
}

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
    CommandLine line;
    if (auto stop =
            ParseCommandLine("check", kCheckUsage, args,
                             {{"--strict", false}, {"--wide", false}, {"-v", false}}, line)) {
        return *stop;
    }
    if (line.operands.empty()) {
        line.operands.push_back("-");
    }
    bool anyInvalid = false;
    bool anyUnreadable = false;
    for (const std::string& path : line.operands) {
        InputDocument doc;
        std::string error;
        if (!ReadInput(path, doc, error)) {
            std::fprintf(stderr, "kivjson: %s\n", error.c_str());
            anyUnreadable = true;
            continue;
        }
        JsonParseOptions options;
        options.strict = line.Has("--strict");
        const bool valid = Check(doc, options, line.Has("--wide"));
        if (!valid) {
            anyInvalid = true;
        } else if (line.Has("-v")) {
            std::printf("%s: ok\n", doc.name.c_str());
        }
    }
    if (!WriteOutput("")) {  // flushes the "ok" lines
        return kExitUsage;
    }
    return anyUnreadable ? kExitUsage : anyInvalid ? kExitInvalid : kExitOk;
}
