// The packing of settled elements: the written bytes of an element with each
// element and attribute name replaced by a two-byte token and each longer
// attribute text that occurred before by a reference to its first occurrence.
// Written texts hold no byte below 0x20 (those are written as references or
// left out), so the tokens cannot be confused with text.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ranta2kv {

class XmlSink;

class ElementPacking {
 public:
  // The packed form of the bytes of one element (children included). Bytes the
  // packing does not recognise are kept as they are.
  std::string Pack(std::string_view element);
  // Writes the element's bytes as they were before Pack.
  void Unpack(std::string_view packed, XmlSink& sink) const;
  void Unpack(std::string_view packed, std::string& out) const;

 private:
  template <typename Out>
  void UnpackTo(std::string_view packed, Out& out) const;
  bool PackInto(std::string_view element, std::string& packed);
  int NameId(std::string_view name);  // -1 when the table is full
  std::uint32_t TextId(std::string_view text);

  std::deque<std::string> names_;
  std::unordered_map<std::string_view, std::uint8_t> name_ids_;  // views of names_
  // Id + 1 of a name by a hash of its length and end bytes, 0 for none: most
  // names are found here without hashing all their bytes.
  std::uint8_t recent_names_[256] = {};
  std::deque<std::string> texts_;
  std::unordered_map<std::string_view, std::uint32_t> text_ids_;  // views of texts_
  std::vector<std::uint32_t> recent_texts_ = std::vector<std::uint32_t>(4096);  // as recent_names_, id + 1
  std::string check_;  // the unpacked bytes of the last Pack, compared with its input
};

}  // namespace ranta2kv
