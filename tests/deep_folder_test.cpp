// Tests of the platform layer's file calls in a folder more than 700 characters
// deep, where Windows takes no plain path, on every system: those that a whole
// conversion of a small estimate does not make (the scratch file, the command
// line's output folders, made and removed again) and the kinds of what a path names. (tools/compare-windows
// and the window's tests convert whole estimates at such depths.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_name.h"
#include "platform/file_status.h"
#include "platform/folder_tree.h"
#include "platform/output_file.h"
#include "platform/scratch_file.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {
namespace fs = std::filesystem;

void WriteThroughOutputFile(const fs::path& target, const std::string& bytes) {
  OutputFile file;
  ASSERT_EQ(file.CreateBeside(target), 0);
  for (std::size_t done = 0, written = 0; done < bytes.size(); done += written) {
    ASSERT_EQ(file.Write(bytes.data() + done, bytes.size() - done, written), 0);
  }
  ASSERT_EQ(file.Sync(), 0);
  ASSERT_EQ(file.ReplaceTarget(target), 0);
}

TEST(DeepFolderTest, FilesFoldersAndKindsReachIt) {
  test::ScratchFolder scratch("deep_folder");
  const fs::path top = scratch.Path() / PathFromUtf8("Объект");
  fs::path folder = top;
  for (int i = 1; i <= 12; ++i) {  // 12 names of 58 or 59 characters
    folder /= PathFromUtf8("Очень длинное название папки объекта строительства номер " + std::to_string(i));
  }
  std::vector<fs::path> made;
  ASSERT_FALSE(CreateFolders(folder, made));
  ASSERT_EQ(StatusOf(folder).kind, FileKind::Folder);
  EXPECT_EQ(made.size(), 13u);
  EXPECT_EQ(made.front(), folder);

  const fs::path xml = folder / PathFromUtf8("ЛС-02-01.XML");
  WriteThroughOutputFile(xml, "0123456789");
  EXPECT_EQ(StatusOf(xml).kind, FileKind::File);
  EXPECT_EQ(StatusOf(xml).size, 10u);
  EXPECT_EQ(StatusOf(folder / "SMETA.DBF").kind, FileKind::None);
  {
    ScratchFile file;
    ASSERT_EQ(file.CreateIn(folder), 0);
    std::size_t written = 0, read = 0;
    ASSERT_EQ(file.Append("abc", 3, written), 0);
    char byte = 0;
    EXPECT_EQ(file.ReadAt(written - 1, &byte, 1, read), 0);
    EXPECT_EQ(byte, "abc"[written - 1]);
  }

  EXPECT_FALSE(RemoveEmptyFolder(folder)) << "a folder that holds the file was removed";
  const fs::path empty = folder / "empty";
  made.clear();
  ASSERT_FALSE(CreateFolders(empty, made));
  EXPECT_EQ(made, std::vector<fs::path>{empty});
  EXPECT_TRUE(RemoveEmptyFolder(empty));
  EXPECT_EQ(StatusOf(empty).kind, FileKind::None);
  RemoveFolderTree(top);
  EXPECT_EQ(StatusOf(top).kind, FileKind::None);
}

}  // namespace
}  // namespace ranta2kv
