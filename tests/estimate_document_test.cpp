// Tests of the estimate document tree: attribute values and their errors, node
// names and tags, containers with their find-or-create operations, positions, the
// document skeleton, the three sorts and the flattening of the chapter tree.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <random>

#include "common/codepage.h"
#include "estimate/estimate_document.h"
#include "tests/support/error_message.h"

namespace ranta2kv {
namespace {

using test::ErrorMessage;
using Names = std::vector<std::string>;

const std::string kIndexError(("Индекс за пределами диапазона"_cp1251));

Names ChildNames(const TXML_Estimate_Container& container) {
  Names names;
  for (const auto& child : container.Children()) names.push_back(child->NodeName());
  return names;
}

// Children as "C<SysID>" for chapters, "P<Number>" for positions, "?" for others.
Names ChildKeys(const TXML_Estimate_Container& container) {
  Names keys;
  for (const auto& child : container.Children()) {
    if (child->HasValue("SysID", true)) keys.push_back("C" + child->GetValueByName("SysID").ToText('.'));
    else if (child->HasValue("Number", true)) keys.push_back("P" + child->GetValueByName("Number").ToText('.'));
    else keys.push_back("?");
  }
  return keys;
}

TXML_Estimate_Container* AddChapter(TXML_Estimate_Container& parent, const Variant& sysId) {
  TXML_Estimate_Container* chapter = parent.AddChapter();
  chapter->SetValueByName("SysID", sysId);
  return chapter;
}

void AddPosition(TXML_Estimate_Container& parent, const Variant& number) {
  parent.AddChild(std::make_unique<TXML_Estimate_Position>(parent.Document()))->SetValueByName("Number", number);
}

TEST(ItemAttributesTest, FreshItemHasNoAttributes) {
  TXML_Estimate_Item item(nullptr);
  EXPECT_EQ(ErrorMessage([&] { item.GetValue(0); }), kIndexError);
  EXPECT_FALSE(item.HasValue("Caption", false));
  EXPECT_EQ(item.NodeName(), "");
}

TEST(ItemAttributesTest, ValuesStartEmptyAndNullCountsAsAssigned) {
  TXML_Estimate_Item item(nullptr);
  item.SetAttributes(SignAttributes);
  EXPECT_TRUE(item.HasValue("Caption", false));
  EXPECT_FALSE(item.HasValue("Caption", true));
  item.SetValueByName("Caption", Variant::Null());
  EXPECT_TRUE(item.HasValue("Caption", true));
  item.SetValue(0, Variant());
  EXPECT_FALSE(item.HasValue("Caption", true));
}

TEST(ItemAttributesTest, BadIndexOrNameIsAnErrorAndChangesNothing) {
  TXML_Estimate_Item item(nullptr);
  item.SetAttributes(ChapterAttributes);
  item.SetValue(1, Variant(5));
  EXPECT_EQ(ErrorMessage([&] { item.GetValue(2); }), kIndexError);
  EXPECT_EQ(ErrorMessage([&] { item.SetValue(-1, Variant(1)); }), kIndexError);
  EXPECT_EQ(ErrorMessage([&] { item.GetValueByName("caption"); }), kIndexError);
  EXPECT_EQ(ErrorMessage([&] { item.SetValueByName("Number", Variant(1)); }), kIndexError);
  EXPECT_EQ(item.GetValue(1).IntegerValue(), 5);
  EXPECT_TRUE(item.GetValue(0).IsEmpty());
}

TEST(ItemAttributesTest, EveryTypeComesBackAsStored) {
  TXML_Estimate_Position item(nullptr);
  const std::vector<Variant> values = {
      Variant(0), Variant(INT64_MIN), Variant(INT64_MAX), Variant::Currency(-123456789), Variant::DateTime(45000.75),
      Variant::Boolean(true), Variant(std::string("a\0b", 3)), Variant(std::string(300, '\xE0')), Variant(""),
      Variant::Null()};
  for (std::size_t i = 0; i < values.size(); ++i) item.SetValue(static_cast<int>(i), values[i]);
  for (std::size_t i = 0; i < values.size(); ++i) {
    Variant got = item.GetValue(static_cast<int>(i));
    ASSERT_EQ(got.type(), values[i].type()) << i;
    EXPECT_EQ(got.ToText('.'), values[i].ToText('.')) << i;
    EXPECT_EQ(got.TextValue(), values[i].TextValue()) << i;
  }
}

TEST(ItemAttributesTest, FloatingValuesComeBackBitForBit) {
  TXML_Estimate_Position item(nullptr);
  for (double value : {0.1, -0.0, 1234.56, -0.5, 1e300, 5e-324, 1.0 / 3, 9007199254740993.0, std::nan(""),
                       -std::numeric_limits<double>::infinity(), 1e-9}) {
    item.SetValue(4, Variant(value));
    item.SetValue(0, Variant(std::string(20, 'x')));  // moves the values out of the object and back
    item.SetValue(0, Variant());
    double got = item.GetValue(4).FloatValue();
    EXPECT_EQ(std::memcmp(&got, &value, sizeof value), 0) << value;
  }
}

TEST(ItemAttributesTest, RandomChangesMatchAPlainModel) {
  TXML_Estimate_Position item(nullptr);
  std::map<int, std::string> model;  // index -> text of the value
  std::mt19937 random(7);
  for (int step = 0; step < 5000; ++step) {
    int index = static_cast<int>(random() % 19);
    Variant value;  // case 0 leaves it empty, which unassigns
    switch (random() % 4) {
      case 1: value = Variant(static_cast<std::int64_t>(random()) - (1 << 30)); break;
      case 2: value = Variant(std::string(random() % 40, static_cast<char>('a' + step % 26))); break;
      case 3: value = Variant(step % 3 ? step / 100.0 : step / 7.0); break;
    }
    item.SetValue(index, value);
    if (value.IsEmpty()) model.erase(index);
    else model[index] = value.ToText('.');
    for (int probe = 0; probe < 19; ++probe) {
      ASSERT_EQ(item.HasValue(PositionAttributes[probe], true), model.count(probe) == 1);
      if (model.count(probe)) {
        ASSERT_EQ(item.GetValue(probe).ToText('.'), model[probe]);
      }
    }
  }
}

// The typed setters store what the named ones store, at the attribute their
// slot names, also after room was reserved for them.
TEST(ItemAttributesTest, TypedSettersAgreeWithTheNamedOnes) {
  const std::pair<std::uint8_t, std::string_view> kSlots[] = {
      {kPositionCaption, "Caption"}, {kPositionNumber, "Number"}, {kPositionCode, "Code"},
      {kPositionUnits, "Units"}, {kPositionQuantity, "Quantity"}, {kPositionComment, "Comment"},
      {kPositionPriceLevel, "PriceLevel"}, {kPositionOptions, "Options"}, {kPositionVr2001, "Vr2001"},
      {kPositionWorkClass, "WorkClass"}};
  for (const auto& [slot, name] : kSlots) EXPECT_EQ(PositionAttributes[slot], name);
  EXPECT_EQ(PriceAttributes[kPriceZM], "ZM");
  EXPECT_EQ(CoefficientAttributes[kCoefficientMT], "Value_MT");
  EXPECT_EQ(ImplementationAttributes[kImplementationQuantity], "Quantity");
  EXPECT_EQ(CustomNPAttributes[kCustomNPPlanMask], "PlanMask");

  std::mt19937 random(3);
  for (int round = 0; round < 200; ++round) {
    TXML_Estimate_Position typed(nullptr), named(nullptr);
    if (round % 2) typed.ReserveValueBytes(64);
    for (int step = 0; step < 12; ++step) {
      const auto& [slot, name] = kSlots[random() % std::size(kSlots)];
      switch (random() % 3) {
        case 0: {
          const std::string text(random() % 30, static_cast<char>('a' + step));
          typed.SetText(slot, text);
          named.SetValueByName(name, Variant(text));
          break;
        }
        case 1:
          typed.SetInteger(slot, static_cast<std::int64_t>(random()) - (1 << 30));
          named.SetValueByName(name, Variant(typed.GetValue(slot).IntegerValue()));
          break;
        default: {
          const double value = static_cast<double>(random() % 100000) / 100;
          typed.SetNumber(slot, DecimalNumber(value));
          named.SetValueByName(name, Variant(value));
        }
      }
    }
    for (int i = 0; i < 19; ++i) {
      ASSERT_EQ(typed.GetValue(i).type(), named.GetValue(i).type()) << i;
      ASSERT_EQ(typed.GetValue(i).ToText('.'), named.GetValue(i).ToText('.')) << i;
    }
  }
  TXML_Estimate_Item leaf(nullptr);
  leaf.SetAttributes(SignAttributes);
  EXPECT_EQ(ErrorMessage([&] { leaf.SetText(1, "x"); }), kIndexError);
}

TEST(ItemNameAndTagTest, NamesAndTagsOfAnyKind) {
  TXML_Estimate_Item item(nullptr);
  item.SetAttributes(SignAttributes);
  for (std::string_view name : {"Sign", "Своё имя", "Other", ""}) {
    item.SetNodeName(name);
    EXPECT_EQ(item.NodeName(), name);
  }
  EXPECT_TRUE(item.Tag().IsEmpty());
  item.SetTag(Variant("IsPath"));
  item.SetNodeName("Chapter");
  EXPECT_EQ(item.Tag().TextValue(), "IsPath");
  EXPECT_EQ(item.AttributeName(0), "Caption");
  item.SetTag(Variant());
  EXPECT_TRUE(item.Tag().IsEmpty());
}

TEST(ContainerTest, SetKindNamesAndGivesFourKindsASchema) {
  TXML_Estimate_Container container(nullptr);
  container.SetAttributes(SignAttributes);
  container.SetKind(kCoefficientsKind);
  EXPECT_EQ(container.NodeName(), "Koefficients");
  EXPECT_EQ(container.AttributeCount(), 1u);  // the schema stays
  container.SetKind(kChapterKind);
  EXPECT_EQ(container.NodeName(), "Chapter");
  EXPECT_EQ(container.AttributeName(1), "SysID");
  container.SetKind(kWorkTypesKind);
  EXPECT_EQ(container.AttributeName(0), "Type");
  container.SetKind(kWorkTypeGroupKind);
  EXPECT_EQ(container.AttributeName(1), "ID");
  EXPECT_EQ(ErrorMessage([&] { container.SetKind(15); }), kIndexError);
  EXPECT_EQ(container.Kind(), 5);
}

TEST(ContainerTest, AddChildSetsParentAndDocument) {
  TXML_Estimate_Document document;
  TXML_Estimate_Container container(&document);
  TXML_Estimate_Item* added = container.AddChild(std::make_unique<TXML_Estimate_Item>(nullptr));
  EXPECT_EQ(added->Parent(), &container);
  EXPECT_EQ(added->Document(), &document);
  EXPECT_EQ(document.GetContainer(kCatalogKind, true)->Document(), &document);
}

TEST(ContainerTest, ChildIndexErrors) {
  TXML_Estimate_Container container(nullptr);
  container.AddChapter();
  container.AddChapter();
  TXML_Estimate_Item stranger(nullptr);
  EXPECT_EQ(ErrorMessage([&] { container.GetChild(2); }), "List index out of bounds (2)");
  EXPECT_EQ(ErrorMessage([&] { container.GetChild(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorMessage([&] { container.MoveChild(container.GetChild(0), 2); }), "List index out of bounds (2)");
  EXPECT_EQ(ErrorMessage([&] { container.MoveChild(&stranger, 1); }), "List index out of bounds (-1)");
}

TEST(ContainerTest, MoveChildKeepsTheOthersInOrder) {
  TXML_Estimate_Container container(nullptr);
  for (int i = 0; i < 5; ++i) AddChapter(container, Variant(i));
  container.MoveChild(container.GetChild(1), 3);
  EXPECT_EQ(ChildKeys(container), (Names{"C0", "C2", "C3", "C1", "C4"}));
  container.MoveChild(container.GetChild(4), 0);
  EXPECT_EQ(ChildKeys(container), (Names{"C4", "C0", "C2", "C3", "C1"}));
}

TEST(ContainerTest, GetContainerFindsOrCreates) {
  TXML_Estimate_Position position(nullptr);
  EXPECT_EQ(position.GetContainer(kResourcesKind, false), nullptr);
  TXML_Estimate_Container* resources = position.GetContainer(kResourcesKind, true);
  EXPECT_EQ(resources->NodeName(), "Resources");
  EXPECT_EQ(position.GetContainer(kResourcesKind, false), resources);
  EXPECT_EQ(position.ChildCount(), 1u);
}

TEST(ContainerTest, GetWorkTypeFindsByIdValueInWorkTypeContainersOnly) {
  TXML_Estimate_Container chapter(nullptr);
  chapter.SetKind(kChapterKind);
  EXPECT_EQ(chapter.GetWorkType(1), nullptr);
  EXPECT_EQ(chapter.ChildCount(), 0u);
  TXML_Estimate_Container group(nullptr);
  group.SetKind(kWorkTypeGroupKind);
  TXML_Estimate_Item* seven = group.GetWorkType(7);
  EXPECT_EQ(seven->NodeName(), "Vid_Rab");
  EXPECT_EQ(seven->GetValueByName("ID").type(), Variant::Type::Integer);
  EXPECT_EQ(group.GetWorkType(7), seven);
  group.GetWorkType(8)->SetValueByName("ID", Variant("9"));  // a text ID is compared by its number
  EXPECT_EQ(group.GetWorkType(9), group.GetChild(1));
  EXPECT_EQ(group.ChildCount(), 2u);
}

TEST(PositionTest, PricesAndRatesAreFoundOrAddedResourcesAlwaysAdded) {
  TXML_Estimate_Position position(nullptr);
  EXPECT_EQ(position.AttributeName(18), "WorkClass");
  TXML_Estimate_Item* base = position.GetPrice(0);
  EXPECT_EQ(position.GetPrice(0), base);
  EXPECT_EQ(base->AttributeName(5), "MT");
  EXPECT_EQ(position.GetCustomNP(1)->NodeName(), "CustomNPCurr");
  TXML_Estimate_Position* tzr = position.AddResource(0);
  EXPECT_NE(position.AddResource(0), tzr);
  EXPECT_EQ(tzr->AttributeCount(), 19u);
  EXPECT_EQ(position.AddCoefficient()->AttributeName(7), "Level");
  EXPECT_EQ(position.AddImplementation()->NodeName(), "Item");
  EXPECT_EQ(ChildNames(position), (Names{"PriceBase", "CustomNPCurr", "Resources", "Koefficients", "Implementation"}));
  EXPECT_EQ(ChildNames(*position.GetContainer(kResourcesKind, false)), (Names{"Tzr", "Tzr"}));
  EXPECT_EQ(ErrorMessage([&] { position.GetPrice(2); }), kIndexError);
  EXPECT_EQ(ErrorMessage([&] { position.AddResource(4); }), kIndexError);
}

TEST(DocumentTest, SkeletonHasChaptersSignsAndSixSigns) {
  TXML_Estimate_Document document;
  EXPECT_EQ(ChildNames(document), (Names{"Chapters", "Signs"}));
  EXPECT_EQ(document.Chapters(), document.GetChild(0));
  EXPECT_EQ(document.Signs()->Kind(), 12);
  EXPECT_EQ(ChildNames(*document.Signs()), Names(6, "Sign"));
  EXPECT_EQ(document.Signs()->GetChild(5)->Document(), &document);
  EXPECT_EQ(document.GetValueByName("DocumentType").TextValue(), "{2B0470FD-477C-4359-9F34-EEBE36B7D340}");
  EXPECT_FALSE(document.HasValue("Generator", true));
}

TEST(SortTest, ChaptersBySysIdPositionsByNumber) {
  TXML_Estimate_Container chapters(nullptr);
  AddChapter(chapters, Variant("10"));
  AddChapter(chapters, Variant(9));
  TXML_Estimate_Container* first = AddChapter(chapters, Variant("1"));
  for (const char* number : {"3", "2", "1"}) AddPosition(*first, Variant(number));
  chapters.SortByNumber();
  EXPECT_EQ(ChildKeys(chapters), (Names{"C1", "C9", "C10"}));
  EXPECT_EQ(ChildKeys(*first), (Names{"P1", "P2", "P3"}));
}

TEST(SortTest, MixedChaptersAndPositionsFollowTheQuicksortSteps) {
  // A chapter and a position compare equal, so the result need not be sorted.
  TXML_Estimate_Container chapter(nullptr);
  for (int sysId : {1, 3, 2}) AddChapter(chapter, Variant(sysId));
  AddPosition(chapter, Variant(4));
  chapter.SortByNumber();
  EXPECT_EQ(ChildKeys(chapter), (Names{"C2", "P4", "C1", "C3"}));
  TXML_Estimate_Container longer(nullptr);
  AddPosition(longer, Variant(2));
  AddChapter(longer, Variant(5));
  AddPosition(longer, Variant(1));
  AddChapter(longer, Variant(4));
  AddChapter(longer, Variant(3));
  AddPosition(longer, Variant(3));
  longer.SortByNumber();
  EXPECT_EQ(ChildKeys(longer), (Names{"C3", "C4", "P1", "P2", "P3", "C5"}));
}

TEST(SortTest, NonIntegerKeyEndsTheSortWithTheConversionError) {
  TXML_Estimate_Container chapters(nullptr);
  for (const char* sysId : {"2", "two", "1"}) AddChapter(chapters, Variant(sysId));
  EXPECT_EQ(ErrorMessage([&] { chapters.SortByNumber(); }),
            "Could not convert variant of type (String) into type (Int64)");
  EXPECT_EQ(chapters.ChildCount(), 3u);
}

TEST(SortTest, ByIdSortsWorkTypes) {
  TXML_Estimate_Container group(nullptr);
  group.SetKind(kWorkTypeGroupKind);
  for (int id : {30, 10, 20}) group.GetWorkType(id);
  group.SortByID();
  std::vector<std::int64_t> ids;
  for (const auto& child : group.Children()) ids.push_back(child->GetValueByName("ID").ToInteger());
  EXPECT_EQ(ids, (std::vector<std::int64_t>{10, 20, 30}));
}

TEST(SortTest, ResourcesInFixedOrderEqualOnesAsTheQuicksortLeavesThem) {
  TXML_Estimate_Position position(nullptr);
  position.SortResources();
  EXPECT_EQ(position.GetContainer(kResourcesKind, false)->ChildCount(), 0u);
  const char* marks[] = {"a", "b", "c"};
  int next = 0;
  for (std::uint8_t index : {3, 0, 2, 1, 0, 0}) {
    TXML_Estimate_Position* resource = position.AddResource(index);
    if (index == 0) resource->SetValueByName("Caption", Variant(marks[next++]));
  }
  position.SortResources();
  const TXML_Estimate_Container& resources = *position.GetContainer(kResourcesKind, false);
  EXPECT_EQ(ChildNames(resources), (Names{"Tzr", "Tzr", "Tzr", "Tzm", "Mch", "Mat"}));
  std::string order;
  for (int i = 0; i < 3; ++i) order += resources.GetChild(i)->GetValueByName("Caption").TextValue();
  EXPECT_EQ(order, "bac");
}

TEST(FlattenChaptersTest, PathLevelIsLifted) {
  TXML_Estimate_Document document;
  TXML_Estimate_Container& chapters = *document.Chapters();
  TXML_Estimate_Container* pathOne = AddChapter(chapters, Variant(1));
  TXML_Estimate_Container* kept = AddChapter(*pathOne, Variant(11));
  AddPosition(*kept, Variant(1));
  AddChapter(*pathOne, Variant(12));
  AddChapter(*AddChapter(chapters, Variant(2)), Variant(21));
  chapters.FlattenChapters();
  EXPECT_EQ(ChildKeys(chapters), (Names{"C11", "C12", "C21"}));
  EXPECT_EQ(kept->Parent(), &chapters);
  EXPECT_EQ(ChildKeys(*kept), Names{"P1"});
}

TEST(FlattenChaptersTest, NothingChangesUnlessEveryTopNodeIsAPathOfChapters) {
  // Each case: a path chapter C1 holding chapter C11, then what the case adds.
  auto expectUnchanged = [](const std::function<void(TXML_Estimate_Container&)>& addToChapters,
                            const Names& keys) {
    TXML_Estimate_Container chapters(nullptr);
    AddChapter(*AddChapter(chapters, Variant(1)), Variant(11));
    addToChapters(chapters);
    chapters.FlattenChapters();
    EXPECT_EQ(ChildKeys(chapters), keys);
  };
  expectUnchanged([](auto& c) { AddChapter(*c.AddChapter(), Variant(21)); }, (Names{"C1", "?"}));  // no SysID
  expectUnchanged([](auto& c) { AddPosition(*AddChapter(c, Variant(2)), Variant(5)); }, (Names{"C1", "C2"}));
  expectUnchanged([](auto& c) { AddChapter(c, Variant(2)); }, (Names{"C1", "C2"}));  // no children
  // After the sort a chapter may come first in a path that also holds positions;
  // lifting that path would leave its positions outside any chapter.
  expectUnchanged([](auto& c) { AddPosition(static_cast<TXML_Estimate_Container&>(*c.GetChild(0)), Variant(5)); },
                  Names{"C1"});
  TXML_Estimate_Container empty(nullptr);
  empty.FlattenChapters();
  EXPECT_EQ(empty.ChildCount(), 0u);
}

}  // namespace
}  // namespace ranta2kv
