// In-place edits of dBase III tables for tests. The header is trusted: the
// tables edited here come from the generator.
#include "tests/support/dbf_patch.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace ranta2kv::test {

DbfPatch::DbfPatch(std::filesystem::path file) : file_(std::move(file)) {
  std::ifstream in(file_, std::ios::binary);
  bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (bytes_.size() < 33) throw std::runtime_error("no DBF header in " + file_.string());
  auto word = [this](std::size_t at) {
    return static_cast<unsigned char>(bytes_[at]) | static_cast<unsigned char>(bytes_[at + 1]) << 8;
  };
  header_length_ = word(8);
  record_length_ = word(10);
  std::size_t offset = 1;
  for (std::size_t at = 32; at + 32 <= bytes_.size() && bytes_[at] != 0x0D; at += 32) {
    Field field;
    field.name = std::string(bytes_.data() + at, 11).c_str();
    field.type = bytes_[at + 11];
    field.width = static_cast<unsigned char>(bytes_[at + 16]);
    if (field.type == 'C') field.width |= static_cast<std::size_t>(static_cast<unsigned char>(bytes_[at + 17])) << 8;
    field.offset = offset;
    offset += field.width;
    fields_.push_back(field);
  }
}

std::size_t DbfPatch::RecordCount() const {
  return bytes_.size() < header_length_ ? 0 : (bytes_.size() - header_length_) / record_length_;
}

const DbfPatch::Field& DbfPatch::FieldNamed(std::string_view name) const {
  for (const Field& field : fields_) {
    if (field.name == name) return field;
  }
  throw std::runtime_error("no field " + std::string(name) + " in " + file_.string());
}

std::size_t DbfPatch::RecordStart(std::size_t record) const {
  if (record < 1 || record > RecordCount()) throw std::runtime_error("no record " + std::to_string(record));
  return header_length_ + (record - 1) * record_length_;
}

std::string DbfPatch::Get(std::size_t record, std::string_view field) const {
  const Field& f = FieldNamed(field);
  return bytes_.substr(RecordStart(record) + f.offset, f.width);
}

void DbfPatch::Set(std::size_t record, std::string_view field, std::string_view bytes) {
  const Field& f = FieldNamed(field);
  std::string value(bytes.substr(0, f.width));
  value.resize(f.width, ' ');
  bytes_.replace(RecordStart(record) + f.offset, f.width, value);
}

void DbfPatch::Save() const {
  std::ofstream out(file_, std::ios::binary | std::ios::trunc);
  out.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
  if (!out) throw std::runtime_error("cannot write " + file_.string());
}

}  // namespace ranta2kv::test
