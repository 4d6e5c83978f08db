// A settled node: an element of the document that will not change again except
// for its place among its siblings, kept as where its rendered bytes lie in the
// document's settled elements together with what the sorts and the flattening
// look at. A position with its prices, resources and executed quantities costs a
// few dozen bytes of memory instead of a tree.
#pragma once

#include <cstdint>
#include <string_view>

#include "estimate/estimate_document.h"

namespace ranta2kv {

class SettledElements;

class TXML_Estimate_Settled : public TXML_Estimate_Item {
 public:
  // Writes the node's element (children included) with the separator into
  // elements, which must outlive this node.
  TXML_Estimate_Settled(const TXML_Estimate_Item& node, char decimalSeparator, SettledElements& elements);
  // A position settled before its element is rendered (by another thread, with
  // Render): meanwhile it sorts by its number, as the position will.
  TXML_Estimate_Settled(std::int32_t positionNumber, SettledElements& elements);
  // Renders node's element into the elements as this node's bytes.
  void Render(const TXML_Estimate_Item& node, char decimalSeparator);
  // The same with an element that render writes into the sink it is given.
  template <typename Render>
  void RenderWith(Render&& render) {
    const std::uint64_t offset = BeginRender();
    render(SinkOfElements());
    EndRender(offset);
  }

  bool IsContainer() const override { return container_; }
  // The class of the node it was, so that it sorts as that node did.
  std::string_view ClassName() const override { return class_name_; }
  void AppendToDOM(XmlSink& sink, char decimalSeparator) const override;

 private:
  std::uint64_t BeginRender();
  XmlSink& SinkOfElements();
  void EndRender(std::uint64_t offset);

  std::string_view class_name_;  // a literal of the node's class
  SettledElements* elements_;
  std::uint64_t offset_ = 0;     // of the element's bytes in elements_
  std::uint32_t size_ = 0;       // their number
  bool container_ = false;
};

// Replaces the child of container with a settled node of it (its element as
// written bytes and only what the sorts and the flattening look at). For a child
// that will not change again except for its place: it then costs about the bytes
// of its XML.
void SettleChild(TXML_Estimate_Container& container, TXML_Estimate_Item* child, char decimalSeparator);

}  // namespace ranta2kv
