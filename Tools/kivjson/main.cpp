// kivjson: check, reformat, query and measure JSON documents with kivJSON.
#include "CommandLine.h"
#include "Commands.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>&);
    const char* summary;
};

const Command kCommands[] = {
    {"check", RunCheck, "validate documents; report errors as FILE:LINE:COLUMN"},
    {"minify", RunMinify, "write documents as compact JSON, one per line"},
    {"pretty", RunPretty, "write documents indented, one value per line"},
    {"get", RunGet, "print the value at a JSON Pointer (RFC 6901)"},
    {"stats", RunStats, "count values by type and time parsing and writing, per file"},
    {"patch", RunPatch, "apply a JSON Patch (RFC 6902) to a document, all or nothing"},
    {"merge", RunMerge, "apply a JSON Merge Patch (RFC 7396) to a document"},
    {"diff", RunDiff, "write the JSON Patch that turns one document into another"},
};

void PrintHelp(std::FILE* out) {
    std::fprintf(out,
                 "Usage: kivjson COMMAND [OPTIONS] [FILE|-]...\n"
                 "       kivjson patch|merge|diff [OPTIONS] FILE FILE\n"
                 "\n"
                 "Commands:\n");
    for (const Command& command : kCommands) {
        std::fprintf(out, "  %-8s %s\n", command.name, command.summary);
    }
    std::fprintf(out,
                 "\n"
                 "FILE '-' or no FILE reads standard input ('-' may be given once). Every\n"
                 "command but patch, merge and diff takes several files and --lines (JSON\n"
                 "Lines: each line that holds more than whitespace is one document); every\n"
                 "command takes --allow-bom (accept a UTF-8 byte-order mark at the start).\n"
                 "'kivjson COMMAND --help' shows the options of a command. Documents are\n"
                 "read as a stream, so memory does not grow with their size (--sort-keys\n"
                 "holds one outermost object at a time); nothing is written for a\n"
                 "document that turns out invalid, nor for one holding text that is not\n"
                 "UTF-8.\n"
                 "Exit status, the worst over all files: 0 success, 1 invalid document,\n"
                 "absent path or a patch that cannot apply, 2 usage or I/O error.\n");
}

int Dispatch(const std::vector<std::string>& args) {
    if (args.empty()) {
        PrintHelp(stderr);
        return kExitUsage;
    }
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        PrintHelp(stdout);
        return kExitOk;
    }
    if (first == "--version") {
        std::printf("kivjson %s\n", ToolVersion());
        return kExitOk;
    }
    for (const Command& command : kCommands) {
        if (first == command.name) {
            return command.run(std::vector<std::string>(args.begin() + 1, args.end()));
        }
    }
    return UsageError("", "unknown command '" + first + "'");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Dispatch(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        std::fputs("kivjson: out of memory\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kivjson: %s\n", e.what());
    }
    return kExitUsage;
}
