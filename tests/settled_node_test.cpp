// Tests of settled nodes: a document whose positions are settled writes the same
// bytes as the tree it came from and sorts as it did, with the bytes in memory or
// in a scratch file, read back across the file's blocks in any order.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <algorithm>
#include <string>

#include "estimate/estimate_document.h"
#include "estimate/settled_elements.h"
#include "estimate/settled_node.h"
#include "estimate/xml_writer.h"
#include "platform/file_faults.h"
#include "platform/scratch_file.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {

// A chapter of count positions numbered from first by step (1 or -1), settled
// as they come when asked. The caption of the position numbered huge, if any,
// is longer than a block of the scratch file.
void AddChapter(TXML_Estimate_Document& document, int count, int first, int step, bool settle,
                int huge = 0) {
  TXML_Estimate_Container* chapter = document.Chapters()->AddChapter();
  chapter->SetValueByName("Caption", Variant("Раздел " + std::to_string(first)));
  chapter->SetValueByName("SysID", Variant(first));
  for (int i = 0, number = first; i < count; ++i, number += step) {
    auto node = std::make_unique<TXML_Estimate_Position>(&document);
    TXML_Estimate_Position& position = *node;
    chapter->AddChild(std::move(node));
    position.SetValueByName("Caption", Variant(number == huge ? std::string(SettledElements::kBlockSize * 3 / 2, 'h')
                                                              : "Позиция с длинным названием " + std::to_string(number)));
    position.SetValueByName("Number", Variant(number));
    position.SetValueByName("Quantity", Variant(1.5 * number));
    position.AddResource(3)->SetValueByName("Caption", Variant("Материал"));
    position.AddResource(0)->SetValueByName("Caption", Variant("Труд"));
    position.SortResources();
    if (settle) SettleChild(*chapter, &position, ',');
  }
}

std::string Written(TXML_Estimate_Document& document) {
  document.Chapters()->SortByNumber();
  document.Chapters()->FlattenChapters();
  StringXmlSink sink;
  document.SaveToSink(sink, ',');
  return sink.Text();
}

// Positions settled as they come, in reverse number order under one chapter,
// give the document the tree gives, sorted by number the same way.
TEST(SettledNodeTest, SettledPositionsWriteAndSortAsTheTree) {
  auto build = [](bool settle) {
    TXML_Estimate_Document document;
    AddChapter(document, 3, 3, -1, settle);
    return Written(document);
  };
  const std::string tree = build(false);
  EXPECT_EQ(build(true), tree);
  EXPECT_LT(tree.find("Number=\"1\""), tree.find("Number=\"3\""));
}

// Several blocks of settled bytes: one chapter read back in the order it was
// settled, one in the reverse order, and one element longer than a block.
TEST(SettledNodeTest, ScratchFileGivesBackEveryElementAcrossBlocksAndLeavesNoFile) {
  test::ScratchFolder folder("settled");
  auto build = [&](bool settle, bool scratch) {
    TXML_Estimate_Document document;
    if (scratch) document.Settled().KeepInScratchFileIn(folder.Path(), nullptr);
    AddChapter(document, 6000, 1, 1, settle);
    AddChapter(document, 6000, 20000, -1, settle, 17000);
    if (settle) {
      EXPECT_GT(document.Settled().Size(), 3 * SettledElements::kBlockSize);
    }
    std::string written = Written(document);
    if (OpenScratchFilesHaveNoName()) {
      EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
    }
    return written;
  };
  const std::string tree = build(false, false);
  EXPECT_TRUE(build(true, false) == tree);
  EXPECT_TRUE(build(true, true) == tree);
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

// The byte at offset of the stream the next test writes, so that it need not
// keep what it wrote (which would take the memory the store is to use).
char StreamByte(std::uint64_t offset) { return static_cast<char>('a' + (offset * 7 + offset / 4093) % 26); }

// Parts of the settled bytes stay in memory once the process is within the
// bytes rendered so far, the others go to the scratch file, and copies across
// parts of either kind give back what was written.
TEST(SettledElementsTest, PartsInMemoryAndInTheFileComeBackAlike) {
  test::ScratchFolder folder("settled-parts");
  SettledElements elements;
  elements.KeepInScratchFileIn(folder.Path(), nullptr);
  std::string piece;
  std::uint64_t written = 0;
  while (elements.BytesInMemory() < 3 * SettledElements::kBlockSize && written < (std::uint64_t{512} << 20)) {
    piece.resize(1 + written % 3001);
    for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = StreamByte(written + i);
    elements.Sink().WriteRaw(piece);
    written += piece.size();
  }
  ASSERT_GT(elements.BytesInMemory(), 0u) << "the process never came within the bytes rendered";
  EXPECT_GT(elements.BytesInFile(), 0u);
  std::uint64_t offset = 0;
  for (std::uint64_t size = 1; offset < written; size = size * 3 + 1) {
    size = std::min(size % (3 * SettledElements::kBlockSize) + 1, written - offset);
    StringXmlSink copy;
    elements.CopyTo(offset, size, copy);
    const std::string& text = copy.Text();
    ASSERT_EQ(text.size(), size);
    for (std::size_t i = 0; i < text.size(); ++i) ASSERT_EQ(text[i], StreamByte(offset + i)) << offset + i;
    offset += size;
  }
}

// Copies that jump around the scratch file read little more than they copy: a
// run in file order broken by other copies keeps its block, and a copy that
// jumps reads only its own bytes.
TEST(SettledElementsTest, InterleavedRunsReadTheFileAboutOnce) {
  struct CountedReads : FileFaults {
    int Before(FileCall call, const std::filesystem::path&, std::size_t& size) override {
      if (call == FileCall::ReadScratch) bytes += size;
      return 0;
    }
    std::uint64_t bytes = 0;
  } reads;
  test::ScratchFolder folder("settled-reads");
  SettledElements elements;
  elements.KeepInScratchFileIn(folder.Path(), &reads);
  constexpr std::uint64_t kPiece = 1000, kPieces = 8000;  // 8 MB: within the resident memory, so in the file
  std::string piece(kPiece, ' ');
  for (std::uint64_t n = 0; n < kPieces; ++n) {
    for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = StreamByte(n * kPiece + i);
    elements.Sink().WriteRaw(piece);
  }
  StringXmlSink flushed;
  elements.CopyTo(0, 1, flushed);
  ASSERT_GE(elements.BytesInFile(), kPieces * kPiece - SettledElements::kBlockSize);
  auto copy = [&](std::uint64_t n) {
    StringXmlSink out;
    elements.CopyTo(n * kPiece, kPiece, out);
    for (std::size_t i = 0; i < kPiece; ++i) ASSERT_EQ(out.Text()[i], StreamByte(n * kPiece + i)) << n;
  };
  reads.bytes = 0;
  for (std::uint64_t n = 0; n < kPieces / 2; n += 2) {  // two of the first half, then one of the second
    copy(n);
    copy(n + 1);
    copy(n / 2 + kPieces / 2);
  }
  EXPECT_LE(reads.bytes, 2 * kPieces * kPiece);
  reads.bytes = 0;
  for (std::uint64_t step = 0, n = 1; step < kPieces / 4; ++step, n = (n * 7919 + 13) % kPieces) copy(n);
  EXPECT_LE(reads.bytes, kPieces / 4 * kPiece * 3);
}

}  // namespace
}  // namespace ranta2kv
