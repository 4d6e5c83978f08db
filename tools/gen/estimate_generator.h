// The estimate generator: writes the seven DBF tables of a realistic estimate
// (dBase III, code page 866, language byte 0x65) into a folder. Same options,
// same bytes. Test and benchmark tooling; the converter never uses it.
#pragma once

#include <cstdint>
#include <filesystem>

namespace ranta2kv::gen {

// How the rows of an estimate look: kNormal a mix as estimators write them;
// kDense many resource and executed rows per position, long texts, every field
// filled; kSparse few resources, short texts, most fields blank; kShuffled the
// rows of kNormal with every table's records in random order on disk.
enum class Shape { kNormal, kDense, kSparse, kShuffled };

struct GeneratorOptions {
  std::uint64_t seed = 1;
  int positions = 50;  // 0 to kMaxPositions
  bool edge = false;   // deleted records, UDAL rows, broken rows, odd texts, ...
  Shape shape = Shape::kNormal;
};

// Keeps every generated code within the 32-bit integers the converter reads.
inline constexpr int kMaxPositions = 1000000;

// Creates the folder when missing and writes (replaces) SMETA.DBF, POSTOOLS.DBF,
// POSEXT.DBF, RESTBL.DBF, EXECUTE.DBF, ACTS.DBF and PARAMS.DBF in it. Throws
// ranta2kv::Error (or std::filesystem::filesystem_error) when it cannot.
void GenerateEstimate(const GeneratorOptions& options, const std::filesystem::path& folder);

}  // namespace ranta2kv::gen
