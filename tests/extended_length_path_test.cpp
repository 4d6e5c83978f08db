// Tests of the extended-length form of Windows paths, the same rule on every
// system: drives and network shares, relative paths, "." and "..", separators,
// trailing dots and blanks, and paths already in that form.
#include <gtest/gtest.h>

#include <string>

#include "platform/extended_length_path.h"

namespace ranta2kv {
namespace {

std::wstring Extended(std::wstring_view path, std::wstring_view current = L"C:\\work") {
  return ExtendedLengthPath(path, current);
}

TEST(ExtendedLengthPathTest, DrivesAndSharesGetTheirPrefix) {
  EXPECT_EQ(Extended(L"C:\\Сметы\\Объект 1"), L"\\\\?\\C:\\Сметы\\Объект 1");
  EXPECT_EQ(Extended(L"d:\\"), L"\\\\?\\d:\\");
  EXPECT_EQ(Extended(L"\\\\server\\share\\Сметы\\A"), L"\\\\?\\UNC\\server\\share\\Сметы\\A");
  EXPECT_EQ(Extended(L"\\\\server\\share"), L"\\\\?\\UNC\\server\\share\\");
  EXPECT_EQ(Extended(L"\\\\server\\share\\..\\..\\a"), L"\\\\?\\UNC\\server\\share\\a");
  EXPECT_EQ(Extended(L"C:\\..\\..\\a"), L"\\\\?\\C:\\a");
}

TEST(ExtendedLengthPathTest, RelativePathsStartAtTheCurrentFolder) {
  EXPECT_EQ(Extended(L"Смета"), L"\\\\?\\C:\\work\\Смета");
  EXPECT_EQ(Extended(L".\\a\\..\\b\\."), L"\\\\?\\C:\\work\\b");
  EXPECT_EQ(Extended(L"..\\..\\..\\x"), L"\\\\?\\C:\\x");
  EXPECT_EQ(Extended(L"\\a", L"D:\\work"), L"\\\\?\\D:\\a");
  EXPECT_EQ(Extended(L"\\a", L"\\\\srv\\sh\\work"), L"\\\\?\\UNC\\srv\\sh\\a");
  EXPECT_EQ(Extended(L"Смета", L"\\\\srv\\sh\\work\\"), L"\\\\?\\UNC\\srv\\sh\\work\\Смета");
  // "D:name": the current folder of that drive, which the caller gives.
  EXPECT_EQ(Extended(L"c:a"), L"\\\\?\\C:\\work\\a");
  EXPECT_EQ(Extended(L"C:"), L"\\\\?\\C:\\work");
  EXPECT_EQ(Extended(L"D:a"), L"\\\\?\\D:\\a");
  // A current folder in the extended form itself.
  EXPECT_EQ(Extended(L"a\\..\\b", L"\\\\?\\C:\\long"), L"\\\\?\\C:\\long\\b");
  EXPECT_EQ(Extended(L"a", L"\\\\?\\UNC\\s\\h\\d"), L"\\\\?\\UNC\\s\\h\\d\\a");
  // Without an absolute current folder nothing can be made of it.
  EXPECT_EQ(Extended(L"a\\b", L""), L"a\\b");
  EXPECT_EQ(Extended(L""), L"");
}

TEST(ExtendedLengthPathTest, SeparatorsAreNormalised) {
  EXPECT_EQ(Extended(L"C:/a/b"), L"\\\\?\\C:\\a\\b");
  EXPECT_EQ(Extended(L"//server/share/a\\b"), L"\\\\?\\UNC\\server\\share\\a\\b");
  EXPECT_EQ(Extended(L"C:\\a\\\\b//c"), L"\\\\?\\C:\\a\\b\\c");
  EXPECT_EQ(Extended(L"C:\\a\\b\\"), L"\\\\?\\C:\\a\\b");
  EXPECT_EQ(Extended(L"a/b///"), L"\\\\?\\C:\\work\\a\\b");
}

// As the system trims a path without prefix: the last name loses its trailing
// dots and blanks, a folder's name one trailing dot; a name ending in a blank
// before a separator keeps it.
TEST(ExtendedLengthPathTest, TrailingDotsAndBlanksAsTheSystemTrimsThem) {
  EXPECT_EQ(Extended(L"C:\\a\\Объект 1 "), L"\\\\?\\C:\\a\\Объект 1");
  EXPECT_EQ(Extended(L"C:\\a\\b. . "), L"\\\\?\\C:\\a\\b");
  EXPECT_EQ(Extended(L"C:\\a\\..."), L"\\\\?\\C:\\a");
  EXPECT_EQ(Extended(L"C:\\a.\\b"), L"\\\\?\\C:\\a\\b");
  EXPECT_EQ(Extended(L"C:\\a...\\b"), L"\\\\?\\C:\\a...\\b");
  EXPECT_EQ(Extended(L"C:\\a \\b"), L"\\\\?\\C:\\a \\b");
  EXPECT_EQ(Extended(L"C:\\a\\b \\"), L"\\\\?\\C:\\a\\b ");
}

TEST(ExtendedLengthPathTest, ExtendedAndDevicePathsStayAsGiven) {
  for (std::wstring_view path : {L"\\\\?\\C:\\a\\..\\b/", L"\\\\?\\UNC\\s\\h\\x", L"\\\\.\\pipe\\x",
                                 L"\\??\\C:\\x", L"//?/C:/x"}) {
    EXPECT_EQ(Extended(path), path);
  }
}

TEST(ExtendedLengthPathTest, LongPathsKeepEveryName) {
  std::wstring path = L"C:", expected = L"\\\\?\\C:";
  for (int i = 1; i <= 12; ++i) {
    const std::wstring name = L"Очень длинное название папки объекта строительства номер " + std::to_wstring(i);
    path += L"/" + name;
    expected += L"\\" + name;
  }
  ASSERT_GT(path.size(), 700u);
  EXPECT_EQ(Extended(path + L"/./x/../"), expected);
}

}  // namespace
}  // namespace ranta2kv
