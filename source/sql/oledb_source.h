// The five data-access objects of the "OLE DB" pass and their set-up
// `OpenOleDbSource`: checks the folder, points the connection at it, connects and
// attaches the estimate's tables (other tables of the folder are only opened).
#pragma once

#include <filesystem>

#include "source/dbf/dbf_table_set.h"
#include "source/sql/oledb_connection.h"
#include "source/sql/oledb_dataset.h"

namespace ranta2kv {

struct OleDbSource {
  explicit OleDbSource(char decimalSeparator);
  OleDbConnection ADOConnection1;  // declared first: the datasets use it
  OleDbDataset tlbSMETA;           // the walk over the estimate table
  OleDbDataset qSubQuery;          // priming, then one short statement after another
  OleDbDataset qPOSEXT;            // the POSEXT row of the position in hand
  OleDbDataset qACTS;              // the ACTS row of one EXECUTE row
};

// Silent false for a folder that does not exist; on any other failure logs
// "Ошибка инициализации : " + message, closes `qSubQuery`, disconnects and
// returns false.
bool OpenOleDbSource(OleDbSource& source, const std::filesystem::path& folder, const LogSink& log);

}  // namespace ranta2kv
