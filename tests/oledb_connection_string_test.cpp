// Tests of the connection string of `ADOConnection1`: the `Data Source` rewrite of
// the set-up and the reading of the folder to connect to.
#include "source/sql/oledb_connection_string.h"

#include <gtest/gtest.h>

namespace ranta2kv {
namespace {

TEST(ConnectionStringTest, InitialItemsInOrder) {
  EXPECT_EQ(InitialConnectionString("/est/"),
            "Provider=VFPOLEDB.1;Data Source=/est/;Password=\"\";Collating Sequence=MACHINE");
}

TEST(DataSourceRewriteTest, ItemInTheMiddle) {
  EXPECT_EQ(RewriteDataSource(InitialConnectionString("/old/"), "/new/"),
            "Provider=VFPOLEDB.1;Data Source=/new/;Password=\"\";Collating Sequence=MACHINE");
}

TEST(DataSourceRewriteTest, ItemFoundWhereverItStands) {
  EXPECT_EQ(RewriteDataSource("Data Source=/old/;Provider=VFPOLEDB.1", "/new/"),
            "Data Source=/new/;Provider=VFPOLEDB.1");
  EXPECT_EQ(RewriteDataSource("Provider=VFPOLEDB.1;Password=\"\";Data Source=/old/", "/new/"),
            "Provider=VFPOLEDB.1;Password=\"\";Data Source=/new/");
  EXPECT_EQ(RewriteDataSource("Data Source=", "/new/"), "Data Source=/new/");
}

TEST(DataSourceRewriteTest, OnlyTheFirstDataSourceItemChanges) {
  EXPECT_EQ(RewriteDataSource("Data Source=/a/;Data Source=/b/", "/new/"),
            "Data Source=/new/;Data Source=/b/");
}

TEST(DataSourceRewriteTest, PieceMustBeginExactlySo) {
  // Another letter case or a blank before the key is not the item the rewrite looks for.
  EXPECT_EQ(RewriteDataSource("Provider=X;data source=/old/", "/new/"), "Provider=X;data source=/old/");
  EXPECT_EQ(RewriteDataSource("Provider=X; Data Source=/old/", "/new/"), "Provider=X; Data Source=/old/");
  EXPECT_EQ(RewriteDataSource("Provider=X", "/new/"), "Provider=X");
  EXPECT_EQ(RewriteDataSource("", "/new/"), "");
}

TEST(DataSourceRewriteTest, FolderBytesArePutInAsGiven) {
  const std::string utf8Folder = "/\xD0\xA1\xD0\xBC\xD0\xB5\xD1\x82\xD0\xB0/";  // "Смета" in UTF-8
  EXPECT_EQ(RewriteDataSource("Data Source=/x/;P=1", utf8Folder), "Data Source=" + utf8Folder + ";P=1");
}

TEST(DataSourceValueTest, KeyInAnyCaseWithBlanks) {
  EXPECT_EQ(DataSourceOf(InitialConnectionString("/est/")), "/est/");
  EXPECT_EQ(DataSourceOf("Provider=X; data SOURCE =/a b/;Password=\"\""), "/a b/");
  EXPECT_EQ(DataSourceOf("Data Source=\"/quoted/\""), "/quoted/");
  EXPECT_EQ(DataSourceOf("Data Source="), "");
}

TEST(DataSourceValueTest, MissingItem) {
  EXPECT_EQ(DataSourceOf("Provider=VFPOLEDB.1;Password=\"\""), std::nullopt);
  EXPECT_EQ(DataSourceOf("Data Source"), std::nullopt);
  EXPECT_EQ(DataSourceOf(""), std::nullopt);
}

}  // namespace
}  // namespace ranta2kv
