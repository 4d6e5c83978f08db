// Rules that both conversion passes apply to the rows of the estimate and the
// values of a position: the kind of an estimate row, integers from text, the
// collection prefix of a rate code, the kind and code of a resource, the work
// class in a resource name, the PARAMS key and the comment.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ranta2kv {

// The kind of a row of the estimate table SMETA, its field ID; any other value
// is a row the walk passes over.
enum class SmetaRowKind : std::int32_t {
  Header = 0,       // names the output file and fills three signs
  PathChapter = 1,  // opens a chapter under which the next chapters nest
  Chapter = 2,
  Position = 3,
};

// A decimal integer with an optional sign; blanks and control characters around
// it are ignored. Anything else, or a number outside 32 bits, gives 0.
std::int32_t IntegerOfText(std::string_view text);

// The prefix for a collection type and region (both trimmed). An unknown type
// gives nullopt (no prefix; the caller logs it); an empty region clears the prefix.
std::optional<std::string> CollectionPrefix(std::string_view typesbor, std::string_view region);

// Resource node index by code (0 "Tzr", 1 "Tzm", 2 "Mch", 3 "Mat") and the code as
// written: a labour code "1-..." of three characters gains "-0", a longer one a "-"
// before its fourth character (an insert past the end appends).
struct ResourceKind {
  std::uint8_t index;
  std::string code;
};
ResourceKind ClassifyResource(std::string code);

// The part of a resource name after "со средним разрядом ", or nullopt.
std::optional<std::string> WorkClassOf(std::string_view caption);

// "3+" and the row code, padded with blanks to 20 characters.
std::string ParamKey(std::int32_t rowCode);

// The comment without its first character (the marker); empty stays empty.
std::string CommentWithoutMarker(std::string_view text);

// Log texts.
std::string UnknownCollectionMessage(std::string_view typesbor, std::string_view coderasc);
std::string RowMessage(std::string_view format, std::int64_t rowNumber);

}  // namespace ranta2kv
