// The streaming XML writer: buffering, element syntax and the escaping of
// attribute values, so that any windows-1251 text gives a well-formed document
// whose parser hands back the text as it was written.
#include "estimate/xml_writer.h"

#include <array>
#include <cstring>

#include "common/text.h"

namespace ranta2kv {
namespace {

enum ByteClass : unsigned char { kPlain, kDropped, kEscaped, kSpace };

// Controls other than TAB, LF and CR cannot appear in XML 1.0 even as
// references; 0x98 is no character of windows-1251. En dash and no-break space
// are written as a space (the clean-up rule).
constexpr std::array<ByteClass, 256> MakeByteClasses() {
  std::array<ByteClass, 256> classes{};
  for (int c = 0; c < 0x20; ++c) classes[c] = kDropped;
  classes[0x98] = kDropped;
  for (unsigned char c : {'\t', '\n', '\r', '&', '<', '>', '"'}) classes[c] = kEscaped;
  classes[0x96] = kSpace;
  classes[0xA0] = kSpace;
  return classes;
}
static_assert(CleanUpByte('\x96') == ' ' && CleanUpByte('\xA0') == ' ', "the replace set of the clean-up rule");
constexpr std::array<ByteClass, 256> kByteClasses = MakeByteClasses();

ByteClass ClassOf(char c) { return kByteClasses[static_cast<unsigned char>(c)]; }

std::string_view EscapeOf(char c) {
  switch (c) {
    case '\t': return "&#9;";
    case '\n': return "&#10;";
    case '\r': return "&#13;";
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    default: return "&quot;";
  }
}

bool HasKeptByte(std::string_view text) {
  for (char c : text) {
    if (ClassOf(c) != kDropped) return true;
  }
  return false;
}

}  // namespace

XmlSink::XmlSink(std::size_t bufferSize)
    : buffer_(new char[bufferSize < 64 ? 64 : bufferSize]), capacity_(bufferSize < 64 ? 64 : bufferSize) {}

XmlSink::~XmlSink() = default;

void XmlSink::Flush() {
  if (used_ == 0) return;
  std::size_t length = used_;
  used_ = 0;
  WriteChunk(std::string_view(buffer_.get(), length));
}

void XmlSink::AppendBeyondBuffer(std::string_view bytes) {
  Flush();
  if (bytes.size() > capacity_) {
    WriteChunk(bytes);
    return;
  }
  std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void XmlSink::AppendEscaped(std::string_view text) {
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    ByteClass byteClass = ClassOf(text[i]);
    if (byteClass == kPlain) continue;
    Append(text.substr(runStart, i - runStart));
    runStart = i + 1;
    if (byteClass == kEscaped) Append(EscapeOf(text[i]));
    else if (byteClass == kSpace) Append(' ');
  }
  Append(text.substr(runStart));
}

void XmlSink::WriteDeclaration() {
  Append("<?xml version=\"1.0\" encoding=\"windows-1251\"?>");
}

void XmlSink::BeginElement(std::string_view name) {
  Append('<');
  Append(name);
}

bool XmlSink::WriteAttribute(std::string_view name, std::string_view cleanedText) {
  if (!HasKeptByte(cleanedText)) return false;
  Append(' ');
  Append(name);
  Append("=\"");
  AppendEscaped(cleanedText);
  Append('"');
  return true;
}

void XmlSink::EndEmptyElement() {
  Append("/>");
}

void XmlSink::EndStartTag() {
  Append('>');
  ++open_elements_;
}

void XmlSink::EndElement(std::string_view name) {
  Append("</");
  Append(name);
  Append('>');
  --open_elements_;
}

}  // namespace ranta2kv
