// The store of settled elements: the render sink hands its full buffers over
// as parts, each kept in memory or appended to the scratch file (created with
// the first), and the copies take the memory's bytes as they are and read the
// file back by blocks; bytes that never filled the sink's buffer are copied
// from there. A failing file raises Error with the system's message, which ends
// the run before any output file replaces its target.
#include "estimate/settled_elements.h"

#include <algorithm>

#include "common/codepage.h"
#include "common/error.h"
#include "platform/file_name.h"
#include "platform/process_memory.h"
#include "platform/system_error.h"

namespace ranta2kv {

SettledElements::SettledElements() = default;

SettledElements::~SettledElements() = default;

void SettledElements::KeepInScratchFileIn(std::filesystem::path folder, FileFaults* faults) {
  folder_ = std::move(folder);
  file_ = std::make_unique<ScratchFile>(faults);
}

void SettledElements::AppendSink::WriteChunk(std::string_view bytes) {
  owner_.Store(bytes, handed_);
  handed_ += bytes.size();
}

// The process holds no more than the bytes rendered so far, those of this part
// with them, and room for what the run still takes once they are all rendered
// (the buffers of the write): kept in memory, they keep the process within its XML.
bool SettledElements::MemoryHolds() const {
  if (!file_) return true;
  constexpr std::uint64_t kRoomForTheWrite = 8 << 20;
  const std::optional<std::uint64_t> resident = ResidentBytes();
  return resident && *resident + kRoomForTheWrite <= sink_.Size();
}

void SettledElements::Store(std::string_view bytes, std::uint64_t start) {
  Part part;
  part.start = start;
  part.size = bytes.size();
  if (MemoryHolds()) {
    part.memory.assign(bytes);
    in_memory_ += bytes.size();
    parts_.push_back(std::move(part));
    return;
  }
  if (!file_->IsOpen()) {
    if (int error = file_->CreateIn(folder_)) Fail("Не удалось создать временный файл в папке \""_cp1251, error);
  }
  part.inFile = true;
  part.fileOffset = file_size_;
  while (!bytes.empty()) {
    std::size_t written = 0;
    if (int error = file_->Append(bytes.data(), bytes.size(), written)) {
      Fail("Ошибка записи временного файла в папке \""_cp1251, error);
    }
    bytes.remove_prefix(written);
    file_size_ += written;
  }
  parts_.push_back(std::move(part));
}

void SettledElements::CopyTo(std::uint64_t offset, std::uint64_t size, XmlSink& out) {
  if (sink_.AllBuffered()) {  // a small document: its bytes never left the sink
    out.WriteRaw(sink_.Buffered().substr(offset, size));
    return;
  }
  sink_.Flush();
  const std::uint64_t end = offset + size;
  auto part = std::upper_bound(parts_.begin(), parts_.end(), offset,
                               [](std::uint64_t at, const Part& p) { return at < p.start; });
  for (--part; offset < end; ++part) {
    const std::uint64_t until = std::min(end, part->start + part->size);
    if (part->inFile) {
      CopyFromFile(*part, offset, until, out);
    } else {
      out.WriteRaw(std::string_view(part->memory).substr(offset - part->start, until - offset));
    }
    offset = until;
  }
}

// Bytes [offset, end) of a part in the file. A copy that follows the last one
// reads ahead into the block read from least recently, four times the run of
// copies so far (a whole block once the copies are all in file order, a few
// elements when the order of the document only now and then follows that of
// the file); one that jumps reads only its own bytes.
void SettledElements::CopyFromFile(const Part& part, std::uint64_t offset, std::uint64_t end, XmlSink& out) {
  std::uint64_t at = part.fileOffset + (offset - part.start);
  const std::uint64_t stop = part.fileOffset + (end - part.start);
  const bool follows = at == next_read_;
  run_ = (follows ? run_ : 0) + (stop - at);
  constexpr std::uint64_t kLeastReadAhead = 64 << 10;
  const std::uint64_t ahead = std::clamp<std::uint64_t>(4 * run_, kLeastReadAhead, kBlockSize);
  auto holds = [&at](const Block& block) { return at >= block.offset && at < block.offset + block.size; };
  while (at < stop) {
    Block* block = std::find_if(std::begin(blocks_), std::end(blocks_), holds);
    if (block == std::end(blocks_)) {
      if (follows) {
        block = std::min_element(std::begin(blocks_), std::end(blocks_),
                                 [](const Block& a, const Block& b) { return a.used < b.used; });
        const std::uint64_t wanted = std::max(ahead, stop - at);
        Read(*block, at, static_cast<std::size_t>(std::min({file_size_ - at, std::uint64_t{kBlockSize}, wanted})));
      } else {
        block = &jump_;
        Read(jump_, at, static_cast<std::size_t>(std::min<std::uint64_t>(stop - at, kBlockSize)));
      }
    }
    block->used = ++clock_;
    const std::uint64_t available = std::min(stop, block->offset + block->size) - at;
    out.WriteRaw(std::string_view(block->bytes.get() + (at - block->offset), static_cast<std::size_t>(available)));
    at += available;
  }
  next_read_ = stop;
}

void SettledElements::Read(Block& block, std::uint64_t offset, std::size_t size) {
  if (!block.bytes) block.bytes.reset(new char[kBlockSize]);
  block.size = 0;  // nothing valid while it is read
  for (std::size_t done = 0; done < size;) {
    std::size_t read = 0;
    if (int error = file_->ReadAt(offset + done, block.bytes.get() + done, size - done, read)) {
      Fail("Ошибка чтения временного файла в папке \""_cp1251, error);
    }
    done += read;
  }
  block.offset = offset;
  block.size = size;
}

void SettledElements::Fail(std::string_view what, int error) const {
  throw Error(std::string(what) + PathTo1251(folder_) + "\": " + SystemMessage(error));
}

}  // namespace ranta2kv
