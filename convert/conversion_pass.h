// The two conversion passes. Each reads the folder from its run host, converts
// the estimate found there and writes one XML file. The result is the written
// file, or nothing when the pass returned early (folder missing, a set-up failure
// that it logged). Any other failure throws Error; then no file is written.
#pragma once

#include <filesystem>
#include <optional>

#include "common/run_host.h"

namespace ranta2kv {

std::optional<std::filesystem::path> ConvertDbf(RunHost& host);
std::optional<std::filesystem::path> ConvertOleDb(RunHost& host);

}  // namespace ranta2kv
