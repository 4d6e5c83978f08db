// The program entry on Windows: wmain receives the command line as UTF-16, so
// that Cyrillic folder names arrive whatever the console's code page; they go on
// as UTF-8.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/wide_text.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(ranta2kv::Utf8FromWide(argv[i]));
  return ranta2kv::cli::Main(std::move(args));
}
