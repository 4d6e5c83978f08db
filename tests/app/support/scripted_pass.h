// A stand-in for a conversion pass that follows the passes' run control exactly
// (set-up, busy state and button rule, one step and one event round per row,
// the Stop test, clean-up) over a given number of rows, and can fail or log.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "common/run_host.h"
#include "convert/conversion_result.h"

namespace ranta2kv::testing {

struct ScriptedPass {
  int rows = 10;                          // rows of the pretended estimate table
  std::optional<std::string> setUpLog;    // set-up fails with this log line (1251)
  int failAfterRow = 0;                   // > 0: throws Error(failure) after this row
  std::string failure;                    // message of that failure (1251)
  std::function<void(int row)> afterRow;  // runs after each row's step, before events

  int calls = 0;                          // how often the window ran the pass
  int rowsDone = 0;                       // rows walked by the last call
  std::filesystem::path folderSeen;       // the folder the last call was given

  std::optional<ConversionResult> operator()(RunHost& host);
};

}  // namespace ranta2kv::testing
