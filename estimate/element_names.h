// The fixed element names of the estimate document kept once as constant strings,
// so that a node named by one of them refers to it instead of holding a copy
// (large estimates hold hundreds of thousands of nodes).
#pragma once

#include <string>
#include <string_view>

namespace ranta2kv {

// The constant string equal to name, or nullptr when name is not a fixed one.
const std::string* FixedElementName(std::string_view name);

}  // namespace ranta2kv
