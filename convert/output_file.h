// The output file of a pass: the folder and the estimate's code from the header
// row, plus ".XML". A code that a file name may not hold fails with an error, so
// that data can never write outside the folder or to a device.
#pragma once

#include <filesystem>
#include <string>

namespace ranta2kv {

// folder / (outputName1251 + ".XML") as a file name of the system; throws Error
// for a name holding \ / : * ? " < > | or a control character, and for a
// Windows device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, also with an
// extension) on every system.
std::filesystem::path OutputFilePath(const std::filesystem::path& folder,
                                     const std::string& outputName1251);

}  // namespace ranta2kv
