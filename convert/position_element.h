// A position's "Position" element rendered straight from its values: its own
// attributes, the base and current prices, the resources in their order, the
// coefficient item, the custom overhead and profit rates and the executed
// quantities, with the bytes the document's nodes would be written with, but no
// node built. The second core of a run renders every position this way.
#pragma once

#include "convert/position_values.h"
#include "estimate/xml_writer.h"

namespace ranta2kv {

// Writes the element into sink, which must be inside an element (the settled
// elements' sink is).
void RenderPosition(const PositionData& data, XmlSink& sink, char decimalSeparator);

}  // namespace ranta2kv
