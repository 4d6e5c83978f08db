// The test DBF writer. It writes what it is told, bytes exactly, so that tests of
// the reader can also make files that no DBF program would write.
#include "tests/support/dbf_builder.h"

#include <fstream>
#include <stdexcept>

namespace ranta2kv::test {
namespace {

void PutWord(std::string& bytes, std::size_t at, unsigned value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutLong(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Padded(const std::string& value, const DbfFieldSpec& field) {
  if (value.size() > field.width) {
    throw std::invalid_argument("value '" + value + "' is wider than field " + field.name);
  }
  std::string blanks(field.width - value.size(), ' ');
  bool rightAligned = field.type == 'N' || field.type == 'F';
  return rightAligned ? blanks + value : value + blanks;
}

}  // namespace

DbfBuilder::DbfBuilder(std::uint8_t version) : version_(version) {}

DbfBuilder& DbfBuilder::Field(std::string name, char type, std::uint16_t width, std::uint8_t decimals,
                              std::uint8_t flags) {
  return Field(DbfFieldSpec{std::move(name), type, width, decimals, flags, std::nullopt});
}

DbfBuilder& DbfBuilder::Field(DbfFieldSpec spec) {
  fields_.push_back(std::move(spec));
  return *this;
}

DbfBuilder& DbfBuilder::Record(const std::vector<std::string>& values, bool deleted) {
  if (values.size() != fields_.size()) throw std::invalid_argument("one value per field expected");
  std::string record(1, deleted ? '*' : ' ');
  for (std::size_t i = 0; i < values.size(); ++i) record += Padded(values[i], fields_[i]);
  std::uint16_t length = record_length_.value_or(ComputedRecordLength());
  if (record.size() < length) record.append(length - record.size(), ' ');
  records_.push_back(std::move(record));
  return *this;
}

DbfBuilder& DbfBuilder::RawRecord(std::string bytes) {
  records_.push_back(std::move(bytes));
  return *this;
}

DbfBuilder& DbfBuilder::Tail(std::string bytes) {
  tail_ = std::move(bytes);
  return *this;
}

DbfBuilder& DbfBuilder::HeaderRecordCount(std::uint32_t count) {
  record_count_ = count;
  return *this;
}

DbfBuilder& DbfBuilder::HeaderLength(std::uint16_t length) {
  header_length_ = length;
  return *this;
}

DbfBuilder& DbfBuilder::RecordLength(std::uint16_t length) {
  record_length_ = length;
  return *this;
}

DbfBuilder& DbfBuilder::TableFlags(std::uint8_t flags) {
  table_flags_ = flags;
  return *this;
}

DbfBuilder& DbfBuilder::LanguageDriver(std::uint8_t code) {
  language_driver_ = code;
  return *this;
}

DbfBuilder& DbfBuilder::HeaderPadding(std::size_t bytes) {
  header_padding_ = bytes;
  return *this;
}

DbfBuilder& DbfBuilder::WithoutTerminator() {
  terminator_ = false;
  return *this;
}

std::uint16_t DbfBuilder::ComputedRecordLength() const {
  unsigned length = 1;
  for (const DbfFieldSpec& field : fields_) length += field.width;
  return static_cast<std::uint16_t>(length);
}

std::string DbfBuilder::DescriptorBytes(const DbfFieldSpec& field) const {
  const unsigned width = field.descriptor_width.value_or(field.width);
  const bool wideText = field.type == 'C';
  const unsigned decimalsByte = wideText ? width >> 8 : field.decimals;
  if (IsDbase7()) {
    std::string bytes(48, '\0');
    bytes.replace(0, std::min<std::size_t>(field.name.size(), 32), field.name.substr(0, 32));
    bytes[32] = field.type;
    bytes[33] = static_cast<char>(width & 0xFF);
    bytes[34] = static_cast<char>(decimalsByte);
    return bytes;
  }
  std::string bytes(32, '\0');
  bytes.replace(0, std::min<std::size_t>(field.name.size(), 11), field.name.substr(0, 11));
  bytes[11] = field.type;
  bytes[16] = static_cast<char>(width & 0xFF);
  bytes[17] = static_cast<char>(decimalsByte);
  bytes[18] = static_cast<char>(field.flags);
  return bytes;
}

std::string DbfBuilder::HeaderBytes() const {
  std::string header(IsDbase7() ? 68 : 32, '\0');
  for (const DbfFieldSpec& field : fields_) header += DescriptorBytes(field);
  if (terminator_) header += '\x0D';
  header.append(header_padding_, '\0');
  header[0] = static_cast<char>(version_);
  header[1] = 124;  // 2024-01-15
  header[2] = 1;
  header[3] = 15;
  PutLong(header, 4, record_count_.value_or(static_cast<std::uint32_t>(records_.size())));
  PutWord(header, 8, header_length_.value_or(static_cast<std::uint16_t>(header.size())));
  PutWord(header, 10, record_length_.value_or(ComputedRecordLength()));
  header[28] = static_cast<char>(table_flags_);
  header[29] = static_cast<char>(language_driver_);
  return header;
}

std::string DbfBuilder::Bytes() const {
  std::string bytes = HeaderBytes();
  if (header_length_ && *header_length_ > bytes.size()) bytes.append(*header_length_ - bytes.size(), '\0');
  for (const std::string& record : records_) bytes += record;
  return bytes + tail_;
}

std::filesystem::path DbfBuilder::WriteTo(const std::filesystem::path& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string bytes = Bytes();
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
  return path;
}

}  // namespace ranta2kv::test
