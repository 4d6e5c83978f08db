// The pass fuzzers' run host: it only counts the log lines a pass appends.
#include "fuzz/quiet_run_host.h"

namespace ranta2kv::fuzz {

QuietRunHost::QuietRunHost(std::filesystem::path folder, std::filesystem::path outputFolder)
    : RunHost(','), folder_(std::move(folder)), output_folder_(std::move(outputFolder)) {}

void QuietRunHost::AppendLog(const std::string&) { ++log_lines_; }

}  // namespace ranta2kv::fuzz
