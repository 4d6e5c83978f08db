// The run host: everything a conversion pass may ask of its caller (the window or
// the command line). The passes see nothing else of their caller, and never Qt.
// Texts handed to the host are windows-1251.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ranta2kv {

class FileFaults;

class RunHost {
 public:
  explicit RunHost(char decimalSeparator) : decimal_separator_(decimalSeparator) {}
  virtual ~RunHost() = default;

  // The source folder as the user named it (the window's folder box); read by a
  // pass at its start, and by the OLE DB pass again when it names the output file.
  virtual std::filesystem::path FolderPath() = 0;
  // Where the output file goes instead of the source folder (command line --out).
  virtual std::optional<std::filesystem::path> OutputFolder() { return std::nullopt; }

  // The output file the run is about to write, once its name is known. A host
  // may refuse it by throwing (the command line: a file that a folder given
  // before this one writes); the run then fails and writes nothing.
  virtual void ClaimOutputFile(const std::filesystem::path& file) { (void)file; }

  virtual void AppendLog(const std::string& line1251) = 0;  // one line of the log
  virtual void ClearLog() = 0;

  virtual void SetProgressMax(int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  virtual void StepProgress() = 0;  // the bar's step is 1

  virtual void ProcessPendingEvents() = 0;   // where Stop reaches a running pass
  virtual void SetBusyIndication(bool busy) = 0;  // hourglass on/off
  // The Start/Stop rule: Start enabled exactly when not Running, Stop when Running.
  virtual void ApplyButtonRule() = 0;

  // Faults to inject into the file calls of the run (its tables and its output
  // file); only tests and the soak run give any.
  virtual FileFaults* Faults() { return nullptr; }

  bool Running() const { return running_; }
  void SetRunning(bool running) { running_ = running; }  // Stop clears it

  char DecimalSeparator() const { return decimal_separator_; }

 private:
  bool running_ = false;          // the run flag `Running`
  char decimal_separator_;        // from the user's LC_NUMERIC at program entry
};

// A text of several lines (separated by '\n') as lines of the host's log.
void AppendLogLines(RunHost& host, std::string_view text1251);

// Busy indication together with the run flag: BeginBusy shows the hourglass, sets
// `Running` when setFlag is true and processes pending events; EndBusy undoes it.
void BeginBusy(RunHost& host, bool setFlag = true);
void EndBusy(RunHost& host, bool setFlag = true);

// The busy frame of a run, however it ends: BeginBusy and the Start/Stop rule
// when it begins, EndBusy and the rule again when it ends, also when a failure
// leaves the run. The host's ProcessPendingEvents must not throw.
class BusyFrame {
 public:
  explicit BusyFrame(RunHost& host) : host_(host) {
    BeginBusy(host_);
    host_.ApplyButtonRule();
  }
  ~BusyFrame() {
    EndBusy(host_);
    host_.ApplyButtonRule();
  }
  BusyFrame(const BusyFrame&) = delete;
  BusyFrame& operator=(const BusyFrame&) = delete;

 private:
  RunHost& host_;
};

}  // namespace ranta2kv
