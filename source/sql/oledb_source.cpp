// The five data-access objects of the "OLE DB" pass and their set-up
// `OpenOleDbSource`: checks the folder, points the connection at it, connects and
// attaches the estimate's tables (other tables of the folder are only opened).
#include "source/sql/oledb_source.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/codepage.h"
#include "common/error.h"
#include "platform/file_name.h"
#include "platform/file_status.h"
#include "source/set_up_failure.h"
#include "source/sql/oledb_connection_string.h"
#include "source/sql/oledb_table_catalogue.h"
#include "source/sql/sql_database.h"
#include "source/sql/sql_source_messages.h"

namespace ranta2kv {
namespace fs = std::filesystem;
namespace {

// The folder's bytes with a trailing separator; Error when a connection string
// item cannot carry them (a ";" would end the item early).
std::string DataSourceFolder(const fs::path& folder) {
  std::string text = PathToUtf8(folder);
  const char separator = static_cast<char>(fs::path::preferred_separator);
  if (!text.ends_with('/') && !text.ends_with(separator)) text += separator;
  if (text.find(';') != std::string::npos) {
    throw Error(sql_messages::FolderNameWithSemicolon(Utf8ToCp1251(text)));
  }
  return text;
}

void RequireDataTables(const fs::path& folder) {
  const TableCatalogue catalogue = ReadTableCatalogue(folder);
  std::vector<std::string> missing;
  for (std::string_view name : {"POSTOOLS", "SMETA", "POSEXT"}) {
    if (!catalogue.Find(name)) missing.push_back(std::string(name) + ".DBF");
  }
  if (!missing.empty()) throw Error(std::string("Не найдены таблицы данных\n"_cp1251) + MissingFilesLine(missing));
}

// The tables that the pass's statements read.
constexpr std::string_view kPassTables[] = {"SMETA", "POSEXT", "POSTOOLS", "RESTBL", "EXECUTE", "ACTS", "PARAMS"};

bool IsPassTable(const std::string& name) {
  return std::find(std::begin(kPassTables), std::end(kPassTables), name) != std::end(kPassTables);
}

// The tables of the pass are attached here (held, their key indexes built), so
// that a table that cannot be read, or changes while it is read, fails the
// set-up. Every other table of the folder is opened once, so that one that
// cannot be opened fails here too, but it is attached only when a statement
// first reads it: a table beside the estimate that nothing reads (another
// program's) costs only its opening.
void PrimeTables(OleDbConnection& connection) {
  for (const std::string& name : connection.ListTables()) {
    if (IsPassTable(name)) connection.Check("SELECT * FROM " + QuoteIdentifier(name));
    else connection.CheckTable(name);
  }
}

void Prepare(OleDbSource& source, const fs::path& folder) {
  const std::string dataSource = DataSourceFolder(folder);
  RequireDataTables(folder);
  OleDbConnection& connection = source.ADOConnection1;
  connection.SetConnected(false);
  connection.ConnectionString = RewriteDataSource(connection.ConnectionString, dataSource);
  source.tlbSMETA.SetTableName("SMETA");
  connection.SetConnected(true);
  PrimeTables(connection);
}

}  // namespace

OleDbSource::OleDbSource(char decimalSeparator)
    : tlbSMETA(ADOConnection1, decimalSeparator),
      qSubQuery(ADOConnection1, decimalSeparator),
      qPOSEXT(ADOConnection1, decimalSeparator),
      qACTS(ADOConnection1, decimalSeparator) {
  tlbSMETA.SetTableName("smeta");
}

bool OpenOleDbSource(OleDbSource& source, const fs::path& folder, const LogSink& log) {
  if (StatusOf(folder).kind != FileKind::Folder) return false;
  std::string message;
  try {
    Prepare(source, folder);
    return true;
  } catch (const Error& failure) {
    message = failure.what();
  } catch (const std::exception& failure) {
    message = Utf8ToCp1251(failure.what());
  }
  LogSetUpFailure(log, message);
  source.qSubQuery.Close();
  source.ADOConnection1.SetConnected(false);
  return false;
}

}  // namespace ranta2kv
