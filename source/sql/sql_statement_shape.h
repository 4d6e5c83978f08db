// The shape of a statement, by which the "OLE DB" source reuses compiled
// statements: the text with each literal right operand of a comparison ("=",
// "<=", ">=", "!=", "==") replaced by a parameter, and those literals' values.
// "... WHERE CODE=17" and "... WHERE CODE=18" have one shape.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ranta2kv {

struct ShapeValue {
  bool is_text = false;
  std::int64_t integer = 0;  // a whole-number literal
  std::string text;          // a quoted literal, its quotes removed
};

struct StatementShape {
  std::string text;                // "?" in place of each value taken out
  std::vector<ShapeValue> values;  // in the order of their "?"
};

// Only whole numbers (with an optional sign) and quoted texts are taken out.
// nullopt when nothing is taken out, or when the text holds what the shaping
// does not read (comments, a quote left open).
std::optional<StatementShape> ShapeOf(std::string_view statement);
// The same into shape, whose room is kept (the statements of a run, shaped one
// after another); false where ShapeOf gives nullopt, shape then left unspecified.
bool ShapeInto(std::string_view statement, StatementShape& shape);

}  // namespace ranta2kv
