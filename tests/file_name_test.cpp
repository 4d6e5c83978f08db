// File names through the platform layer: a windows-1251 or UTF-8 name becomes a
// file of that name on the disk, and the name read back from the folder gives the
// same text again, on every system.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "common/codepage.h"
#include "platform/file_name.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {

TEST(FileNameTest, CyrillicNamesGoToTheDiskAndBack) {
  test::ScratchFolder folder("file_name");
  const std::string name1251 = Utf8ToCp1251("ЛС-02-01 Ёлка №5.XML");
  const std::filesystem::path file = folder.Path() / PathFrom1251(name1251);
  std::ofstream(file) << "x";
  ASSERT_TRUE(std::filesystem::exists(file));
  std::filesystem::directory_iterator entry(folder.Path());
  ASSERT_NE(entry, std::filesystem::directory_iterator());
  EXPECT_EQ(PathTo1251(entry->path().filename()), name1251);
  EXPECT_EQ(PathToUtf8(entry->path().filename()), "ЛС-02-01 Ёлка №5.XML");
  EXPECT_EQ(entry->path().filename(), PathFromUtf8("ЛС-02-01 Ёлка №5.XML"));
}

TEST(FileNameTest, CharactersOutsideWindows1251BecomeQuestionMarks) {
  EXPECT_EQ(PathTo1251(PathFromUtf8("a中b")), "a?b");
  EXPECT_EQ(PathToUtf8(PathFrom1251(Utf8ToCp1251("Смета"))), "Смета");
}

}  // namespace
}  // namespace ranta2kv
