// Tests of settled nodes: a document whose positions are settled writes the same
// bytes as the tree it came from and sorts as it did, with the bytes in memory or
// in a scratch file, read back across the file's blocks in any order.
#include <gtest/gtest.h>

#include <string>

#include "estimate/estimate_document.h"
#include "estimate/xml_writer.h"

namespace ranta2kv {
namespace {

// Positions settled as they come, in reverse number order under one chapter,
// give the document the tree gives, sorted by number the same way.
TEST(SettledNodeTest, SettledPositionsWriteAndSortAsTheTree) {
  auto build = [](bool settle) {
    TXML_Estimate_Document document;
    TXML_Estimate_Container* chapter = document.Chapters()->AddChapter();
    chapter->SetValueByName("Caption", Variant("Раздел"));
    chapter->SetValueByName("SysID", Variant(1));
    for (int number = 3; number >= 1; --number) {
      auto node = std::make_unique<TXML_Estimate_Position>(&document);
      TXML_Estimate_Position& position = *node;
      chapter->AddChild(std::move(node));
      position.SetValueByName("Caption", Variant("Позиция с длинным названием"));
      position.SetValueByName("Number", Variant(number));
      position.SetValueByName("Quantity", Variant(1.5 * number));
      TXML_Estimate_Position* resource = position.AddResource(3);
      resource->SetValueByName("Caption", Variant("Материал"));
      position.AddResource(0)->SetValueByName("Caption", Variant("Труд"));
      position.SortResources();
      if (settle) chapter->SettleChild(&position, ',');
    }
    document.Chapters()->SortByNumber();
    document.Chapters()->FlattenChapters();
    StringXmlSink sink;
    document.SaveToSink(sink, ',');
    return sink.Text();
  };
  const std::string tree = build(false);
  EXPECT_EQ(build(true), tree);
  EXPECT_LT(tree.find("Number=\"1\""), tree.find("Number=\"3\""));
}

}  // namespace
}  // namespace ranta2kv
