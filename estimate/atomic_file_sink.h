// The file destination of the XML writer. It writes into a temporary file in the
// target's folder, flushes it to the disk and renames it over the target only on
// Commit, so that the target name never holds partial output and an earlier file
// survives a failure, a crash or a power cut.
#pragma once

#include <filesystem>
#include <string>

#include "estimate/xml_writer.h"
#include "platform/output_file.h"

namespace ranta2kv {

class FileFaults;

class AtomicFileSink : public XmlSink {
 public:
  // Creates the temporary file (with the permissions a plain create of the target
  // would get under the umask). Throws Error when it cannot. faults, when given,
  // are injected into the file's calls.
  explicit AtomicFileSink(std::filesystem::path target, FileFaults* faults = nullptr);
  // Without a Commit, closes and removes the temporary file.
  ~AtomicFileSink() override;

  // Writes what is buffered, flushes the file to the disk and renames it over
  // the target. Throws Error on failure; the temporary file is then removed.
  void Commit();

  const std::filesystem::path& TemporaryPath() const { return file_.TemporaryPath(); }

 protected:
  void WriteChunk(std::string_view bytes) override;

 private:
  [[noreturn]] void Fail(std::string_view what, int error);

  std::filesystem::path target_;
  OutputFile file_;
};

}  // namespace ranta2kv
