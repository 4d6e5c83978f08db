// What the pass fuzzers check after a conversion: a pass that wrote a file left
// exactly that file, and it is a whole document; a pass that failed or returned
// early left nothing. A failed check aborts, which the fuzzer reports.
#pragma once

#include <filesystem>
#include <optional>

#include "convert/conversion_result.h"

namespace ranta2kv::fuzz {

void CheckWritten(const std::optional<ConversionResult>& written, const std::filesystem::path& outputFolder);
void CheckNothingWritten(const std::filesystem::path& outputFolder);

}  // namespace ranta2kv::fuzz
