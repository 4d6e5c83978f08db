// Number texts of the system: the general 15-digit form of floating values used in
// the output and in field texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ranta2kv {

// At most 15 significant digits, trailing zeros dropped, fixed notation for
// 1e-4 <= |v| < 1e15 after rounding (and for zero), else scientific as 1E-5,
// 1.5E20, -2.5E-7. No grouping; decimalSeparator as given.
std::string FormatGeneralNumber(double value, char decimalSeparator);

// The longest text FormatGeneralNumber gives ("-1.23456789012345E-308" and the like).
inline constexpr std::size_t kMaxGeneralNumberLength = 24;
// The same text written to out, which holds at least kMaxGeneralNumberLength
// bytes; returns its length. Allocates nothing (the XML writer's path).
std::size_t FormatGeneralNumberTo(double value, char decimalSeparator, char* out);
// The same text for the value scaled / 10^scale (scale 0..9), from the integer's
// digits alone when they say it exactly (the text of a value read as a decimal).
std::size_t FormatScaledDecimalTo(std::int64_t scaled, int scale, char decimalSeparator, char* out);

}  // namespace ranta2kv
