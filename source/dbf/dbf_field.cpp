// The accessors of a DbfField on its table's current record. A field reads as null
// when the table has no current record or when the record's Visual FoxPro null
// flag for the field is set.
#include "source/dbf/dbf_table_impl.h"

namespace ranta2kv {

DbfFieldValue DbfField::ValueIn(const char* record) const {
  const DbfTable::Impl& impl = *table_->impl_;
  bool nullFlag = false;
  if (null_bit_ >= 0 && null_bit_ / 8 < impl.null_flags_width) {
    auto flags = static_cast<unsigned char>(record[impl.null_flags_offset + null_bit_ / 8]);
    nullFlag = (flags >> (null_bit_ % 8)) & 1;
  }
  return DbfFieldValue(kind_, std::string_view(record + offset_, width_), nullFlag, table_->DecimalSeparator());
}

DbfFieldValue DbfField::Value() const {
  const char* record = table_->impl_->record;
  if (!record) return DbfFieldValue(kind_, {}, true, table_->DecimalSeparator());
  return ValueIn(record);
}

std::string_view DbfField::Bytes() const { return Value().Bytes(); }
bool DbfField::IsNull() const { return Value().IsNull(); }
std::string DbfField::AsString() const { return Value().AsString(); }
std::int32_t DbfField::AsInteger() const { return Value().AsInteger(); }
std::int64_t DbfField::AsLargeInteger() const { return Value().AsLargeInteger(); }
double DbfField::AsNumber() const { return Value().AsNumber(); }
bool DbfField::AsLogical() const { return Value().AsLogical(); }
double DbfField::AsDateTime() const { return Value().AsDateTime(); }
Variant DbfField::AsVariant() const { return Value().AsVariant(); }

}  // namespace ranta2kv
