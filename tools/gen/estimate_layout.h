// The field layout of the seven estimate tables as the generator writes them:
// one field list per table, and for each table an enum naming the positions of
// its fields in that list (the index the DbfWriter setters take).
#pragma once

#include <span>
#include <string_view>

#include "tools/gen/dbf_writer.h"

namespace ranta2kv::gen {

namespace smeta {
enum Field { CODE, ID, UDAL, PRINCODE, OSNOV, ZAK, POD, NAME1, NOMER, NAME };
}
namespace postools {
enum Field { POSCODE, ID, CODE };
}
namespace posext {
enum Field { CODE, TYPESBOR, REGION, CODERASC, Q, EJ, PRIM, OPRED, PZ, ZP, EM, ZM, SM,
             CURCENA, CURZPM, KPZ, KZP, KEM, KZM, KSM };
}
namespace restbl {
enum Field { CODE, RES, RESNAME, NORMRAS, PRICERES, PRICMASH };
}
namespace execute {
enum Field { CODE, AKTCODE, FACT };
}
namespace acts {
enum Field { CODE, DATE };
}
namespace params {
enum Field { ID, CODE, PARAM };
}

struct TableLayout {
  std::string_view fileName;              // "SMETA.DBF", ...
  std::span<const DbfFieldSpec> fields;   // in the order of the Field enum
};

// The seven tables, in the order SMETA, POSTOOLS, POSEXT, RESTBL, EXECUTE, ACTS, PARAMS.
std::span<const TableLayout> EstimateTableLayouts();

enum class EstimateTable { kSmeta, kPostools, kPosext, kRestbl, kExecute, kActs, kParams };
const TableLayout& LayoutOf(EstimateTable table);

}  // namespace ranta2kv::gen
