// The words of a generated estimate: captions of works by collection type,
// units, chapter and header texts, resources with their codes, comments. Held
// in code page 866, converted once from the UTF-8 texts of the source.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace ranta2kv::gen {

// The collection types of POSEXT.TYPESBOR, in this order.
enum class Collection { kCN, kCL, kER, kVR, kCT, kMO };
inline constexpr int kCollectionCount = 6;
std::string_view CollectionCode(Collection collection);  // "CN", "CL", ...

struct WorkText {
  std::string name;  // SMETA.NAME of the position
  std::string unit;  // POSEXT.EJ
};

struct ResourceText {
  std::string code;  // RESTBL.RES
  std::string name;  // RESTBL.RESNAME
};

struct LabourGrade {
  std::string code;   // "1-38", "1-4", ...
  std::string grade;  // "3,8", "4", ... as written after "со средним разрядом "
};

class Vocabulary {
 public:
  Vocabulary();

  const std::vector<WorkText>& Works(Collection collection) const;
  const std::vector<LabourGrade>& LabourGrades() const { return labourGrades_; }
  const std::string& LabourWithGrade() const { return labourWithGrade_; }  // ends in a blank
  const std::string& LabourPlain() const { return labourPlain_; }
  const ResourceText& Machinists() const { return machinists_; }
  const std::vector<ResourceText>& Materials() const { return materials_; }
  const std::vector<ResourceText>& Machines() const { return machines_; }
  const std::vector<std::string>& Sections() const { return sections_; }
  const std::vector<std::string>& PathSections() const { return pathSections_; }
  const std::string& SectionWord() const { return sectionWord_; }  // "Раздел "
  const std::vector<std::string>& Comments() const { return comments_; }  // marker first
  const std::vector<std::string>& Grounds() const { return grounds_; }      // OSNOV
  const std::vector<std::string>& Customers() const { return customers_; }  // ZAK
  const std::vector<std::string>& Contractors() const { return contractors_; }  // POD
  const std::string& EstimatePrefix() const { return estimatePrefix_; }  // "ЛС-"
  const std::string& Totals() const { return totals_; }  // caption of the rows of kind 7

 private:
  std::array<std::vector<WorkText>, kCollectionCount> works_;
  std::vector<LabourGrade> labourGrades_;
  std::string labourWithGrade_;
  std::string labourPlain_;
  ResourceText machinists_;
  std::vector<ResourceText> materials_;
  std::vector<ResourceText> machines_;
  std::vector<std::string> sections_;
  std::vector<std::string> pathSections_;
  std::string sectionWord_;
  std::vector<std::string> comments_;
  std::vector<std::string> grounds_;
  std::vector<std::string> customers_;
  std::vector<std::string> contractors_;
  std::string estimatePrefix_;
  std::string totals_;
};

}  // namespace ranta2kv::gen
