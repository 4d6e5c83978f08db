// The "OLE DB" pass `ConvertOleDb`: walks SMETA through the SQL data source and
// reads everything else with SQL statements, one position at a time. A position's
// resources, rates and executed rows are read on the second core, by statements
// of a connection of their own to the same tables, while this thread reads the
// rows that follow (or here, while that core is behind).
#include <exception>
#include <string>

#include "common/codepage.h"
#include "common/error.h"
#include "common/text.h"
#include "convert/conversion_pass.h"
#include "convert/conversion_run.h"
#include "convert/position_rules.h"
#include "convert/position_values.h"
#include "source/sql/oledb_source.h"

namespace ranta2kv {
namespace {

std::string Decimal(std::int64_t value) { return std::to_string(value); }

// Opens a query on a statement and closes it again whatever happens.
class Query {
 public:
  // The statement in pieces (joined in the dataset's room: no text is built per look-up).
  Query(OleDbDataset& dataset, std::initializer_list<std::string_view> statement) : dataset_(dataset) {
    dataset_.Close();
    dataset_.SetSQL(statement);
    dataset_.Open();
  }
  ~Query() { dataset_.Close(); }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;
  OleDbDataset* operator->() { return &dataset_; }
  bool Found() const { return dataset_.RecordCount() > 0; }

 private:
  OleDbDataset& dataset_;
};

// The connection and queries of the statements run on the second core.
struct SecondCoreReads {
  explicit SecondCoreReads(char decimalSeparator)
      : query(connection, decimalSeparator), acts(connection, decimalSeparator) {}
  OleDbConnection connection;  // declared first: the queries use it
  OleDbDataset query;          // as qSubQuery
  OleDbDataset acts;           // as qACTS
};

class OleDbPass {
 public:
  OleDbPass(RunHost& host, OleDbSource& source, FileFaults* faults)
      : s_(source),
        second_(host.DecimalSeparator()),
        run_(host, faults,
             {.onSecondCore = [this](PositionData& data) { CompletePosition(second_.query, second_.acts, data); },
              .onPassThread = [this](PositionData& data) { CompletePosition(s_.qSubQuery, s_.qACTS, data); }}) {}

  std::optional<ConversionResult> Run();

 private:
  void FillWorkTypes();
  void Walk();
  bool ConvertPosition();  // false: the row was rejected for broken integrity
  // On the second core (or on this thread while that core is behind): the
  // position's resources, rates and executed rows, by statements in query and acts.
  static void CompletePosition(OleDbDataset& query, OleDbDataset& acts, PositionData& data);
  static void ReadResources(OleDbDataset& query, PositionData& data);
  static void ReadRates(OleDbDataset& query, PositionData& data);
  static void ReadExecuted(OleDbDataset& query, OleDbDataset& acts, PositionData& data);
  void CloseSource();
  static std::string Field(OleDbDataset& dataset, const char* name) {
    return dataset.FieldNamed(name).AsString();
  }

  OleDbSource& s_;
  SecondCoreReads second_;
  // Last, so that it goes first: its second core runs statements through
  // second_ until it is joined, when the run is destroyed.
  ConversionRun run_;
};

std::optional<ConversionResult> OleDbPass::Run() {
  OleDbDataset& smeta = s_.tlbSMETA;
  smeta.SetTableName("SMETA");
  smeta.Open();
  if (!smeta.Active()) return std::nullopt;
  RunHost& host = run_.Host();
  return run_.RunFrame({.walk =
                            [&] {
                              second_.connection.ConnectBeside(s_.ADOConnection1);
                              run_.BuildSkeleton([this] { FillWorkTypes(); });
                              smeta.First();
                              host.SetProgressMax(static_cast<int>(smeta.RecordCount()));
                              host.SetProgressPosition(0);
                              Walk();
                              run_.SortDocument(false);
                            },
                        .checkUnchanged = [this] { s_.ADOConnection1.CheckUnchanged(); },
                        .closeSource = [this] { CloseSource(); },
                        // The folder is read again here: the output goes where the box points now.
                        .target = [&] { return std::pair(host.FolderPath(), TrimControlAndBlanks(run_.OutputName())); },
                        .resetProgressBeforeSave = true});
}

void OleDbPass::CloseSource() {
  second_.connection.SetConnected(false);
  s_.qACTS.Close();
  s_.qSubQuery.Close();
  s_.qPOSEXT.Close();
  s_.tlbSMETA.Close();
  s_.ADOConnection1.SetConnected(false);
}

void OleDbPass::FillWorkTypes() {
  Query types(s_.qSubQuery, {"SELECT DISTINCT(OPRED) FROM POSEXT"});
  for (types->First(); !types->AtEnd(); types->Next()) {
    const OleDbField& opred = types->Column(0);
    run_.AddWorkType(opred.AsInteger(), opred.AsString());
  }
}

void OleDbPass::Walk() {
  RunHost& host = run_.Host();
  OleDbDataset& smeta = s_.tlbSMETA;
  while (!smeta.AtEnd()) {
    if (smeta.FieldNamed("UDAL").AsInteger() != 0) {
      smeta.Next();
      continue;
    }
    const auto kind = static_cast<SmetaRowKind>(smeta.FieldNamed("ID").AsInteger());
    if (kind == SmetaRowKind::Header) {
      run_.HeaderRow(Field(smeta, "PRINCODE"), Field(smeta, "OSNOV"), Field(smeta, "ZAK"),
                     Field(smeta, "POD"));
    } else if (kind == SmetaRowKind::PathChapter || kind == SmetaRowKind::Chapter) {
      run_.ChapterRow(kind, Field(smeta, "NAME1"), IntegerOfText(Field(smeta, "NOMER")));
    } else if (kind == SmetaRowKind::Position) {
      run_.ChapterForPosition();
      if (!ConvertPosition()) {
        smeta.Next();
        continue;
      }
    }
    smeta.Next();
    host.StepProgress();
    host.ProcessPendingEvents();
    if (!host.Running()) {
      if (!smeta.AtEnd()) run_.MarkStopped();
      break;
    }
  }
}

bool OleDbPass::ConvertPosition() {
  OleDbDataset& smeta = s_.tlbSMETA;
  std::int32_t rowCode = 0, toolCode = 0;
  // A row code that cannot be read, or a failing link look-up, only leaves the
  // codes at 0: the row is then reported as broken below.
  try {
    rowCode = IntegerOfText(TrimControlAndBlanks(Field(smeta, "CODE")));
  } catch (const std::exception&) {
    rowCode = 0;
  }
  try {
    Query tools(s_.qSubQuery, {"SELECT * FROM POSTOOLS WHERE POSCODE=", Decimal(rowCode), " AND ID=0"});
    if (tools.Found()) toolCode = tools->FieldNamed("CODE").AsInteger();
  } catch (const SourceFileError&) {
    throw;  // the table's file failed
  } catch (const std::exception&) {
    toolCode = 0;
  }
  if (rowCode == 0 || toolCode == 0) {
    run_.LeaveOutRow(RowMessage("Нарушена целостность данных. Строка %d"_cp1251, smeta.RecordNumber()));
    return false;
  }
  Query posext(s_.qPOSEXT, {"SELECT * FROM POSEXT WHERE CODE=", Decimal(rowCode)});
  if (!posext.Found()) return true;
  OleDbDataset& row = s_.qPOSEXT;

  std::string typesbor = TrimControlAndBlanks(Field(row, "TYPESBOR"));
  std::string coderasc = Field(row, "CODERASC");
  auto prefix = CollectionPrefix(typesbor, TrimControlAndBlanks(Field(row, "REGION")));
  if (!prefix) run_.Host().AppendLog(UnknownCollectionMessage(typesbor, coderasc));

  auto number = [&row](const char* name) { return row.FieldNamed(name).AsNumber(); };
  PositionData data = run_.NewPositionData();
  data.row = {.caption = Field(smeta, "NAME"),
              .number = IntegerOfText(Field(smeta, "NOMER")),
              .code = prefix.value_or("") + coderasc,
              .quantity = number("Q"),
              .units = Field(row, "EJ"),
              .comment = CommentWithoutMarker(Field(row, "PRIM")),
              .workType = Variant(Field(row, "OPRED")),
              .prices = {number("PZ"), number("ZP"), number("EM"), number("ZM"), number("SM"), number("CURCENA"),
                         number("CURZPM")}};
  data.rowCode = rowCode;
  data.toolCode = toolCode;
  data.coefficients = {number("KPZ"), number("KZP"), number("KEM"), number("KZM"), number("KSM")};
  run_.AddPosition(std::move(data));
  return true;
}

void OleDbPass::CompletePosition(OleDbDataset& query, OleDbDataset& acts, PositionData& data) {
  ReadResources(query, data);
  ReadRates(query, data);
  ReadExecuted(query, acts, data);
}

void OleDbPass::ReadResources(OleDbDataset& query, PositionData& data) {
  Query rows(query, {"SELECT * FROM RESTBL WHERE CODE=", Decimal(data.toolCode)});
  for (rows->First(); !rows->AtEnd(); rows->Next()) {
    data.resources.push_back({OemToAnsiTrim(Field(query, "RES")), Field(query, "RESNAME"),
                              rows->FieldNamed("NORMRAS").AsNumber(), rows->FieldNamed("PRICERES").AsNumber(),
                              rows->FieldNamed("PRICMASH").AsNumber()});
  }
}

// Only rates above 0 are taken here.
void OleDbPass::ReadRates(OleDbDataset& query, PositionData& data) {
  const std::string key = ParamKey(data.rowCode);
  for (RateCode code : {RateCode::Overhead, RateCode::Profit}) {
    Query rate(query,
               {"SELECT * FROM PARAMS WHERE ID = '", key, "' AND CODE=", Decimal(static_cast<std::int32_t>(code))});
    if (!rate.Found()) continue;
    double value = rate->FieldNamed("PARAM").AsNumber();
    if (value > 0) (code == RateCode::Overhead ? data.overhead : data.profit) = value;
  }
}

void OleDbPass::ReadExecuted(OleDbDataset& query, OleDbDataset& acts, PositionData& data) {
  std::int32_t execCode = data.toolCode;
  {
    Query link(query, {"SELECT * FROM POSTOOLS WHERE POSCODE=", Decimal(data.rowCode), " AND ID=1"});
    if (link.Found()) execCode = link->FieldNamed("CODE").AsInteger();
  }
  Query rows(query, {"SELECT * FROM \"EXECUTE\" WHERE CODE=", Decimal(execCode)});
  for (rows->First(); !rows->AtEnd(); rows->Next()) {
    std::int32_t aktcode = rows->FieldNamed("AKTCODE").AsInteger();
    Query act(acts, {"SELECT * FROM ACTS WHERE CODE=", Decimal(aktcode)});
    if (!act.Found()) continue;
    data.executed.push_back({act->FieldNamed("DATE").AsDateTime(), rows->FieldNamed("FACT").AsNumber()});
  }
}

}  // namespace

std::optional<ConversionResult> ConvertOleDb(RunHost& host) {
  const RunFaults faults(host);
  OleDbSource source(host.DecimalSeparator());
  source.ADOConnection1.SetFileFaults(faults.get());
  auto log = [&host](const std::string& line) { host.AppendLog(line); };
  if (!OpenOleDbSource(source, host.FolderPath(), log)) return std::nullopt;
  OleDbPass pass(host, source, faults.get());
  return pass.Run();
}

}  // namespace ranta2kv
