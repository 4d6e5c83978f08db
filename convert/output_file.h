// The output file of a pass: the folder and the estimate's code from the header
// row, plus ".XML". A code that a file name may not hold fails with an error, so
// that data can never write outside the folder.
#pragma once

#include <filesystem>
#include <string>

namespace ranta2kv {

// folder / (outputName1251 as UTF-8 + ".XML"); throws Error for a name holding
// \ / : * ? " < > | or a control character.
std::filesystem::path OutputFilePath(const std::filesystem::path& folder,
                                     const std::string& outputName1251);

}  // namespace ranta2kv
