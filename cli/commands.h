// The subcommands of ranta2kv-cli. Each takes the arguments after its name and
// returns the process exit status.
#pragma once

#include <string>
#include <vector>

namespace ranta2kv::cli {

// The whole program, given its arguments after its name as UTF-8.
int Main(std::vector<std::string> args);

int RunDump(const std::vector<std::string>& args);
int RunConvert(const std::vector<std::string>& args, char decimalSeparator);
void PrintUsage(bool toStderr);
// Refuses the arguments: one line on stderr with the reason (which names the
// option and what it takes) and where to read more; returns exit status 2.
int RefuseArguments(const std::string& reason);

}  // namespace ranta2kv::cli
