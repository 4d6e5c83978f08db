// Running a pass for the failure tests and looking at the folder afterwards.
#include "tests/support/pass_outcome.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>

#include "common/codepage.h"
#include "common/error.h"
#include "convert/conversion_pass.h"
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
    if (written) ending = fs::exists(*written) ? "converted\n" : "reported a file it did not write\n";
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
    int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) held.push_back(entry.path().filename().string());
    ::close(fd);
  }
  return held;
}

}  // namespace ranta2kv::test
