// The bytes of the settled elements of one document: each settled node renders
// its element once into the sink here and keeps where its bytes went; when the
// document is written they are copied from here into the document's sink. The
// sink hands them over in parts of about a block. A part stays in memory while
// the process's resident memory stays within the bytes rendered so far (so
// within the XML, which will hold them all); any other part goes into a scratch
// file in the folder given (the output's). Without a folder (documents built in
// memory) every part stays in memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "estimate/xml_writer.h"
#include "platform/scratch_file.h"

namespace ranta2kv {

class FileFaults;

class SettledElements {
 public:
  static constexpr std::size_t kBlockSize = 1 << 20;  // bytes per write into the file and per sequential read

  SettledElements();
  ~SettledElements();

  // From now on parts that memory cannot hold go into a scratch file in
  // folder, created with the first of them. faults, when given, are injected
  // into its calls and must outlive this.
  void KeepInScratchFileIn(std::filesystem::path folder, FileFaults* faults);

  // The sink an element is rendered into, as if inside an element.
  XmlSink& Sink() { return sink_; }
  // Bytes rendered so far: the offset of the next element's bytes.
  std::uint64_t Size() const { return sink_.Size(); }

  // Writes size bytes from offset as they are to out. Reads of the file that
  // follow each other go through blocks that grow with the run of them up to
  // kBlockSize (two are kept, so that a run broken by other reads picks up where
  // it was); any other read takes just its bytes, leaving the blocks as they
  // are. Throws Error when the scratch file fails.
  void CopyTo(std::uint64_t offset, std::uint64_t size, XmlSink& out);

  // Bytes held in memory and in the scratch file (tests, the benchmark's report).
  std::uint64_t BytesInMemory() const { return in_memory_; }
  std::uint64_t BytesInFile() const { return file_size_; }

 private:
  class AppendSink : public XmlSink {
   public:
    explicit AppendSink(SettledElements& owner) : XmlSink(kBlockSize), owner_(owner) { BeginInsideElement(); }
    std::uint64_t Size() const { return handed_ + Buffered().size(); }
    bool AllBuffered() const { return handed_ == 0; }
    using XmlSink::Buffered;

   protected:
    void WriteChunk(std::string_view bytes) override;

   private:
    SettledElements& owner_;
    std::uint64_t handed_ = 0;  // bytes handed to WriteChunk
  };

  // The bytes from start on, in memory or at fileOffset in the file.
  struct Part {
    std::uint64_t start = 0;
    std::uint64_t size = 0;
    std::string memory;          // the bytes, when in memory
    std::uint64_t fileOffset = 0;
    bool inFile = false;
  };
  void Store(std::string_view bytes, std::uint64_t start);
  bool MemoryHolds() const;
  // Bytes read from the file: a block, or the bytes of a read that jumps.
  struct Block {
    std::unique_ptr<char[]> bytes;  // kBlockSize of room
    std::uint64_t offset = 0;      // where they start in the file
    std::size_t size = 0;          // how many
    std::uint64_t used = 0;        // when last read from, for the choice of the block to refill
  };
  void CopyFromFile(const Part& part, std::uint64_t offset, std::uint64_t end, XmlSink& out);
  void Read(Block& block, std::uint64_t offset, std::size_t size);
  [[noreturn]] void Fail(std::string_view what, int error) const;

  AppendSink sink_{*this};
  std::vector<Part> parts_;            // in the order of their bytes
  std::uint64_t in_memory_ = 0;        // bytes of the parts in memory
  std::uint64_t file_size_ = 0;        // bytes of the parts in the file
  std::filesystem::path folder_;        // the scratch file's folder
  std::unique_ptr<ScratchFile> file_;  // none: every part stays in memory
  Block blocks_[2];
  Block jump_;                         // the bytes of the last read that jumped
  std::uint64_t clock_ = 0;
  std::uint64_t next_read_ = 0;        // the file offset after the last copy from it
  std::uint64_t run_ = 0;              // bytes of the copies that followed each other up to it
};

}  // namespace ranta2kv
