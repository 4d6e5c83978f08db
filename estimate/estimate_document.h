// The estimate document tree: items with a name and an attribute schema,
// containers that own ordered children and carry a kind, positions with the
// 19-attribute position schema, and the document root with its fixed skeleton.
// Every node becomes one XML element when the document is saved.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/variant.h"
#include "estimate/attribute_values.h"
#include "estimate/estimate_schemas.h"

namespace ranta2kv {

class FileFaults;

class TXML_Estimate_Container;
class TXML_Estimate_Document;
class XmlSink;
class SettledElements;
struct NodeShape;
struct OwnedNodeShape;

class TXML_Estimate_Item {
 public:
  explicit TXML_Estimate_Item(TXML_Estimate_Document* document);
  virtual ~TXML_Estimate_Item();
  TXML_Estimate_Item(const TXML_Estimate_Item&) = delete;
  TXML_Estimate_Item& operator=(const TXML_Estimate_Item&) = delete;

  virtual bool IsContainer() const { return false; }
  virtual std::string_view ClassName() const { return "TXML_Estimate_Item"; }

  void SetAttributes(const TStringList& names);
  void SetAttributes(TStringList&&) = delete;  // a temporary list would not outlive the node
  std::size_t AttributeCount() const;
  std::string_view AttributeName(std::size_t index) const;

  // Errors: "Индекс за пределами диапазона".
  Variant GetValue(int index) const;
  void SetValue(int index, const Variant& value);
  Variant GetValueByName(std::string_view name) const;
  void SetValueByName(std::string_view name, const Variant& value);
  bool HasValue(std::string_view name, bool checkAssigned) const;
  // Values of a known type by their place in the schema (the slots of
  // estimate_schemas.h). Errors: "Индекс за пределами диапазона".
  void SetText(std::uint8_t slot, std::string_view text1251);
  void SetInteger(std::uint8_t slot, std::int64_t value);
  void SetNumber(std::uint8_t slot, const DecimalNumber& value);
  // Room for that many bytes of values at once, for a node about to get many.
  void ReserveValueBytes(std::size_t bytes) { values_.Reserve(bytes); }

  const std::string& NodeName() const;
  void SetNodeName(std::string_view name);
  // A node inside a tree belongs to the document of its parent; SetDocument
  // names the document of a node that has no parent (yet).
  TXML_Estimate_Document* Document() const;
  void SetDocument(TXML_Estimate_Document* document);
  TXML_Estimate_Container* Parent() const;
  const Variant& Tag() const;
  void SetTag(const Variant& tag);

  // Writes this node's element (and, for containers, its children) to the sink.
  virtual void AppendToDOM(XmlSink& sink, char decimalSeparator) const;

 protected:
  friend class TXML_Estimate_Container;
  void WriteAttributes(XmlSink& sink, char decimalSeparator) const;
  // Checks the parent and the name, then writes "<Name" and the attributes.
  void WriteStartOfElement(XmlSink& sink, char decimalSeparator) const;
  // Throws the error of an element written with no element open around it.
  static void CheckParentOpen(const XmlSink& sink);
  // Takes the name, schema and tag of the node and those of its values that
  // the sorts compare.
  void TakeSortValuesOf(const TXML_Estimate_Item& node);

 private:
  std::uint8_t CheckedIndex(int index) const;  // "Индекс за пределами диапазона"
  int IndexOf(std::string_view name) const;     // -1 when not in the schema
  const TStringList* Schema() const;
  void Reshape(std::string_view name, const TStringList* schema);
  OwnedNodeShape& OwnShape();  // makes the shape this node's own

  const NodeShape* shape_;   // name and schema; this node's own when owned
  AttributeValues values_;   // assigned values only, by schema index
  // The parent container, or, with the low bit set, the node's own document
  // while it has no parent. Neither is owned.
  std::uintptr_t link_ = 0;
};

class TXML_Estimate_Container : public TXML_Estimate_Item {
 public:
  explicit TXML_Estimate_Container(TXML_Estimate_Document* document);
  ~TXML_Estimate_Container() override;

  bool IsContainer() const override { return true; }
  std::string_view ClassName() const override { return "TXML_Estimate_Container"; }

  std::uint8_t Kind() const { return kind_; }
  void SetKind(std::uint8_t kind);

  const std::vector<std::unique_ptr<TXML_Estimate_Item>>& Children() const { return children_; }
  std::size_t ChildCount() const { return children_.size(); }
  // Takes ownership. Returns the item.
  TXML_Estimate_Item* AddChild(std::unique_ptr<TXML_Estimate_Item> item);
  TXML_Estimate_Item* GetChild(int index) const;  // "List index out of bounds (%d)"
  void MoveChild(TXML_Estimate_Item* item, int newIndex);

  TXML_Estimate_Container* GetContainer(std::uint8_t kind, bool createIfMissing);
  TXML_Estimate_Container* AddChapter();
  TXML_Estimate_Item* GetWorkType(std::int32_t id);
  void FlattenChapters();
  // Puts with in the place of child and gives child back.
  std::unique_ptr<TXML_Estimate_Item> ReplaceChild(TXML_Estimate_Item* child, std::unique_ptr<TXML_Estimate_Item> with);
  void SortByNumber();
  void SortByID();

  void AppendToDOM(XmlSink& sink, char decimalSeparator) const override;

 private:
  friend class TXML_Estimate_Position;  // sorts the children of its "Resources"
  static bool IsPathChapter(const TXML_Estimate_Item& node);

  std::uint8_t kind_ = 0;  // first, so that it fills the item's tail padding

 protected:
  std::vector<std::unique_ptr<TXML_Estimate_Item>> children_;
};

class TXML_Estimate_Position : public TXML_Estimate_Container {
 public:
  explicit TXML_Estimate_Position(TXML_Estimate_Document* document);
  std::string_view ClassName() const override { return "TXML_Estimate_Position"; }

  TXML_Estimate_Item* GetPrice(std::uint8_t index);
  TXML_Estimate_Item* GetCustomNP(std::uint8_t index);
  TXML_Estimate_Position* AddResource(std::uint8_t index);
  void SortResources();
  TXML_Estimate_Item* AddCoefficient();
  TXML_Estimate_Item* AddImplementation();
};

class TXML_Estimate_Document : public TXML_Estimate_Container {
 public:
  TXML_Estimate_Document();
  ~TXML_Estimate_Document() override;
  std::string_view ClassName() const override { return "TXML_Estimate_Document"; }

  TXML_Estimate_Container* Chapters() const { return chapters_; }
  TXML_Estimate_Container* Signs() const { return signs_; }
  // The bytes of the document's settled nodes.
  SettledElements& Settled() { return *settled_; }

  // Writes the document as a windows-1251 XML file, atomically: a temporary file
  // in the target folder renamed over the target. Throws Error on failure; an
  // earlier file of that name is then left untouched.
  // faults, when given, are injected into the output file's calls (tests).
  void SaveToFile(const std::filesystem::path& fileName, char decimalSeparator, FileFaults* faults = nullptr) const;
  // The same text written to any sink (tests, fault injection).
  void SaveToSink(XmlSink& sink, char decimalSeparator) const;

 private:
  TXML_Estimate_Container* chapters_ = nullptr;
  TXML_Estimate_Container* signs_ = nullptr;
  std::unique_ptr<SettledElements> settled_;
};

}  // namespace ranta2kv
