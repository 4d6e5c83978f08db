// The connection `ADOConnection1`: connects to a fresh in-memory SQLite database
// for the folder of `Data Source`, lists the folder's tables, and runs statements,
// attaching a table of the folder the first time a statement names it.
#include "source/sql/oledb_connection.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <system_error>

#include "common/ascii_case.h"
#include "common/codepage.h"
#include "common/error.h"
#include "platform/file_name.h"
#include "platform/file_status.h"
#include "source/dbf/dbf_file.h"
#include "source/sql/oledb_connection_string.h"
#include "source/sql/oledb_dataset.h"
#include "source/sql/oledb_table_catalogue.h"
#include "source/sql/dbf_virtual_table.h"
#include "source/sql/sql_database.h"
#include "source/sql/sql_source_messages.h"

namespace ranta2kv {
namespace fs = std::filesystem;
namespace {

// The engine's messages that name what a statement lacks.
constexpr std::string_view kNoSuchTable = "no such table: ";
constexpr std::string_view kNoSuchColumn = "no such column: ";
constexpr std::size_t kMostShapes = 64;  // the pass runs about ten

std::string CurrentFolder() {
  std::error_code error;
  fs::path folder = fs::current_path(error);
  return error ? std::string() : PathToUtf8(folder);
}

// What a "no such table" (or "no such column") message names, or "" for any
// other message.
std::string NamedIn(std::string_view message, std::string_view saying) {
  if (!message.starts_with(saying)) return "";
  std::string_view name = message.substr(saying.size());
  if (name.starts_with("main.")) name.remove_prefix(5);
  return std::string(name);
}

bool IsIdentifierByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// The names a statement's text holds (words and double-quoted identifiers),
// upper-cased; literals in single quotes are passed over.
std::vector<std::string> NamesIn(std::string_view statement) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < statement.size();) {
    const char c = statement[i];
    if (c == '\'' || c == '"') {
      const std::size_t end = std::min(statement.find(c, i + 1), statement.size());
      if (c == '"') names.push_back(AsciiUpper(std::string(statement.substr(i + 1, end - i - 1))));
      i = end + 1;
    } else if (IsIdentifierByte(c)) {
      std::size_t end = i;
      while (end < statement.size() && IsIdentifierByte(statement[end])) ++end;
      names.push_back(AsciiUpper(std::string(statement.substr(i, end - i))));
      i = end;
    } else {
      ++i;
    }
  }
  return names;
}

bool StandsForTheText(sqlite3_stmt* query, const StatementShape& shape) {
  if (sqlite3_bind_parameter_count(query) != static_cast<int>(shape.values.size())) return false;
  for (int c = 0; c < sqlite3_column_count(query); ++c) {
    const char* name = sqlite3_column_name(query, c);
    if (name && std::string_view(name).find('?') != std::string_view::npos) return false;
  }
  return true;
}

void BindShapeValues(sqlite3_stmt* query, const std::vector<ShapeValue>& values) {
  for (int i = 0; i < static_cast<int>(values.size()); ++i) {
    const ShapeValue& value = values[i];
    if (value.is_text) {
      sqlite3_bind_text(query, i + 1, value.text.data(), static_cast<int>(value.text.size()), SQLITE_STATIC);
    } else {
      sqlite3_bind_int64(query, i + 1, value.integer);
    }
  }
}

// Makes a cached statement ready for its next use, however its run ended.
struct StatementReset {
  sqlite3_stmt* query;
  ~StatementReset() {
    sqlite3_reset(query);
    sqlite3_clear_bindings(query);
  }
};

}  // namespace

OleDbConnection::OleDbConnection() : ConnectionString(InitialConnectionString(CurrentFolder())) {}

OleDbConnection::~OleDbConnection() = default;

bool OleDbConnection::Connected() const { return database_ != nullptr; }

void OleDbConnection::SetConnected(bool connected) {
  if (connected == Connected()) return;
  if (!connected) {
    for (OleDbDataset* dataset : datasets_) dataset->Close();
    shaped_.clear();
    database_.reset();
    tables_.reset();
    catalogue_.reset();
    stamps_.clear();
    folder_.clear();
    statements_compiled_ = 0;
    return;
  }
  std::optional<std::string> dataSource = DataSourceOf(ConnectionString);
  if (!dataSource) throw Error(sql_messages::NoDataSource());
  fs::path folder = PathFromUtf8(*dataSource);
  if (StatusOf(folder).kind != FileKind::Folder) {
    throw Error(sql_messages::DataSourceNotFound(Utf8ToCp1251(*dataSource)));
  }
  catalogue_ = std::make_unique<TableCatalogue>(ReadTableCatalogue(folder));
  // The tables are attached one after the other: each must be read as it was
  // now, so that they all belong to one state of the estimate.
  stamps_.clear();
  for (const CatalogueTable& table : catalogue_->tables) {
    if (std::optional<TableFileStamp> stamp = CurrentStamp(table.file)) stamps_.emplace(table.file, *stamp);
  }
  OpenDatabase(std::move(folder));
}

void OleDbConnection::ConnectBeside(const OleDbConnection& other) {
  other.RequireConnected();
  SetConnected(false);
  ConnectionString = other.ConnectionString;
  faults_ = other.faults_;
  catalogue_ = std::make_unique<TableCatalogue>(*other.catalogue_);
  stamps_ = other.stamps_;
  OpenDatabase(other.folder_);
  tables_->AttachEveryTableOf(*other.tables_);
}

void OleDbConnection::OpenDatabase(fs::path folder) {
  auto database = std::make_unique<SqlDatabase>();
  tables_ = std::make_unique<DbfVirtualTables>(*database);
  database_ = std::move(database);
  folder_ = std::move(folder);
}

std::vector<std::string> OleDbConnection::ListTables() {
  RequireConnected();
  *catalogue_ = ReadTableCatalogue(folder_);
  std::vector<std::string> names;
  for (const CatalogueTable& table : catalogue_->tables) names.push_back(table.name);
  return names;
}

void OleDbConnection::Execute(std::string_view statement, SqlResult& result) {
  RequireConnected();
  if (ShapeInto(statement, shape_)) {
    if (const ShapedStatement* shaped = ShapedQuery(shape_)) {
      sqlite3_stmt* query = shaped->query.get();
      BindShapeValues(query, shape_.values);
      StatementReset reset{query};
      result.Fetch(*database_, query, shaped->columns);
      return;
    }
  }
  SqlPreparedQuery query = PrepareQuery(statement);
  result.Fetch(*database_, query.get());
}

SqlResult OleDbConnection::Execute(std::string_view statement) {
  SqlResult result;
  Execute(statement, result);
  return result;
}

// The compiled statement of the shape, compiled now when new. Null when the shape
// cannot stand for the text: it fails to compile (the text itself then gives the
// message), or a column takes its name from a literal that the shape took out.
const OleDbConnection::ShapedStatement* OleDbConnection::ShapedQuery(const StatementShape& shape) {
  if (auto found = shaped_.find(shape.text); found != shaped_.end()) return &found->second;
  SqlPreparedQuery query;
  try {
    query = PrepareQuery(shape.text);
  } catch (const SourceFileError&) {
    throw;  // the text would attach the table again
  } catch (const Error&) {
    return nullptr;
  }
  if (!StandsForTheText(query.get(), shape)) return nullptr;
  if (shaped_.size() >= kMostShapes) shaped_.clear();
  return &shaped_.emplace(shape.text, ShapedStatement{std::move(query), ++shaped_compiled_}).first->second;
}

SqlPreparedQuery OleDbConnection::Prepare(std::string_view statement) { return PrepareQuery(statement); }

bool OleDbConnection::FetchNext(sqlite3_stmt* statement, SqlResult& result, bool sameStatement) {
  RequireConnected();
  return result.FetchNext(*database_, statement, sameStatement);
}

void OleDbConnection::Check(std::string_view statement) { PrepareQuery(statement); }

void OleDbConnection::CheckTable(const std::string& name) {
  RequireConnected();
  const CatalogueTable* table = catalogue_->Find(name);
  if (!table || tables_->Contains(table->name)) return;
  CheckDbfTable(table->name, table->file, faults_, StampAtConnect(table->file));
}

SqlPreparedQuery OleDbConnection::PrepareQuery(std::string_view statement) {
  RequireConnected();
  for (;;) {
    sqlite3_stmt* prepared = nullptr;
    int rc = sqlite3_prepare_v2(database_->Handle(), statement.data(), static_cast<int>(statement.size()),
                                &prepared, nullptr);
    SqlPreparedQuery query(prepared);
    if (rc == SQLITE_OK) {
      if (!prepared) throw Error(sql_messages::EmptyStatement());
      ++statements_compiled_;
      if (!sqlite3_stmt_readonly(prepared) || sqlite3_column_count(prepared) == 0) {
        throw Error(sql_messages::NotAQuery());
      }
      return query;
    }
    database_->ThrowKeptFailure();
    const std::string message = database_->LastMessage();
    const std::string table = NamedIn(message, kNoSuchTable);
    if (AttachMissingTable(table)) continue;
    if (!table.empty()) throw Error(sql_messages::MissingTable(table));
    const std::string field = NamedIn(message, kNoSuchColumn);
    if (!field.empty()) throw Error(sql_messages::MissingField(TableLacking(statement, field), field));
    throw Error(sql_messages::EngineFailure(database_->LastCode()));
  }
}

std::string OleDbConnection::TableLacking(std::string_view statement, std::string_view field) const {
  for (const std::string& name : NamesIn(statement)) {
    if (tables_->Contains(name) && !tables_->HasColumn(name, field)) return name;
  }
  return "";
}

void OleDbConnection::CheckUnchanged() const {
  if (tables_) tables_->CheckUnchanged();
}

std::uint64_t OleDbConnection::RecordsRead() const { return tables_ ? tables_->RecordsRead() : 0; }

std::optional<TableFileStamp> OleDbConnection::StampAtConnect(const std::filesystem::path& file) const {
  auto stamp = stamps_.find(file);
  return stamp == stamps_.end() ? std::nullopt : std::optional<TableFileStamp>(stamp->second);
}

bool OleDbConnection::AttachMissingTable(const std::string& name) {
  if (name.empty()) return false;
  const CatalogueTable* table = catalogue_->Find(name);
  if (!table) {
    *catalogue_ = ReadTableCatalogue(folder_);  // the file may be new
    table = catalogue_->Find(name);
  }
  if (!table || tables_->Contains(table->name)) return false;
  tables_->Attach(table->name, table->file, faults_, StampAtConnect(table->file));
  return true;
}

void OleDbConnection::RequireConnected() const {
  if (!database_) throw Error(sql_messages::ConnectionClosed());
}

void OleDbConnection::Attach(OleDbDataset* dataset) { datasets_.push_back(dataset); }

void OleDbConnection::Detach(OleDbDataset* dataset) { std::erase(datasets_, dataset); }

}  // namespace ranta2kv
