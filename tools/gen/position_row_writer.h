// Writes the rows that belong to one position outside SMETA: its POSEXT row,
// its two POSTOOLS links, its RESTBL resources, its EXECUTE rows and its PARAMS
// rates, with the edge-mode oddities of those tables.
#pragma once

#include <string>
#include <string_view>

#include "tools/gen/estimate_tables.h"
#include "tools/gen/position_content.h"
#include "tools/gen/row_plan.h"

namespace ranta2kv::gen {

class PositionRowWriter {
 public:
  PositionRowWriter(EstimateTables& tables, RandomSource& random, Shape shape);

  void Write(const PlannedRow& row, const PositionContent& content);

 private:
  void WriteLinks(const PlannedRow& row, const PositionContent& content);
  void WriteLink(std::int64_t positionCode, int id, std::int64_t code, bool blankId);
  void WritePosext(const PlannedRow& row, const PositionContent& content, std::int64_t quantity);
  void WritePosextTexts(const PlannedRow& row, const PositionContent& content);
  void WritePosextValues(const PlannedRow& row, const PositionContent& content, std::int64_t quantity);
  void WriteResources(const PlannedRow& row, const PositionContent& content);
  void WriteExecutions(const PlannedRow& row, const PositionContent& content);
  void WriteRates(const PlannedRow& row, const PositionContent& content);
  void WriteRate(const PlannedRow& row, const RateLine& rate);
  std::string_view WithLeadingBlanks(std::string_view text);
  // A number field: sparse estimates leave it blank where it is 0.
  void SetFixed(DbfWriter& table, std::size_t field, std::int64_t scaled);
  // The text as the shape has it: long (repeated up to about width bytes) when
  // dense, cut to a few words when sparse. May return a view of scratch.
  std::string_view ShapedText(std::string_view text, std::size_t width, std::string& scratch);

  EstimateTables& tables_;
  RandomSource& random_;
  Shape shape_;
  std::string scratch_;  // composed texts; keeps its capacity from row to row
  std::string shaped_;   // the shaped text
};

}  // namespace ranta2kv::gen
