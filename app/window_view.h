// What the window controller asks of a toolkit's window: the few things only
// the toolkit can do. app/qt/ and app/win32/ each implement it over their
// controls; every rule of the window's behaviour stays in the controller.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/designed_font.h"
#include "app/form_design.h"

namespace ranta2kv {

class WindowView {
 public:
  virtual ~WindowView() = default;

  // The folder box's text as a path, and a folder put into it (as typing would).
  virtual std::filesystem::path FolderBoxFolder() const = 0;
  virtual void SetFolderBoxFolder(const std::filesystem::path& folder) = 0;
  virtual bool Checked(FormControl checkBox) const = 0;
  virtual void EnableControl(FormControl control, bool enabled) = 0;

  // The toolkit's folder chooser with the title, opening at folder; the chosen
  // folder in folder and true when the user confirmed one.
  virtual bool ChooseFolder(const std::wstring& title, std::filesystem::path& folder) = 0;
  // The folder of the program's own executable file.
  virtual std::filesystem::path ProgramFolder() const = 0;

  // The standard error report: a modal box with the failure's message.
  virtual void ShowErrorReport(const std::string& messageUtf8) = 0;
  // After a run has returned: whatever the toolkit still has to show (the log's
  // last lines) and the focus where a user can go on.
  virtual void AfterRun() {}
  // Closes the window now.
  virtual void CloseNow() = 0;

  // The font families to try for the designed font, the designed one first,
  // and the width in pixels of text in one of them.
  virtual std::vector<std::wstring> FontFamilies() const = 0;
  virtual int TextWidth(const FontChoice& font, std::wstring_view text) const = 0;
};

}  // namespace ranta2kv
