// The oddities of the edge mode: each marks one position whose rows the
// generator writes broken or unusual in one way. Positions get them in turn,
// so every oddity occurs in an edge estimate of a few dozen positions or more.
#pragma once

#include <cstdint>

namespace ranta2kv::gen {

enum class PositionOddity : std::uint8_t {
  kNone,
  kNoToolLink,      // no POSTOOLS row at all
  kToolCodeZero,    // the POSTOOLS ID 0 link has CODE 0
  kNoPosext,        // no POSEXT row
  kUnknownType,     // TYPESBOR "ZZ"
  kLowerCaseType,   // TYPESBOR "er"
  kNoExecLink,      // no POSTOOLS ID 1 link; one EXECUTE row keyed by the ID 0 link instead
  kMissingAct,      // an EXECUTE row whose AKTCODE names no act
  kOddRates,        // overhead rate 0, profit rate negative
  kBlankNumbers,    // blank UDAL, Q, OPRED, PZ, NORMRAS, FACT and PARAM
  kOddTexts,        // leading blanks, CR/LF and no-break spaces in the texts
  kOneCharComment,  // PRIM of one character (the marker alone)
  kUdal,            // UDAL 1
  kDeleted,         // SMETA, POSEXT, RESTBL and PARAMS records marked deleted
  kDuplicateCode,   // the SMETA and POSEXT rows written twice with the same CODE
  kNegativeCode,    // a negative CODE
  kOutOfOrder,      // a CODE above all others, so the file is not in CODE order
  kBlankToolId,     // the POSTOOLS ID 0 link with a blank ID
  kGarbledCode,     // SMETA.CODE holding text that is no number
  kBlankCode,       // SMETA.CODE blank
};

inline constexpr int kPositionOddityCount = 19;

// The oddity of the position with the given 0-based ordinal: none in normal
// mode; in edge mode every third position, taking the oddities in turn.
constexpr PositionOddity OddityOfPosition(bool edge, std::int64_t ordinal) {
  if (!edge || ordinal % 3 != 2) return PositionOddity::kNone;
  return static_cast<PositionOddity>(1 + (ordinal / 3) % kPositionOddityCount);
}

}  // namespace ranta2kv::gen
