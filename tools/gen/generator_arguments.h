// The command line of ranta2kv-gen: --seed N --positions K [--edge] [--shape S] DIR.
#pragma once

#include <filesystem>
#include <span>
#include <string>

#include "common/error.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv::gen {

struct GeneratorCommand {
  GeneratorOptions options;
  std::filesystem::path folder;
  bool help = false;  // --help: print the usage and do nothing else
};

// Thrown for arguments that make no command; the message names the fault.
class ArgumentError : public Error {
 public:
  using Error::Error;
};

// args are the arguments after the program name.
GeneratorCommand ParseGeneratorArguments(std::span<const std::string> args);

extern const char* const kGeneratorUsage;

}  // namespace ranta2kv::gen
