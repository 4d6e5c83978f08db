// What a conversion pass showed its caller, as one text for exact comparison:
// its log lines, then how it ended. Also the folder checks that go with it: the
// entries that are not tables, and the tables some open file still holds.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ranta2kv::test {

class RecordingRunHost;

enum class PassKind { Dbf, OleDb };

const char* PassName(PassKind pass);  // "direct pass", "SQL pass"

// Runs the pass on folder with the decimal separator ',' and returns, one line
// each (UTF-8): "log: <line>" per log line, then "error: <message>" when it
// failed, or "converted" when it wrote its file; nothing more when it returned
// early.
std::string ShownByPass(PassKind pass, const std::filesystem::path& folder);
// The same through a host of the test's own.
std::string ShownByPass(PassKind pass, RecordingRunHost& host);

// Names of the folder's entries whose extension is not ".DBF": output and
// temporary files.
std::vector<std::string> NonTables(const std::filesystem::path& folder);

// Names of the folder's regular files that a new open cannot lock exclusively.
std::vector<std::string> HeldFiles(const std::filesystem::path& folder);

}  // namespace ranta2kv::test
