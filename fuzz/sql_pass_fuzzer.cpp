// Fuzz target: the "OLE DB" pass `ConvertOleDb` on the SQL data source over a
// small generated estimate one of whose seven tables is the input (first byte:
// which table). A pass may end only by returning or with the system's Error; a
// written file must be whole.
#include <cstddef>
#include <cstdint>

#include "common/error.h"
#include "convert/conversion_pass.h"
#include "fuzz/fuzz_folder.h"
#include "fuzz/pass_check.h"
#include "fuzz/quiet_run_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ranta2kv::fuzz::FuzzEstimate estimate;
  estimate.Replace(data, size);
  ranta2kv::fuzz::QuietRunHost host(estimate.Folder(), estimate.OutputFolder());
  try {
    ranta2kv::fuzz::CheckWritten(ranta2kv::ConvertOleDb(host), estimate.OutputFolder());
  } catch (const ranta2kv::Error&) {
    ranta2kv::fuzz::CheckNothingWritten(estimate.OutputFolder());
  }
  estimate.Restore();
  return 0;
}
