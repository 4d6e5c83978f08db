// ranta2kv-fuzz-seeds CORPUS_DIR: writes the seed corpora of the fuzz targets
// from the estimate the pass fuzzers generate: each table alone for the table
// target, and each table behind its selector byte for the two pass targets.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_folder.h"

namespace fs = std::filesystem;
using namespace ranta2kv::fuzz;

namespace {

std::string LowerStem(const char* table) {
  std::string name = fs::path(table).stem().string();
  for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return name;
}

void WriteSeeds(const fs::path& corpus) {
  ScratchDirectory scratch("ranta2kv-fuzz-seeds");
  GenerateFuzzEstimate(scratch.Path());
  for (const char* folder : {"dbf_table_fuzzer", "direct_pass_fuzzer", "sql_pass_fuzzer"}) {
    fs::create_directories(corpus / folder);
  }
  for (std::size_t i = 0; i < kEstimateTables.size(); ++i) {
    const std::string table = ReadFileBytes(scratch.Path() / kEstimateTables[i]);
    const std::string name = "generated-" + LowerStem(kEstimateTables[i]);
    WriteFileBytes(corpus / "dbf_table_fuzzer" / name, table);
    const std::string selected = std::string(1, static_cast<char>(i)) + table;
    WriteFileBytes(corpus / "direct_pass_fuzzer" / name, selected);
    WriteFileBytes(corpus / "sql_pass_fuzzer" / name, selected);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ranta2kv-fuzz-seeds CORPUS_DIR\n");
    return 2;
  }
  try {
    WriteSeeds(argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "ranta2kv-fuzz-seeds: %s\n", error.what());
    return 1;
  }
  return 0;
}
