// Dates as the variant keeps them: days since 30 December 1899 (the zero date),
// with the Gregorian calendar's leap years.
#pragma once

namespace ranta2kv {

bool IsValidDate(int year, int month, int day);
double EncodeDate(int year, int month, int day);  // requires a valid date
void DecodeDate(double days, int& year, int& month, int& day);

}  // namespace ranta2kv
