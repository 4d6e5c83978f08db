// The file destination of the XML writer. It writes into a temporary file in the
// target's folder and renames it over the target only on Commit, so that the
// target name never holds partial output and an earlier file survives a failure.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

#include "estimate/xml_writer.h"

namespace ranta2kv {

class AtomicFileSink : public XmlSink {
 public:
  // Creates the temporary file (with the permissions a plain create of the target
  // would get under the umask). Throws Error when it cannot.
  explicit AtomicFileSink(std::filesystem::path target);
  // Without a Commit, closes and removes the temporary file.
  ~AtomicFileSink() override;

  // Writes what is buffered, closes the file and renames it over the target.
  // Throws Error on failure; the temporary file is then removed.
  void Commit();

  const std::filesystem::path& TemporaryPath() const { return temporary_; }

 protected:
  void WriteChunk(std::string_view bytes) override;
  // One write(2) call; tests override it to inject failures (set errno, return -1).
  virtual ssize_t WriteSome(int fd, const char* data, std::size_t size);

 private:
  [[noreturn]] void Fail(std::string_view what, int error);
  void Discard();  // closes and removes the temporary file, keeping errno-free

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  int fd_ = -1;           // the open temporary file, -1 once closed
  bool committed_ = false;
};

}  // namespace ranta2kv
