// ranta2kv-cli: picks the subcommand. The decimal separator follows the user's
// regional settings, taken here once. The system's entry (entry_posix.cpp,
// entry_win32.cpp) hands over the arguments as UTF-8.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "common/version.h"
#include "platform/console.h"
#include "platform/locale.h"

namespace ranta2kv::cli {

int Main(std::vector<std::string> args) {
  PrepareStandardStreams();
  AdoptUserLocale();
  const char decimalSeparator = UserDecimalSeparator();
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintUsage(args.empty());
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "--version") {
    WriteText(StandardStream::Output, "ranta2kv-cli " RANTA2KV_VERSION "\n");
    FlushStream(StandardStream::Output);
    return 0;
  }
  std::string command = args[0];
  args.erase(args.begin());
  if (command == "dump") return RunDump(args);
  if (command == "convert") return RunConvert(args, decimalSeparator);
  return RefuseArguments("there is no command '" + command + "'; the commands are convert and dump");
}

}  // namespace ranta2kv::cli
