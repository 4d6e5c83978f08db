// Runs dbfread_dump.py and parses its tab-separated lines into DumpedTable values.
#include "tests/support/dbfread_dump.h"

#include <sys/wait.h>

#include <cstdio>
#include <stdexcept>

namespace ranta2kv::test {
namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr int kModuleMissing = 3;

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t') {
      parts.emplace_back();
    } else if (c == '\\' && i + 1 < line.size()) {
      const char next = line[++i];
      parts.back() += next == 't' ? '\t' : next == 'r' ? '\r' : next == 'n' ? '\n' : next;
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

void AddLine(std::vector<DumpedTable>& tables, const std::vector<std::string>& parts) {
  const std::string& kind = parts[0];
  if (kind == "T") {
    tables.emplace_back();
    return;
  }
  if (tables.empty()) throw std::runtime_error("dbfread dump: line before its table");
  DumpedTable& table = tables.back();
  if (kind == "H" && parts.size() == 9) {
    int* targets[] = {&table.version, &table.headerRecordCount, &table.languageDriver, &table.headerLength,
                      &table.recordLength, &table.year, &table.month, &table.day};
    for (std::size_t i = 0; i < 8; ++i) *targets[i] = std::stoi(parts[i + 1]);
  } else if (kind == "F" && parts.size() == 5) {
    table.fields.push_back({parts[1], parts[2].empty() ? '?' : parts[2][0], std::stoi(parts[3]), std::stoi(parts[4])});
  } else if ((kind == "R" || kind == "D") && parts.size() == table.fields.size() + 1) {
    table.records.push_back({kind == "D", std::vector<std::string>(parts.begin() + 1, parts.end())});
  } else {
    throw std::runtime_error("dbfread dump: unexpected line of kind " + kind);
  }
}

}  // namespace

std::size_t DumpedTable::FieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].name == name) return i;
  }
  throw std::out_of_range("no field " + std::string(name));
}

const std::string& DumpedTable::Value(const DumpedRecord& record, std::string_view field) const {
  return record.values.at(FieldIndex(field));
}

std::optional<std::vector<DumpedTable>> DumpWithDbfread(const std::vector<std::filesystem::path>& tables) {
  if (!std::filesystem::exists(kPython)) return std::nullopt;
  std::string command = std::string(kPython) + " " +
                        ShellQuoted(std::string(RANTA2KV_SOURCE_DIR) + "/tests/support/dbfread_dump.py");
  for (const auto& table : tables) command += " " + ShellQuoted(table.string());
  command += " 2>/dev/null";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  std::vector<DumpedTable> dumped;
  std::string line;
  try {
    for (int c = std::fgetc(pipe); c != EOF; c = std::fgetc(pipe)) {
      if (c != '\n') {
        line += static_cast<char>(c);
        continue;
      }
      AddLine(dumped, SplitTabs(line));
      line.clear();
    }
  } catch (...) {
    pclose(pipe);
    throw;
  }
  const int status = pclose(pipe);
  if (WIFEXITED(status) && WEXITSTATUS(status) == kModuleMissing) return std::nullopt;
  if (status != 0) throw std::runtime_error("dbfread could not read the tables: " + command);
  return dumped;
}

}  // namespace ranta2kv::test
