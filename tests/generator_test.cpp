// Tests of the estimate generator: its DBF writer and code page 866 texts, its
// command line, same bytes for the same seed, and the tables read back with
// dbfread: the agreed layout, the invariants of a clean estimate, the oddities
// of the edge mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/codepage.h"
#include "common/error.h"
#include "tests/support/dbfread_dump.h"
#include "tests/support/scratch_folder.h"
#include "tools/gen/dbf_writer.h"
#include "tools/gen/estimate_generator.h"
#include "tools/gen/generator_arguments.h"

namespace ranta2kv::gen {
namespace {

using test::DumpedRecord;
using test::DumpedTable;
using test::ScratchFolder;

constexpr std::array<const char*, 7> kTableNames = {"SMETA", "POSTOOLS", "POSEXT", "RESTBL",
                                                    "EXECUTE", "ACTS", "PARAMS"};

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// The value of a numeric field text; nullopt when blank or not a whole number.
std::optional<long long> IntegerOf(std::string_view text) {
  const std::string trimmed = Trimmed(text);
  if (trimmed.empty()) return std::nullopt;
  std::size_t used = 0;
  try {
    const long long value = std::stoll(trimmed, &used);
    if (used == trimmed.size()) return value;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

double NumberOf(std::string_view text) { return std::stod(Trimmed(text)); }

// The seven tables of a generated estimate as dbfread reads them, by table name.
struct DumpedEstimate {
  std::map<std::string, DumpedTable> tables;

  const DumpedTable& operator[](const std::string& name) const { return tables.at(name); }
  // The field's texts of every record of the table, in file order.
  std::vector<std::string> Column(const std::string& table, std::string_view field) const {
    const DumpedTable& t = tables.at(table);
    std::vector<std::string> values;
    for (const DumpedRecord& r : t.records) values.push_back(t.Value(r, field));
    return values;
  }
};

std::optional<DumpedEstimate> GenerateAndDump(const GeneratorOptions& options, const ScratchFolder& folder) {
  GenerateEstimate(options, folder.Path());
  std::vector<std::filesystem::path> paths;
  for (const char* name : kTableNames) paths.push_back(folder / (std::string(name) + ".DBF"));
  auto dumped = test::DumpWithDbfread(paths);
  if (!dumped) return std::nullopt;
  DumpedEstimate estimate;
  for (std::size_t i = 0; i < kTableNames.size(); ++i) estimate.tables[kTableNames[i]] = (*dumped)[i];
  return estimate;
}

// ---------------------------------------------------------------------------
// The DBF writer, checked on the bytes it writes.

class DbfWriterTest : public ::testing::Test {
 protected:
  static constexpr DbfFieldSpec kFields[] = {
      {"NAME", 'C', 300, 0}, {"PRICE", 'N', 8, 2}, {"COUNT", 'N', 4, 0}, {"DAY", 'D', 8, 0}};
  static constexpr std::size_t kHeaderLength = 32 + 32 * 4 + 1;
  static constexpr std::size_t kRecordLength = 1 + 300 + 8 + 4 + 8;

  std::string Write(void (*fill)(DbfWriter&)) {
    {
      DbfWriter writer(folder_ / "T.DBF", kFields, {2021, 3, 9}, 0x65);
      fill(writer);
      writer.Finish();
    }
    return FileBytes(folder_ / "T.DBF");
  }

  ScratchFolder folder_{"gen-writer"};
};

TEST_F(DbfWriterTest, HeaderCarriesVersionDateCountsAndLanguageByte) {
  const std::string bytes = Write([](DbfWriter& w) {
    w.EndRecord();
    w.EndRecord();
  });
  EXPECT_EQ(bytes[0], '\x03');
  EXPECT_EQ(bytes.substr(1, 3), std::string("\x79\x03\x09", 3));  // 2021 - 1900, March, 9th
  EXPECT_EQ(bytes.substr(4, 4), std::string("\x02\0\0\0", 4));
  EXPECT_EQ(static_cast<unsigned char>(bytes[8]) + 256 * static_cast<unsigned char>(bytes[9]), kHeaderLength);
  EXPECT_EQ(static_cast<unsigned char>(bytes[10]) + 256 * static_cast<unsigned char>(bytes[11]), kRecordLength);
  EXPECT_EQ(bytes[29], '\x65');
  EXPECT_EQ(bytes[kHeaderLength - 1], '\x0D');
  EXPECT_EQ(bytes.size(), kHeaderLength + 2 * kRecordLength + 1);
  EXPECT_EQ(bytes.back(), '\x1A');
}

TEST_F(DbfWriterTest, WideCharacterFieldKeepsHighWidthByteInDecimals) {
  const std::string bytes = Write([](DbfWriter&) {});
  EXPECT_EQ(bytes.substr(32, 5), std::string("NAME\0", 5));
  EXPECT_EQ(bytes[32 + 11], 'C');
  EXPECT_EQ(bytes[32 + 16], '\x2C');  // 300 = 0x012C
  EXPECT_EQ(bytes[32 + 17], '\x01');
  EXPECT_EQ(bytes[64 + 16], '\x08');  // PRICE N(8,2)
  EXPECT_EQ(bytes[64 + 17], '\x02');
}

TEST_F(DbfWriterTest, FieldsAreStoredAsDbaseStoresThem) {
  const std::string bytes = Write([](DbfWriter& w) {
    w.SetText(0, "AB");
    w.SetFixed(1, 5);
    w.SetInteger(2, -12);
    w.SetDate(3, {2004, 2, 29});
    w.EndRecord();
    w.MarkDeleted();
    w.SetFixed(1, -123456);
    w.EndRecord();
  });
  const std::string first = bytes.substr(kHeaderLength, kRecordLength);
  EXPECT_EQ(first.substr(0, 3), " AB");
  EXPECT_EQ(first.substr(3, 298), std::string(298, ' '));
  EXPECT_EQ(first.substr(301), "    0.05 -1220040229");
  const std::string second = bytes.substr(kHeaderLength + kRecordLength, kRecordLength);
  EXPECT_EQ(second[0], '*');
  EXPECT_EQ(second.substr(301), "-1234.56            ");
}

TEST_F(DbfWriterTest, NumberWiderThanItsFieldIsAnError) {
  DbfWriter writer(folder_ / "T.DBF", kFields, {2021, 3, 9}, 0x65);
  try {
    writer.SetInteger(2, 12345);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "value 12345 does not fit field COUNT of " + (folder_ / "T.DBF").string());
  }
}

// ---------------------------------------------------------------------------
// The command line.

GeneratorCommand Parse(std::vector<std::string> args) { return ParseGeneratorArguments(args); }

std::string ArgumentErrorOf(std::vector<std::string> args) {
  try {
    Parse(std::move(args));
  } catch (const ArgumentError& e) {
    return e.what();
  }
  return "no error";
}

TEST(GeneratorArgumentsTest, OptionsInAnyOrderAndTheFolder) {
  const GeneratorCommand command = Parse({"out", "--edge", "--positions", "120", "--seed", "18446744073709551615"});
  EXPECT_EQ(command.folder, "out");
  EXPECT_TRUE(command.options.edge);
  EXPECT_EQ(command.options.positions, 120);
  EXPECT_EQ(command.options.seed, 18446744073709551615ULL);
  EXPECT_FALSE(command.help);
}

TEST(GeneratorArgumentsTest, DefaultsWithoutOptionsAndHelpWithoutFolder) {
  const GeneratorCommand command = Parse({"dir"});
  EXPECT_EQ(command.options.seed, 1u);
  EXPECT_EQ(command.options.positions, 50);
  EXPECT_FALSE(command.options.edge);
  EXPECT_TRUE(Parse({"--help"}).help);
}

TEST(GeneratorArgumentsTest, BadArgumentsAreNamed) {
  EXPECT_EQ(ArgumentErrorOf({}), "no folder given");
  EXPECT_EQ(ArgumentErrorOf({"a", "b"}), "more than one folder: 'a' and 'b'");
  EXPECT_EQ(ArgumentErrorOf({"--fast", "a"}), "unknown option '--fast'");
  EXPECT_EQ(ArgumentErrorOf({"a", "--seed"}), "--seed needs a value");
  EXPECT_EQ(ArgumentErrorOf({"--positions", "12x", "a"}), "--positions needs a number from 0 to 1000000, not '12x'");
  EXPECT_EQ(ArgumentErrorOf({"--positions", "1000001", "a"}),
            "--positions needs a number from 0 to 1000000, not '1000001'");
  EXPECT_EQ(ArgumentErrorOf({"--seed", "-1", "a"}), "--seed needs a number from 0 to 18446744073709551615, not '-1'");
  EXPECT_EQ(ArgumentErrorOf({"--shape", "round", "a"}), "--shape needs normal, dense, sparse or shuffled, not 'round'");
  EXPECT_EQ(Parse({"--shape", "sparse", "a"}).options.shape, Shape::kSparse);
}

// ---------------------------------------------------------------------------
// Same seed, same bytes.

TEST(GeneratorDeterminismTest, SameSeedGivesSameBytes) {
  for (bool edge : {false, true}) {
    ScratchFolder first("gen-same"), second("gen-same");
    GenerateEstimate({42, 60, edge}, first.Path());
    GenerateEstimate({42, 60, edge}, second.Path());
    for (const char* name : kTableNames) {
      const std::string file = std::string(name) + ".DBF";
      EXPECT_EQ(FileBytes(first / file), FileBytes(second / file)) << file << (edge ? " (edge)" : "");
    }
  }
}

TEST(GeneratorDeterminismTest, DifferentSeedsGiveDifferentEstimates) {
  ScratchFolder first("gen-seed"), second("gen-seed");
  GenerateEstimate({1, 60, false}, first.Path());
  GenerateEstimate({2, 60, false}, second.Path());
  for (const char* name : {"SMETA", "POSEXT", "RESTBL", "PARAMS"}) {
    const std::string file = std::string(name) + ".DBF";
    EXPECT_NE(FileBytes(first / file), FileBytes(second / file)) << file;
  }
}

TEST(GeneratorDeterminismTest, TooManyPositionsIsAnError) {
  ScratchFolder folder("gen-limit");
  try {
    GenerateEstimate({1, kMaxPositions + 1, false}, folder.Path());
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "the number of positions must be from 0 to 1000000");
  }
}

TEST(GeneratorDeterminismTest, EmptyEstimateHasOnlyItsHeaderRow) {
  ScratchFolder folder("gen-empty");
  GenerateEstimate({3, 0, false}, folder.Path());
  const std::string smeta = FileBytes(folder / "SMETA.DBF");
  EXPECT_EQ(smeta.substr(4, 4), std::string("\x01\0\0\0", 4));
  EXPECT_EQ(FileBytes(folder / "POSEXT.DBF").substr(4, 4), std::string(4, '\0'));
}

// ---------------------------------------------------------------------------
// The tables read back with dbfread: layout and headers.

// Generates one estimate per test suite and reads it back with dbfread.
template <std::uint64_t kSeed, int kPositions, bool kEdge>
class GeneratedEstimateTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new ScratchFolder("gen-tables");
    estimate_ = new std::optional<DumpedEstimate>(GenerateAndDump({kSeed, kPositions, kEdge}, *folder_));
  }
  static void TearDownTestSuite() {
    delete estimate_;
    delete folder_;
  }
  void SetUp() override {
    if (!*estimate_) GTEST_SKIP() << "/usr/bin/python3 with the dbfread module is not installed";
  }
  const DumpedEstimate& Estimate() const { return **estimate_; }
  static const ScratchFolder& Folder() { return *folder_; }

 private:
  static inline ScratchFolder* folder_ = nullptr;
  static inline std::optional<DumpedEstimate>* estimate_ = nullptr;
};

class GeneratedTablesTest : public GeneratedEstimateTest<11, 40, false> {};

struct ExpectedField {
  const char* name;
  char type;
  int length;
  int decimals;
};

const std::map<std::string, std::vector<ExpectedField>> kExpectedLayout = {
    {"SMETA", {{"CODE", 'N', 10, 0}, {"ID", 'N', 2, 0}, {"UDAL", 'N', 1, 0}, {"PRINCODE", 'C', 20, 0},
               {"OSNOV", 'C', 254, 0}, {"ZAK", 'C', 254, 0}, {"POD", 'C', 254, 0}, {"NAME1", 'C', 254, 0},
               {"NOMER", 'C', 10, 0}, {"NAME", 'C', 400, 0}}},
    {"POSTOOLS", {{"POSCODE", 'N', 10, 0}, {"ID", 'N', 2, 0}, {"CODE", 'N', 10, 0}}},
    {"POSEXT", {{"CODE", 'N', 10, 0}, {"TYPESBOR", 'C', 2, 0}, {"REGION", 'C', 2, 0}, {"CODERASC", 'C', 30, 0},
                {"Q", 'N', 15, 6}, {"EJ", 'C', 30, 0}, {"PRIM", 'C', 254, 0}, {"OPRED", 'N', 4, 0},
                {"PZ", 'N', 15, 2}, {"ZP", 'N', 15, 2}, {"EM", 'N', 15, 2}, {"ZM", 'N', 15, 2},
                {"SM", 'N', 15, 2}, {"CURCENA", 'N', 15, 2}, {"CURZPM", 'N', 15, 2}, {"KPZ", 'N', 10, 4},
                {"KZP", 'N', 10, 4}, {"KEM", 'N', 10, 4}, {"KZM", 'N', 10, 4}, {"KSM", 'N', 10, 4}}},
    {"RESTBL", {{"CODE", 'N', 10, 0}, {"RES", 'C', 20, 0}, {"RESNAME", 'C', 254, 0}, {"NORMRAS", 'N', 15, 6},
                {"PRICERES", 'N', 15, 2}, {"PRICMASH", 'N', 15, 2}}},
    {"EXECUTE", {{"CODE", 'N', 10, 0}, {"AKTCODE", 'N', 10, 0}, {"FACT", 'N', 15, 6}}},
    {"ACTS", {{"CODE", 'N', 10, 0}, {"DATE", 'D', 8, 0}}},
    {"PARAMS", {{"ID", 'C', 20, 0}, {"CODE", 'N', 4, 0}, {"PARAM", 'N', 15, 4}}},
};

TEST_F(GeneratedTablesTest, FieldsFollowTheAgreedLayout) {
  for (const auto& [table, expected] : kExpectedLayout) {
    const std::vector<test::DumpedField>& fields = Estimate()[table].fields;
    ASSERT_EQ(fields.size(), expected.size()) << table;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      EXPECT_EQ(fields[i].name, expected[i].name) << table;
      EXPECT_EQ(fields[i].type, expected[i].type) << table << "." << fields[i].name;
      EXPECT_EQ(fields[i].length, expected[i].length) << table << "." << fields[i].name;
      EXPECT_EQ(fields[i].decimals, expected[i].decimals) << table << "." << fields[i].name;
    }
  }
}

TEST_F(GeneratedTablesTest, HeadersMarkDbase3AndCodePage866AndCountTheRecords) {
  const DumpedTable& smeta = Estimate()["SMETA"];
  for (const char* name : kTableNames) {
    const DumpedTable& table = Estimate()[name];
    EXPECT_EQ(table.version, 3) << name;
    EXPECT_EQ(table.languageDriver, 0x65) << name;
    EXPECT_EQ(table.headerRecordCount, static_cast<int>(table.records.size())) << name;
    EXPECT_GT(table.records.size(), 0u) << name;
    EXPECT_EQ(table.year, smeta.year) << name;  // one date of last update for the estimate
    EXPECT_EQ(table.month, smeta.month) << name;
    const std::string bytes = FileBytes(Folder() / (std::string(name) + ".DBF"));
    EXPECT_EQ(bytes.size(), static_cast<std::size_t>(table.headerLength) +
                                table.records.size() * static_cast<std::size_t>(table.recordLength) + 1)
        << name;
    EXPECT_EQ(bytes.back(), '\x1A') << name;
  }
  EXPECT_GE(smeta.year + 1900, 2016);
  EXPECT_LE(smeta.year + 1900, 2024);
}

// ---------------------------------------------------------------------------
// A normal estimate: the two conversion passes cannot tell it apart.

class NormalEstimateTest : public GeneratedEstimateTest<23, 160, false> {
 protected:
  std::vector<long long> PositionCodes() const {
    std::vector<long long> codes;
    for (const DumpedRecord& r : Estimate()["SMETA"].records) {
      if (IntegerOf(Estimate()["SMETA"].Value(r, "ID")) == 3) codes.push_back(*IntegerOf(Estimate()["SMETA"].Value(r, "CODE")));
    }
    return codes;
  }
  // POSTOOLS CODE of each position's link of the given ID, by position code.
  std::map<long long, std::vector<long long>> Links(int id) const {
    std::map<long long, std::vector<long long>> links;
    const DumpedTable& t = Estimate()["POSTOOLS"];
    for (const DumpedRecord& r : t.records) {
      if (IntegerOf(t.Value(r, "ID")) == id) {
        links[*IntegerOf(t.Value(r, "POSCODE"))].push_back(*IntegerOf(t.Value(r, "CODE")));
      }
    }
    return links;
  }
  std::set<long long> LinkCodes(int id) const {
    std::set<long long> codes;
    for (const auto& [position, linked] : Links(id)) codes.insert(linked.begin(), linked.end());
    return codes;
  }
};

TEST_F(NormalEstimateTest, SmetaIsStoredInCodeOrderWithUniquePositiveCodes) {
  std::vector<long long> codes;
  for (const std::string& text : Estimate().Column("SMETA", "CODE")) {
    ASSERT_TRUE(IntegerOf(text)) << "'" << text << "'";
    codes.push_back(*IntegerOf(text));
  }
  EXPECT_GT(codes.front(), 0);
  EXPECT_TRUE(std::adjacent_find(codes.begin(), codes.end(), std::greater_equal<>()) == codes.end());
}

TEST_F(NormalEstimateTest, HeaderFirstThenPathChapterAndChapterRows) {
  const DumpedTable& smeta = Estimate()["SMETA"];
  std::vector<long long> kinds;
  for (const std::string& text : Estimate().Column("SMETA", "ID")) kinds.push_back(IntegerOf(text).value_or(-1));
  ASSERT_GE(kinds.size(), 4u);
  EXPECT_EQ(std::vector<long long>(kinds.begin(), kinds.begin() + 3), (std::vector<long long>{0, 1, 2}));
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 0), 1);
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 3), 160);
  EXPECT_GT(std::count(kinds.begin(), kinds.end(), 1), 1);
  for (long long kind : kinds) EXPECT_TRUE(kind >= 0 && kind <= 3) << kind;
  const DumpedRecord& header = smeta.records[0];
  EXPECT_EQ(Trimmed(smeta.Value(header, "PRINCODE")).rfind("ЛС-", 0), 0u) << smeta.Value(header, "PRINCODE");
  for (const char* field : {"OSNOV", "ZAK", "POD"}) EXPECT_FALSE(Trimmed(smeta.Value(header, field)).empty());
  for (std::size_t i = 1; i < kinds.size(); ++i) {
    const DumpedRecord& row = smeta.records[i];
    if (kinds[i] == 1 || kinds[i] == 2) {
      EXPECT_GT(IntegerOf(smeta.Value(row, "NOMER")).value_or(0), 0);
      EXPECT_FALSE(Trimmed(smeta.Value(row, "NAME1")).empty());
    }
    if (kinds[i] == 3) {
      EXPECT_FALSE(Trimmed(smeta.Value(row, "NAME")).empty());
    }
  }
}

TEST_F(NormalEstimateTest, NoDeletedRecordsAndNoUdalRows) {
  for (const char* name : kTableNames) {
    for (const DumpedRecord& r : Estimate()[name].records) EXPECT_FALSE(r.deleted) << name;
  }
  for (const std::string& udal : Estimate().Column("SMETA", "UDAL")) EXPECT_EQ(IntegerOf(udal), 0);
}

TEST_F(NormalEstimateTest, EveryPositionHasOneResourceLinkAndOneExecutionLink) {
  const auto resourceLinks = Links(0);
  const auto executionLinks = Links(1);
  const std::vector<long long> positions = PositionCodes();
  for (long long code : positions) {
    ASSERT_EQ(resourceLinks.count(code), 1u) << code;
    ASSERT_EQ(resourceLinks.at(code).size(), 1u) << code;
    EXPECT_NE(resourceLinks.at(code)[0], 0) << code;
    ASSERT_EQ(executionLinks.count(code), 1u) << code;
    EXPECT_EQ(executionLinks.at(code).size(), 1u) << code;
  }
  EXPECT_EQ(Estimate()["POSTOOLS"].records.size(), 2 * positions.size());
  EXPECT_EQ(LinkCodes(0).size(), positions.size());  // link codes are unique
  EXPECT_EQ(LinkCodes(1).size(), positions.size());
}

TEST_F(NormalEstimateTest, EveryPositionHasExactlyOnePosextRowAndNoOther) {
  std::vector<long long> posext;
  for (const std::string& code : Estimate().Column("POSEXT", "CODE")) posext.push_back(*IntegerOf(code));
  EXPECT_EQ(posext, PositionCodes());
}

TEST_F(NormalEstimateTest, CodesOfDifferentTablesDoNotMeet) {
  std::set<long long> smeta;
  for (const std::string& code : Estimate().Column("SMETA", "CODE")) smeta.insert(*IntegerOf(code));
  std::set<long long> acts;
  for (const std::string& code : Estimate().Column("ACTS", "CODE")) acts.insert(*IntegerOf(code));
  EXPECT_EQ(acts.size(), Estimate()["ACTS"].records.size());
  const std::array<std::set<long long>, 4> sets = {smeta, LinkCodes(0), LinkCodes(1), acts};
  for (std::size_t a = 0; a < sets.size(); ++a) {
    for (std::size_t b = a + 1; b < sets.size(); ++b) {
      std::vector<long long> common;
      std::set_intersection(sets[a].begin(), sets[a].end(), sets[b].begin(), sets[b].end(), std::back_inserter(common));
      EXPECT_TRUE(common.empty()) << "sets " << a << " and " << b << " share " << common.front();
    }
  }
}

TEST_F(NormalEstimateTest, ResourcesHangOnResourceLinksInMixedKindOrder) {
  const DumpedTable& restbl = Estimate()["RESTBL"];
  const std::set<long long> links = LinkCodes(0);
  std::map<long long, std::vector<std::string>> byLink;
  for (const DumpedRecord& r : restbl.records) {
    const long long code = *IntegerOf(restbl.Value(r, "CODE"));
    EXPECT_EQ(links.count(code), 1u) << code;
    byLink[code].push_back(Trimmed(restbl.Value(r, "RES")));
  }
  bool mixed = false;
  std::size_t several = 0;
  for (const auto& [link, codes] : byLink) {
    several += codes.size() >= 3;
    const auto labour = std::find_if(codes.begin(), codes.end(), [](const std::string& c) { return c.rfind("1-", 0) == 0; });
    mixed = mixed || (labour != codes.end() && labour != codes.begin());
  }
  EXPECT_EQ(byLink.size(), links.size());  // every position has resources
  EXPECT_GT(several, byLink.size() / 4);
  EXPECT_TRUE(mixed) << "no position lists another kind before its labour";
}

TEST_F(NormalEstimateTest, ResourcesOfEveryKindWithTheirCodes) {
  const std::vector<std::string> codes = Estimate().Column("RESTBL", "RES");
  auto any = [&codes](auto predicate) {
    return std::any_of(codes.begin(), codes.end(), [&](const std::string& c) { return predicate(Trimmed(c)); });
  };
  EXPECT_TRUE(any([](const std::string& c) { return c == "1-38" || c == "1-35"; }));
  EXPECT_TRUE(any([](const std::string& c) { return c.rfind("1-", 0) == 0 && c.size() == 3; }));
  EXPECT_TRUE(any([](const std::string& c) { return c == "3"; }));
  EXPECT_TRUE(any([](const std::string& c) { return c.rfind("1-", 0) != 0 && c.find('-') != std::string::npos; }));
  EXPECT_TRUE(any([](const std::string& c) { return c != "3" && c.find('-') == std::string::npos; }));
  const std::vector<std::string> names = Estimate().Column("RESTBL", "RESNAME");
  EXPECT_TRUE(std::any_of(names.begin(), names.end(), [](const std::string& n) {
    return Trimmed(n).ends_with("со средним разрядом 3,8");
  }));
}

TEST_F(NormalEstimateTest, ExecutedRowsHangOnExecutionLinksAndNameExistingActs) {
  const std::set<long long> links = LinkCodes(1);
  std::set<long long> acts;
  for (const std::string& code : Estimate().Column("ACTS", "CODE")) acts.insert(*IntegerOf(code));
  const DumpedTable& execute = Estimate()["EXECUTE"];
  for (const DumpedRecord& r : execute.records) {
    EXPECT_EQ(links.count(*IntegerOf(execute.Value(r, "CODE"))), 1u);
    EXPECT_EQ(acts.count(*IntegerOf(execute.Value(r, "AKTCODE"))), 1u);
    EXPECT_GT(NumberOf(execute.Value(r, "FACT")), 0.0);
  }
  for (const std::string& date : Estimate().Column("ACTS", "DATE")) {
    ASSERT_EQ(date.size(), 8u);
    const int month = std::stoi(date.substr(4, 2)), day = std::stoi(date.substr(6, 2));
    EXPECT_TRUE(month >= 1 && month <= 12 && day >= 1 && day <= 28) << date;
  }
}

TEST_F(NormalEstimateTest, RatesArePositiveOncePerPositionAndCodeUnderPaddedKeys) {
  const DumpedTable& params = Estimate()["PARAMS"];
  const std::vector<long long> positions = PositionCodes();
  std::set<std::pair<std::string, long long>> seen;
  std::set<long long> codes;
  for (const DumpedRecord& r : params.records) {
    const std::string& id = params.Value(r, "ID");
    ASSERT_EQ(id.size(), 20u);
    ASSERT_EQ(id.rfind("3+", 0), 0u) << id;
    const long long position = *IntegerOf(id.substr(2));
    EXPECT_TRUE(std::count(positions.begin(), positions.end(), position)) << id;
    const long long code = *IntegerOf(params.Value(r, "CODE"));
    EXPECT_TRUE(seen.insert({id, code}).second) << id << " " << code;
    codes.insert(code);
    EXPECT_GT(NumberOf(params.Value(r, "PARAM")), 0.0) << id;
  }
  EXPECT_TRUE(codes.count(43) && codes.count(49));
}

// The direct pass looks a rate up in the range of keys that begin with the
// position's key ("3+12" admits "3+120"); it must still find the position's own.
TEST_F(NormalEstimateTest, KeyPrefixRangeFindsEachPositionsOwnRate) {
  const std::vector<long long> positions = PositionCodes();
  ASSERT_TRUE(std::count(positions.begin(), positions.end(), 12));
  ASSERT_TRUE(std::count(positions.begin(), positions.end(), 120) || std::count(positions.begin(), positions.end(), 125));
  const DumpedTable& params = Estimate()["PARAMS"];
  for (long long position : positions) {
    const std::string key = "3+" + std::to_string(position);
    for (long long code : {43, 49}) {
      std::optional<std::string> inRange, own;
      for (const DumpedRecord& r : params.records) {
        const std::string id = Trimmed(params.Value(r, "ID"));
        if (IntegerOf(params.Value(r, "CODE")) != code) continue;
        if (!inRange && id.rfind(key, 0) == 0) inRange = id;
        if (!own && id == key) own = id;
      }
      EXPECT_EQ(inRange, own) << key << " code " << code;
    }
  }
}

TEST_F(NormalEstimateTest, EveryCollectionTypeAndRegionOccurs) {
  std::set<std::string> types, regions;
  for (const std::string& t : Estimate().Column("POSEXT", "TYPESBOR")) types.insert(t);
  for (const std::string& r : Estimate().Column("POSEXT", "REGION")) regions.insert(Trimmed(r));
  EXPECT_EQ(types, (std::set<std::string>{"CN", "CL", "ER", "VR", "CT", "MO"}));
  EXPECT_EQ(regions, (std::set<std::string>{"1", "2", ""}));
}

TEST_F(NormalEstimateTest, TextsHaveNoLeadingBlanksNoControlsAndCommentsAMarker) {
  const std::vector<std::pair<std::string, std::string>> textFields = {
      {"SMETA", "NAME"},     {"SMETA", "NAME1"},  {"SMETA", "PRINCODE"}, {"POSEXT", "CODERASC"},
      {"POSEXT", "EJ"},      {"POSEXT", "PRIM"},  {"RESTBL", "RES"},     {"RESTBL", "RESNAME"}};
  for (const auto& [table, field] : textFields) {
    for (const std::string& text : Estimate().Column(table, field)) {
      const std::string trimmed = Trimmed(text);
      if (trimmed.empty()) continue;
      EXPECT_EQ(text.rfind(trimmed, 0), 0u) << table << "." << field << " '" << text << "'";
      EXPECT_TRUE(std::none_of(text.begin(), text.end(), [](char c) { return c >= 0 && c < 0x20; })) << text;
      EXPECT_EQ(text.find("\u00A0"), std::string::npos) << text;
    }
  }
  std::size_t comments = 0;
  for (const std::string& prim : Estimate().Column("POSEXT", "PRIM")) {
    const std::string note = Trimmed(prim);
    if (note.empty()) continue;
    ++comments;
    EXPECT_TRUE(note[0] == '*' || note[0] == '#' || note[0] == '!') << note;
    EXPECT_GT(note.size(), 3u) << note;
  }
  EXPECT_GT(comments, 0u);
}

TEST_F(NormalEstimateTest, SomePositionsHaveCoefficientsAndOthersNone) {
  const DumpedTable& posext = Estimate()["POSEXT"];
  std::size_t with = 0;
  for (const DumpedRecord& r : posext.records) {
    bool any = false;
    for (const char* k : {"KPZ", "KZP", "KEM", "KZM", "KSM"}) any = any || NumberOf(posext.Value(r, k)) != 0.0;
    with += any;
  }
  EXPECT_GT(with, 0u);
  EXPECT_LT(with, posext.records.size());
}

// The direct pass lists work types sorted, the SQL pass in the order of first
// appearance; written in ascending first appearance, both lists agree.
TEST_F(NormalEstimateTest, WorkTypesFirstAppearInAscendingOrder) {
  std::vector<long long> firstSeen;
  for (const std::string& text : Estimate().Column("POSEXT", "OPRED")) {
    const long long type = *IntegerOf(text);
    if (std::find(firstSeen.begin(), firstSeen.end(), type) == firstSeen.end()) firstSeen.push_back(type);
  }
  EXPECT_GT(firstSeen.size(), 3u);
  EXPECT_TRUE(std::is_sorted(firstSeen.begin(), firstSeen.end()));
}

TEST_F(NormalEstimateTest, PositionNamesUseTheWidthBeyond255) {
  const std::vector<std::string> names = Estimate().Column("SMETA", "NAME");
  EXPECT_TRUE(std::any_of(names.begin(), names.end(), [](const std::string& n) {
    return Utf8ToCp866(Trimmed(n)).size() > 255;
  }));
}

// ---------------------------------------------------------------------------
// An edge estimate: each oddity occurs.

class EdgeEstimateTest : public GeneratedEstimateTest<5, 90, true> {
 protected:
  bool AnyRecord(const std::string& table, bool (*predicate)(const DumpedTable&, const DumpedRecord&)) const {
    const DumpedTable& t = Estimate()[table];
    return std::any_of(t.records.begin(), t.records.end(), [&](const DumpedRecord& r) { return predicate(t, r); });
  }
  bool AnyText(const std::string& table, const char* field, bool (*predicate)(const std::string&)) const {
    const std::vector<std::string> values = Estimate().Column(table, field);
    return std::any_of(values.begin(), values.end(), predicate);
  }
  std::set<long long> SmetaPositionCodes() const {
    std::set<long long> codes;
    const DumpedTable& t = Estimate()["SMETA"];
    for (const DumpedRecord& r : t.records) {
      if (IntegerOf(t.Value(r, "ID")) == 3 && IntegerOf(t.Value(r, "CODE"))) codes.insert(*IntegerOf(t.Value(r, "CODE")));
    }
    return codes;
  }
};

TEST_F(EdgeEstimateTest, DeletedRecords) {
  for (const char* name : {"SMETA", "POSEXT", "RESTBL", "PARAMS", "ACTS"}) {
    EXPECT_TRUE(AnyRecord(name, [](const DumpedTable&, const DumpedRecord& r) { return r.deleted; })) << name;
  }
}

TEST_F(EdgeEstimateTest, UdalRowsAndUnknownRowKinds) {
  EXPECT_TRUE(AnyText("SMETA", "UDAL", [](const std::string& t) { return IntegerOf(t).value_or(0) != 0; }));
  EXPECT_TRUE(AnyText("SMETA", "ID", [](const std::string& t) { return IntegerOf(t) == 7; }));
}

TEST_F(EdgeEstimateTest, DuplicateAndNegativeCodes) {
  std::multiset<long long> codes;
  for (const std::string& text : Estimate().Column("SMETA", "CODE")) {
    if (IntegerOf(text)) codes.insert(*IntegerOf(text));
  }
  EXPECT_TRUE(std::any_of(codes.begin(), codes.end(), [&](long long c) { return codes.count(c) > 1; }));
  EXPECT_LT(*codes.begin(), 0);
  std::multiset<long long> posext;
  for (const std::string& text : Estimate().Column("POSEXT", "CODE")) posext.insert(*IntegerOf(text));
  EXPECT_TRUE(std::any_of(posext.begin(), posext.end(), [&](long long c) { return posext.count(c) > 1; }));
  std::multiset<long long> acts;
  for (const std::string& text : Estimate().Column("ACTS", "CODE")) acts.insert(*IntegerOf(text));
  EXPECT_TRUE(std::any_of(acts.begin(), acts.end(), [&](long long c) { return acts.count(c) > 1; }));
}

TEST_F(EdgeEstimateTest, BlankAndGarbledNumericFields) {
  auto blank = [](const std::string& t) { return Trimmed(t).empty(); };
  EXPECT_TRUE(AnyText("SMETA", "CODE", blank));
  EXPECT_TRUE(AnyText("SMETA", "CODE", [](const std::string& t) { return !Trimmed(t).empty() && !IntegerOf(t); }));
  EXPECT_TRUE(AnyText("SMETA", "UDAL", blank));
  for (const char* field : {"Q", "OPRED", "PZ"}) EXPECT_TRUE(AnyText("POSEXT", field, blank)) << field;
  EXPECT_TRUE(AnyText("RESTBL", "NORMRAS", blank));
  EXPECT_TRUE(AnyText("EXECUTE", "FACT", blank));
  EXPECT_TRUE(AnyText("PARAMS", "PARAM", blank));
  EXPECT_TRUE(AnyText("POSTOOLS", "ID", blank));
}

TEST_F(EdgeEstimateTest, BrokenPositionRows) {
  const DumpedTable& postools = Estimate()["POSTOOLS"];
  std::map<long long, std::set<long long>> linkIds;
  bool zeroCode = false;
  for (const DumpedRecord& r : postools.records) {
    linkIds[*IntegerOf(postools.Value(r, "POSCODE"))].insert(IntegerOf(postools.Value(r, "ID")).value_or(0));
    zeroCode = zeroCode || (IntegerOf(postools.Value(r, "ID")) == 0 && IntegerOf(postools.Value(r, "CODE")) == 0);
  }
  std::set<long long> posext;
  for (const std::string& text : Estimate().Column("POSEXT", "CODE")) posext.insert(*IntegerOf(text));
  const std::set<long long> positions = SmetaPositionCodes();
  EXPECT_TRUE(zeroCode);
  EXPECT_TRUE(std::any_of(positions.begin(), positions.end(), [&](long long c) { return linkIds.count(c) == 0; }));
  EXPECT_TRUE(std::any_of(positions.begin(), positions.end(), [&](long long c) {
    return linkIds.count(c) && linkIds[c] == std::set<long long>{0};
  }));
  EXPECT_TRUE(std::any_of(positions.begin(), positions.end(), [&](long long c) { return posext.count(c) == 0; }));
}

TEST_F(EdgeEstimateTest, UnknownCollectionTypes) {
  EXPECT_TRUE(AnyText("POSEXT", "TYPESBOR", [](const std::string& t) { return t == "ZZ"; }));
  EXPECT_TRUE(AnyText("POSEXT", "TYPESBOR", [](const std::string& t) { return t == "er"; }));
}

TEST_F(EdgeEstimateTest, ZeroAndNegativeRates) {
  EXPECT_TRUE(AnyRecord("PARAMS", [](const DumpedTable& t, const DumpedRecord& r) {
    return IntegerOf(t.Value(r, "CODE")) == 43 && !Trimmed(t.Value(r, "PARAM")).empty() && NumberOf(t.Value(r, "PARAM")) == 0.0;
  }));
  EXPECT_TRUE(AnyRecord("PARAMS", [](const DumpedTable& t, const DumpedRecord& r) {
    return IntegerOf(t.Value(r, "CODE")) == 49 && !Trimmed(t.Value(r, "PARAM")).empty() && NumberOf(t.Value(r, "PARAM")) < 0.0;
  }));
}

TEST_F(EdgeEstimateTest, ExecutedRowWhoseActIsMissing) {
  std::set<long long> acts;
  for (const std::string& code : Estimate().Column("ACTS", "CODE")) acts.insert(*IntegerOf(code));
  const std::vector<std::string> named = Estimate().Column("EXECUTE", "AKTCODE");
  EXPECT_TRUE(std::any_of(named.begin(), named.end(), [&](const std::string& t) { return acts.count(*IntegerOf(t)) == 0; }));
}

TEST_F(EdgeEstimateTest, OddTexts) {
  EXPECT_TRUE(AnyText("SMETA", "NAME", [](const std::string& t) { return t.find("\u00A0") != std::string::npos; }));
  EXPECT_TRUE(AnyText("SMETA", "NAME", [](const std::string& t) { return t.find("\r\n") != std::string::npos; }));
  EXPECT_TRUE(AnyText("SMETA", "NAME", [](const std::string& t) { return t.rfind("  ", 0) == 0 && !Trimmed(t).empty(); }));
  EXPECT_TRUE(AnyText("POSEXT", "EJ", [](const std::string& t) { return t[0] == ' ' && !Trimmed(t).empty(); }));
  EXPECT_TRUE(AnyText("POSEXT", "PRIM", [](const std::string& t) { return t[0] == ' ' && !Trimmed(t).empty(); }));
  EXPECT_TRUE(AnyText("POSEXT", "PRIM", [](const std::string& t) { return Trimmed(t).size() == 1; }));
}

TEST_F(EdgeEstimateTest, RowsOutOfCodeOrderAndAPositionBeforeAnyChapter) {
  const DumpedTable& smeta = Estimate()["SMETA"];
  std::vector<long long> codes;
  for (const std::string& text : Estimate().Column("SMETA", "CODE")) codes.push_back(IntegerOf(text).value_or(0));
  EXPECT_FALSE(std::is_sorted(codes.begin(), codes.end()));
  for (const DumpedRecord& r : smeta.records) {
    const long long kind = IntegerOf(smeta.Value(r, "ID")).value_or(-1);
    if (kind == 1 || kind == 2) FAIL() << "a chapter row comes before the first position";
    if (kind == 3) break;
  }
}

// ---------------------------------------------------------------------------
// The shapes of the benchmark.

TEST(GeneratorShapeTest, DenseAndSparseDifferInRowsPerPositionAndBlanksShuffledOnlyInOrder) {
  std::map<Shape, DumpedEstimate> estimates;
  for (Shape shape : {Shape::kNormal, Shape::kDense, Shape::kSparse, Shape::kShuffled}) {
    ScratchFolder folder("gen-shape");
    auto dumped = GenerateAndDump({7, 120, false, shape}, folder);
    if (!dumped) GTEST_SKIP() << "python3 with dbfread is not installed";
    estimates[shape] = std::move(*dumped);
  }
  auto rows = [&](Shape shape, const char* table) { return estimates[shape][table].records.size(); };
  EXPECT_GT(2 * rows(Shape::kDense, "RESTBL"), 3 * rows(Shape::kNormal, "RESTBL"));
  EXPECT_GT(rows(Shape::kDense, "EXECUTE"), 2 * rows(Shape::kNormal, "EXECUTE"));
  EXPECT_LT(rows(Shape::kSparse, "RESTBL"), rows(Shape::kNormal, "RESTBL") / 2);
  auto blanks = [&](Shape shape, std::string_view field) {
    std::vector<std::string> column = estimates[shape].Column("POSEXT", field);
    return std::count_if(column.begin(), column.end(), [](const std::string& v) { return Trimmed(v).empty(); });
  };
  for (std::string_view field : {"PRIM", "REGION", "KPZ", "EM", "CURZPM"}) {
    EXPECT_EQ(blanks(Shape::kDense, field), 0) << field;
    EXPECT_EQ(blanks(Shape::kSparse, field), static_cast<long>(rows(Shape::kSparse, "POSEXT"))) << field;
  }
  // The same records, each table in another order: no key comes presorted.
  for (const char* table : kTableNames) {
    std::multiset<std::vector<std::string>> normal, shuffled;
    for (const DumpedRecord& r : estimates[Shape::kNormal][table].records) normal.insert(r.values);
    for (const DumpedRecord& r : estimates[Shape::kShuffled][table].records) shuffled.insert(r.values);
    EXPECT_EQ(normal, shuffled) << table;
    if (rows(Shape::kNormal, table) > 20) {
      EXPECT_NE(estimates[Shape::kNormal].Column(table, "CODE"), estimates[Shape::kShuffled].Column(table, "CODE"))
          << table;
    }
  }
}

}  // namespace
}  // namespace ranta2kv::gen
