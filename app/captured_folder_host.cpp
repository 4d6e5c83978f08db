// The run of a pass as both windows make it.
#include "app/captured_folder_host.h"

namespace ranta2kv {

std::exception_ptr CapturedFolderHost::Run(std::filesystem::path folder, const ConversionPass& pass) {
  ClearLog();
  BeginRun(std::move(folder));
  try {
    pass(*this);
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
