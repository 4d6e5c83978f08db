// The state and frame of one conversion run, shared by both passes: the document
// with its work-type catalog, the output name, the current chapter and the path
// mode of the walk, the header and chapter rows, and the finish.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <unordered_map>

#include "common/run_host.h"
#include "convert/conversion_result.h"
#include "convert/position_rules.h"
#include "convert/position_settler.h"
#include "convert/position_values.h"
#include "estimate/estimate_document.h"
#include "platform/file_faults.h"

namespace ranta2kv {

// What differs between the passes in the frame around their walk.
struct PassFrame {
  std::function<void()> walk;            // the skeleton, the walk and the sorts
  std::function<void()> checkUnchanged;  // throws the change of a table the pass read
  std::function<void()> closeSource;
  // The folder and the output name of the file, asked once the source is closed.
  std::function<std::pair<std::filesystem::path, std::string>()> target;
  bool resetProgressBeforeSave = false;  // the bar goes back to 0 before the file is written
};

class ConversionRun {
 public:
  // What the second core does first with each position's data (what the pass
  // reads there: its record copies, or statements of a connection of its own).
  // onPassThread: the same on the pass's thread, which shares the completions when
  // the second core is behind (see PositionSettler); the window's events are
  // handled between them, and they end when the user stops the run.
  struct PositionCompletions {
    PositionSettler::Completion onSecondCore;
    PositionSettler::Completion onPassThread;
  };
  // faults: the host's faults as the run's file calls announce them (both of its
  // threads make such calls), or none. What the completions read must outlive
  // the run: the second core may read it until the run is destroyed.
  ConversionRun(RunHost& host, FileFaults* faults, PositionCompletions completions);

  RunHost& Host() { return host_; }
  TXML_Estimate_Document& Document() { return *document_; }
  TXML_Estimate_Container& WorkTypeGroup() { return *group_; }

  // The catalog with its 2001 group; between them the OLE DB pass adds its
  // work-type list (fillWorkTypes runs after the group exists and before the
  // 1984 list is added).
  template <typename FillWorkTypes>
  void BuildSkeleton(FillWorkTypes fillWorkTypes) {
    BuildCatalog();
    fillWorkTypes();
    FinishCatalog();
  }
  void BuildSkeleton() { BuildSkeleton([] {}); }

  void HeaderRow(std::string princode, std::string osnov, std::string zak, std::string pod);
  void ChapterRow(SmetaRowKind kind, std::string name1, std::int32_t sysId);
  // The chapter for a position row: the current one, or a new "Новый раздел".
  TXML_Estimate_Container& ChapterForPosition();
  // A position gathered by its pass: it goes into the current chapter (or a new
  // "Новый раздел") as a settled node, built and rendered on the second core.
  void AddPosition(PositionData data);
  // An empty PositionData to gather a position into (one used before, with room).
  PositionData NewPositionData() { return settler_->Spare(); }
  // Drops the positions not yet rendered and stops the second core: before the
  // source that a completion reads is closed after a failure.
  void AbandonPositions();
  // An estimate row dropped for its data: its log line, counted for the result.
  void LeaveOutRow(const std::string& line1251);
  // Stop ended the walk before its last row.
  void MarkStopped() { stopped_ = true; }
  // "Vid_Rab" entry of a work type with its fixed values.
  void AddWorkType(std::int32_t id, const std::string& idText);

  // Once every position is rendered, sorts and flattens the chapters (and the
  // work types when asked).
  void SortDocument(bool sortWorkTypes);
  const std::string& OutputName() const { return output_name_; }
  // The frame of a pass: busy on with the button rule, then the walk guarded, so
  // that on any failure the tables are checked for a change (a change is then
  // what the user is told) and the source is closed before the failure goes on;
  // after the walk the source closed, the file written, the bar at 0, busy off
  // and the button rule again.
  ConversionResult RunFrame(const PassFrame& frame);

 private:
  PositionSettler::PassThreadCompletion PassThreadCompletion(PositionSettler::Completion complete);
  void BuildCatalog();
  void FinishCatalog();
  // Writes the document into folder (or the host's output folder) and drops it.
  ConversionResult Save(const std::filesystem::path& folder, const std::string& outputName);

  RunHost& host_;
  FileFaults* faults_;
  std::unique_ptr<TXML_Estimate_Document> document_;
  std::unique_ptr<PositionSettler> settler_;     // ends before the document it renders into
  TXML_Estimate_Container* catalog_ = nullptr;   // "VidRab_Catalog"
  TXML_Estimate_Container* group_ = nullptr;     // the 2001 "VidRab_Group"
  TXML_Estimate_Container* current_chapter_ = nullptr;  // `CurrentChapter`
  bool path_mode_ = false;                       // `PathMode`
  std::string output_name_;                      // `OutputName`
  std::unordered_map<std::int32_t, std::string> work_type_texts_;  // the text each work type was filled with
  int positions_ = 0;                            // settled so far
  int rows_left_out_ = 0;                        // dropped with a log line
  bool stopped_ = false;
};

// The host's faults, announced one call at a time, for a run whose two threads
// both make file calls; empty when the host gives none (production runs).
class RunFaults {
 public:
  explicit RunFaults(RunHost& host) {
    if (host.Faults() != nullptr) serialized_ = std::make_unique<SerializedFileFaults>(host.Faults());
  }
  FileFaults* get() const { return serialized_.get(); }

 private:
  std::unique_ptr<SerializedFileFaults> serialized_;
};

// The source folder as the host names it, or nothing when it is not a directory.
std::optional<std::filesystem::path> ExistingSourceFolder(RunHost& host);

}  // namespace ranta2kv
