// What one generated position holds besides its SMETA row: collection type,
// region, rate code, quantity, prices, coefficients, work type, resources,
// executed quantities, rates and the codes of its two POSTOOLS links. Drawn
// from the random source into fixed-size storage, without allocations.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "tools/gen/act_calendar.h"
#include "tools/gen/estimate_vocabulary.h"
#include "tools/gen/random_source.h"
#include "tools/gen/row_plan.h"

namespace ranta2kv::gen {

struct ResourceLine {
  std::string_view code;        // RESTBL.RES
  std::string_view name;        // RESTBL.RESNAME, followed by grade
  std::string_view grade;       // "3,8" after "... со средним разрядом ", or empty
  std::int64_t norm;            // NORMRAS x 10^6
  std::int64_t price;           // PRICERES x 100
  std::int64_t machinistPrice;  // PRICMASH x 100
};

struct ExecutionLine {
  std::int64_t actCode;  // EXECUTE.AKTCODE
  std::int64_t fact;     // FACT x 10^6
};

struct RateLine {
  int code;            // PARAMS.CODE: 43 overhead, 49 profit, others ignored by the converter
  std::int64_t value;  // PARAM x 10^4
};

struct PositionContent {
  Collection collection;
  std::string_view region;               // "1", "2" or ""
  std::array<char, 24> rateCode;         // CODERASC
  std::size_t rateCodeLength;
  const WorkText* work;                  // NAME and EJ
  std::string_view comment;              // PRIM with its marker first, or empty
  int workType;                          // OPRED
  std::int64_t quantity;                 // Q x 10^6
  std::int64_t pz, zp, em, zm, sm;       // base prices x 100
  std::int64_t currentPrice, currentZm;  // CURCENA, CURZPM x 100
  std::array<std::int64_t, 5> k;         // KPZ, KZP, KEM, KZM, KSM x 10^4
  std::array<ResourceLine, 16> resources;
  int resourceCount;
  std::array<ExecutionLine, 8> executions;
  int executionCount;
  std::array<RateLine, 4> rates;
  int rateCount;
  std::int64_t toolCode;  // CODE of the POSTOOLS ID 0 link = RESTBL.CODE
  std::int64_t execCode;  // CODE of the POSTOOLS ID 1 link = EXECUTE.CODE

  std::string_view RateCode() const { return {rateCode.data(), rateCodeLength}; }
};

// The text as the shape has it: dense repeats it (after "; ") up to about width
// bytes, sparse cuts it after its second word, the others keep it. The result
// may be a view of scratch.
std::string_view ShapeText(Shape shape, std::string_view text, std::size_t width, std::string& scratch);

class PositionContentMaker {
 public:
  PositionContentMaker(const Vocabulary& vocabulary, RandomSource& random,
                       const ActCalendar& acts, std::int64_t codeBase, Shape shape);

  void Make(const PlannedRow& row, PositionContent& content);

 private:
  void ChooseWork(PositionContent& content);
  void ChoosePrices(PositionContent& content);
  void ChooseCoefficients(PositionContent& content);
  void ChooseResources(PositionContent& content);
  void AddResource(PositionContent& content, const ResourceText& text, std::int64_t price,
                   std::int64_t machinistPrice);
  void AddLabour(PositionContent& content);
  void ChooseDenseResources(PositionContent& content);
  void ChooseSparseResources(PositionContent& content);
  void ReshapeValues(PositionContent& content);
  void ChooseExecutions(PositionContent& content);
  void ChooseRates(const PlannedRow& row, PositionContent& content);
  void AddOddExecution(PositionOddity oddity, PositionContent& content);
  int NextWorkType();

  const Vocabulary& vocabulary_;
  RandomSource& random_;
  const ActCalendar& acts_;
  std::int64_t codeBase_;
  Shape shape_;
  std::array<int, 40> workTypes_{};  // introduced so far, ascending
  int workTypeCount_ = 0;
};

}  // namespace ranta2kv::gen
