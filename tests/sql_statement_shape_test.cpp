// Tests of statement shapes: which literals are taken out as parameters, and
// which texts are left alone.
#include "source/sql/sql_statement_shape.h"

#include <gtest/gtest.h>

namespace ranta2kv {
namespace {

std::string ShapeText(std::string_view statement) {
  std::optional<StatementShape> shape = ShapeOf(statement);
  return shape ? shape->text : "(none)";
}

TEST(StatementShapeTest, StatementsOfThePassShareTheirShape) {
  EXPECT_EQ(ShapeText("SELECT * FROM POSTOOLS WHERE POSCODE=17 AND ID=0"),
            "SELECT * FROM POSTOOLS WHERE POSCODE=? AND ID=?");
  EXPECT_EQ(ShapeText("SELECT * FROM \"EXECUTE\" WHERE CODE=-1"), "SELECT * FROM \"EXECUTE\" WHERE CODE=?");
  EXPECT_EQ(ShapeText("SELECT * FROM PARAMS WHERE ID = '3+17                ' AND CODE=43"),
            "SELECT * FROM PARAMS WHERE ID = ? AND CODE=?");
}

TEST(StatementShapeTest, ValuesInOrder) {
  std::optional<StatementShape> shape =
      ShapeOf("SELECT * FROM T WHERE A = 'it''s' AND B>=+5 AND C!=-9223372036854775808");
  ASSERT_TRUE(shape);
  ASSERT_EQ(shape->values.size(), 3u);
  EXPECT_TRUE(shape->values[0].is_text);
  EXPECT_EQ(shape->values[0].text, "it's");
  EXPECT_FALSE(shape->values[1].is_text);
  EXPECT_EQ(shape->values[1].integer, 5);
  EXPECT_EQ(shape->values[2].integer, INT64_MIN);
}

TEST(StatementShapeTest, OnlyComparisonOperandsAreTakenOut) {
  EXPECT_EQ(ShapeText("SELECT 5, 'a' FROM T ORDER BY 1 LIMIT 3"), "(none)");
  EXPECT_EQ(ShapeText("SELECT * FROM T WHERE A IN (1, 2) AND B=C-1"), "(none)");
  EXPECT_EQ(ShapeText("SELECT * FROM T WHERE A=1 ORDER BY 2"), "SELECT * FROM T WHERE A=? ORDER BY 2");
}

TEST(StatementShapeTest, NumbersThatAreNotWholeStay) {
  EXPECT_EQ(ShapeText("SELECT * FROM T WHERE A=1.5"), "(none)");
  EXPECT_EQ(ShapeText("SELECT * FROM T WHERE A=1e3"), "(none)");
  EXPECT_EQ(ShapeText("SELECT * FROM T WHERE A=0x1F"), "(none)");
  EXPECT_EQ(ShapeText("SELECT * FROM T WHERE A=99999999999999999999"), "(none)");
  EXPECT_EQ(ShapeText("SELECT * FROM T WHERE A=B1"), "(none)");
}

TEST(StatementShapeTest, QuotedTextsAndNamesAreNotLookedInto) {
  EXPECT_EQ(ShapeText("SELECT * FROM T WHERE \"A=1\"='x=2'"), "SELECT * FROM T WHERE \"A=1\"=?");
  EXPECT_EQ(ShapeText("SELECT * FROM [B=3] WHERE `C=4`=5"), "SELECT * FROM [B=3] WHERE `C=4`=?");
  EXPECT_EQ(ShapeText("SELECT 'a=1' FROM T"), "(none)");
}

TEST(StatementShapeTest, TextsTheShapingDoesNotReadAreLeftWhole) {
  EXPECT_EQ(ShapeText("SELECT * FROM T WHERE A=1 -- B=2"), "(none)");
  EXPECT_EQ(ShapeText("SELECT * FROM T WHERE A=1 /* B=2 */"), "(none)");
  EXPECT_EQ(ShapeText("SELECT * FROM T WHERE A='open"), "(none)");
  EXPECT_EQ(ShapeText("SELECT * FROM \"T WHERE A=1"), "(none)");
  EXPECT_EQ(ShapeText(""), "(none)");
}

}  // namespace
}  // namespace ranta2kv
