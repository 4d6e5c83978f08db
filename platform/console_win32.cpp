// The console on Windows: text for a console goes as UTF-16 through
// WriteConsoleW, so that Cyrillic shows whatever the console's code page; a
// redirected stream gets the UTF-8 bytes in binary mode, as on other systems.
// Ctrl-C and Ctrl-Break come to a console control handler on a thread of their own.
#include "platform/console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/file_write_win32.h"
#include "platform/wide_text.h"

namespace ranta2kv {
namespace {

std::atomic<int> g_stop_requests{0};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;  // closing: the default
  if (++g_stop_requests > 1) {
    // Not while a file of ours is under its name unmarked: it would stay.
    std::lock_guard<std::mutex> steps(UnmarkedFileSteps());
    std::_Exit(130);
  }
  return TRUE;
}

std::FILE* StreamOf(StandardStream stream) { return stream == StandardStream::Output ? stdout : stderr; }

HANDLE HandleOf(StandardStream stream) {
  return ::GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool IsConsoleHandle(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

void PrepareStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

void UseParentConsole() {
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (output != nullptr && output != INVALID_HANDLE_VALUE) return;  // a file, a pipe or a console already
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
  const HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
  if (console != INVALID_HANDLE_VALUE) ::SetStdHandle(STD_OUTPUT_HANDLE, console);
}

bool IsConsole(StandardStream stream) { return IsConsoleHandle(HandleOf(stream)); }

bool WriteText(StandardStream stream, std::string_view utf8) {
  HANDLE handle = HandleOf(stream);
  if (!IsConsoleHandle(handle)) {
    return std::fwrite(utf8.data(), 1, utf8.size(), StreamOf(stream)) == utf8.size();
  }
  std::fflush(StreamOf(stream));  // what went through the C library first
  const std::wstring wide = WideFromUtf8(utf8);
  std::size_t done = 0;
  while (done < wide.size()) {
    // Pieces of at most 16K characters, never splitting a surrogate pair.
    std::size_t piece = std::min<std::size_t>(wide.size() - done, 16384);
    if (done + piece < wide.size() && piece > 1 && IS_HIGH_SURROGATE(wide[done + piece - 1])) --piece;
    DWORD written = 0;
    if (!::WriteConsoleW(handle, wide.data() + done, static_cast<DWORD>(piece), &written, nullptr) ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

bool FlushStream(StandardStream stream) { return std::fflush(StreamOf(stream)) == 0; }

void CatchStopRequests() { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

int StopRequests() { return g_stop_requests.load(); }

}  // namespace ranta2kv
