// Exit codes, option parsing and output shared by the kivjson commands.
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

enum ExitCode : int {
    kExitOk = 0,
    kExitInvalid = 1,  // invalid document, or nothing at the given path
    kExitUsage = 2,    // bad command line, unreadable input, failed output
};

struct OptionSpec {
    const char* name;  // "--indent"
    bool takesValue;
};

struct CommandLine {
    std::vector<std::string> operands;
    std::set<std::string> flags;
    std::map<std::string, std::string> values;

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
};

// Splits `args` into options and operands. "-" is an operand (standard input),
// "--" ends the options, "--opt=value" and "--opt value" are both accepted.
// Returns an exit code when the command must stop right away: 0 after --help
// or --version, 2 after a usage error (already reported on stderr).
std::optional<int> ParseCommandLine(const char* command, const char* usage,
                                    const std::vector<std::string>& args,
                                    std::initializer_list<OptionSpec> options, CommandLine& out);

// Reports a usage error for `command` on stderr and returns kExitUsage.
int UsageError(const char* command, const std::string& message);

// Writes `text` to standard output and flushes it; reports a failure on stderr.
bool WriteOutput(const std::string& text);

// Whether a WriteOutput failed: the command then stops, as nothing more can be
// written.
bool OutputFailed();

const char* ToolVersion();
