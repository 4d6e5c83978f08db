// Parsing of the ranta2kv-gen arguments. Numbers are plain decimal digits,
// shapes their names; options may come in any order, the folder exactly once.
#include "tools/gen/generator_arguments.h"

#include <charconv>
#include <cstdint>

namespace ranta2kv::gen {
namespace {

template <typename Number>
Number ParseNumber(const std::string& option, const std::string& text, Number low, Number high) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text[0] == '-' || text[0] == '+' || error != std::errc() ||
      end != text.data() + text.size() || value < low || value > high) {
    throw ArgumentError(option + " needs a number from " + std::to_string(low) + " to " +
                        std::to_string(high) + ", not '" + text + "'");
  }
  return value;
}

Shape ParseShape(const std::string& text) {
  if (text == "normal") return Shape::kNormal;
  if (text == "dense") return Shape::kDense;
  if (text == "sparse") return Shape::kSparse;
  if (text == "shuffled") return Shape::kShuffled;
  throw ArgumentError("--shape needs normal, dense, sparse or shuffled, not '" + text + "'");
}

}  // namespace

const char* const kGeneratorUsage =
    "usage: ranta2kv-gen [--seed N] [--positions K] [--edge] [--shape S] DIR\n"
    "Writes the seven DBF tables of a generated estimate into DIR (created when\n"
    "missing): SMETA, POSTOOLS, POSEXT, RESTBL, EXECUTE, ACTS and PARAMS.\n"
    "  --seed N       the estimate drawn; the same seed gives the same bytes (default 1)\n"
    "  --positions K  number of positions, 0 to 1000000 (default 50)\n"
    "  --edge         add broken and unusual rows (deleted records, broken links, ...)\n"
    "  --shape S      normal (default), dense (many resources, long texts, every field\n"
    "                 filled), sparse (few resources, short texts, blank fields) or\n"
    "                 shuffled (normal rows, every table's records in random order)\n";

GeneratorCommand ParseGeneratorArguments(std::span<const std::string> args) {
  GeneratorCommand command;
  bool haveFolder = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takesValue = arg == "--seed" || arg == "--positions" || arg == "--shape";
    if (takesValue && i + 1 >= args.size()) throw ArgumentError(arg + " needs a value");
    if (arg == "--seed") {
      command.options.seed = ParseNumber<std::uint64_t>(arg, args[++i], 0, UINT64_MAX);
    } else if (arg == "--positions") {
      command.options.positions = ParseNumber<int>(arg, args[++i], 0, kMaxPositions);
    } else if (arg == "--shape") {
      command.options.shape = ParseShape(args[++i]);
    } else if (arg == "--edge") {
      command.options.edge = true;
    } else if (arg == "--help" || arg == "-h") {
      command.help = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw ArgumentError("unknown option '" + arg + "'");
    } else if (haveFolder) {
      throw ArgumentError("more than one folder: '" + command.folder.string() + "' and '" + arg + "'");
    } else {
      command.folder = arg;
      haveFolder = true;
    }
  }
  if (!haveFolder && !command.help) throw ArgumentError("no folder given");
  return command;
}

}  // namespace ranta2kv::gen
