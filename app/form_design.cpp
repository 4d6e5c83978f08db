// The table of the main window's controls.
#include "app/form_design.h"

#include "app/folder_box_rule.h"

namespace ranta2kv {
namespace {

constexpr unsigned kLeftTop = kAnchorLeft | kAnchorTop;
constexpr unsigned kTopRight = kAnchorTop | kAnchorRight;
constexpr unsigned kRightBottom = kAnchorRight | kAnchorBottom;
constexpr unsigned kLeftTopRight = kAnchorLeft | kAnchorTop | kAnchorRight;
constexpr unsigned kAllEdges = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom;
constexpr unsigned kBottomAligned = kAnchorLeft | kAnchorRight | kAnchorBottom;  // full width at the bottom

}  // namespace

const ControlDesign kFormDesign[kFormControlCount] = {
    {FormControl::Label1, "Label1", ControlKind::Label, L"Папка с DBF ", {7, 10, 68, 13}, kLeftTop, true, false, std::nullopt},
    {FormControl::SpeedButton1, "SpeedButton1", ControlKind::FlatButton, L"", {313, 5, 23, 22}, kTopRight, true,
     false, ButtonPicture::Folder},
    {FormControl::sbStop, "sbStop", ControlKind::FlatButton, L"Стоп", {233, 315, 103, 22}, kRightBottom, false,
     false, ButtonPicture::Stop},
    {FormControl::sbStart, "sbStart", ControlKind::FlatButton, L"Старт", {125, 315, 103, 22}, kRightBottom, false,
     false, ButtonPicture::Start},
    {FormControl::Edit1, "Edit1", ControlKind::FolderBox, L"", {84, 6, 231, 21}, kLeftTopRight, true, true, std::nullopt},
    {FormControl::ProgressBar1, "ProgressBar1", ControlKind::ProgressBar, L"", {0, 342, 345, 17}, kBottomAligned,
     true, false, std::nullopt},
    {FormControl::Memo1, "Memo1", ControlKind::Log, L"", {7, 56, 329, 257}, kAllEdges, true, true, std::nullopt},
    {FormControl::CheckBox1, "CheckBox1", ControlKind::CheckBox, L"OLE DB", {8, 32, 97, 17}, kLeftTop, true, true, std::nullopt},
};

const ControlDesign& DesignOf(FormControl control) { return kFormDesign[static_cast<std::size_t>(control)]; }

std::filesystem::path FolderChooserStart(const std::filesystem::path& boxFolder,
                                         const std::filesystem::path& programFolder) {
  if (NamesExistingDirectory(boxFolder)) return boxFolder;
  return programFolder / "";
}

}  // namespace ranta2kv
