// The dBase III writer of the generator. Records are assembled in one reusable
// buffer (blank-filled, fields right- or left-aligned as dBase stores them) and
// written to the file in large blocks.
#include "tools/gen/dbf_writer.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "common/error.h"
#include "platform/file_name.h"

namespace ranta2kv::gen {
namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kFlushSize = 1 << 20;
constexpr char kDescriptorEnd = 0x0D;
constexpr char kEndOfFile = 0x1A;

void PutUint16(char* at, std::size_t value) {
  at[0] = static_cast<char>(value & 0xFF);
  at[1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutUint32(char* at, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) at[k] = static_cast<char>((value >> (8 * k)) & 0xFF);
}

std::string PathText(const std::filesystem::path& path) { return PathTo1251(path); }

}  // namespace

DbfWriter::DbfWriter(const std::filesystem::path& file, std::span<const DbfFieldSpec> fields,
                     DbfDate lastUpdate, std::uint8_t languageDriver)
    : path_(file) {
  std::size_t offset = 1;
  for (const DbfFieldSpec& spec : fields) {
    fields_.push_back({offset, spec.width, spec.decimals, spec.type, spec.name});
    offset += spec.width;
  }
  if (offset > 0xFFFF) throw Error("record of " + PathText(file) + " longer than 65535 bytes");
  record_.assign(offset, ' ');
  buffer_.reserve(kFlushSize + offset);
  file_.open(file, std::ios::binary | std::ios::trunc);
  if (!file_) Fail("cannot create");
  WriteHeader(fields, lastUpdate, languageDriver);
}

DbfWriter::~DbfWriter() = default;

void DbfWriter::WriteHeader(std::span<const DbfFieldSpec> fields, DbfDate lastUpdate,
                            std::uint8_t languageDriver) {
  std::string header(kHeaderSize + kDescriptorSize * fields.size() + 1, '\0');
  header[0] = 0x03;
  header[1] = static_cast<char>(lastUpdate.year - 1900);
  header[2] = static_cast<char>(lastUpdate.month);
  header[3] = static_cast<char>(lastUpdate.day);
  PutUint32(&header[4], 0);  // record count, set by Finish
  PutUint16(&header[8], header.size());
  PutUint16(&header[10], record_.size());
  header[29] = static_cast<char>(languageDriver);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    char* descriptor = &header[kHeaderSize + kDescriptorSize * i];
    std::memcpy(descriptor, fields[i].name.data(), std::min<std::size_t>(fields[i].name.size(), 10));
    descriptor[11] = fields[i].type;
    descriptor[16] = static_cast<char>(fields[i].width & 0xFF);
    descriptor[17] = fields[i].type == 'C' ? static_cast<char>(fields[i].width >> 8)
                                           : static_cast<char>(fields[i].decimals);
  }
  header.back() = kDescriptorEnd;
  WriteBytes(header.data(), header.size());
}

void DbfWriter::SetText(std::size_t field, std::string_view bytes) {
  const Field& f = fields_[field];
  if (bytes.empty()) return;  // an empty view may have no data pointer, which memcpy must not get
  std::memcpy(&record_[f.offset], bytes.data(), std::min(bytes.size(), f.width));
}

void DbfWriter::SetRaw(std::size_t field, std::string_view bytes) { SetText(field, bytes); }

void DbfWriter::SetInteger(std::size_t field, std::int64_t value) {
  std::int64_t scaled = value;
  for (int k = 0; k < fields_[field].decimals; ++k) scaled *= 10;
  SetFixed(field, scaled);
}

void DbfWriter::SetFixed(std::size_t field, std::int64_t scaled) {
  const Field& f = fields_[field];
  std::array<char, 48> text{};
  char* end = text.data();
  if (scaled < 0) *end++ = '-';
  const std::uint64_t magnitude = scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled)
                                             : static_cast<std::uint64_t>(scaled);
  std::array<char, 24> digits{};
  const auto [digitsEnd, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), magnitude);
  std::string_view all(digits.data(), static_cast<std::size_t>(digitsEnd - digits.data()));
  const std::size_t decimals = static_cast<std::size_t>(f.decimals);
  if (decimals > 0) {
    // At least one digit before the point: 5 with two decimals is 0.05.
    const std::size_t padded = std::max(all.size(), decimals + 1);
    const std::size_t zeros = padded - all.size();
    std::string_view whole = all.substr(0, all.size() > decimals ? all.size() - decimals : 0);
    end = std::copy(whole.begin(), whole.end(), end);
    if (whole.empty()) *end++ = '0';
    *end++ = '.';
    for (std::size_t k = 0; k + 1 < zeros; ++k) *end++ = '0';
    const std::string_view fraction = all.substr(all.size() - std::min(all.size(), decimals));
    end = std::copy(fraction.begin(), fraction.end(), end);
  } else {
    end = std::copy(all.begin(), all.end(), end);
  }
  PutRightAligned(field, std::string_view(text.data(), static_cast<std::size_t>(end - text.data())));
}

void DbfWriter::PutRightAligned(std::size_t field, std::string_view digits) {
  const Field& f = fields_[field];
  if (digits.size() > f.width) {
    throw Error("value " + std::string(digits) + " does not fit field " + std::string(f.name) +
                " of " + PathText(path_));
  }
  std::memcpy(&record_[f.offset + f.width - digits.size()], digits.data(), digits.size());
}

void DbfWriter::SetDate(std::size_t field, DbfDate date) {
  std::array<char, 9> text{};
  std::snprintf(text.data(), text.size(), "%04d%02d%02d", date.year, date.month, date.day);
  SetText(field, std::string_view(text.data(), 8));
}

void DbfWriter::MarkDeleted() { record_[0] = '*'; }

void DbfWriter::EndRecord() {
  buffer_ += record_;
  ++recordCount_;
  std::memset(record_.data(), ' ', record_.size());
  if (buffer_.size() >= kFlushSize) Flush();
}

void DbfWriter::Finish() {
  buffer_.push_back(kEndOfFile);
  Flush();
  std::array<char, 4> count{};
  PutUint32(count.data(), recordCount_);
  if (!file_.seekp(4)) Fail("cannot write");
  WriteBytes(count.data(), count.size());
  file_.close();
  if (!file_) Fail("cannot write");
}

void DbfWriter::Flush() {
  WriteBytes(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void DbfWriter::WriteBytes(const char* data, std::size_t size) {
  if (size > 0 && !file_.write(data, static_cast<std::streamsize>(size))) Fail("cannot write");
}

void DbfWriter::Fail(std::string_view what) const {
  throw Error(std::string(what) + " " + PathText(path_) + ": " + std::strerror(errno));
}

}  // namespace ranta2kv::gen
