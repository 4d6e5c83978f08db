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

extern const TStringList DocumentAttributes, PositionAttributes, PriceAttributes,
    CoefficientAttributes, ImplementationAttributes, ChapterAttributes, CustomNPAttributes,
    CatalogAttributes, WorkTypesAttributes, WorkTypeAttributes, SignAttributes;
// The place of each attribute in its schema: what the typed setters of a node
// take, so that a pass that knows which attribute it sets never looks a name up.
enum PositionSlot : std::uint8_t {
  kPositionCaption, kPositionNumber, kPositionCode, kPositionUnits, kPositionQuantity, kPositionComment,
  kPositionPriceLevel, kPositionIndexCode, kPositionOptions, kPositionVr2001, kPositionNKB, kPositionPNB,
  kPositionNKI, kPositionPKI, kPositionPerformer, kPositionPriceBase, kPositionPriceCurr, kPositionAttribs,
  kPositionWorkClass,
};
enum PriceSlot : std::uint8_t { kPriceValue, kPricePZ, kPriceOZ, kPriceEM, kPriceZM, kPriceMT };
enum CoefficientSlot : std::uint8_t {
  kCoefficientCaption, kCoefficientOptions, kCoefficientPZ, kCoefficientOZ, kCoefficientEM, kCoefficientZM,
  kCoefficientMT, kCoefficientLevel,
};
enum ImplementationSlot : std::uint8_t { kImplementationYear, kImplementationMonth, kImplementationQuantity };
enum CustomNPSlot : std::uint8_t { kCustomNPNacl, kCustomNPNaclMask, kCustomNPPlan, kCustomNPPlanMask };

extern const std::string_view PriceNames[2];
extern const std::string_view ResourceNames[4];
extern const std::string_view CustomNPNames[2];

}  // namespace ranta2kv
