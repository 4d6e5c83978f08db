// What a position gets from its source rows, gathered the same way by both
// passes: its own values and prices, resources, the coefficients, custom
// overhead and profit rates, and the executed quantities of completion acts.
// The second core renders it (position_element.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/decimal_number.h"
#include "common/variant.h"

namespace ranta2kv {

struct PositionPrices {
  DecimalNumber pz, zp, em, zm, sm;  // base: PZ, ZP, EM, ZM, SM
  DecimalNumber curcena, curzpm;     // current: CURCENA, CURZPM
};

struct Coefficients {
  DecimalNumber kpz, kzp, kem, kzm, ksm;
};

// A position's values from its SMETA and POSEXT rows, as its pass reads them.
struct PositionRow {
  std::string caption;     // NAME
  std::int32_t number = 0; // NOMER as an integer
  std::string code;        // the collection prefix and CODERASC
  DecimalNumber quantity;  // Q
  std::string units;       // EJ
  std::string comment;     // PRIM without its marker
  Variant workType;        // OPRED
  PositionPrices prices;
};

struct ResourceRow {
  std::string code;     // RES after OemToAnsiTrim
  std::string caption;  // RESNAME as the pass reads it
  DecimalNumber normras, priceres, pricmash;
};

// The codes of PARAMS rows whose rates a position takes.
enum class RateCode : std::int32_t { Overhead = 43, Profit = 49 };

struct ExecutedRow {
  double actDate = 0;  // DATE of its act
  DecimalNumber fact;  // FACT
};

// Everything a position gets from its rows, gathered by its pass: its own values
// and prices, its resources, its coefficients, the rates the pass takes and the
// executed rows that have an act.
struct PositionData {
  PositionRow row;
  std::vector<ResourceRow> resources;
  Coefficients coefficients;
  std::optional<DecimalNumber> overhead, profit;
  std::vector<ExecutedRow> executed;
  // What the pass reads into the values above on the second core, before the
  // position is built (the direct pass: copies of its SMETA and POSEXT rows, and
  // the numbers of its RESTBL rows, which that core reads itself; the SQL pass:
  // the codes its statements there select by).
  std::string records;
  std::vector<std::int64_t> resourceRecords;
  std::int32_t rowCode = 0, toolCode = 0;
};

}  // namespace ranta2kv
