// The program entry on POSIX systems: the arguments are UTF-8 bytes as given.
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) { return ranta2kv::cli::Main(std::vector<std::string>(argv + 1, argv + argc)); }
