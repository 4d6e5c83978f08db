// The constant name tables of the estimate document: the container kinds (the
// numbers the document stores) by name with their element names, the attribute
// schemas (attribute order is output order) and the names of the children that
// are picked by index.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ranta2kv {

// Container kinds: what the document stores is the number.
enum ContainerKind : std::uint8_t {
  kNoKind = 0,
  kParametersKind = 1,
  kIndexesKind = 2,
  kCatalogKind = 3,         // "VidRab_Catalog"
  kWorkTypesKind = 4,       // "Vids_Rab"
  kWorkTypeGroupKind = 5,   // "VidRab_Group"
  kCoefficientsKind = 6,    // "Koefficients"
  kWinterCatalogKind = 7,
  kChapterKind = 8,
  kChaptersKind = 9,
  kAddZatratsKind = 10,
  kOsInfoKind = 11,
  kSignsKind = 12,
  kResourcesKind = 13,
  kImplementationKind = 14,
  kLastKind = kImplementationKind,
};

// Element names by container kind.
extern const std::string_view KindNames[kLastKind + 1];

// A constant schema. Nodes refer to the list they are given (no copy), so it must
// outlive them: one of the lists below, or another list of static lifetime.
using TStringList = std::vector<std::string_view>;

// The schemas whose attributes the passes set by their place: each is one list
// of (slot, attribute name) in output order, from which both the slot enum (what
// the typed setters of a node take, so that a pass that knows which attribute it
// sets never looks a name up) and the name list are made; the two cannot fall
// out of step. A new attribute is one entry here.
#define RANTA2KV_POSITION_SCHEMA(X)                                                                          \
  X(Caption, "Caption") X(Number, "Number") X(Code, "Code") X(Units, "Units") X(Quantity, "Quantity")       \
  X(Comment, "Comment") X(PriceLevel, "PriceLevel") X(IndexCode, "IndexCode") X(Options, "Options")         \
  X(Vr2001, "Vr2001") X(NKB, "NKB") X(PNB, "PNB") X(NKI, "NKI") X(PKI, "PKI") X(Performer, "Performer")     \
  X(PriceBase, "PriceBase") X(PriceCurr, "PriceCurr") X(Attribs, "Attribs") X(WorkClass, "WorkClass")
#define RANTA2KV_PRICE_SCHEMA(X) X(Value, "Value") X(PZ, "PZ") X(OZ, "OZ") X(EM, "EM") X(ZM, "ZM") X(MT, "MT")
#define RANTA2KV_COEFFICIENT_SCHEMA(X)                                                                       \
  X(Caption, "Caption") X(Options, "Options") X(PZ, "Value_PZ") X(OZ, "Value_OZ") X(EM, "Value_EM")         \
  X(ZM, "Value_ZM") X(MT, "Value_MT") X(Level, "Level")
#define RANTA2KV_IMPLEMENTATION_SCHEMA(X) X(Year, "Year") X(Month, "Month") X(Quantity, "Quantity")
#define RANTA2KV_CUSTOM_NP_SCHEMA(X) X(Nacl, "Nacl") X(NaclMask, "NaclMask") X(Plan, "Plan") X(PlanMask, "PlanMask")

#define RANTA2KV_SCHEMA_NAME(slot, name) name,
#define RANTA2KV_POSITION_SLOT(slot, name) kPosition##slot,
#define RANTA2KV_PRICE_SLOT(slot, name) kPrice##slot,
#define RANTA2KV_COEFFICIENT_SLOT(slot, name) kCoefficient##slot,
#define RANTA2KV_IMPLEMENTATION_SLOT(slot, name) kImplementation##slot,
#define RANTA2KV_CUSTOM_NP_SLOT(slot, name) kCustomNP##slot,

enum PositionSlot : std::uint8_t { RANTA2KV_POSITION_SCHEMA(RANTA2KV_POSITION_SLOT) };
enum PriceSlot : std::uint8_t { RANTA2KV_PRICE_SCHEMA(RANTA2KV_PRICE_SLOT) };
enum CoefficientSlot : std::uint8_t { RANTA2KV_COEFFICIENT_SCHEMA(RANTA2KV_COEFFICIENT_SLOT) };
enum ImplementationSlot : std::uint8_t { RANTA2KV_IMPLEMENTATION_SCHEMA(RANTA2KV_IMPLEMENTATION_SLOT) };
enum CustomNPSlot : std::uint8_t { RANTA2KV_CUSTOM_NP_SCHEMA(RANTA2KV_CUSTOM_NP_SLOT) };

extern const TStringList DocumentAttributes, PositionAttributes, PriceAttributes,
    CoefficientAttributes, ImplementationAttributes, ChapterAttributes, CustomNPAttributes,
    CatalogAttributes, WorkTypesAttributes, WorkTypeAttributes, SignAttributes;

extern const std::string_view PriceNames[2];
extern const std::string_view ResourceNames[4];
extern const std::string_view CustomNPNames[2];

}  // namespace ranta2kv
