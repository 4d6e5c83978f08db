// Tests of the two conversion passes on hand-made estimates: the document
// skeleton, chapters, positions with their values, resources, rates and acts,
// the output file, Stop, failures, and where the two passes differ.
#include <gtest/gtest.h>

#include <fstream>

#include "common/codepage.h"
#include "common/error.h"
#include "convert/conversion_pass.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/estimate_fixture.h"
#include "tests/support/recording_run_host.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/xml_tree.h"

namespace ranta2kv::test {
namespace {

enum class Pass { Dbf, OleDb };

struct PassResult {
  std::optional<std::filesystem::path> written;
  XmlFile xml;
  std::vector<std::string> log;  // UTF-8
};

std::optional<std::filesystem::path> RunPass(Pass pass, RecordingRunHost& host) {
  std::optional<ConversionResult> result = pass == Pass::Dbf ? ConvertDbf(host) : ConvertOleDb(host);
  if (!result) return std::nullopt;
  return result->file;
}

PassResult Convert(Pass pass, const std::filesystem::path& folder) {
  RecordingRunHost host(folder);
  PassResult result;
  result.written = RunPass(pass, host);
  if (result.written) result.xml = ParseXmlFile(*result.written);
  result.log = host.LogUtf8();
  return result;
}

std::vector<std::string> Names(const std::vector<const XmlElement*>& elements,
                               const std::string& attribute = "Caption") {
  std::vector<std::string> names;
  for (const XmlElement* element : elements) names.push_back(element->Attr(attribute));
  return names;
}

std::vector<std::string> ChildNames(const XmlElement& element) {
  std::vector<std::string> names;
  for (const XmlElement& child : element.children) names.push_back(child.name);
  return names;
}

class ConversionPassTest : public ::testing::TestWithParam<Pass> {
 protected:
  // A header, one path chapter with one chapter, and position 5 with everything.
  EstimateTables FullEstimate() {
    EstimateTables t;
    t.smeta.push_back({.code = 1, .id = 0, .princode = "ЛС-01", .osnov = "Проект 7",
                       .zak = "Заказчик", .pod = "Подрядчик"});
    t.smeta.push_back({.code = 2, .id = 1, .nomer = "1", .name1 = "Путь"});
    t.smeta.push_back({.code = 3, .id = 2, .nomer = "4", .name1 = "Раздел 4. Кровля"});
    PosextRow& p = t.AddPosition(5, "7", "Устройство кровли");
    p.typesbor = "ER";
    p.region = "2";
    p.coderasc = "12-01-002-09";
    p.q = 2.5;
    p.ej = "100 м2";
    p.prim = "*По проекту";
    p.opred = 9;
    p.pz = 1234.5;
    p.zp = 100;
    p.sm = -3;
    p.curzpm = 7.25;
    p.kpz = 1.15;
    p.ksm = 1.2;
    t.restbl.push_back({10005, "101-1234", "Битум", 0.5, 10, 0});
    t.restbl.push_back({10005, "1-35", "Рабочий со средним разрядом 3,5", 12, 0, 0});
    t.restbl.push_back({10005, "030101", "Кран", 1.5, 0, 0});
    t.restbl.push_back({10005, "3", "Машинисты", 1.5, 0, 2});
    t.restbl.push_back({10006, "1-4", "Чужой ресурс", 1, 1, 1});
    t.params.push_back({"3+5", 43, 15});
    t.params.push_back({"3+5", 49, 8});
    t.execute.push_back({20005, 1, 0.5});
    t.execute.push_back({20005, 1, 0.25});
    t.execute.push_back({20005, 99, 1});  // no such act
    t.acts.push_back({1, "20240315"});
    return t;
  }

  PassResult ConvertTables(const EstimateTables& tables) {
    tables.WriteTo(folder_.Path());
    return Convert(GetParam(), folder_.Path());
  }

  ScratchFolder folder_{"pass"};
};

TEST_P(ConversionPassTest, DocumentSkeletonAndHeader) {
  PassResult r = ConvertTables(FullEstimate());
  ASSERT_TRUE(r.written);
  EXPECT_EQ(r.written->filename(), "ЛС-01.XML");
  EXPECT_EQ(r.xml.encoding, "windows-1251");
  const XmlElement& root = r.xml.root;
  EXPECT_EQ(root.name, "Document");
  EXPECT_EQ(root.AttributeNames(), std::vector<std::string>{"DocumentType"});
  EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"VidRab_Catalog", "Chapters", "Signs"}));
  const XmlElement& catalog = root.Child("VidRab_Catalog");
  EXPECT_EQ(catalog.Attr("Caption"), "Основной справочник вида работ");
  auto lists = catalog.All("Vids_Rab");
  ASSERT_EQ(lists.size(), 2u);
  EXPECT_EQ(lists[0]->Attr("Type"), "Виды работ 2001г");
  EXPECT_EQ(lists[1]->Attr("Type"), "Виды работ 1984г");
  EXPECT_TRUE(lists[1]->children.empty());
  const XmlElement& group = lists[0]->Child("VidRab_Group");
  EXPECT_EQ(group.Attr("Caption"), "Виды работ");
  EXPECT_EQ(group.Attr("ID"), "0");
  const XmlElement& workType = group.Child("Vid_Rab");
  EXPECT_EQ(workType.attributes, (std::vector<std::pair<std::string, std::string>>{
                                     {"ID", "9"}, {"Caption", "Вид работ 9"}, {"Nacl", "0"},
                                     {"NaclMask", "ФОТ"}, {"Plan", "0"}, {"PlanMask", "ФОТ"}}));
  auto signs = root.Child("Signs").All("Sign");
  ASSERT_EQ(signs.size(), 6u);
  EXPECT_EQ(Names(signs), (std::vector<std::string>{"Проект 7", "", "", "Заказчик", "Подрядчик", ""}));
  EXPECT_TRUE(r.log.empty());
}

TEST_P(ConversionPassTest, PositionWithValuesResourcesRatesAndActs) {
  PassResult r = ConvertTables(FullEstimate());
  ASSERT_TRUE(r.written);
  // The path level is lifted: the chapter is at the top.
  auto chapters = r.xml.root.Child("Chapters").All("Chapter");
  ASSERT_EQ(chapters.size(), 1u);
  EXPECT_EQ(chapters[0]->Attr("Caption"), "Раздел 4. Кровля");
  EXPECT_EQ(chapters[0]->Attr("SysID"), "4");
  const XmlElement& p = chapters[0]->Child("Position");
  EXPECT_EQ(p.attributes, (std::vector<std::pair<std::string, std::string>>{
                              {"Caption", "Устройство кровли"}, {"Number", "7"},
                              {"Code", "ТЕР12-01-002-09"}, {"Units", "100 м2"},
                              {"Quantity", "2.5"}, {"Comment", "По проекту"},
                              {"PriceLevel", "2001"}, {"Options", "CustNaclBase CustNaclCurr"},
                              {"Vr2001", "9"}}));
  EXPECT_EQ(ChildNames(p), (std::vector<std::string>{"PriceBase", "PriceCurr", "Resources",
                                                       "Koefficients", "CustomNPBase",
                                                       "CustomNPCurr", "Implementation"}));
  EXPECT_EQ(p.Child("PriceBase").attributes,
            (std::vector<std::pair<std::string, std::string>>{{"PZ", "1234.5"}, {"OZ", "100"}, {"MT", "-3"}}));
  EXPECT_EQ(p.Child("PriceCurr").attributes,
            (std::vector<std::pair<std::string, std::string>>{{"ZM", "7.25"}}));

  const XmlElement& resources = p.Child("Resources");
  EXPECT_EQ(ChildNames(resources), (std::vector<std::string>{"Tzr", "Tzm", "Mch", "Mat"}));
  const XmlElement& tzr = resources.children[0];
  EXPECT_EQ(tzr.Attr("Code"), "1-3-5");
  EXPECT_EQ(tzr.Attr("WorkClass"), "3,5");
  EXPECT_EQ(tzr.Attr("Caption"), "Рабочий со средним разрядом 3,5");
  EXPECT_EQ(tzr.Attr("Quantity"), "12");
  EXPECT_EQ(tzr.Find("PriceBase"), nullptr);
  EXPECT_EQ(resources.children[1].Child("PriceBase").attributes,
            (std::vector<std::pair<std::string, std::string>>{{"Value", "0"}, {"ZM", "2"}}));
  EXPECT_EQ(resources.children[3].Attr("Code"), "101-1234");

  const XmlElement& k = p.Child("Koefficients").Child("K");
  EXPECT_EQ(k.attributes, (std::vector<std::pair<std::string, std::string>>{
                              {"Options", "Base Curr OzpTz ZpmTz PzAll MatQty"},
                              {"Value_PZ", "1.15"}, {"Value_MT", "1.2"}}));
  EXPECT_EQ(p.Child("CustomNPBase").attributes,
            (std::vector<std::pair<std::string, std::string>>{{"Nacl", "15"}, {"Plan", "8"}}));
  EXPECT_EQ(p.Child("CustomNPCurr").attributes,
            (std::vector<std::pair<std::string, std::string>>{
                {"Nacl", "15"}, {"NaclMask", "ФОТ"}, {"Plan", "8"}, {"PlanMask", "ФОТ"}}));
  auto items = p.Child("Implementation").All("Item");
  ASSERT_EQ(items.size(), 2u);  // the row without its act is passed over
  EXPECT_EQ(items[0]->attributes, (std::vector<std::pair<std::string, std::string>>{
                                      {"Year", "2024"}, {"Month", "3"}, {"Quantity", "0.5"}}));
  EXPECT_EQ(items[1]->Attr("Quantity"), "0.25");
}

TEST_P(ConversionPassTest, ChapterNestingFollowsThePathRows) {
  EstimateTables t;
  t.smeta.push_back({.code = 1, .id = 1, .nomer = "1", .name1 = "A"});
  t.smeta.push_back({.code = 2, .id = 2, .nomer = "1", .name1 = "B"});
  t.AddPosition(3, "1", "p1");
  t.smeta.push_back({.code = 4, .id = 2, .nomer = "2", .name1 = "F"});
  t.AddPosition(5, "1", "p2");
  t.smeta.push_back({.code = 6, .id = 1, .nomer = "2", .name1 = "D"});
  t.smeta.push_back({.code = 7, .id = 2, .nomer = "3", .name1 = "E"});
  t.AddPosition(8, "1", "p3");
  PassResult r = ConvertTables(t);
  auto chapters = r.xml.root.Child("Chapters").All("Chapter");
  EXPECT_EQ(Names(chapters), (std::vector<std::string>{"B", "F", "E"}));
  ASSERT_EQ(chapters.size(), 3u);
  EXPECT_EQ(chapters[1]->Child("Position").Attr("Caption"), "p2");
  EXPECT_EQ(chapters[2]->Child("Position").Attr("Caption"), "p3");
}

TEST_P(ConversionPassTest, PathChapterHoldingPositionsIsNotLifted) {
  EstimateTables t;
  t.smeta.push_back({.code = 1, .id = 1, .nomer = "2", .name1 = "A"});
  t.AddPosition(2, "1", "p1");
  t.smeta.push_back({.code = 3, .id = 2, .nomer = "1", .name1 = "B"});
  t.AddPosition(4, "1", "p2");
  PassResult r = ConvertTables(t);
  auto chapters = r.xml.root.Child("Chapters").All("Chapter");
  ASSERT_EQ(Names(chapters), std::vector<std::string>{"A"});
  // A chapter and a position compare equal; the sort's steps swap the two.
  EXPECT_EQ(ChildNames(*chapters[0]), (std::vector<std::string>{"Chapter", "Position"}));
}

TEST_P(ConversionPassTest, PositionsBeforeAnyChapterGoToANewSection) {
  EstimateTables t;
  t.AddPosition(1, "2", "p2");
  t.AddPosition(2, "1", "p1");
  t.smeta.push_back({.code = 3, .id = 7});  // unknown row kind: ignored
  PassResult r = ConvertTables(t);
  ASSERT_TRUE(r.written);
  EXPECT_EQ(r.written->filename(), "Смета.XML");
  const XmlElement& chapter = r.xml.root.Child("Chapters").Child("Chapter");
  EXPECT_EQ(chapter.Attr("Caption"), "Новый раздел");
  EXPECT_EQ(chapter.Attr("SysID"), "1");
  EXPECT_EQ(Names(chapter.All("Position")), (std::vector<std::string>{"p1", "p2"}));
}

TEST_P(ConversionPassTest, UnknownCollectionTypeIsLoggedAndKeepsTheBareCode) {
  EstimateTables t;
  t.AddPosition(1, "1", "p").typesbor = "er";
  t.AddPosition(2, "2", "q").region = "";
  PassResult r = ConvertTables(t);
  // The code as stored: CODERASC is 30 characters wide.
  EXPECT_EQ(r.log, std::vector<std::string>{"Тип сборника er для 01-01-001-01" + std::string(18, ' ') +
                                            " не определен. "});
  auto positions = r.xml.root.Child("Chapters").Child("Chapter").All("Position");
  EXPECT_EQ(Names(positions, "Code"), (std::vector<std::string>{"01-01-001-01", "01-01-001-01"}));
}

TEST_P(ConversionPassTest, RatesComeOnlyFromThePositionsOwnKey) {
  EstimateTables t;
  t.AddPosition(12, "1", "p12");
  t.AddPosition(120, "2", "p120");
  t.params.push_back({"3+120", 43, 99});
  t.params.push_back({"3+12", 49, 5});
  t.params.push_back({"3+12", 43, 15});
  PassResult r = ConvertTables(t);
  auto positions = r.xml.root.Child("Chapters").Child("Chapter").All("Position");
  ASSERT_EQ(positions.size(), 2u);
  EXPECT_EQ(positions[0]->Child("CustomNPBase").Attr("Nacl"), "15");
  EXPECT_EQ(positions[0]->Child("CustomNPBase").Attr("Plan"), "5");
  EXPECT_EQ(positions[1]->Child("CustomNPBase").Attr("Nacl"), "99");
  EXPECT_FALSE(positions[1]->Child("CustomNPBase").HasAttr("Plan"));
}

TEST_P(ConversionPassTest, StopWritesTheRowsSoFarSortedAndFlattened) {
  EstimateTables t;
  t.smeta.push_back({.code = 1, .id = 1, .nomer = "1", .name1 = "A"});
  t.smeta.push_back({.code = 2, .id = 2, .nomer = "1", .name1 = "B"});
  t.AddPosition(3, "2", "p2");
  t.AddPosition(4, "1", "p1");
  t.AddPosition(5, "3", "p3");
  t.WriteTo(folder_.Path());
  RecordingRunHost host(folder_.Path());
  host.stop_after_steps = 4;
  auto written = RunPass(GetParam(), host);
  ASSERT_TRUE(written);
  XmlFile xml = ParseXmlFile(*written);
  const XmlElement& chapter = xml.root.Child("Chapters").Child("Chapter");
  EXPECT_EQ(chapter.Attr("Caption"), "B");
  EXPECT_EQ(Names(chapter.All("Position")), (std::vector<std::string>{"p1", "p2"}));
  EXPECT_EQ(host.steps, 4);
  EXPECT_EQ(host.progress, 0);
  EXPECT_EQ(host.progress_max, 5);
  EXPECT_FALSE(host.Running());
  EXPECT_FALSE(host.busy);
  EXPECT_TRUE(host.start_enabled);
  EXPECT_FALSE(host.stop_enabled);
}

TEST_P(ConversionPassTest, ForbiddenOutputNameWritesNothing) {
  EstimateTables t;
  t.smeta.push_back({.code = 1, .id = 0, .princode = "../../x"});
  t.AddPosition(2, "1", "p");
  t.WriteTo(folder_.Path());
  RecordingRunHost host(folder_.Path());
  try {
    RunPass(GetParam(), host);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(Cp1251ToUtf8(error.what()), "Недопустимое имя файла \"../../x.XML\"");
  }
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
    EXPECT_EQ(entry.path().extension(), ".DBF") << entry.path();
  }
  EXPECT_FALSE(std::filesystem::exists(folder_.Path().parent_path().parent_path() / "x.XML"));
}

TEST_P(ConversionPassTest, TableFilesInAnyLetterCase) {
  FullEstimate().WriteTo(folder_.Path());
  for (const char* name : {"SMETA", "POSEXT", "ACTS", "PARAMS"}) {
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(c));
    std::filesystem::rename(folder_ / (std::string(name) + ".DBF"), folder_ / (lower + ".dbf"));
  }
  RecordingRunHost host(folder_.Path());
  auto written = RunPass(GetParam(), host);
  ASSERT_TRUE(written) << ::testing::PrintToString(host.LogUtf8());
  XmlFile xml = ParseXmlFile(*written);
  const XmlElement& position = xml.root.Child("Chapters").Child("Chapter").Child("Position");
  EXPECT_EQ(position.Child("Implementation").All("Item").size(), 2u);
  EXPECT_EQ(position.Child("CustomNPBase").Attr("Nacl"), "15");
}

TEST_P(ConversionPassTest, MissingFolderReturnsSilently) {
  RecordingRunHost host(folder_ / "no-such-folder");
  EXPECT_FALSE(RunPass(GetParam(), host));
  EXPECT_TRUE(host.log.empty());
  EXPECT_EQ(host.busy_changes, 0);
}

// Each of the seven tables missing: the set-up names it (the direct pass looks
// for all seven, the SQL source for the three it checks) and the window stays
// idle; a table the SQL source does not check fails the pass with its name
// once a statement reads it.
TEST_P(ConversionPassTest, EachMissingTableIsNamed) {
  const std::string init = GetParam() == Pass::Dbf ? "Ошибка инициализации : не найдены таблицы данных"
                                                   : "Ошибка инициализации : Не найдены таблицы данных";
  for (const char* table : {"POSTOOLS", "SMETA", "POSEXT", "RESTBL", "EXECUTE", "ACTS", "PARAMS"}) {
    SCOPED_TRACE(table);
    const std::string file = std::string(table) + ".DBF";
    FullEstimate().WriteTo(folder_.Path());
    std::filesystem::remove(folder_ / file);
    RecordingRunHost host(folder_.Path());
    const bool checked = GetParam() == Pass::Dbf || file == "POSTOOLS.DBF" || file == "SMETA.DBF" ||
                         file == "POSEXT.DBF";
    if (checked) {
      EXPECT_FALSE(RunPass(GetParam(), host));
      EXPECT_EQ(host.LogUtf8(), (std::vector<std::string>{init, "Нет файла: " + file}));
      EXPECT_EQ(host.busy_changes, 0);
      EXPECT_FALSE(host.Running());
    } else {
      try {
        RunPass(GetParam(), host);
        ADD_FAILURE() << "the pass did not fail";
      } catch (const Error& error) {
        EXPECT_EQ(Cp1251ToUtf8(error.what()), "Не найдена таблица " + file);
      }
    }
  }
  if (GetParam() == Pass::Dbf) {  // every missing file is named
    FullEstimate().WriteTo(folder_.Path());
    std::filesystem::remove(folder_ / "ACTS.DBF");
    std::filesystem::remove(folder_ / "RESTBL.DBF");
    RecordingRunHost host(folder_.Path());
    EXPECT_FALSE(RunPass(GetParam(), host));
    EXPECT_EQ(host.LogUtf8(), (std::vector<std::string>{init, "Нет файлов: RESTBL.DBF, ACTS.DBF"}));
  }
}

TEST_P(ConversionPassTest, MissingFieldFailsThePassWithoutAFile) {
  EstimateTables t = FullEstimate();
  t.WriteTo(folder_.Path());
  DbfBuilder posext;  // POSEXT without the price fields
  posext.Field("CODE", 'N', 10).Field("TYPESBOR", 'C', 2).Field("REGION", 'C', 2)
      .Field("CODERASC", 'C', 30).Field("Q", 'N', 15, 6).Field("EJ", 'C', 30)
      .Field("PRIM", 'C', 254).Field("OPRED", 'N', 4);
  posext.Record({"5", "ER", "1", "1", "1", "m", "*", "1"});
  posext.WriteTo(folder_ / "POSEXT.DBF");
  RecordingRunHost host(folder_.Path());
  try {
    RunPass(GetParam(), host);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    std::string expected = GetParam() == Pass::Dbf ? "DataTable: Field 'PZ' not found"
                                                   : "Field 'PZ' not found";
    EXPECT_EQ(error.what(), expected);
  }
  EXPECT_FALSE(std::filesystem::exists(folder_ / "ЛС-01.XML"));
  // The busy frame ends with the failure: no hourglass left, Start again.
  EXPECT_EQ(host.busy_changes, 2);
  EXPECT_FALSE(host.busy);
  EXPECT_FALSE(host.Running());
  EXPECT_TRUE(host.start_enabled);
}

INSTANTIATE_TEST_SUITE_P(BothPasses, ConversionPassTest, ::testing::Values(Pass::Dbf, Pass::OleDb),
                         [](const auto& info) { return info.param == Pass::Dbf ? "Dbf" : "OleDb"; });

// Where the passes differ.
class PassDifferenceTest : public ::testing::Test {
 protected:
  ScratchFolder folder_{"diff"};
};

TEST_F(PassDifferenceTest, DeletedRowsOfTheEstimateProgram) {
  EstimateTables t;
  t.AddPosition(1, "1", "kept");
  t.AddPosition(2, "2", "udal");
  t.smeta.back().udal = 1;
  t.WriteTo(folder_.Path());
  RecordingRunHost dbf(folder_.Path()), oledb(folder_.Path());
  XmlFile direct = ParseXmlFile(ConvertDbf(dbf)->file);
  XmlFile sql = ParseXmlFile(ConvertOleDb(oledb)->file);
  EXPECT_EQ(direct.root.Child("Chapters").Child("Chapter").All("Position").size(), 2u);
  EXPECT_EQ(Names(sql.root.Child("Chapters").Child("Chapter").All("Position")),
            std::vector<std::string>{"kept"});
  EXPECT_EQ(dbf.steps, 2);
  EXPECT_EQ(oledb.steps, 1);
}

TEST_F(PassDifferenceTest, BrokenPositionRows) {
  EstimateTables t;
  t.AddPosition(1, "1", "ok");
  t.smeta.push_back({.code = 2, .id = 3, .nomer = "2", .name = "no link"});
  t.smeta.push_back({.code = 0, .id = 3, .nomer = "3", .name = "no code"});
  t.WriteTo(folder_.Path());
  RecordingRunHost dbf(folder_.Path()), oledb(folder_.Path());
  ConvertDbf(dbf);
  ConvertOleDb(oledb);
  EXPECT_TRUE(dbf.log.empty());
  EXPECT_EQ(oledb.LogUtf8(), (std::vector<std::string>{"Нарушена целостность данных. Строка 2",
                                                        "Нарушена целостность данных. Строка 3"}));
  EXPECT_EQ(dbf.steps, 3);
  EXPECT_EQ(oledb.steps, 1);
}

TEST_F(PassDifferenceTest, UnreadableLinkTable) {
  EstimateTables t;
  t.AddPosition(1, "1", "p");
  t.WriteTo(folder_.Path());
  DbfBuilder postools;  // no ID field: the link look-up fails
  postools.Field("POSCODE", 'N', 10).Field("CODE", 'N', 10);
  postools.Record({"1", "10001"});
  postools.WriteTo(folder_ / "POSTOOLS.DBF");
  RecordingRunHost dbf(folder_.Path()), oledb(folder_.Path());
  ConvertDbf(dbf);
  ConvertOleDb(oledb);
  EXPECT_EQ(dbf.LogUtf8(), std::vector<std::string>{"Некорректные данные. Строка 1"});
  EXPECT_EQ(oledb.LogUtf8(), std::vector<std::string>{"Нарушена целостность данных. Строка 1"});
}

TEST_F(PassDifferenceTest, RatesAndExecutionLinks) {
  EstimateTables t;
  t.AddPosition(1, "1", "p");
  t.postools.pop_back();  // no ID 1 link
  t.params.push_back({"3+1", 43, -4});
  t.params.push_back({"3+1", 49, 0});
  t.execute.push_back({10001, 7, 3});  // keyed by the ID 0 link's code
  t.execute.push_back({-1, 7, 4});     // keyed by -1
  t.acts.push_back({7, "20230101"});
  t.WriteTo(folder_.Path());
  RecordingRunHost dbf(folder_.Path()), oledb(folder_.Path());
  const XmlElement direct =
      ParseXmlFile(ConvertDbf(dbf)->file).root.Child("Chapters").Child("Chapter").Child("Position");
  const XmlElement sql =
      ParseXmlFile(ConvertOleDb(oledb)->file).root.Child("Chapters").Child("Chapter").Child("Position");
  EXPECT_EQ(direct.Child("CustomNPBase").attributes,
            (std::vector<std::pair<std::string, std::string>>{{"Nacl", "-4"}}));
  EXPECT_EQ(sql.Find("CustomNPBase"), nullptr);
  EXPECT_EQ(direct.Child("Implementation").Child("Item").Attr("Quantity"), "4");
  EXPECT_EQ(sql.Child("Implementation").Child("Item").Attr("Quantity"), "3");
}

TEST_F(PassDifferenceTest, CommentsAndWalkOrder) {
  EstimateTables t;
  t.smeta.push_back({.code = 5, .id = 2, .nomer = "2", .name1 = "Second"});
  t.AddPosition(6, "1", "p").prim = "  a";
  t.smeta.push_back({.code = 1, .id = 2, .nomer = "1", .name1 = "First"});
  t.WriteTo(folder_.Path());
  RecordingRunHost dbf(folder_.Path()), oledb(folder_.Path());
  XmlFile direct = ParseXmlFile(ConvertDbf(dbf)->file);
  XmlFile sql = ParseXmlFile(ConvertOleDb(oledb)->file);
  // The direct pass walks by CODE: the position lands in "Second", the last
  // chapter before it in code order; the SQL pass walks in table order.
  auto directChapters = direct.root.Child("Chapters").All("Chapter");
  auto sqlChapters = sql.root.Child("Chapters").All("Chapter");
  ASSERT_EQ(directChapters.size(), 2u);
  ASSERT_EQ(sqlChapters.size(), 2u);
  EXPECT_EQ(directChapters[1]->Attr("Caption"), "Second");
  EXPECT_FALSE(directChapters[1]->Child("Position").HasAttr("Comment"));
  EXPECT_EQ(sqlChapters[1]->Attr("Caption"), "Second");
  EXPECT_EQ(sqlChapters[1]->Child("Position").Attr("Comment"), "a");
}

TEST_F(PassDifferenceTest, WorkTypeCatalog) {
  EstimateTables t;
  t.AddPosition(1, "1", "p").opred = 30;
  t.AddPosition(2, "2", "q").opred = 4;
  t.posext.push_back({.code = 99, .opred = 17});  // no position of its own
  t.WriteTo(folder_.Path());
  RecordingRunHost dbf(folder_.Path()), oledb(folder_.Path());
  auto ids = [](const XmlFile& xml) {
    return Names(xml.root.Child("VidRab_Catalog").Child("Vids_Rab").Child("VidRab_Group").All("Vid_Rab"),
                 "ID");
  };
  EXPECT_EQ(ids(ParseXmlFile(ConvertDbf(dbf)->file)), (std::vector<std::string>{"4", "30"}));
  std::vector<std::string> sqlIds = ids(ParseXmlFile(ConvertOleDb(oledb)->file));
  std::sort(sqlIds.begin(), sqlIds.end());
  EXPECT_EQ(sqlIds, (std::vector<std::string>{"17", "30", "4"}));
}

}  // namespace
}  // namespace ranta2kv::test
