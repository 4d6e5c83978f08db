// GenerateEstimate: plans the SMETA rows, then walks the plan once and writes
// every table as it goes; the acts come last, the shuffle of the records after. All randomness flows from the
// seed through fixed sequences, so the same options give the same bytes.
#include "tools/gen/estimate_generator.h"

#include <string>

#include "common/error.h"
#include "tools/gen/act_calendar.h"
#include "tools/gen/estimate_layout.h"
#include "tools/gen/estimate_tables.h"
#include "tools/gen/estimate_vocabulary.h"
#include "tools/gen/position_content.h"
#include "tools/gen/position_row_writer.h"
#include "tools/gen/random_source.h"
#include "tools/gen/record_shuffle.h"
#include "tools/gen/row_plan.h"
#include "tools/gen/smeta_row_writer.h"

namespace ranta2kv::gen {
namespace {

enum Stream : std::uint64_t { kPlanStream = 1, kContentStream = 2, kDateStream = 3, kShuffleStream = 4 };

// The date of last update in the headers: from the seed, never the clock.
DbfDate LastUpdateOf(std::uint64_t seed) {
  RandomSource random(seed, kDateStream);
  return {static_cast<int>(random.Between(2016, 2024)), static_cast<int>(random.Between(1, 12)),
          static_cast<int>(random.Between(1, 28))};
}

void CheckOptions(const GeneratorOptions& options) {
  if (options.positions < 0 || options.positions > kMaxPositions) {
    throw Error("the number of positions must be from 0 to " + std::to_string(kMaxPositions));
  }
}

}  // namespace

void GenerateEstimate(const GeneratorOptions& options, const std::filesystem::path& folder) {
  CheckOptions(options);
  std::filesystem::create_directories(folder);
  RandomSource planRandom(options.seed, kPlanStream);
  const RowPlan plan = PlanRows(options, planRandom);
  const DbfDate lastUpdate = LastUpdateOf(options.seed);
  RandomSource random(options.seed, kContentStream);
  const Vocabulary vocabulary;
  const ActCalendar acts(random, lastUpdate, 3 * plan.codeBase + 1);

  EstimateTables tables(folder, lastUpdate);
  SmetaRowWriter smeta(tables.smeta, vocabulary, random, options.shape);
  PositionRowWriter positionRows(tables, random, options.shape);
  PositionContentMaker maker(vocabulary, random, acts, plan.codeBase, options.shape);
  PositionContent content{};
  for (const PlannedRow& row : plan.rows) {
    switch (row.kind) {
      case RowKind::kHeader: smeta.WriteHeader(row); break;
      case RowKind::kPathChapter:
      case RowKind::kChapter: smeta.WriteChapter(row); break;
      case RowKind::kUnknown: smeta.WriteUnknown(row); break;
      case RowKind::kPosition:
        maker.Make(row, content);
        smeta.WritePosition(row, content);
        positionRows.Write(row, content);
        break;
    }
  }
  acts.Write(tables.acts, options.edge);
  tables.Finish();
  if (options.shape == Shape::kShuffled) {
    RandomSource shuffle(options.seed, kShuffleStream);
    for (const TableLayout& layout : EstimateTableLayouts()) ShuffleRecords(folder / std::string(layout.fileName), shuffle);
  }
}

}  // namespace ranta2kv::gen
