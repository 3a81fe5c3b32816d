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
    "Usage: kivjson check [--wide] [-v] [FILE|-]...\n"
    "\n"
    "Validates each document. Valid documents are silent; an invalid one prints\n"
    "  FILE:LINE:COLUMN: error: MESSAGE (kivJSON CODE)\n"
    "on stderr, where LINE:COLUMN is the character at which parsing stopped\n"
    "(columns count characters, from 1), or the end of the text when it ran out.\n"
    "Text left over after a complete value is reported at the last character\n"
    "of its first token.\n"
    "\n"
    "  --wide      decode the text to wide characters (ill-formed UTF-8 becomes\n"
    "              U+FFFD) and use the wide parser\n"
    "  -v          print 'FILE: ok' for each valid document\n";

// The wide parser reports no position; the narrow stream parser locates the
// same failure, so its position is used when both agree on the code.
bool CheckWide(const InputDocument& doc) {
    std::error_code error;
    JsonValue::Parse(ConvertString_UTF8_to_WSTRING(doc.text), error);
    if (!error) {
        return true;
    }
    const StreamParseResult narrow = ParseWithPosition(doc.text);
    ReportParseError(doc.name, error, narrow.error == error ? &narrow.position : nullptr);
    return false;
}

bool CheckNarrow(const InputDocument& doc) {
    const StreamParseResult result = ParseWithPosition(doc.text);
    if (result.error) {
        ReportParseError(doc.name, result.error, &result.position);
        return false;
    }
    return true;
}

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
    CommandLine line;
    if (auto stop = ParseCommandLine("check", kCheckUsage, args, {{"--wide", false}, {"-v", false}},
                                     line)) {
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
        const bool valid = line.Has("--wide") ? CheckWide(doc) : CheckNarrow(doc);
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
