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
  offset_ = elements.Size();
  node.AppendToDOM(elements.Sink(), decimalSeparator);
  const std::uint64_t size = elements.Size() - offset_;
  if (size > std::numeric_limits<std::uint32_t>::max()) throw Error("Element too large to settle");
  size_ = static_cast<std::uint32_t>(size);
}

void TXML_Estimate_Settled::AppendToDOM(XmlSink& sink, char /*decimalSeparator*/) const {
  CheckParentOpen(sink);
  elements_->CopyTo(offset_, size_, sink);
}

}  // namespace ranta2kv
