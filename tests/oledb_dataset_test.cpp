// Tests of the row access of the "OLE DB" datasets: values of each column type and
// NULL, the cursor with RecordCount and RecordNumber, fields by name and position,
// and the dataset's states, on results of literal statements over an empty folder.
#include "source/sql/oledb_dataset.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "common/codepage.h"
#include "common/date_time.h"
#include "common/error.h"
#include "source/sql/oledb_connection.h"
#include "source/sql/oledb_connection_string.h"
#include "tests/support/error_message.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {

using test::ErrorMessage;

class OleDbDatasetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    connection_.ConnectionString = InitialConnectionString(folder_.Path().string());
    connection_.SetConnected(true);
  }

  // Opens `dataset` on the statement.
  void Run(OleDbDataset& dataset, std::string statement) {
    dataset.SetSQL(std::move(statement));
    dataset.Open();
  }


  test::ScratchFolder folder_{"oledb_dataset"};  // empty: the statements name no table
  OleDbConnection connection_;
  OleDbDataset query_{connection_, ','};
};

TEST_F(OleDbDatasetTest, AsStringOfEachColumnType) {
  Run(query_, "SELECT 42 AS I, -7 AS NEG, 2.5 AS R, 'ab  ' AS T, NULL AS N, 1e20 AS BIG");
  EXPECT_EQ(query_.FieldNamed("I").AsString(), "42");
  EXPECT_EQ(query_.FieldNamed("NEG").AsString(), "-7");
  EXPECT_EQ(query_.FieldNamed("R").AsString(), "2,5");   // the dataset's separator
  EXPECT_EQ(query_.FieldNamed("T").AsString(), "ab  ");  // trailing blanks kept
  EXPECT_EQ(query_.FieldNamed("N").AsString(), "");
  EXPECT_EQ(query_.FieldNamed("BIG").AsString(), "1E20");
}

TEST_F(OleDbDatasetTest, NullReadsAsZeroEmptyAndTheZeroDate) {
  Run(query_, "SELECT NULL AS N, 0 AS Z");
  const OleDbField& null = query_.FieldNamed("N");
  EXPECT_TRUE(null.IsNull());
  EXPECT_FALSE(query_.FieldNamed("Z").IsNull());
  EXPECT_EQ(null.AsInteger(), 0);
  EXPECT_EQ(null.AsLargeInteger(), 0);
  EXPECT_EQ(null.AsNumber(), 0.0);
  EXPECT_EQ(null.AsDateTime(), 0.0);
}

TEST_F(OleDbDatasetTest, AsIntegerAndAsNumber) {
  Run(query_, "SELECT 17 AS I, 2.5 AS HALF, 3.5 AS HALF2, -2.7 AS R, ' 12 ' AS T, '3,25' AS TR");
  EXPECT_EQ(query_.FieldNamed("I").AsInteger(), 17);
  EXPECT_EQ(query_.FieldNamed("I").AsNumber(), 17.0);
  EXPECT_EQ(query_.FieldNamed("HALF").AsInteger(), 2);  // halves to even
  EXPECT_EQ(query_.FieldNamed("HALF2").AsInteger(), 4);
  EXPECT_EQ(query_.FieldNamed("R").AsInteger(), -3);
  EXPECT_EQ(query_.FieldNamed("R").AsNumber(), -2.7);
  EXPECT_EQ(query_.FieldNamed("T").AsInteger(), 12);
  EXPECT_EQ(query_.FieldNamed("TR").AsNumber(), 3.25);
}

TEST_F(OleDbDatasetTest, IntegerOutOfRangeFailsInsteadOfWrapping) {
  Run(query_, "SELECT 9999999999 AS CODE, 'x1' AS T");
  EXPECT_EQ(query_.FieldNamed("CODE").AsLargeInteger(), 9999999999);
  EXPECT_EQ(ErrorMessage([&] { query_.FieldNamed("CODE").AsInteger(); }),
            "Значение 9999999999 поля CODE не помещается в целое число"_cp1251);
  EXPECT_EQ(ErrorMessage([&] { query_.FieldNamed("T").AsInteger(); }),
            "Значение 'x1' поля T не является целым числом"_cp1251);
  EXPECT_EQ(ErrorMessage([&] { query_.FieldNamed("T").AsNumber(); }), "Значение 'x1' поля T не является числом"_cp1251);
}

TEST_F(OleDbDatasetTest, AsDateTimeOfDateText) {
  Run(query_, "SELECT '2004-02-29' AS D, '2003-02-29' AS BAD, '2004-3-15' AS SHORT");
  EXPECT_EQ(query_.FieldNamed("D").AsDateTime(), EncodeDate(2004, 2, 29));
  EXPECT_EQ(query_.FieldNamed("D").AsString(), "2004-02-29");
  EXPECT_EQ(ErrorMessage([&] { query_.FieldNamed("BAD").AsDateTime(); }),
            "Значение '2003-02-29' поля BAD не является датой"_cp1251);
  EXPECT_EQ(ErrorMessage([&] { query_.FieldNamed("SHORT").AsDateTime(); }),
            "Значение '2004-3-15' поля SHORT не является датой"_cp1251);
}

TEST_F(OleDbDatasetTest, FieldsByNameIgnoreLetterCase) {
  Run(query_, "SELECT 1 AS Code, 2 AS code2");
  EXPECT_EQ(query_.FieldNamed("CODE").AsInteger(), 1);
  EXPECT_EQ(query_.FieldNamed("CODE2").Name(), "code2");
  EXPECT_EQ(ErrorMessage([&] { query_.FieldNamed("PRICE"); }), "Field 'PRICE' not found");
}

// Statements that differ only in the literals they compare with are compiled once
// and run with those literals; what they return is what each text says.
TEST_F(OleDbDatasetTest, StatementsOfOneShapeReadTheirOwnValues) {
  for (int key : {1, 2, 1, 3}) {
    Run(query_,
        "SELECT * FROM (SELECT 1 AS K, 'a' AS V UNION ALL SELECT 2, 'b  ') WHERE K=" + std::to_string(key));
    EXPECT_EQ(query_.RecordCount(), key == 3 ? 0 : 1);
    EXPECT_EQ(query_.FieldNamed("V").AsString(), key == 1 ? "a" : key == 2 ? "b  " : "");
    query_.Close();
  }
  Run(query_, "SELECT 'x' = 'x', 2 = 3 AS SAME");
  EXPECT_EQ(query_.Column(0).Name(), "'x' = 'x'");  // a column named by its text keeps the literal
  EXPECT_EQ(query_.Column(0).AsInteger(), 1);
  EXPECT_EQ(query_.FieldNamed("SAME").AsInteger(), 0);
}

// A statement run again keeps the names of its columns; one dataset running
// statements of other columns in turn reads each statement's own.
TEST_F(OleDbDatasetTest, FieldsFollowTheColumnsOfEachStatementRunInTurn) {
  auto run = [&](const std::string& statement) {
    query_.Close();
    Run(query_, statement);
  };
  for (int round = 0; round < 2; ++round) {
    run("SELECT 1 AS A, 2 AS B WHERE 1=1");  // compiled once for its shape
    EXPECT_EQ(query_.FieldNamed("B").AsInteger(), 2);
    run("SELECT 3 AS C");  // no shape: compiled each time
    EXPECT_EQ(query_.ColumnCount(), 1);
    EXPECT_EQ(ErrorMessage([&] { query_.FieldNamed("A"); }), "Field 'A' not found");
    run("SELECT 5 AS X, 6 AS Y WHERE 2=2");  // as many columns, other names
    EXPECT_EQ(query_.FieldNamed("y").AsInteger(), 6);
    EXPECT_EQ(ErrorMessage([&] { query_.FieldNamed("B"); }), "Field 'B' not found");
    run("SELECT 1 AS A, 2 AS B WHERE 1=3");  // the first shape again, no row
    EXPECT_EQ(query_.RecordCount(), 0);
    EXPECT_EQ(query_.Column(1).Name(), "B");
    connection_.SetConnected(false);  // the compiled statements go with the database
    connection_.SetConnected(true);
  }
}

TEST_F(OleDbDatasetTest, ColumnByPosition) {
  Run(query_, "SELECT DISTINCT(V) FROM (SELECT 5 AS V UNION ALL SELECT 5)");
  EXPECT_EQ(query_.ColumnCount(), 1);
  EXPECT_EQ(query_.Column(0).AsInteger(), 5);
  EXPECT_EQ(query_.RecordCount(), 1);
  EXPECT_EQ(ErrorMessage([&] { query_.Column(1); }), "В результате запроса нет столбца 1"_cp1251);
}

TEST_F(OleDbDatasetTest, WalkWithRecordNumberAndRecordCount) {
  Run(query_, "SELECT 10 AS V UNION ALL SELECT 20 UNION ALL SELECT 30");
  const OleDbField& v = query_.FieldNamed("V");
  EXPECT_EQ(query_.RecordCount(), 3);
  std::string seen;
  for (query_.First(); !query_.AtEnd(); query_.Next()) {
    seen += std::to_string(query_.RecordNumber()) + ":" + v.AsString() + " ";
  }
  EXPECT_EQ(seen, "1:10 2:20 3:30 ");
  // Past the end the last row stays current.
  EXPECT_EQ(query_.RecordNumber(), 3);
  EXPECT_EQ(v.AsInteger(), 30);
  query_.Next();
  EXPECT_TRUE(query_.AtEnd());
  query_.First();
  EXPECT_FALSE(query_.AtEnd());
  EXPECT_EQ(v.AsInteger(), 10);
}

TEST_F(OleDbDatasetTest, EmptyResult) {
  Run(query_, "SELECT 1 AS V WHERE 0");
  EXPECT_TRUE(query_.Active());
  EXPECT_TRUE(query_.AtEnd());
  EXPECT_EQ(query_.RecordCount(), 0);
  EXPECT_EQ(query_.RecordNumber(), 0);
  EXPECT_TRUE(query_.FieldNamed("V").IsNull());
  EXPECT_EQ(query_.FieldNamed("V").AsString(), "");
}

TEST_F(OleDbDatasetTest, OpenAndCloseStates) {
  EXPECT_FALSE(query_.Active());
  EXPECT_TRUE(query_.AtEnd());
  query_.Close();  // closing a closed dataset does nothing
  Run(query_, "SELECT 1 AS V UNION ALL SELECT 2");
  query_.Next();
  query_.Open();  // opening an open dataset does nothing
  EXPECT_EQ(query_.RecordNumber(), 2);
  EXPECT_EQ(ErrorMessage([&] { query_.SetSQL("SELECT 3"); }), "Запрос открытого набора данных нельзя изменить"_cp1251);
  query_.Close();
  EXPECT_FALSE(query_.Active());
  EXPECT_EQ(ErrorMessage([&] { query_.FieldNamed("V"); }), "Набор данных закрыт"_cp1251);
  EXPECT_EQ(ErrorMessage([&] { query_.RecordCount(); }), "Набор данных закрыт"_cp1251);
  EXPECT_EQ(ErrorMessage([&] { query_.Next(); }), "Набор данных закрыт"_cp1251);
}

TEST_F(OleDbDatasetTest, FieldReadsFailOnceItsDatasetIsClosed) {
  Run(query_, "SELECT 1 AS V");
  const OleDbField& v = query_.FieldNamed("V");
  query_.Close();
  EXPECT_EQ(ErrorMessage([&] { v.AsInteger(); }), "Набор данных закрыт"_cp1251);
}

// The engine's own English never reaches the user: a missing table or field is
// named in words of the source's own, any other failure by its code.
TEST_F(OleDbDatasetTest, StatementErrorsAreTheSourcesOwnTexts) {
  EXPECT_EQ(ErrorMessage([&] { Run(query_, "SELECT * FROM NOPE"); }), "Не найдена таблица NOPE.DBF"_cp1251);
  EXPECT_FALSE(query_.Active());
  EXPECT_EQ(ErrorMessage([&] { Run(query_, "SELEC 1"); }),
            "Источник данных не выполнил запрос (код ошибки SQLite 1)"_cp1251);
  EXPECT_EQ(ErrorMessage([&] { Run(query_, "SELECT NOPE"); }), "Ни в одной таблице запроса нет поля NOPE"_cp1251);
  EXPECT_EQ(ErrorMessage([&] { Run(query_, ""); }), "У набора данных нет запроса"_cp1251);
  EXPECT_EQ(ErrorMessage([&] { Run(query_, "  "); }), "Пустой запрос"_cp1251);
}

TEST_F(OleDbDatasetTest, OnlyQueriesRun) {
  EXPECT_EQ(ErrorMessage([&] { Run(query_, "CREATE TABLE T (A)"); }), "Запрос не является выборкой (SELECT)"_cp1251);
  EXPECT_EQ(ErrorMessage([&] { Run(query_, "BEGIN"); }), "Запрос не является выборкой (SELECT)"_cp1251);
  EXPECT_EQ(ErrorMessage([&] { Run(query_, "SELECT * FROM T"); }), "Не найдена таблица T.DBF"_cp1251);
}

TEST_F(OleDbDatasetTest, FourResultsOpenAtOnce) {
  OleDbDataset second(connection_, ','), third(connection_, ','), fourth(connection_, ',');
  Run(query_, "SELECT 1 AS V UNION ALL SELECT 2");
  Run(second, "SELECT 'b' AS V");
  Run(third, "SELECT 3.5 AS V");
  Run(fourth, "SELECT NULL AS V");
  query_.Next();
  EXPECT_EQ(query_.FieldNamed("V").AsInteger(), 2);
  EXPECT_EQ(second.FieldNamed("V").AsString(), "b");
  EXPECT_EQ(third.FieldNamed("V").AsString(), "3,5");
  EXPECT_TRUE(fourth.FieldNamed("V").IsNull());
}

TEST_F(OleDbDatasetTest, DisconnectClosesOpenDatasets) {
  OleDbDataset other(connection_, '.');
  Run(query_, "SELECT 1 AS V");
  Run(other, "SELECT 2 AS V");
  connection_.SetConnected(false);
  EXPECT_FALSE(query_.Active());
  EXPECT_FALSE(other.Active());
  EXPECT_EQ(ErrorMessage([&] { query_.Open(); }), "Соединение с источником данных закрыто"_cp1251);
}

}  // namespace
}  // namespace ranta2kv
