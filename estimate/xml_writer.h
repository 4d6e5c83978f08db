// The streaming XML writer of the estimate document: `XmlSink` buffers the bytes
// of one document, writes its element syntax and escapes attribute values, and
// hands the bytes on in big chunks to its destination (a file, a string, a test).
// Text is windows-1251 and passes through as it is.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace ranta2kv {

class XmlSink {
 public:
  static constexpr std::size_t kDefaultBufferSize = 256 * 1024;  // big chunks, little memory

  explicit XmlSink(std::size_t bufferSize = kDefaultBufferSize);
  virtual ~XmlSink();
  XmlSink(const XmlSink&) = delete;
  XmlSink& operator=(const XmlSink&) = delete;

  // <?xml version="1.0" encoding="windows-1251"?>
  void WriteDeclaration();
  void BeginElement(std::string_view name);  // "<name"
  // ` name="value"`: the value is a text already trimmed by the clean-up rule; its
  // en dashes and no-break spaces are written as spaces, & < > " escaped, TAB, CR
  // and LF written as character references, and bytes that XML 1.0 cannot carry
  // (controls other than those three, and 0x98) left out. When nothing of the
  // value remains, nothing is written and the result is false.
  bool WriteAttribute(std::string_view name, std::string_view cleanedText);
  void EndEmptyElement();                    // "/>"
  void EndStartTag();                        // ">": the element is open for children
  void EndElement(std::string_view name);    // "</name>"
  int OpenElements() const { return open_elements_; }  // started and not yet ended
  // Bytes of elements written before (by another sink), as they are.
  void WriteRaw(std::string_view bytes) { Append(bytes); }

  // Hands every buffered byte to WriteChunk.
  void Flush();

 protected:
  // A sink for the elements of a part of a document, written as if inside an
  // element that another sink opened.
  void BeginInsideElement() { ++open_elements_; }
  // The bytes not yet handed to WriteChunk.
  std::string_view Buffered() const { return std::string_view(buffer_.get(), used_); }
  // Writes bytes to the destination, all of them, or throws Error.
  virtual void WriteChunk(std::string_view bytes) = 0;

 private:
  void Append(std::string_view bytes) {
    if (bytes.size() <= capacity_ - used_) {
      std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
      used_ += bytes.size();
    } else {
      AppendBeyondBuffer(bytes);
    }
  }
  void Append(char c) {
    if (used_ == capacity_) Flush();
    buffer_[used_++] = c;
  }
  void AppendBeyondBuffer(std::string_view bytes);
  void AppendEscaped(std::string_view text);

  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;   // bytes the buffer holds
  std::size_t used_ = 0;   // bytes waiting in the buffer
  int open_elements_ = 0;
};

// A sink that collects the document in memory (tests, small documents).
class StringXmlSink : public XmlSink {
 public:
  StringXmlSink() : XmlSink(4096) {}
  const std::string& Text() {
    Flush();
    return text_;
  }

 protected:
  void WriteChunk(std::string_view bytes) override { text_.append(bytes); }

 private:
  std::string text_;
};

}  // namespace ranta2kv
