// Tests of the estimate document tree: attribute schemas and values, node names,
// containers and their find-or-create operations, positions, the document
// skeleton, the three sorts and the flattening of the chapter tree.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <random>

#include "common/codepage.h"
#include "common/error.h"
#include "estimate/estimate_document.h"

namespace ranta2kv {
namespace {

const std::string kIndexError(("Индекс за пределами диапазона"_cp1251));

void ExpectError(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "no error, expected: " << message;
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

std::vector<std::string> ChildNames(const TXML_Estimate_Container& container) {
  std::vector<std::string> names;
  for (const auto& child : container.Children()) names.push_back(child->NodeName());
  return names;
}

// Children as "C<SysID>" for chapters and "P<Number>" for positions.
std::vector<std::string> ChildKeys(const TXML_Estimate_Container& container) {
  std::vector<std::string> keys;
  for (const auto& child : container.Children()) {
    bool chapter = child->HasValue("SysID", true);
    keys.push_back((chapter ? "C" : "P") + child->GetValueByName(chapter ? "SysID" : "Number").ToText('.'));
  }
  return keys;
}

TXML_Estimate_Container* AddChapter(TXML_Estimate_Container& parent, const Variant& sysId) {
  TXML_Estimate_Container* chapter = parent.AddChapter();
  chapter->SetValueByName("SysID", sysId);
  return chapter;
}

TXML_Estimate_Position* AddPosition(TXML_Estimate_Container& parent, const Variant& number) {
  auto* position = static_cast<TXML_Estimate_Position*>(
      parent.AddChild(std::make_unique<TXML_Estimate_Position>(parent.Document())));
  position->SetValueByName("Number", number);
  return position;
}

// ---- attributes ----

TEST(ItemAttributesTest, FreshItemHasNone) {
  TXML_Estimate_Item item(nullptr);
  EXPECT_EQ(item.AttributeCount(), 0u);
  ExpectError([&] { item.GetValue(0); }, kIndexError);
  EXPECT_FALSE(item.HasValue("Caption", false));
  EXPECT_EQ(item.NodeName(), "");
  EXPECT_TRUE(item.Tag().IsEmpty());
  EXPECT_EQ(item.Parent(), nullptr);
}

TEST(ItemAttributesTest, SchemaValuesStartEmptyAndNullCountsAsAssigned) {
  TXML_Estimate_Item item(nullptr);
  item.SetAttributes(SignAttributes);
  EXPECT_TRUE(item.HasValue("Caption", false));
  EXPECT_FALSE(item.HasValue("Caption", true));
  EXPECT_TRUE(item.GetValue(0).IsEmpty());
  item.SetValueByName("Caption", Variant::Null());
  EXPECT_TRUE(item.HasValue("Caption", true));
  item.SetValue(0, Variant());
  EXPECT_FALSE(item.HasValue("Caption", true));
}

TEST(ItemAttributesTest, IndexAndNameErrors) {
  TXML_Estimate_Item item(nullptr);
  item.SetAttributes(ChapterAttributes);
  item.SetValue(1, Variant(5));
  ExpectError([&] { item.GetValue(2); }, kIndexError);
  ExpectError([&] { item.GetValue(-1); }, kIndexError);
  ExpectError([&] { item.SetValue(2, Variant(1)); }, kIndexError);
  ExpectError([&] { item.GetValueByName("caption"); }, kIndexError);
  ExpectError([&] { item.SetValueByName("Number", Variant(1)); }, kIndexError);
  EXPECT_EQ(item.GetValue(1).IntegerValue(), 5);  // unchanged by the failed calls
  EXPECT_TRUE(item.GetValue(0).IsEmpty());
}

TEST(ItemAttributesTest, SetAttributesDropsEarlierValues) {
  TXML_Estimate_Item item(nullptr);
  item.SetAttributes(CatalogAttributes);
  item.SetValueByName("ID", Variant(3));
  item.SetAttributes(CatalogAttributes);
  EXPECT_FALSE(item.HasValue("ID", true));
  static const TStringList none;
  item.SetAttributes(none);
  EXPECT_EQ(item.AttributeCount(), 0u);
}

TEST(ItemAttributesTest, EveryTypeComesBackAsStored) {
  TXML_Estimate_Position item(nullptr);
  std::string withNul("a\0b", 3);
  std::string longText(300, '\xE0');
  const std::vector<Variant> values = {
      Variant(0), Variant(INT64_MIN), Variant(INT64_MAX), Variant(-1.0 / 3), Variant::Currency(-123456789),
      Variant::DateTime(45000.75), Variant::Boolean(true), Variant(withNul), Variant(longText), Variant(""),
      Variant::Null()};
  for (std::size_t i = 0; i < values.size(); ++i) item.SetValue(static_cast<int>(i), values[i]);
  for (std::size_t i = 0; i < values.size(); ++i) {
    Variant got = item.GetValue(static_cast<int>(i));
    ASSERT_EQ(got.type(), values[i].type()) << i;
    EXPECT_EQ(got.IntegerValue(), values[i].IntegerValue()) << i;
    EXPECT_EQ(got.TextValue(), values[i].TextValue()) << i;
    if (got.type() == Variant::Type::Floating || got.type() == Variant::Type::DateTime) {
      EXPECT_EQ(got.FloatValue(), values[i].FloatValue()) << i;
    }
  }
}

TEST(ItemAttributesTest, FloatingValuesComeBackBitForBit) {
  TXML_Estimate_Position item(nullptr);
  const double values[] = {0.1, -0.0, 0.0, 1234.56, -0.5, 1e300, 5e-324, 1.0 / 3, 123456789.123456789,
                           9007199254740993.0, std::nan(""), -std::numeric_limits<double>::infinity(), 1e-9, 0.3};
  for (double value : values) {
    item.SetValue(4, Variant(value));
    item.SetValue(0, Variant(std::string(20, 'x')));  // moves the values to the heap and back
    item.SetValue(0, Variant());
    double got = item.GetValue(4).FloatValue();
    EXPECT_EQ(std::memcmp(&got, &value, sizeof value), 0) << value;
  }
}

TEST(ItemAttributesTest, ValuesAcrossTheInlineLimit) {
  TXML_Estimate_Item item(nullptr);
  item.SetAttributes(CustomNPAttributes);
  for (std::size_t length = 0; length < 40; ++length) {
    item.SetValue(3, Variant(std::string(length, 'a')));
    item.SetValue(1, Variant(static_cast<std::int64_t>(length)));
    ASSERT_EQ(item.GetValue(3).TextValue(), std::string(length, 'a'));
    ASSERT_EQ(item.GetValue(1).IntegerValue(), static_cast<std::int64_t>(length));
    ASSERT_FALSE(item.HasValue("Nacl", true));
  }
}

TEST(ItemAttributesTest, RandomSetsMatchAPlainModel) {
  TXML_Estimate_Position item(nullptr);
  std::map<int, std::string> model;  // index -> text of the value
  std::mt19937 random(7);
  for (int step = 0; step < 5000; ++step) {
    int index = static_cast<int>(random() % 19);
    Variant value;
    switch (random() % 4) {
      case 0: break;  // empty: unassigns
      case 1: value = Variant(static_cast<std::int64_t>(random()) - (1 << 30)); break;
      case 2: value = Variant(std::string(random() % 200, static_cast<char>('a' + step % 26))); break;
      case 3: value = Variant(step % 3 ? step / 100.0 : step / 7.0); break;
    }
    item.SetValue(index, value);
    if (value.IsEmpty()) model.erase(index);
    else model[index] = value.ToText('.');
    int probe = static_cast<int>(random() % 19);
    ASSERT_EQ(item.HasValue(PositionAttributes[probe], true), model.count(probe) == 1);
    if (model.count(probe)) {
      ASSERT_EQ(item.GetValue(probe).ToText('.'), model[probe]);
    }
  }
}

TEST(ItemAttributesTest, StoredValuesAreCopies) {
  TXML_Estimate_Item item(nullptr);
  item.SetAttributes(SignAttributes);
  Variant value("first");
  item.SetValue(0, value);
  value = Variant("second");
  Variant read = item.GetValue(0);
  read = Variant("third");
  EXPECT_EQ(item.GetValue(0).TextValue(), "first");
}

TEST(ItemNameAndTagTest, FixedAndOwnNames) {
  TXML_Estimate_Item item(nullptr);
  item.SetNodeName("Sign");
  EXPECT_EQ(item.NodeName(), "Sign");
  item.SetNodeName("Своё имя"_cp1251);
  EXPECT_EQ(item.NodeName(), "Своё имя"_cp1251);
  item.SetNodeName("Other");
  EXPECT_EQ(item.NodeName(), "Other");
  item.SetNodeName("");
  EXPECT_EQ(item.NodeName(), "");
}

TEST(ItemNameAndTagTest, TagIsFreeForTheCaller) {
  TXML_Estimate_Item item(nullptr);
  item.SetTag(Variant("IsPath"));
  EXPECT_EQ(item.Tag().TextValue(), "IsPath");
  item.SetTag(Variant(2));
  EXPECT_EQ(item.Tag().IntegerValue(), 2);
  item.SetTag(Variant());
  EXPECT_TRUE(item.Tag().IsEmpty());
}

// ---- containers ----

TEST(ContainerTest, SetKindNamesAndGivesFourKindsASchema) {
  TXML_Estimate_Container container(nullptr);
  EXPECT_EQ(container.Kind(), 0);
  container.SetAttributes(SignAttributes);
  container.SetKind(6);
  EXPECT_EQ(container.NodeName(), "Koefficients");
  EXPECT_EQ(container.AttributeName(0), "Caption");
  EXPECT_EQ(container.AttributeCount(), 1u);
  container.SetKind(8);
  EXPECT_EQ(container.NodeName(), "Chapter");
  ASSERT_EQ(container.AttributeCount(), 2u);
  EXPECT_EQ(container.AttributeName(1), "SysID");
  container.SetKind(4);
  EXPECT_EQ(container.AttributeName(0), "Type");
  container.SetKind(5);
  EXPECT_EQ(container.NodeName(), "VidRab_Group");
  EXPECT_EQ(container.AttributeName(1), "ID");
  ExpectError([&] { container.SetKind(15); }, kIndexError);
  EXPECT_EQ(container.Kind(), 5);
}

TEST(ContainerTest, AddChildSetsParentAndDocument) {
  TXML_Estimate_Document document;
  TXML_Estimate_Container container(&document);
  auto item = std::make_unique<TXML_Estimate_Item>(nullptr);
  TXML_Estimate_Item* added = container.AddChild(std::move(item));
  EXPECT_EQ(added->Parent(), &container);
  EXPECT_EQ(added->Document(), &document);
  EXPECT_EQ(container.GetChild(0), added);
}

TEST(ContainerTest, ChildIndexErrors) {
  TXML_Estimate_Container container(nullptr);
  container.AddChapter();
  container.AddChapter();
  ExpectError([&] { container.GetChild(2); }, "List index out of bounds (2)");
  ExpectError([&] { container.GetChild(-1); }, "List index out of bounds (-1)");
  TXML_Estimate_Item stranger(nullptr);
  ExpectError([&] { container.MoveChild(container.GetChild(0), 2); }, "List index out of bounds (2)");
  ExpectError([&] { container.MoveChild(&stranger, 1); }, "List index out of bounds (-1)");
}

TEST(ContainerTest, MoveChildKeepsTheOthersInOrder) {
  TXML_Estimate_Container container(nullptr);
  for (int i = 0; i < 5; ++i) AddChapter(container, Variant(i));
  container.MoveChild(container.GetChild(1), 3);
  EXPECT_EQ(ChildKeys(container), (std::vector<std::string>{"C0", "C2", "C3", "C1", "C4"}));
  container.MoveChild(container.GetChild(4), 0);
  EXPECT_EQ(ChildKeys(container), (std::vector<std::string>{"C4", "C0", "C2", "C3", "C1"}));
}

TEST(ContainerTest, GetContainerFindsOrCreates) {
  TXML_Estimate_Position position(nullptr);
  EXPECT_EQ(position.GetContainer(13, false), nullptr);
  EXPECT_EQ(position.ChildCount(), 0u);
  TXML_Estimate_Container* resources = position.GetContainer(13, true);
  EXPECT_EQ(resources->NodeName(), "Resources");
  EXPECT_EQ(position.GetContainer(13, true), resources);
  EXPECT_EQ(position.GetContainer(13, false), resources);
  EXPECT_EQ(position.ChildCount(), 1u);
}

TEST(ContainerTest, AddChapterAlwaysAdds) {
  TXML_Estimate_Container chapters(nullptr);
  TXML_Estimate_Container* first = chapters.AddChapter();
  TXML_Estimate_Container* second = chapters.AddChapter();
  EXPECT_NE(first, second);
  EXPECT_EQ(first->Kind(), 8);
  EXPECT_EQ(first->NodeName(), "Chapter");
  EXPECT_FALSE(first->HasValue("Caption", true));
}

TEST(ContainerTest, GetWorkTypeOnlyInWorkTypeContainers) {
  TXML_Estimate_Container chapter(nullptr);
  chapter.SetKind(8);
  EXPECT_EQ(chapter.GetWorkType(1), nullptr);
  EXPECT_EQ(chapter.ChildCount(), 0u);
}

TEST(ContainerTest, GetWorkTypeFindsByIdValue) {
  TXML_Estimate_Container group(nullptr);
  group.SetKind(5);
  TXML_Estimate_Item* seven = group.GetWorkType(7);
  EXPECT_EQ(seven->NodeName(), "Vid_Rab");
  EXPECT_EQ(seven->GetValueByName("ID").type(), Variant::Type::Integer);
  EXPECT_EQ(seven->AttributeName(5), "PlanMask");
  EXPECT_EQ(group.GetWorkType(7), seven);
  TXML_Estimate_Item* eight = group.GetWorkType(8);
  eight->SetValueByName("ID", Variant("9"));  // a text ID is compared by its number
  EXPECT_EQ(group.GetWorkType(9), eight);
  EXPECT_EQ(group.ChildCount(), 2u);
}

// ---- positions ----

TEST(PositionTest, FreshPositionHasThePositionSchema) {
  TXML_Estimate_Position position(nullptr);
  EXPECT_EQ(position.NodeName(), "Position");
  EXPECT_EQ(position.Kind(), 0);
  ASSERT_EQ(position.AttributeCount(), 19u);
  EXPECT_EQ(position.AttributeName(0), "Caption");
  EXPECT_EQ(position.AttributeName(18), "WorkClass");
  EXPECT_EQ(position.ClassName(), "TXML_Estimate_Position");
}

TEST(PositionTest, PricesAndRatesAreFoundOrAdded) {
  TXML_Estimate_Position position(nullptr);
  TXML_Estimate_Item* base = position.GetPrice(0);
  EXPECT_EQ(base->NodeName(), "PriceBase");
  EXPECT_EQ(base->AttributeName(5), "MT");
  EXPECT_EQ(position.GetPrice(0), base);
  EXPECT_EQ(position.GetPrice(1)->NodeName(), "PriceCurr");
  EXPECT_EQ(position.GetCustomNP(1)->NodeName(), "CustomNPCurr");
  EXPECT_EQ(position.GetCustomNP(1)->AttributeName(3), "PlanMask");
  EXPECT_EQ(position.ChildCount(), 3u);
  ExpectError([&] { position.GetPrice(2); }, kIndexError);
  ExpectError([&] { position.GetCustomNP(2); }, kIndexError);
}

TEST(PositionTest, ResourcesAreAlwaysAdded) {
  TXML_Estimate_Position position(nullptr);
  TXML_Estimate_Position* first = position.AddResource(0);
  TXML_Estimate_Position* second = position.AddResource(0);
  EXPECT_NE(first, second);
  EXPECT_EQ(first->NodeName(), "Tzr");
  EXPECT_EQ(first->AttributeCount(), 19u);
  EXPECT_EQ(first->Parent(), position.GetContainer(13, false));
  EXPECT_EQ(ChildNames(*position.GetContainer(13, false)), (std::vector<std::string>{"Tzr", "Tzr"}));
  ExpectError([&] { position.AddResource(4); }, kIndexError);
}

TEST(PositionTest, CoefficientsAndImplementationItems) {
  TXML_Estimate_Position position(nullptr);
  TXML_Estimate_Item* k = position.AddCoefficient();
  EXPECT_EQ(k->NodeName(), "K");
  EXPECT_EQ(k->AttributeName(7), "Level");
  EXPECT_EQ(k->Parent()->NodeName(), "Koefficients");
  TXML_Estimate_Item* item = position.AddImplementation();
  EXPECT_EQ(item->NodeName(), "Item");
  EXPECT_EQ(item->Parent()->NodeName(), "Implementation");
  EXPECT_NE(position.AddImplementation(), item);
  EXPECT_EQ(ChildNames(position), (std::vector<std::string>{"Koefficients", "Implementation"}));
}

// ---- the document ----

TEST(DocumentTest, SkeletonHasChaptersSignsAndSixSigns) {
  TXML_Estimate_Document document;
  EXPECT_EQ(document.NodeName(), "Document");
  EXPECT_EQ(ChildNames(document), (std::vector<std::string>{"Chapters", "Signs"}));
  EXPECT_EQ(document.Chapters(), document.GetChild(0));
  EXPECT_EQ(document.Signs(), document.GetChild(1));
  EXPECT_EQ(document.Chapters()->Kind(), 9);
  EXPECT_EQ(document.Signs()->Kind(), 12);
  EXPECT_EQ(ChildNames(*document.Signs()), std::vector<std::string>(6, "Sign"));
  EXPECT_EQ(document.Signs()->GetChild(5)->Document(), &document);
  EXPECT_FALSE(document.Signs()->GetChild(0)->HasValue("Caption", true));
  EXPECT_EQ(document.GetValueByName("DocumentType").TextValue(), "{2B0470FD-477C-4359-9F34-EEBE36B7D340}");
  EXPECT_FALSE(document.HasValue("Generator", true));
}

TEST(DocumentTest, NodesCreatedOnTheRootBelongToIt) {
  TXML_Estimate_Document document;
  TXML_Estimate_Container* catalog = document.GetContainer(3, true);
  EXPECT_EQ(catalog->Document(), &document);
  EXPECT_EQ(document.Chapters()->AddChapter()->Document(), &document);
}

// ---- sorting ----

TEST(SortTest, ChaptersBySysIdPositionsByNumber) {
  TXML_Estimate_Container chapters(nullptr);
  AddChapter(chapters, Variant("10"));
  AddChapter(chapters, Variant(9));
  TXML_Estimate_Container* first = AddChapter(chapters, Variant("1"));
  AddPosition(*first, Variant("3"));
  AddPosition(*first, Variant(2));
  AddPosition(*first, Variant("1"));
  chapters.SortByNumber();
  EXPECT_EQ(ChildKeys(chapters), (std::vector<std::string>{"C1", "C9", "C10"}));
  EXPECT_EQ(ChildKeys(*first), (std::vector<std::string>{"P1", "P2", "P3"}));
}

TEST(SortTest, MixedChaptersAndPositionsFollowTheQuicksortSteps) {
  TXML_Estimate_Container chapter(nullptr);
  AddChapter(chapter, Variant(1));
  AddChapter(chapter, Variant(3));
  AddChapter(chapter, Variant(2));
  AddPosition(chapter, Variant(4));
  chapter.SortByNumber();
  // Not sorted within the chapters: a chapter and a position compare equal.
  EXPECT_EQ(ChildKeys(chapter), (std::vector<std::string>{"C2", "P4", "C1", "C3"}));
}

TEST(SortTest, LongerMixedList) {
  TXML_Estimate_Container chapter(nullptr);
  AddPosition(chapter, Variant(2));
  AddChapter(chapter, Variant(5));
  AddPosition(chapter, Variant(1));
  AddChapter(chapter, Variant(4));
  AddChapter(chapter, Variant(3));
  AddPosition(chapter, Variant(3));
  chapter.SortByNumber();
  EXPECT_EQ(ChildKeys(chapter), (std::vector<std::string>{"C3", "C4", "P1", "P2", "P3", "C5"}));
}

TEST(SortTest, NonIntegerKeyEndsTheSortWithTheConversionError) {
  TXML_Estimate_Container chapters(nullptr);
  AddChapter(chapters, Variant("2"));
  AddChapter(chapters, Variant("two"));
  AddChapter(chapters, Variant("1"));
  ExpectError([&] { chapters.SortByNumber(); }, "Could not convert variant of type (String) into type (Int64)");
  EXPECT_EQ(chapters.ChildCount(), 3u);
}

TEST(SortTest, ByIdSortsWorkTypes) {
  TXML_Estimate_Container group(nullptr);
  group.SetKind(5);
  for (int id : {30, 10, 20}) group.GetWorkType(id);
  group.SortByID();
  std::vector<std::int64_t> ids;
  for (const auto& child : group.Children()) ids.push_back(child->GetValueByName("ID").ToInteger());
  EXPECT_EQ(ids, (std::vector<std::int64_t>{10, 20, 30}));
}

TEST(SortTest, ResourcesInFixedOrder) {
  TXML_Estimate_Position position(nullptr);
  const char* marks[] = {"a", "b", "c"};
  int next = 0;
  for (std::uint8_t index : {3, 0, 2, 1, 0, 0}) {
    TXML_Estimate_Position* resource = position.AddResource(index);
    if (index == 0) resource->SetValueByName("Caption", Variant(marks[next++]));
  }
  position.SortResources();
  const TXML_Estimate_Container& resources = *position.GetContainer(13, false);
  EXPECT_EQ(ChildNames(resources), (std::vector<std::string>{"Tzr", "Tzr", "Tzr", "Tzm", "Mch", "Mat"}));
  std::string order;
  for (int i = 0; i < 3; ++i) order += resources.GetChild(i)->GetValueByName("Caption").TextValue();
  EXPECT_EQ(order, "bac");
}

TEST(SortTest, SortResourcesCreatesAnEmptyResourcesContainer) {
  TXML_Estimate_Position position(nullptr);
  position.SortResources();
  ASSERT_NE(position.GetContainer(13, false), nullptr);
  EXPECT_EQ(position.GetContainer(13, false)->ChildCount(), 0u);
}

// ---- flattening ----

TEST(FlattenChaptersTest, PathLevelIsLifted) {
  TXML_Estimate_Document document;
  TXML_Estimate_Container& chapters = *document.Chapters();
  TXML_Estimate_Container* pathOne = AddChapter(chapters, Variant(1));
  TXML_Estimate_Container* a = AddChapter(*pathOne, Variant(11));
  AddPosition(*a, Variant(1));
  AddChapter(*pathOne, Variant(12));
  TXML_Estimate_Container* pathTwo = AddChapter(chapters, Variant(2));
  AddChapter(*pathTwo, Variant(21));
  chapters.FlattenChapters();
  EXPECT_EQ(ChildKeys(chapters), (std::vector<std::string>{"C11", "C12", "C21"}));
  EXPECT_EQ(a->Parent(), &chapters);
  EXPECT_EQ(ChildKeys(*a), std::vector<std::string>{"P1"});
}

TEST(FlattenChaptersTest, NothingChangesWhenATopNodeIsNoPath) {
  TXML_Estimate_Container chapters(nullptr);
  TXML_Estimate_Container* path = AddChapter(chapters, Variant(1));
  AddChapter(*path, Variant(11));
  TXML_Estimate_Container* noSysId = chapters.AddChapter();
  AddChapter(*noSysId, Variant(21));
  chapters.FlattenChapters();
  EXPECT_EQ(chapters.ChildCount(), 2u);
  EXPECT_EQ(path->ChildCount(), 1u);
}

TEST(FlattenChaptersTest, NothingChangesWhenPathHoldsPositions) {
  TXML_Estimate_Container chapters(nullptr);
  TXML_Estimate_Container* path = AddChapter(chapters, Variant(1));
  AddPosition(*path, Variant(1));
  chapters.FlattenChapters();
  EXPECT_EQ(ChildKeys(chapters), std::vector<std::string>{"C1"});
}

TEST(FlattenChaptersTest, EveryChildIsJudgedNotOnlyTheFirst) {
  // After the sort a chapter may come first in a path that also holds positions;
  // lifting it would leave those positions outside any chapter.
  TXML_Estimate_Container chapters(nullptr);
  TXML_Estimate_Container* path = AddChapter(chapters, Variant(1));
  AddChapter(*path, Variant(11));
  AddPosition(*path, Variant(5));
  chapters.FlattenChapters();
  EXPECT_EQ(ChildKeys(chapters), std::vector<std::string>{"C1"});
  EXPECT_EQ(ChildKeys(*path), (std::vector<std::string>{"C11", "P5"}));
}

TEST(FlattenChaptersTest, TopNodeWithoutChildrenDoesNotQualify) {
  TXML_Estimate_Container chapters(nullptr);
  TXML_Estimate_Container* path = AddChapter(chapters, Variant(1));
  AddChapter(*path, Variant(11));
  AddChapter(chapters, Variant(2));
  chapters.FlattenChapters();
  EXPECT_EQ(ChildKeys(chapters), (std::vector<std::string>{"C1", "C2"}));
}

TEST(FlattenChaptersTest, EmptyListStaysEmpty) {
  TXML_Estimate_Container chapters(nullptr);
  chapters.FlattenChapters();
  EXPECT_EQ(chapters.ChildCount(), 0u);
}

}  // namespace
}  // namespace ranta2kv
