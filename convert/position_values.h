// What a position gets from its source rows, written into the document the same
// way by both passes: its own values and prices, resources, the coefficient item,
// custom overhead and profit rates, and the executed quantities of completion acts.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "estimate/estimate_document.h"

namespace ranta2kv {

struct PositionPrices {
  double pz = 0, zp = 0, em = 0, zm = 0, sm = 0;  // base: PZ, ZP, EM, ZM, SM
  double curcena = 0, curzpm = 0;                // current: CURCENA, CURZPM
};
// "PriceBase" always; "PriceCurr" only with a non-zero current value.
void WritePositionPrices(TXML_Estimate_Position& position, const PositionPrices& prices);

struct Coefficients {
  double kpz = 0, kzp = 0, kem = 0, kzm = 0, ksm = 0;
};

// A position's values from its SMETA and POSEXT rows, as its pass reads them.
struct PositionRow {
  std::string caption;     // NAME
  std::int32_t number = 0; // NOMER as an integer
  std::string code;        // the collection prefix and CODERASC
  double quantity = 0;     // Q
  std::string units;       // EJ
  std::string comment;     // PRIM without its marker
  Variant workType;        // OPRED
  PositionPrices prices;
};

struct ResourceRow {
  std::string code;     // RES after OemToAnsiTrim
  std::string caption;  // RESNAME as the pass reads it
  double normras = 0, priceres = 0, pricmash = 0;
};
void AddResourceRow(TXML_Estimate_Position& position, ResourceRow row);

// A "K" item with its Options when any coefficient is non-zero.
void WriteCoefficients(TXML_Estimate_Position& position, const Coefficients& k);

enum class RateCode : std::int32_t { Overhead = 43, Profit = 49 };
void WriteCustomRate(TXML_Estimate_Position& position, RateCode code, double rate);

// One "Item" under "Implementation": the act's year and month and the fact.
void AddImplementationItem(TXML_Estimate_Position& position, double actDate, double fact);

struct ExecutedRow {
  double actDate = 0;  // DATE of its act
  double fact = 0;     // FACT
};

// Everything a position gets from its rows, gathered by its pass: its own values
// and prices, its resources, its coefficients, the rates the pass takes and the
// executed rows that have an act.
struct PositionData {
  PositionRow row;
  std::vector<ResourceRow> resources;
  Coefficients coefficients;
  std::optional<double> overhead, profit;
  std::vector<ExecutedRow> executed;
};

// The position with everything it holds, as a node of document that no
// container holds yet.
std::unique_ptr<TXML_Estimate_Position> BuildPosition(TXML_Estimate_Document& document, PositionData data);

}  // namespace ranta2kv
