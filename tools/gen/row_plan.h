// The plan of the SMETA rows of a generated estimate: kind, CODE and number of
// every row in file order, made before any table is written, so that the rows
// of the other tables can rely on codes that come later in the file.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/gen/estimate_generator.h"
#include "tools/gen/position_oddity.h"
#include "tools/gen/random_source.h"

namespace ranta2kv::gen {

enum class RowKind : std::uint8_t {
  kHeader = 0,
  kPathChapter = 1,
  kChapter = 2,
  kPosition = 3,
  kUnknown = 7,  // a kind the converter ignores
};

struct PlannedRow {
  std::int64_t code;        // SMETA.CODE; for positions also the key of their other rows
  std::int64_t ordinal;     // positions: 0-based index among the positions; else -1
  std::int32_t number;      // chapters: SysID; positions: number in the estimate
  RowKind kind;
  PositionOddity oddity;
  bool needsBothRates;      // the code begins the code of another position (see PlanRows)
};

struct RowPlan {
  std::vector<PlannedRow> rows;  // in file order
  std::int64_t codeBase;         // a power of ten above 4 x every |SMETA.CODE|
};

// Normal mode: header first, then chapters and positions in ascending CODE with
// gaps of 1 to 5, the positions 12, 120 and 125 when the estimate reaches them.
// A position whose code is a decimal prefix of another position's code is marked
// needsBothRates: its PARAMS key "3+<code>" begins the other's, so a key-prefix
// range meets both, and only its own rows of both rates, written first, keep the
// rates of every position to itself. Edge mode adds a position before any
// chapter, rows of kind 7, and the codes of the oddities.
RowPlan PlanRows(const GeneratorOptions& options, RandomSource& random);

}  // namespace ranta2kv::gen
