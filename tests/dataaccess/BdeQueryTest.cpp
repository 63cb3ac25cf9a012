// The engine query over SQLite, aliases, and the Dbi functions with Check.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "dataaccess/bde/BDE.h"
#include "dataaccess/bde/DBTables.h"
#include "tests/dataaccess/Schemas.h"
#include "tests/dataaccess/TestEnv.h"

using DBTables::EDBEngineError;
using DBTables::TQuery;

namespace {

const std::string& Db() {
  static const std::string path = testenv::NewSqlite("bde.db", schemas::kSqlite);
  return path;
}

std::unique_ptr<TQuery> Query(const std::string& Sql, const std::string& Database = Db()) {
  auto q = std::make_unique<TQuery>(nullptr);
  q->SetDatabaseName(Database);
  q->SQL()->SetText(Sql);
  return q;
}

int64_t Count(const std::string& Table) {
  auto q = Query("select count(*) from " + Table);
  q->Open();
  return q->Fields(0)->AsInteger();
}

struct TBase {
  std::string table, field;
  bool expression;
  bool operator==(const TBase&) const = default;
};

// The base descriptors of Sql as the catalogue reads them: upper-case text,
// records until the end code, statement freed, then the cursor closed.
std::vector<TBase> BaseDescs(TQuery& Q, const std::string& Sql) {
  using namespace BDE;
  std::vector<TBase> out;
  hDBIStmt stmt = nullptr;
  hDBICur cur = nullptr;
  DBTables::Check(DbiQAlloc(Q.DBHandle(), qrylangSQL, &stmt));
  DBTables::Check(DbiQPrepare(stmt, SysUtils::UpperCase(Sql).c_str()));
  DBTables::Check(DbiQGetBaseDescs(stmt, &cur));
  STMTBaseDesc d;
  DBIResult rc;
  while ((rc = DbiGetNextRecord(cur, dbiNOLOCK, &d, nullptr)) == DBIERR_NONE)
    out.push_back({d.szTableName, d.szFieldName, d.bExpression});
  EXPECT_EQ(rc, 8706);
  EXPECT_EQ(DbiQFree(&stmt), DBIERR_NONE);
  EXPECT_EQ(stmt, nullptr);
  EXPECT_EQ(DbiCloseCursor(&cur), DBIERR_NONE) << "the cursor outlives its statement";
  EXPECT_EQ(cur, nullptr);
  return out;
}

}  // namespace

TEST(BDEQueryFields, TypesFromTheDeclaredTypes) {
  auto q = Query("select *, C_INT + 1 as NEXT_INT from T_ALL");
  q->Open();
  struct Row {
    const char* name;
    int type;
    int size;  // data size
  } rows[] = {
      {"C_VARCHAR", 1, 20}, {"C_CHAR", 1, 5},   {"C_SMALL", 2, 2},  {"C_INT", 3, 4},
      {"C_BIG", 25, 8},     {"C_DOUBLE", 6, 8}, {"C_FLOAT", 6, 8},  {"C_NUM", 8, 34},
      {"C_DATE", 9, 4},     {"C_TIME", 10, 4},  {"C_STAMP", 11, 8}, {"C_BOOL", 5, 2},
      {"C_MEMO", 16, 0},    {"C_BLOB", 15, 0},  {"C_GEO", 0, 0},    {"C_NONE", 0, 0},
      {"C_REQ", 3, 4},      {"NEXT_INT", 0, 0} /* an expression has no declared type */,
  };
  ASSERT_EQ(q->FieldCount(), static_cast<int>(std::size(rows)));
  for (int i = 0; i < q->FieldCount(); ++i) {
    EXPECT_EQ(q->Fields(i)->FullName(), rows[i].name);
    EXPECT_EQ(q->Fields(i)->DataType(), rows[i].type) << rows[i].name;
    EXPECT_EQ(q->Fields(i)->DataSize(), rows[i].size) << rows[i].name;
    EXPECT_EQ(q->Fields(i)->DisplayLabel(), rows[i].name);
  }
}

TEST(BDEQueryRows, ValuesAsStoredAndNulls) {
  auto q = Query("select * from T_ALL order by C_REQ");
  q->Open();
  struct Row {
    const char* name;
    DB::TValue::TKind kind;
    std::string text;
  } rows[] = {
      {"C_VARCHAR", DB::TValue::TKind::Text, "Zo\xEB"},
      {"C_BIG", DB::TValue::TKind::Integer, "9007199254740993"},
      {"C_NUM", DB::TValue::TKind::Float, "-0.05"},
      {"C_DATE", DB::TValue::TKind::Date, "2024-02-29"},
      {"C_TIME", DB::TValue::TKind::Time, "13:14:15.1234"},
      {"C_STAMP", DB::TValue::TKind::DateTime, "1999-12-31 23:59:59"},
      {"C_BOOL", DB::TValue::TKind::Boolean, "TRUE"},
      {"C_MEMO", DB::TValue::TKind::Text, "line 1\r\nline 2"},
      {"C_BLOB", DB::TValue::TKind::Bytes, std::string("\x00\xFF\x10", 3)},
      {"C_GEO", DB::TValue::TKind::Text, "POINT(1 2)"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(q->FieldByName(r.name)->Value().Kind(), r.kind) << r.name;
    EXPECT_EQ(q->FieldByName(r.name)->AsString(), r.text) << r.name;
  }
  q->Next();
  for (int i = 0; i < q->FieldCount() - 1; ++i) EXPECT_TRUE(q->Fields(i)->IsNull()) << q->Fields(i)->FullName();
  q->Next();
  EXPECT_TRUE(q->Eof());
  EXPECT_EQ(q->RecordCount(), 2);
}

TEST(BDEQueryRows, TextTravelsAsUtf8AndComesBackInTheCodePage) {
  auto w = Query("insert into DEPT values (9, 'M\xFCnchen \x80')");
  w->ExecSQL();
  auto raw = Query("select hex(NAME) from DEPT where ID = 9");
  raw->Open();
  EXPECT_EQ(raw->Fields(0)->AsString(), "4DC3BC6E6368656E20E282AC") << "stored as UTF-8";
  auto q = Query("select NAME from DEPT where NAME like 'M_nchen%'");
  q->Open();
  EXPECT_EQ(q->Fields(0)->AsString(), "M\xFCnchen \x80");
  Query("delete from DEPT where ID = 9")->ExecSQL();
}

TEST(BDEQueryLifecycle, FaultsLeaveTheQueryClosedAndUsable) {
  auto q = Query("selec * from T_ALL");
  try {
    q->Open();
    FAIL() << "no error";
  } catch (const EDBEngineError& e) {
    EXPECT_NE(e.Message().find("syntax error"), std::string::npos) << e.Message();
    EXPECT_EQ(e.Errors(0).NativeError, 1) << "SQLITE_ERROR";
  }
  EXPECT_FALSE(q->Active());
  q->SQL()->SetText("select count(*) from EMP");
  q->Open();
  EXPECT_EQ(q->Fields(0)->AsInteger(), 3);

  EXPECT_THROW(Query("delete from EMP")->Open(), EDBEngineError) << "a statement without rows";
  EXPECT_THROW(Query("select 1; delete from EMP")->Open(), EDBEngineError) << "a second statement";
  EXPECT_THROW(Query("delete from EMP; delete from DEPT")->ExecSQL(), EDBEngineError);
  EXPECT_THROW(Query(std::string("delete from EMP\0 where ID = 10", 31))->ExecSQL(), DB::EDatabaseError);
  EXPECT_EQ(Count("EMP"), 3) << "none of them ran";
  EXPECT_EQ(Count("DEPT"), 2);
  auto trailing = Query("select count(*) from EMP; -- just a comment");
  trailing->Open();
  EXPECT_EQ(trailing->Fields(0)->AsInteger(), 3);
}

TEST(BDEQueryLifecycle, ChangedTextOpenTwiceCloseTwice) {
  auto q = Query("select ID from EMP order by ID");
  q->Open();
  q->Next();
  q->Open();
  EXPECT_EQ(q->RecNo(), 2);
  q->SQL()->SetText("select NAME from DEPT order by ID");
  EXPECT_FALSE(q->Active());
  q->Open();
  EXPECT_EQ(q->Fields(0)->AsString(), "Sales");
  q->Close();
  q->Close();
  EXPECT_FALSE(q->Active());
  q->SetUniDirectional(true);
  q->Open();
  q->Next();
  EXPECT_THROW(q->First(), DB::EDatabaseError);
}

TEST(BDEQueryDatabase, MissingFileIsNamedAndNotCreated) {
  std::string missing = testenv::TempPath("missing.db");
  auto q = Query("select 1", missing);
  try {
    q->Open();
    FAIL() << "no error";
  } catch (const EDBEngineError& e) {
    EXPECT_NE(e.Message().find(missing), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_EQ(q->DBHandle(), nullptr);
}

TEST(BDEQueryDatabase, AliasesNameDatabases) {
  auto& session = DBTables::Session();
  session.AddAlias("TESTDB", Db());
  EXPECT_THROW(session.AddAlias("testdb", Db()), DB::EDatabaseError) << "names compared without case";
  EXPECT_EQ(session.AliasPath("TestDb"), Db());
  Classes::TStringList names;
  session.GetAliasNames(names);
  EXPECT_EQ(names.IndexOf("TESTDB"), 0);
  auto q = Query("select count(*) from EMP", "TESTDB");
  q->Open();
  EXPECT_EQ(q->Fields(0)->AsInteger(), 3);
  session.DeleteAlias("TESTDB");
  EXPECT_FALSE(session.IsAlias("TESTDB"));
  session.DeleteAlias("TESTDB");
}

TEST(BDEQueryDatabase, CreateDatabaseIsAllOrNothing) {
  std::string file = testenv::TempPath("bad-script.db");
  try {
    DBTables::CreateDatabase(file, "create table A (X integer);\ncreate tabel B (Y integer);");
    FAIL() << "no error";
  } catch (const EDBEngineError& e) {
    EXPECT_NE(e.Message().find("near \"tabel\""), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_THROW(DBTables::CreateDatabase(Db(), "create table Z (X integer);"), EDBEngineError);
  EXPECT_EQ(Count("EMP"), 3);
}

TEST(BDEDbi, BaseDescriptorsOfEachOutputColumn) {
  auto q = Query("select * from EMP");
  q->Open();
  struct Row {
    const char* name;
    const char* sql;
    std::vector<TBase> bases;
  } rows[] = {
      {"join with aliases", "select e.name as who, d.name, e.id from emp e join dept d on d.id = e.dept_id",
       {{"EMP", "NAME", false}, {"DEPT", "NAME", false}, {"EMP", "ID", false}}},
      {"expression between columns", "select e.id + 1, e.name from emp e",
       {{"", "", true}, {"EMP", "NAME", false}}},
      {"aggregate and constant", "select count(*), 'x' from emp", {{"", "", true}, {"", "", true}}},
      {"subquery column", "select s.n from (select name as n from dept) s", {{"DEPT", "NAME", false}}},
  };
  for (const Row& r : rows) EXPECT_EQ(BaseDescs(*q, r.sql), r.bases) << r.name;
}

TEST(BDEDbi, NamesTooLongForTheRecordAreLeftEmpty) {
  std::string longName(40, 'L');
  std::string db = testenv::NewSqlite("long.db", "create table T (" + longName + " integer, SHORT integer);");
  auto q = Query("select * from T", db);
  q->Open();
  EXPECT_EQ(BaseDescs(*q, "select * from T"), (std::vector<TBase>{{"", "", false}, {"T", "SHORT", false}}));
}

TEST(BDEDbi, ErrorsComeBackAsCodesAndCheckRaisesThem) {
  using namespace BDE;
  auto q = Query("select * from EMP");
  EXPECT_EQ(q->DBHandle(), nullptr) << "not connected yet";
  hDBIStmt stmt = nullptr;
  EXPECT_EQ(DbiQAlloc(q->DBHandle(), qrylangSQL, &stmt), DBIERR_INVALIDHNDL);
  q->Open();
  EXPECT_EQ(DbiQAlloc(q->DBHandle(), qrylangQBE, &stmt), DBIERR_NOTSUPPORTED);
  EXPECT_EQ(stmt, nullptr);
  ASSERT_EQ(DbiQAlloc(q->DBHandle(), qrylangSQL, &stmt), DBIERR_NONE);
  hDBICur cur = nullptr;
  EXPECT_EQ(DbiQGetBaseDescs(stmt, &cur), DBIERR_NOTPREPARED);
  DBIResult rc = DbiQPrepare(stmt, "SELEC * FROM EMP");
  EXPECT_NE(rc, DBIERR_NONE);
  try {
    DBTables::Check(rc);
    FAIL() << "Check did not raise";
  } catch (const EDBEngineError& e) {
    EXPECT_NE(e.Message().find("syntax error"), std::string::npos) << e.Message();
    EXPECT_EQ(e.Errors(0).ErrorCode, rc);
  }
  hDBIStmt stale = stmt;
  EXPECT_EQ(DbiQFree(&stmt), DBIERR_NONE);
  EXPECT_EQ(DbiQFree(&stale), DBIERR_INVALIDHNDL) << "a freed handle is refused";
  EXPECT_EQ(DbiQPrepare(stale, "SELECT 1"), DBIERR_INVALIDHNDL);
  EXPECT_EQ(DbiCloseCursor(&cur), DBIERR_INVALIDHNDL);
  EXPECT_NO_THROW(DBTables::Check(DBIERR_NONE));
  try {
    DBTables::Check(DBIERR_EOF);
    FAIL() << "Check did not raise";
  } catch (const EDBEngineError& e) {
    EXPECT_EQ(e.Errors(0).ErrorCode, DBIERR_EOF);
    EXPECT_EQ(e.Message(), "Engine error $2202") << "no engine message for this code";
  }
}

// UPPER folds by Windows-1252, as the filter dialog folds the value it compares with.
TEST(BdeUpper, FoldsAsTheCodePageFolds) {
  struct Row {
    const char* name;
    std::string expr;  // Windows-1252 SQL
    std::string expected;
    bool null = false;
  } rows[] = {
      {"ascii", "UPPER('abc Xyz 1')", "ABC XYZ 1"},
      {"accented", "UPPER('jos\xE9 m\xFCller \xE5ngstr\xF6m')", "JOS\xC9 M\xDCLLER \xC5NGSTR\xD6M"},
      {"letters above 127 outside Latin-1", "UPPER('\x9A\x9C\x9E\xFF')", "\x8A\x8C\x8E\x9F"},
      {"sharp s has no single capital", "UPPER('stra\xDF" "e')", "STRA\xDF" "E"},
      {"character outside the code page stays", "hex(UPPER(char(257, 97)))", "C48141"},
      {"bytes that are not UTF-8 stay", "hex(UPPER(CAST(x'FF61' AS TEXT)))", "FF41"},
      {"number as its text", "UPPER(12.5) || typeof(UPPER(3))", "12.5text"},
      {"blob as its text", "UPPER(x'6162')", "AB"},
      {"null stays null", "UPPER(NULL)", "", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    auto q = Query("SELECT " + r.expr);
    q->Open();
    EXPECT_EQ(q->Fields(0)->IsNull(), r.null);
    if (!r.null) {
      EXPECT_EQ(q->Fields(0)->AsString(), r.expected);
    }
  }
  // An expression index needs a deterministic function.
  auto index = Query("CREATE INDEX IF NOT EXISTS T_ALL_UPPER ON T_ALL (UPPER(C_VARCHAR))");
  EXPECT_NO_THROW(index->ExecSQL());
}
