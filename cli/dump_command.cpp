// ranta2kv-cli dump: every record of each named table as tab-separated UTF-8 text,
// in file order, in a form that does not depend on the locale. Output goes through
// one large buffer; a field's bytes are decoded through a per-byte table.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "common/codepage.h"
#include "common/number_text.h"
#include "platform/console.h"
#include "platform/file_name.h"
#include "source/dbf/dbf_table.h"

namespace ranta2kv::cli {
namespace {

// The UTF-8 text of each byte of a code page, with TAB, CR, LF and backslash
// written as \t, \r, \n and \\.
class ByteDecoder {
 public:
  explicit ByteDecoder(bool cp1251) {
    for (int b = 0; b < 256; ++b) {
      std::string text(1, static_cast<char>(b));
      switch (b) {
        case '\t': text = "\\t"; break;
        case '\r': text = "\\r"; break;
        case '\n': text = "\\n"; break;
        case '\\': text = "\\\\"; break;
        default: text = cp1251 ? Cp1251ToUtf8(text) : Cp866ToUtf8(text); break;
      }
      Entry& entry = entries_[b];
      entry.length = static_cast<std::uint8_t>(std::min<std::size_t>(text.size(), sizeof entry.bytes));
      std::memcpy(entry.bytes, text.data(), entry.length);
    }
  }

  static constexpr std::size_t kMaxBytesPerByte = 4;

  // Writes the decoded text up to the first NUL to out, which has room for
  // kMaxBytesPerByte per byte. Plain ASCII goes eight bytes at a time, and the
  // trailing blanks of a padded field at once.
  char* Decode(std::string_view bytes, char* out) const {
    std::string_view text = DbfText(bytes);
    std::size_t end = text.size();
    while (end >= 8 && Word(text.data() + end - 8) == kBlanks) end -= 8;
    while (end > 0 && text[end - 1] == ' ') --end;
    for (std::size_t i = 0; i < end;) {
      if (i + 8 <= end && IsPlainAscii(Word(text.data() + i))) {
        std::memcpy(out, text.data() + i, 8);
        out += 8;
        i += 8;
        continue;
      }
      const Entry& entry = entries_[static_cast<unsigned char>(text[i++])];
      std::memcpy(out, entry.bytes, kMaxBytesPerByte);
      out += entry.length;
    }
    std::memset(out, ' ', text.size() - end);
    return out + (text.size() - end);
  }

 private:
  static constexpr std::uint64_t kOnes = 0x0101010101010101;
  static constexpr std::uint64_t kHighBits = 0x8080808080808080;
  static constexpr std::uint64_t kBlanks = kOnes * ' ';

  static std::uint64_t Word(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, 8);
    return word;
  }
  // Every byte between 0x20 and 0x7E and none a backslash: the bytes that both
  // code pages keep as they are and that need no escape.
  static bool IsPlainAscii(std::uint64_t word) {
    std::uint64_t backslashes = word ^ (kOnes * '\\');
    bool hasBackslash = ((backslashes - kOnes) & ~backslashes & kHighBits) != 0;
    return ((word | (word - kOnes * 0x20) | (word + kOnes)) & kHighBits) == 0 && !hasBackslash;
  }

  struct Entry {
    char bytes[kMaxBytesPerByte] = {};
    std::uint8_t length = 0;
  };
  std::array<Entry, 256> entries_;
};

// Standard output in large chunks.
class Output {
 public:
  static constexpr std::size_t kChunk = 1 << 20;

  Output() : buffer_(std::make_unique<char[]>(kChunk + kMaxReserve)) {}
  ~Output() { Flush(); }

  // Room for n more bytes at the returned position; Advance tells what was used.
  char* Reserve(std::size_t n) {
    if (used_ + n > kChunk + kMaxReserve) Flush();
    if (n > kMaxReserve) Grow(n);
    return buffer_.get() + used_;
  }
  void Advance(char* end) {
    used_ = static_cast<std::size_t>(end - buffer_.get());
    if (used_ >= kChunk) Flush();
  }
  void Write(std::string_view text) { Advance(Copy(text, Reserve(text.size()))); }

  void Flush() {
    if (used_ > 0 && !WriteText(StandardStream::Output, std::string_view(buffer_.get(), used_))) failed_ = true;
    used_ = 0;
  }
  bool Failed() { return !FlushStream(StandardStream::Output) || failed_; }

 private:
  static constexpr std::size_t kMaxReserve = 1 << 20;
  static char* Copy(std::string_view text, char* out) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
  }
  void Grow(std::size_t n) {
    Flush();
    buffer_ = std::make_unique<char[]>(kChunk + n);
  }

  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

char* WriteInteger(std::int64_t value, char* out) { return std::to_chars(out, out + 24, value).ptr; }

char* WriteTwoDigits(int value, char* out) {
  *out++ = static_cast<char>('0' + value / 10 % 10);
  *out++ = static_cast<char>('0' + value % 10);
  return out;
}

// YYYY-MM-DD (the reader's dates lie in the years 1 to 9999).
char* WriteDate(const DbfDate& date, char* out) {
  out = WriteTwoDigits(date.year / 100, out);
  out = WriteTwoDigits(date.year % 100, out);
  *out++ = '-';
  out = WriteTwoDigits(date.month, out);
  *out++ = '-';
  return WriteTwoDigits(date.day, out);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The general 15-digit text of a float field written as plain decimal digits
// (blanks, a sign, digits with at most one point, blanks) of at most 15
// significant digits and not below 1E-4, taken straight from the digits: such a
// decimal comes back unchanged from a double rounded to 15 digits. nullptr for
// any other text, which takes the way through the number.
char* WritePlainDecimal(std::string_view bytes, char* out) {
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  while (i < n && bytes[i] == ' ') ++i;
  bool negative = i < n && bytes[i] == '-';
  if (i < n && (bytes[i] == '-' || bytes[i] == '+')) ++i;
  std::size_t intStart = i;
  while (i < n && IsDigit(bytes[i])) ++i;
  std::size_t intEnd = i;
  std::size_t fracStart = i;
  if (i < n && bytes[i] == '.') fracStart = ++i;
  while (i < n && IsDigit(bytes[i])) ++i;
  std::size_t fracEnd = i;
  while (i < n && bytes[i] == ' ') ++i;
  if (i != n || (intEnd == intStart && fracEnd <= fracStart)) return nullptr;
  while (intStart < intEnd && bytes[intStart] == '0') ++intStart;
  while (fracEnd > fracStart && bytes[fracEnd - 1] == '0') --fracEnd;
  std::size_t leadingZeros = 0;
  if (intStart == intEnd) {
    while (fracStart + leadingZeros < fracEnd && bytes[fracStart + leadingZeros] == '0') ++leadingZeros;
  }
  std::size_t significant = (intEnd - intStart) + (fracEnd - fracStart) - leadingZeros;
  if (significant > 15 || leadingZeros > 3) return nullptr;
  if (significant == 0) {
    *out++ = '0';
    return out;
  }
  if (negative) *out++ = '-';
  if (intStart == intEnd) *out++ = '0';
  std::memcpy(out, bytes.data() + intStart, intEnd - intStart);
  out += intEnd - intStart;
  if (fracEnd > fracStart) {
    *out++ = '.';
    std::memcpy(out, bytes.data() + fracStart, fracEnd - fracStart);
    out += fracEnd - fracStart;
  }
  return out;
}

char* WriteFloat(const DbfFieldValue& value, char* out) {
  if (!value.NullFlag()) {
    if (char* end = WritePlainDecimal(value.Bytes(), out)) return end;
  }
  if (auto number = value.Number()) out += FormatGeneralNumberTo(*number, '.', out);
  return out;
}

char* WriteValue(const DbfFieldValue& value, const ByteDecoder& decoder, char* out) {
  switch (value.Kind()) {
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger:
      if (auto integer = value.Integer()) out = WriteInteger(*integer, out);
      return out;
    case DbfValueKind::Float: return WriteFloat(value, out);
    case DbfValueKind::Boolean:
      if (auto logical = value.Logical()) *out++ = *logical ? 'T' : 'F';
      return out;
    case DbfValueKind::Date:
      if (auto date = value.Date()) out = WriteDate(*date, out);
      return out;
    case DbfValueKind::Text: return value.NullFlag() ? out : decoder.Decode(value.Bytes(), out);
    default: return out;  // memo and the types the reader does not read
  }
}

// The longest text one field can give.
std::size_t MaxFieldText(const DbfField& field) {
  return field.Width() * ByteDecoder::kMaxBytesPerByte + kMaxGeneralNumberLength + 32;
}

void DumpHeader(const DbfTable& table, const ByteDecoder& decoder, Output& out) {
  out.Write("#RECNO\t#DEL");
  for (const DbfField& field : table.Fields()) {
    char* at = out.Reserve(1 + field.Name().size() * ByteDecoder::kMaxBytesPerByte);
    *at++ = '\t';
    out.Advance(decoder.Decode(field.Name(), at));
  }
  out.Write("\n");
}

void DumpRecords(DbfTable& table, const ByteDecoder& decoder, Output& out) {
  std::size_t recordText = 64;
  for (const DbfField& field : table.Fields()) recordText += 1 + MaxFieldText(field);
  for (table.First(); !table.AtEnd(); table.Next()) {
    char* at = out.Reserve(recordText);
    at = WriteInteger(table.RecordNumber(), at);
    *at++ = '\t';
    *at++ = table.Deleted() ? '*' : ' ';
    for (const DbfField& field : table.Fields()) {
      *at++ = '\t';
      at = WriteValue(field.Value(), decoder, at);
    }
    *at++ = '\n';
    out.Advance(at);
  }
}

struct DumpArguments {
  bool cp1251 = false;
  std::vector<std::string> files;
};

bool ParseEncoding(const std::string& name, DumpArguments& parsed) {
  if (name != "cp866" && name != "cp1251") return false;
  parsed.cp1251 = name == "cp1251";
  return true;
}

// The reason the arguments are refused, or nothing when they are taken.
std::optional<std::string> ParseArguments(const std::vector<std::string>& args, DumpArguments& parsed) {
  constexpr char kEncodingTakes[] = "--encoding takes cp866 or cp1251";
  bool options = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && arg == "--encoding") {
      if (++i == args.size()) return std::string(kEncodingTakes) + ", and none is given";
      if (!ParseEncoding(args[i], parsed)) return std::string(kEncodingTakes) + ", not '" + args[i] + "'";
    } else if (options && arg.rfind("--encoding=", 0) == 0) {
      if (!ParseEncoding(arg.substr(11), parsed)) return std::string(kEncodingTakes) + ", not '" + arg.substr(11) + "'";
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      return "dump has no option '" + arg + "'";
    } else {
      parsed.files.push_back(arg);
    }
  }
  if (parsed.files.empty()) return std::string("dump takes the FILE.DBF to show, and none is given");
  return std::nullopt;
}

}  // namespace

int RunDump(const std::vector<std::string>& args) {
  const auto options = std::find(args.begin(), args.end(), "--");  // after it, names only
  if (std::find(args.begin(), options, "--help") != options || std::find(args.begin(), options, "-h") != options) {
    PrintUsage(false);
    return 0;
  }
  DumpArguments parsed;
  if (std::optional<std::string> refused = ParseArguments(args, parsed)) return RefuseArguments(*refused);
  const ByteDecoder decoder(parsed.cp1251);
  Output out;
  int status = 0;
  for (const std::string& file : parsed.files) {
    try {
      DbfTable table("DumpTable", '.');
      table.SetFileName(PathFromUtf8(file));
      table.Open();
      if (std::optional<std::string> damage = table.Damage()) {
        // The records it has are shown all the same: they are what is left.
        // Its lines in one: "...поврежден: записей ..., в файле ..., в конце ...".
        std::string text = Cp1251ToUtf8(*damage);
        for (std::size_t at; (at = text.find('\n')) != std::string::npos;)
          text.replace(at, 1, at > 0 && text[at - 1] == ':' ? " " : ", ");
        out.Flush();
        FlushStream(StandardStream::Output);
        WriteText(StandardStream::Error, "ranta2kv-cli: warning: " + file + ": " + text + "\n");
        FlushStream(StandardStream::Error);
      }
      DumpHeader(table, decoder, out);
      DumpRecords(table, decoder, out);
    } catch (const std::exception& error) {
      out.Flush();
      FlushStream(StandardStream::Output);
      WriteText(StandardStream::Error, "ranta2kv-cli: " + Cp1251ToUtf8(error.what()) + "\n");
      FlushStream(StandardStream::Error);
      status = 2;
    }
  }
  out.Flush();
  if (out.Failed()) {
    WriteText(StandardStream::Error, "ranta2kv-cli: cannot write the output\n");
    return 2;
  }
  return status;
}

}  // namespace ranta2kv::cli
