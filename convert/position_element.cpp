// The "Position" element written from a position's values. Each child comes in
// the order in which the document model creates it (PriceBase, PriceCurr,
// Resources, Koefficients, CustomNPBase, CustomNPCurr, Implementation) and each
// attribute in the order of its schema; a zero price or coefficient is no
// attribute.
#include "convert/position_element.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/codepage.h"
#include "common/date_time.h"
#include "common/text.h"
#include "convert/position_rules.h"
#include "estimate/attribute_text.h"
#include "estimate/child_sort.h"
#include "estimate/estimate_schemas.h"

namespace ranta2kv {
namespace {

// Attributes of one element after another, each written as the nodes write it:
// its text through the clean-up rule; nothing where nothing of it remains.
class ElementWriter {
 public:
  ElementWriter(XmlSink& sink, char decimalSeparator) : sink_(sink), separator_(decimalSeparator) {}

  XmlSink& Sink() { return sink_; }
  void Text(std::string_view name, std::string_view text) { sink_.WriteAttribute(name, TrimCleanUpSet(text, true, true)); }
  void Integer(std::string_view name, std::int64_t value) {
    Text(name, std::string_view(number_, IntegerAttributeText(value, number_)));
  }
  void Decimal(std::string_view name, const DecimalNumber& value) {
    Text(name, std::string_view(number_, DecimalAttributeText(value, separator_, number_)));
  }
  void NonZero(std::string_view name, const DecimalNumber& value) {
    if (value.value != 0.0) Decimal(name, value);
  }
  void Value(std::string_view name, const Variant& value) {
    Text(name, VariantAttributeText(value, separator_, number_, other_));
  }

 private:
  XmlSink& sink_;
  char separator_;
  char number_[kAttributeNumberRoom];
  std::string other_;
};

void WritePrices(ElementWriter& out, const PositionPrices& p) {
  XmlSink& sink = out.Sink();
  sink.BeginElement(PriceNames[0]);
  out.NonZero(PriceAttributes[kPricePZ], p.pz);
  out.NonZero(PriceAttributes[kPriceOZ], p.zp);
  out.NonZero(PriceAttributes[kPriceEM], p.em);
  out.NonZero(PriceAttributes[kPriceZM], p.zm);
  out.NonZero(PriceAttributes[kPriceMT], p.sm);
  sink.EndEmptyElement();
  if (p.curcena.value == 0.0 && p.curzpm.value == 0.0) return;
  sink.BeginElement(PriceNames[1]);
  out.NonZero(PriceAttributes[kPriceValue], p.curcena);
  out.NonZero(PriceAttributes[kPriceZM], p.curzpm);
  sink.EndEmptyElement();
}

void WriteResource(ElementWriter& out, const ResourceRow& row, const ResourceKind& kind) {
  XmlSink& sink = out.Sink();
  const std::string_view name = ResourceNames[kind.index];
  sink.BeginElement(name);
  out.Text(PositionAttributes[kPositionCaption], row.caption);
  out.Text(PositionAttributes[kPositionCode], kind.code);
  out.Decimal(PositionAttributes[kPositionQuantity], row.normras);
  if (auto workClass = WorkClassOf(row.caption)) out.Text(PositionAttributes[kPositionWorkClass], *workClass);
  if (row.priceres.value == 0.0 && row.pricmash.value == 0.0) {
    sink.EndEmptyElement();
    return;
  }
  sink.EndStartTag();
  sink.BeginElement(PriceNames[0]);
  out.Decimal(PriceAttributes[kPriceValue], row.priceres);
  out.Decimal(PriceAttributes[kPriceZM], row.pricmash);
  sink.EndEmptyElement();
  sink.EndElement(name);
}

// The resources in the order the document's sort of them gives (by kind, the
// same unstable quicksort over their positions as added).
void WriteResources(ElementWriter& out, const std::vector<ResourceRow>& resources) {
  if (resources.empty()) return;
  struct Sorted {
    std::uint8_t rank;
    std::size_t row;
    ResourceKind kind;
  };
  std::vector<Sorted> order;
  order.reserve(resources.size());
  for (std::size_t i = 0; i < resources.size(); ++i) {
    ResourceKind kind = ClassifyResource(resources[i].code);
    order.push_back({kind.index, i, std::move(kind)});
  }
  QuickSort(order, [](const Sorted& a, const Sorted& b) { return a.rank < b.rank ? -1 : a.rank > b.rank ? 1 : 0; });
  XmlSink& sink = out.Sink();
  const std::string_view container = KindNames[kResourcesKind];
  sink.BeginElement(container);
  sink.EndStartTag();
  for (const Sorted& next : order) WriteResource(out, resources[next.row], next.kind);
  sink.EndElement(container);
}

void WriteCoefficients(ElementWriter& out, const Coefficients& k) {
  if (k.kpz.value == 0.0 && k.kzp.value == 0.0 && k.kem.value == 0.0 && k.kzm.value == 0.0 && k.ksm.value == 0.0)
    return;
  XmlSink& sink = out.Sink();
  const std::string_view container = KindNames[kCoefficientsKind];
  sink.BeginElement(container);
  sink.EndStartTag();
  sink.BeginElement("K");
  std::string options = "Base Curr OzpTz ZpmTz";
  if (k.kpz.value != 0.0) options += " PzAll";
  if (k.kem.value != 0.0) options += " EmAll";
  if (k.ksm.value != 0.0) options += " MatQty";
  out.Text(CoefficientAttributes[kCoefficientOptions], options);
  out.NonZero(CoefficientAttributes[kCoefficientPZ], k.kpz);
  out.NonZero(CoefficientAttributes[kCoefficientOZ], k.kzp);
  out.NonZero(CoefficientAttributes[kCoefficientEM], k.kem);
  out.NonZero(CoefficientAttributes[kCoefficientZM], k.kzm);
  out.NonZero(CoefficientAttributes[kCoefficientMT], k.ksm);
  sink.EndEmptyElement();
  sink.EndElement(container);
}

void WriteCustomRates(ElementWriter& out, const std::optional<DecimalNumber>& overhead,
                      const std::optional<DecimalNumber>& profit) {
  XmlSink& sink = out.Sink();
  sink.BeginElement(CustomNPNames[0]);
  if (overhead) out.Decimal(CustomNPAttributes[kCustomNPNacl], *overhead);
  if (profit) out.Decimal(CustomNPAttributes[kCustomNPPlan], *profit);
  sink.EndEmptyElement();
  const std::string_view mask = "ФОТ"_cp1251;
  sink.BeginElement(CustomNPNames[1]);
  if (overhead) {
    out.Decimal(CustomNPAttributes[kCustomNPNacl], *overhead);
    out.Text(CustomNPAttributes[kCustomNPNaclMask], mask);
  }
  if (profit) {
    out.Decimal(CustomNPAttributes[kCustomNPPlan], *profit);
    out.Text(CustomNPAttributes[kCustomNPPlanMask], mask);
  }
  sink.EndEmptyElement();
}

void WriteImplementation(ElementWriter& out, const std::vector<ExecutedRow>& executed) {
  if (executed.empty()) return;
  XmlSink& sink = out.Sink();
  const std::string_view container = KindNames[kImplementationKind];
  sink.BeginElement(container);
  sink.EndStartTag();
  for (const ExecutedRow& row : executed) {
    int year = 0, month = 0, day = 0;
    DecodeDate(row.actDate, year, month, day);
    sink.BeginElement("Item");
    out.Integer(ImplementationAttributes[kImplementationYear], static_cast<std::uint16_t>(year));
    out.Integer(ImplementationAttributes[kImplementationMonth], static_cast<std::uint16_t>(month));
    out.Decimal(ImplementationAttributes[kImplementationQuantity], row.fact);
    sink.EndEmptyElement();
  }
  sink.EndElement(container);
}

}  // namespace

void RenderPosition(const PositionData& data, XmlSink& sink, char decimalSeparator) {
  ElementWriter out(sink, decimalSeparator);
  const PositionRow& row = data.row;
  const bool customRates = data.overhead || data.profit;
  sink.BeginElement("Position");
  out.Text(PositionAttributes[kPositionCaption], row.caption);
  out.Integer(PositionAttributes[kPositionNumber], row.number);
  out.Text(PositionAttributes[kPositionCode], row.code);
  out.Text(PositionAttributes[kPositionUnits], row.units);
  out.Decimal(PositionAttributes[kPositionQuantity], row.quantity);
  out.Text(PositionAttributes[kPositionComment], row.comment);
  out.Text(PositionAttributes[kPositionPriceLevel], "2001");
  if (customRates) out.Text(PositionAttributes[kPositionOptions], "CustNaclBase CustNaclCurr");
  out.Value(PositionAttributes[kPositionVr2001], row.workType);
  sink.EndStartTag();
  WritePrices(out, row.prices);
  WriteResources(out, data.resources);
  WriteCoefficients(out, data.coefficients);
  if (customRates) WriteCustomRates(out, data.overhead, data.profit);
  WriteImplementation(out, data.executed);
  sink.EndElement("Position");
}

}  // namespace ranta2kv
