// A DBF field as a column of the SQL source: declared types by value kind, and
// the value of a field in a record as its column holds it.
#include "source/sql/dbf_sql_column.h"

#include <cstdio>
#include <optional>

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
    Oem866ToAnsiInto(value.Text(), text);
    return Text(text);
  }
  // Each value is parsed once: what IsNull and the As accessors would give.
  switch (kind) {
    case DbfValueKind::Integer:
      if (std::optional<std::int64_t> integer = value.Integer()) {
        return Integer(static_cast<std::int32_t>(static_cast<std::uint32_t>(*integer)));  // as AsInteger
      }
      return SqlValue();
    case DbfValueKind::LargeInteger:
      if (std::optional<std::int64_t> integer = value.Integer()) return Integer(*integer);
      return SqlValue();
    case DbfValueKind::Boolean:
      if (std::optional<bool> logical = value.Logical()) return Integer(*logical ? 1 : 0);
      return SqlValue();
    case DbfValueKind::Float:
      if (std::optional<double> number = value.Number()) {
        SqlValue real;
        real.type = SqlType::Real;
        real.real = *number;
        return real;
      }
      return SqlValue();
    case DbfValueKind::Date:
      if (!value.Date()) return SqlValue();
      AssignDateText(value.AsDateTime(), text);
      return Text(text);
    default: return SqlValue();
  }
}

}  // namespace ranta2kv
