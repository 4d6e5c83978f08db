// What the scratch file asks of the system: a file for bytes that do not fit the
// memory, created in a given folder (the output's, so on the output's disk) and
// never visible there under a name that could outlive the run: it has no name at
// all, or loses it at once, or is deleted by the system when it is closed.
// Bytes are appended, and read back from any offset. Every call gives 0 or the
// system's error code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace ranta2kv {

class FileFaults;

class ScratchFile {
 public:
  // faults, when given, must outlive the file.
  explicit ScratchFile(FileFaults* faults = nullptr);
  ~ScratchFile();  // closes the file, and with that its bytes are gone
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  int CreateIn(const std::filesystem::path& folder);
  bool IsOpen() const;

  // Appends at most size bytes of data at the end, at least one when it gives 0;
  // written tells how many. A disk that takes nothing gives the code of a full disk.
  int Append(const char* data, std::size_t size, std::size_t& written);
  // Reads at most size bytes from offset, at least one when it gives 0; read
  // tells how many. Reading at or past the end gives the code of an I/O error.
  int ReadAt(std::uint64_t offset, char* data, std::size_t size, std::size_t& read);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ranta2kv
