// Fuzz target: one DBF table from the input bytes. Opens it, walks it in file
// order reading every field with every accessor, then builds a key index on
// the fields (the first of each value kind, and the last, so that a header of
// hundreds of fields stays fast) and walks, locates and limits in key order,
// reading the key field, and every field of the records it finds. The reader
// may refuse a file only with its own Error; anything else is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "fuzz/fuzz_folder.h"
#include "source/dbf/dbf_table.h"

namespace {

using ranta2kv::DbfField;
using ranta2kv::DbfTable;
using ranta2kv::Error;
using ranta2kv::Variant;

// Keeps the reads from being optimised away.
volatile std::size_t sink;

void ReadField(const DbfField& field) {
  std::size_t seen = field.Bytes().size() + field.IsNull();
  seen += field.AsString().size();
  seen += static_cast<std::size_t>(field.AsInteger());
  seen += static_cast<std::size_t>(field.AsLargeInteger());
  seen += field.AsNumber() > 0;
  seen += field.AsLogical();
  seen += field.AsDateTime() > 0;
  seen += field.AsVariant().ToText(',').size();
  sink = seen;
}

void ReadRecord(const DbfTable& table) {
  sink = static_cast<std::size_t>(table.RecordNumber()) + table.Deleted();
  for (const DbfField& field : table.Fields()) ReadField(field);
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "table check failed: %s\n", what);
  std::abort();
}

// A file-order walk meets records 1, 2, ... RecordCount.
void WalkAll(DbfTable& table) {
  std::int64_t expected = 1;
  for (table.First(); !table.AtEnd(); table.Next(), ++expected) {
    if (table.RecordNumber() != expected) Fail("the file-order walk skipped or repeated a record");
    ReadRecord(table);
  }
  if (expected - 1 != table.RecordCount()) Fail("the file-order walk did not meet RecordCount records");
}

// A key-order walk; the values were read every way in file order already.
// Returns the records met, in order.
std::vector<std::int64_t> WalkKeys(DbfTable& table, const DbfField& key) {
  std::vector<std::int64_t> met;
  for (table.First(); !table.AtEnd(); table.Next()) {
    sink = key.Bytes().size();
    met.push_back(table.RecordNumber());
  }
  return met;
}

// Without a range, the key order meets every record exactly once.
void CheckWholeKeyWalk(std::vector<std::int64_t> met, std::int64_t recordCount) {
  std::sort(met.begin(), met.end());
  if (static_cast<std::int64_t>(met.size()) != recordCount) Fail("the key-order walk missed or added records");
  for (std::size_t i = 0; i < met.size(); ++i) {
    if (met[i] != static_cast<std::int64_t>(i) + 1) Fail("the key-order walk repeated a record");
  }
}

// A look-up that the value's conversion may refuse with the variant error.
template <typename LookUp>
void TryLookUp(LookUp lookUp) {
  try {
    lookUp();
  } catch (const Error&) {
  }
}

// Key-order walk, then look-ups by the values of the first and last records
// (index path), by text, and on two fields (scan path).
void ExerciseIndex(DbfTable& table, const std::string& name) {
  table.Open();
  const DbfField& key = table.FieldNamed(name);
  CheckWholeKeyWalk(WalkKeys(table, key), table.RecordCount());
  std::vector<Variant> probes{Variant(std::int64_t{12}), Variant("3+12"), Variant::Null()};
  table.First();
  if (!table.AtEnd()) {
    probes.push_back(table.FieldNamed(name).AsVariant());
    probes.push_back(Variant(table.FieldNamed(name).AsString()));
  }
  for (const Variant& probe : probes) {
    TryLookUp([&] {
      if (table.LocateRecord(name, probe)) ReadRecord(table);
    });
    TryLookUp([&] {
      table.LimitToKey(name, probe);
      WalkKeys(table, key);
    });
  }
  const std::string& other = table.Fields().front().Name();
  TryLookUp([&] {
    if (table.LocateRecord(name + ";" + other, {probes.back(), probes.front()})) ReadRecord(table);
  });
  table.Close();
}

// The first field of each value kind, and the last field.
std::vector<std::string> KeyFields(const std::vector<DbfField>& fields) {
  std::vector<std::string> names;
  std::set<ranta2kv::DbfValueKind> kinds;
  for (const DbfField& field : fields) {
    if (kinds.insert(field.Kind()).second) names.push_back(field.Name());
  }
  if (!fields.empty()) names.push_back(fields.back().Name());
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ranta2kv::fuzz::ScratchDirectory scratch("ranta2kv-fuzz-table");
  static const std::filesystem::path file = scratch.Path() / "FUZZ.DBF";
  ranta2kv::fuzz::WriteFileBytes(file, std::string_view(reinterpret_cast<const char*>(data), size));

  DbfTable table("FuzzTable", ',');
  table.SetFileName(file);
  try {
    table.Open();
  } catch (const Error&) {
    return 0;
  }
  WalkAll(table);
  sink = static_cast<std::size_t>(table.RecordCount());
  const std::vector<std::string> names = KeyFields(table.Fields());
  table.Close();
  for (const std::string& name : names) {
    try {
      table.BuildKeyIndex(name);
    } catch (const Error&) {
      continue;  // a field that cannot be found by its own name (an empty or duplicate one)
    }
    ExerciseIndex(table, name);
  }
  return 0;
}
