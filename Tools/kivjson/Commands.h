// The kivjson commands. Each takes the arguments after its name and returns
// the process exit code.
#pragma once

#include <string>
#include <vector>

int RunCheck(const std::vector<std::string>& args);
int RunMinify(const std::vector<std::string>& args);
int RunPretty(const std::vector<std::string>& args);
int RunGet(const std::vector<std::string>& args);
int RunStats(const std::vector<std::string>& args);
int RunPatch(const std::vector<std::string>& args);
int RunMerge(const std::vector<std::string>& args);
int RunDiff(const std::vector<std::string>& args);
