// Rules that both conversion passes apply to the values of a position.
#include "convert/position_rules.h"

#include <algorithm>
#include <limits>

#include "common/codepage.h"
#include "common/text.h"

namespace ranta2kv {

std::int32_t IntegerOfText(std::string_view text) {
  std::string trimmed = TrimControlAndBlanks(text);
  std::string_view digits = trimmed;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return 0;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return 0;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) return 0;
  return static_cast<std::int32_t>(value);
}

std::optional<std::string> CollectionPrefix(std::string_view typesbor, std::string_view region) {
  struct Row {
    std::string_view type, federal, regional;
  };
  static constexpr Row kPrefixes[] = {
      {"CN", "ФССЦ-"_cp1251, "ТССЦ-"_cp1251}, {"CL", "ФССЦ-"_cp1251, "ТССЦ-"_cp1251},
      {"ER", "ФЕР"_cp1251, "ТЕР"_cp1251},     {"VR", "ФЕРр"_cp1251, "ТЕРр"_cp1251},
      {"CT", "ФЕРп"_cp1251, "ТЕРп"_cp1251},   {"MO", "ФЕРм"_cp1251, "ТЕРм"_cp1251},
  };
  for (const Row& row : kPrefixes) {
    if (row.type != typesbor) continue;
    if (region.empty()) return std::string();
    return std::string(region == "1" ? row.federal : row.regional);
  }
  return std::nullopt;
}

ResourceKind ClassifyResource(std::string code) {
  if (code.rfind("1-", 0) == 0) {
    if (code.size() == 3) {
      code += "-0";
    } else {
      code.insert(std::min<std::size_t>(3, code.size()), "-");
    }
    return {0, std::move(code)};
  }
  if (code == "3") return {1, std::move(code)};
  if (code.find('-') != std::string::npos) return {3, std::move(code)};
  return {2, std::move(code)};
}

std::optional<std::string> WorkClassOf(std::string_view caption) {
  constexpr std::string_view kPhrase = "со средним разрядом "_cp1251;
  std::size_t at = caption.find(kPhrase);
  if (at == std::string_view::npos) return std::nullopt;
  return std::string(caption.substr(at + kPhrase.size()));
}

std::string ParamKey(std::int32_t rowCode) {
  return PadRight("3+" + std::to_string(rowCode), 20, ' ');
}

std::string CommentWithoutMarker(std::string_view text) {
  if (text.empty()) return std::string();
  return std::string(text.substr(1));
}

std::string UnknownCollectionMessage(std::string_view typesbor, std::string_view coderasc) {
  std::string message("Тип сборника "_cp1251);
  message += typesbor;
  message += " для "_cp1251;
  message += coderasc;
  message += " не определен. "_cp1251;
  return message;
}

std::string RowMessage(std::string_view format, std::int64_t rowNumber) {
  std::string message(format);
  std::size_t at = message.find("%d");
  if (at != std::string::npos) message.replace(at, 2, std::to_string(rowNumber));
  return message;
}

}  // namespace ranta2kv
