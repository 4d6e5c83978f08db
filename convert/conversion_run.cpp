// The frame of one conversion run, shared by both passes.
#include "convert/conversion_run.h"

#include <exception>
#include <system_error>
#include <utility>

#include "common/codepage.h"
#include "convert/output_file.h"
#include "estimate/settled_elements.h"
#include "estimate/settled_node.h"
#include "platform/file_status.h"

namespace ranta2kv {
namespace {

// The "Chapter" elements at every level below a container.
int ChapterCount(const TXML_Estimate_Container& container) {
  int count = 0;
  for (const auto& child : container.Children()) {
    if (!child->IsContainer() || child->NodeName() != KindNames[kChapterKind]) continue;
    count += 1 + ChapterCount(static_cast<const TXML_Estimate_Container&>(*child));
  }
  return count;
}

}  // namespace

// The pass's thread completes a position between handling the window's events,
// and hands the rest back to the second core once the user has stopped the run.
PositionSettler::PassThreadCompletion ConversionRun::PassThreadCompletion(PositionSettler::Completion complete) {
  if (!complete) return nullptr;
  return [this, complete = std::move(complete)](PositionData& data) {
    host_.ProcessPendingEvents();
    if (!host_.Running()) return false;
    complete(data);
    return true;
  };
}

ConversionRun::ConversionRun(RunHost& host, FileFaults* faults, PositionCompletions completions)
    : host_(host),
      faults_(faults),
      document_(std::make_unique<TXML_Estimate_Document>()),
      settler_(std::make_unique<PositionSettler>(host.DecimalSeparator(),
                                                 std::move(completions.onSecondCore),
                                                 PassThreadCompletion(std::move(completions.onPassThread)))),
      output_name_("Смета"_cp1251) {
  // The settled positions wait on the disk the output goes to.
  document_->Settled().KeepInScratchFileIn(host_.OutputFolder().value_or(host_.FolderPath()), faults_);
}

void ConversionRun::BuildCatalog() {
  TXML_Estimate_Document& document = *document_;
  catalog_ = document.GetContainer(kCatalogKind, true);
  document.MoveChild(catalog_, 0);
  catalog_->SetDocument(&document);
  catalog_->SetValueByName("Caption", Variant("Основной справочник вида работ"_cp1251));
  TXML_Estimate_Container* list2001 = catalog_->GetContainer(kWorkTypesKind, true);
  list2001->SetValueByName("Type", Variant("Виды работ 2001г"_cp1251));
  group_ = list2001->GetContainer(kWorkTypeGroupKind, true);
  group_->SetValueByName("Caption", Variant("Виды работ"_cp1251));
  group_->SetValueByName("ID", Variant("0"));
}

void ConversionRun::FinishCatalog() {
  auto list1984 = std::make_unique<TXML_Estimate_Container>(document_.get());
  TXML_Estimate_Container* list = list1984.get();
  catalog_->AddChild(std::move(list1984));
  list->SetKind(kWorkTypesKind);
  list->SetValueByName("Type", Variant("Виды работ 1984г"_cp1251));
  current_chapter_ = nullptr;
}

void ConversionRun::AddWorkType(std::int32_t id, const std::string& idText) {
  // Every position of a work type sets the same values again: once is enough.
  auto [filled, isNew] = work_type_texts_.try_emplace(id, idText);
  if (!isNew && filled->second == idText) return;
  filled->second = idText;
  TXML_Estimate_Item& entry = *group_->GetWorkType(id);
  entry.SetValueByName("Caption", Variant(std::string("Вид работ "_cp1251) + idText));
  entry.SetValueByName("Nacl", Variant(0));
  entry.SetValueByName("Plan", Variant(0));
  entry.SetValueByName("NaclMask", Variant("ФОТ"_cp1251));
  entry.SetValueByName("PlanMask", Variant("ФОТ"_cp1251));
}

void ConversionRun::HeaderRow(std::string princode, std::string osnov, std::string zak,
                              std::string pod) {
  output_name_ = std::move(princode);
  TXML_Estimate_Container& signs = *document_->Signs();
  signs.GetChild(0)->SetValue(0, Variant(std::move(osnov)));
  signs.GetChild(3)->SetValue(0, Variant(std::move(zak)));
  signs.GetChild(4)->SetValue(0, Variant(std::move(pod)));
}

void ConversionRun::ChapterRow(SmetaRowKind kind, std::string name1, std::int32_t sysId) {
  TXML_Estimate_Container& chapters = *document_->Chapters();
  TXML_Estimate_Container* chapter = nullptr;
  if (kind == SmetaRowKind::PathChapter) {
    chapter = chapters.AddChapter();
    chapter->SetTag(Variant("IsPath"));
    path_mode_ = true;
  } else if (path_mode_ && current_chapter_ != nullptr) {
    const Variant& tag = current_chapter_->Tag();
    bool isPath = tag.type() == Variant::Type::Text && tag.TextValue() == "IsPath";
    chapter = isPath ? current_chapter_->AddChapter() : current_chapter_->Parent()->AddChapter();
  } else {
    chapter = chapters.AddChapter();
  }
  current_chapter_ = chapter;
  chapter->SetValueByName("Caption", Variant(std::move(name1)));
  chapter->SetValueByName("SysID", Variant(sysId));
}

TXML_Estimate_Container& ConversionRun::ChapterForPosition() {
  if (current_chapter_ == nullptr) {
    current_chapter_ = document_->Chapters()->AddChapter();
    current_chapter_->SetValueByName("Caption", Variant("Новый раздел"_cp1251));
    current_chapter_->SetValueByName("SysID", Variant("1"));
  }
  return *current_chapter_;
}

void ConversionRun::AddPosition(PositionData data) {
  const std::int32_t number = data.row.number;
  auto pending = std::make_unique<TXML_Estimate_Settled>(number, document_->Settled());
  TXML_Estimate_Settled& node = *pending;
  ChapterForPosition().AddChild(std::move(pending));
  settler_->Settle(node, std::move(data));
  ++positions_;
}

void ConversionRun::LeaveOutRow(const std::string& line1251) {
  host_.AppendLog(line1251);
  ++rows_left_out_;
}

void ConversionRun::AbandonPositions() { settler_.reset(); }

void ConversionRun::SortDocument(bool sortWorkTypes) {
  settler_->Finish();
  TXML_Estimate_Container& chapters = *document_->Chapters();
  chapters.SortByNumber();
  chapters.FlattenChapters();
  if (sortWorkTypes) group_->SortByID();
}

ConversionResult ConversionRun::RunFrame(const PassFrame& frame) {
  const BusyFrame busy(host_);
  try {
    frame.walk();
    // What was read must be one version of each table, also when the walk ended early.
    frame.checkUnchanged();
  } catch (...) {
    // A table that changed under the walk can fail it in any way: the change is
    // what the user is told.
    // The second core is stopped first: it may be reading the tables still.
    std::exception_ptr failure = std::current_exception();
    AbandonPositions();
    try {
      frame.checkUnchanged();
    } catch (...) {
      failure = std::current_exception();
    }
    frame.closeSource();
    std::rethrow_exception(failure);
  }
  frame.closeSource();
  if (frame.resetProgressBeforeSave) host_.SetProgressPosition(0);
  const auto [folder, outputName] = frame.target();
  ConversionResult result = Save(folder, outputName);
  if (!frame.resetProgressBeforeSave) host_.SetProgressPosition(0);
  return result;
}

ConversionResult ConversionRun::Save(const std::filesystem::path& folder,
                                     const std::string& outputName) {
  ConversionResult result;
  result.file = OutputFilePath(host_.OutputFolder().value_or(folder), outputName);
  host_.ClaimOutputFile(result.file);
  document_->SaveToFile(result.file, host_.DecimalSeparator(), faults_);
  result.chapters = ChapterCount(*document_->Chapters());
  result.positions = positions_;
  result.rowsLeftOut = rows_left_out_;
  result.stopped = stopped_;
  settler_.reset();
  document_.reset();
  return result;
}

std::optional<std::filesystem::path> ExistingSourceFolder(RunHost& host) {
  std::filesystem::path folder = host.FolderPath();
  if (folder.empty() || StatusOf(folder).kind != FileKind::Folder) return std::nullopt;
  return folder;
}

}  // namespace ranta2kv
