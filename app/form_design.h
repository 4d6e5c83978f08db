// The design of the main window, the same for both windows: its caption, its
// client size and its designed place on the screen, its font, its eight
// controls (name, kind, caption, designed rectangle, anchors, initial state) in
// creation order, and the folder chooser's title and where it opens. Each
// window builds its controls from this table and adds only what its toolkit
// needs.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>

#include "app/button_pictures.h"
#include "app/window_geometry.h"

namespace ranta2kv {

// The controls, by their designed names, in creation order.
enum class FormControl : std::size_t {
  Label1, SpeedButton1, sbStop, sbStart, Edit1, ProgressBar1, Memo1, CheckBox1,
};
inline constexpr std::size_t kFormControlCount = 8;

enum class ControlKind {
  Label,        // a static text
  FlatButton,   // a flat tool button with a 16 x 16 picture
  FolderBox,    // a single-line edit box with a soft bevel
  ProgressBar,  // smooth fill, 0 to 100, step 1
  Log,          // a multi-line edit box, both scroll bars, no word wrap, editable
  CheckBox,
};

struct ControlDesign {
  FormControl control;
  const char* name;         // the control's object name
  ControlKind kind;
  const wchar_t* caption;   // "" for none
  ControlRect designed;     // client pixels at 96 dpi
  unsigned anchors;         // AnchorEdge bits
  bool enabled;             // at start-up
  bool tabStop;             // in the tab order, which is creation order
  std::optional<ButtonPicture> picture;  // of a flat button
};

extern const ControlDesign kFormDesign[kFormControlCount];
const ControlDesign& DesignOf(FormControl control);

inline constexpr wchar_t kFormCaption[] = L"Ранта+ DBF -> KV XML";
inline constexpr ClientSize kDesignedClient{345, 359};
// The designed place of the window's outer top-left corner, and the outer size
// the design had around its client area (the frame of the designer's system),
// the best guess of the frame before the real one is known.
inline constexpr int kDesignedLeft = 436, kDesignedTop = 449;
inline constexpr ClientSize kDesignedOuter{353, 393};
inline constexpr wchar_t kDesignedFontFamily[] = L"MS Sans Serif";
inline constexpr int kDesignedFontPoints = 8;  // 11 pixels at 96 dpi

inline constexpr bool kOleDbCheckedAtStart = true;  // CheckBox1
inline constexpr wchar_t kFolderChooserTitle[] = L"Укажите папку с DBF";

// Where the folder chooser opens: the folder box's folder when it names an
// existing directory, else the program's own folder with a trailing separator.
std::filesystem::path FolderChooserStart(const std::filesystem::path& boxFolder,
                                         const std::filesystem::path& programFolder);

}  // namespace ranta2kv
