// A DBF field as a column of the SQL source: declared types by value kind, and
// the value of a field in a record as its column holds it.
#include "source/sql/dbf_sql_column.h"

#include <cstdio>

#include "common/codepage.h"
#include "common/date_time.h"
#include "source/sql/sql_database.h"

namespace ranta2kv {
namespace {

std::string_view ColumnType(DbfValueKind kind) {
  switch (kind) {
    case DbfValueKind::Text: return " TEXT COLLATE RTRIM";
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger:
    case DbfValueKind::Boolean: return " INTEGER";
    case DbfValueKind::Float: return " REAL";
    case DbfValueKind::Date: return " TEXT";
    default: return "";  // memo and other fields hold NULL
  }
}

void AssignDateText(double days, std::string& text) {
  int year = 0, month = 0, day = 0;
  DecodeDate(days, year, month, day);
  char buffer[16];
  const int size = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
  text.assign(buffer, static_cast<std::size_t>(size));
}

SqlValue Integer(std::int64_t integer) {
  SqlValue value;
  value.type = SqlType::Integer;
  value.integer = integer;
  return value;
}

SqlValue Text(std::string_view text) {
  SqlValue value;
  value.type = SqlType::Text;
  value.text = text;
  return value;
}

}  // namespace

bool IsOem866(std::uint8_t languageDriver) { return languageDriver == 0x26 || languageDriver == 0x65; }

std::string ColumnDeclarations(const std::vector<DbfField>& fields) {
  std::string sql = "CREATE TABLE x (";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += QuoteIdentifier(fields[i].Name());
    sql += ColumnType(fields[i].Kind());
  }
  return sql + ")";
}

SqlValue ColumnValue(const DbfField& field, const char* record, bool oem, std::string& text) {
  const DbfFieldValue value = field.ValueIn(record);
  const DbfValueKind kind = field.Kind();
  // The text as the reader gives it: the bytes up to the first NUL, "" when null.
  if (kind == DbfValueKind::Text) {
    if (!oem) return Text(value.Text());
    text.assign(value.Text());
    for (char& c : text) c = static_cast<char>(Oem866ToAnsiByte(static_cast<unsigned char>(c)));
    return Text(text);
  }
  if (value.IsNull()) return SqlValue();
  switch (kind) {
    case DbfValueKind::Integer: return Integer(value.AsInteger());
    case DbfValueKind::LargeInteger: return Integer(value.AsLargeInteger());
    case DbfValueKind::Boolean: return Integer(value.AsLogical() ? 1 : 0);
    case DbfValueKind::Float: {
      SqlValue real;
      real.type = SqlType::Real;
      real.real = value.AsNumber();
      return real;
    }
    case DbfValueKind::Date:
      AssignDateText(value.AsDateTime(), text);
      return Text(text);
    default: return SqlValue();
  }
}

}  // namespace ranta2kv
