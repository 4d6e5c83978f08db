// The messages of the SQL data source.
#include "source/sql/sql_source_messages.h"

#include "common/codepage.h"
#include "platform/file_name.h"

namespace ranta2kv::sql_messages {
namespace {

std::string TableFile(std::string_view tableName) { return std::string(tableName) + ".DBF"; }

}  // namespace

std::string MissingTable(std::string_view tableName) {
  return std::string("Не найдена таблица "_cp1251) + TableFile(tableName);
}

std::string MissingField(std::string_view tableName, std::string_view fieldName) {
  if (tableName.empty()) return std::string("Ни в одной таблице запроса нет поля "_cp1251) + std::string(fieldName);
  return std::string("В таблице "_cp1251) + TableFile(tableName) + std::string(" нет поля "_cp1251) +
         std::string(fieldName);
}

std::string UnreadableTable(const std::filesystem::path& file, std::string_view reason1251) {
  return std::string("Не удалось прочитать таблицу "_cp1251) + PathTo1251(file.filename()) + ":\n" +
         std::string(reason1251);
}

std::string EngineFailure(int code) {
  return std::string("Источник данных не выполнил запрос (код ошибки SQLite "_cp1251) + std::to_string(code) + ")";
}

std::string NoDatabase() { return std::string("Не удалось создать базу данных источника"_cp1251); }
std::string NoDataSource() { return std::string("В строке подключения не указана папка (Data Source)"_cp1251); }

std::string DataSourceNotFound(std::string_view folder1251) {
  return std::string("Папка источника данных \""_cp1251) + std::string(folder1251) + std::string("\" не найдена"_cp1251);
}

std::string FolderNameWithSemicolon(std::string_view folder1251) {
  return std::string("Имя папки \""_cp1251) + std::string(folder1251) +
         std::string("\" содержит \";\", а строка подключения не может его передать"_cp1251);
}

std::string EmptyStatement() { return std::string("Пустой запрос"_cp1251); }
std::string NotAQuery() { return std::string("Запрос не является выборкой (SELECT)"_cp1251); }
std::string ConnectionClosed() { return std::string("Соединение с источником данных закрыто"_cp1251); }
std::string DatasetClosed() { return std::string("Набор данных закрыт"_cp1251); }
std::string DatasetWithoutStatement() { return std::string("У набора данных нет запроса"_cp1251); }
std::string StatementOfOpenDataset() { return std::string("Запрос открытого набора данных нельзя изменить"_cp1251); }
std::string TableOfOpenDataset() { return std::string("Таблицу открытого набора данных нельзя изменить"_cp1251); }

std::string NoColumn(int index) {
  return std::string("В результате запроса нет столбца "_cp1251) + std::to_string(index);
}

std::string TableWithoutFields(std::string_view tableName) {
  return std::string("В таблице "_cp1251) + TableFile(tableName) + std::string(" нет полей"_cp1251);
}

std::string TableTooLarge(std::string_view tableName) {
  return std::string("Таблица "_cp1251) + TableFile(tableName) + std::string(" слишком велика"_cp1251);
}

std::string ValueIsNot(std::string_view value, std::string_view field, std::string_view what1251) {
  return std::string("Значение '"_cp1251) + std::string(value) + std::string("' поля "_cp1251) + std::string(field) +
         std::string(" не является "_cp1251) + std::string(what1251);
}

std::string ValueOutOfIntegerRange(std::string_view value, std::string_view field) {
  return std::string("Значение "_cp1251) + std::string(value) + std::string(" поля "_cp1251) + std::string(field) +
         std::string(" не помещается в целое число"_cp1251);
}

}  // namespace ranta2kv::sql_messages
