// A table that another Windows program holds open: the exclusive share mode
// makes the open fail, so both set-ups fail with the open error naming the file,
// and the pass works again once the other program has let go.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/file_name.h"
#include "platform/table_file.h"
#include "tests/support/pass_outcome.h"
#include "tests/support/scratch_folder.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv::test {
namespace {
namespace fs = std::filesystem;

// ranta2kv-hold-file holding a file from construction until destruction.
class HoldingProcess {
 public:
  explicit HoldingProcess(const fs::path& file) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, childOut = nullptr;
    if (!::CreatePipe(&childIn, &input_, &inherit, 0)) return;
    if (!::CreatePipe(&output_, &childOut, &inherit, 0)) return;
    ::SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    const fs::path program = PathFromUtf8(RANTA2KV_BIN_DIR "/ranta2kv-hold-file.exe");
    std::wstring command = L"\"" + program.native() + L"\" \"" + file.native() + L"\"";
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          nullptr, &startup, &process);
    ::CloseHandle(childIn);
    ::CloseHandle(childOut);
    if (!started) return;
    ::CloseHandle(process.hThread);
    process_ = process.hProcess;
    char said[8] = {};
    DWORD count = 0;
    holding_ = ::ReadFile(output_, said, 5, &count, nullptr) && std::string(said, count) == "held\n";
  }
  ~HoldingProcess() {
    if (input_) ::CloseHandle(input_);  // tells it to let go
    if (process_) {
      ::WaitForSingleObject(process_, 10000);
      ::CloseHandle(process_);
    }
    if (output_) ::CloseHandle(output_);
  }
  HoldingProcess(const HoldingProcess&) = delete;
  HoldingProcess& operator=(const HoldingProcess&) = delete;

  bool Holding() const { return holding_; }

 private:
  HANDLE input_ = nullptr, output_ = nullptr, process_ = nullptr;
  bool holding_ = false;
};

TEST(HeldTableTest, TableHeldByAnotherProgram) {
  ScratchFolder folder("held");
  gen::GenerateEstimate({.seed = 5, .positions = 2, .edge = false}, folder.Path());
  const fs::path file = folder / "SMETA.DBF";
  const std::string reason = "TQXSmartDBF.InternalOpen: Open error \"" + PathToUtf8(file) + "\"\n";
  {
    HoldingProcess other(file);
    ASSERT_TRUE(other.Holding());
    EXPECT_FALSE(TableFile().Open(file));
    EXPECT_EQ(ShownByPass(PassKind::Dbf, folder.Path()), "log: Ошибка инициализации : " + reason);
    EXPECT_EQ(ShownByPass(PassKind::OleDb, folder.Path()),
              "log: Ошибка инициализации : Не удалось прочитать таблицу SMETA.DBF:\nlog: " + reason);
    EXPECT_EQ(NonTables(folder.Path()), std::vector<std::string>{});
  }
  EXPECT_EQ(ShownByPass(PassKind::Dbf, folder.Path()), "converted\n") << "once the other program let go";
}

// While the pass holds a table, no other program can open it.
TEST(HeldTableTest, OpenTableRefusesOtherOpens) {
  ScratchFolder folder("holding");
  gen::GenerateEstimate({.seed = 5, .positions = 2, .edge = false}, folder.Path());
  const fs::path file = folder / "SMETA.DBF";
  TableFile table;
  ASSERT_TRUE(table.Open(file));
  HANDLE other = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  if (other != INVALID_HANDLE_VALUE) ::CloseHandle(other);
}

}  // namespace
}  // namespace ranta2kv::test
