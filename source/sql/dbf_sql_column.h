// A DBF field as a column of the SQL source: its declared type and collation,
// and its value in a record, the one conversion that the virtual tables deliver
// and their key indexes are built from. C text `COLLATE RTRIM`, converted from
// code page 866 when the language driver byte says so; N and F INTEGER or REAL;
// D 'YYYY-MM-DD' TEXT; L INTEGER 1 or 0; null values and other fields NULL.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "source/dbf/dbf_table.h"
#include "source/sql/sql_result.h"

namespace ranta2kv {

// Header byte 29 of a table whose texts are in code page 866.
bool IsOem866(std::uint8_t languageDriver);

// The table's columns as sqlite3_declare_vtab takes them: CREATE TABLE x (...)
// with one column per field, named as the field.
std::string ColumnDeclarations(const std::vector<DbfField>& fields);

// The field's value in record (of the field's open table) as its column holds
// it. A converted text is put into `text`, which keeps its storage from call to
// call; the value's text is valid while `text` and the record's bytes are.
SqlValue ColumnValue(const DbfField& field, const char* record, bool oem, std::string& text);

}  // namespace ranta2kv
