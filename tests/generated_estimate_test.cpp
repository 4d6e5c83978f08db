// End-to-end tests of both passes on generated estimates, normal and with the
// oddities of damaged real data: well-formed output, everything of the source
// accounted for, kind order of resources, and agreement of the two passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

#include "common/codepage.h"
#include "convert/conversion_pass.h"
#include "source/dbf/dbf_table.h"
#include "tests/support/recording_run_host.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/xml_tree.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv::test {
namespace {

struct Converted {
  std::filesystem::path file;
  XmlFile xml;
  std::vector<std::string> log;
};

Converted ConvertWith(bool oledb, const std::filesystem::path& folder, const std::filesystem::path& out) {
  RecordingRunHost host(folder);
  host.output_folder = out;
  std::filesystem::create_directories(out);
  auto written = oledb ? ConvertOleDb(host) : ConvertDbf(host);
  if (!written) throw std::runtime_error("no file written");
  return {written->file, ParseXmlFile(written->file), host.LogUtf8()};
}

std::string Serialize(const XmlElement& element) {
  std::string text = "<" + element.name;
  for (const auto& [name, value] : element.attributes) text += " " + name + "=\"" + value + "\"";
  text += ">";
  for (const XmlElement& child : element.children) text += Serialize(child);
  return text + "</" + element.name + ">";
}

void Collect(const XmlElement& element, const std::string& name, std::vector<const XmlElement*>& out) {
  if (element.name == name) out.push_back(&element);
  for (const XmlElement& child : element.children) Collect(child, name, out);
}

std::vector<const XmlElement*> AllBelow(const XmlElement& root, const std::string& name) {
  std::vector<const XmlElement*> found;
  Collect(root, name, found);
  return found;
}

// Records of a table whose integer field has the value.
std::int64_t CountRows(const std::filesystem::path& file, const char* field, int value) {
  DbfTable table("T");
  table.SetFileName(file);
  table.Open();
  std::int64_t count = 0;
  for (table.First(); !table.AtEnd(); table.Next()) {
    if (table.FieldNamed(field).AsInteger() == value) ++count;
  }
  return count;
}

std::int64_t RecordCount(const std::filesystem::path& file) {
  DbfTable table("T");
  table.SetFileName(file);
  table.Open();
  return table.RecordCount();
}

int Rank(const std::string& kind) {
  static const std::vector<std::string> kOrder{"Tzr", "Tzm", "Mch", "Mat"};
  return static_cast<int>(std::find(kOrder.begin(), kOrder.end(), kind) - kOrder.begin());
}

class GeneratedEstimateTest : public ::testing::TestWithParam<int> {
 protected:
  void Generate(bool edge, int positions) {
    gen::GenerateEstimate({static_cast<std::uint64_t>(GetParam()), positions, edge}, estimate_);
  }
  ScratchFolder scratch_{"gen"};
  std::filesystem::path estimate_ = scratch_ / "estimate";
};

TEST_P(GeneratedEstimateTest, CleanEstimateIsFullyConvertedAndBothPassesAgree) {
  Generate(false, 150);
  Converted direct = ConvertWith(false, estimate_, scratch_ / "dbf");
  Converted sql = ConvertWith(true, estimate_, scratch_ / "sql");
  EXPECT_TRUE(direct.log.empty());
  EXPECT_TRUE(sql.log.empty());
  EXPECT_EQ(direct.file.filename(), sql.file.filename());
  const XmlElement& root = direct.xml.root;
  EXPECT_EQ(Serialize(root.Child("Chapters")), Serialize(sql.xml.root.Child("Chapters")));
  EXPECT_EQ(Serialize(root.Child("Signs")), Serialize(sql.xml.root.Child("Signs")));

  // Everything of the source is in the document.
  EXPECT_EQ(static_cast<std::int64_t>(AllBelow(root, "Position").size()),
            CountRows(estimate_ / "SMETA.DBF", "ID", 3));
  std::int64_t resources = 0;
  for (const char* kind : {"Tzr", "Tzm", "Mch", "Mat"}) resources += AllBelow(root, kind).size();
  EXPECT_EQ(resources, RecordCount(estimate_ / "RESTBL.DBF"));
  EXPECT_GT(AllBelow(root, "Item").size(), 0u);
  EXPECT_GT(AllBelow(root, "CustomNPBase").size(), 0u);
  EXPECT_GT(AllBelow(root, "K").size(), 0u);

  for (const XmlElement* position : AllBelow(root, "Position")) {
    ASSERT_FALSE(position->children.empty());
    EXPECT_EQ(position->children[0].name, "PriceBase");
    EXPECT_EQ(position->Attr("PriceLevel"), "2001");
    if (const XmlElement* list = position->Find("Resources")) {
      for (std::size_t i = 1; i < list->children.size(); ++i) {
        EXPECT_LE(Rank(list->children[i - 1].name), Rank(list->children[i].name));
      }
    }
  }
  for (const XmlElement* labour : AllBelow(root, "Tzr")) {
    EXPECT_TRUE(std::regex_match(labour->Attr("Code"), std::regex("1-[^-]+-.+"))) << labour->Attr("Code");
  }
  // Chapters of a chapter list come in SysID order, positions in Number order.
  for (const XmlElement* chapter : AllBelow(root, "Chapter")) {
    auto positions = chapter->All("Position");
    for (std::size_t i = 1; i < positions.size(); ++i) {
      EXPECT_LE(std::stoi(positions[i - 1]->Attr("Number")), std::stoi(positions[i]->Attr("Number")));
    }
  }
  auto workTypes = root.Child("VidRab_Catalog").Child("Vids_Rab").Child("VidRab_Group").All("Vid_Rab");
  for (std::size_t i = 1; i < workTypes.size(); ++i) {
    EXPECT_LT(std::stoi(workTypes[i - 1]->Attr("ID")), std::stoi(workTypes[i]->Attr("ID")));
  }
}

TEST_P(GeneratedEstimateTest, DamagedEstimateConvertsWithRowMessages) {
  Generate(true, 120);
  const std::regex kRowMessage(
      "Некорректные данные\\. Строка [0-9]+|Нарушена целостность данных\\. Строка [0-9]+|"
      "Тип сборника .* для (.|\\n)* не определен\\. ");
  for (bool oledb : {false, true}) {
    Converted result = ConvertWith(oledb, estimate_, scratch_ / (oledb ? "sql" : "dbf"));
    EXPECT_FALSE(AllBelow(result.xml.root, "Position").empty());
    EXPECT_FALSE(result.log.empty());
    for (const std::string& line : result.log) {
      EXPECT_TRUE(std::regex_match(line, kRowMessage)) << line;
    }
  }
}

TEST_P(GeneratedEstimateTest, SameInputSameBytes) {
  Generate(true, 60);
  for (bool oledb : {false, true}) {
    Converted first = ConvertWith(oledb, estimate_, scratch_ / "a");
    Converted second = ConvertWith(oledb, estimate_, scratch_ / "b");
    std::ifstream a(first.file, std::ios::binary), b(second.file, std::ios::binary);
    std::stringstream textA, textB;
    textA << a.rdbuf();
    textB << b.rdbuf();
    EXPECT_EQ(textA.str(), textB.str());
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, GeneratedEstimateTest, ::testing::Values(1, 2, 3));

}  // namespace
}  // namespace ranta2kv::test
