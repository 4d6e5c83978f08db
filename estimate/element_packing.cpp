// The packing of settled elements. The element is read as the XML writer
// writes it: "<Name", then ` Name="text"` for each attribute, then "/>" or ">"
// with children and "</Name>". Names become [token][id], texts that tend to
// recur [token][varint id] of a table of the document's texts.
// Each packed element is unpacked once and compared with its input: an element
// the packing does not give back exactly is kept as it is.
#include "estimate/element_packing.h"

#include "estimate/xml_writer.h"

namespace ranta2kv {
namespace {

constexpr char kRaw = 0, kPacked = 1;                    // the first byte: how the rest is stored
constexpr char kOpen = 1, kAttribute = 2, kClose = 3, kText = 4;  // tokens
constexpr std::size_t kSharedText = 12;

// Texts that tend to recur (names of works, resources, units): long enough and
// not numbers, which mostly differ from element to element.
bool IsSharedText(std::string_view text) {
  return text.size() >= kSharedText && !(text[0] >= '0' && text[0] <= '9') && text[0] != '-';
}
constexpr std::size_t kMostNames = 250;

bool IsNameByte(char c) { return c != ' ' && c != '/' && c != '>' && c != '=' && c != '"' && c != '<'; }

struct StringOut {
  std::string& text;
  void Write(std::string_view bytes) { text.append(bytes); }
};

struct SinkOut {
  XmlSink& sink;
  void Write(std::string_view bytes) { sink.WriteRaw(bytes); }
};

}  // namespace

int ElementPacking::NameId(std::string_view name) {
  const std::size_t slot =
      (name.size() * 31 + static_cast<unsigned char>(name.front()) * 7 + static_cast<unsigned char>(name.back()) +
       static_cast<unsigned char>(name[name.size() / 2]) * 3) & 0xFF;
  if (const std::uint8_t recent = recent_names_[slot]; recent != 0 && names_[recent - 1] == name) return recent - 1;
  int id = -1;
  if (auto found = name_ids_.find(name); found != name_ids_.end()) {
    id = found->second;
  } else if (names_.size() < kMostNames) {
    names_.emplace_back(name);
    id = static_cast<int>(names_.size() - 1);
    name_ids_.emplace(names_.back(), static_cast<std::uint8_t>(id));
  }
  if (id >= 0) recent_names_[slot] = static_cast<std::uint8_t>(id + 1);
  return id;
}

std::uint32_t ElementPacking::TextId(std::string_view text) {
  std::size_t slot = text.size();
  for (std::size_t at : {std::size_t{0}, text.size() / 3, text.size() / 2, text.size() - 2, text.size() - 1}) {
    slot = slot * 131 + static_cast<unsigned char>(text[at]);
  }
  std::uint32_t& recent = recent_texts_[slot & (recent_texts_.size() - 1)];
  if (recent != 0 && texts_[recent - 1] == text) return recent - 1;
  std::uint32_t id = 0;
  if (auto found = text_ids_.find(text); found != text_ids_.end()) {
    id = found->second;
  } else {
    texts_.emplace_back(text);
    id = static_cast<std::uint32_t>(texts_.size() - 1);
    text_ids_.emplace(texts_.back(), id);
  }
  recent = id + 1;
  return id;
}

bool ElementPacking::PackInto(std::string_view e, std::string& packed) {
  std::size_t i = 0;
  auto name = [&](std::size_t from) {
    std::size_t end = from;
    while (end < e.size() && IsNameByte(e[end])) ++end;
    return e.substr(from, end - from);
  };
  auto token = [&](char kind, std::string_view text, std::string_view literal) {
    const int id = text.empty() ? -1 : NameId(text);
    if (id < 0) {
      packed.append(literal);
      return;
    }
    packed.push_back(kind);
    packed.push_back(static_cast<char>(id + 1));
  };
  while (i < e.size()) {
    const char c = e[i];
    if (static_cast<unsigned char>(c) < 0x20) return false;
    if (c == '<' && i + 1 < e.size() && e[i + 1] == '/') {
      const std::string_view n = name(i + 2);
      if (i + 2 + n.size() >= e.size() || e[i + 2 + n.size()] != '>') return false;
      token(kClose, n, e.substr(i, n.size() + 3));
      i += n.size() + 3;
    } else if (c == '<') {
      const std::string_view n = name(i + 1);
      token(kOpen, n, e.substr(i, n.size() + 1));
      i += n.size() + 1;
    } else if (c == ' ') {
      const std::string_view n = name(i + 1);
      const std::size_t valueStart = i + 1 + n.size() + 2;
      if (valueStart > e.size() || e.substr(i + 1 + n.size(), 2) != "=\"") return false;
      const std::size_t valueEnd = e.find('"', valueStart);
      if (valueEnd == std::string_view::npos) return false;
      token(kAttribute, n, e.substr(i, n.size() + 3));
      const std::string_view value = e.substr(valueStart, valueEnd - valueStart);
      if (IsSharedText(value)) {
        packed.push_back(kText);
        for (std::uint32_t id = TextId(value);; id >>= 7) {
          if (id < 0x80) {
            packed.push_back(static_cast<char>(id));
            break;
          }
          packed.push_back(static_cast<char>(0x80 | (id & 0x7F)));
        }
      } else {
        packed.append(value);
      }
      packed.push_back('"');
      i = valueEnd + 1;
    } else {
      packed.push_back(c);
      ++i;
    }
  }
  return true;
}

std::string ElementPacking::Pack(std::string_view element) {
  std::string packed(1, kPacked);
  packed.reserve(element.size() / 2 + 16);
  if (PackInto(element, packed)) {
    check_.clear();
    Unpack(packed, check_);
    if (check_ == element) return packed;
  }
  packed.assign(1, kRaw);
  packed.append(element);
  return packed;
}

template <typename Out>
void ElementPacking::UnpackTo(std::string_view p, Out& out) const {
  if (p.empty()) return;
  if (p[0] == kRaw) {
    out.Write(p.substr(1));
    return;
  }
  std::size_t i = 1, run = 1;
  auto flush = [&] {
    if (i > run) out.Write(p.substr(run, i - run));
  };
  while (i < p.size()) {
    const char c = p[i];
    if (c != kOpen && c != kAttribute && c != kClose && c != kText) {
      ++i;
      continue;
    }
    flush();
    if (c == kText) {
      std::uint32_t id = 0;
      int shift = 0;
      for (++i; i < p.size(); ++i, shift += 7) {
        const auto b = static_cast<unsigned char>(p[i]);
        id |= static_cast<std::uint32_t>(b & 0x7F) << shift;
        if (b < 0x80) break;
      }
      ++i;
      out.Write(texts_[id]);
    } else {
      const std::string& n = names_[static_cast<unsigned char>(p[i + 1]) - 1];
      if (c == kOpen) {
        out.Write("<");
        out.Write(n);
      } else if (c == kAttribute) {
        out.Write(" ");
        out.Write(n);
        out.Write("=\"");
      } else {
        out.Write("</");
        out.Write(n);
        out.Write(">");
      }
      i += 2;
    }
    run = i;
  }
  flush();
}

void ElementPacking::Unpack(std::string_view packed, std::string& out) const {
  StringOut to{out};
  UnpackTo(packed, to);
}

void ElementPacking::Unpack(std::string_view packed, XmlSink& sink) const {
  SinkOut to{sink};
  UnpackTo(packed, to);
}

}  // namespace ranta2kv
