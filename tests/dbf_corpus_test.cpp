// Tests of the DBF reader on the shared corpus of files written by other DBF
// programs: each file opens (or fails as "not DBF file" for the versions the
// reader does not know) and its C, N, F, L and D values agree with python3-dbfread.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/error.h"
#include "source/dbf/dbf_table.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {

namespace fs = std::filesystem;

// Lists every record of every .dbf under the folder given as argument, as dbfread
// parses the fields of the types C, N, F, L and D. The records are cut from the
// file by header and record length; dBase 7 headers, which dbfread cannot read,
// are parsed here.
constexpr const char* kReferenceScript = R"PY(
import os, sys, types
import dbfread
from dbfread import FieldParser

NOT_DBF = (0x02, 0x32)

def dbase7_fields(data):
    fields, at = [], 68
    while data[at] != 0x0D:
        d = data[at:at + 48]
        fields.append(types.SimpleNamespace(name=d[:32].split(b'\0')[0].decode('latin1'),
                                            type=chr(d[32]), length=d[33], decimal_count=d[34]))
        at += 48
    return fields

def text(value):
    if value is None:
        return 'null'
    if isinstance(value, dbfread.field_parser.InvalidValue):
        return 'invalid'
    if isinstance(value, bool):
        return 'b:%d' % value
    if isinstance(value, int):
        return 'i:%d' % value
    if isinstance(value, float):
        return 'f:' + repr(value)
    if isinstance(value, str):
        return 's:' + value.rstrip(' ').encode('latin1').hex()
    return 'd:' + value.isoformat()

def parse(parser, field, data):
    try:
        return parser.parse(field, data)
    except ValueError:
        return dbfread.field_parser.InvalidValue(data)

def dump(path, name):
    data = open(path, 'rb').read()
    if data[0] in NOT_DBF:
        print('FILE\t%s\tNOTDBF' % name)
        return
    headerlen = int.from_bytes(data[8:10], 'little')
    recordlen = int.from_bytes(data[10:12], 'little')
    if data[0] in (0x04, 0x8C):
        fields = dbase7_fields(data)
    else:
        fields = dbfread.DBF(path, encoding='latin1', ignore_missing_memofile=True).fields
    table = types.SimpleNamespace(header=types.SimpleNamespace(dbversion=data[0]),
                                  encoding='latin1', char_decode_errors='strict')
    parser = FieldParser(table)
    count = max(0, (len(data) - headerlen) // recordlen)
    print('FILE\t%s\t%d' % (name, count))
    for n in range(count):
        record = data[headerlen + n * recordlen: headerlen + (n + 1) * recordlen]
        print('REC\t%d\t%d' % (n + 1, record[0] == 0x2A))
        at = 1
        for i, field in enumerate(fields):
            value = record[at:at + field.length]
            at += field.length
            if field.type in 'CNFLD':
                print('VAL\t%d\t%s' % (i, text(parse(parser, field, value))))

root = sys.argv[1]
for folder, _, files in sorted(os.walk(root)):
    for file in sorted(files):
        if file.lower().endswith('.dbf'):
            path = os.path.join(folder, file)
            dump(path, os.path.relpath(path, root))
)PY";

struct ReferenceRecord {
  bool deleted = false;
  std::map<std::size_t, std::string> values;  // by field position
};

struct ReferenceFile {
  bool notDbf = false;
  std::vector<ReferenceRecord> records;
};

std::string RunReference(const fs::path& corpus) {
  test::ScratchFolder folder("dbf_corpus_test");
  fs::path script = folder / "reference.py";
  std::ofstream(script) << kReferenceScript;
  std::string command = "/usr/bin/python3 '" + script.string() + "' '" + corpus.string() + "' 2>&1";
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    if (pclose(pipe) != 0) ADD_FAILURE() << "reference script failed:\n" << output;
  }
  return output;
}

std::map<std::string, ReferenceFile> ParseReference(const std::string& output) {
  std::map<std::string, ReferenceFile> files;
  ReferenceFile* file = nullptr;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> parts;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '\t');) parts.push_back(cell);
    if (parts.size() != 3) continue;
    if (parts[0] == "FILE") {
      file = &files[parts[1]];
      file->notDbf = parts[2] == "NOTDBF";
    } else if (parts[0] == "REC" && file) {
      file->records.push_back({parts[2] == "1", {}});
    } else if (parts[0] == "VAL" && file && !file->records.empty()) {
      file->records.back().values[std::stoul(parts[1])] = parts[2];
    }
  }
  return files;
}

std::string Hex(std::string_view bytes) {
  static const char* kDigits = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

// Our value in the reference's notation; "null" also stands for what dbfread
// refuses ("invalid"), which the reader reads as null.
std::string OurValue(const DbfField& field, const std::string& expected) {
  DbfFieldValue value = field.Value();
  if (value.IsNull()) {
    // dbfread also takes t, y, Y as true and f, n, N as false; this reader takes
    // only T and F and reads the other letters as null.
    const bool otherLogicalLetter = field.Kind() == DbfValueKind::Boolean && !field.Bytes().empty() &&
                                    std::string_view("tyYfnN").find(field.Bytes()[0]) != std::string_view::npos;
    if (otherLogicalLetter && (expected == "b:1" || expected == "b:0")) return expected;
    return expected == "invalid" ? "invalid" : "null";
  }
  switch (field.Kind()) {
    case DbfValueKind::Text: {
      std::string_view text = value.Text();
      while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
      return "s:" + Hex(text);
    }
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger:
      if (expected.rfind("f:", 0) == 0 && std::strtod(expected.c_str() + 2, nullptr) == value.AsNumber()) return expected;
      return "i:" + std::to_string(*value.Integer());
    case DbfValueKind::Float:
      if (expected.rfind("i:", 0) == 0 && std::strtoll(expected.c_str() + 2, nullptr, 10) == value.AsNumber()) {
        return expected;
      }
      if (expected.rfind("f:", 0) == 0 && std::strtod(expected.c_str() + 2, nullptr) == value.AsNumber()) return expected;
      return "f:" + std::to_string(value.AsNumber());
    case DbfValueKind::Boolean: return value.AsLogical() ? "b:1" : "b:0";
    case DbfValueKind::Date: {
      char text[16];
      std::snprintf(text, sizeof text, "d:%04d-%02d-%02d", value.Date()->year, value.Date()->month, value.Date()->day);
      return text;
    }
    default: return "other";
  }
}

class DbfCorpusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    corpus_ = fs::path(RANTA2KV_SHARED_DIR) / "dbf-corpus";
    if (!fs::is_directory(corpus_)) GTEST_SKIP() << "no DBF corpus at " << corpus_;
    if (std::system("/usr/bin/python3 -c 'import dbfread' >/dev/null 2>&1") != 0) {
      GTEST_SKIP() << "python3-dbfread is not installed";
    }
  }
  fs::path corpus_;
};

void CompareFile(const fs::path& path, const ReferenceFile& reference) {
  DbfTable table("CorpusTable", '.');
  table.SetFileName(path);
  if (reference.notDbf) {
    try {
      table.Open();
      ADD_FAILURE() << "opened";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()), "TQXSmartDBF.InternalOpen: File \"" + path.string() + "\" is not DBF file");
    }
    return;
  }
  table.Open();
  ASSERT_EQ(table.RecordCount(), static_cast<std::int64_t>(reference.records.size()));
  std::size_t n = 0;
  for (table.First(); !table.AtEnd(); table.Next(), ++n) {
    const ReferenceRecord& record = reference.records[n];
    EXPECT_EQ(table.Deleted(), record.deleted) << "record " << n + 1;
    for (const auto& [position, expected] : record.values) {
      const DbfField& field = table.Fields().at(position);
      EXPECT_EQ(OurValue(field, expected), expected) << "record " << n + 1 << " field " << field.Name();
    }
  }
  EXPECT_EQ(n, reference.records.size());
}

TEST_F(DbfCorpusTest, EveryFileReadsAsDbfreadReadsIt) {
  std::map<std::string, ReferenceFile> reference = ParseReference(RunReference(corpus_));
  ASSERT_GE(reference.size(), 20u);
  std::size_t values = 0;
  for (const auto& [name, file] : reference) {
    SCOPED_TRACE(name);
    CompareFile(corpus_ / name, file);
    for (const ReferenceRecord& record : file.records) values += record.values.size();
  }
  EXPECT_GT(values, 10000u);
  EXPECT_TRUE(reference.at("peer-a/dbase_02.dbf").notDbf);
  EXPECT_TRUE(reference.at("peer-a/dbase_32.dbf").notDbf);
}

TEST_F(DbfCorpusTest, MissingMemoFileIsNoError) {
  DbfTable table("CorpusTable", '.');
  table.SetFileName(corpus_ / "peer-a" / "dbase_83_missing_memo.dbf");
  table.Open();
  EXPECT_EQ(table.RecordCount(), 67);
  EXPECT_EQ(table.FieldNamed("DESC").Kind(), DbfValueKind::Memo);
}

TEST_F(DbfCorpusTest, Dbase7FileHasItsFields) {
  DbfTable table("CorpusTable", '.');
  table.SetFileName(corpus_ / "peer-a" / "dbase_8c.dbf");
  table.Open();
  std::vector<std::string> names;
  for (const DbfField& field : table.Fields()) names.push_back(field.Name());
  EXPECT_EQ(names, (std::vector<std::string>{"ID", "NAME", "SPECIES", "LENGTH CM", "DESCRIPTION", "OLE GRAPHIC"}));
  EXPECT_EQ(table.FieldNamed("Name").AsString(), "Clown Triggerfish             ");
  EXPECT_DOUBLE_EQ(table.FieldNamed("length cm").AsNumber(), 100);
}

}  // namespace
}  // namespace ranta2kv
