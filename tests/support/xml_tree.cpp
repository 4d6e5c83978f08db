// A parsed XML file for the tests, read with libxml2.
#include "tests/support/xml_tree.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <stdexcept>

#include <gtest/gtest.h>

namespace ranta2kv::test {
namespace {

std::string Text(const xmlChar* text) { return text ? reinterpret_cast<const char*>(text) : ""; }

XmlElement Convert(xmlNode* node) {
  XmlElement element;
  element.name = Text(node->name);
  for (xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
    xmlChar* value = xmlNodeListGetString(node->doc, attr->children, 1);
    element.attributes.emplace_back(Text(attr->name), Text(value));
    xmlFree(value);
  }
  for (xmlNode* child = node->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) element.children.push_back(Convert(child));
  }
  return element;
}

}  // namespace

std::string XmlElement::Attr(const std::string& attribute) const {
  for (const auto& [name, value] : attributes) {
    if (name == attribute) return value;
  }
  return "";
}

bool XmlElement::HasAttr(const std::string& attribute) const {
  for (const auto& entry : attributes) {
    if (entry.first == attribute) return true;
  }
  return false;
}

std::vector<std::string> XmlElement::AttributeNames() const {
  std::vector<std::string> names;
  for (const auto& entry : attributes) names.push_back(entry.first);
  return names;
}

std::vector<const XmlElement*> XmlElement::All(const std::string& childName) const {
  std::vector<const XmlElement*> found;
  for (const XmlElement& child : children) {
    if (child.name == childName) found.push_back(&child);
  }
  return found;
}

const XmlElement* XmlElement::Find(const std::string& childName) const {
  for (const XmlElement& child : children) {
    if (child.name == childName) return &child;
  }
  return nullptr;
}

const XmlElement& XmlElement::Child(const std::string& childName) const {
  const XmlElement* child = Find(childName);
  if (child == nullptr) {
    ADD_FAILURE() << "<" << name << "> has no child <" << childName << ">";
    static const XmlElement kEmpty;
    return kEmpty;
  }
  return *child;
}

XmlFile ParseXmlFile(const std::filesystem::path& file) {
  xmlDoc* doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR |
                                                      XML_PARSE_NOWARNING);
  if (doc == nullptr) {
    const xmlError* error = xmlGetLastError();
    throw std::runtime_error("not well-formed: " + file.string() + ": " +
                             (error && error->message ? error->message : "?"));
  }
  XmlFile parsed;
  parsed.encoding = Text(doc->encoding);
  parsed.root = Convert(xmlDocGetRootElement(doc));
  xmlFreeDoc(doc);
  return parsed;
}

}  // namespace ranta2kv::test
