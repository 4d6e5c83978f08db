// ranta2kv-cli convert: not built yet.
#include <cstdio>

#include "cli/commands.h"

namespace ranta2kv::cli {

int RunConvert(const std::vector<std::string>&, char) {
  std::fputs("ranta2kv-cli: this command is not available yet\n", stderr);
  return 2;
}

}  // namespace ranta2kv::cli
