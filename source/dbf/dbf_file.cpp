// Opening and reading of a .DBF file through the platform's table file. The lock
// keeps a second copy of this program (and any program that asks for the same)
// away; against other writers, every read is checked for its length and the
// file's stamp can be compared with the one it had at Open.
#include "source/dbf/dbf_file.h"

#include <algorithm>

#include "common/codepage.h"
#include "platform/file_name.h"

namespace ranta2kv {

SourceFileError TableChangedError(const std::filesystem::path& file) {
  return SourceFileError(std::string("Таблица \""_cp1251) + PathTo1251(file) +
                         std::string("\" изменилась во время конвертации"_cp1251));
}

std::optional<TableFileStamp> CurrentStamp(const std::filesystem::path& path) {
  TableFile file;
  if (!file.Open(path)) return std::nullopt;
  return file.Stamp();
}

bool DbfFile::Open(const std::filesystem::path& path, FileFaults* faults, bool wholeIfShortRecords) {
  Close();
  if (!file_.Open(path, faults)) return false;
  if (std::string_view view = file_.View(); !view.empty()) {
    bytes_ = view;
    resident_ = viewed_ = true;
    return true;
  }
  try {
    const std::uint64_t size = file_.Size();
    resident_ = size <= kMaxReadSize;
    head_.resize(static_cast<std::size_t>(resident_ ? size : std::min<std::uint64_t>(size, kHeadSize)));
    ReadAt(0, head_.data(), head_.size());
    if (wholeIfShortRecords && !resident_ && size <= kMaxShortRecordsSize && head_.size() >= 12) {
      // The record length as the header gives it (bytes 10 and 11).
      const std::size_t recordLength =
          static_cast<unsigned char>(head_[10]) | static_cast<std::size_t>(static_cast<unsigned char>(head_[11])) << 8;
      if (recordLength != 0 && recordLength <= kShortRecordLength) {
        resident_ = true;
        head_.resize(static_cast<std::size_t>(size));
        ReadAt(0, head_.data(), head_.size());
      }
    }
    bytes_ = resident_ ? std::string_view(head_) : std::string_view();
  } catch (...) {
    Close();
    throw;
  }
  return true;
}

void DbfFile::Close() {
  file_.Close();
  head_.clear();
  head_.shrink_to_fit();
  bytes_ = {};
  resident_ = viewed_ = false;
  view_read_->store(0);
}

void DbfFile::NoteViewRead(std::size_t size, bool inFileOrder) const {
  if (!viewed_) return;
  constexpr std::size_t kPage = 4096;
  const std::uint64_t read = view_read_->fetch_add(inFileOrder ? size : std::max(size, kPage)) + size;
  if (read > kViewPagesBudget) {
    view_read_->store(0);
    file_.ReleaseViewPages();
  }
}

void DbfFile::ReadAt(std::uint64_t offset, char* out, std::size_t size) const {
  if (file_.ReadAt(offset, out, size) != size) ThrowChanged();
}

void DbfFile::CheckUnchanged() const {
  if (!file_.Unchanged()) ThrowChanged();
}

void DbfFile::ThrowChanged() const { throw TableChangedError(file_.Path()); }

}  // namespace ranta2kv
