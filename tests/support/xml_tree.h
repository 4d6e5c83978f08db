// A parsed XML file for the tests: elements with their attributes in file order
// and their children, texts in UTF-8, read with libxml2 (so a file that parses
// here is well-formed for any XML reader).
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace ranta2kv::test {

struct XmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // in file order
  std::vector<XmlElement> children;

  // The attribute's value, or "" when the element has none of that name.
  std::string Attr(const std::string& attribute) const;
  bool HasAttr(const std::string& attribute) const;
  std::vector<std::string> AttributeNames() const;
  // Children of that name, in order.
  std::vector<const XmlElement*> All(const std::string& childName) const;
  // The first child of that name; fails the test when there is none.
  const XmlElement& Child(const std::string& childName) const;
  const XmlElement* Find(const std::string& childName) const;
};

struct XmlFile {
  std::string encoding;  // from the declaration
  XmlElement root;
};

// Parses the file; throws std::runtime_error with libxml2's message when it is
// not well-formed.
XmlFile ParseXmlFile(const std::filesystem::path& file);

}  // namespace ranta2kv::test
