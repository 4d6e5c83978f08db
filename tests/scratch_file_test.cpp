// Tests of the scratch file of the platform layer: bytes appended come back from
// any offset, a read past the end is an error, and the folder never shows it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/scratch_file.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {

std::string ReadAt(ScratchFile& file, std::uint64_t offset, std::size_t size) {
  std::string bytes(size, '\0');
  std::size_t done = 0;
  while (done < size) {
    std::size_t read = 0;
    EXPECT_EQ(file.ReadAt(offset + done, bytes.data() + done, size - done, read), 0);
    if (read == 0) break;
    done += read;
  }
  return bytes;
}

TEST(ScratchFileTest, AppendedBytesComeBackFromAnyOffsetAndNoEntryShows) {
  test::ScratchFolder folder("scratch");
  {
    ScratchFile file;
    EXPECT_FALSE(file.IsOpen());
    ASSERT_EQ(file.CreateIn(folder.Path()), 0);
    EXPECT_TRUE(file.IsOpen());
    const std::string first(100000, 'a'), second = "<Position Number=\"2\"/>";
    for (const std::string* bytes : {&first, &second}) {
      for (std::size_t done = 0; done < bytes->size();) {
        std::size_t written = 0;
        ASSERT_EQ(file.Append(bytes->data() + done, bytes->size() - done, written), 0);
        done += written;
      }
    }
    EXPECT_EQ(ReadAt(file, first.size(), second.size()), second);
    EXPECT_EQ(ReadAt(file, 99998, 4), "aa<P");
    EXPECT_EQ(ReadAt(file, 0, 3), "aaa");
    char byte = 0;
    std::size_t read = 0;
    EXPECT_NE(file.ReadAt(first.size() + second.size(), &byte, 1, read), 0);
    EXPECT_EQ(read, 0u);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
}  // namespace ranta2kv
