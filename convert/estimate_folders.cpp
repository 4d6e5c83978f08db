// The search for the estimate folders below an object folder.
#include "convert/estimate_folders.h"

#include <algorithm>

#include "common/error.h"
#include "common/name_order.h"
#include "platform/file_name.h"
#include "source/estimate_folder.h"

namespace ranta2kv {
namespace {

bool PathOrderLess(const std::filesystem::path& a, const std::filesystem::path& b) {
  return NameOrderLess(PathToUtf8(a), PathToUtf8(b));
}

void Search(const std::filesystem::path& root, const std::filesystem::path& relative,
            const std::vector<FolderEntry>& entries, std::vector<EstimateFolder>& found,
            const std::function<void(const std::string&)>& log, const std::function<bool()>& keepGoing) {
  std::vector<std::filesystem::path> folders;
  for (const FolderEntry& entry : entries)
    if (entry.isFolder) folders.push_back(entry.name);
  std::sort(folders.begin(), folders.end(), PathOrderLess);
  for (const std::filesystem::path& name : folders) {
    if (!keepGoing()) return;
    const std::filesystem::path below = relative / name;
    std::vector<FolderEntry> inner;
    try {
      inner = ListFolder(root / below);
    } catch (const Error& error) {
      log(error.what());
      continue;
    }
    if (HoldsEstimate(inner)) found.push_back({root / below, below});
    Search(root, below, inner, found, log, keepGoing);
  }
}

}  // namespace

std::vector<EstimateFolder> FindEstimateFolders(const std::filesystem::path& root,
                                                const std::function<void(const std::string&)>& log,
                                                const std::function<bool()>& keepGoing) {
  std::vector<EstimateFolder> found;
  std::vector<FolderEntry> entries;
  try {
    entries = ListFolder(root);
  } catch (const Error& error) {
    log(error.what());
    return found;
  }
  Search(root, {}, entries, found, log, keepGoing);
  return found;
}

}  // namespace ranta2kv
