#include "CommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

const char* ToolVersion() {
    return KIVJSON_VERSION;
}

int UsageError(const char* command, const std::string& message) {
    std::fprintf(stderr, "kivjson%s%s: %s\nTry 'kivjson%s%s --help'.\n", *command ? " " : "",
                 command, message.c_str(), *command ? " " : "", command);
    return kExitUsage;
}

std::optional<int> ParseCommandLine(const char* command, const char* usage,
                                    const std::vector<std::string>& args,
                                    std::initializer_list<OptionSpec> options, CommandLine& out) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            out.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            return kExitOk;
        }
        if (arg == "--version") {
            std::printf("kivjson %s\n", ToolVersion());
            return kExitOk;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionSpec* known = nullptr;
        for (const OptionSpec& option : options) {
            if (name == option.name) {
                known = &option;
            }
        }
        if (known == nullptr) {
            return UsageError(command, "unknown option '" + name + "'");
        }
        if (!known->takesValue) {
            if (equals != std::string::npos) {
                return UsageError(command, "option '" + name + "' takes no value");
            }
            out.flags.insert(name);
        } else if (equals != std::string::npos) {
            out.values[name] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            out.values[name] = args[++i];
        } else {
            return UsageError(command, "option '" + name + "' needs a value");
        }
    }
    return std::nullopt;
}

namespace {
bool g_outputFailed = false;
}  // namespace

bool OutputFailed() {
    return g_outputFailed;
}

bool WriteOutput(const std::string& text) {
    if (g_outputFailed) {
        return false;  // reported already
    }
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        std::fprintf(stderr, "kivjson: cannot write output: %s\n", std::strerror(errno));
        g_outputFailed = true;
        return false;
    }
    return true;
}
