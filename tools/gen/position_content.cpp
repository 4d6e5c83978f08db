// Drawing the content of one position. Prices are kept as scaled integers so
// that the tables hold exact decimal texts; a position of a price collection
// (CN, CL) is one material with the material itself as its only resource.
#include "tools/gen/position_content.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace ranta2kv::gen {
namespace {

constexpr int kCollectionWeights[kCollectionCount] = {10, 6, 40, 16, 10, 18};  // CN CL ER VR CT MO
constexpr std::int64_t kCoefficients[] = {11500, 12000, 12500, 8500, 15000, 20000, 9000};
constexpr int kOverheadCode = 43;
constexpr int kProfitCode = 49;

Collection DrawCollection(RandomSource& random) {
  int draw = static_cast<int>(random.Between(0, 99));
  for (int c = 0; c < kCollectionCount; ++c) {
    if (draw < kCollectionWeights[c]) return static_cast<Collection>(c);
    draw -= kCollectionWeights[c];
  }
  return Collection::kER;
}

// First number of the rate codes of each collection of works: "01-01-003-02".
std::pair<int, int> RateBookRange(Collection collection) {
  switch (collection) {
    case Collection::kVR: return {51, 69};
    case Collection::kCT: return {1, 9};
    case Collection::kMO: return {3, 12};
    default: return {1, 47};
  }
}

bool IsPriceCollection(Collection collection) {
  return collection == Collection::kCN || collection == Collection::kCL;
}

}  // namespace

std::string_view ShapeText(Shape shape, std::string_view text, std::size_t width, std::string& scratch) {
  if (text.empty()) return text;
  if (shape == Shape::kSparse) {
    const std::size_t first = text.find(' ');
    const std::size_t second = first == std::string_view::npos ? first : text.find(' ', first + 1);
    return text.substr(0, second);
  }
  if (shape != Shape::kDense) return text;
  scratch.assign(text);
  while (scratch.size() + 2 + text.size() <= width) scratch.append("; ").append(text);
  return scratch;
}

PositionContentMaker::PositionContentMaker(const Vocabulary& vocabulary, RandomSource& random,
                                           const ActCalendar& acts, std::int64_t codeBase, Shape shape)
    : vocabulary_(vocabulary), random_(random), acts_(acts), codeBase_(codeBase), shape_(shape) {}

void PositionContentMaker::Make(const PlannedRow& row, PositionContent& content) {
  content.resourceCount = 0;
  content.executionCount = 0;
  content.rateCount = 0;
  content.collection = DrawCollection(random_);
  const int region = static_cast<int>(random_.Between(0, 99));
  content.region = region < 45 ? "1" : region < 85 ? "2" : "";
  content.quantity = random_.Between(1, 250000) * 100;
  content.comment = random_.Percent(30) ? std::string_view(random_.Pick(vocabulary_.Comments()))
                                        : std::string_view();
  if (content.comment.empty() && row.oddity == PositionOddity::kOddTexts) content.comment = vocabulary_.Comments()[0];
  content.workType = NextWorkType();
  ChooseWork(content);
  ChoosePrices(content);
  ChooseCoefficients(content);
  if (!IsPriceCollection(content.collection)) {
    if (shape_ == Shape::kDense) ChooseDenseResources(content);
    else if (shape_ == Shape::kSparse) ChooseSparseResources(content);
    else ChooseResources(content);
  }
  content.toolCode = codeBase_ + 3 * row.ordinal + random_.Between(1, 3);
  content.execCode = 2 * codeBase_ + 3 * row.ordinal + random_.Between(1, 3);
  ChooseExecutions(content);
  ChooseRates(row, content);
  ReshapeValues(content);
  AddOddExecution(row.oddity, content);
}

// Dense: every text and number filled, all four rates, many executed rows.
// Sparse: no region, comment, coefficients, machine or material prices, rarely
// an executed row or a rate. The normal shapes keep what was drawn.
void PositionContentMaker::ReshapeValues(PositionContent& content) {
  if (shape_ == Shape::kDense) {
    if (content.region.empty()) content.region = "1";
    if (content.comment.empty()) content.comment = random_.Pick(vocabulary_.Comments());
    for (std::int64_t& k : content.k) {
      if (k == 0) k = random_.Pick(kCoefficients);
    }
    if (content.em == 0) content.em = random_.Between(100, 300000);
    if (content.zm == 0) content.zm = content.em * random_.Between(5, 30) / 100;
    if (content.sm == 0) content.sm = random_.Between(100, 2000000);
    content.pz = content.zp + content.em + content.sm;
    if (content.currentPrice == 0) content.currentPrice = content.pz * random_.Between(550, 950) / 100;
    if (content.currentZm == 0) content.currentZm = content.zm * random_.Between(600, 1100) / 100 + 1;
    const int executions = static_cast<int>(random_.Between(3, 5));
    for (int e = content.executionCount; e < executions; ++e) {
      content.executions[static_cast<std::size_t>(e)] = {
          random_.Pick(acts_.Acts()).code, std::max<std::int64_t>(1, content.quantity * random_.Between(5, 30) / 100)};
    }
    content.executionCount = std::max(content.executionCount, executions);
  } else if (shape_ == Shape::kSparse) {
    content.region = "";
    content.comment = {};
    content.k.fill(0);
    content.em = content.zm = content.currentZm = 0;
    if (!IsPriceCollection(content.collection)) content.sm = 0;
    content.pz = content.zp + content.sm;
    if (!random_.Percent(20)) content.currentPrice = 0;
    if (content.executionCount > 1) content.executionCount = 1;
    if (content.executionCount == 1 && !random_.Percent(20)) content.executionCount = 0;
  }
}

void PositionContentMaker::ChooseDenseResources(PositionContent& content) {
  AddLabour(content);
  const std::vector<ResourceText>& machineList = vocabulary_.Machines();
  const int machines = static_cast<int>(random_.Between(1, 2));
  const std::int64_t firstMachine = random_.Between(0, static_cast<std::int64_t>(machineList.size()) - 1);
  for (int m = 0; m < machines; ++m) {
    const ResourceText& machine = machineList[static_cast<std::size_t>(firstMachine + m) % machineList.size()];
    AddResource(content, machine, random_.Between(500, 30000), random_.Between(500, 2500));
  }
  AddResource(content, vocabulary_.Machinists(), random_.Between(900, 1400), random_.Between(500, 2500));
  const std::vector<ResourceText>& materialList = vocabulary_.Materials();
  const int materials = static_cast<int>(random_.Between(2, 4));
  const std::int64_t firstMaterial = random_.Between(0, static_cast<std::int64_t>(materialList.size()) - 1);
  for (int m = 0; m < materials; ++m) {
    const ResourceText& material = materialList[static_cast<std::size_t>(firstMaterial + m) % materialList.size()];
    AddResource(content, material, random_.Between(50, 300000), random_.Between(1, 500));
  }
  for (int i = content.resourceCount - 1; i > 0; --i) {
    std::swap(content.resources[static_cast<std::size_t>(i)],
              content.resources[static_cast<std::size_t>(random_.Between(0, i))]);
  }
}

// At most one resource, a material or the plain labour, without machinist's price.
void PositionContentMaker::ChooseSparseResources(PositionContent& content) {
  const int draw = static_cast<int>(random_.Between(0, 99));
  if (draw < 35) {
    AddResource(content, random_.Pick(vocabulary_.Materials()), random_.Between(50, 300000), 0);
  } else if (draw < 60) {
    const LabourGrade& grade = random_.Pick(vocabulary_.LabourGrades());
    ResourceLine& line = content.resources[static_cast<std::size_t>(content.resourceCount++)];
    line = {grade.code, vocabulary_.LabourPlain(), {}, random_.Between(1, 500000) * 100, random_.Between(800, 1300), 0};
  }
}

// Oddities that need an executed row: one naming a missing act, one with a
// blank FACT, one that only a missing ID 1 link lets the converter look for.
void PositionContentMaker::AddOddExecution(PositionOddity oddity, PositionContent& content) {
  if (oddity != PositionOddity::kMissingAct && oddity != PositionOddity::kBlankNumbers &&
      oddity != PositionOddity::kNoExecLink) {
    return;
  }
  const std::int64_t act = oddity == PositionOddity::kMissingAct ? acts_.MissingCode() : acts_.Acts()[0].code;
  content.executions[0] = {act, content.quantity / 2 + 1};
  content.executionCount = std::max(content.executionCount, 1);
}

void PositionContentMaker::ChooseWork(PositionContent& content) {
  const std::vector<WorkText>& works = vocabulary_.Works(content.collection);
  const auto index = static_cast<std::size_t>(random_.Between(0, static_cast<std::int64_t>(works.size()) - 1));
  content.work = &works[index];
  if (IsPriceCollection(content.collection)) {
    const ResourceText& material = vocabulary_.Materials()[index];
    content.rateCodeLength = std::min(material.code.size(), content.rateCode.size());
    std::copy_n(material.code.data(), content.rateCodeLength, content.rateCode.data());
    AddResource(content, material, 0, 0);
    content.resources[0].norm = 1000000;
    return;
  }
  const auto [first, last] = RateBookRange(content.collection);
  const int length = std::snprintf(content.rateCode.data(), content.rateCode.size(), "%02d-%02d-%03d-%02d",
                                   static_cast<int>(random_.Between(first, last)),
                                   static_cast<int>(random_.Between(1, 20)),
                                   static_cast<int>(random_.Between(1, 120)),
                                   static_cast<int>(random_.Between(1, 12)));
  content.rateCodeLength = static_cast<std::size_t>(length);
}

void PositionContentMaker::ChoosePrices(PositionContent& content) {
  const bool material = IsPriceCollection(content.collection);
  content.zp = material ? 0 : random_.Between(500, 500000);
  content.em = material || random_.Percent(30) ? 0 : random_.Between(100, 300000);
  content.zm = content.em * random_.Between(5, 30) / 100;
  content.sm = !material && random_.Percent(40) ? 0 : random_.Between(100, 2000000);
  content.pz = content.zp + content.em + content.sm;
  if (material) content.resources[0].price = content.sm;
  const int draw = static_cast<int>(random_.Between(0, 99));
  content.currentPrice = draw < 75 ? content.pz * random_.Between(550, 950) / 100 : 0;
  content.currentZm = draw < 75 ? content.zm * random_.Between(600, 1100) / 100
                      : draw < 80 ? random_.Between(100, 10000) : 0;
}

void PositionContentMaker::ChooseCoefficients(PositionContent& content) {
  content.k.fill(0);
  if (!random_.Percent(30)) return;
  for (std::int64_t& k : content.k) {
    if (random_.Percent(50)) k = random_.Pick(kCoefficients);
  }
  if (std::all_of(content.k.begin(), content.k.end(), [](std::int64_t k) { return k == 0; })) {
    content.k[0] = random_.Pick(kCoefficients);
  }
}

void PositionContentMaker::ChooseResources(PositionContent& content) {
  if (random_.Percent(90)) AddLabour(content);
  const std::vector<ResourceText>& machineList = vocabulary_.Machines();
  const int machines = static_cast<int>(random_.Between(0, 2));
  const std::int64_t firstMachine = random_.Between(0, static_cast<std::int64_t>(machineList.size()) - 1);
  for (int m = 0; m < machines; ++m) {
    const ResourceText& machine = machineList[static_cast<std::size_t>(firstMachine + m) % machineList.size()];
    AddResource(content, machine, random_.Between(500, 30000), random_.Percent(70) ? random_.Between(500, 2500) : 0);
  }
  if (machines > 0 && random_.Percent(80)) {
    AddResource(content, vocabulary_.Machinists(), random_.Percent(50) ? 0 : random_.Between(900, 1400), 0);
  }
  const std::vector<ResourceText>& materialList = vocabulary_.Materials();
  const int materials = static_cast<int>(random_.Between(0, 2));
  const std::int64_t firstMaterial = random_.Between(0, static_cast<std::int64_t>(materialList.size()) - 1);
  for (int m = 0; m < materials || content.resourceCount < 2; ++m) {
    const ResourceText& material = materialList[static_cast<std::size_t>(firstMaterial + m) % materialList.size()];
    AddResource(content, material, random_.Between(50, 300000), 0);
  }
  // Mixed kind order, as the estimate program stores them.
  for (int i = content.resourceCount - 1; i > 0; --i) {
    std::swap(content.resources[static_cast<std::size_t>(i)],
              content.resources[static_cast<std::size_t>(random_.Between(0, i))]);
  }
}

void PositionContentMaker::AddResource(PositionContent& content, const ResourceText& text,
                                       std::int64_t price, std::int64_t machinistPrice) {
  ResourceLine& line = content.resources[static_cast<std::size_t>(content.resourceCount++)];
  line = {text.code, text.name, {}, random_.Between(1, 500000) * 100, price, machinistPrice};
}

void PositionContentMaker::AddLabour(PositionContent& content) {
  const LabourGrade& grade = random_.Pick(vocabulary_.LabourGrades());
  const bool named = random_.Percent(70);
  ResourceLine& line = content.resources[static_cast<std::size_t>(content.resourceCount++)];
  line = {grade.code, named ? vocabulary_.LabourWithGrade() : vocabulary_.LabourPlain(),
          named ? std::string_view(grade.grade) : std::string_view(),
          random_.Between(1, 500000) * 100, random_.Between(800, 1300), 0};
}

void PositionContentMaker::ChooseExecutions(PositionContent& content) {
  if (!random_.Percent(55)) return;
  content.executionCount = static_cast<int>(random_.Between(1, 3));
  for (int e = 0; e < content.executionCount; ++e) {
    content.executions[static_cast<std::size_t>(e)] = {
        random_.Pick(acts_.Acts()).code, std::max<std::int64_t>(1, content.quantity * random_.Between(10, 60) / 100)};
  }
}

void PositionContentMaker::ChooseRates(const PlannedRow& row, PositionContent& content) {
  const int draw = static_cast<int>(random_.Between(0, 99));
  const bool overhead = row.needsBothRates || draw < 70;
  const bool profit = row.needsBothRates || draw < 50 || (draw >= 70 && draw < 80);
  auto add = [&content](int code, std::int64_t value) {
    content.rates[static_cast<std::size_t>(content.rateCount++)] = {code, value};
  };
  if (shape_ == Shape::kDense && row.oddity != PositionOddity::kOddRates) {
    add(44, random_.Between(10, 50) * 1000);
    add(kOverheadCode, random_.Between(7000, 15500) * 100);
    add(kProfitCode, random_.Between(4000, 9500) * 100);
    add(50, 10000);
    return;
  }
  if (shape_ == Shape::kSparse && row.oddity != PositionOddity::kOddRates) {
    if (row.needsBothRates || draw < 30) add(kOverheadCode, random_.Between(7000, 15500) * 100);
    if (row.needsBothRates) add(kProfitCode, random_.Between(4000, 9500) * 100);
    return;
  }
  if (random_.Percent(25)) add(44, random_.Between(10, 50) * 1000);
  if (row.oddity == PositionOddity::kOddRates) {
    add(kOverheadCode, 0);
    add(kProfitCode, -random_.Between(4000, 9500) * 100);
    return;
  }
  if (overhead) add(kOverheadCode, random_.Between(7000, 15500) * 100);
  if (profit) add(kProfitCode, random_.Between(4000, 9500) * 100);
  if (random_.Percent(15)) add(50, 10000);
}

int PositionContentMaker::NextWorkType() {
  const bool introduce = workTypeCount_ == 0 ||
                         (workTypeCount_ < static_cast<int>(workTypes_.size()) && random_.Percent(25));
  if (introduce) {
    const int last = workTypeCount_ == 0 ? 0 : workTypes_[static_cast<std::size_t>(workTypeCount_ - 1)];
    workTypes_[static_cast<std::size_t>(workTypeCount_++)] = last + static_cast<int>(random_.Between(1, 4));
    return workTypes_[static_cast<std::size_t>(workTypeCount_ - 1)];
  }
  return workTypes_[static_cast<std::size_t>(random_.Between(0, workTypeCount_ - 1))];
}

}  // namespace ranta2kv::gen
