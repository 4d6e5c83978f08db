// The store of settled elements: the render sink hands its full buffers to the
// scratch file (creating it with the first), and the copies read the file back
// by blocks; bytes that never filled the sink's buffer are copied from there. A
// failing file raises Error with the system's message, which ends the run before
// any output file replaces its target.
#include "estimate/settled_elements.h"

#include <algorithm>

#include "common/codepage.h"
#include "common/error.h"
#include "platform/file_name.h"
#include "platform/system_error.h"

namespace ranta2kv {

SettledElements::SettledElements() = default;

SettledElements::~SettledElements() = default;

void SettledElements::KeepInScratchFileIn(std::filesystem::path folder, FileFaults* faults) {
  folder_ = std::move(folder);
  file_ = std::make_unique<ScratchFile>(faults);
}

void SettledElements::AppendSink::WriteChunk(std::string_view bytes) {
  owner_.Store(bytes);
  handed_ += bytes.size();
}

void SettledElements::Store(std::string_view bytes) {
  if (!file_) {
    memory_.append(bytes);
    return;
  }
  if (!file_->IsOpen()) {
    if (int error = file_->CreateIn(folder_)) Fail("Не удалось создать временный файл в папке \""_cp1251, error);
  }
  while (!bytes.empty()) {
    std::size_t written = 0;
    if (int error = file_->Append(bytes.data(), bytes.size(), written)) {
      Fail("Ошибка записи временного файла в папке \""_cp1251, error);
    }
    bytes.remove_prefix(written);
  }
}

void SettledElements::CopyTo(std::uint64_t offset, std::uint64_t size, XmlSink& out) {
  if (sink_.AllBuffered()) {  // a small document: its bytes never left the sink
    out.WriteRaw(sink_.Buffered().substr(offset, size));
    return;
  }
  sink_.Flush();
  if (!file_) {
    out.WriteRaw(std::string_view(memory_).substr(offset, size));
    return;
  }
  const std::uint64_t end = offset + size;
  while (offset < end) {
    if (offset < block_offset_ || offset >= block_offset_ + block_size_) {
      const std::uint64_t wanted = offset == next_read_ ? sink_.Size() - offset : end - offset;
      ReadBlock(offset, static_cast<std::size_t>(std::min<std::uint64_t>(wanted, kBlockSize)));
    }
    const std::uint64_t available = std::min(end, block_offset_ + block_size_) - offset;
    out.WriteRaw(std::string_view(block_.get() + (offset - block_offset_), static_cast<std::size_t>(available)));
    offset += available;
  }
  next_read_ = end;
}

void SettledElements::ReadBlock(std::uint64_t offset, std::size_t size) {
  if (!block_) block_.reset(new char[kBlockSize]);
  block_size_ = 0;  // nothing valid while it is read
  for (std::size_t done = 0; done < size;) {
    std::size_t read = 0;
    if (int error = file_->ReadAt(offset + done, block_.get() + done, size - done, read)) {
      Fail("Ошибка чтения временного файла в папке \""_cp1251, error);
    }
    done += read;
  }
  block_offset_ = offset;
  block_size_ = size;
}

void SettledElements::Fail(std::string_view what, int error) const {
  throw Error(std::string(what) + PathTo1251(folder_) + "\": " + SystemMessage(error));
}

}  // namespace ranta2kv
