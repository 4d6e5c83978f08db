// Planning of the SMETA rows: chapters of 2 to 12 positions grouped under path
// chapters of 2 to 6 chapters, codes rising by 1 to 5. A chapter row waits while
// one of the wanted position codes is near, so that a position takes that code.
#include "tools/gen/row_plan.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

namespace ranta2kv::gen {
namespace {

// Codes that positions take when the estimate reaches them: "3+12" is a key
// prefix of "3+120" and "3+125".
constexpr std::array<std::int64_t, 3> kWantedCodes = {12, 120, 125};
constexpr std::int64_t kMaxGap = 5;
constexpr int kUnknownRowEvery = 23;  // edge mode: a row of kind 7 after so many rows

class RowPlanner {
 public:
  RowPlanner(const GeneratorOptions& options, RandomSource& random)
      : options_(options), random_(random) {}

  std::vector<PlannedRow> Plan() {
    Add(RowKind::kHeader, 0);
    if (options_.edge) {
      Add(RowKind::kUnknown, 0);
      if (options_.positions > 0) AddPosition();  // before any chapter row
    }
    while (positions_ < options_.positions) {
      if (ChapterIsDue() && !WantedCodeIsNear()) {
        AddChapters();
      } else if (options_.edge && rows_.size() % kUnknownRowEvery == 0 && !WantedCodeIsNear()) {
        Add(RowKind::kUnknown, 0);
      } else {
        AddPosition();
      }
    }
    return std::move(rows_);
  }

 private:
  bool ChapterIsDue() const { return chapters_ == 0 || inChapter_ >= chapterSize_; }

  // True while a wanted code lies within reach of the next two non-position rows.
  bool WantedCodeIsNear() const {
    const std::int64_t wanted = NextWantedCode();
    return wanted > 0 && wanted <= lastCode_ + 2 * kMaxGap;
  }

  std::int64_t NextWantedCode() const {
    for (std::int64_t code : kWantedCodes) {
      if (code > lastCode_) return code;
    }
    return 0;
  }

  void AddChapters() {
    if (chapters_ == 0 || inPath_ >= pathSize_) {
      Add(RowKind::kPathChapter, ++pathNumber_);
      inPath_ = 0;
      pathSize_ = static_cast<int>(random_.Between(2, 6));
    }
    Add(RowKind::kChapter, ++chapterNumber_);
    ++chapters_;
    ++inPath_;
    inChapter_ = 0;
    chapterSize_ = static_cast<int>(random_.Between(2, 12));
  }

  void AddPosition() {
    const std::int64_t ordinal = positions_++;
    ++inChapter_;
    PlannedRow& row = Add(RowKind::kPosition, static_cast<std::int32_t>(ordinal + 1));
    row.ordinal = ordinal;
    row.oddity = OddityOfPosition(options_.edge, ordinal);
  }

  PlannedRow& Add(RowKind kind, std::int32_t number) {
    std::int64_t code = rows_.empty() ? 1 : lastCode_ + random_.Between(1, kMaxGap);
    const std::int64_t wanted = NextWantedCode();
    if (kind == RowKind::kPosition && wanted > 0 && code >= wanted) code = wanted;
    lastCode_ = code;
    rows_.push_back({code, -1, number, kind, PositionOddity::kNone, false});
    return rows_.back();
  }

  const GeneratorOptions& options_;
  RandomSource& random_;
  std::vector<PlannedRow> rows_;
  std::int64_t lastCode_ = 0;
  std::int64_t positions_ = 0;
  int chapterNumber_ = 0;
  int pathNumber_ = 0;
  int chapters_ = 0;
  int inChapter_ = 0;
  int chapterSize_ = 0;
  int inPath_ = 0;
  int pathSize_ = 0;
};

void ApplyOddCodes(std::vector<PlannedRow>& rows) {
  std::int64_t highest = 0;
  for (const PlannedRow& row : rows) highest = std::max(highest, row.code);
  std::int64_t outOfOrder = highest;
  for (PlannedRow& row : rows) {
    if (row.oddity == PositionOddity::kNegativeCode) row.code = -row.code;
    if (row.oddity == PositionOddity::kOutOfOrder) row.code = (outOfOrder += 7);
  }
}

void MarkPrefixCodes(std::vector<PlannedRow>& rows) {
  std::vector<std::pair<std::int64_t, std::size_t>> positions;  // code, row index
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].kind == RowKind::kPosition && rows[i].code > 0) positions.emplace_back(rows[i].code, i);
  }
  std::sort(positions.begin(), positions.end());
  for (const auto& [code, index] : positions) {
    for (std::int64_t prefix = code / 10; prefix > 0; prefix /= 10) {
      auto found = std::lower_bound(positions.begin(), positions.end(), std::make_pair(prefix, std::size_t{0}));
      if (found != positions.end() && found->first == prefix) rows[found->second].needsBothRates = true;
    }
  }
}

std::int64_t CodeBaseAbove(const std::vector<PlannedRow>& rows) {
  std::int64_t highest = 0;
  for (const PlannedRow& row : rows) highest = std::max(highest, std::abs(row.code));
  std::int64_t base = 1000;
  while (base <= 4 * highest) base *= 10;
  return base;
}

}  // namespace

RowPlan PlanRows(const GeneratorOptions& options, RandomSource& random) {
  RowPlan plan;
  plan.rows = RowPlanner(options, random).Plan();
  ApplyOddCodes(plan.rows);
  MarkPrefixCodes(plan.rows);
  plan.codeBase = CodeBaseAbove(plan.rows);
  return plan;
}

}  // namespace ranta2kv::gen
