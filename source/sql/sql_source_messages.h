// The messages of the SQL data source, in the user's language (windows-1251):
// what the source says when a statement names a table or a field that the
// folder lacks, when a table cannot be read, when the engine fails, and when the
// source is used wrongly. No text of the SQL engine itself reaches the user.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ranta2kv::sql_messages {

// A table a statement reads that the folder lacks: "Не найдена таблица RESTBL.DBF".
std::string MissingTable(std::string_view tableName);
// A field a statement names that its table lacks; table "" when no table of the
// statement is known to the source.
std::string MissingField(std::string_view tableName, std::string_view fieldName);
// A table file that the reader cannot open or read, and on a line of its own
// the reader's reason.
std::string UnreadableTable(const std::filesystem::path& file, std::string_view reason1251);
// Any other failure of the engine, by its result code.
std::string EngineFailure(int code);

std::string NoDatabase();
std::string NoDataSource();
std::string DataSourceNotFound(std::string_view folder1251);
std::string FolderNameWithSemicolon(std::string_view folder1251);
std::string EmptyStatement();
std::string NotAQuery();
std::string ConnectionClosed();
std::string DatasetClosed();
std::string DatasetWithoutStatement();
std::string StatementOfOpenDataset();
std::string TableOfOpenDataset();
std::string NoColumn(int index);
std::string TableWithoutFields(std::string_view tableName);
std::string TableTooLarge(std::string_view tableName);
// A value of a field that is not what it is read as: "целым числом", "числом", "датой".
std::string ValueIsNot(std::string_view value, std::string_view field, std::string_view what1251);
std::string ValueOutOfIntegerRange(std::string_view value, std::string_view field);

}  // namespace ranta2kv::sql_messages
