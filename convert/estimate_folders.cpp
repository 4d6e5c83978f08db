// The search for the estimate folders below an object folder.
#include "convert/estimate_folders.h"

#include <algorithm>

#include "common/error.h"
#include "platform/file_name.h"
#include "source/estimate_folder.h"

namespace ranta2kv {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One code point of UTF-8 text at text[at], moving at past it; a byte that
// starts no UTF-8 sequence stands for itself.
char32_t NextCodePoint(std::string_view text, std::size_t& at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (length == 1 || at + length > text.size()) return text[at++] & 0xFF;
  char32_t code = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (text[at + k] & 0x3F);
  at += length;
  return code;
}

char32_t LowerCase(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c >= 0x0410 && c <= 0x042F) return c + 0x20;  // А..Я
  if (c >= 0x0400 && c <= 0x040F) return c + 0x50;  // Ѐ..Џ, Ё among them
  return c;
}

// Compares the runs of digits at a[i] and b[j] by value and moves past both;
// 0 when equal.
int CompareDigitRuns(std::string_view a, std::size_t& i, std::string_view b, std::size_t& j) {
  auto run = [](std::string_view text, std::size_t& at) {
    while (at + 1 < text.size() && text[at] == '0' && IsDigit(text[at + 1])) ++at;  // leading zeros
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    return text.substr(start, at - start);
  };
  const std::string_view x = run(a, i), y = run(b, j);
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  return x.compare(y);
}

bool PathOrderLess(const std::filesystem::path& a, const std::filesystem::path& b) {
  return NameOrderLess(PathToUtf8(a), PathToUtf8(b));
}

void Search(const std::filesystem::path& root, const std::filesystem::path& relative,
            const std::vector<FolderEntry>& entries, std::vector<EstimateFolder>& found,
            const std::function<void(const std::string&)>& log, const std::function<bool()>& keepGoing) {
  std::vector<std::filesystem::path> folders;
  for (const FolderEntry& entry : entries)
    if (entry.isFolder) folders.push_back(entry.name);
  std::sort(folders.begin(), folders.end(), PathOrderLess);
  for (const std::filesystem::path& name : folders) {
    if (!keepGoing()) return;
    const std::filesystem::path below = relative / name;
    std::vector<FolderEntry> inner;
    try {
      inner = ListFolder(root / below);
    } catch (const Error& error) {
      log(error.what());
      continue;
    }
    if (HoldsEstimate(inner)) found.push_back({root / below, below});
    Search(root, below, inner, found, log, keepGoing);
  }
}

}  // namespace

std::vector<EstimateFolder> FindEstimateFolders(const std::filesystem::path& root,
                                                const std::function<void(const std::string&)>& log,
                                                const std::function<bool()>& keepGoing) {
  std::vector<EstimateFolder> found;
  std::vector<FolderEntry> entries;
  try {
    entries = ListFolder(root);
  } catch (const Error& error) {
    log(error.what());
    return found;
  }
  Search(root, {}, entries, found, log, keepGoing);
  return found;
}

bool NameOrderLess(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      if (int order = CompareDigitRuns(a, i, b, j); order != 0) return order < 0;
      continue;
    }
    const char32_t x = LowerCase(NextCodePoint(a, i)), y = LowerCase(NextCodePoint(b, j));
    if (x != y) return x < y;
  }
  if ((i < a.size()) != (j < b.size())) return j < b.size();
  return a < b;  // names alike but for case or zeros: still one order
}

}  // namespace ranta2kv
