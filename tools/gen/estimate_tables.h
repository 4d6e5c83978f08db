// The seven tables of one generated estimate, open for writing in one folder
// with the layouts of estimate_layout.h, code page 866 marked in each header.
#pragma once

#include <filesystem>

#include "tools/gen/dbf_writer.h"

namespace ranta2kv::gen {

struct EstimateTables {
  EstimateTables(const std::filesystem::path& folder, DbfDate lastUpdate);
  // Finishes every table (record counts, end-of-file bytes) and closes it.
  void Finish();

  DbfWriter smeta;
  DbfWriter postools;
  DbfWriter posext;
  DbfWriter restbl;
  DbfWriter execute;
  DbfWriter acts;
  DbfWriter params;
};

}  // namespace ranta2kv::gen
