// The window's font: the designed family at its designed height (8 points, 11
// pixels at 96 dpi) where the folder label's caption fits the label's designed
// width; else the first family that has it fit, as large as it can be down to
// 9/11 of that height. The same rule in both windows.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ranta2kv {

struct FontChoice {
  std::wstring family;  // "" for the toolkit's default family
  int pixelHeight = 0;
  bool operator==(const FontChoice&) const = default;
};

// The designed height in pixels at dpi.
int DesignedFontPixels(int dpi);

// The font for a window at dpi: of families, in order, the first in which the
// label's caption fits the label's designed width (scaled to dpi) at the largest
// height from the designed one down to 9/11 of it; where none fits, the first
// family at the designed height. textWidth measures text in a font, in pixels.
FontChoice ChooseDesignedFont(const std::vector<std::wstring>& families, int dpi,
                              const std::function<int(const FontChoice&, std::wstring_view)>& textWidth);

}  // namespace ranta2kv
