// A position as the document model's nodes.
#include "tests/support/position_nodes.h"

#include <utility>

#include "common/codepage.h"
#include "common/date_time.h"
#include "convert/position_rules.h"

namespace ranta2kv::test {
namespace {

// The bytes of values a resource mostly takes; a position twice as many.
constexpr std::size_t kPositionValueBytes = 128;

void SetIfNonZero(TXML_Estimate_Item& item, std::uint8_t slot, const DecimalNumber& value) {
  if (value.value != 0.0) item.SetNumber(slot, value);
}

void WritePositionPrices(TXML_Estimate_Position& position, const PositionPrices& p) {
  TXML_Estimate_Item& base = *position.GetPrice(0);
  SetIfNonZero(base, kPricePZ, p.pz);
  SetIfNonZero(base, kPriceOZ, p.zp);
  SetIfNonZero(base, kPriceEM, p.em);
  SetIfNonZero(base, kPriceZM, p.zm);
  SetIfNonZero(base, kPriceMT, p.sm);
  if (p.curcena.value == 0.0 && p.curzpm.value == 0.0) return;
  TXML_Estimate_Item& curr = *position.GetPrice(1);
  SetIfNonZero(curr, kPriceValue, p.curcena);
  SetIfNonZero(curr, kPriceZM, p.curzpm);
}

void AddResourceRow(TXML_Estimate_Position& position, const ResourceRow& row) {
  ResourceKind kind = ClassifyResource(row.code);
  TXML_Estimate_Position& node = *position.AddResource(kind.index);
  node.ReserveValueBytes(kPositionValueBytes);
  node.SetText(kPositionCaption, row.caption);
  node.SetText(kPositionCode, kind.code);
  node.SetNumber(kPositionQuantity, row.normras);
  if (auto workClass = WorkClassOf(row.caption)) node.SetText(kPositionWorkClass, *workClass);
  if (row.priceres.value != 0.0 || row.pricmash.value != 0.0) {
    TXML_Estimate_Item& price = *node.GetPrice(0);
    price.SetNumber(kPriceValue, row.priceres);
    price.SetNumber(kPriceZM, row.pricmash);
  }
}

void WriteCoefficients(TXML_Estimate_Position& position, const Coefficients& k) {
  if (k.kpz.value == 0.0 && k.kzp.value == 0.0 && k.kem.value == 0.0 && k.kzm.value == 0.0 && k.ksm.value == 0.0)
    return;
  TXML_Estimate_Item& item = *position.AddCoefficient();
  SetIfNonZero(item, kCoefficientPZ, k.kpz);
  SetIfNonZero(item, kCoefficientOZ, k.kzp);
  SetIfNonZero(item, kCoefficientEM, k.kem);
  SetIfNonZero(item, kCoefficientZM, k.kzm);
  SetIfNonZero(item, kCoefficientMT, k.ksm);
  std::string options = "Base Curr OzpTz ZpmTz";
  if (k.kpz.value != 0.0) options += " PzAll";
  if (k.kem.value != 0.0) options += " EmAll";
  if (k.ksm.value != 0.0) options += " MatQty";
  item.SetText(kCoefficientOptions, options);
}

void WriteCustomRate(TXML_Estimate_Position& position, RateCode code, const DecimalNumber& rate) {
  const bool overhead = code == RateCode::Overhead;
  position.SetText(kPositionOptions, "CustNaclBase CustNaclCurr");
  const std::uint8_t value = overhead ? kCustomNPNacl : kCustomNPPlan;
  const std::uint8_t mask = overhead ? kCustomNPNaclMask : kCustomNPPlanMask;
  position.GetCustomNP(0)->SetNumber(value, rate);
  TXML_Estimate_Item& current = *position.GetCustomNP(1);
  current.SetNumber(value, rate);
  current.SetText(mask, "ФОТ"_cp1251);
}

void AddImplementationItem(TXML_Estimate_Position& position, double actDate, const DecimalNumber& fact) {
  int year = 0, month = 0, day = 0;
  DecodeDate(actDate, year, month, day);
  TXML_Estimate_Item& item = *position.AddImplementation();
  item.SetInteger(kImplementationYear, static_cast<std::uint16_t>(year));
  item.SetInteger(kImplementationMonth, static_cast<std::uint16_t>(month));
  item.SetNumber(kImplementationQuantity, fact);
}

}  // namespace

std::unique_ptr<TXML_Estimate_Position> BuildPosition(TXML_Estimate_Document& document, const PositionData& data) {
  auto position = std::make_unique<TXML_Estimate_Position>(&document);
  const PositionRow& row = data.row;
  position->ReserveValueBytes(2 * kPositionValueBytes);
  position->SetText(kPositionCaption, row.caption);
  position->SetInteger(kPositionNumber, row.number);
  position->SetText(kPositionCode, row.code);
  position->SetText(kPositionUnits, row.units);
  position->SetNumber(kPositionQuantity, row.quantity);
  position->SetText(kPositionComment, row.comment);
  position->SetText(kPositionPriceLevel, "2001");
  position->SetValue(kPositionVr2001, row.workType);
  WritePositionPrices(*position, row.prices);
  for (const ResourceRow& resource : data.resources) AddResourceRow(*position, resource);
  if (!data.resources.empty()) position->SortResources();
  WriteCoefficients(*position, data.coefficients);
  if (data.overhead) WriteCustomRate(*position, RateCode::Overhead, *data.overhead);
  if (data.profit) WriteCustomRate(*position, RateCode::Profit, *data.profit);
  for (const ExecutedRow& executed : data.executed) AddImplementationItem(*position, executed.actDate, executed.fact);
  return position;
}

}  // namespace ranta2kv::test
