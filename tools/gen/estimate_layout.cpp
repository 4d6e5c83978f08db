// Field lists of the seven estimate tables: dBase III types and widths that the
// converter's reader maps to 64-bit integers (N(10,0)), small integers (N(2,0),
// N(4,0)), floats (N with decimals), dates and texts (NAME wider than 255).
#include "tools/gen/estimate_layout.h"

#include <array>

namespace ranta2kv::gen {
namespace {

constexpr DbfFieldSpec kSmeta[] = {
    {"CODE", 'N', 10, 0},  {"ID", 'N', 2, 0},      {"UDAL", 'N', 1, 0},
    {"PRINCODE", 'C', 20, 0}, {"OSNOV", 'C', 254, 0}, {"ZAK", 'C', 254, 0},
    {"POD", 'C', 254, 0},  {"NAME1", 'C', 254, 0}, {"NOMER", 'C', 10, 0},
    {"NAME", 'C', 400, 0},
};

constexpr DbfFieldSpec kPostools[] = {
    {"POSCODE", 'N', 10, 0}, {"ID", 'N', 2, 0}, {"CODE", 'N', 10, 0},
};

constexpr DbfFieldSpec kPosext[] = {
    {"CODE", 'N', 10, 0},     {"TYPESBOR", 'C', 2, 0}, {"REGION", 'C', 2, 0},
    {"CODERASC", 'C', 30, 0}, {"Q", 'N', 15, 6},       {"EJ", 'C', 30, 0},
    {"PRIM", 'C', 254, 0},    {"OPRED", 'N', 4, 0},    {"PZ", 'N', 15, 2},
    {"ZP", 'N', 15, 2},       {"EM", 'N', 15, 2},      {"ZM", 'N', 15, 2},
    {"SM", 'N', 15, 2},       {"CURCENA", 'N', 15, 2}, {"CURZPM", 'N', 15, 2},
    {"KPZ", 'N', 10, 4},      {"KZP", 'N', 10, 4},     {"KEM", 'N', 10, 4},
    {"KZM", 'N', 10, 4},      {"KSM", 'N', 10, 4},
};

constexpr DbfFieldSpec kRestbl[] = {
    {"CODE", 'N', 10, 0},     {"RES", 'C', 20, 0},      {"RESNAME", 'C', 254, 0},
    {"NORMRAS", 'N', 15, 6},  {"PRICERES", 'N', 15, 2}, {"PRICMASH", 'N', 15, 2},
};

constexpr DbfFieldSpec kExecute[] = {
    {"CODE", 'N', 10, 0}, {"AKTCODE", 'N', 10, 0}, {"FACT", 'N', 15, 6},
};

constexpr DbfFieldSpec kActs[] = {
    {"CODE", 'N', 10, 0}, {"DATE", 'D', 8, 0},
};

constexpr DbfFieldSpec kParams[] = {
    {"ID", 'C', 20, 0}, {"CODE", 'N', 4, 0}, {"PARAM", 'N', 15, 4},
};

constexpr std::array<TableLayout, 7> kLayouts = {{
    {"SMETA.DBF", kSmeta},
    {"POSTOOLS.DBF", kPostools},
    {"POSEXT.DBF", kPosext},
    {"RESTBL.DBF", kRestbl},
    {"EXECUTE.DBF", kExecute},
    {"ACTS.DBF", kActs},
    {"PARAMS.DBF", kParams},
}};

}  // namespace

std::span<const TableLayout> EstimateTableLayouts() { return kLayouts; }

const TableLayout& LayoutOf(EstimateTable table) {
  return kLayouts[static_cast<std::size_t>(table)];
}

}  // namespace ranta2kv::gen
