// The atomic file destination: a temporary file beside the target, created with
// O_EXCL under a random name, written in the sink's chunks, then renamed over the
// target. Any failure removes the temporary file and raises Error with the
// system's message.
#include "estimate/atomic_file_sink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

#include "common/codepage.h"
#include "common/error.h"

namespace ranta2kv {
namespace {

constexpr int kNameAttempts = 100;

std::string SystemMessage(int error) {
  char buffer[256];
  const char* text = strerror_r(error, buffer, sizeof buffer);  // the GNU variant
  return Utf8ToCp1251(text);
}

std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target, std::random_device& random) {
  char name[48];
  std::snprintf(name, sizeof name, ".ranta2kv-%08x%08x.tmp", static_cast<unsigned>(random()),
                static_cast<unsigned>(random()));
  std::filesystem::path folder = target.parent_path();
  return folder.empty() ? std::filesystem::path(name) : folder / name;
}

}  // namespace

AtomicFileSink::AtomicFileSink(std::filesystem::path target) : target_(std::move(target)) {
  std::random_device random;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    temporary_ = TemporaryNameBeside(target_, random);
    // Mode 0666 lets the umask (and any default ACL) decide, as a plain create does.
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0 || errno != EEXIST) break;
  }
  if (fd_ < 0) {
    int error = errno;
    temporary_.clear();  // nothing of ours to remove
    throw Error(std::string("Не удалось создать файл \""_cp1251) + Utf8ToCp1251(target_.string()) + "\": " +
                SystemMessage(error));
  }
}

AtomicFileSink::~AtomicFileSink() {
  if (!committed_) Discard();
}

ssize_t AtomicFileSink::WriteSome(int fd, const char* data, std::size_t size) {
  return ::write(fd, data, size);
}

void AtomicFileSink::WriteChunk(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = WriteSome(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("Ошибка записи файла \""_cp1251, errno);
    }
    if (written == 0) Fail("Ошибка записи файла \""_cp1251, ENOSPC);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void AtomicFileSink::Commit() {
  Flush();
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) Fail("Ошибка записи файла \""_cp1251, errno);
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) Fail("Не удалось заменить файл \""_cp1251, errno);
  committed_ = true;
}

void AtomicFileSink::Fail(std::string_view what, int error) {
  Discard();
  throw Error(std::string(what) + Utf8ToCp1251(target_.string()) + "\": " + SystemMessage(error));
}

void AtomicFileSink::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace ranta2kv
