// The rows of one position in POSEXT, POSTOOLS, RESTBL, EXECUTE and PARAMS.
// Every row is keyed as the converter joins them: POSEXT.CODE and
// POSTOOLS.POSCODE by the SMETA code, RESTBL by the ID 0 link's CODE, EXECUTE
// by the ID 1 link's CODE, PARAMS by "3+" and the SMETA code.
#include "tools/gen/position_row_writer.h"

#include <array>
#include <charconv>

#include "tools/gen/estimate_layout.h"

namespace ranta2kv::gen {
namespace {

constexpr char kNoBreakSpace866 = static_cast<char>(0xFF);
constexpr std::string_view kOneCharComment = "*";

bool Is(const PlannedRow& row, PositionOddity oddity) { return row.oddity == oddity; }

}  // namespace

PositionRowWriter::PositionRowWriter(EstimateTables& tables, RandomSource& random, Shape shape)
    : tables_(tables), random_(random), shape_(shape) {}

void PositionRowWriter::Write(const PlannedRow& row, const PositionContent& content) {
  WriteLinks(row, content);
  if (!Is(row, PositionOddity::kNoPosext)) {
    WritePosext(row, content, content.quantity);
    if (Is(row, PositionOddity::kDuplicateCode)) WritePosext(row, content, content.quantity * 2);
  }
  WriteResources(row, content);
  WriteExecutions(row, content);
  WriteRates(row, content);
}

void PositionRowWriter::WriteLinks(const PlannedRow& row, const PositionContent& content) {
  if (Is(row, PositionOddity::kNoToolLink)) return;
  const std::int64_t toolCode = Is(row, PositionOddity::kToolCodeZero) ? 0 : content.toolCode;
  const bool blankId = Is(row, PositionOddity::kBlankToolId);
  const bool withExecLink = !Is(row, PositionOddity::kNoExecLink);
  // The estimate program stores the two links of a position in either order.
  if (withExecLink && random_.Percent(30)) {
    WriteLink(row.code, 1, content.execCode, false);
    WriteLink(row.code, 0, toolCode, blankId);
    return;
  }
  WriteLink(row.code, 0, toolCode, blankId);
  if (withExecLink) WriteLink(row.code, 1, content.execCode, false);
}

void PositionRowWriter::WriteLink(std::int64_t positionCode, int id, std::int64_t code, bool blankId) {
  DbfWriter& table = tables_.postools;
  table.SetInteger(postools::POSCODE, positionCode);
  if (!blankId) table.SetInteger(postools::ID, id);
  table.SetInteger(postools::CODE, code);
  table.EndRecord();
}

void PositionRowWriter::WritePosext(const PlannedRow& row, const PositionContent& content,
                                    std::int64_t quantity) {
  tables_.posext.SetInteger(posext::CODE, row.code);
  WritePosextTexts(row, content);
  WritePosextValues(row, content, quantity);
  if (Is(row, PositionOddity::kDeleted)) tables_.posext.MarkDeleted();
  tables_.posext.EndRecord();
}

void PositionRowWriter::WritePosextTexts(const PlannedRow& row, const PositionContent& content) {
  DbfWriter& table = tables_.posext;
  std::string_view type = CollectionCode(content.collection);
  if (Is(row, PositionOddity::kUnknownType)) type = "ZZ";
  if (Is(row, PositionOddity::kLowerCaseType)) type = "er";
  table.SetText(posext::TYPESBOR, type);
  table.SetText(posext::REGION, content.region);
  table.SetText(posext::CODERASC, content.RateCode());
  const bool odd = Is(row, PositionOddity::kOddTexts);
  table.SetText(posext::EJ, odd ? WithLeadingBlanks(content.work->unit) : content.work->unit);
  if (Is(row, PositionOddity::kOneCharComment)) {
    table.SetText(posext::PRIM, kOneCharComment);
  } else {
    table.SetText(posext::PRIM, odd ? WithLeadingBlanks(content.comment) : ShapedText(content.comment, 200, shaped_));
  }
}

void PositionRowWriter::WritePosextValues(const PlannedRow& row, const PositionContent& content,
                                          std::int64_t quantity) {
  DbfWriter& table = tables_.posext;
  if (!Is(row, PositionOddity::kBlankNumbers)) {
    SetFixed(table, posext::Q, quantity);
    table.SetInteger(posext::OPRED, content.workType);
    SetFixed(table, posext::PZ, content.pz);
  }
  SetFixed(table, posext::ZP, content.zp);
  SetFixed(table, posext::EM, content.em);
  SetFixed(table, posext::ZM, content.zm);
  SetFixed(table, posext::SM, content.sm);
  SetFixed(table, posext::CURCENA, content.currentPrice);
  SetFixed(table, posext::CURZPM, content.currentZm);
  constexpr std::array<posext::Field, 5> kCoefficientFields = {posext::KPZ, posext::KZP, posext::KEM,
                                                                posext::KZM, posext::KSM};
  for (std::size_t i = 0; i < kCoefficientFields.size(); ++i) SetFixed(table, kCoefficientFields[i], content.k[i]);
}

void PositionRowWriter::WriteResources(const PlannedRow& row, const PositionContent& content) {
  DbfWriter& table = tables_.restbl;
  for (int i = 0; i < content.resourceCount; ++i) {
    const ResourceLine& line = content.resources[static_cast<std::size_t>(i)];
    const bool first = i == 0;
    table.SetInteger(restbl::CODE, content.toolCode);
    table.SetText(restbl::RES, line.code);
    scratch_.assign(first && Is(row, PositionOddity::kOddTexts) ? " " : "");
    scratch_.append(line.name).append(line.grade);
    if (first && Is(row, PositionOddity::kOddTexts)) scratch_.push_back(kNoBreakSpace866);
    table.SetText(restbl::RESNAME, ShapedText(scratch_, 120, shaped_));
    if (!(first && Is(row, PositionOddity::kBlankNumbers))) SetFixed(table, restbl::NORMRAS, line.norm);
    SetFixed(table, restbl::PRICERES, line.price);
    SetFixed(table, restbl::PRICMASH, line.machinistPrice);
    if (first && Is(row, PositionOddity::kDeleted)) table.MarkDeleted();
    table.EndRecord();
  }
}

void PositionRowWriter::WriteExecutions(const PlannedRow& row, const PositionContent& content) {
  DbfWriter& table = tables_.execute;
  const std::int64_t code = Is(row, PositionOddity::kNoExecLink) ? content.toolCode : content.execCode;
  for (int i = 0; i < content.executionCount; ++i) {
    const ExecutionLine& line = content.executions[static_cast<std::size_t>(i)];
    table.SetInteger(execute::CODE, code);
    table.SetInteger(execute::AKTCODE, line.actCode);
    if (!(i == 0 && Is(row, PositionOddity::kBlankNumbers))) SetFixed(table, execute::FACT, line.fact);
    table.EndRecord();
  }
}

void PositionRowWriter::WriteRates(const PlannedRow& row, const PositionContent& content) {
  for (int i = 0; i < content.rateCount; ++i) WriteRate(row, content.rates[static_cast<std::size_t>(i)]);
  if (Is(row, PositionOddity::kDuplicateCode) && content.rateCount > 0) {
    RateLine again = content.rates[0];
    again.value += 10000;
    WriteRate(row, again);
  }
}

void PositionRowWriter::WriteRate(const PlannedRow& row, const RateLine& rate) {
  DbfWriter& table = tables_.params;
  std::array<char, 32> key{'3', '+'};
  const auto end = std::to_chars(key.data() + 2, key.data() + key.size(), row.code).ptr;
  table.SetText(params::ID, std::string_view(key.data(), static_cast<std::size_t>(end - key.data())));
  table.SetInteger(params::CODE, rate.code);
  if (!Is(row, PositionOddity::kBlankNumbers)) SetFixed(table, params::PARAM, rate.value);
  if (Is(row, PositionOddity::kDeleted)) table.MarkDeleted();
  table.EndRecord();
}

void PositionRowWriter::SetFixed(DbfWriter& table, std::size_t field, std::int64_t scaled) {
  if (shape_ == Shape::kSparse && scaled == 0) return;
  table.SetFixed(field, scaled);
}

std::string_view PositionRowWriter::ShapedText(std::string_view text, std::size_t width, std::string& scratch) {
  return ShapeText(shape_, text, width, scratch);
}

std::string_view PositionRowWriter::WithLeadingBlanks(std::string_view text) {
  scratch_.assign("  ").append(text);
  return scratch_;
}

}  // namespace ranta2kv::gen
