// The estimate document tree: attribute access of items, the child list and the
// find-or-create operations of containers, positions with their prices,
// resources and coefficients, the document skeleton, flattening, sorting, and
// the rendering of every node as one XML element.
#include "estimate/estimate_document.h"

#include <cstdint>

#include <algorithm>
#include <charconv>

#include "common/codepage.h"
#include "common/error.h"
#include "common/number_text.h"
#include "common/text.h"
#include "estimate/atomic_file_sink.h"
#include "estimate/attribute_text.h"
#include "estimate/child_sort.h"
#include "estimate/node_shape.h"
#include "estimate/settled_elements.h"
#include "estimate/xml_writer.h"

namespace ranta2kv {
namespace {

[[noreturn]] void ThrowNoParentError() { throw Error(std::string("Не определен родительский узел"_cp1251)); }

int CompareInt(std::int64_t a, std::int64_t b) { return a < b ? -1 : a > b ? 1 : 0; }

// Nodes of one class by "SysID" when both have one, else by secondKey; nodes of
// different classes compare equal. Values are converted to integers.
int OrderByKeys(const TXML_Estimate_Item* a, const TXML_Estimate_Item* b, std::string_view secondKey) {
  if (a == nullptr || b == nullptr) return 0;
  if (a->ClassName() != b->ClassName()) return 0;
  for (std::string_view key : {std::string_view("SysID"), secondKey}) {
    if (a->HasValue(key, true) && b->HasValue(key, true)) {
      return CompareInt(a->GetValueByName(key).ToInteger(), b->GetValueByName(key).ToInteger());
    }
  }
  return 0;
}

// Chapters and positions by "SysID" or "Number"; work types by "SysID" or "ID".
int ChapterOrder(const TXML_Estimate_Item* a, const TXML_Estimate_Item* b) { return OrderByKeys(a, b, "Number"); }
int IDOrder(const TXML_Estimate_Item* a, const TXML_Estimate_Item* b) { return OrderByKeys(a, b, "ID"); }

int ResourceRank(const TXML_Estimate_Item* node) {
  const std::string& name = node->NodeName();
  if (name.size() != 3) return -1;  // every resource name is three letters long
  for (int rank = 0; rank < 4; ++rank) {
    if (name == ResourceNames[rank]) return rank;
  }
  return -1;
}

// "Tzr", "Tzm", "Mch", "Mat" in that order; other names before them.
int ResourceOrder(const TXML_Estimate_Item* a, const TXML_Estimate_Item* b) {
  return CompareInt(ResourceRank(a), ResourceRank(b));
}

constexpr std::string_view kDocumentType = "{2B0470FD-477C-4359-9F34-EEBE36B7D340}";
constexpr int kSignCount = 6;

[[noreturn]] void ThrowIndexOutOfRange() {
  throw Error(std::string("Индекс за пределами диапазона"_cp1251));
}

[[noreturn]] void ThrowListIndexError(std::ptrdiff_t index) {
  throw Error("List index out of bounds (" + std::to_string(index) + ")");
}

const Variant& EmptyVariant() {
  static const Variant empty{};  // value-initialised: clang 14 refuses a default-initialised const Variant
  return empty;
}

TXML_Estimate_Container* AsContainer(TXML_Estimate_Item* item) {
  return item != nullptr && item->IsContainer() ? static_cast<TXML_Estimate_Container*>(item) : nullptr;
}

// A new leaf with a schema and a name, as the find-or-add operations create them.
std::unique_ptr<TXML_Estimate_Item> NewItem(TXML_Estimate_Document* document, const TStringList& schema,
                                            std::string_view name) {
  auto item = std::make_unique<TXML_Estimate_Item>(document);
  item->SetAttributes(schema);
  item->SetNodeName(name);
  return item;
}

// The attribute text of a value that is no text: numbers without allocation,
// the rest through the clean-up rule. Empty when there is none.
std::string_view NumberOrOtherText(const StoredValue& value, char decimalSeparator, char* buffer,
                                   std::string& other) {
  switch (value.type) {
    case Variant::Type::Integer:
      return std::string_view(buffer, IntegerAttributeText(value.integer, buffer));
    case Variant::Type::Floating:
      if (value.scale >= 0) {
        return std::string_view(buffer, FormatScaledDecimalTo(value.integer, value.scale, decimalSeparator, buffer));
      }
      return std::string_view(buffer, FormatGeneralNumberTo(value.floating, decimalSeparator, buffer));
    default:
      other = CleanVariantText(value.ToVariant(), true, true, decimalSeparator);
      return other;
  }
}

}  // namespace

// ---- TXML_Estimate_Item ----

TXML_Estimate_Item::TXML_Estimate_Item(TXML_Estimate_Document* document) : shape_(ConstantShape("", nullptr)) {
  SetDocument(document);
}

TXML_Estimate_Item::~TXML_Estimate_Item() {
  if (shape_->owned) delete static_cast<const OwnedNodeShape*>(shape_);
}

TXML_Estimate_Container* TXML_Estimate_Item::Parent() const {
  return (link_ & 1) != 0 ? nullptr : reinterpret_cast<TXML_Estimate_Container*>(link_);
}

TXML_Estimate_Document* TXML_Estimate_Item::Document() const {
  if ((link_ & 1) != 0) return reinterpret_cast<TXML_Estimate_Document*>(link_ & ~std::uintptr_t{1});
  return link_ != 0 ? Parent()->Document() : nullptr;
}

void TXML_Estimate_Item::SetDocument(TXML_Estimate_Document* document) {
  if (Parent() == nullptr) link_ = reinterpret_cast<std::uintptr_t>(document) | 1;
}

const TStringList* TXML_Estimate_Item::Schema() const {
  return shape_->schema;
}

void TXML_Estimate_Item::Reshape(std::string_view name, const TStringList* schema) {
  if (shape_->owned) {
    OwnedNodeShape& own = OwnShape();
    own.SetName(name);
    own.schema = schema;
  } else if (const NodeShape* constant = ConstantShape(name, schema)) {
    shape_ = constant;
  } else {
    shape_ = new OwnedNodeShape(name, schema);
  }
}

OwnedNodeShape& TXML_Estimate_Item::OwnShape() {
  if (!shape_->owned) shape_ = new OwnedNodeShape(*shape_->name, shape_->schema);
  return *const_cast<OwnedNodeShape*>(static_cast<const OwnedNodeShape*>(shape_));
}

void TXML_Estimate_Item::SetAttributes(const TStringList& names) {
  if (names.size() > AttributeValues::kMaxIndex + 1) ThrowIndexOutOfRange();
  Reshape(NodeName(), names.empty() ? nullptr : &names);
  values_.Clear();
}

std::size_t TXML_Estimate_Item::AttributeCount() const {
  return Schema() != nullptr ? Schema()->size() : 0;
}

std::string_view TXML_Estimate_Item::AttributeName(std::size_t index) const {
  if (index >= AttributeCount()) ThrowIndexOutOfRange();
  return (*Schema())[index];
}

std::uint8_t TXML_Estimate_Item::CheckedIndex(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= AttributeCount()) ThrowIndexOutOfRange();
  return static_cast<std::uint8_t>(index);
}

int TXML_Estimate_Item::IndexOf(std::string_view name) const {
  const TStringList* schema = Schema();
  if (schema == nullptr) return -1;
  for (std::size_t i = 0; i < schema->size(); ++i) {
    if ((*schema)[i] == name) return static_cast<int>(i);
  }
  return -1;
}

Variant TXML_Estimate_Item::GetValue(int index) const {
  return values_.Get(CheckedIndex(index));
}

void TXML_Estimate_Item::SetValue(int index, const Variant& value) {
  values_.Set(CheckedIndex(index), value);
}

void TXML_Estimate_Item::SetText(std::uint8_t slot, std::string_view text1251) {
  values_.SetText(CheckedIndex(slot), text1251);
}

void TXML_Estimate_Item::SetInteger(std::uint8_t slot, std::int64_t value) {
  values_.SetInteger(CheckedIndex(slot), value);
}

void TXML_Estimate_Item::SetNumber(std::uint8_t slot, const DecimalNumber& value) {
  values_.SetDecimal(CheckedIndex(slot), value);
}

Variant TXML_Estimate_Item::GetValueByName(std::string_view name) const {
  return GetValue(IndexOf(name));
}

void TXML_Estimate_Item::SetValueByName(std::string_view name, const Variant& value) {
  SetValue(IndexOf(name), value);
}

bool TXML_Estimate_Item::HasValue(std::string_view name, bool checkAssigned) const {
  int index = IndexOf(name);
  return index >= 0 && (!checkAssigned || values_.Has(static_cast<std::uint8_t>(index)));
}

const std::string& TXML_Estimate_Item::NodeName() const {
  return *shape_->name;
}

void TXML_Estimate_Item::SetNodeName(std::string_view name) {
  Reshape(name, Schema());
}

const Variant& TXML_Estimate_Item::Tag() const {
  return shape_->owned ? static_cast<const OwnedNodeShape*>(shape_)->tag : EmptyVariant();
}

void TXML_Estimate_Item::SetTag(const Variant& tag) {
  if (shape_->owned || !tag.IsEmpty()) OwnShape().tag = tag;
}

void TXML_Estimate_Item::CheckParentOpen(const XmlSink& sink) {
  if (sink.OpenElements() == 0) ThrowNoParentError();
}

void TXML_Estimate_Item::TakeSortValuesOf(const TXML_Estimate_Item& node) {
  if (node.shape_->owned) {
    const auto& own = *static_cast<const OwnedNodeShape*>(node.shape_);
    Reshape(*own.name, own.schema);
    if (!own.tag.IsEmpty()) OwnShape().tag = own.tag;
  } else {
    Reshape(*node.shape_->name, node.shape_->schema);
  }
  values_.Clear();
  for (std::string_view key : {"SysID", "Number", "ID"}) {
    const int index = node.IndexOf(key);
    if (index >= 0 && node.values_.Has(static_cast<std::uint8_t>(index))) {
      values_.Set(static_cast<std::uint8_t>(index), node.values_.Get(static_cast<std::uint8_t>(index)));
    }
  }
}

void TXML_Estimate_Item::WriteStartOfElement(XmlSink& sink, char decimalSeparator) const {
  // Only the root is written with no element open around it.
  if (dynamic_cast<const TXML_Estimate_Document*>(this) == nullptr) CheckParentOpen(sink);
  if (NodeName().empty()) throw Error(std::string("Не определено имя узла"_cp1251));
  sink.BeginElement(NodeName());
  WriteAttributes(sink, decimalSeparator);
}

void TXML_Estimate_Item::WriteAttributes(XmlSink& sink, char decimalSeparator) const {
  char number[kMaxGeneralNumberLength];
  std::string other;
  for (AttributeValues::Cursor c; values_.Next(c);) {
    std::string_view text = c.value.type == Variant::Type::Text
                                ? c.value.text
                                : NumberOrOtherText(c.value, decimalSeparator, number, other);
    sink.WriteAttribute((*Schema())[c.value.index], TrimCleanUpSet(text, true, true));
  }
}

void TXML_Estimate_Item::AppendToDOM(XmlSink& sink, char decimalSeparator) const {
  WriteStartOfElement(sink, decimalSeparator);
  sink.EndEmptyElement();
}

// ---- TXML_Estimate_Container ----

TXML_Estimate_Container::TXML_Estimate_Container(TXML_Estimate_Document* document)
    : TXML_Estimate_Item(document) {}

TXML_Estimate_Container::~TXML_Estimate_Container() = default;

void TXML_Estimate_Container::SetKind(std::uint8_t kind) {
  if (kind > kLastKind) ThrowIndexOutOfRange();
  kind_ = kind;
  if (kind == kCatalogKind || kind == kWorkTypeGroupKind) SetAttributes(CatalogAttributes);
  else if (kind == kWorkTypesKind) SetAttributes(WorkTypesAttributes);
  else if (kind == kChapterKind) SetAttributes(ChapterAttributes);
  SetNodeName(KindNames[kind]);
}

TXML_Estimate_Item* TXML_Estimate_Container::AddChild(std::unique_ptr<TXML_Estimate_Item> item) {
  if (!item) throw Error("TXML_Estimate_Container.AddChild: no item");
  item->link_ = reinterpret_cast<std::uintptr_t>(this);  // the item now belongs to this container's document
  if (children_.capacity() == 0) children_.reserve(3);  // as small an allocation as room for one
  children_.push_back(std::move(item));
  return children_.back().get();
}

TXML_Estimate_Item* TXML_Estimate_Container::GetChild(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= children_.size()) ThrowListIndexError(index);
  return children_[index].get();
}

void TXML_Estimate_Container::MoveChild(TXML_Estimate_Item* item, int newIndex) {
  if (newIndex < 0 || static_cast<std::size_t>(newIndex) >= children_.size()) ThrowListIndexError(newIndex);
  auto found = std::find_if(children_.begin(), children_.end(), [item](const auto& c) { return c.get() == item; });
  if (found == children_.end()) ThrowListIndexError(-1);
  auto target = children_.begin() + newIndex;
  if (found < target) std::rotate(found, found + 1, target + 1);
  else std::rotate(target, found, found + 1);
}

TXML_Estimate_Container* TXML_Estimate_Container::GetContainer(std::uint8_t kind, bool createIfMissing) {
  for (const auto& child : children_) {
    TXML_Estimate_Container* container = AsContainer(child.get());
    if (container != nullptr && container->Kind() == kind) return container;
  }
  if (!createIfMissing) return nullptr;
  auto container = std::make_unique<TXML_Estimate_Container>(Document());
  container->SetKind(kind);
  return static_cast<TXML_Estimate_Container*>(AddChild(std::move(container)));
}

TXML_Estimate_Container* TXML_Estimate_Container::AddChapter() {
  auto chapter = std::make_unique<TXML_Estimate_Container>(Document());
  chapter->SetKind(kChapterKind);
  return static_cast<TXML_Estimate_Container*>(AddChild(std::move(chapter)));
}

TXML_Estimate_Item* TXML_Estimate_Container::GetWorkType(std::int32_t id) {
  if (kind_ != kCatalogKind && kind_ != kWorkTypesKind && kind_ != kWorkTypeGroupKind) return nullptr;
  for (const auto& child : children_) {
    if (child->NodeName() == "Vid_Rab" && child->GetValueByName("ID").EqualsInteger(id)) return child.get();
  }
  auto workType = NewItem(Document(), WorkTypeAttributes, "Vid_Rab");
  workType->SetValueByName("ID", Variant(id));
  return AddChild(std::move(workType));
}

// A path chapter: a container with an assigned "SysID" whose children, of which
// there is at least one, are all containers with an assigned "SysID".
bool TXML_Estimate_Container::IsPathChapter(const TXML_Estimate_Item& node) {
  if (!node.IsContainer() || !node.HasValue("SysID", true)) return false;
  const auto& children = static_cast<const TXML_Estimate_Container&>(node).children_;
  return !children.empty() && std::all_of(children.begin(), children.end(), [](const auto& child) {
           return child->IsContainer() && child->HasValue("SysID", true);
         });
}

void TXML_Estimate_Container::FlattenChapters() {
  for (const auto& child : children_) {
    if (!IsPathChapter(*child)) return;
  }
  std::vector<std::unique_ptr<TXML_Estimate_Item>> lifted;
  for (const auto& child : children_) {
    auto& grandchildren = static_cast<TXML_Estimate_Container&>(*child).children_;
    for (auto& grandchild : grandchildren) lifted.push_back(std::move(grandchild));
    grandchildren.clear();
  }
  std::vector<std::unique_ptr<TXML_Estimate_Item>> removed = std::move(children_);
  children_.clear();
  children_.reserve(lifted.size());
  for (auto& node : lifted) AddChild(std::move(node));
}

std::unique_ptr<TXML_Estimate_Item> TXML_Estimate_Container::ReplaceChild(TXML_Estimate_Item* child,
                                                                         std::unique_ptr<TXML_Estimate_Item> with) {
  auto found = std::find_if(children_.begin(), children_.end(), [child](const auto& c) { return c.get() == child; });
  if (found == children_.end()) ThrowListIndexError(-1);
  with->link_ = reinterpret_cast<std::uintptr_t>(this);
  found->swap(with);
  return with;
}

void TXML_Estimate_Container::SortByNumber() {
  QuickSortChildren(children_, ChapterOrder);
  for (const auto& child : children_) {
    if (child->IsContainer() && child->NodeName() == "Chapter") {
      static_cast<TXML_Estimate_Container&>(*child).SortByNumber();
    }
  }
}

void TXML_Estimate_Container::SortByID() {
  QuickSortChildren(children_, IDOrder);
  for (const auto& child : children_) {
    if (child->IsContainer() && child->NodeName() == "Chapter") {
      static_cast<TXML_Estimate_Container&>(*child).SortByID();
    }
  }
}

void TXML_Estimate_Container::AppendToDOM(XmlSink& sink, char decimalSeparator) const {
  WriteStartOfElement(sink, decimalSeparator);
  if (children_.empty()) {
    sink.EndEmptyElement();
    return;
  }
  sink.EndStartTag();
  for (const auto& child : children_) child->AppendToDOM(sink, decimalSeparator);
  sink.EndElement(NodeName());
}

// ---- TXML_Estimate_Position ----

TXML_Estimate_Position::TXML_Estimate_Position(TXML_Estimate_Document* document)
    : TXML_Estimate_Container(document) {
  SetAttributes(PositionAttributes);
  SetNodeName("Position");
}

TXML_Estimate_Item* TXML_Estimate_Position::GetPrice(std::uint8_t index) {
  if (index >= std::size(PriceNames)) ThrowIndexOutOfRange();
  for (const auto& child : children_) {
    if (child->NodeName() == PriceNames[index]) return child.get();
  }
  return AddChild(NewItem(Document(), PriceAttributes, PriceNames[index]));
}

TXML_Estimate_Item* TXML_Estimate_Position::GetCustomNP(std::uint8_t index) {
  if (index >= std::size(CustomNPNames)) ThrowIndexOutOfRange();
  for (const auto& child : children_) {
    if (child->NodeName() == CustomNPNames[index]) return child.get();
  }
  return AddChild(NewItem(Document(), CustomNPAttributes, CustomNPNames[index]));
}

TXML_Estimate_Position* TXML_Estimate_Position::AddResource(std::uint8_t index) {
  if (index >= std::size(ResourceNames)) ThrowIndexOutOfRange();
  TXML_Estimate_Container* resources = GetContainer(kResourcesKind, true);
  auto resource = std::make_unique<TXML_Estimate_Position>(Document());
  resource->SetNodeName(ResourceNames[index]);
  return static_cast<TXML_Estimate_Position*>(resources->AddChild(std::move(resource)));
}

void TXML_Estimate_Position::SortResources() {
  QuickSortChildren(GetContainer(kResourcesKind, true)->children_, ResourceOrder);
}

TXML_Estimate_Item* TXML_Estimate_Position::AddCoefficient() {
  return GetContainer(kCoefficientsKind, true)->AddChild(NewItem(Document(), CoefficientAttributes, "K"));
}

TXML_Estimate_Item* TXML_Estimate_Position::AddImplementation() {
  return GetContainer(kImplementationKind, true)->AddChild(NewItem(Document(), ImplementationAttributes, "Item"));
}

// ---- TXML_Estimate_Document ----

// The root is its own document, so that every node created under it, directly
// or further down, refers to it.
TXML_Estimate_Document::~TXML_Estimate_Document() {
  children_.clear();  // the settled nodes before the elements they refer to
}

TXML_Estimate_Document::TXML_Estimate_Document()
    : TXML_Estimate_Container(this), settled_(std::make_unique<SettledElements>()) {
  SetAttributes(DocumentAttributes);
  SetValueByName("DocumentType", Variant(kDocumentType));
  SetNodeName("Document");
  chapters_ = GetContainer(kChaptersKind, true);
  chapters_->SetDocument(this);
  signs_ = GetContainer(kSignsKind, true);
  signs_->SetDocument(this);
  while (signs_->ChildCount() < kSignCount) signs_->AddChild(NewItem(this, SignAttributes, "Sign"));
}

void TXML_Estimate_Document::SaveToSink(XmlSink& sink, char decimalSeparator) const {
  // The root element comes from the declaration's skeleton, which needs the
  // root's name; without one there is no element to write into.
  if (NodeName().empty()) ThrowNoParentError();
  sink.WriteDeclaration();
  AppendToDOM(sink, decimalSeparator);
  sink.Flush();
}

void TXML_Estimate_Document::SaveToFile(const std::filesystem::path& fileName, char decimalSeparator,
                                        FileFaults* faults) const {
  AtomicFileSink sink(fileName, faults);
  SaveToSink(sink, decimalSeparator);
  sink.Commit();
}

}  // namespace ranta2kv
