// The two conversion passes. Each reads the folder from its run host, converts
// the estimate found there and writes one XML file. The result names the written
// file and what it holds, or is nothing when the pass returned early (folder
// missing, a set-up failure that it logged). Any other failure throws Error;
// then no file is written.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "common/run_host.h"
#include "convert/conversion_result.h"

namespace ranta2kv {

std::optional<ConversionResult> ConvertDbf(RunHost& host);
std::optional<ConversionResult> ConvertOleDb(RunHost& host);

// Either pass, or a test's stand-in for one.
using ConversionPass = std::function<std::optional<ConversionResult>(RunHost&)>;

}  // namespace ranta2kv
