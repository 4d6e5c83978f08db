// The read-only DBF table reader: one `DbfTable` per .DBF file, its `DbfField`s
// built from the file's own header, a record cursor in file order or in the order
// of the table's key index, and the conversion of field bytes into values.
// The reader converts no code page: texts are the bytes stored in the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/variant.h"
#include "platform/table_file.h"
#include "source/dbf/dbf_field_value.h"
#include "source/dbf/dbf_record_block.h"

namespace ranta2kv {

class DbfTable;
class FileFaults;
class KeyIndex;

class DbfField {
 public:
  const std::string& Name() const { return name_; }
  char TypeLetter() const { return type_; }
  std::uint16_t Width() const { return width_; }
  std::uint8_t Decimals() const { return decimals_; }
  std::uint16_t Offset() const { return offset_; }  // 1 + widths of the fields before
  DbfValueKind Kind() const { return kind_; }

  // Accessors on the table's current record.
  std::string_view Bytes() const;  // the field's bytes as stored
  bool IsNull() const;
  std::string AsString() const;
  std::int32_t AsInteger() const;
  std::int64_t AsLargeInteger() const;
  double AsNumber() const;
  bool AsLogical() const;
  double AsDateTime() const;  // days since 30 December 1899; 0 when null
  Variant AsVariant() const;  // the value as the field's kind gives it; Null when null
  // The current record's value as a view on the record (null when there is no
  // current record); valid until the cursor moves.
  DbfFieldValue Value() const;
  std::uint8_t Flags() const { return flags_; }
  // The value in record, the bytes of any record of the open table (as a
  // RecordReader gives them); valid while those bytes are.
  DbfFieldValue ValueIn(const char* record) const;

 private:
  friend class DbfTable;
  const DbfTable* table_ = nullptr;
  std::string name_;
  char type_ = 0;
  std::uint16_t width_ = 0;
  std::uint8_t decimals_ = 0;
  std::uint16_t offset_ = 0;
  DbfValueKind kind_ = DbfValueKind::Other;
  std::uint8_t flags_ = 0;   // Visual FoxPro descriptor flags
  int null_bit_ = -1;        // Visual FoxPro null-flag bit, -1 when none
};

class DbfTable {
 public:
  // name: the object's name, prefix of field errors ("DataTable").
  explicit DbfTable(std::string name, char decimalSeparator = '.');
  ~DbfTable();
  DbfTable(const DbfTable&) = delete;
  DbfTable& operator=(const DbfTable&) = delete;

  const std::string& Name() const { return name_; }
  void SetFileName(std::filesystem::path fileName);  // while closed
  const std::filesystem::path& FileName() const { return file_name_; }
  char DecimalSeparator() const { return decimal_separator_; }

  // Faults injected into the calls of the table's file from the next Open on
  // (tests); must outlive the open table.
  void SetFileFaults(FileFaults* faults);
  FileFaults* Faults() const { return faults_; }

  // The version of the file that the next opens must find (nothing: any), as
  // CurrentStamp gave it when the run began.
  void ExpectFile(std::optional<TableFileStamp> stamp);

  // Fails with the change error when the file under the table's name is no longer
  // the version ExpectFile was given (nothing expected: never).
  void CheckFileIsExpected() const;

  // Opens the file. Fails with the change error when the file is not the version
  // expected, or not the one its key index was built from. No effect when open.
  void Open();
  void Close();  // no effect when closed; keeps the key index
  bool Active() const;
  // Fails with the change error when the open table's file was changed, replaced
  // or removed since Open; the cursor and the look-ups themselves fail so only
  // when a read comes back short.
  void CheckUnchanged() const;

  void First();
  void Next();
  bool AtEnd() const;
  std::int64_t RecordCount() const;   // from the file size; ignores any range
  std::int64_t HeaderRecordCount() const;  // the records the open table's header counts
  // The open table's file is cut short: it holds fewer whole records than its
  // header counts, or it ends inside a record (a last byte 0x1A is the end of
  // file, no record). More records than the header counts are no damage: the
  // header of a table is often not brought up to date, and the records are real.
  // The text (two lines, three with a record cut) says which file and both
  // counts; nothing when whole.
  std::optional<std::string> Damage() const;
  // From the next Open on, a file cut short fails the Open with SourceFileError
  // and the text of Damage(): the conversion's tables must be whole, while a
  // look into a table (the command line's dump) shows what is left.
  void SetWholeRecordsRequired(bool required) { whole_records_required_ = required; }
  // From the next Open on, the table is looked up in an order its reader cannot
  // foresee (the statements of the SQL source): a small file of short records is
  // then read whole, as one whose key index is not in record order.
  void SetLookedUpAtRandom(bool atRandom) { looked_up_at_random_ = atRandom; }
  std::int64_t RecordNumber() const;  // 1-based file position of the current record
  bool Deleted() const;               // the current record's flag is "*"
  // The current record's bytes (empty when there is none), valid until the
  // cursor moves; its fields read them with DbfField::ValueIn.
  std::string_view CurrentRecord() const;
  std::size_t RecordLength() const;  // of the open table's records

  DbfField& FieldNamed(std::string_view name);  // case-insensitive; throws
  const std::vector<DbfField>& Fields() const;
  std::uint8_t VersionByte() const;
  std::uint8_t LanguageDriver() const;  // header byte 29

  // Key index and lookups.
  void BuildKeyIndex(std::string_view fieldName);
  void DiscardKeyIndex();  // while closed
  const KeyIndex* Index() const;
  bool LocateRecord(std::string_view fieldList, const std::vector<Variant>& values);
  bool LocateRecord(std::string_view fieldList, const Variant& value);
  void LimitToKey(std::string_view fieldList, const Variant& value);
  // The numbers of the records that a walk of the table would meet after
  // LimitToKey with these arguments, in that order, found in the key index
  // without reading a record, into records (whose room is kept); the range is
  // set, the cursor stays where it is.
  void RecordsUnderKey(std::string_view fieldList, const Variant& value, std::vector<std::int64_t>& records);

  // A reader of the open table's records of its own, for walks in file order or
  // for look-ups at random, that leaves the table's cursor where it is; valid
  // while the table stays open. Its reads are not counted in RecordsTouched.
  // randomBlocks: the blocks a reader for look-ups keeps (0: as many as the
  // table's own), fewer for look-ups that find their records together.
  DbfRecordBlock RecordReader(bool inFileOrder, std::size_t randomBlocks = 0) const;

  // Records read from the file since Open (in any way); lets tests show that
  // look-ups do not grow with the table.
  std::uint64_t RecordsTouched() const;

 private:
  struct Impl;
  void BuildFields();
  void RequireOpen() const;
  void MoveTo(std::int64_t recordNumber, std::size_t position);
  void MoveInFileOrder(std::int64_t recordNumber);
  std::pair<std::size_t, std::size_t> IndexSpan() const;  // entries walked: the range, or all
  bool MoveToIndexEntry(std::size_t from);
  void SetKeyRange(std::string_view fieldList, const Variant& value);
  const std::vector<std::size_t>& ListedFields(std::string_view fieldList);  // valid until the next call
  bool IsIndexKey(const std::vector<std::size_t>& fields) const;
  bool LocateInIndex(const Variant& value);
  bool LocateByScan(const std::vector<std::size_t>& fields, const std::vector<Variant>& values);
  std::optional<std::string> IntegerScanKey(const std::vector<std::size_t>& fields, const Variant& value);
  std::optional<std::size_t> FirstUnderKey(const std::string& key, const std::vector<std::size_t>& fields,
                                           const std::string& wanted);
  std::int64_t FirstInRange(const std::vector<std::size_t>& fields, const std::string& wanted);
  std::int64_t FirstInFile(const std::vector<std::size_t>& fields, const std::string& wanted);
  void RecordTuple(std::int64_t recordNumber, const std::vector<std::size_t>& fields, std::string& tuple);
  void TupleOf(const char* record, const std::vector<std::size_t>& fields, std::string& tuple) const;
  std::unique_ptr<Impl> impl_;
  std::string name_;
  std::filesystem::path file_name_;
  char decimal_separator_;
  FileFaults* faults_ = nullptr;
  bool whole_records_required_ = false;
  bool looked_up_at_random_ = false;
  friend class DbfField;
};

}  // namespace ranta2kv
