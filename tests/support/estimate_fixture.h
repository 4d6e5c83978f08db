// Hand-made estimates for the pass tests: rows of the seven tables in the
// reference layout, written as dBase III files with code page 866 texts. Texts
// are given in UTF-8.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ranta2kv::test {

struct SmetaRow {
  std::int64_t code = 0;
  int id = 3;  // 0 header, 1 path chapter, 2 chapter, 3 position
  int udal = 0;
  std::string nomer, name1, name;
  std::string princode, osnov, zak, pod;
  bool deleted = false;
};
struct PosToolsRow {
  std::int64_t poscode = 0;
  int id = 0;  // 0 resource link, 1 execution link
  std::int64_t code = 0;
};
struct PosextRow {
  std::int64_t code = 0;
  std::string typesbor = "ER", region = "1", coderasc = "01-01-001-01";
  double q = 1;
  std::string ej = "м3", prim = "*примечание";
  int opred = 1;
  double pz = 0, zp = 0, em = 0, zm = 0, sm = 0, curcena = 0, curzpm = 0;
  double kpz = 0, kzp = 0, kem = 0, kzm = 0, ksm = 0;
};
struct ResourceRowSpec {
  std::int64_t code = 0;
  std::string res, resname;
  double normras = 0, priceres = 0, pricmash = 0;
};
struct ExecuteRow {
  std::int64_t code = 0, aktcode = 0;
  double fact = 0;
};
struct ActRow {
  std::int64_t code = 0;
  std::string date;  // YYYYMMDD
};
struct ParamRow {
  std::string id;
  int code = 0;
  double param = 0;
};

struct EstimateTables {
  std::vector<SmetaRow> smeta;
  std::vector<PosToolsRow> postools;
  std::vector<PosextRow> posext;
  std::vector<ResourceRowSpec> restbl;
  std::vector<ExecuteRow> execute;
  std::vector<ActRow> acts;
  std::vector<ParamRow> params;

  // A position row with its ID 0 link (tool code = 10000 + code), its ID 1 link
  // (20000 + code) and a POSEXT row; returns the POSEXT row to adjust.
  PosextRow& AddPosition(std::int64_t code, const std::string& number, const std::string& name);

  void WriteTo(const std::filesystem::path& folder) const;
};

}  // namespace ranta2kv::test
