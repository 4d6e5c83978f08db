// Tests of ranta2kv.exe as a user meets it: the program is started, its window
// found by its caption and driven through window messages, as under Wine in CI.
// Usage: window_test --app EXE --cli EXE --gen EXE --sample DIR [--placement WxH [--dpi D]]
// (with --placement only the placement case, on the screen of that size)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/win32/control_ids.h"
#include "common/version.h"

namespace fs = std::filesystem;
using namespace ranta2kv::win32;

namespace {

std::map<std::wstring, std::wstring> arguments;
int failures = 0;
int checks_failed_in_case = 0;

#define CHECK(condition)                                                          \
  do {                                                                            \
    if (!(condition)) {                                                           \
      std::printf("  %s:%d: CHECK(%s) failed\n", __FILE__, __LINE__, #condition); \
      ++checks_failed_in_case;                                                    \
    }                                                                             \
  } while (0)

std::string Utf8(const std::wstring& wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                      nullptr, nullptr);
  return text;
}

void Fail(const char* what) {
  std::printf("  %s\n", what);
  ++checks_failed_in_case;
}

// Polls `done` every 10 ms until it holds or `seconds` have passed.
bool WaitFor(const std::function<bool()>& done, double seconds = 20) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Sleep(10);
  }
  return true;
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

std::vector<std::wstring> LinesOf(HWND memo) {
  std::vector<std::wstring> lines;
  const std::wstring text = TextOf(memo);
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

// The extended-length form of an absolute path: the test's own file calls reach
// folders deeper than MAX_PATH through it.
std::wstring Extended(const fs::path& path) { return L"\\\\?\\" + path.wstring(); }

// Removes a folder (in the extended-length form) and everything in it.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName, path = folder + L"\\" + name;
      if (name == L"." || name == L"..") continue;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) RemoveTree(path);
      else DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(fs::path(Extended(file)), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A scratch folder under the temporary folder, removed at the end of a case.
struct ScratchFolder {
  explicit ScratchFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path = fs::path(temp) / (std::wstring(L"ranta2kv-window-") + name);
    RemoveTree(Extended(path));
    fs::create_directories(path);
  }
  ~ScratchFolder() { RemoveTree(Extended(path)); }
  fs::path path;
};

fs::path CopyOfSample(const ScratchFolder& scratch, const wchar_t* name = L"estimate") {
  const fs::path folder = scratch.path / name;
  fs::copy(arguments[L"--sample"], folder, fs::copy_options::recursive);
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() != L".DBF") fs::remove(entry.path());
  return folder;
}

std::vector<fs::path> XmlFilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(Extended(folder / L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    const fs::path name(found.cFileName);
    if (name.extension() == L".XML" || name.extension() == L".xml") files.push_back(folder / name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

// Base and nested folders below it with long Cyrillic names, as offices name
// them, made until their path is at least `length` characters long.
fs::path DeepFolders(const fs::path& base, std::size_t length) {
  fs::path folder = base;
  CreateDirectoryW(Extended(folder).c_str(), nullptr);
  for (int i = 1; folder.wstring().size() < length; ++i) {
    folder /= L"Очень длинное название папки объекта строительства номер " + std::to_wstring(i);
    CreateDirectoryW(Extended(folder).c_str(), nullptr);
  }
  return folder;
}

// The sample's tables copied into folder, which is made for them.
void CopySampleTo(const fs::path& folder) {
  CreateDirectoryW(Extended(folder).c_str(), nullptr);
  for (const auto& entry : fs::directory_iterator(arguments[L"--sample"]))
    if (entry.path().extension() == L".DBF")
      CopyFileW(entry.path().c_str(), Extended(folder / entry.path().filename()).c_str(), FALSE);
}

// Runs a program to its end; its standard output goes to `output` when one is
// named (and its standard error then nowhere).
DWORD RunProgram(std::wstring commandLine, const fs::path& output = {}) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  HANDLE out = INVALID_HANDLE_VALUE, nowhere = INVALID_HANDLE_VALUE;
  if (!output.empty()) {
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
    nowhere = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherited, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = nowhere;
  }
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, !output.empty(),
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (nowhere != INVALID_HANDLE_VALUE) CloseHandle(nowhere);
  if (!started) return 0xFFFFFFFF;
  const DWORD timeoutMs = 120000;
  DWORD code = 0xFFFFFFFE;
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.hProcess, &code);
  else
    TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

std::wstring Quoted(const fs::path& path) { return L"\"" + path.wstring() + L"\""; }

// The running program and its window.
class Program {
 public:
  Program() {
    std::wstring commandLine = Quoted(arguments[L"--app"]);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process_))
      return;
    WaitForInputIdle(process_.hProcess, 20000);
    WaitFor([&] {
      // Shown once its controls are all there.
      form_ = FindWindowW(kMainWindowClass, kMainWindowCaption);
      return form_ != nullptr && IsWindowVisible(form_);
    });
  }
  ~Program() {
    if (process_.hProcess == nullptr) return;
    if (form_ != nullptr) PostMessageW(form_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
      std::printf("  the program did not end when its window was closed\n");
      ++checks_failed_in_case;
      TerminateProcess(process_.hProcess, 1);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return form_ != nullptr; }
  HWND Form() const { return form_; }
  HANDLE Process() const { return process_.hProcess; }
  HWND Control(int id) const { return GetDlgItem(form_, id); }
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
  int ProgressPosition() const {
    return static_cast<int>(SendMessageW(Control(kProgressBar1), PBM_GETPOS, 0, 0));
  }
  void TypeFolder(const std::wstring& text) const {
    SendMessageW(Control(kEdit1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void SetOleDb(bool checked) const {
    SendMessageW(Control(kCheckBox1), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  // Posted: Start runs the pass before it returns, and the test watches meanwhile.
  void Click(int id) const { PostMessageW(Control(id), BM_CLICK, 0, 0); }
  bool Ready() const { return Enabled(kSbStart) && !Enabled(kSbStop); }
  // The error box the window shows (a dialog it owns), if any.
  HWND ErrorBox() const {
    struct Search {
      HWND owner;
      HWND found;
    } search{form_, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) CALLBACK -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          wchar_t className[16] = L"";
          GetClassNameW(window, className, 16);
          if (GetWindow(window, GW_OWNER) == s->owner && std::wstring(className) == L"#32770" &&
              IsWindowVisible(window)) {
            s->found = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND form_ = nullptr;
};

// The text of a message box: its one static control with text.
std::wstring MessageOf(HWND box) {
  std::wstring message;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM found) CALLBACK -> BOOL {
        wchar_t className[16] = L"";
        GetClassNameW(child, className, 16);
        if (_wcsicmp(className, L"Static") != 0) return TRUE;
        std::wstring text = TextOf(child);
        if (text.empty()) return TRUE;
        *reinterpret_cast<std::wstring*>(found) = text;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&message));
  return message;
}

// Runs one pass on `folder` and waits for its file and the Ready window.
bool RunToTheEnd(const Program& program, const fs::path& folder, bool oleDb) {
  program.SetOleDb(oleDb);
  program.TypeFolder(folder.wstring());
  program.Click(kSbStart);
  return WaitFor([&] { return !XmlFilesIn(folder).empty() && program.Ready(); }, 60);
}

// Runs the direct pass on an object folder and gives the log once its summary shows.
std::vector<std::wstring> RunObjectToTheEnd(const Program& program, const fs::path& object) {
  program.SetOleDb(false);
  program.TypeFolder(object.wstring());
  program.Click(kSbStart);
  CHECK(WaitFor([&] {
    const std::vector<std::wstring> log = LinesOf(program.Control(kMemo1));
    return program.Ready() && !log.empty() && log.back().rfind(L"Найдено смет", 0) == 0;
  }, 60));
  return LinesOf(program.Control(kMemo1));
}

void StartUpStateAndAnchorsOfEveryControl() {
  Program program;
  CHECK(program.Started());
  if (!program.Started()) return;
  RECT client;
  GetClientRect(program.Form(), &client);
  CHECK(client.right == 345 && client.bottom == 359);
  CHECK(TextOf(program.Control(kLabel1)) == L"Папка с DBF ");
  CHECK(TextOf(program.Control(kEdit1)).empty());
  CHECK(TextOf(program.Control(kSbStart)) == L"Старт");
  CHECK(TextOf(program.Control(kSbStop)) == L"Стоп");
  CHECK(TextOf(program.Control(kSpeedButton1)).empty());
  CHECK(TextOf(program.Control(kCheckBox1)) == L"OLE DB");
  CHECK(SendMessageW(program.Control(kCheckBox1), BM_GETCHECK, 0, 0) == BST_CHECKED);
  CHECK(TextOf(program.Control(kMemo1)).empty());
  CHECK(program.Enabled(kSpeedButton1));
  CHECK(!program.Enabled(kSbStart));
  CHECK(!program.Enabled(kSbStop));
  CHECK(program.ProgressPosition() == 0);
  CHECK(SendMessageW(program.Control(kProgressBar1), PBM_GETRANGE, FALSE, 0) == 100);
  const struct {
    int id;
    RECT designed;  // left, top, right, bottom in the client area
  } kGeometry[] = {{kLabel1, {7, 10, 75, 23}},       {kSpeedButton1, {313, 5, 336, 27}},
                   {kSbStop, {233, 315, 336, 337}},  {kSbStart, {125, 315, 228, 337}},
                   {kEdit1, {84, 6, 315, 27}},       {kProgressBar1, {0, 342, 345, 359}},
                   {kMemo1, {7, 56, 336, 313}},      {kCheckBox1, {8, 32, 105, 49}}};
  for (const auto& control : kGeometry) {
    RECT rect;
    GetWindowRect(program.Control(control.id), &rect);
    MapWindowPoints(nullptr, program.Form(), reinterpret_cast<POINT*>(&rect), 2);
    CHECK(EqualRect(&rect, &control.designed));
  }
  // Grown by 100 x 100: each control keeps its distance to its anchored edges.
  RECT outer;
  GetWindowRect(program.Form(), &outer);
  SetWindowPos(program.Form(), nullptr, 0, 0, outer.right - outer.left + 100,
               outer.bottom - outer.top + 100, SWP_NOMOVE | SWP_NOZORDER);
  const struct {
    int id;
    RECT grown;
  } kGrown[] = {{kLabel1, {7, 10, 75, 23}},       {kSpeedButton1, {413, 5, 436, 27}},
                {kSbStop, {333, 415, 436, 437}},  {kSbStart, {225, 415, 328, 437}},
                {kEdit1, {84, 6, 415, 27}},       {kProgressBar1, {0, 442, 445, 459}},
                {kMemo1, {7, 56, 436, 413}},      {kCheckBox1, {8, 32, 105, 49}}};
  for (const auto& control : kGrown) {
    RECT rect;
    GetWindowRect(program.Control(control.id), &rect);
    MapWindowPoints(nullptr, program.Form(), reinterpret_cast<POINT*>(&rect), 2);
    CHECK(EqualRect(&rect, &control.grown));
  }
  const LONG memoStyle = GetWindowLongW(program.Control(kMemo1), GWL_STYLE);
  CHECK((memoStyle & (ES_MULTILINE | WS_HSCROLL | WS_VSCROLL)) == (ES_MULTILINE | WS_HSCROLL | WS_VSCROLL));
  CHECK((memoStyle & ES_READONLY) == 0);
  CHECK(GetWindowLongW(program.Control(kProgressBar1), GWL_STYLE) & PBS_SMOOTH);
}

void FolderBoxEnablesStartExactlyForAnExistingFolder() {
  ScratchFolder scratch(L"box");
  Program program;
  if (!program.Started()) return Fail("the window did not appear");
  program.TypeFolder(scratch.path.wstring());
  CHECK(program.Enabled(kSbStart));
  program.TypeFolder(scratch.path.wstring() + L"x");
  CHECK(!program.Enabled(kSbStart));
  const fs::path file = scratch.path / L"file.txt";
  std::ofstream(file) << "not a folder";
  program.TypeFolder(file.wstring());
  CHECK(!program.Enabled(kSbStart));
  CHECK(!program.Enabled(kSbStop));
}

// The window writes the same bytes as the command line, through each pass.
void FullRunOfEachPassWritesTheFileOfTheCommandLine() {
  for (bool oleDb : {true, false}) {
    ScratchFolder scratch(oleDb ? L"full-oledb" : L"full-dbf");
    const fs::path folder = CopyOfSample(scratch);
    const fs::path reference = scratch.path / L"reference";
    fs::create_directories(reference);
    const DWORD cli = RunProgram(Quoted(arguments[L"--cli"]) + L" convert --source " +
                                 (oleDb ? L"oledb" : L"dbf") + L" --out " + Quoted(reference) +
                                 L" " + Quoted(folder));
    CHECK(cli == 0);
    const std::vector<fs::path> expected = XmlFilesIn(reference);
    CHECK(expected.size() == 1);
    Program program;
    if (!program.Started() || expected.size() != 1) return Fail("no window or no reference file");
    CHECK(RunToTheEnd(program, folder, oleDb));
    const std::vector<fs::path> written = XmlFilesIn(folder);
    CHECK(written.size() == 1);
    if (written.size() != 1) continue;
    CHECK(written[0].filename() == expected[0].filename());
    CHECK(ReadBytes(written[0]) == ReadBytes(expected[0]));
    CHECK(program.Ready());
    CHECK(program.ProgressPosition() == 0);
  }
}

// A damaged estimate: the log box holds the command line's log, line for line.
void LogOfADamagedEstimateIsTheCommandLinesLog() {
  ScratchFolder scratch(L"edge");
  const fs::path folder = scratch.path / L"edge";
  CHECK(RunProgram(Quoted(arguments[L"--gen"]) + L" --edge --positions 2000 " + Quoted(folder)) == 0);
  const fs::path reference = scratch.path / L"reference";
  fs::create_directories(reference);
  RunProgram(Quoted(arguments[L"--cli"]) + L" convert --source oledb --out " + Quoted(reference) +
                 L" " + Quoted(folder),
             scratch.path / L"log.txt");
  std::string expected = ReadBytes(scratch.path / L"log.txt");
  for (std::size_t at; (at = expected.find('\r')) != std::string::npos;) expected.erase(at, 1);
  Program program;
  if (!program.Started()) return Fail("the window did not appear");
  CHECK(RunToTheEnd(program, folder, true));
  std::string shown;
  for (const std::wstring& line : LinesOf(program.Control(kMemo1))) shown += Utf8(line) + "\n";
  CHECK(std::count(expected.begin(), expected.end(), '\n') > 100);
  CHECK(shown == expected);
  // The result's two lines close the log.
  const std::size_t last = shown.rfind('\n', shown.size() - 2);
  CHECK(shown.find("\nЗаписан файл \"") == shown.rfind('\n', last - 1));
}

// The set-up's line and the missing files; Start and Stop never change while
// the set-up fails.
// (The cursor cannot be read from another process under Wine.)
void FolderWithoutTablesGivesOneLogLine() {
  ScratchFolder scratch(L"empty");
  Program program;
  if (!program.Started()) return Fail("the window did not appear");
  program.SetOleDb(false);
  program.TypeFolder(scratch.path.wstring());
  program.Click(kSbStart);
  bool changed = false;
  CHECK(WaitFor([&] {
    changed = changed || !program.Ready();
    return LinesOf(program.Control(kMemo1)).size() == 2;
  }));
  Sleep(200);
  changed = changed || !program.Ready();
  CHECK(!changed);
  CHECK(LinesOf(program.Control(kMemo1)) ==
        (std::vector<std::wstring>{L"Ошибка инициализации : не найдены таблицы данных",
                                   L"Нет файлов: POSTOOLS.DBF, SMETA.DBF, POSEXT.DBF, RESTBL.DBF, EXECUTE.DBF, "
                                   L"ACTS.DBF, PARAMS.DBF"}));
  CHECK(XmlFilesIn(scratch.path).empty());
}

std::size_t CountOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

// Stop part-way: the file holds the positions converted so far, the bar is at 0.
void StopPartWayWritesThePartialFile() {
  constexpr int kPositions = 30000;
  ScratchFolder scratch(L"stop");
  const fs::path folder = scratch.path / L"large";
  CHECK(RunProgram(Quoted(arguments[L"--gen"]) + L" --positions " + std::to_wstring(kPositions) +
                   L" " + Quoted(folder)) == 0);
  Program program;
  if (!program.Started()) return Fail("the window did not appear");
  program.SetOleDb(false);
  program.TypeFolder(folder.wstring());
  program.Click(kSbStart);
  CHECK(WaitFor([&] { return program.Enabled(kSbStop) && program.ProgressPosition() > 50; }, 60));
  CHECK(!program.Enabled(kSbStart));
  program.Click(kSbStop);
  CHECK(WaitFor([&] { return program.Ready() && !XmlFilesIn(folder).empty(); }, 60));
  CHECK(program.ProgressPosition() == 0);
  const std::vector<fs::path> written = XmlFilesIn(folder);
  CHECK(written.size() == 1);
  if (written.empty()) return;
  const std::size_t positions = CountOf(ReadBytes(written[0]), "<Position ");
  std::printf("  stopped after %zu of %d positions\n", positions, kPositions);
  CHECK(positions > 0 && positions < static_cast<std::size_t>(kPositions));
}

// Closing the window during a run acts as Stop: the file is written, then the
// program ends.
void ClosingDuringARunStopsItAndWritesTheFile() {
  ScratchFolder scratch(L"close");
  const fs::path folder = scratch.path / L"large";
  CHECK(RunProgram(Quoted(arguments[L"--gen"]) + L" --positions 30000 " + Quoted(folder)) == 0);
  Program program;
  if (!program.Started()) return Fail("the window did not appear");
  program.SetOleDb(false);
  program.TypeFolder(folder.wstring());
  program.Click(kSbStart);
  CHECK(WaitFor([&] { return program.Enabled(kSbStop); }, 60));
  PostMessageW(program.Form(), WM_CLOSE, 0, 0);
  CHECK(WaitForSingleObject(program.Process(), 60000) == WAIT_OBJECT_0);
  CHECK(XmlFilesIn(folder).size() == 1);
}

// A table whose field the pass needs is named otherwise: the pass fails after
// its set-up, the message box shows the failure and the window is Ready again.
void FailingPassShowsTheMessageBox() {
  ScratchFolder scratch(L"failing");
  const fs::path folder = CopyOfSample(scratch);
  std::string table = ReadBytes(folder / L"SMETA.DBF");
  for (std::size_t at = 32; at + 32 <= table.size() && table[at] != '\x0D'; at += 32)
    if (table.compare(at, 6, std::string("NOMER\0", 6)) == 0) table[at] = 'X';
  std::ofstream(folder / L"SMETA.DBF", std::ios::binary | std::ios::trunc) << table;
  Program program;
  if (!program.Started()) return Fail("the window did not appear");
  program.SetOleDb(false);
  program.TypeFolder(folder.wstring());
  program.Click(kSbStart);
  HWND box = nullptr;
  CHECK(WaitFor([&] { return (box = program.ErrorBox()) != nullptr; }));
  if (box == nullptr) return;
  CHECK(MessageOf(box) == L"DescriptTable: Field 'NOMER' not found");
  CHECK(program.Ready());
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  CHECK(WaitFor([&] { return program.ErrorBox() == nullptr; }));
  CHECK(XmlFilesIn(folder).empty());
  CHECK(program.ProgressPosition() == 0);
}

void SecondStartClearsTheLogFirst() {
  ScratchFolder scratch(L"second");
  Program program;
  if (!program.Started()) return Fail("the window did not appear");
  program.SetOleDb(false);
  program.TypeFolder(scratch.path.wstring());
  program.Click(kSbStart);
  CHECK(WaitFor([&] { return LinesOf(program.Control(kMemo1)).size() == 2; }));
  const fs::path folder = CopyOfSample(scratch);
  CHECK(RunToTheEnd(program, folder, false));
  const std::vector<std::wstring> log = LinesOf(program.Control(kMemo1));
  CHECK(log.size() == 2 && log[0] == L"Записан файл \"" + XmlFilesIn(folder).at(0).filename().wstring() + L"\"" &&
        log[1].rfind(L"разделов ", 0) == 0);
}

// An object folder: each estimate below it converted under one run, the log
// naming each before its lines, a damaged one's failure a log line (no error
// box), the summary last.
void ObjectFolderConvertsEveryEstimateBelowIt() {
  ScratchFolder scratch(L"object");
  const fs::path object = scratch.path / L"Объект 1";
  const fs::path first = object / L"Корпус 1" / L"Раздел 2", second = object / L"Корпус 1" / L"Раздел 10",
                 third = object / L"Сети  наружные";
  // The generator takes ASCII paths only: each estimate is made aside and moved in.
  for (const fs::path& folder : {first, second, third}) {
    CHECK(RunProgram(Quoted(arguments[L"--gen"]) + L" --positions 300 " + Quoted(scratch.path / L"made")) == 0);
    fs::create_directories(folder.parent_path());
    fs::rename(scratch.path / L"made", folder);
  }
  fs::create_directories(object / L"Пустая папка");
  fs::remove(second / L"POSEXT.DBF");
  Program program;
  if (!program.Started()) return Fail("the window did not appear");
  const std::vector<std::wstring> log = RunObjectToTheEnd(program, object);
  CHECK(log.size() == 10);
  if (log.size() != 10) return;
  CHECK(log[0] == L"Папка \"Корпус 1\\Раздел 2\"");
  CHECK(log[1] == L"Записан файл \"" + XmlFilesIn(first).at(0).filename().wstring() + L"\"");
  CHECK(log[2].rfind(L"разделов ", 0) == 0);
  CHECK(log[3] == L"Папка \"Корпус 1\\Раздел 10\"");
  CHECK(log[4] == L"Ошибка инициализации : не найдены таблицы данных");
  CHECK(log[5] == L"Нет файла: POSEXT.DBF");
  CHECK(log[6] == L"Папка \"Сети  наружные\"");
  CHECK(log[7] == L"Записан файл \"" + XmlFilesIn(third).at(0).filename().wstring() + L"\"");
  CHECK(log[8].rfind(L"разделов ", 0) == 0);
  CHECK(log[9] == L"Найдено смет: 3, записано: 2, с ошибками: 1");
  CHECK(XmlFilesIn(first).size() == 1 && XmlFilesIn(second).empty() && XmlFilesIn(third).size() == 1);
  CHECK(program.ErrorBox() == nullptr);
  CHECK(program.ProgressPosition() == 0);
}

// --help and --version print and end, the window never shown.
void HelpAndVersionPrintWithoutAWindow() {
  ScratchFolder scratch(L"version");
  const fs::path out = scratch.path / L"out.txt";
  CHECK(RunProgram(Quoted(arguments[L"--app"]) + L" --version", out) == 0);
  CHECK(ReadBytes(out) == "ranta2kv " RANTA2KV_VERSION "\n");
  CHECK(RunProgram(Quoted(arguments[L"--app"]) + L" --help", out) == 0);
  CHECK(ReadBytes(out).rfind("usage: ranta2kv [FOLDER]\n", 0) == 0);
}

// Estimates deeper than MAX_PATH, at 300 and 700 characters: typed into the
// folder box, each pass writes the command line's file there; and an object
// folder whose two estimates lie that deep converts both.
void DeepFoldersConvertThroughTheFolderBoxAndAsAnObject() {
  ScratchFolder scratch(L"deep");
  std::map<bool, std::string> expected;  // by pass
  for (bool oleDb : {true, false}) {
    const fs::path reference = scratch.path / (oleDb ? L"reference-oledb" : L"reference-dbf");
    fs::create_directories(reference);
    CHECK(RunProgram(Quoted(arguments[L"--cli"]) + L" convert --source " + (oleDb ? L"oledb" : L"dbf") +
                     L" --out " + Quoted(reference) + L" " + Quoted(CopyOfSample(scratch, oleDb ? L"sample-oledb" : L"sample-dbf"))) == 0);
    const std::vector<fs::path> made = XmlFilesIn(reference);
    if (made.size() != 1) return Fail("no reference file");
    expected[oleDb] = ReadBytes(made[0]);
  }
  Program program;
  if (!program.Started()) return Fail("the window did not appear");
  for (std::size_t length : {300u, 700u}) {
    const fs::path base = scratch.path / (L"at " + std::to_wstring(length));
    CreateDirectoryW(Extended(base).c_str(), nullptr);
    for (bool oleDb : {true, false}) {
      const fs::path folder = DeepFolders(base / (oleDb ? L"oledb" : L"dbf"), length);
      CopySampleTo(folder);
      program.TypeFolder(folder.wstring());
      CHECK(program.Enabled(kSbStart));
      CHECK(RunToTheEnd(program, folder, oleDb));
      const std::vector<fs::path> written = XmlFilesIn(folder);
      CHECK(written.size() == 1 && ReadBytes(written[0]) == expected[oleDb]);
      const std::vector<std::wstring> log = LinesOf(program.Control(kMemo1));
      CHECK(log.size() == 2 && log[0].rfind(L"Записан файл \"", 0) == 0);
    }
    const fs::path object = base / L"Объект", deep = DeepFolders(object, length);
    for (const wchar_t* section : {L"Раздел 1", L"Раздел 2"}) CopySampleTo(deep / section);
    const std::vector<std::wstring> log = RunObjectToTheEnd(program, object);
    const std::wstring below = deep.wstring().substr(object.wstring().size() + 1);
    CHECK(log.size() == 7);
    if (log.size() != 7) continue;
    CHECK(log[0] == L"Папка \"" + below + L"\\Раздел 1\"" && log[3] == L"Папка \"" + below + L"\\Раздел 2\"");
    CHECK(log[6] == L"Найдено смет: 2, записано: 2, с ошибками: 0");
    for (const wchar_t* section : {L"Раздел 1", L"Раздел 2"}) {
      const std::vector<fs::path> written = XmlFilesIn(deep / section);
      CHECK(written.size() == 1 && ReadBytes(written[0]) == expected[false]);
      std::printf("  %zu characters: %s\n", (deep / section).wstring().size(), written.empty() ? "no file" : "written");
    }
  }
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// Where the window opens on the screen the test runs on (--placement WxH, at
// --dpi D): wholly on the work area, Start, Stop and the bar too; at the designed
// place and size (scaled by the density) where they fit.
void WindowOpensWhollyOnTheScreen() {
  const int dpi = std::stoi(arguments[L"--dpi"].empty() ? L"96" : arguments[L"--dpi"]);
  Program program;
  if (!program.Started()) return Fail("the window did not appear");
  RECT outer, client;
  GetWindowRect(program.Form(), &outer);
  GetClientRect(program.Form(), &client);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(program.Form(), MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  std::printf("  screen %s at %d dpi: work area %ldx%ld, window %ld,%ld %ldx%ld, client %ldx%ld\n",
              Utf8(arguments[L"--placement"]).c_str(), dpi, work.right - work.left, work.bottom - work.top,
              outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top, client.right, client.bottom);
  CHECK(Inside(outer, work));
  for (int id : {kSbStart, kSbStop, kProgressBar1}) {
    RECT control;
    GetWindowRect(program.Control(id), &control);
    CHECK(Inside(control, work));
  }
  // The density reached the window: its client area is the design's, scaled.
  const LONG designedWidth = MulDiv(345, dpi, 96), designedHeight = MulDiv(359, dpi, 96);
  if (outer.bottom - outer.top < work.bottom - work.top) CHECK(client.bottom == designedHeight);
  if (outer.right - outer.left < work.right - work.left) CHECK(client.right == designedWidth);
  const bool designedPlaceFits = outer.right - outer.left + 436 <= work.right && outer.bottom - outer.top + 449 <= work.bottom;
  if (designedPlaceFits) CHECK(outer.left == 436 && outer.top == 449);
  if (arguments[L"--placement"] == L"1920x1080" && dpi == 96) CHECK(designedPlaceFits);
}

struct Case {
  const char* name;
  void (*run)();
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetProcessDPIAware();  // screen coordinates as the window sees them
  for (int i = 1; i + 1 < argc; i += 2) arguments[argv[i]] = argv[i + 1];
  for (const wchar_t* needed : {L"--app", L"--cli", L"--gen", L"--sample"})
    if (arguments[needed].empty()) {
      std::printf("usage: window_test --app EXE --cli EXE --gen EXE --sample DIR\n");
      return 2;
    }
  const Case cases[] = {
      {"StartUpStateAndAnchorsOfEveryControl", StartUpStateAndAnchorsOfEveryControl},
      {"FolderBoxEnablesStartExactlyForAnExistingFolder", FolderBoxEnablesStartExactlyForAnExistingFolder},
      {"FullRunOfEachPassWritesTheFileOfTheCommandLine", FullRunOfEachPassWritesTheFileOfTheCommandLine},
      {"LogOfADamagedEstimateIsTheCommandLinesLog", LogOfADamagedEstimateIsTheCommandLinesLog},
      {"FolderWithoutTablesGivesOneLogLine", FolderWithoutTablesGivesOneLogLine},
      {"StopPartWayWritesThePartialFile", StopPartWayWritesThePartialFile},
      {"ClosingDuringARunStopsItAndWritesTheFile", ClosingDuringARunStopsItAndWritesTheFile},
      {"FailingPassShowsTheMessageBox", FailingPassShowsTheMessageBox},
      {"SecondStartClearsTheLogFirst", SecondStartClearsTheLogFirst},
      {"ObjectFolderConvertsEveryEstimateBelowIt", ObjectFolderConvertsEveryEstimateBelowIt},
      {"HelpAndVersionPrintWithoutAWindow", HelpAndVersionPrintWithoutAWindow},
      {"DeepFoldersConvertThroughTheFolderBoxAndAsAnObject", DeepFoldersConvertThroughTheFolderBoxAndAsAnObject},
  };
  const Case placement[] = {{"WindowOpensWhollyOnTheScreen", WindowOpensWhollyOnTheScreen}};
  const bool placementOnly = !arguments[L"--placement"].empty();
  int passed = 0;
  for (const Case& c : placementOnly ? std::vector<Case>(std::begin(placement), std::end(placement))
                                     : std::vector<Case>(std::begin(cases), std::end(cases))) {
    checks_failed_in_case = 0;
    const auto start = std::chrono::steady_clock::now();
    try {
      c.run();
    } catch (const std::exception& error) {
      std::printf("  exception: %s\n", error.what());
      ++checks_failed_in_case;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s %s (%.1f s)\n", checks_failed_in_case ? "FAILED" : "ok    ", c.name, seconds);
    std::fflush(stdout);
    if (checks_failed_in_case) ++failures; else ++passed;
  }
  std::printf("window_test: %d passed, %d failed\n", passed, failures);
  return failures == 0 ? 0 : 1;
}
