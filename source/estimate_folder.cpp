// What an estimate folder is. Every question about the folder goes through the
// platform layer, which reaches folders at any depth.
#include "source/estimate_folder.h"

#include <algorithm>

#include "common/ascii_case.h"
#include "common/error.h"
#include "platform/file_name.h"
#include "platform/file_status.h"

namespace ranta2kv {
namespace fs = std::filesystem;

fs::path TablePath(const fs::path& folder, std::string_view fileName) {
  fs::path exact = folder / fileName;
  if (StatusOf(exact).kind != FileKind::None) return exact;
  std::vector<fs::path> matches;
  try {
    for (const FolderEntry& entry : ListFolder(folder)) {
      if (EqualsIgnoringAsciiCase(PathToUtf8(entry.name), fileName)) matches.push_back(folder / entry.name);
    }
  } catch (const Error&) {
    return exact;  // the open of the exact name then fails
  }
  if (matches.empty()) return exact;
  return *std::min_element(matches.begin(), matches.end());
}

std::vector<std::string> MissingTableFiles(const fs::path& folder, const std::vector<std::string_view>& fileNames) {
  std::vector<std::string> missing;
  for (std::string_view name : fileNames) {
    if (StatusOf(TablePath(folder, name)).kind == FileKind::None) missing.emplace_back(name);
  }
  return missing;
}

bool HoldsEstimate(const std::vector<FolderEntry>& entries) {
  return std::any_of(entries.begin(), entries.end(), [](const FolderEntry& entry) {
    return !entry.isFolder && EqualsIgnoringAsciiCase(PathToUtf8(entry.name), kSmetaFile);
  });
}

fs::path FolderNamedBy(const fs::path& item) {
  const FileKind kind = StatusOf(item).kind;
  if (kind == FileKind::None || kind == FileKind::Folder) return item;
  const fs::path folder = item.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

}  // namespace ranta2kv
