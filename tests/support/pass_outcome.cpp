// Running a pass for the failure tests and looking at the folder afterwards.
#include "tests/support/pass_outcome.h"

#include <algorithm>

#include "common/codepage.h"
#include "common/error.h"
#include "convert/conversion_pass.h"
#include "platform/table_file.h"
#include "tests/support/recording_run_host.h"

namespace ranta2kv::test {
namespace fs = std::filesystem;

const char* PassName(PassKind pass) { return pass == PassKind::Dbf ? "direct pass" : "SQL pass"; }

std::string ShownByPass(PassKind pass, const fs::path& folder) {
  RecordingRunHost host(folder, ',');
  return ShownByPass(pass, host);
}

std::string ShownByPass(PassKind pass, RecordingRunHost& host) {
  std::string ending;
  try {
    auto written = pass == PassKind::Dbf ? ConvertDbf(host) : ConvertOleDb(host);
    if (written) ending = fs::exists(written->file) ? "converted\n" : "reported a file it did not write\n";
  } catch (const Error& error) {
    ending = "error: " + Cp1251ToUtf8(error.what()) + "\n";
  }
  std::string shown;
  for (const std::string& line : host.LogUtf8()) shown += "log: " + line + "\n";
  return shown + ending;
}

std::vector<std::string> NonTables(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".DBF") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> HeldFiles(const fs::path& folder) {
  std::vector<std::string> held;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    std::error_code error;
    if (!fs::is_regular_file(entry.path(), error)) continue;
    // The exclusive open of a table fails while the pass still holds the file.
    TableFile probe;
    if (!probe.Open(entry.path())) held.push_back(entry.path().filename().string());
  }
  return held;
}

}  // namespace ranta2kv::test
