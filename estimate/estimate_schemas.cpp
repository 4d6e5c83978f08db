// The constant name tables of the estimate document: element names by container
// kind, the attribute schemas (attribute order is output order) and the names of
// children picked by index.
#include "estimate/estimate_schemas.h"

namespace ranta2kv {

const std::string_view KindNames[kLastKind + 1] = {
    "",              "Parameters",   "Indexes",       "VidRab_Catalog", "Vids_Rab",
    "VidRab_Group",  "Koefficients", "WinterCatalog", "Chapter",        "Chapters",
    "AddZatrats",    "OsInfo",       "Signs",         "Resources",      "Implementation",
};

const TStringList DocumentAttributes = {"Generator", "DocumentType", "LastModifiedDate", "Comment"};
const TStringList PositionAttributes = {RANTA2KV_POSITION_SCHEMA(RANTA2KV_SCHEMA_NAME)};
const TStringList PriceAttributes = {RANTA2KV_PRICE_SCHEMA(RANTA2KV_SCHEMA_NAME)};
const TStringList CoefficientAttributes = {RANTA2KV_COEFFICIENT_SCHEMA(RANTA2KV_SCHEMA_NAME)};
const TStringList ImplementationAttributes = {RANTA2KV_IMPLEMENTATION_SCHEMA(RANTA2KV_SCHEMA_NAME)};
const TStringList ChapterAttributes = {"Caption", "SysID"};
const TStringList CustomNPAttributes = {RANTA2KV_CUSTOM_NP_SCHEMA(RANTA2KV_SCHEMA_NAME)};
const TStringList CatalogAttributes = {"Caption", "ID"};
const TStringList WorkTypesAttributes = {"Type"};
const TStringList WorkTypeAttributes = {"ID", "Caption", "Nacl", "NaclMask", "Plan", "PlanMask"};
const TStringList SignAttributes = {"Caption"};

const std::string_view PriceNames[2] = {"PriceBase", "PriceCurr"};
const std::string_view ResourceNames[4] = {"Tzr", "Tzm", "Mch", "Mat"};
const std::string_view CustomNPNames[2] = {"CustomNPBase", "CustomNPCurr"};

}  // namespace ranta2kv
