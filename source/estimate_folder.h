// What an estimate folder is: the folder that holds the seven DBF tables of one
// estimate. The tables' file names, the file of a table in any letter case,
// whether a folder holds an estimate (its SMETA.DBF), and which folder a path
// given by the user stands for. Both sources, the object run, the command line
// and the windows ask it.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder_listing.h"

namespace ranta2kv {

inline constexpr std::string_view kSmetaFile = "SMETA.DBF";
inline constexpr std::string_view kPosextFile = "POSEXT.DBF";
inline constexpr std::string_view kPostoolsFile = "POSTOOLS.DBF";
inline constexpr std::string_view kRestblFile = "RESTBL.DBF";
inline constexpr std::string_view kExecuteFile = "EXECUTE.DBF";
inline constexpr std::string_view kActsFile = "ACTS.DBF";
inline constexpr std::string_view kParamsFile = "PARAMS.DBF";

// The seven tables, in the order in which the direct pass's set-up looks for them.
inline constexpr std::array<std::string_view, 7> kEstimateTableFiles = {
    kPostoolsFile, kSmetaFile, kPosextFile, kRestblFile, kExecuteFile, kActsFile, kParamsFile};

// The file of a table in the folder: the name as given when that file exists,
// else the first file whose name differs from it only in letter case (tables
// copied from other systems often have lower-case names), else the name as given.
std::filesystem::path TablePath(const std::filesystem::path& folder, std::string_view fileName);

// Of the given table files, those the folder lacks (in any letter case), in the
// order given.
std::vector<std::string> MissingTableFiles(const std::filesystem::path& folder,
                                           const std::vector<std::string_view>& fileNames);

// Whether a folder's entries hold the estimate table SMETA.DBF (in any letter case).
bool HoldsEstimate(const std::vector<FolderEntry>& entries);

// The folder a path given by the user stands for: a folder itself, or the folder
// of a file (a table of the estimate); the path itself when it names nothing.
std::filesystem::path FolderNamedBy(const std::filesystem::path& item);

}  // namespace ranta2kv
