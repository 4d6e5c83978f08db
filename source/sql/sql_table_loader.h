// Loading of one DBF file into an SQLite table of the "OLE DB" source, with the
// project's own table reader: every record in file order (deleted ones too), one
// typed column per field, C text in the ANSI code page, indexes on the key fields.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/table_file.h"

namespace ranta2kv {

class FileFaults;
class SqlDatabase;

// Creates and fills table `name` in one transaction; on failure nothing of it
// stays and the Error carries the reader's (or the database's) message. A file
// that changes while it is loaded, or is not the version expected, fails with
// the reader's change error. faults, when given, are injected into its reads.
void LoadDbfTable(SqlDatabase& database, const std::string& name, const std::filesystem::path& file,
                  FileFaults* faults = nullptr, std::optional<TableFileStamp> expected = std::nullopt);

// Opens the file as LoadDbfTable does (header, field descriptors, the exclusive
// open) and closes it again, reading no record; throws the Error that
// LoadDbfTable would throw before its first record (the change error too, when
// the file is not the version expected).
void CheckDbfTable(const std::string& name, const std::filesystem::path& file, FileFaults* faults = nullptr,
                   std::optional<TableFileStamp> expected = std::nullopt);

}  // namespace ranta2kv
