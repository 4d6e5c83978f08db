// The folder-browse dialog through SHBrowseForFolderW.
#include "app/win32/folder_chooser.h"

#include <shlobj.h>

#include <vector>

#include "app/folder_box_rule.h"

namespace ranta2kv::win32 {
namespace {

constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;  // 0x41
constexpr DWORD kLongestPath = 32768;  // characters of a path in the extended-length form, its NUL too

// Selects the folder on entry once the dialog is initialised.
int CALLBACK PreSelect(HWND dialog, UINT message, LPARAM, LPARAM folder) {
  if (message == BFFM_INITIALIZED) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, folder);
  return 0;
}

// The enabled top-level windows of this thread, disabled for as long as it lives.
class OtherWindowsDisabled {
 public:
  OtherWindowsDisabled() { EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this)); }
  ~OtherWindowsDisabled() {
    for (HWND window : disabled_) EnableWindow(window, TRUE);
  }
  OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
  OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;

 private:
  static BOOL CALLBACK Disable(HWND window, LPARAM self) {
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
      reinterpret_cast<OtherWindowsDisabled*>(self)->disabled_.push_back(window);
      EnableWindow(window, FALSE);
    }
    return TRUE;
  }
  std::vector<HWND> disabled_;
};

class CriticalErrorsFailed {
 public:
  CriticalErrorsFailed() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~CriticalErrorsFailed() { SetErrorMode(previous_); }
  CriticalErrorsFailed(const CriticalErrorsFailed&) = delete;
  CriticalErrorsFailed& operator=(const CriticalErrorsFailed&) = delete;

 private:
  UINT previous_;
};

// The shell item of the tree's root, or none for the desktop.
PIDLIST_ABSOLUTE RootItem(const std::wstring& root) {
  if (root.empty()) return nullptr;
  PIDLIST_ABSOLUTE item = nullptr;
  if (FAILED(SHParseDisplayName(root.c_str(), nullptr, &item, 0, nullptr))) return nullptr;
  return item;
}

bool Browse(HWND owner, const std::wstring& title, const std::wstring& root,
            std::wstring& folder, IMalloc& allocator, wchar_t* path) {
  if (!NamesExistingDirectory(folder)) folder.clear();
  PIDLIST_ABSOLUTE rootItem = RootItem(root);
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.pidlRoot = rootItem;
  browse.pszDisplayName = path;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = kBrowseFlags;
  if (!folder.empty()) {
    browse.lpfn = PreSelect;
    browse.lParam = reinterpret_cast<LPARAM>(folder.c_str());
  }
  PIDLIST_ABSOLUTE chosen = nullptr;
  {
    OtherWindowsDisabled disabled;
    CriticalErrorsFailed quiet;
    chosen = SHBrowseForFolderW(&browse);
  }
  if (rootItem != nullptr) allocator.Free(rootItem);
  if (owner != nullptr) SetForegroundWindow(owner);
  if (chosen == nullptr) return false;
  // The chosen folder's path at any depth (SHGetPathFromIDListW stops at MAX_PATH).
  std::wstring chosenPath(kLongestPath, L'\0');
  const bool havePath = SHGetPathFromIDListEx(chosen, chosenPath.data(), kLongestPath, GPFIDL_DEFAULT) != FALSE;
  allocator.Free(chosen);
  if (!havePath) return false;
  chosenPath.resize(chosenPath.find(L'\0'));
  folder = chosenPath;
  return true;
}

}  // namespace

bool SelectFolder(HWND owner, const std::wstring& title, const std::wstring& root,
                  std::wstring& folder) {
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) return false;
  auto* path = static_cast<wchar_t*>(allocator->Alloc(MAX_PATH * sizeof(wchar_t)));
  bool chosen = false;
  if (path != nullptr) {
    path[0] = L'\0';
    std::wstring entry = folder;
    chosen = Browse(owner, title, root, entry, *allocator, path);
    if (chosen) folder = entry;
    allocator->Free(path);
  }
  allocator->Release();
  return chosen;
}

}  // namespace ranta2kv::win32
