// The estimate generator: writes the seven DBF tables of a realistic estimate
// (dBase III, code page 866, language byte 0x65) into a folder. Same options,
// same bytes. Test and benchmark tooling; the converter never uses it.
#pragma once

#include <cstdint>
#include <filesystem>

namespace ranta2kv::gen {

struct GeneratorOptions {
  std::uint64_t seed = 1;
  int positions = 50;
  bool edge = false;  // deleted records, UDAL rows, broken rows, odd texts, ...
};

void GenerateEstimate(const GeneratorOptions& options, const std::filesystem::path& folder);

}  // namespace ranta2kv::gen
