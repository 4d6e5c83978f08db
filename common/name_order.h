// The order in which people sort names: letters without regard to case (Latin
// and Cyrillic), runs of digits by their value, so that "Раздел 2" comes before
// "Раздел 10". For the folders of an object.
#pragma once

#include <string_view>

namespace ranta2kv {

// a before b (both UTF-8); names alike but for case or leading zeros still
// have one order (their bytes').
bool NameOrderLess(std::string_view a, std::string_view b);

}  // namespace ranta2kv
