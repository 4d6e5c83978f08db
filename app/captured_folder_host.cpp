// The run of a pass as both windows make it.
#include "app/captured_folder_host.h"

#include "convert/object_run.h"

namespace ranta2kv {

std::exception_ptr CapturedFolderHost::Run(std::filesystem::path folder, const ConversionPass& pass) {
  ClearLog();
  BeginRun(std::move(folder));
  try {
    if (ConvertObjectFolder(*this, FolderPath(), pass)) return nullptr;
    if (std::optional<ConversionResult> result = pass(*this)) AppendLogLines(*this, ResultText(*result));
  } catch (...) {
    ReturnToReady();
    return std::current_exception();
  }
  return nullptr;
}

void CapturedFolderHost::ReturnToReady() {
  SetBusyIndication(false);
  SetRunning(false);
  SetProgressPosition(0);
  ApplyButtonRule();
}

}  // namespace ranta2kv
