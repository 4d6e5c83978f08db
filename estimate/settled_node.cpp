// The settled node: renders the element once into a sink that collects it, packs
// it, and hands the unpacked bytes to the document's sink when the document is
// written.
#include "estimate/settled_node.h"

#include <cstring>
#include <string>

#include "estimate/xml_writer.h"

namespace ranta2kv {
namespace {

// Collects the bytes of one element written inside an element of the document.
class ElementSink : public StringXmlSink {
 public:
  ElementSink() { BeginInsideElement(); }
};

}  // namespace

TXML_Estimate_Settled::TXML_Estimate_Settled(const TXML_Estimate_Item& node, char decimalSeparator,
                                             ElementPacking& packing)
    : TXML_Estimate_Item(nullptr), class_name_(node.ClassName()), packing_(&packing), container_(node.IsContainer()) {
  TakeSortValuesOf(node);
  ElementSink sink;
  node.AppendToDOM(sink, decimalSeparator);
  const std::string text = packing.Pack(sink.Text());
  size_ = text.size();
  bytes_.reset(new char[size_]);
  std::memcpy(bytes_.get(), text.data(), size_);
}

void TXML_Estimate_Settled::AppendToDOM(XmlSink& sink, char /*decimalSeparator*/) const {
  CheckParentOpen(sink);
  packing_->Unpack(std::string_view(bytes_.get(), size_), sink);
}

}  // namespace ranta2kv
