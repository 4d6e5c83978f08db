// Tests of settled nodes and their packing: a document whose positions are
// settled writes the same bytes as the tree it came from, sorts as it did, and
// the packing gives back any element exactly, also ones it cannot pack.
#include <gtest/gtest.h>

#include <string>

#include "estimate/element_packing.h"
#include "estimate/estimate_document.h"
#include "estimate/xml_writer.h"

namespace ranta2kv {
namespace {

std::string Unpacked(ElementPacking& packing, const std::string& element) {
  std::string out;
  packing.Unpack(packing.Pack(element), out);
  return out;
}

TEST(ElementPackingTest, EveryElementComesBackExactly) {
  ElementPacking packing;
  const std::string elements[] = {
      R"(<Position Caption="Штукатурка поверхностей внутри здания" Number="1"><PriceBase PZ="7410.6"/></Position>)",
      R"(<Position Caption="Штукатурка поверхностей внутри здания" Number="2"/>)",  // a shared text again
      R"(<Mat Caption="a = &quot;b&quot; &lt;c&gt; &#10;" Code=""/>)",
      R"(<K/>)",
      "",
      "no element at all",
      R"(<Broken Caption="unterminated)",
      R"(<Odd Name ="x"/>)",
      "<Tab\tName=\"x\"/>",  // a byte below 0x20: kept as it is
      R"(</Close>)",
  };
  for (const std::string& element : elements) EXPECT_EQ(Unpacked(packing, element), element);
  for (int i = 0; i < 300; ++i) {  // more names than the packing has tokens for
    const std::string element = "<N" + std::to_string(i) + " A" + std::to_string(i) + "=\"" + std::to_string(i) + "\"/>";
    EXPECT_EQ(Unpacked(packing, element), element);
  }
  const std::string repeated = R"(<Tzr Caption="Затраты труда рабочих-строителей" Code="1-3-5"/>)";
  EXPECT_LT(packing.Pack(repeated).size(), repeated.size() / 2);
}

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
