// The "dbf" virtual table module: a Table per attached file with its key indexes
// and a few idle record readers, a Cursor per use of the table in a statement.
// No exception leaves a callback: it is kept by the database, the callback
// fails, and the database rethrows it where the statement's failure is raised.
#include "source/sql/dbf_virtual_table.h"

#include <sqlite3.h>

#include <array>
#include <exception>
#include <span>
#include <string_view>
#include <vector>

#include "common/ascii_case.h"
#include "common/error.h"
#include "source/dbf/dbf_table.h"
#include "source/sql/column_key_index.h"
#include "source/sql/dbf_sql_column.h"
#include "source/sql/sql_database.h"
#include "source/sql/sql_source_messages.h"

namespace ranta2kv {
namespace {

constexpr std::array<std::string_view, 4> kKeyFields = {"CODE", "POSCODE", "ID", "AKTCODE"};
constexpr char kModuleName[] = "dbf";
// The plans of xBestIndex: a scan of every record, the record of a rowid, or a
// look-up in key index idxNum - kFirstKeyPlan.
constexpr int kScanPlan = 0;
constexpr int kRowidPlan = 1;
constexpr int kFirstKeyPlan = 2;
constexpr std::size_t kIdleReaders = 2;  // kept per kind of reader
constexpr std::size_t kIdleCursors = 4;

void OpenTable(DbfTable& table, const std::string& name, const std::filesystem::path& file, FileFaults* faults,
               std::optional<TableFileStamp> expected) {
  table.SetFileFaults(faults);
  table.ExpectFile(expected);
  table.SetFileName(file);
  table.SetWholeRecordsRequired(true);  // a table cut short would lose records without a word
  table.SetLookedUpAtRandom(true);       // in the order of the statements
  try {
    table.Open();
  } catch (const SourceFileError&) {
    throw;  // its own text names the file and what happened to it
  } catch (const Error& failure) {
    throw Error(sql_messages::UnreadableTable(file, failure.what()));
  }
  if (table.Fields().empty()) throw Error(sql_messages::TableWithoutFields(name));
}

// Collations under which equal texts have equal keys.
bool KeysServe(const char* collation) {
  return !collation || EqualsIgnoringAsciiCase(collation, "BINARY") || EqualsIgnoringAsciiCase(collation, "RTRIM");
}

}  // namespace

namespace {
class Cursor;
}  // namespace

// What the virtual tables of one file share, in one database or in the databases
// of several threads: the held file and the key indexes, read-only once built.
class DbfVirtualTables::TableFile {
 public:
  struct Key {
    int column;
    ColumnKeyIndex index;
    std::string plan;  // what EXPLAIN QUERY PLAN shows
  };

  TableFile(const std::string& name, const std::filesystem::path& file, FileFaults* faults,
            std::optional<TableFileStamp> expected)
      : dbf_(name) {
    OpenTable(dbf_, name, file, faults, expected);
    oem_ = IsOem866(dbf_.LanguageDriver());
    declaration_ = ColumnDeclarations(dbf_.Fields());
    BuildKeyIndexes();
    dbf_.CheckUnchanged();  // the keys come from one version of the file
  }

  const DbfTable& Dbf() const { return dbf_; }
  const std::string& Declaration() const { return declaration_; }
  bool Oem() const { return oem_; }
  const std::vector<Key>& Keys() const { return keys_; }

 private:
  void BuildKeyIndexes();

  DbfTable dbf_;
  bool oem_ = false;
  std::string declaration_;
  std::vector<Key> keys_;
};

// One virtual table of a database: the shared file and indexes, and what its
// statements use in turn (idle readers and cursors), which belong to the
// database's thread alone.
class DbfVirtualTables::Table {
 public:
  Table(SqlDatabase& database, std::shared_ptr<const TableFile> file) : database_(database), file_(std::move(file)) {
    handle_.table = this;
  }

  using Key = TableFile::Key;

  SqlDatabase& Database() { return database_; }
  const std::shared_ptr<const TableFile>& File() const { return file_; }
  const DbfTable& Dbf() const { return file_->Dbf(); }
  const std::string& Declaration() const { return file_->Declaration(); }
  bool Oem() const { return file_->Oem(); }
  const std::vector<Key>& Keys() const { return file_->Keys(); }
  sqlite3_vtab* Handle() { return &handle_.base; }
  static Table& Of(sqlite3_vtab* vtab) { return *reinterpret_cast<TableHandle*>(vtab)->table; }

  DbfRecordBlock TakeReader(bool inFileOrder) {
    std::vector<DbfRecordBlock>& idle = idle_[inFileOrder];
    if (idle.empty()) return Dbf().RecordReader(inFileOrder);
    DbfRecordBlock reader = std::move(idle.back());
    idle.pop_back();
    return reader;
  }
  void GiveBack(DbfRecordBlock reader, bool inFileOrder) {
    std::vector<DbfRecordBlock>& idle = idle_[inFileOrder];
    if (idle.size() < kIdleReaders) idle.push_back(std::move(reader));
  }
  std::uint64_t records_read = 0;
  // Cursors of statements run before, for the next ones (each statement opens
  // one per table it reads).
  std::vector<std::unique_ptr<Cursor>> idle_cursors;

 private:
  struct TableHandle {
    sqlite3_vtab base{};  // first: SQLite's pointer is the handle's
    Table* table = nullptr;
  };
  SqlDatabase& database_;
  std::shared_ptr<const TableFile> file_;
  std::array<std::vector<DbfRecordBlock>, 2> idle_;  // by inFileOrder
  TableHandle handle_;
};

void DbfVirtualTables::TableFile::BuildKeyIndexes() {
  const std::vector<DbfField>& fields = dbf_.Fields();
  for (std::string_view name : kKeyFields) {
    for (std::size_t c = 0; c < fields.size(); ++c) {
      if (!EqualsIgnoringAsciiCase(fields[c].Name(), name)) continue;
      if (std::optional<ColumnKeyIndex::Keys> keys = ColumnKeyIndex::KeysOf(fields[c].Kind())) {
        keys_.push_back({static_cast<int>(c), ColumnKeyIndex(*keys), fields[c].Name() + "=?"});
      }
      break;
    }
  }
  if (keys_.empty()) return;
  const std::int64_t count = dbf_.RecordCount();
  if (count > static_cast<std::int64_t>(UINT32_MAX)) throw Error(sql_messages::TableTooLarge(dbf_.Name()));
  DbfRecordBlock reader = dbf_.RecordReader(true);
  std::string text;
  for (std::int64_t n = 1; n <= count; ++n) {
    const char* record = reader.Record(n);
    for (Key& key : keys_) {
      key.index.Add(ColumnValue(fields[key.column], record, oem_, text), static_cast<std::uint32_t>(n));
    }
  }
  for (Key& key : keys_) key.index.Sort();
}

namespace {

using Table = DbfVirtualTables::Table;

// One use of a table in a running statement: the records of a scan (first to
// first + count - 1) or of a look-up (entries of a key index), and the current
// one, read when a column of it is first asked for.
class Cursor {
 public:
  explicit Cursor(Table& table) : table_(table) { handle_.cursor = this; }
  ~Cursor() { ReturnReader(); }
  // Back to the state of a cursor just opened, its buffers kept.
  void Release() {
    ReturnReader();
    handle_.base = sqlite3_vtab_cursor{};
    count_ = position_ = 0;
    record_ = nullptr;
  }

  sqlite3_vtab_cursor* Handle() { return &handle_.base; }
  static Cursor& Of(sqlite3_vtab_cursor* cursor) { return *reinterpret_cast<CursorHandle*>(cursor)->cursor; }
  Table& Owner() { return table_; }

  void Filter(int plan, sqlite3_value* value) {
    const std::int64_t count = table_.Dbf().RecordCount();
    listed_ = false;
    first_ = 1;
    count_ = count;
    if (plan == kRowidPlan && sqlite3_value_type(value) == SQLITE_INTEGER) {
      const std::int64_t rowid = sqlite3_value_int64(value);
      first_ = rowid;
      count_ = rowid >= 1 && rowid <= count ? 1 : 0;
    } else if (plan >= kFirstKeyPlan) {
      const Table::Key& key = table_.Keys()[static_cast<std::size_t>(plan - kFirstKeyPlan)];
      if (auto candidates = key.index.Candidates(value)) {
        entries_ = *candidates;
        listed_ = true;
        count_ = static_cast<std::int64_t>(entries_.size());
      }
    }
    UseReader(!listed_ && count_ > 1);
    position_ = 0;
    record_ = nullptr;
  }
  bool AtEnd() const { return position_ >= count_; }
  void Next() {
    ++position_;
    record_ = nullptr;
  }
  std::int64_t RecordNumber() const {
    return listed_ ? entries_[static_cast<std::size_t>(position_)].record : first_ + position_;
  }

  void Column(sqlite3_context* context, int column) {
    if (!record_) {
      record_ = reader_->Record(RecordNumber());
      ++table_.records_read;
    }
    const DbfField& field = table_.Dbf().Fields()[static_cast<std::size_t>(column)];
    const SqlValue value = ColumnValue(field, record_, table_.Oem(), text_);
    switch (value.type) {
      case SqlType::Null: sqlite3_result_null(context); break;
      case SqlType::Integer: sqlite3_result_int64(context, value.integer); break;
      case SqlType::Real: sqlite3_result_double(context, value.real); break;
      case SqlType::Text:
        sqlite3_result_text(context, value.text.empty() ? "" : value.text.data(), static_cast<int>(value.text.size()),
                            SQLITE_TRANSIENT);
        break;
    }
  }

 private:
  void UseReader(bool inFileOrder) {
    if (reader_ && reader_in_file_order_ == inFileOrder) return;
    ReturnReader();
    reader_.emplace(table_.TakeReader(inFileOrder));
    reader_in_file_order_ = inFileOrder;
  }
  void ReturnReader() {
    if (!reader_) return;
    table_.GiveBack(std::move(*reader_), reader_in_file_order_);
    reader_.reset();
  }

  struct CursorHandle {
    sqlite3_vtab_cursor base{};  // first: SQLite's pointer is the handle's
    Cursor* cursor = nullptr;
  };
  Table& table_;
  CursorHandle handle_;
  std::optional<DbfRecordBlock> reader_;
  bool reader_in_file_order_ = false;
  std::span<const ColumnKeyIndex::Entry> entries_;
  bool listed_ = false;
  std::int64_t first_ = 1, count_ = 0, position_ = 0;
  const char* record_ = nullptr;
  std::string text_;
};

// Runs work; an exception is kept by the table's database and fails the call.
template <typename Work>
int Guarded(Table& table, sqlite3_vtab* vtab, Work&& work) noexcept {
  try {
    work();
    return SQLITE_OK;
  } catch (...) {
    std::exception_ptr failure = std::current_exception();
    table.Database().KeepFailure(failure);
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& e) {
      sqlite3_free(vtab->zErrMsg);
      vtab->zErrMsg = sqlite3_mprintf("%s", e.what());
    } catch (...) {
    }
    return SQLITE_ERROR;
  }
}

int Connect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** vtab, char** error) {
  auto& tables = *static_cast<std::map<std::string, std::unique_ptr<Table>>*>(aux);
  auto found = argc > 2 ? tables.find(argv[2]) : tables.end();
  if (found == tables.end()) {
    *error = sqlite3_mprintf("no table file for %s", argc > 2 ? argv[2] : "");
    return SQLITE_ERROR;
  }
  Table& table = *found->second;
  if (sqlite3_declare_vtab(db, table.Declaration().c_str()) != SQLITE_OK) {
    *error = sqlite3_mprintf("%s", sqlite3_errmsg(db));
    return SQLITE_ERROR;
  }
  *vtab = table.Handle();
  return SQLITE_OK;
}

// Distinct from Connect, so that the module gives no table of its own name.
int Create(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** vtab, char** error) {
  return Connect(db, aux, argc, argv, vtab, error);
}

int Disconnect(sqlite3_vtab*) { return SQLITE_OK; }  // the table is DbfVirtualTables'

int BestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
  Table& table = Table::Of(vtab);
  return Guarded(table, vtab, [&] {
    int plan = kScanPlan, chosen = -1;
    double rows = static_cast<double>(table.Dbf().RecordCount());
    for (int i = 0; i < info->nConstraint && plan != kRowidPlan; ++i) {
      const auto& constraint = info->aConstraint[i];
      if (!constraint.usable || constraint.op != SQLITE_INDEX_CONSTRAINT_EQ) continue;
      if (constraint.iColumn < 0) {
        plan = kRowidPlan;
        chosen = i;
        rows = 1;
        continue;
      }
      for (std::size_t k = 0; k < table.Keys().size(); ++k) {
        const Table::Key& key = table.Keys()[k];
        if (key.column != constraint.iColumn || !KeysServe(sqlite3_vtab_collation(info, i))) continue;
        // A look-up is taken when it is no worse than the scan, the most selective one.
        const double perKey = key.index.RowsPerKey();
        if (plan == kScanPlan ? perKey <= rows : perKey < rows) {
          plan = kFirstKeyPlan + static_cast<int>(k);
          chosen = i;
          rows = perKey;
        }
      }
    }
    info->idxNum = plan;
    if (chosen >= 0) {
      info->aConstraintUsage[chosen].argvIndex = 1;
      info->aConstraintUsage[chosen].omit = 0;  // SQLite checks every row it gets
    }
    if (plan == kRowidPlan) {
      info->idxStr = const_cast<char*>("rowid=?");
      info->idxFlags |= SQLITE_INDEX_SCAN_UNIQUE;
    } else if (plan >= kFirstKeyPlan) {
      info->idxStr = const_cast<char*>(table.Keys()[static_cast<std::size_t>(plan - kFirstKeyPlan)].plan.c_str());
    }
    info->needToFreeIdxStr = 0;
    // A scan delivers the records in rowid order; a look-up may run once per value
    // of an IN list, so its order is left to SQLite.
    if (plan == kScanPlan && info->nOrderBy >= 1 && info->aOrderBy[0].iColumn < 0 && !info->aOrderBy[0].desc) {
      info->orderByConsumed = 1;
    }
    info->estimatedRows = static_cast<sqlite3_int64>(rows) + 1;
    info->estimatedCost = rows + 1;
  });
}

int Open(sqlite3_vtab* vtab, sqlite3_vtab_cursor** cursor) {
  Table& table = Table::Of(vtab);
  return Guarded(table, vtab, [&] {
    std::unique_ptr<Cursor> opened;
    if (table.idle_cursors.empty()) {
      opened = std::make_unique<Cursor>(table);
    } else {
      opened = std::move(table.idle_cursors.back());
      table.idle_cursors.pop_back();
    }
    *cursor = opened.release()->Handle();
  });
}

int Close(sqlite3_vtab_cursor* handle) {
  std::unique_ptr<Cursor> cursor(&Cursor::Of(handle));
  Table& table = cursor->Owner();
  if (table.idle_cursors.size() < kIdleCursors) {
    cursor->Release();
    table.idle_cursors.push_back(std::move(cursor));
  }
  return SQLITE_OK;
}

int Filter(sqlite3_vtab_cursor* handle, int plan, const char*, int argc, sqlite3_value** argv) {
  Cursor& cursor = Cursor::Of(handle);
  return Guarded(cursor.Owner(), handle->pVtab,
                 [&] { cursor.Filter(argc > 0 ? plan : kScanPlan, argc > 0 ? argv[0] : nullptr); });
}

int Next(sqlite3_vtab_cursor* handle) {
  Cursor::Of(handle).Next();
  return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* handle) { return Cursor::Of(handle).AtEnd() ? 1 : 0; }

int Column(sqlite3_vtab_cursor* handle, sqlite3_context* context, int column) {
  Cursor& cursor = Cursor::Of(handle);
  const int rc = Guarded(cursor.Owner(), handle->pVtab, [&] { cursor.Column(context, column); });
  if (rc != SQLITE_OK) sqlite3_result_error(context, handle->pVtab->zErrMsg ? handle->pVtab->zErrMsg : "", -1);
  return rc;
}

int Rowid(sqlite3_vtab_cursor* handle, sqlite3_int64* rowid) {
  *rowid = Cursor::Of(handle).RecordNumber();
  return SQLITE_OK;
}

sqlite3_module MakeModule() {
  sqlite3_module module{};
  module.iVersion = 1;
  module.xCreate = Create;
  module.xConnect = Connect;
  module.xBestIndex = BestIndex;
  module.xDisconnect = Disconnect;
  module.xDestroy = Disconnect;
  module.xOpen = Open;
  module.xClose = Close;
  module.xFilter = Filter;
  module.xNext = Next;
  module.xEof = Eof;
  module.xColumn = Column;
  module.xRowid = Rowid;
  return module;
}

const sqlite3_module kModule = MakeModule();

}  // namespace

DbfVirtualTables::DbfVirtualTables(SqlDatabase& database) : database_(database) {
  if (sqlite3_create_module_v2(database.Handle(), kModuleName, &kModule, &tables_, nullptr) != SQLITE_OK) {
    database.ThrowLastError();
  }
}

DbfVirtualTables::~DbfVirtualTables() = default;

void DbfVirtualTables::Attach(const std::string& name, const std::filesystem::path& file, FileFaults* faults,
                              std::optional<TableFileStamp> expected) {
  Create(name, std::make_shared<const TableFile>(name, file, faults, expected));
}

void DbfVirtualTables::AttachEveryTableOf(const DbfVirtualTables& other) {
  for (const auto& [name, table] : other.tables_) {
    if (!Contains(name)) Create(name, table->File());
  }
}

void DbfVirtualTables::Create(const std::string& name, std::shared_ptr<const TableFile> file) {
  tables_[name] = std::make_unique<Table>(database_, std::move(file));
  try {
    database_.Execute("CREATE VIRTUAL TABLE " + QuoteIdentifier(name) + " USING " + kModuleName);
  } catch (...) {
    tables_.erase(name);
    throw;
  }
}

bool DbfVirtualTables::HasColumn(const std::string& name, std::string_view column) const {
  auto table = tables_.find(name);
  if (table == tables_.end()) return false;
  for (const DbfField& field : table->second->Dbf().Fields()) {
    if (EqualsIgnoringAsciiCase(field.Name(), column)) return true;
  }
  return false;
}

void DbfVirtualTables::CheckUnchanged() const {
  for (const auto& [name, table] : tables_) table->Dbf().CheckUnchanged();
}

std::uint64_t DbfVirtualTables::RecordsRead() const {
  std::uint64_t read = 0;
  for (const auto& [name, table] : tables_) read += table->records_read;
  return read;
}

void CheckDbfTable(const std::string& name, const std::filesystem::path& file, FileFaults* faults,
                   std::optional<TableFileStamp> expected) {
  DbfTable table(name);
  OpenTable(table, name, file, faults, expected);
}

}  // namespace ranta2kv
