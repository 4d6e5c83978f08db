// Acts one a month, dated on a working day late in the month; codes step by
// three, so the code between two acts is free for an act that is missing.
#include "tools/gen/act_calendar.h"

#include "tools/gen/estimate_layout.h"

namespace ranta2kv::gen {

ActCalendar::ActCalendar(RandomSource& random, DbfDate lastUpdate, std::int64_t firstCode)
    : missingCode_(firstCode + 1) {
  const int count = static_cast<int>(random.Between(3, 12));
  const int lastMonth = lastUpdate.year * 12 + (lastUpdate.month - 1);
  for (int k = 0; k < count; ++k) {
    const int month = lastMonth - count + k;
    const DbfDate date{month / 12, month % 12 + 1, static_cast<int>(random.Between(20, 28))};
    acts_.push_back({firstCode + 3 * k, date});
  }
}

void ActCalendar::Write(DbfWriter& table, bool edge) const {
  for (const Act& act : acts_) {
    table.SetInteger(acts::CODE, act.code);
    table.SetDate(acts::DATE, act.date);
    table.EndRecord();
  }
  if (!edge) return;
  table.SetInteger(acts::CODE, acts_[0].code);
  table.SetDate(acts::DATE, {acts_[0].date.year + 1, 1, 15});
  table.EndRecord();
  table.MarkDeleted();
  table.SetInteger(acts::CODE, acts_[1].code);
  table.SetDate(acts::DATE, {acts_[1].date.year - 1, 6, 30});
  table.EndRecord();
}

}  // namespace ranta2kv::gen
