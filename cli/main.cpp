// Entry of ranta2kv-cli: picks the subcommand. The decimal separator and the text
// of messages follow the user's locale, taken here once.
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "common/number_text.h"
#include "common/version.h"

int main(int argc, char** argv) {
  // The user's locale gives the decimal separator, taken here once; number
  // parsing and formatting in the program then stay independent of it.
  std::setlocale(LC_ALL, "");
  const char decimalSeparator = ranta2kv::LocaleDecimalSeparator();
  std::setlocale(LC_NUMERIC, "C");
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    ranta2kv::cli::PrintUsage(args.empty());
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "--version") {
    std::puts("ranta2kv-cli " RANTA2KV_VERSION);
    return 0;
  }
  std::string command = args[0];
  args.erase(args.begin());
  if (command == "dump") return ranta2kv::cli::RunDump(args);
  if (command == "convert") return ranta2kv::cli::RunConvert(args, decimalSeparator);
  std::fprintf(stderr, "ranta2kv-cli: unknown command '%s'\n", command.c_str());
  ranta2kv::cli::PrintUsage(true);
  return 2;
}
