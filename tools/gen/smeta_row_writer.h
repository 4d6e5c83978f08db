// Writes the rows of SMETA.DBF: the header row, path chapters, chapters,
// positions and rows of kinds the converter ignores, with the edge-mode
// oddities that live in SMETA itself (codes, UDAL, deleted, doubled, odd texts).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/gen/dbf_writer.h"
#include "tools/gen/estimate_vocabulary.h"
#include "tools/gen/position_content.h"
#include "tools/gen/random_source.h"
#include "tools/gen/row_plan.h"

namespace ranta2kv::gen {

class SmetaRowWriter {
 public:
  SmetaRowWriter(DbfWriter& table, const Vocabulary& vocabulary, RandomSource& random, Shape shape);

  void WriteHeader(const PlannedRow& row);
  void WriteChapter(const PlannedRow& row);
  void WriteUnknown(const PlannedRow& row);
  void WritePosition(const PlannedRow& row, const PositionContent& content);

 private:
  void WriteCode(const PlannedRow& row);
  void WriteNumber(std::size_t field, std::int64_t number);
  void WritePositionRecord(const PlannedRow& row, const PositionContent& content, std::int64_t number);
  std::string_view OddText(std::string_view text);
  const std::string& NthOf(const std::vector<std::string>& captions, std::int64_t number) const;

  DbfWriter& table_;
  const Vocabulary& vocabulary_;
  RandomSource& random_;
  Shape shape_;
  std::uint64_t captionShift_;  // where the chapter captions start
  std::string scratch_;  // composed texts; keeps its capacity from row to row
  std::string shaped_;   // the shaped position name
};

}  // namespace ranta2kv::gen
