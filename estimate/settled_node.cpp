// The settled node: renders the element once into the document's settled
// elements and copies its bytes from there into the document's sink when the
// document is written.
#include "estimate/settled_node.h"

#include <limits>

#include "common/error.h"
#include "estimate/settled_elements.h"
#include "estimate/xml_writer.h"

namespace ranta2kv {

TXML_Estimate_Settled::TXML_Estimate_Settled(const TXML_Estimate_Item& node, char decimalSeparator,
                                             SettledElements& elements)
    : TXML_Estimate_Item(nullptr), class_name_(node.ClassName()), elements_(&elements), container_(node.IsContainer()) {
  TakeSortValuesOf(node);
  Render(node, decimalSeparator);
}

TXML_Estimate_Settled::TXML_Estimate_Settled(std::int32_t positionNumber, SettledElements& elements)
    : TXML_Estimate_Item(nullptr), class_name_("TXML_Estimate_Position"), elements_(&elements), container_(true) {
  SetAttributes(PositionAttributes);
  SetNodeName("Position");
  SetValueByName("Number", Variant(positionNumber));
}

void TXML_Estimate_Settled::Render(const TXML_Estimate_Item& node, char decimalSeparator) {
  RenderWith([&](XmlSink& sink) { node.AppendToDOM(sink, decimalSeparator); });
}

std::uint64_t TXML_Estimate_Settled::BeginRender() { return elements_->Size(); }

XmlSink& TXML_Estimate_Settled::SinkOfElements() { return elements_->Sink(); }

void TXML_Estimate_Settled::EndRender(std::uint64_t offset) {
  const std::uint64_t size = elements_->Size() - offset;
  if (size > std::numeric_limits<std::uint32_t>::max()) throw Error("Element too large to settle");
  offset_ = offset;
  size_ = static_cast<std::uint32_t>(size);
}

void TXML_Estimate_Settled::AppendToDOM(XmlSink& sink, char /*decimalSeparator*/) const {
  CheckParentOpen(sink);
  elements_->CopyTo(offset_, size_, sink);
}

void SettleChild(TXML_Estimate_Container& container, TXML_Estimate_Item* child, char decimalSeparator) {
  container.ReplaceChild(
      child, std::make_unique<TXML_Estimate_Settled>(*child, decimalSeparator, container.Document()->Settled()));
}

}  // namespace ranta2kv
