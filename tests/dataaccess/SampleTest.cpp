// The sample database: one schema and the same deterministic data in both engines.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "dataaccess/bde/DBTables.h"
#include "dataaccess/db/DBText.h"
#include "dataaccess/ibobjects/IBODataset.h"
#include "tests/dataaccess/TestEnv.h"

using Sample::TEngine;

namespace {

std::unique_ptr<DB::TQueryDataSet> Open(TEngine Engine, const std::string& File, const std::string& Sql) {
  std::unique_ptr<DB::TQueryDataSet> q;
  if (Engine == TEngine::Firebird)
    q = std::make_unique<IBODataset::TIBOQuery>(nullptr);
  else
    q = std::make_unique<DBTables::TQuery>(nullptr);
  q->SetDatabaseName(File);
  q->SQL()->SetText(Sql);
  q->Open();
  return q;
}

// The rows of Sql as CSV.
std::string Csv(TEngine Engine, const std::string& File, const std::string& Sql) {
  auto q = Open(Engine, File, Sql);
  std::string out;
  for (; !q->Eof(); q->Next()) {
    std::vector<std::string> fields;
    for (int i = 0; i < q->FieldCount(); ++i) fields.push_back(DB::CsvField(q->Fields(i)->Value()));
    out += DB::CsvRecord(fields);
  }
  return out;
}

int64_t Scalar(TEngine Engine, const std::string& File, const std::string& Sql) {
  return Open(Engine, File, Sql)->Fields(0)->AsInteger();
}

}  // namespace

TEST(SampleDatabase, SameRowsInBothEngines) {
  std::string fdb = testenv::SampleCopy(TEngine::Firebird), sdb = testenv::SampleCopy(TEngine::SQLite);
  struct Row {
    const char* name;
    const char* sql;
  } rows[] = {
      {"orders", "select ID, CUSTOMER_ID, ORDER_DATE, ORDER_TIME, SHIPPED_AT, PAID, STATUS, TRACKING_NO, COMMENTS "
                 "from ORDERS order by ID"},
      {"customers", "select ID, NAME, CITY, COUNTRY, EMAIL, BIRTH_DATE, ACTIVE, CREATED_AT, NOTES "
                    "from CUSTOMERS order by ID"},
      {"products", "select ID, NAME, CATEGORY, STOCK, DISCONTINUED, PICTURE from PRODUCTS order by ID"},
      {"items", "select ORDER_ID, LINE_NO, PRODUCT_ID, QUANTITY from ORDER_ITEMS order by ORDER_ID, LINE_NO"},
      {"money in cents", "select ID, cast(round(TOTAL * 100) as integer) from ORDERS order by ID"},
  };
  for (const Row& r : rows) {
    std::string a = Csv(TEngine::Firebird, fdb, r.sql), b = Csv(TEngine::SQLite, sdb, r.sql);
    EXPECT_GT(a.size(), 1000u) << r.name;
    EXPECT_TRUE(a == b) << r.name << ": the engines differ";
  }
}

TEST(SampleDatabase, SizesNullsAndLettersAboveAscii) {
  for (TEngine e : {TEngine::Firebird, TEngine::SQLite}) {
    std::string db = testenv::SampleCopy(e);
    const char* engine = e == TEngine::Firebird ? "firebird" : "sqlite";
    EXPECT_EQ(Scalar(e, db, "select count(*) from ORDERS"), 10000) << engine;
    EXPECT_EQ(Scalar(e, db, "select count(*) from CUSTOMERS"), 1000) << engine;
    EXPECT_EQ(Scalar(e, db, "select count(*) from PRODUCTS"), 100) << engine;
    int64_t items = Scalar(e, db, "select count(*) from ORDER_ITEMS");
    EXPECT_GT(items, 20000) << engine;
    EXPECT_LT(items, 40000) << engine;
    for (const char* sql : {"select count(*) from CUSTOMERS where EMAIL is null",
                            "select count(*) from CUSTOMERS where NOTES is null",
                            "select count(*) from ORDERS where SHIPPED_AT is null",
                            "select count(*) from PRODUCTS where PICTURE is null",
                            "select count(*) from ORDER_ITEMS where DISCOUNT is null"})
      EXPECT_GT(Scalar(e, db, sql), 0) << engine << ": " << sql;
    auto names = Open(e, db, "select NAME from CUSTOMERS");
    int high = 0;
    for (; !names->Eof(); names->Next())
      for (unsigned char c : names->Fields(0)->AsString()) high += c > 127;
    EXPECT_GT(high, 100) << engine;
  }
}

TEST(SampleDatabase, EveryKindOfColumn) {
  auto q = Open(TEngine::Firebird, testenv::SampleCopy(TEngine::Firebird),
                "select * from CUSTOMERS c join ORDERS o on o.CUSTOMER_ID = c.ID "
                "join ORDER_ITEMS i on i.ORDER_ID = o.ID join PRODUCTS p on p.ID = i.PRODUCT_ID");
  std::set<int> types;
  for (int i = 0; i < q->FieldCount(); ++i) types.insert(q->Fields(i)->DataType());
  for (DB::TFieldType t : {DB::ftString, DB::ftSmallint, DB::ftInteger, DB::ftLargeint, DB::ftFloat, DB::ftBCD,
                           DB::ftDate, DB::ftTime, DB::ftDateTime, DB::ftBoolean, DB::ftMemo, DB::ftBlob})
    EXPECT_TRUE(types.count(t)) << "type " << t;
}

TEST(SampleDatabase, CreatedOnDemandAndNeverOverwritten) {
  for (TEngine e : {TEngine::Firebird, TEngine::SQLite}) {
    std::string file = testenv::TempPath(e == TEngine::Firebird ? "small.fdb" : "small.db");
    EXPECT_TRUE(Sample::EnsureSampleDatabase(e, file, 20));
    EXPECT_FALSE(Sample::EnsureSampleDatabase(e, file, 20));
    EXPECT_FALSE(std::filesystem::exists(file + ".part"));
    EXPECT_EQ(Scalar(e, file, "select count(*) from ORDERS"), 20);
    auto size = std::filesystem::file_size(file);
    EXPECT_THROW(Sample::CreateSampleDatabase(e, file, 20), DB::EDatabaseError);
    EXPECT_EQ(std::filesystem::file_size(file), size);
  }
}

TEST(SampleDatabase, SameDataOnEveryBuild) {
  std::string a = testenv::TempPath("a.db"), b = testenv::TempPath("b.db");
  Sample::CreateSampleDatabase(TEngine::SQLite, a, 50);
  Sample::CreateSampleDatabase(TEngine::SQLite, b, 50);
  const char* sql = "select * from ORDERS o join ORDER_ITEMS i on i.ORDER_ID = o.ID order by o.ID, i.LINE_NO";
  EXPECT_EQ(Csv(TEngine::SQLite, a, sql), Csv(TEngine::SQLite, b, sql));
}
