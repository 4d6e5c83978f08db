// The pass fuzzers' checks of the output folder: a written file must parse as
// well-formed XML (libxml2, windows-1251 as its declaration says) with the root
// element "Document"; no temporary file may stay behind.
#include "fuzz/pass_check.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_folder.h"

namespace ranta2kv::fuzz {
namespace fs = std::filesystem;
namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "pass check failed: %s\n", what.c_str());
  std::abort();
}

int FilesIn(const fs::path& folder) {
  int count = 0;
  for ([[maybe_unused]] const fs::directory_entry& entry : fs::directory_iterator(folder)) ++count;
  return count;
}

void Silence(void*, const char*, ...) {}

bool IsDocument(const std::string& text) {
  xmlSetGenericErrorFunc(nullptr, Silence);
  xmlDocPtr document = xmlReadMemory(text.data(), static_cast<int>(text.size()), "output.xml", nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!document) return false;
  xmlNodePtr root = xmlDocGetRootElement(document);
  bool named = root && std::strcmp(reinterpret_cast<const char*>(root->name), "Document") == 0;
  xmlFreeDoc(document);
  return named;
}

}  // namespace

void CheckWritten(const std::optional<ConversionResult>& written, const fs::path& outputFolder) {
  if (!written) return CheckNothingWritten(outputFolder);
  if (FilesIn(outputFolder) != 1) Fail("the output folder holds more than the written file");
  if (!IsDocument(ReadFileBytes(written->file))) Fail("the written file is not a well-formed estimate document");
}

void CheckNothingWritten(const fs::path& outputFolder) {
  if (FilesIn(outputFolder) != 0) Fail("a pass that wrote no file left something in the output folder");
}

}  // namespace ranta2kv::fuzz
