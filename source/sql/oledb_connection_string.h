// The items of the connection string of `ADOConnection1`: key=value pieces
// separated by ";". Finding the `Data Source` value to connect to, and pointing
// the `Data Source` item at another folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ranta2kv {

// The connection string as the connection starts, its `Data Source` the folder.
std::string InitialConnectionString(std::string_view folder);

// The first piece of the string (split at ";") that begins with exactly "Data
// Source=" is looked up in the string without regard to letter case, and its
// first occurrence is replaced by "Data Source=" + folder. Without such a piece
// the string is returned as it was.
std::string RewriteDataSource(std::string_view connectionString, std::string_view folder);

// The value of the first item whose key is Data Source (letter case and blanks
// around the key ignored); double quotes around the whole value are removed.
std::optional<std::string> DataSourceOf(std::string_view connectionString);

}  // namespace ranta2kv
