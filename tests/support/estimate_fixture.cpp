// Hand-made estimates for the pass tests.
#include "tests/support/estimate_fixture.h"

#include <cstdio>

#include "common/codepage.h"
#include "tests/support/dbf_builder.h"

namespace ranta2kv::test {
namespace {

std::string Number(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}
std::string Int(std::int64_t value) { return std::to_string(value); }

}  // namespace

PosextRow& EstimateTables::AddPosition(std::int64_t code, const std::string& number,
                                       const std::string& name) {
  smeta.push_back({.code = code, .id = 3, .nomer = number, .name = name});
  postools.push_back({code, 0, 10000 + code});
  postools.push_back({code, 1, 20000 + code});
  posext.push_back({.code = code});
  return posext.back();
}

void EstimateTables::WriteTo(const std::filesystem::path& folder) const {
  auto t = [](const std::string& utf8) { return Utf8ToCp866(utf8); };
  DbfBuilder s;
  s.Field("CODE", 'N', 10).Field("ID", 'N', 2).Field("UDAL", 'N', 1).Field("PRINCODE", 'C', 20)
      .Field("OSNOV", 'C', 254).Field("ZAK", 'C', 254).Field("POD", 'C', 254)
      .Field("NAME1", 'C', 254).Field("NOMER", 'C', 10).Field("NAME", 'C', 400);
  for (const SmetaRow& r : smeta) {
    s.Record({Int(r.code), Int(r.id), Int(r.udal), t(r.princode), t(r.osnov), t(r.zak), t(r.pod),
              t(r.name1), t(r.nomer), t(r.name)},
             r.deleted);
  }
  s.WriteTo(folder / "SMETA.DBF");

  DbfBuilder pt;
  pt.Field("POSCODE", 'N', 10).Field("ID", 'N', 2).Field("CODE", 'N', 10);
  for (const PosToolsRow& r : postools) pt.Record({Int(r.poscode), Int(r.id), Int(r.code)});
  pt.WriteTo(folder / "POSTOOLS.DBF");

  DbfBuilder pe;
  pe.Field("CODE", 'N', 10).Field("TYPESBOR", 'C', 2).Field("REGION", 'C', 2)
      .Field("CODERASC", 'C', 30).Field("Q", 'N', 15, 6).Field("EJ", 'C', 30)
      .Field("PRIM", 'C', 254).Field("OPRED", 'N', 4);
  for (const char* name : {"PZ", "ZP", "EM", "ZM", "SM", "CURCENA", "CURZPM"}) pe.Field(name, 'N', 15, 2);
  for (const char* name : {"KPZ", "KZP", "KEM", "KZM", "KSM"}) pe.Field(name, 'N', 10, 4);
  for (const PosextRow& r : posext) {
    pe.Record({Int(r.code), t(r.typesbor), t(r.region), t(r.coderasc), Number(r.q, 6), t(r.ej),
               t(r.prim), Int(r.opred), Number(r.pz, 2), Number(r.zp, 2), Number(r.em, 2),
               Number(r.zm, 2), Number(r.sm, 2), Number(r.curcena, 2), Number(r.curzpm, 2),
               Number(r.kpz, 4), Number(r.kzp, 4), Number(r.kem, 4), Number(r.kzm, 4),
               Number(r.ksm, 4)});
  }
  pe.WriteTo(folder / "POSEXT.DBF");

  DbfBuilder rt;
  rt.Field("CODE", 'N', 10).Field("RES", 'C', 20).Field("RESNAME", 'C', 254)
      .Field("NORMRAS", 'N', 15, 6).Field("PRICERES", 'N', 15, 2).Field("PRICMASH", 'N', 15, 2);
  for (const ResourceRowSpec& r : restbl) {
    rt.Record({Int(r.code), t(r.res), t(r.resname), Number(r.normras, 6), Number(r.priceres, 2),
               Number(r.pricmash, 2)});
  }
  rt.WriteTo(folder / "RESTBL.DBF");

  DbfBuilder ex;
  ex.Field("CODE", 'N', 10).Field("AKTCODE", 'N', 10).Field("FACT", 'N', 15, 6);
  for (const ExecuteRow& r : execute) ex.Record({Int(r.code), Int(r.aktcode), Number(r.fact, 6)});
  ex.WriteTo(folder / "EXECUTE.DBF");

  DbfBuilder ac;
  ac.Field("CODE", 'N', 10).Field("DATE", 'D', 8);
  for (const ActRow& r : acts) ac.Record({Int(r.code), r.date});
  ac.WriteTo(folder / "ACTS.DBF");

  DbfBuilder pa;
  pa.Field("ID", 'C', 20).Field("CODE", 'N', 4).Field("PARAM", 'N', 15, 4);
  for (const ParamRow& r : params) pa.Record({r.id, Int(r.code), Number(r.param, 4)});
  pa.WriteTo(folder / "PARAMS.DBF");
}

}  // namespace ranta2kv::test
