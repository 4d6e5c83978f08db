// The estimate folders of an object (a building with its sections): every folder
// below a chosen folder, at any depth, that holds SMETA.DBF, in name order. Links
// to folders are not followed; a folder that cannot be read is one log line and
// is passed over.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder_listing.h"

namespace ranta2kv {

struct EstimateFolder {
  std::filesystem::path folder;    // where the estimate's tables are
  std::filesystem::path relative;  // its path below the chosen folder
};

// The estimate folders below root (root itself is not one of them), in name
// order of their paths. log takes the line of a folder that cannot be read
// (windows-1251); keepGoing is asked before each folder is read, and the search
// ends early with what it found when it says false.
std::vector<EstimateFolder> FindEstimateFolders(const std::filesystem::path& root,
                                                const std::function<void(const std::string&)>& log,
                                                const std::function<bool()>& keepGoing);

}  // namespace ranta2kv
