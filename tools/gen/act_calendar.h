// The completion acts of a generated estimate: one act a month up to the date
// of the tables, each with its ACTS.CODE, and the writing of ACTS.DBF.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/gen/dbf_writer.h"
#include "tools/gen/random_source.h"

namespace ranta2kv::gen {

struct Act {
  std::int64_t code;  // ACTS.CODE
  DbfDate date;       // ACTS.DATE
};

class ActCalendar {
 public:
  // Three to twelve acts in the months before lastUpdate, codes from firstCode up.
  ActCalendar(RandomSource& random, DbfDate lastUpdate, std::int64_t firstCode);

  const std::vector<Act>& Acts() const { return acts_; }
  // A code that no act has.
  std::int64_t MissingCode() const { return missingCode_; }

  // Edge mode adds a second active row with the code of the first act (later in
  // the file, another date) and a deleted copy of the second act.
  void Write(DbfWriter& table, bool edge) const;

 private:
  std::vector<Act> acts_;
  std::int64_t missingCode_;
};

}  // namespace ranta2kv::gen
