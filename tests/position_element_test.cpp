// Tests of the position rendered straight from its values: for positions of
// every kind of content (texts that the clean-up rule trims or escapes, numbers
// of every scale and sign, resources of every kind in any order, coefficients,
// rates, acts, work types of every value type) the bytes are those of the
// document model's nodes built by the document's own operations, with either
// separator.
#include "convert/position_element.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/date_time.h"
#include "estimate/estimate_document.h"
#include "tests/support/position_nodes.h"

namespace ranta2kv {
namespace {

class Random {
 public:
  explicit Random(unsigned seed) : engine_(seed) {}
  int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }
  bool Chance(int percent) { return Int(1, 100) <= percent; }

  // Texts with what the clean-up rule and the escapes meet: blanks around,
  // en dashes and no-break spaces, markup characters, controls, 0x98.
  std::string Text() {
    static const std::vector<std::string> pieces = {
        "Смета"_cp1251.data(), "Кирпич", " ", "  ", "&", "<", ">", "\"", "'", "\t", "\r\n", "\x96", "\xA0",
        "\x01", "\x98", "12,5", "1-100", "со средним разрядом 3.5"_cp1251.data(), "ЛС-02"_cp1251.data()};
    std::string text;
    for (int n = Int(0, 6); n > 0; --n) text += pieces[Int(0, static_cast<int>(pieces.size()) - 1)];
    if (Chance(20)) text += std::string(Int(1, 30), ' ');
    return text;
  }
  DecimalNumber Number() {
    switch (Int(0, 5)) {
      case 0: return DecimalNumber(0.0);
      case 1: return DecimalNumber(-0.0);
      case 2: {  // as read from a table: its digits and decimals
        const int scale = Int(0, 9);
        const std::int64_t digits = Int(-2000000, 2000000);
        double value = static_cast<double>(digits);
        for (int i = 0; i < scale; ++i) value /= 10;
        return DecimalNumber(value, digits, scale);
      }
      case 3: return DecimalNumber(Int(-500, 500) / 7.0);
      case 4: return DecimalNumber(Int(1, 9) * 1e17 * (Chance(50) ? 1 : -1));
      default: return DecimalNumber(Int(-100000, 100000) / 1000.0);
    }
  }
  Variant WorkType() {
    switch (Int(0, 4)) {
      case 0: return Variant(Int(-5, 2000));
      case 1: return Variant(Text());
      case 2: return Variant::Null();
      case 3: return Variant(Int(0, 100) / 8.0);
      default: return Variant();
    }
  }

 private:
  std::mt19937 engine_;
};

PositionData RandomPosition(Random& random) {
  PositionData data;
  PositionRow& row = data.row;
  row.caption = random.Text();
  row.number = random.Int(-3, 100000);
  row.code = random.Text();
  row.quantity = random.Number();
  row.units = random.Text();
  row.comment = random.Text();
  row.workType = random.WorkType();
  row.prices = {random.Number(), random.Number(), random.Number(), random.Number(), random.Number(),
                random.Chance(50) ? random.Number() : 0.0, random.Chance(50) ? random.Number() : 0.0};
  static const std::vector<std::string> codes = {"1-100", "1-1", "1-2345", "3", "1", "-", "12-3", "ТССЦ-1"_cp1251.data(),
                                                 "", "4.1-1", "2"};
  for (int n = random.Int(0, 9); n > 0; --n) {
    data.resources.push_back({codes[random.Int(0, static_cast<int>(codes.size()) - 1)], random.Text(), random.Number(),
                              random.Chance(60) ? random.Number() : 0.0, random.Chance(60) ? random.Number() : 0.0});
  }
  if (random.Chance(50)) {
    data.coefficients = {random.Chance(50) ? random.Number() : 0.0, random.Chance(50) ? random.Number() : 0.0,
                         random.Chance(50) ? random.Number() : 0.0, random.Chance(50) ? random.Number() : 0.0,
                         random.Chance(50) ? random.Number() : 0.0};
  }
  if (random.Chance(40)) data.overhead = random.Number();
  if (random.Chance(40)) data.profit = random.Number();
  for (int n = random.Int(0, 3); n > 0; --n) {
    data.executed.push_back({EncodeDate(random.Int(1990, 2030), random.Int(1, 12), random.Int(1, 28)), random.Number()});
  }
  return data;
}

std::string Rendered(const PositionData& data, char separator) {
  StringXmlSink sink;
  sink.BeginElement("Chapter");
  sink.EndStartTag();
  RenderPosition(data, sink, separator);
  return sink.Text();
}

std::string BuiltAsNodes(const PositionData& data, char separator) {
  TXML_Estimate_Document document;
  std::unique_ptr<TXML_Estimate_Position> position = test::BuildPosition(document, data);
  StringXmlSink sink;
  sink.BeginElement("Chapter");
  sink.EndStartTag();
  position->AppendToDOM(sink, separator);
  return sink.Text();
}

TEST(PositionElementTest, BytesOfTheDocumentModelsNodesForPositionsOfEveryKind) {
  Random random(20261210);
  for (int i = 0; i < 3000; ++i) {
    const PositionData data = RandomPosition(random);
    for (char separator : {',', '.'}) {
      const std::string expected = BuiltAsNodes(data, separator);
      ASSERT_EQ(Rendered(data, separator), expected) << "position " << i;
    }
  }
}

}  // namespace
}  // namespace ranta2kv
