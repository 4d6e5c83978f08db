// What an estimate folder is.
#include "source/estimate_folder.h"

#include <algorithm>
#include <system_error>

#include "common/ascii_case.h"
#include "platform/file_name.h"

namespace ranta2kv {
namespace fs = std::filesystem;

fs::path TablePath(const fs::path& folder, std::string_view fileName) {
  fs::path exact = folder / fileName;
  std::error_code error;
  if (fs::exists(exact, error)) return exact;
  std::vector<fs::path> matches;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (EqualsIgnoringAsciiCase(PathToUtf8(it->path().filename()), fileName)) matches.push_back(it->path());
  }
  if (matches.empty()) return exact;
  return *std::min_element(matches.begin(), matches.end());
}

std::vector<std::string> MissingTableFiles(const fs::path& folder, const std::vector<std::string_view>& fileNames) {
  std::vector<std::string> missing;
  for (std::string_view name : fileNames) {
    std::error_code error;
    if (!fs::exists(TablePath(folder, name), error)) missing.emplace_back(name);
  }
  return missing;
}

bool HoldsEstimate(const std::vector<FolderEntry>& entries) {
  return std::any_of(entries.begin(), entries.end(), [](const FolderEntry& entry) {
    return !entry.isFolder && EqualsIgnoringAsciiCase(PathToUtf8(entry.name), kSmetaFile);
  });
}

fs::path FolderNamedBy(const fs::path& item) {
  std::error_code error;
  const fs::file_status status = fs::status(item, error);
  if (error || !fs::exists(status) || fs::is_directory(status)) return item;
  const fs::path folder = item.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

}  // namespace ranta2kv
