// Tests of the program's file calls in a folder more than 700 characters deep,
// where Windows takes no plain path: the platform layer's files, listings,
// kinds and folders, and the SQL source's table catalogue, on every system.
#include <gtest/gtest.h>

#include <string>

#include "platform/file_name.h"
#include "platform/file_status.h"
#include "platform/folder_listing.h"
#include "platform/folder_tree.h"
#include "platform/output_file.h"
#include "platform/scratch_file.h"
#include "platform/table_file.h"
#include "source/sql/oledb_table_catalogue.h"
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
  ASSERT_EQ(file.Close(), 0);
  ASSERT_EQ(file.ReplaceTarget(target), 0);
}

TEST(DeepFolderTest, EveryFileCallReachesIt) {
  test::ScratchFolder scratch("deep_folder");
  const fs::path top = scratch.Path() / PathFromUtf8("Объект");
  fs::path folder = top;
  for (int i = 1; i <= 12; ++i) {  // 12 names of 58 or 59 characters
    folder /= PathFromUtf8("Очень длинное название папки объекта строительства номер " + std::to_string(i));
  }
  CreateFolders(folder);
  ASSERT_EQ(StatusOf(folder).kind, FileKind::Folder);

  const fs::path table = folder / "SMETA.DBF";
  WriteThroughOutputFile(table, "0123456789");
  EXPECT_EQ(StatusOf(table).kind, FileKind::File);
  EXPECT_EQ(StatusOf(table).size, 10u);
  EXPECT_EQ(StatusOf(folder / "POSEXT.DBF").kind, FileKind::None);
  {
    TableFile file;
    ASSERT_TRUE(file.Open(table));
    char bytes[4] = {};
    EXPECT_EQ(file.ReadAt(3, bytes, 4), 4u);
    EXPECT_EQ(std::string(bytes, 4), "3456");
    EXPECT_TRUE(file.Unchanged());
  }
  const std::vector<FolderEntry> entries = ListFolder(folder);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(PathToUtf8(entries[0].name), "SMETA.DBF");
  const TableCatalogue catalogue = ReadTableCatalogue(folder);
  ASSERT_EQ(catalogue.tables.size(), 1u);
  EXPECT_EQ(catalogue.tables[0].file, table);
  {
    ScratchFile file;
    ASSERT_EQ(file.CreateIn(folder), 0);
    std::size_t written = 0, read = 0;
    ASSERT_EQ(file.Append("abc", 3, written), 0);
    char byte = 0;
    EXPECT_EQ(file.ReadAt(written - 1, &byte, 1, read), 0);
    EXPECT_EQ(byte, "abc"[written - 1]);
  }

  const fs::path staging = folder / ".staging";
  EXPECT_TRUE(CreateFreshFolder(staging));
  EXPECT_FALSE(CreateFreshFolder(staging));
  EXPECT_FALSE(RenameFile(table, staging / "SMETA.DBF"));
  EXPECT_EQ(StatusOf(table).kind, FileKind::None);
  EXPECT_EQ(StatusOf(staging / "SMETA.DBF").size, 10u);
  EXPECT_TRUE(RenameFile(table, staging / "SMETA.DBF"));  // it is gone
  RemoveFolderTree(top);
  EXPECT_EQ(StatusOf(top).kind, FileKind::None);
}

}  // namespace
}  // namespace ranta2kv
