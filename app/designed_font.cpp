// The rule of the window's font.
#include "app/designed_font.h"

#include "app/form_design.h"

namespace ranta2kv {
namespace {

constexpr int kDesignDpi = 96;

int Scaled(int designed, int dpi) { return (designed * dpi + kDesignDpi / 2) / kDesignDpi; }

}  // namespace

int DesignedFontPixels(int dpi) { return (kDesignedFontPoints * dpi + 36) / 72; }

FontChoice ChooseDesignedFont(const std::vector<std::wstring>& families, int dpi,
                              const std::function<int(const FontChoice&, std::wstring_view)>& textWidth) {
  const ControlDesign& label = DesignOf(FormControl::Label1);
  const int width = Scaled(label.designed.width, dpi);
  const int designed = DesignedFontPixels(dpi);
  for (const std::wstring& family : families) {
    for (int pixels = designed; pixels >= designed * 9 / 11; --pixels) {
      const FontChoice font{family, pixels};
      if (textWidth(font, label.caption) <= width) return font;
    }
  }
  return {families.empty() ? std::wstring() : families.front(), designed};
}

}  // namespace ranta2kv
