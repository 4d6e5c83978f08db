// The bytes of the settled elements of one document: each settled node renders
// its element once into the sink here and keeps where its bytes went; when the
// document is written they are copied from here into the document's sink. Once
// they outgrow one block they go into a scratch file in the folder given (the
// output's), or stay in memory when none is given (documents built in memory).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "estimate/xml_writer.h"
#include "platform/scratch_file.h"

namespace ranta2kv {

class FileFaults;

class SettledElements {
 public:
  static constexpr std::size_t kBlockSize = 1 << 20;  // bytes per write into the file and per sequential read

  SettledElements();
  ~SettledElements();

  // From now on the bytes go into a scratch file in folder, created when they
  // outgrow the first block. faults, when given, are injected into its calls and must
  // outlive this.
  void KeepInScratchFileIn(std::filesystem::path folder, FileFaults* faults);

  // The sink an element is rendered into, as if inside an element.
  XmlSink& Sink() { return sink_; }
  // Bytes rendered so far: the offset of the next element's bytes.
  std::uint64_t Size() const { return sink_.Size(); }

  // Writes size bytes from offset as they are to out. Reads that follow each
  // other go through whole blocks; any other read takes just its bytes.
  // Throws Error when the scratch file fails.
  void CopyTo(std::uint64_t offset, std::uint64_t size, XmlSink& out);

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

  void Store(std::string_view bytes);
  void ReadBlock(std::uint64_t offset, std::size_t size);
  [[noreturn]] void Fail(std::string_view what, int error) const;

  AppendSink sink_{*this};
  std::string memory_;            // the bytes, when they stay in memory
  std::filesystem::path folder_;        // the scratch file's folder
  std::unique_ptr<ScratchFile> file_;  // none: the bytes stay in memory
  std::unique_ptr<char[]> block_;      // bytes read from the file, kBlockSize of room
  std::uint64_t block_offset_ = 0;     // where they start in the file
  std::size_t block_size_ = 0;         // how many
  std::uint64_t next_read_ = 0;        // the end of the last copy
};

}  // namespace ranta2kv
