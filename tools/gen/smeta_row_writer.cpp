// The SMETA rows. Texts are composed in one reused buffer; numbers go through
// the writer. Row kinds are written as their ID values 0, 1, 2, 3 and 7.
#include "tools/gen/smeta_row_writer.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "tools/gen/estimate_layout.h"

namespace ranta2kv::gen {
namespace {

constexpr char kNoBreakSpace866 = static_cast<char>(0xFF);
constexpr std::int64_t kDuplicateNumberOffset = 1000000;

}  // namespace

SmetaRowWriter::SmetaRowWriter(DbfWriter& table, const Vocabulary& vocabulary, RandomSource& random, Shape shape)
    : table_(table), vocabulary_(vocabulary), random_(random), shape_(shape), captionShift_(random.Next() % 64) {}

// Chapters take the captions in turn, from a place that depends on the seed, so
// that neighbouring chapters differ.
const std::string& SmetaRowWriter::NthOf(const std::vector<std::string>& captions, std::int64_t number) const {
  return captions[static_cast<std::size_t>(captionShift_ + static_cast<std::uint64_t>(number)) % captions.size()];
}

void SmetaRowWriter::WriteHeader(const PlannedRow& row) {
  WriteCode(row);
  table_.SetInteger(smeta::UDAL, 0);
  std::array<char, 16> digits{};
  const int length = std::snprintf(digits.data(), digits.size(), "%02d-%02d-%02d",
                                   static_cast<int>(random_.Between(1, 12)),
                                   static_cast<int>(random_.Between(1, 9)),
                                   static_cast<int>(random_.Between(1, 30)));
  scratch_.assign(vocabulary_.EstimatePrefix()).append(digits.data(), static_cast<std::size_t>(length));
  table_.SetText(smeta::PRINCODE, scratch_);
  table_.SetText(smeta::OSNOV, random_.Pick(vocabulary_.Grounds()));
  table_.SetText(smeta::ZAK, random_.Pick(vocabulary_.Customers()));
  table_.SetText(smeta::POD, random_.Pick(vocabulary_.Contractors()));
  table_.EndRecord();
}

void SmetaRowWriter::WriteChapter(const PlannedRow& row) {
  WriteCode(row);
  table_.SetInteger(smeta::UDAL, 0);
  if (row.kind == RowKind::kPathChapter) {
    table_.SetText(smeta::NAME1, NthOf(vocabulary_.PathSections(), row.number));
  } else {
    std::array<char, 24> number{};
    const auto end = std::to_chars(number.data(), number.data() + number.size(), row.number).ptr;
    scratch_.assign(vocabulary_.SectionWord()).append(number.data(), end).append(". ");
    scratch_.append(NthOf(vocabulary_.Sections(), row.number));
    table_.SetText(smeta::NAME1, scratch_);
  }
  WriteNumber(smeta::NOMER, row.number);
  table_.EndRecord();
}

void SmetaRowWriter::WriteUnknown(const PlannedRow& row) {
  WriteCode(row);
  table_.SetInteger(smeta::UDAL, 0);
  table_.SetText(smeta::NAME1, vocabulary_.Totals());
  table_.EndRecord();
}

void SmetaRowWriter::WritePosition(const PlannedRow& row, const PositionContent& content) {
  WritePositionRecord(row, content, row.number);
  if (row.oddity == PositionOddity::kDuplicateCode) {
    WritePositionRecord(row, content, row.number + kDuplicateNumberOffset);
  }
}

void SmetaRowWriter::WritePositionRecord(const PlannedRow& row, const PositionContent& content,
                                         std::int64_t number) {
  WriteCode(row);
  if (row.oddity == PositionOddity::kUdal) {
    table_.SetInteger(smeta::UDAL, 1);
  } else if (row.oddity != PositionOddity::kBlankNumbers) {
    table_.SetInteger(smeta::UDAL, 0);
  }
  const std::string_view name = ShapeText(shape_, content.work->name, 250, shaped_);
  table_.SetText(smeta::NAME, row.oddity == PositionOddity::kOddTexts ? OddText(name) : name);
  WriteNumber(smeta::NOMER, number);
  if (row.oddity == PositionOddity::kDeleted) table_.MarkDeleted();
  table_.EndRecord();
}

void SmetaRowWriter::WriteCode(const PlannedRow& row) {
  table_.SetInteger(smeta::ID, static_cast<std::int64_t>(row.kind));
  if (row.oddity == PositionOddity::kBlankCode) return;
  if (row.oddity == PositionOddity::kGarbledCode) {
    std::array<char, 24> text{};
    const int length = std::snprintf(text.data(), text.size(), "%lld A", static_cast<long long>(row.code));
    table_.SetRaw(smeta::CODE, std::string_view(text.data(), static_cast<std::size_t>(length)));
    return;
  }
  table_.SetInteger(smeta::CODE, row.code);
}

// Numbers of chapters and positions are texts in SMETA (NOMER is a C field).
void SmetaRowWriter::WriteNumber(std::size_t field, std::int64_t number) {
  std::array<char, 24> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), number).ptr;
  table_.SetText(field, std::string_view(text.data(), static_cast<std::size_t>(end - text.data())));
}

// The text with two leading blanks, a line break (CR LF) in place of a blank
// near its middle, a no-break space in place of the next blank and at its end.
std::string_view SmetaRowWriter::OddText(std::string_view text) {
  std::size_t middle = text.find(' ', text.size() / 2);
  if (middle == std::string_view::npos) middle = text.size();
  scratch_.assign("  ").append(text.substr(0, middle)).append("\r\n");
  if (middle < text.size()) {
    std::string_view rest = text.substr(middle + 1);
    const std::size_t blank = rest.find(' ');
    scratch_.append(rest.substr(0, blank));
    if (blank != std::string_view::npos) scratch_.append(1, kNoBreakSpace866).append(rest.substr(blank + 1));
  }
  scratch_.push_back(kNoBreakSpace866);
  return scratch_;
}

}  // namespace ranta2kv::gen
