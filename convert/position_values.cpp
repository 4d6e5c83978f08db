// Writing the values of a position's source rows into the document.
#include "convert/position_values.h"

#include <utility>

#include "common/codepage.h"
#include "common/date_time.h"
#include "convert/position_rules.h"

namespace ranta2kv {
namespace {

void SetIfNonZero(TXML_Estimate_Item& item, std::string_view name, double value) {
  if (value != 0.0) item.SetValueByName(name, Variant(value));
}

}  // namespace

void WritePositionPrices(TXML_Estimate_Position& position, const PositionPrices& p) {
  TXML_Estimate_Item& base = *position.GetPrice(0);
  SetIfNonZero(base, "PZ", p.pz);
  SetIfNonZero(base, "OZ", p.zp);
  SetIfNonZero(base, "EM", p.em);
  SetIfNonZero(base, "ZM", p.zm);
  SetIfNonZero(base, "MT", p.sm);
  if (p.curcena == 0.0 && p.curzpm == 0.0) return;
  TXML_Estimate_Item& curr = *position.GetPrice(1);
  SetIfNonZero(curr, "Value", p.curcena);
  SetIfNonZero(curr, "ZM", p.curzpm);
}

std::unique_ptr<TXML_Estimate_Position> BuildPosition(TXML_Estimate_Document& document, PositionData data) {
  auto position = std::make_unique<TXML_Estimate_Position>(&document);
  const PositionRow& row = data.row;
  position->SetValueByName("Caption", Variant(row.caption));
  position->SetValueByName("Number", Variant(row.number));
  position->SetValueByName("Code", Variant(row.code));
  position->SetValueByName("Quantity", Variant(row.quantity));
  position->SetValueByName("Units", Variant(row.units));
  position->SetValueByName("Comment", Variant(row.comment));
  position->SetValueByName("PriceLevel", Variant("2001"));
  position->SetValueByName("Vr2001", row.workType);
  WritePositionPrices(*position, row.prices);
  for (ResourceRow& resource : data.resources) AddResourceRow(*position, std::move(resource));
  if (!data.resources.empty()) position->SortResources();
  WriteCoefficients(*position, data.coefficients);
  if (data.overhead) WriteCustomRate(*position, RateCode::Overhead, *data.overhead);
  if (data.profit) WriteCustomRate(*position, RateCode::Profit, *data.profit);
  for (const ExecutedRow& executed : data.executed) AddImplementationItem(*position, executed.actDate, executed.fact);
  return position;
}

void AddResourceRow(TXML_Estimate_Position& position, ResourceRow row) {
  ResourceKind kind = ClassifyResource(std::move(row.code));
  TXML_Estimate_Position& node = *position.AddResource(kind.index);
  node.SetValueByName("Code", Variant(std::move(kind.code)));
  if (auto workClass = WorkClassOf(row.caption)) {
    node.SetValueByName("WorkClass", Variant(std::move(*workClass)));
  }
  node.SetValueByName("Caption", Variant(std::move(row.caption)));
  node.SetValueByName("Quantity", Variant(row.normras));
  if (row.priceres != 0.0 || row.pricmash != 0.0) {
    TXML_Estimate_Item& price = *node.GetPrice(0);
    price.SetValueByName("Value", Variant(row.priceres));
    price.SetValueByName("ZM", Variant(row.pricmash));
  }
}

void WriteCoefficients(TXML_Estimate_Position& position, const Coefficients& k) {
  if (k.kpz == 0.0 && k.kzp == 0.0 && k.kem == 0.0 && k.kzm == 0.0 && k.ksm == 0.0) return;
  TXML_Estimate_Item& item = *position.AddCoefficient();
  SetIfNonZero(item, "Value_PZ", k.kpz);
  SetIfNonZero(item, "Value_OZ", k.kzp);
  SetIfNonZero(item, "Value_EM", k.kem);
  SetIfNonZero(item, "Value_ZM", k.kzm);
  SetIfNonZero(item, "Value_MT", k.ksm);
  std::string options = "Base Curr OzpTz ZpmTz";
  if (item.HasValue("Value_PZ", true)) options += " PzAll";
  if (item.HasValue("Value_EM", true)) options += " EmAll";
  if (item.HasValue("Value_MT", true)) options += " MatQty";
  item.SetValueByName("Options", Variant(std::move(options)));
}

void WriteCustomRate(TXML_Estimate_Position& position, RateCode code, double rate) {
  const bool overhead = code == RateCode::Overhead;
  position.SetValueByName("Options", Variant("CustNaclBase CustNaclCurr"));
  std::string_view value = overhead ? "Nacl" : "Plan";
  std::string_view mask = overhead ? "NaclMask" : "PlanMask";
  position.GetCustomNP(0)->SetValueByName(value, Variant(rate));
  TXML_Estimate_Item& current = *position.GetCustomNP(1);
  current.SetValueByName(value, Variant(rate));
  current.SetValueByName(mask, Variant("ФОТ"_cp1251));
}

void AddImplementationItem(TXML_Estimate_Position& position, double actDate, double fact) {
  int year = 0, month = 0, day = 0;
  DecodeDate(actDate, year, month, day);
  TXML_Estimate_Item& item = *position.AddImplementation();
  item.SetValueByName("Year", Variant(static_cast<int>(static_cast<std::uint16_t>(year))));
  item.SetValueByName("Month", Variant(static_cast<int>(static_cast<std::uint16_t>(month))));
  item.SetValueByName("Quantity", Variant(fact));
}

}  // namespace ranta2kv
