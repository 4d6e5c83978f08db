// ranta2kv-cli dump: not built yet.
#include <cstdio>

#include "cli/commands.h"

namespace ranta2kv::cli {

int RunDump(const std::vector<std::string>&) {
  std::fputs("ranta2kv-cli: this command is not available yet\n", stderr);
  return 2;
}

}  // namespace ranta2kv::cli
