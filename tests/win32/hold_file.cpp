// ranta2kv-hold-file FILE: another Windows program holding a table, for the
// tests. Opens FILE for reading (letting others read too, as a viewer does),
// writes "held" to its standard output and keeps the file open until its
// standard input closes. Exit status 1 when it cannot open the file.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  HANDLE file = ::CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD count = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), "held\n", 5, &count, nullptr);
  char buffer[64];
  while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &count, nullptr) && count > 0) {
  }
  ::CloseHandle(file);
  return 0;
}
