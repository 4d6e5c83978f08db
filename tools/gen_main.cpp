// ranta2kv-gen: writes a generated estimate (seven DBF tables) into a folder.
// Silent on success; errors go to stderr. Exit status 0, 1 when the tables
// cannot be written, 2 for bad arguments.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "tools/gen/estimate_generator.h"
#include "tools/gen/generator_arguments.h"

int main(int argc, char** argv) {
  using namespace ranta2kv::gen;
  const std::vector<std::string> args(argv + 1, argv + argc);
  GeneratorCommand command;
  try {
    command = ParseGeneratorArguments(args);
  } catch (const ArgumentError& e) {
    std::fprintf(stderr, "ranta2kv-gen: %s\n%s", e.what(), kGeneratorUsage);
    return 2;
  }
  if (command.help) {
    std::fputs(kGeneratorUsage, stdout);
    return 0;
  }
  try {
    GenerateEstimate(command.options, command.folder);
  } catch (const ranta2kv::Error& e) {
    std::fprintf(stderr, "ranta2kv-gen: %s\n", ranta2kv::Cp1251ToUtf8(e.what()).c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ranta2kv-gen: %s\n", e.what());
    return 1;
  }
  return 0;
}
