// What one conversion run gave: the file it wrote, how many chapters and
// positions that file holds, how many estimate rows were left out with a log
// line, and whether Stop ended the walk early. The result says it in short
// lines of the log, each readable in the window's log at its designed width.
#pragma once

#include <filesystem>
#include <string>

namespace ranta2kv {

struct ConversionResult {
  std::filesystem::path file;  // the XML file written
  int chapters = 0;            // "Chapter" elements, at every level
  int positions = 0;           // "Position" elements
  int rowsLeftOut = 0;         // estimate rows dropped with a log line of their own
  bool stopped = false;        // Stop ended the walk before the last row
};

// The line that opens the result of a run that Stop ended early.
std::string StoppedLine();

// The result of a run (windows-1251), its lines separated by '\n': the file
// without its folder (the folder the user chose, or under an object the one
// named above it), then its counts, after Stop behind StoppedLine(), e.g.
//   Записан файл "ЛС-1.XML"
//   разделов 2, позиций 14, пропущено строк 1
// No line begins with one of the problem messages, so that a reader tells the
// two apart.
std::string ResultText(const ConversionResult& result);

}  // namespace ranta2kv
