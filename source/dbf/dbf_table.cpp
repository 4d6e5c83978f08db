// The DbfTable's life and cursor: Open takes the file exclusively and reads its
// header, the cursor walks whole records in file order or in the order of the key
// index (within its range), and Close releases the file but keeps the index.
#include "source/dbf/dbf_table.h"

#include <system_error>

#include "common/codepage.h"
#include "common/error.h"
#include "platform/file_name.h"
#include "platform/file_status.h"
#include "source/dbf/dbf_table_impl.h"

namespace ranta2kv {
namespace {

bool IsVisualFoxPro(const DbfHeader& header) { return header.variant.visual_foxpro; }

constexpr char kEndOfFile = 0x1A;  // the byte some writers put after the last record

}  // namespace

DbfTable::DbfTable(std::string name, char decimalSeparator)
    : impl_(std::make_unique<Impl>()), name_(std::move(name)), decimal_separator_(decimalSeparator) {}

DbfTable::~DbfTable() = default;

void DbfTable::SetFileName(std::filesystem::path fileName) {
  if (impl_->open) throw Error(name_ + ": Cannot perform this operation on an open dataset");
  file_name_ = std::move(fileName);
}

bool DbfTable::Active() const { return impl_->open; }

void DbfTable::Open() {
  if (impl_->open) return;
  Impl& impl = *impl_;
  const std::string fileText = PathTo1251(file_name_);
  // A table whose records are not in the order of its index is looked up all over
  // the file, record by record.
  const bool atRandom = looked_up_at_random_ || (impl.index && !impl.index->InRecordOrder());
  if (!impl.file.Open(file_name_, faults_, atRandom)) {
    // The file that the index was built from, or that the run began with, is gone.
    if ((impl.index || impl.expected_stamp) && StatusOf(file_name_).kind == FileKind::None) {
      throw TableChangedError(file_name_);
    }
    throw Error("TQXSmartDBF.InternalOpen: Open error \"" + fileText + "\"");
  }
  try {
    impl.header = ReadDbfHeader(impl.file.Head(), fileText);
    // An index built from another version of the file would find wrong records,
    // and a file changed since the run began would not go with the other tables.
    if ((impl.index && impl.index_stamp != impl.file.Stamp()) ||
        (impl.expected_stamp && *impl.expected_stamp != impl.file.Stamp())) {
      impl.file.ThrowChanged();
    }
  } catch (...) {
    impl.file.Close();
    throw;
  }
  BuildFields();
  const std::uint64_t size = impl.file.Size();
  const std::uint64_t start = impl.header.header_length;
  impl.record_count = size <= start ? 0 : static_cast<std::int64_t>((size - start) / impl.header.record_length);
  impl.partial_record = false;
  if (size > start) {
    const std::uint64_t rest = (size - start) % impl.header.record_length;
    char last = 0;
    if (rest == 1) impl.file.ReadAt(size - 1, &last, 1);
    impl.partial_record = rest > 1 || (rest == 1 && last != kEndOfFile);
  }
  impl.open = true;
  if (whole_records_required_) {
    if (std::optional<std::string> damage = Damage()) {
      Close();
      throw SourceFileError(*damage);
    }
  }
  impl.touched = 0;
  impl.file_order.emplace(impl.FileOrderBlock());
  impl.at_random.emplace(impl.RandomBlocks());
  First();
}

void DbfTable::SetFileFaults(FileFaults* faults) { faults_ = faults; }

void DbfTable::ExpectFile(std::optional<TableFileStamp> stamp) { impl_->expected_stamp = stamp; }

void DbfTable::CheckFileIsExpected() const {
  if (impl_->expected_stamp && CurrentStamp(file_name_) != impl_->expected_stamp) throw TableChangedError(file_name_);
}

void DbfTable::CheckUnchanged() const {
  if (impl_->open) impl_->file.CheckUnchanged();
}

void DbfTable::BuildFields() {
  Impl& impl = *impl_;
  impl.fields.clear();
  impl.null_flags_width = 0;
  int nullable = 0;
  for (const DbfDescriptor& descriptor : impl.header.fields) {
    DbfField field;
    field.table_ = this;
    field.name_ = descriptor.name;
    field.type_ = descriptor.type;
    field.width_ = descriptor.width;
    field.decimals_ = descriptor.decimals;
    field.offset_ = descriptor.offset;
    field.flags_ = descriptor.flags;
    field.kind_ = DbfKindOf(descriptor.type, descriptor.width, descriptor.decimals);
    if (IsVisualFoxPro(impl.header)) {
      if (descriptor.flags & 0x02) field.null_bit_ = nullable++;
      if (descriptor.type == '0' && impl.null_flags_width == 0) {
        impl.null_flags_offset = descriptor.offset;
        impl.null_flags_width = descriptor.width;
      }
    }
    impl.fields.push_back(std::move(field));
  }
}

void DbfTable::Close() {
  if (!impl_->open) return;
  Impl& impl = *impl_;
  impl.file_order.reset();
  impl.at_random.reset();
  impl.current.reset();
  impl.file.Close();
  impl.fields.clear();
  impl.lookups.clear();
  impl.listed_fields.clear();
  impl.record = nullptr;
  impl.record_number = 0;
  impl.record_count = 0;
  impl.at_end = true;
  impl.open = false;
}

void DbfTable::RequireOpen() const {
  if (!impl_->open) throw Error(name_ + ": Cannot perform this operation on a closed dataset");
}

void DbfTable::MoveTo(std::int64_t recordNumber, std::size_t position) {
  impl_->SetCurrent(impl_->Record(recordNumber));
  impl_->record_number = recordNumber;
  impl_->position = position;
  impl_->at_end = false;
}

// The walk without an index reads the file block by block.
void DbfTable::MoveInFileOrder(std::int64_t recordNumber) {
  ++impl_->touched;
  impl_->record = impl_->file_order->Record(recordNumber);
  impl_->record_number = recordNumber;
  impl_->position = 0;
  impl_->at_end = false;
}

std::pair<std::size_t, std::size_t> DbfTable::IndexSpan() const {
  if (impl_->range.active) return {impl_->range.first, impl_->range.last};
  return {0, impl_->index->Size()};
}

// Entries of an index built from a longer file are passed over.
bool DbfTable::MoveToIndexEntry(std::size_t from) {
  const std::size_t last = IndexSpan().second;
  for (std::size_t p = from; p < last; ++p) {
    std::uint32_t record = impl_->index->RecordAt(p);
    if (record <= impl_->record_count) {
      MoveTo(record, p);
      return true;
    }
  }
  return false;
}

void DbfTable::First() {
  RequireOpen();
  bool found = false;
  if (impl_->index) {
    found = MoveToIndexEntry(IndexSpan().first);
  } else if (impl_->record_count > 0) {
    MoveInFileOrder(1);
    found = true;
  }
  if (!found) {
    impl_->record = nullptr;
    impl_->record_number = 0;
    impl_->at_end = true;
  }
}

void DbfTable::Next() {
  RequireOpen();
  if (impl_->at_end) return;
  bool found = false;
  if (impl_->index) {
    if (impl_->position == Impl::kPositionUnknown) {
      impl_->position = impl_->index->PositionOf(static_cast<std::uint32_t>(impl_->record_number));
    }
    found = MoveToIndexEntry(impl_->position + 1);
  } else if (impl_->record_number < impl_->record_count) {
    MoveInFileOrder(impl_->record_number + 1);
    found = true;
  }
  if (!found) impl_->at_end = true;
}

bool DbfTable::AtEnd() const { return impl_->at_end; }

std::int64_t DbfTable::RecordCount() const { return impl_->open ? impl_->record_count : 0; }

std::int64_t DbfTable::HeaderRecordCount() const { return impl_->open ? impl_->header.record_count : 0; }

std::optional<std::string> DbfTable::Damage() const {
  const Impl& impl = *impl_;
  if (!impl.open || (impl.record_count >= impl.header.record_count && !impl.partial_record)) return std::nullopt;
  std::string text = std::string("Файл "_cp1251) + PathTo1251(file_name_.filename()) +
                     std::string(" поврежден:\nзаписей в заголовке "_cp1251) + std::to_string(impl.header.record_count) +
                     std::string(", в файле "_cp1251) + std::to_string(impl.record_count);
  if (impl.partial_record) text += "\nв конце файла обрывок записи"_cp1251;
  return text;
}

std::int64_t DbfTable::RecordNumber() const { return impl_->record ? impl_->record_number : 0; }

bool DbfTable::Deleted() const { return impl_->record && impl_->record[0] == '*'; }

std::size_t DbfTable::RecordLength() const { return impl_->header.record_length; }

std::string_view DbfTable::CurrentRecord() const {
  if (!impl_->record) return {};
  return std::string_view(impl_->record, impl_->header.record_length);
}

DbfField& DbfTable::FieldNamed(std::string_view name) {
  for (DbfField& field : impl_->fields) {
    if (SameFieldName(field.Name(), name)) return field;
  }
  throw Error(name_ + ": Field '" + std::string(name) + "' not found");
}

const std::vector<DbfField>& DbfTable::Fields() const { return impl_->fields; }

std::uint8_t DbfTable::VersionByte() const { return impl_->header.version; }

std::uint8_t DbfTable::LanguageDriver() const { return impl_->header.language_driver; }

const KeyIndex* DbfTable::Index() const { return impl_->index.get(); }

DbfRecordBlock DbfTable::RecordReader(bool inFileOrder, std::size_t randomBlocks) const {
  RequireOpen();
  return inFileOrder ? impl_->FileOrderBlock() : impl_->RandomBlocks(randomBlocks);
}

std::uint64_t DbfTable::RecordsTouched() const { return impl_->touched; }

}  // namespace ranta2kv
