// Opens the seven table writers of an estimate folder.
#include "tools/gen/estimate_tables.h"

#include <initializer_list>
#include <string>

#include "tools/gen/estimate_layout.h"

namespace ranta2kv::gen {
namespace {

constexpr std::uint8_t kLanguageDriverCp866 = 0x65;

DbfWriter OpenTable(const std::filesystem::path& folder, EstimateTable table, DbfDate lastUpdate) {
  const TableLayout& layout = LayoutOf(table);
  return DbfWriter(folder / std::string(layout.fileName), layout.fields, lastUpdate, kLanguageDriverCp866);
}

}  // namespace

EstimateTables::EstimateTables(const std::filesystem::path& folder, DbfDate lastUpdate)
    : smeta(OpenTable(folder, EstimateTable::kSmeta, lastUpdate)),
      postools(OpenTable(folder, EstimateTable::kPostools, lastUpdate)),
      posext(OpenTable(folder, EstimateTable::kPosext, lastUpdate)),
      restbl(OpenTable(folder, EstimateTable::kRestbl, lastUpdate)),
      execute(OpenTable(folder, EstimateTable::kExecute, lastUpdate)),
      acts(OpenTable(folder, EstimateTable::kActs, lastUpdate)),
      params(OpenTable(folder, EstimateTable::kParams, lastUpdate)) {}

void EstimateTables::Finish() {
  for (DbfWriter* table : {&smeta, &postools, &posext, &restbl, &execute, &acts, &params}) table->Finish();
}

}  // namespace ranta2kv::gen
