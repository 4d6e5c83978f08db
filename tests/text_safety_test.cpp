// Tests that any stored text reaches the output as well-formed XML: an estimate
// whose text fields hold every byte from 0 to 255 converts through both passes
// into a file that xmllint accepts, with every position kept.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "tests/support/dbf_patch.h"
#include "tests/support/pass_outcome.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/xml_tree.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv::test {
namespace {

namespace fs = std::filesystem;

constexpr int kPositions = 12;

// Bytes start, start + 1, ... (mod 256) over the whole width: a field of 256
// bytes or more holds every byte, and a NUL cuts most texts somewhere.
std::string ByteRun(unsigned start, std::size_t width) {
  std::string bytes(width, ' ');
  for (std::size_t i = 0; i < width; ++i) bytes[i] = static_cast<char>((start + i) % 256);
  return bytes;
}

// Fills every text field of the table, except those listed, with byte runs
// that start differently in each record and field (never at NUL; wide fields
// of every other record hold 1 to 255 whole). Returns the bytes that stand
// before the first NUL of some field.
std::set<unsigned char> FillTexts(const fs::path& table, const std::set<std::string>& kept) {
  DbfPatch patch(table);
  std::set<unsigned char> before_nul;
  for (std::size_t record = 1; record <= patch.RecordCount(); ++record) {
    for (std::size_t f = 0; f < patch.Fields().size(); ++f) {
      const DbfPatch::Field& field = patch.Fields()[f];
      if (field.type != 'C' || kept.contains(field.name)) continue;
      const bool wholeRun = field.width >= 255 && record % 2 == 1;  // 1 to 255, then NUL
      const std::string bytes = ByteRun(wholeRun ? 1 : 1 + (record * 7 + f * 13) % 255, field.width);
      patch.Set(record, field.name, bytes);
      for (char c : bytes.substr(0, bytes.find('\0'))) before_nul.insert(static_cast<unsigned char>(c));
    }
  }
  patch.Save();
  return before_nul;
}

int Xmllint(const fs::path& file) {
  const std::string command = "xmllint --noout '" + file.string() + "' 2>&1";
  return std::system(command.c_str());
}

class TextSafetyTest : public ::testing::TestWithParam<PassKind> {};

TEST_P(TextSafetyTest, EveryByteInTheTextsGivesWellFormedXml) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint is not installed";
  ScratchFolder folder("text_safety");
  gen::GenerateEstimate({.seed = 11, .positions = kPositions, .edge = false}, folder.Path());
  std::set<unsigned char> bytes = FillTexts(folder / "SMETA.DBF", {"PRINCODE"});
  bytes.merge(FillTexts(folder / "POSEXT.DBF", {}));
  bytes.merge(FillTexts(folder / "RESTBL.DBF", {}));
  ASSERT_EQ(bytes.size(), 255u) << "every byte but NUL stands in some text";

  std::string shown = ShownByPass(GetParam(), folder.Path());
  ASSERT_TRUE(shown.ends_with("converted\n")) << shown;
  std::vector<std::string> outputs = NonTables(folder.Path());
  ASSERT_EQ(outputs.size(), 1u);
  const fs::path file = folder / outputs.front();
  EXPECT_EQ(Xmllint(file), 0);

  XmlFile xml = ParseXmlFile(file);
  EXPECT_EQ(xml.encoding, "windows-1251");
  int positions = 0;
  std::string captions;
  for (const XmlElement* chapter : xml.root.Child("Chapters").All("Chapter")) {
    for (const XmlElement* position : chapter->All("Position")) {
      ++positions;
      captions += position->Attr("Caption");
    }
  }
  EXPECT_EQ(positions, kPositions);
  for (std::string text : {"&", "<", ">", "\"", "'", "Я", "ё", "№"}) {
    EXPECT_NE(captions.find(text), std::string::npos) << text << " reaches the captions";
  }
}

INSTANTIATE_TEST_SUITE_P(BothPasses, TextSafetyTest, ::testing::Values(PassKind::Dbf, PassKind::OleDb),
                         [](const auto& info) { return info.param == PassKind::Dbf ? "Dbf" : "OleDb"; });

}  // namespace
}  // namespace ranta2kv::test
