// The table file on Windows: CreateFileW read-only with share mode 0, so that no
// other program can open the file while it is open here and the open fails while
// another program holds it; positioned ReadFile calls, or a read-only view of the
// whole file (MapViewOfFile: no other program can change the file under it);
// and the file information of the open handle against that of the name for the
// check that nothing changed it.
#include "platform/table_file.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <utility>

#include "platform/file_faults.h"
#include "platform/system_path_win32.h"

namespace ranta2kv {
namespace {

bool StampOf(HANDLE handle, TableFileStamp& stamp) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle, &info)) return false;
  stamp.volume = info.dwVolumeSerialNumber;
  stamp.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  stamp.modified = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                             info.ftLastWriteTime.dwLowDateTime);
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The address space that the views of all the process's open files take at the
// most: a quarter of it (1 GiB for a 32-bit program), so that a run over large
// tables (or two runs at once) leaves the rest to its memory; a file beyond that
// is read piece by piece.
constexpr std::uint64_t kViewsAtMost = SIZE_MAX / 4;
std::atomic<std::uint64_t> g_viewed_bytes{0};

}  // namespace

struct TableFile::Impl {
  std::filesystem::path path;
  FileFaults* faults = nullptr;
  HANDLE handle = INVALID_HANDLE_VALUE;  // opened for this process alone
  TableFileStamp stamp;
  const char* view = nullptr;  // the mapped file, or nullptr
  std::size_t view_size = 0;
  bool view_tried = false;     // mapped once already, or found that it cannot be

  void Unmap() {
    if (view != nullptr) {
      ::UnmapViewOfFile(view);
      g_viewed_bytes.fetch_sub(view_size);
    }
    view = nullptr;
    view_size = 0;
  }
};

TableFile::TableFile() : impl_(std::make_unique<Impl>()) {}

TableFile::~TableFile() {
  if (impl_) Close();
}

TableFile::TableFile(TableFile&& other) noexcept : impl_(std::exchange(other.impl_, std::make_unique<Impl>())) {}

TableFile& TableFile::operator=(TableFile&& other) noexcept {
  if (this != &other) {
    Close();
    std::swap(impl_, other.impl_);
  }
  return *this;
}

bool TableFile::Open(const std::filesystem::path& path, FileFaults* faults) {
  Close();
  HANDLE handle =
      ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  TableFileStamp stamp;
  // A device or pipe under a table's name is no table.
  if (::GetFileType(handle) != FILE_TYPE_DISK || !StampOf(handle, stamp)) {
    ::CloseHandle(handle);
    return false;
  }
  // The share mode is the lock here, taken with the open; a fault on it fails the
  // open as another program holding the file would.
  std::size_t none = 0;
  if (faults && faults->Before(FileCall::Lock, path, none) != 0) {
    ::CloseHandle(handle);
    return false;
  }
  impl_->path = path;
  impl_->faults = faults;
  impl_->handle = handle;
  impl_->stamp = stamp;
  return true;
}

void TableFile::Close() {
  impl_->Unmap();
  impl_->view_tried = false;
  if (impl_->handle != INVALID_HANDLE_VALUE) ::CloseHandle(impl_->handle);
  impl_->handle = INVALID_HANDLE_VALUE;
  impl_->faults = nullptr;
  impl_->stamp = TableFileStamp{};
}

bool TableFile::IsOpen() const { return impl_->handle != INVALID_HANDLE_VALUE; }

const std::filesystem::path& TableFile::Path() const { return impl_->path; }

std::uint64_t TableFile::Size() const { return impl_->stamp.size; }

const TableFileStamp& TableFile::Stamp() const { return impl_->stamp; }

std::size_t TableFile::ReadAt(std::uint64_t offset, char* out, std::size_t size) const {
  if (impl_->faults) {
    if (int fault = impl_->faults->Before(FileCall::Read, impl_->path, size)) throw TableReadError(impl_->path, fault);
  }
  std::size_t done = 0;
  while (done < size) {
    const std::uint64_t at = offset + done;
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(at);
    position.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
    DWORD n = 0;
    if (!::ReadFile(impl_->handle, out + done, ask, &n, &position)) {
      DWORD error = ::GetLastError();
      if (error == ERROR_HANDLE_EOF) break;  // the file ends here now
      throw TableReadError(impl_->path, static_cast<int>(error));
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

bool TableFile::Unchanged() const {
  if (impl_->handle == INVALID_HANDLE_VALUE) return false;
  TableFileStamp open, named;
  if (!StampOf(impl_->handle, open)) return false;
  // Reading the attributes of a name is allowed whatever its share mode.
  HANDLE byName = ::CreateFileW(SystemPath(impl_->path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (byName == INVALID_HANDLE_VALUE) return false;
  const bool stamped = StampOf(byName, named);
  ::CloseHandle(byName);
  return stamped && open == impl_->stamp && named == impl_->stamp;
}

// No other program can open the file, so none can cut it short under the view.
// A file that would take the views beyond kViewsAtMost is read piece by piece
// instead.
std::string_view TableFile::View() {
  Impl& impl = *impl_;
  if (impl.view != nullptr || impl.view_tried) return std::string_view(impl.view, impl.view_size);
  impl.view_tried = true;
  const std::uint64_t size = impl.stamp.size;
  if (impl.handle == INVALID_HANDLE_VALUE || impl.faults != nullptr || size == 0 || size > kViewsAtMost) return {};
  if (g_viewed_bytes.fetch_add(size) + size > kViewsAtMost) {
    g_viewed_bytes.fetch_sub(size);
    return {};
  }
  HANDLE mapping = ::CreateFileMappingW(impl.handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
  const void* mapped = mapping == nullptr ? nullptr : ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  if (mapping != nullptr) ::CloseHandle(mapping);  // the view keeps the mapping
  if (mapped == nullptr) {
    g_viewed_bytes.fetch_sub(size);
    return {};
  }
  impl.view = static_cast<const char*>(mapped);
  impl.view_size = static_cast<std::size_t>(impl.stamp.size);
  return std::string_view(impl.view, impl.view_size);
}

// Unlocking pages that are not locked takes them out of the working set.
void TableFile::ReleaseViewPages() const {
  if (impl_->view != nullptr) ::VirtualUnlock(const_cast<char*>(impl_->view), impl_->view_size);
}

}  // namespace ranta2kv
