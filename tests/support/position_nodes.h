// A position built as the document model's nodes, as the document's own
// operations make it (GetPrice, AddResource, AddCoefficient, GetCustomNP,
// AddImplementation): the reference against which the position rendered
// straight from its values (convert/position_element.h) is checked byte for byte.
#pragma once

#include <memory>

#include "convert/position_values.h"
#include "estimate/estimate_document.h"

namespace ranta2kv::test {

// The position with everything it holds, as a node of document that no
// container holds yet.
std::unique_ptr<TXML_Estimate_Position> BuildPosition(TXML_Estimate_Document& document, const PositionData& data);

}  // namespace ranta2kv::test
