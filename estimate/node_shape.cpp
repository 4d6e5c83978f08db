// The constant node shapes: every pair of a fixed element name and a constant
// schema (or none), built once, and the shapes that single nodes own.
#include "estimate/node_shape.h"

#include <array>
#include <cstdint>
#include <vector>

namespace ranta2kv {
namespace {

constexpr std::size_t kFixedNameCount = 29;
constexpr std::size_t kSchemaCount = 12;  // none and the eleven constant lists

const std::array<std::string, kFixedNameCount>& FixedNames() {
  static const std::array<std::string, kFixedNameCount> names = {
      "",             "Document",      "Position",       "Sign",         "K",
      "Item",         "Vid_Rab",       "PriceBase",      "PriceCurr",    "Tzr",
      "Tzm",          "Mch",           "Mat",            "CustomNPBase", "CustomNPCurr",
      "Parameters",   "Indexes",       "VidRab_Catalog", "Vids_Rab",     "VidRab_Group",
      "Koefficients", "WinterCatalog", "Chapter",        "Chapters",     "AddZatrats",
      "OsInfo",       "Signs",         "Resources",      "Implementation",
  };
  return names;
}

// The fixed names by their length, so that a look-up compares only names as
// long as the one asked for (nodes are made by the hundred thousand).
constexpr std::size_t kLongestFixedName = 14;

int FixedNameIndex(std::string_view name) {
  static const std::array<std::vector<std::uint8_t>, kLongestFixedName + 1> byLength = [] {
    std::array<std::vector<std::uint8_t>, kLongestFixedName + 1> table;
    for (std::size_t i = 0; i < kFixedNameCount; ++i) table[FixedNames()[i].size()].push_back(static_cast<std::uint8_t>(i));
    return table;
  }();
  if (name.size() > kLongestFixedName) return -1;
  for (std::uint8_t i : byLength[name.size()]) {
    if (FixedNames()[i] == name) return i;
  }
  return -1;
}

const std::array<const TStringList*, kSchemaCount>& ConstantSchemas() {
  static const std::array<const TStringList*, kSchemaCount> schemas = {
      nullptr,           &DocumentAttributes,  &PositionAttributes, &PriceAttributes,
      &CoefficientAttributes, &ImplementationAttributes, &ChapterAttributes, &CustomNPAttributes,
      &CatalogAttributes, &WorkTypesAttributes, &WorkTypeAttributes, &SignAttributes};
  return schemas;
}

int SchemaIndex(const TStringList* schema) {
  const auto& schemas = ConstantSchemas();
  for (std::size_t i = 0; i < schemas.size(); ++i) {
    if (schemas[i] == schema) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

OwnedNodeShape::OwnedNodeShape(std::string_view name, const TStringList* schemaList) {
  schema = schemaList;
  owned = true;
  SetName(name);
}

void OwnedNodeShape::SetName(std::string_view newName) {
  int fixed = FixedNameIndex(newName);
  if (fixed >= 0) {
    name = &FixedNames()[fixed];
    return;
  }
  own_name.assign(newName.data(), newName.size());
  name = &own_name;
}

const NodeShape* ConstantShape(std::string_view name, const TStringList* schema) {
  static const std::array<NodeShape, kFixedNameCount * kSchemaCount> shapes = [] {
    std::array<NodeShape, kFixedNameCount * kSchemaCount> table{};
    for (std::size_t n = 0; n < kFixedNameCount; ++n) {
      for (std::size_t s = 0; s < kSchemaCount; ++s) {
        table[n * kSchemaCount + s] = NodeShape{&FixedNames()[n], ConstantSchemas()[s], false};
      }
    }
    return table;
  }();
  int n = FixedNameIndex(name);
  int s = SchemaIndex(schema);
  if (n < 0 || s < 0) return nullptr;
  return &shapes[static_cast<std::size_t>(n) * kSchemaCount + static_cast<std::size_t>(s)];
}

}  // namespace ranta2kv
