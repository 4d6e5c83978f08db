// The atomic file destination: the sink's chunks go into the platform's output
// file, which is flushed to the disk before it replaces the target. Any failure
// removes the temporary file and raises Error with the system's message.
#include "estimate/atomic_file_sink.h"

#include "common/codepage.h"
#include "common/error.h"
#include "platform/file_name.h"
#include "platform/system_error.h"

namespace ranta2kv {

AtomicFileSink::AtomicFileSink(std::filesystem::path target, FileFaults* faults)
    : target_(std::move(target)), file_(faults) {
  if (int error = file_.CreateBeside(target_)) {
    throw Error(std::string("Не удалось создать файл \""_cp1251) + PathTo1251(target_) + "\": " +
                SystemMessage(error));
  }
}

AtomicFileSink::~AtomicFileSink() = default;  // the output file removes what it did not replace

void AtomicFileSink::WriteChunk(std::string_view bytes) {
  while (!bytes.empty()) {
    std::size_t written = 0;
    if (int error = file_.Write(bytes.data(), bytes.size(), written)) Fail("Ошибка записи файла \""_cp1251, error);
    bytes.remove_prefix(written);
  }
}

void AtomicFileSink::Commit() {
  Flush();
  if (int error = file_.Sync()) Fail("Ошибка записи файла \""_cp1251, error);
  if (int error = file_.ReplaceTarget(target_)) Fail("Не удалось заменить файл \""_cp1251, error);
}

void AtomicFileSink::Fail(std::string_view what, int error) {
  file_.Remove();
  throw Error(std::string(what) + PathTo1251(target_) + "\": " + SystemMessage(error));
}

}  // namespace ranta2kv
