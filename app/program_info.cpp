// The window program's help and version.
#include "app/program_info.h"

#include <algorithm>

#include "common/version.h"

namespace ranta2kv {

std::optional<std::string> ProgramInfo(const std::vector<std::string>& arguments) {
  auto given = [&arguments](const char* option) {
    return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
  };
  if (given("--help") || given("-h")) {
    return "usage: ranta2kv [FOLDER]\n"
           "       ranta2kv --version | --help\n"
           "\n"
           "Opens the window that converts the DBF tables of a Ranta+ estimate (or of\n"
           "every estimate below an object folder) into a KV XML estimate document.\n"
           "FOLDER, or the folder of a table file given, is put into the folder box.\n"
           "ranta2kv-cli converts from the command line (ranta2kv-cli --help).\n";
  }
  if (given("--version")) return "ranta2kv " RANTA2KV_VERSION "\n";
  return std::nullopt;
}

}  // namespace ranta2kv
