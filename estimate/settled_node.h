// A settled node: an element of the document that will not change again except
// for its place among its siblings, kept as the bytes of its XML together with
// what the sorts and the flattening look at. A position with its prices,
// resources and executed quantities costs about its bytes instead of a tree.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "estimate/element_packing.h"
#include "estimate/estimate_document.h"

namespace ranta2kv {

class TXML_Estimate_Settled : public TXML_Estimate_Item {
 public:
  // Writes the node's element (children included) with the separator and keeps
  // it packed by the packing, which must outlive this node.
  TXML_Estimate_Settled(const TXML_Estimate_Item& node, char decimalSeparator, ElementPacking& packing);

  bool IsContainer() const override { return container_; }
  // The class of the node it was, so that it sorts as that node did.
  std::string_view ClassName() const override { return class_name_; }
  void AppendToDOM(XmlSink& sink, char decimalSeparator) const override;

 private:
  std::string_view class_name_;      // a literal of the node's class
  const ElementPacking* packing_;
  std::unique_ptr<char[]> bytes_;    // the element, packed
  std::size_t size_ = 0;
  bool container_ = false;
};

}  // namespace ranta2kv
