// Tests of ranta2kv-cli dump: the text of each value kind, code pages and escapes,
// agreement with a table written by python3-dbf, and errors with exit status 2.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/number_text.h"
#include "source/dbf/dbf_value.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {

namespace fs = std::filesystem;
using test::DbfBuilder;
using test::ReadFileBytes;
using test::ScratchFolder;

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class DumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(cli_)) GTEST_SKIP() << "build ranta2kv-cli first: " << cli_;
  }

  CliResult Run(const std::vector<std::string>& args) {
    std::string command = Quote(cli_.string()) + " dump";
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " >" + Quote((folder_ / "out").string()) + " 2>" + Quote((folder_ / "err").string());
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(folder_ / "out"), ReadFileBytes(folder_ / "err")};
  }

  fs::path cli_ = fs::path(RANTA2KV_BIN_DIR) / "ranta2kv-cli";
  ScratchFolder folder_{"dump_test"};
};

TEST_F(DumpTest, EachKindHasItsText) {
  DbfBuilder builder;
  builder.Field("NAME", 'C', 5).Field("Q", 'N', 4).Field("BIG", 'N', 12).Field("P", 'N', 12, 3);
  builder.Field("L", 'L', 1).Field("D", 'D', 8).Field("M", 'M', 10);
  builder.Record({"ab", "-12", "12345678901", "1234.500", "T", "20040229", "        17"});
  builder.Record({"", "", "", "", "?", "20030229", ""}, true);
  builder.Record({"x", "0", "0", "0.000001", "F", "00010101", ""});
  fs::path file = builder.WriteTo(folder_ / "T.DBF");
  CliResult result = Run({file.string()});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "#RECNO\t#DEL\tNAME\tQ\tBIG\tP\tL\tD\tM\n"
            "1\t \tab   \t-12\t12345678901\t1234.5\tT\t2004-02-29\t\n"
            "2\t*\t     \t\t\t\t\t\t\n"
            "3\t \tx    \t0\t0\t1E-6\tF\t0001-01-01\t\n");
}

TEST_F(DumpTest, TextIsDecodedAndEscaped) {
  DbfBuilder builder;
  builder.Field("NAME", 'C', 8).RawRecord(std::string(" \x91\xAC\xA5\xE2\xA0\t\\\n", 9));
  builder.RawRecord(std::string(" \xD1\xEC\r\0zzzz", 9));
  fs::path file = builder.WriteTo(folder_ / "T.DBF");
  CliResult oem = Run({file.string()});
  EXPECT_EQ(oem.out, "#RECNO\t#DEL\tNAME\n1\t \tСмета\\t\\\\\\n\n2\t \t╤ь\\r\n");
  CliResult ansi = Run({"--encoding", "cp1251", file.string()});
  EXPECT_EQ(ansi.out.substr(ansi.out.find("2\t")), "2\t \tСм\\r\n");
  EXPECT_EQ(Run({"--encoding=cp1251", file.string()}).out, ansi.out);
}

// Field texts of every shape a float field may hold, with their expected text
// computed through the reader's number and the general 15-digit form.
std::vector<std::string> FloatTexts(std::size_t width) {
  std::mt19937 random(11);
  const std::string alphabet = "0000123456789  ..-+eE";
  std::vector<std::string> texts = {"", "0", "-0.000", "+.5", "1.", ".", "-", "1e5", "0.0001", "0.00001",
                                    "999999999999999", "9999999999999999", "1234567890.12345", "-0.00012345",
                                    "123456789012345.6", "0000000000000.1", "1.2.3", "1 2"};
  while (texts.size() < 4000) {
    std::string text;
    std::size_t length = random() % (width + 1);
    for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    texts.push_back(text);
  }
  for (std::size_t i = 0; i < 2000; ++i) {
    char text[64];
    double value = std::ldexp(static_cast<double>(random()) - 2147483648.0, static_cast<int>(random() % 60) - 40);
    std::snprintf(text, sizeof text, "%.*f", static_cast<int>(random() % 8), value);
    if (std::strlen(text) <= width) texts.push_back(text);
  }
  for (std::string& text : texts) {
    std::size_t pad = width - text.size();
    text = random() % 2 ? std::string(pad, ' ') + text : text + std::string(pad, ' ');
  }
  return texts;
}

TEST_F(DumpTest, FloatTextIsTheGeneralFormOfTheNumber) {
  const std::size_t width = 20;
  DbfBuilder builder;
  builder.Field("F", 'N', static_cast<std::uint16_t>(width), 4);
  std::string expected = "#RECNO\t#DEL\tF\n";
  int n = 0;
  for (const std::string& text : FloatTexts(width)) {
    builder.RawRecord(" " + text);
    auto number = ParseDbfFloat(text);
    expected += std::to_string(++n) + "\t \t" + (number ? FormatGeneralNumber(*number, '.') : "") + "\n";
  }
  CliResult result = Run({builder.WriteTo(folder_ / "F.DBF").string()});
  EXPECT_EQ(result.out, expected);
}

// The dump's text of a field's bytes: up to the first NUL, decoded byte by byte,
// with TAB, CR, LF and backslash escaped.
std::string ExpectedText(const std::string& bytes) {
  std::string text;
  for (char c : bytes) {
    if (c == '\0') break;
    switch (c) {
      case '\t': text += "\\t"; break;
      case '\r': text += "\\r"; break;
      case '\n': text += "\\n"; break;
      case '\\': text += "\\\\"; break;
      default: text += Cp866ToUtf8(std::string(1, c));
    }
  }
  return text;
}

TEST_F(DumpTest, TextOfAnyBytesIsDecodedByteByByte) {
  std::mt19937 random(5);
  const std::string common = "abcdefghijklmnopqrstuvwxyz0123456789 ";
  const std::string rare = std::string("\\\t\r\n\x7F\x80\xA0\xE0\xFF\x01\x1F ", 12) + '\0';
  DbfBuilder builder;
  builder.Field("T", 'C', 37);
  std::string expected = "#RECNO\t#DEL\tT\n";
  for (int n = 1; n <= 3000; ++n) {
    std::string bytes;
    for (int i = 0; i < 37; ++i) {
      bool plain = random() % 100 < 90;
      bytes += plain ? common[random() % common.size()] : rare[random() % rare.size()];
    }
    if (n % 3 == 0) bytes.resize(random() % 37);  // blank-padded
    bytes.resize(37, ' ');
    builder.RawRecord(" " + bytes);
    expected += std::to_string(n) + "\t \t" + ExpectedText(bytes) + "\n";
  }
  EXPECT_EQ(Run({builder.WriteTo(folder_ / "T.DBF").string()}).out, expected);
}

TEST_F(DumpTest, SeveralFilesFollowEachOther) {
  DbfBuilder a;
  a.Field("A", 'N', 2).Record({"1"});
  DbfBuilder b;
  b.Field("B", 'C', 1).Record({"z"}).Record({"y"});
  CliResult result = Run({a.WriteTo(folder_ / "A.DBF").string(), b.WriteTo(folder_ / "B.DBF").string()});
  EXPECT_EQ(result.out, "#RECNO\t#DEL\tA\n1\t \t1\n#RECNO\t#DEL\tB\n1\t \tz\n2\t \ty\n");
}

TEST_F(DumpTest, LargeTableIsWholeAndInFileOrder) {
  DbfBuilder builder;
  builder.Field("N", 'N', 7).Field("T", 'C', 200);
  for (int i = 1; i <= 20000; ++i) builder.Record({std::to_string(i), "t" + std::to_string(i)});
  CliResult result = Run({builder.WriteTo(folder_ / "T.DBF").string()});
  std::istringstream lines(result.out);
  std::string line;
  std::getline(lines, line);
  int n = 0;
  while (std::getline(lines, line)) {
    ++n;
    std::string text = "t" + std::to_string(n);
    ASSERT_EQ(line, std::to_string(n) + "\t \t" + std::to_string(n) + "\t" + text + std::string(200 - text.size(), ' '));
  }
  EXPECT_EQ(n, 20000);
}

// A table cut short is shown as far as it goes, with a warning that counts.
TEST_F(DumpTest, TableShorterThanItsHeaderSaysIsShownWithAWarning) {
  DbfBuilder builder;
  builder.Field("A", 'N', 2).Record({"1"}).Record({"2"}).Record({"3"});
  const fs::path file = builder.WriteTo(folder_ / "A.DBF");
  std::string bytes = ReadFileBytes(file);
  bytes.resize(bytes.size() - 2);  // into the last record
  test::WriteFileBytes(file, bytes);
  CliResult result = Run({file.string()});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "#RECNO\t#DEL\tA\n1\t \t1\n2\t \t2\n");
  EXPECT_EQ(result.err, "ranta2kv-cli: warning: " + file.string() +
                            ": Файл A.DBF поврежден: записей в заголовке 3, в файле 2, в конце файла обрывок записи\n");
}

TEST_F(DumpTest, ErrorsGoToStandardErrorWithStatus2) {
  std::string missing = (folder_ / "NONE.DBF").string();
  DbfBuilder good;
  good.Field("A", 'N', 2).Record({"1"});
  CliResult result = Run({missing, good.WriteTo(folder_ / "A.DBF").string()});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "ranta2kv-cli: TQXSmartDBF.InternalOpen: Open error \"" + missing + "\"\n");
  EXPECT_EQ(result.out, "#RECNO\t#DEL\tA\n1\t \t1\n");
  DbfBuilder old(0x02);
  std::string notDbf = old.WriteTo(folder_ / "OLD.DBF").string();
  EXPECT_EQ(Run({notDbf}).err, "ranta2kv-cli: TQXSmartDBF.InternalOpen: File \"" + notDbf + "\" is not DBF file\n");
}

TEST_F(DumpTest, BadArgumentsSayWhy) {
  const std::pair<std::vector<std::string>, std::string> kRefused[] = {
      {{}, "dump takes the FILE.DBF to show, and none is given"},
      {{"--encoding", "koi8", "A.DBF"}, "--encoding takes cp866 or cp1251, not 'koi8'"},
      {{"--encoding"}, "--encoding takes cp866 or cp1251, and none is given"},
      {{"--fast", "A.DBF"}, "dump has no option '--fast'"}};
  for (const auto& [args, reason] : kRefused) {
    CliResult result = Run(args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "ranta2kv-cli: " + reason + "; see ranta2kv-cli --help\n");
    EXPECT_EQ(result.out, "");
  }
}

// Writes a table with python3-dbf and prints what the dump of it must be.
constexpr const char* kPythonDbfScript = R"PY(
import sys, datetime, dbf
path = sys.argv[1]
rows = [
    ('Смета\tx\\y', 12, -12345678901, 1234.5, True, datetime.date(2004, 2, 29)),
    ('', None, None, None, None, None),
    ('ab', -7, 0, -0.125, False, datetime.date(1999, 12, 31)),
    ('Ёлка №5', 99999, 999999999999, 0.001, True, datetime.date(1, 1, 1)),
]
table = dbf.Table(path, 'name C(12); qty N(5,0); big N(12,0); price N(12,3); flag L; day D',
                  codepage='cp866', dbf_type='db3')
table.open(dbf.READ_WRITE)
for row in rows:
    table.append(row)
dbf.delete(table[2])
table.close()

def text(value, width):
    if value is None:
        return ''
    if isinstance(value, bool):
        return 'T' if value else 'F'
    if isinstance(value, str):
        return value.ljust(width).replace('\\', '\\\\').replace('\t', '\\t')
    if isinstance(value, float):
        return format(value, '.15g')
    if isinstance(value, int):
        return str(value)
    return value.isoformat().rjust(10, '0')

out = ['#RECNO\t#DEL\tNAME\tQTY\tBIG\tPRICE\tFLAG\tDAY']
for n, row in enumerate(rows, 1):
    cells = [str(n), '*' if n == 3 else ' '] + [text(v, 12) for v in row]
    out.append('\t'.join(cells))
sys.stdout.write('\n'.join(out) + '\n')
)PY";

TEST_F(DumpTest, AgreesWithATableWrittenByPythonDbf) {
  if (std::system("/usr/bin/python3 -c 'import dbf' >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "python3-dbf is not installed";
  }
  fs::path script = folder_ / "write.py";
  std::ofstream(script) << kPythonDbfScript;
  fs::path table = folder_ / "PY.DBF";
  std::string command = "/usr/bin/python3 " + Quote(script.string()) + " " + Quote(table.string()) + " >" +
                        Quote((folder_ / "expected").string());
  ASSERT_EQ(std::system(command.c_str()), 0);
  CliResult result = Run({table.string()});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, ReadFileBytes(folder_ / "expected"));
}

}  // namespace
}  // namespace ranta2kv
