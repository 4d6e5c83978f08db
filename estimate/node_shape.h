// What names a node and what its attributes are: the element name and the schema.
// Nodes of the same kind share one constant shape from a table of the fixed names
// and the constant schemas; a node with a name outside the table, or with a tag,
// gets a shape of its own (large estimates hold hundreds of thousands of nodes).
#pragma once

#include <string>
#include <string_view>

#include "common/variant.h"
#include "estimate/estimate_schemas.h"

namespace ranta2kv {

struct NodeShape {
  const std::string* name = nullptr;    // the element name, never null ("" for none)
  const TStringList* schema = nullptr;  // the attribute names, or nullptr for none
  bool owned = false;                   // an OwnedNodeShape of one node, else constant
};

struct OwnedNodeShape : NodeShape {
  OwnedNodeShape(std::string_view name, const TStringList* schema);
  void SetName(std::string_view name);

  std::string own_name;  // the name when it is none of the fixed names
  Variant tag;           // the node's tag, free for the caller
};

// The constant shape of this name and schema, or nullptr when the name is not a
// fixed one or the schema not a constant list.
const NodeShape* ConstantShape(std::string_view name, const TStringList* schema);

}  // namespace ranta2kv
