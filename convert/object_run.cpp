// The run over the estimates of an object folder, through a run host of its own
// for each estimate that passes the log, the progress and Stop on to the
// object's host.
#include "convert/object_run.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <system_error>
#include <vector>

#include "common/codepage.h"
#include "common/error.h"
#include "common/failure_text.h"
#include "convert/estimate_folders.h"
#include "platform/file_name.h"
#include "platform/file_status.h"
#include "source/estimate_folder.h"

namespace ranta2kv {
namespace {

// The object's progress bar runs from 0 to this; each estimate has its share.
constexpr int kObjectProgress = 10000;

struct ProgressSlot {
  int begin = 0, end = 0;  // the object's bar while the estimate runs
};

// What one estimate's pass sees: its own folder, the object's log, its share of
// the object's bar and the object's Stop. The busy state and the buttons are the
// object's, set once around the whole run.
class EstimateHost final : public RunHost {
 public:
  EstimateHost(RunHost& object, std::filesystem::path folder, std::optional<std::filesystem::path> output,
               ProgressSlot slot)
      : RunHost(object.DecimalSeparator()),
        object_(object),
        folder_(std::move(folder)),
        output_(std::move(output)),
        slot_(slot) {}

  std::filesystem::path FolderPath() override { return folder_; }
  std::optional<std::filesystem::path> OutputFolder() override { return output_; }
  void ClaimOutputFile(const std::filesystem::path& file) override { object_.ClaimOutputFile(file); }
  void AppendLog(const std::string& line1251) override { object_.AppendLog(line1251); }
  void ClearLog() override {}  // the object's log keeps the lines of every estimate
  void SetProgressMax(int maximum) override { maximum_ = std::max(maximum, 1); }
  void SetProgressPosition(int position) override {
    position_ = position;
    ShowProgress();
  }
  void StepProgress() override {
    ++position_;
    ShowProgress();
  }
  void ProcessPendingEvents() override {
    object_.ProcessPendingEvents();
    if (!object_.Running()) SetRunning(false);
  }
  void SetBusyIndication(bool) override {}
  void ApplyButtonRule() override {}
  FileFaults* Faults() override { return object_.Faults(); }

 private:
  // The object's bar only moves on: the pass's own reset to 0 at its end is
  // the start of the next estimate's share.
  void ShowProgress() {
    const std::int64_t done = std::clamp(position_, 0, maximum_);
    const int at = slot_.begin + static_cast<int>((slot_.end - slot_.begin) * done / maximum_);
    if (at <= shown_) return;
    shown_ = at;
    object_.SetProgressPosition(at);
  }

  RunHost& object_;
  std::filesystem::path folder_;
  std::optional<std::filesystem::path> output_;
  ProgressSlot slot_;
  int maximum_ = 1, position_ = 0, shown_ = -1;
};

// The shares of the bar, by the size of each estimate's SMETA.DBF (its rows).
std::vector<ProgressSlot> ProgressSlots(const std::vector<EstimateFolder>& estimates) {
  std::vector<std::uintmax_t> weights;
  std::uintmax_t total = 0;
  for (const EstimateFolder& estimate : estimates) {
    weights.push_back(StatusOf(TablePath(estimate.folder, kSmetaFile)).size + 1);
    total += weights.back();
  }
  std::vector<ProgressSlot> slots;
  std::uintmax_t before = 0;
  for (std::uintmax_t weight : weights) {
    ProgressSlot slot;
    slot.begin = static_cast<int>(before * kObjectProgress / total);
    before += weight;
    slot.end = static_cast<int>(before * kObjectProgress / total);
    slots.push_back(slot);
  }
  return slots;
}

bool HasSubfolders(const std::vector<FolderEntry>& entries) {
  return std::any_of(entries.begin(), entries.end(), [](const FolderEntry& entry) { return entry.isFolder; });
}

class ObjectRun {
 public:
  ObjectRun(RunHost& host, const ConversionPass& pass) : host_(host), pass_(pass) {}

  void Convert(const std::vector<EstimateFolder>& estimates) {
    host_.SetProgressMax(kObjectProgress);
    host_.SetProgressPosition(0);
    const std::vector<ProgressSlot> slots = ProgressSlots(estimates);
    for (std::size_t i = 0; i < estimates.size() && host_.Running(); ++i) ConvertOne(estimates[i], slots[i]);
    AppendLogLines(host_, ObjectSummaryText(static_cast<int>(estimates.size()), written_, failed_, !host_.Running()));
  }

 private:
  void ConvertOne(const EstimateFolder& estimate, ProgressSlot slot) {
    host_.AppendLog(EstimateNameLine(estimate.relative));
    if (StatusOf(estimate.folder).kind != FileKind::Folder) {  // gone since the search
      host_.AppendLog(FolderNotFoundLine());
      ++failed_;
      return;
    }
    std::optional<std::filesystem::path> output;
    if (std::optional<std::filesystem::path> objectOutput = host_.OutputFolder())
      output = *objectOutput / estimate.relative;
    EstimateHost host(host_, estimate.folder, output, slot);
    try {
      if (std::optional<ConversionResult> result = pass_(host)) {
        AppendLogLines(host_, ResultText(*result));
        ++written_;
      } else {
        ++failed_;  // its set-up has logged why
      }
    } catch (...) {
      AppendLogLines(host_, FailureText1251(std::current_exception()));
      ++failed_;
    }
    host_.SetProgressPosition(slot.end);
  }

  RunHost& host_;
  const ConversionPass& pass_;
  int written_ = 0, failed_ = 0;
};

}  // namespace

bool ConvertObjectFolder(RunHost& host, const std::filesystem::path& root, const ConversionPass& pass) {
  std::vector<FolderEntry> entries;
  try {
    entries = ListFolder(root);
  } catch (const Error&) {
    return false;  // the pass says what is wrong with the folder
  }
  if (HoldsEstimate(entries) || !HasSubfolders(entries)) return false;
  const BusyFrame busy(host);
  auto log = [&host](const std::string& line) { host.AppendLog(line); };
  auto keepGoing = [&host] {
    host.ProcessPendingEvents();
    return host.Running();
  };
  const std::vector<EstimateFolder> estimates = FindEstimateFolders(root, log, keepGoing);
  const bool object = !estimates.empty() || !host.Running();
  if (object) ObjectRun(host, pass).Convert(estimates);
  host.SetProgressPosition(0);
  return object;
}

std::string EstimateNameLine(const std::filesystem::path& relative) {
  return std::string("Папка \""_cp1251) + PathTo1251(relative.lexically_normal().make_preferred()) + "\"";
}

std::string FolderNotFoundLine() { return std::string("Папка не найдена"_cp1251); }

std::string ObjectSummaryText(int found, int written, int failed, bool stopped) {
  std::string line;
  if (stopped) line += StoppedLine() + "\n";
  line += "Найдено смет: "_cp1251;
  line += std::to_string(found);
  line += ", записано: "_cp1251;
  line += std::to_string(written);
  line += ", с ошибками: "_cp1251;
  line += std::to_string(failed);
  return line;
}

}  // namespace ranta2kv
