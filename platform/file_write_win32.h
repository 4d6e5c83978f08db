// The two steps that the Win32 output and scratch files share, for their files
// only: a new file created under a fresh random name beside a path (CREATE_NEW,
// tried again while the name is taken), and one WriteFile, where a write that
// takes nothing gives the code of a full disk; and the lock of the steps that
// an exit of the process must not cut in two.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <mutex>
#include <random>

#include "platform/system_path_win32.h"
#include "platform/temporary_name.h"

namespace ranta2kv {

// Creates a file that no other handle shares under a fresh name beside `beside`;
// gives 0 with the handle and the name, or the system's error code.
inline int CreateUnderFreshName(const std::filesystem::path& beside, DWORD access, DWORD flags,
                                HANDLE& handle, std::filesystem::path& name) {
  std::random_device random;
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    std::filesystem::path tried = TemporaryNameBeside(beside, random);
    handle = ::CreateFileW(SystemPath(tried).c_str(), access, 0, nullptr, CREATE_NEW, flags, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      name = std::move(tried);
      return 0;
    }
    error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return static_cast<int>(error);
}

// Held while a file of ours is under its name without its mark for deletion
// (from its creation to the mark, from clearing the mark to its rename over the
// target): the console's handler takes it before it ends the process on a
// second Ctrl-C, so that such an exit never leaves the file behind.
inline std::mutex& UnmarkedFileSteps() {
  static std::mutex steps;
  return steps;
}

// Writes at most size bytes of data (at the offset `at` gives, or at the file
// pointer without one), at least one when it gives 0; written tells how many.
inline int WriteSome(HANDLE handle, const char* data, std::size_t size, OVERLAPPED* at, std::size_t& written) {
  written = 0;
  DWORD n = 0;
  const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  if (!::WriteFile(handle, data, ask, &n, at)) return static_cast<int>(::GetLastError());
  if (n == 0) return ERROR_DISK_FULL;  // also a write that a fault cut to nothing
  written = n;
  return 0;
}

}  // namespace ranta2kv
