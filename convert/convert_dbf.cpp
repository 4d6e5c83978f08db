// The direct pass `ConvertDbf`: reads the seven DBF tables of the folder through
// the project's own reader and key indexes and converts the estimate.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/error.h"
#include "common/text.h"
#include "convert/conversion_pass.h"
#include "convert/conversion_run.h"
#include "convert/position_rules.h"
#include "convert/position_values.h"
#include "source/dbf/dbf_file.h"
#include "source/dbf/dbf_table_set.h"

namespace ranta2kv {
namespace {

// A field of a table, looked up by name at its first use (so a missing field
// fails where it is read) and kept for the rest of the run.
class Field {
 public:
  Field(DbfTable& table, const char* name) : table_(table), name_(name) {}
  DbfField& operator*() {
    if (field_ == nullptr) field_ = &table_.FieldNamed(name_);
    return *field_;
  }
  DbfField* operator->() { return &**this; }
  // Looks the field up now, so that a field the table lacks fails here and not
  // where a copy of its record is read.
  void Resolve() { **this; }
  // OemToAnsiTrim of the field's text; a text field is read in place.
  std::string OemText() { return OemText((**this).Value()); }
  // The same read from a copy of a record of the table, on any thread; the
  // field was looked up before.
  std::string OemTextIn(const char* record) const { return OemText(field_->ValueIn(record)); }
  // The same into out, keeping its room (the texts of a spare position).
  void OemTextInto(const char* record, std::string& out) const { OemTextInto(field_->ValueIn(record), out); }
  DecimalNumber NumberIn(const char* record) const { return field_->ValueIn(record).AsDecimal(); }
  DecimalNumber Number() { return (**this).Value().AsDecimal(); }

 private:
  static void OemTextInto(const DbfFieldValue& value, std::string& out) {
    if (value.Kind() == DbfValueKind::Text) OemToAnsiTrimInto(value.Text(), out);  // in place, no copy
    else OemToAnsiTrimInto(value.AsString(), out);
  }
  static std::string OemText(const DbfFieldValue& value) {
    std::string out;
    OemTextInto(value, out);
    return out;
  }

  DbfTable& table_;
  const char* name_;
  DbfField* field_ = nullptr;
};

class DirectPass {
 public:
  DirectPass(RunHost& host, DbfTableSet& tables, FileFaults* faults)
      : t_(tables),
        run_(host, faults,
             {.onSecondCore = [this](PositionData& data) { CompletePosition(data, resource_reader_); },
              .onPassThread = [this](PositionData& data) { CompletePosition(data, pass_resource_reader_); }}) {}

  ConversionResult Run(const std::filesystem::path& folder);

 private:
  void Walk();
  void ConvertPosition();
  // On the second core (or on this thread while that core is behind): the values
  // of the position's record copies, RESTBL's read with reader.
  void CompletePosition(PositionData& data, std::optional<DbfRecordBlock>& reader);
  void ReadResources(PositionData& data, std::int32_t toolCode);
  void ReadRates(PositionData& data, std::int32_t rowCode);
  void ReadExecuted(PositionData& data, std::int32_t rowCode);
  std::int32_t LocateTool(std::int32_t rowCode, int id);

  DbfTableSet& t_;
  // Each thread's own reader of RESTBL's records, made at its first position.
  std::optional<DbfRecordBlock> resource_reader_, pass_resource_reader_;
  Field smetaId_{t_.DescriptTable, "ID"}, smetaCode_{t_.DescriptTable, "CODE"},
      princode_{t_.DescriptTable, "PRINCODE"}, osnov_{t_.DescriptTable, "OSNOV"},
      zak_{t_.DescriptTable, "ZAK"}, pod_{t_.DescriptTable, "POD"},
      name1_{t_.DescriptTable, "NAME1"}, nomer_{t_.DescriptTable, "NOMER"},
      name_{t_.DescriptTable, "NAME"};
  Field toolCode_{t_.PosTools, "CODE"};
  std::vector<Variant> toolKey_{Variant(), Variant()};  // POSCODE;ID, kept between look-ups
  Field typesbor_{t_.DataTable, "TYPESBOR"}, region_{t_.DataTable, "REGION"},
      coderasc_{t_.DataTable, "CODERASC"}, q_{t_.DataTable, "Q"}, ej_{t_.DataTable, "EJ"},
      prim_{t_.DataTable, "PRIM"}, opred_{t_.DataTable, "OPRED"}, pz_{t_.DataTable, "PZ"},
      zp_{t_.DataTable, "ZP"}, em_{t_.DataTable, "EM"}, zm_{t_.DataTable, "ZM"},
      sm_{t_.DataTable, "SM"}, curcena_{t_.DataTable, "CURCENA"},
      curzpm_{t_.DataTable, "CURZPM"}, kpz_{t_.DataTable, "KPZ"}, kzp_{t_.DataTable, "KZP"},
      kem_{t_.DataTable, "KEM"}, kzm_{t_.DataTable, "KZM"}, ksm_{t_.DataTable, "KSM"};
  Field res_{t_.ResourceTable, "RES"}, resname_{t_.ResourceTable, "RESNAME"},
      normras_{t_.ResourceTable, "NORMRAS"}, priceres_{t_.ResourceTable, "PRICERES"},
      pricmash_{t_.ResourceTable, "PRICMASH"};
  Field paramId_{t_.PARAMS, "ID"}, paramCode_{t_.PARAMS, "CODE"}, param_{t_.PARAMS, "PARAM"};
  Field aktcode_{t_.Execute_, "AKTCODE"}, fact_{t_.Execute_, "FACT"};
  Field actDate_{t_.ACTS, "DATE"};
  // Last, so that it goes first: its second core reads the readers and fields
  // above until it is joined, when the run is destroyed.
  ConversionRun run_;
};

ConversionResult DirectPass::Run(const std::filesystem::path& folder) {
  return run_.RunFrame({.walk =
                            [this] {
                              run_.Host().SetProgressMax(static_cast<int>(t_.DescriptTable.RecordCount()));
                              run_.BuildSkeleton();
                              t_.DescriptTable.First();
                              Walk();
                              run_.SortDocument(true);
                            },
                        .checkUnchanged = [this] { t_.CheckUnchanged(); },
                        .closeSource = [this] { t_.CloseAll(); },
                        .target = [&] { return std::pair(folder, run_.OutputName()); }});
}

void DirectPass::Walk() {
  RunHost& host = run_.Host();
  DbfTable& smeta = t_.DescriptTable;
  std::int64_t walked = 0;
  while (!smeta.AtEnd()) {
    switch (const auto kind = static_cast<SmetaRowKind>(smetaId_->AsInteger())) {
      case SmetaRowKind::Header:
        run_.HeaderRow(princode_.OemText(), osnov_.OemText(), zak_.OemText(), pod_.OemText());
        break;
      case SmetaRowKind::PathChapter:
      case SmetaRowKind::Chapter:
        run_.ChapterRow(kind, name1_.OemText(), IntegerOfText(nomer_.OemText()));
        break;
      case SmetaRowKind::Position:
        run_.ChapterForPosition();
        ConvertPosition();
        break;
      default:
        break;
    }
    host.StepProgress();
    host.ProcessPendingEvents();
    ++walked;
    if (!host.Running()) {
      // Every record is one row of the walk: fewer walked is an early end.
      if (walked < smeta.RecordCount()) run_.MarkStopped();
      break;
    }
    smeta.Next();
  }
}

std::int32_t DirectPass::LocateTool(std::int32_t rowCode, int id) {
  toolKey_[0] = Variant(rowCode);
  toolKey_[1] = Variant(id);
  if (!t_.PosTools.LocateRecord("POSCODE;ID", toolKey_)) return id == 0 ? 0 : -1;
  return toolCode_->AsInteger();
}

void DirectPass::ConvertPosition() {
  std::int32_t rowCode = 0, toolCode = 0;
  try {
    rowCode = IntegerOfText(TrimControlAndBlanks(smetaCode_->AsString()));
    toolCode = LocateTool(rowCode, 0);
  } catch (const SourceFileError&) {
    throw;
  } catch (const std::exception&) {
    run_.LeaveOutRow(RowMessage("Некорректные данные. Строка %d"_cp1251,
                                t_.DescriptTable.RecordNumber()));
    rowCode = toolCode = 0;
  }
  if (rowCode == 0 || toolCode == 0) return;
  if (!t_.DataTable.LocateRecord("CODE", Variant(rowCode))) return;

  // Fields are looked up in the order in which they are first read (the first
  // one a table lacks is the failure); the text and price fields of the SMETA,
  // POSEXT and RESTBL rows are read from copies of their records on the second core.
  PositionData data = run_.NewPositionData();
  PositionRow& row = data.row;
  name_.Resolve();
  row.number = IntegerOfText(nomer_->AsString());
  std::string typesbor = typesbor_.OemText();
  auto prefix = CollectionPrefix(typesbor, region_.OemText());
  if (!prefix) {
    // The code as stored (blanks kept), but in the log's code page.
    run_.Host().AppendLog(UnknownCollectionMessage(typesbor, Oem866ToAnsi(coderasc_->AsString())));
  }
  row.code = prefix.value_or("");  // and the code, on the second core
  for (Field* field : {&coderasc_, &q_, &ej_, &prim_}) field->Resolve();
  const std::int32_t opred = opred_->AsInteger();
  row.workType = Variant(opred);
  run_.AddWorkType(opred, opred_->AsString());
  for (Field* field : {&pz_, &zp_, &em_, &zm_, &sm_, &curcena_, &curzpm_}) field->Resolve();
  data.records.reserve(t_.DescriptTable.RecordLength() + t_.DataTable.RecordLength());
  data.records.append(t_.DescriptTable.CurrentRecord());
  data.records.append(t_.DataTable.CurrentRecord());
  ReadResources(data, toolCode);
  for (Field* field : {&kpz_, &kzp_, &kem_, &kzm_, &ksm_}) field->Resolve();
  ReadRates(data, rowCode);
  ReadExecuted(data, rowCode);
  run_.AddPosition(std::move(data));
}

// The resource rows are found here in the key index; the second core reads them.
void DirectPass::ReadResources(PositionData& data, std::int32_t toolCode) {
  t_.ResourceTable.RecordsUnderKey("CODE", Variant(toolCode), data.resourceRecords);
  if (data.resourceRecords.empty()) return;
  for (Field* field : {&res_, &resname_, &normras_, &priceres_, &pricmash_}) field->Resolve();
}

void DirectPass::CompletePosition(PositionData& data, std::optional<DbfRecordBlock>& reader) {
  const char* smeta = data.records.data();
  const char* posext = smeta + t_.DescriptTable.RecordLength();
  PositionRow& row = data.row;
  name_.OemTextInto(smeta, row.caption);
  row.code += coderasc_.OemTextIn(posext);
  row.quantity = q_.NumberIn(posext);
  ej_.OemTextInto(posext, row.units);
  row.comment = CommentWithoutMarker(prim_.OemTextIn(posext));
  row.prices = {pz_.NumberIn(posext), zp_.NumberIn(posext), em_.NumberIn(posext), zm_.NumberIn(posext),
                sm_.NumberIn(posext), curcena_.NumberIn(posext), curzpm_.NumberIn(posext)};
  data.coefficients = {kpz_.NumberIn(posext), kzp_.NumberIn(posext), kem_.NumberIn(posext), kzm_.NumberIn(posext),
                       ksm_.NumberIn(posext)};
  // A position's resource rows lie together: a few blocks serve them, and the
  // two threads' readers hold little memory.
  constexpr std::size_t kResourceReaderBlocks = 4;
  if (!data.resourceRecords.empty() && !reader) {
    reader.emplace(t_.ResourceTable.RecordReader(false, kResourceReaderBlocks));
  }
  data.resources.reserve(data.resourceRecords.size());
  for (const std::int64_t number : data.resourceRecords) {
    const char* resource = reader->Record(number);
    data.resources.push_back({res_.OemTextIn(resource), resname_.OemTextIn(resource), normras_.NumberIn(resource),
                              priceres_.NumberIn(resource), pricmash_.NumberIn(resource)});
  }
}

// The rates of the position: for each code, the first row (in key order from the
// key's first entry) whose ID is the position's key itself; the range of the key
// also admits longer IDs ("3+12" admits "3+120"), which belong to other
// positions. One walk over the key's rows serves both codes.
void DirectPass::ReadRates(PositionData& data, std::int32_t rowCode) {
  DbfTable& params = t_.PARAMS;
  const std::string key = ParamKey(rowCode);
  params.LimitToKey("ID", Variant(key));
  if (params.RecordCount() == 0 || !params.LocateRecord("ID", Variant(key))) return;
  constexpr RateCode kCodes[] = {RateCode::Overhead, RateCode::Profit};
  std::optional<DecimalNumber> rates[std::size(kCodes)];
  const std::string wanted = TrimCharsRight(key, CharSet{' '});
  const std::size_t width = std::min<std::size_t>(paramId_->Width(), key.size());
  for (; !params.AtEnd() && !(rates[0] && rates[1]); params.Next()) {
    std::string id = paramId_->AsString();
    if (id.compare(0, width, key, 0, width) != 0) break;  // past the block of this key
    if (TrimCharsRight(id, CharSet{' '}) != wanted) continue;
    const std::int32_t code = paramCode_->AsInteger();
    for (std::size_t i = 0; i < std::size(kCodes); ++i) {
      if (!rates[i] && code == static_cast<std::int32_t>(kCodes[i])) rates[i] = param_.Number();
    }
  }
  // Negative rates count too.
  if (rates[0] && rates[0]->value != 0.0) data.overhead = rates[0];
  if (rates[1] && rates[1]->value != 0.0) data.profit = rates[1];
}

void DirectPass::ReadExecuted(PositionData& data, std::int32_t rowCode) {
  std::int32_t execCode = LocateTool(rowCode, 1);
  DbfTable& execute = t_.Execute_;
  execute.LimitToKey("CODE", Variant(std::to_string(execCode)));
  for (; !execute.AtEnd(); execute.Next()) {
    if (!t_.ACTS.LocateRecord("CODE", Variant(aktcode_->AsInteger()))) continue;
    data.executed.push_back({actDate_->AsDateTime(), fact_.Number()});
  }
}

}  // namespace

std::optional<ConversionResult> ConvertDbf(RunHost& host) {
  std::optional<std::filesystem::path> folder = ExistingSourceFolder(host);
  if (!folder) return std::nullopt;
  const RunFaults faults(host);
  DbfTableSet tables(host.DecimalSeparator());
  tables.SetFileFaults(faults.get());
  auto log = [&host](const std::string& line) { host.AppendLog(line); };
  if (!PrepareDbfTables(tables, *folder, log)) return std::nullopt;
  host.ClearLog();
  OpenDbfTables(tables, *folder);
  DirectPass pass(host, tables, faults.get());
  return pass.Run(*folder);
}

}  // namespace ranta2kv
