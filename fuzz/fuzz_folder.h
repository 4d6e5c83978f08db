// Working folders of one fuzzing process: a scratch folder made once per process
// and reused by every input, and a small generated estimate in it, one of whose
// seven tables an input replaces for one conversion.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace ranta2kv::fuzz {

// The seven tables of an estimate; the first byte of a pass input chooses one.
inline constexpr std::array<const char*, 7> kEstimateTables = {
    "SMETA.DBF", "POSTOOLS.DBF", "POSEXT.DBF", "RESTBL.DBF", "EXECUTE.DBF", "ACTS.DBF", "PARAMS.DBF"};

// A folder under the system's temporary directory, removed with its contents
// when the object goes (at the normal end of the process).
class ScratchDirectory {
 public:
  explicit ScratchDirectory(std::string_view prefix);
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes);
std::string ReadFileBytes(const std::filesystem::path& file);

// The generated estimate used around a fuzzed table: seed 1, a few positions,
// with the generator's broken and unusual rows.
void GenerateFuzzEstimate(const std::filesystem::path& folder);

class FuzzEstimate {
 public:
  FuzzEstimate();

  const std::filesystem::path& Folder() const { return folder_; }        // the seven tables
  const std::filesystem::path& OutputFolder() const { return output_; }  // where passes write

  // Puts the input's table in place: its first byte (mod 7) chooses the table,
  // the other bytes are the file. Without bytes nothing changes.
  void Replace(const std::uint8_t* data, std::size_t size);
  // Puts the generated table back and empties the output folder.
  void Restore();

 private:
  ScratchDirectory scratch_;
  std::filesystem::path folder_;
  std::filesystem::path output_;
  std::array<std::string, kEstimateTables.size()> generated_;  // bytes of each table
  int replaced_ = -1;                                         // the table now replaced
};

}  // namespace ranta2kv::fuzz
