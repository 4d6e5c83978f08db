// The scripted stand-in pass.
#include "tests/app/support/scripted_pass.h"

#include "common/error.h"

namespace ranta2kv::testing {

std::optional<ConversionResult> ScriptedPass::operator()(RunHost& host) {
  ++calls;
  rowsDone = 0;
  folderSeen = host.FolderPath();
  std::error_code error;
  if (!std::filesystem::is_directory(folderSeen, error)) return std::nullopt;
  if (setUpLog) {
    host.AppendLog(*setUpLog);
    return std::nullopt;
  }
  BeginBusy(host);
  host.ApplyButtonRule();
  host.SetProgressMax(rows);
  host.SetProgressPosition(0);
  for (int row = 1; row <= rows; ++row) {
    ++rowsDone;
    if (row == failAfterRow) throw Error(failure);
    host.StepProgress();
    if (afterRow) afterRow(row);
    host.ProcessPendingEvents();
    if (!host.Running()) break;
  }
  host.SetProgressPosition(0);
  EndBusy(host);
  host.ApplyButtonRule();
  return ConversionResult{.file = folderSeen / "SCRIPTED.XML", .positions = rowsDone, .stopped = rowsDone < rows};
}

}  // namespace ranta2kv::testing
