// The extended-length form of a Windows path: the path made absolute against the
// current folder, then normalised as the system normalises a path that has no
// prefix (separators, "." and "..", trailing dots and blanks), behind "\\?\" or
// "\\?\UNC\".
#include "platform/extended_length_path.h"

#include <optional>
#include <vector>

namespace ranta2kv {
namespace {

constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedUnc = L"\\\\?\\UNC\\";
constexpr std::wstring_view kObjectNames = L"\\??\\";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool HasDrive(std::wstring_view path) {
  if (path.size() < 2 || path[1] != L':') return false;
  const wchar_t letter = path[0] | 0x20;
  return letter >= L'a' && letter <= L'z';
}

bool SameDrive(wchar_t a, wchar_t b) { return (a | 0x20) == (b | 0x20); }  // the letters in any case

bool IsUnc(std::wstring_view path) { return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]); }

bool IsAbsolute(std::wstring_view path) {
  return IsUnc(path) || (HasDrive(path) && path.size() > 2 && IsSeparator(path[2]));
}

// "\\?\…", "\??\…", and the device forms "\\.\…", "//?/…", "//./…": for the system as they are.
bool IsDeviceOrExtended(std::wstring_view path) {
  if (path.starts_with(kObjectNames)) return true;
  return path.size() >= 4 && IsUnc(path) && (path[2] == L'?' || path[2] == L'.') && IsSeparator(path[3]);
}

// An extended current folder as a plain one, so that a path relative to it can
// be normalised like any other.
std::wstring_view WithoutPrefix(std::wstring_view folder, std::wstring& storage) {
  if (folder.starts_with(kExtendedUnc)) {
    storage = L"\\\\" + std::wstring(folder.substr(kExtendedUnc.size()));
    return storage;
  }
  if (folder.starts_with(kExtended)) folder.remove_prefix(kExtended.size());
  return folder;
}

std::wstring_view SkipSeparators(std::wstring_view text) {
  while (!text.empty() && IsSeparator(text.front())) text.remove_prefix(1);
  return text;
}

// Takes the first component off text, which keeps what follows it (from the
// separator on).
std::wstring_view TakeComponent(std::wstring_view& text) {
  std::size_t end = 0;
  while (end < text.size() && !IsSeparator(text[end])) ++end;
  std::wstring_view component = text.substr(0, end);
  text.remove_prefix(end);
  return component;
}

// The root of an absolute path in the extended form ("\\?\C:\",
// "\\?\UNC\server\share\"); rest becomes what follows it.
std::wstring ExtendedRoot(std::wstring_view path, std::wstring_view& rest) {
  if (HasDrive(path)) {
    rest = path.substr(2);
    return std::wstring(kExtended) + std::wstring(path.substr(0, 2)) + L"\\";
  }
  rest = SkipSeparators(path);
  std::wstring root(kExtendedUnc);
  root += TakeComponent(rest);  // the server
  root += L'\\';
  rest = SkipSeparators(rest);
  if (rest.empty()) return root;
  root += TakeComponent(rest);  // the share
  return root + L'\\';
}

// The root of an absolute path without a separator after it: "C:", "\\server\share".
std::wstring_view PlainRoot(std::wstring_view absolute) {
  if (HasDrive(absolute)) return absolute.substr(0, 2);
  std::wstring_view rest = SkipSeparators(absolute);
  TakeComponent(rest);  // the server
  rest = SkipSeparators(rest);
  TakeComponent(rest);  // the share
  return absolute.substr(0, absolute.size() - rest.size());
}

// The absolute path that path names from current_folder (not yet normalised),
// or none when current_folder is no absolute path.
std::optional<std::wstring> Absolute(std::wstring_view path, std::wstring_view current_folder) {
  if (IsAbsolute(path)) return std::wstring(path);
  std::wstring storage;
  const std::wstring_view current = WithoutPrefix(current_folder, storage);
  if (!IsAbsolute(current)) return std::nullopt;
  if (HasDrive(path)) {  // "D:name": from the current folder of drive D:, or from its root
    const bool onThatDrive = HasDrive(current) && SameDrive(current[0], path[0]);
    return (onThatDrive ? std::wstring(current) : std::wstring(path.substr(0, 2))) + L"\\" +
           std::wstring(path.substr(2));
  }
  if (!path.empty() && IsSeparator(path[0])) return std::wstring(PlainRoot(current)) + std::wstring(path);
  return std::wstring(current) + L"\\" + std::wstring(path);
}

bool IsDotsOrBlanks(wchar_t c) { return c == L'.' || c == L' '; }

// The components of rest normalised: the system's rules for a path it is
// given without prefix.
std::vector<std::wstring_view> NormalisedComponents(std::wstring_view rest) {
  const bool endsInSeparator = rest.empty() || IsSeparator(rest.back());
  std::vector<std::wstring_view> kept;
  while (!(rest = SkipSeparators(rest)).empty()) {
    std::wstring_view component = TakeComponent(rest);
    const bool last = SkipSeparators(rest).empty() && !endsInSeparator;
    if (component == L".") continue;
    if (component == L"..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    if (last) {
      while (!component.empty() && IsDotsOrBlanks(component.back())) component.remove_suffix(1);
      if (component.empty()) continue;
    } else if (component.size() >= 2 && component.back() == L'.' && component[component.size() - 2] != L'.') {
      component.remove_suffix(1);  // a folder's name loses one trailing dot
    }
    kept.push_back(component);
  }
  return kept;
}

}  // namespace

std::wstring ExtendedLengthPath(std::wstring_view path, std::wstring_view current_folder) {
  if (path.empty() || IsDeviceOrExtended(path)) return std::wstring(path);
  const std::optional<std::wstring> absolute = Absolute(path, current_folder);
  if (!absolute) return std::wstring(path);
  std::wstring_view rest;
  std::wstring extended = ExtendedRoot(*absolute, rest);
  bool first = true;
  for (std::wstring_view component : NormalisedComponents(rest)) {
    if (!first) extended += L'\\';
    extended += component;
    first = false;
  }
  return extended;
}

}  // namespace ranta2kv
