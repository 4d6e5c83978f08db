// An object run: the folder the user chose holds no estimate tables of its own,
// but folders below it do. Each of those estimates is converted as if it had been
// chosen alone, one after the other, under one busy state, one progress bar and
// one Stop; the log names each estimate folder before its lines and ends with a
// summary line.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "common/run_host.h"
#include "convert/conversion_pass.h"

namespace ranta2kv {

// Converts the object folder root through host, with pass for each estimate. A
// failure of one estimate (its set-up or its pass) is logged under its name and
// the run goes on with the next; Stop ends the run once the estimate in hand is
// written. Returns false, having shown nothing, when root is no object folder:
// it holds SMETA.DBF itself, cannot be read, or no folder below it holds one.
bool ConvertObjectFolder(RunHost& host, const std::filesystem::path& root, const ConversionPass& pass);

// The log's line before the lines of one estimate: its folder below the object's.
std::string EstimateNameLine(const std::filesystem::path& relative);
// The line of a folder that is gone when its turn comes.
std::string FolderNotFoundLine();
// The last lines of an object run: its counts, after Stop behind StoppedLine().
std::string ObjectSummaryText(int found, int written, int failed, bool stopped);

}  // namespace ranta2kv
