// The native query and connections on the embedded Firebird engine.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "dataaccess/ibobjects/IB_Components.h"
#include "dataaccess/ibobjects/Ib_parse.h"
#include "tests/dataaccess/Schemas.h"
#include "tests/dataaccess/TestEnv.h"

using IB_Components::EIB_Error;
using IB_Components::TIB_Connection;
using IB_Components::TIB_Query;

namespace {

const std::string& Db() {
  static const std::string path = testenv::NewFirebird("ib.fdb", schemas::kFirebird);
  return path;
}

// A query on the test database with Sql, not yet prepared.
std::unique_ptr<TIB_Query> Query(const std::string& Sql, const std::string& Database = Db()) {
  auto q = std::make_unique<TIB_Query>(nullptr);
  q->SetDatabaseName(Database);
  q->SQL()->SetText(Sql);
  return q;
}

int64_t Count(const std::string& Table) {
  auto q = Query("select count(*) from " + Table);
  q->Open();
  return q->Columns(0)->AsInteger();
}

}  // namespace

TEST(IBQueryColumns, MetadataOfEveryType) {
  auto q = Query("select * from T_ALL");
  q->Prepare();
  EXPECT_FALSE(q->Active()) << "prepare fetches nothing";
  struct Row {
    const char* name;
    int sqltype, subtype, len, scale;
  } rows[] = {
      // Text columns report the character set (53 is WIN1252) in the sub-type.
      {"C_VARCHAR", 449, 53, 20, 0}, {"C_CHAR", 453, 53, 5, 0},  {"C_SMALL", 501, 0, 2, 0},
      {"C_INT", 497, 0, 4, 0},       {"C_BIG", 581, 0, 8, 0},    {"C_DOUBLE", 481, 0, 8, 0},
      {"C_FLOAT", 483, 0, 4, 0},     {"C_NUM", 497, 1, 4, -2},   {"C_DEC", 581, 2, 8, -4},
      {"C_DATE", 571, 0, 4, 0},      {"C_TIME", 561, 0, 4, 0},   {"C_STAMP", 511, 0, 8, 0},
      {"C_BOOL", 32765, 0, 1, 0},    {"C_MEMO", 521, 1, 8, 53},  {"C_BLOB", 521, 0, 8, 0},
      {"C_ARR", 541, 0, 8, 0},       {"C_REQ", 496, 0, 4, 0},
  };
  ASSERT_EQ(q->FieldCount(), static_cast<int>(std::size(rows)));
  for (int i = 0; i < q->FieldCount(); ++i) {
    const auto* c = q->Columns(i);
    const Row& r = rows[i];
    EXPECT_EQ(c->FieldName(), r.name);
    EXPECT_EQ(c->SQLName(), r.name);
    EXPECT_EQ(c->RelName(), "T_ALL") << r.name;
    EXPECT_EQ(c->SQLType(), r.sqltype) << r.name;
    EXPECT_EQ(c->SQLSubType(), r.subtype) << r.name;
    EXPECT_EQ(c->SQLLen(), r.len) << r.name;
    EXPECT_EQ(c->SQLScale(), r.scale) << r.name;
    EXPECT_EQ(c->IsNullable(), std::string(r.name) != "C_REQ") << r.name;
    EXPECT_EQ(c->DisplayLabel(), "") << "no label unless one is set";
  }
}

TEST(IBQueryColumns, JoinNamesTheRelationOfEachColumn) {
  auto q = Query("select e.name as emp, d.name as dept, e.id + 1 as next_id, d.id from emp e join dept d on d.id = e.dept_id");
  q->Prepare();
  struct Row {
    const char* field;
    const char* sqlname;
    const char* relname;
  } rows[] = {{"EMP", "NAME", "EMP"}, {"DEPT", "NAME", "DEPT"}, {"NEXT_ID", "ADD", ""}, {"ID", "ID", "DEPT"}};
  ASSERT_EQ(q->FieldCount(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(q->Columns(i)->FieldName(), rows[i].field);
    EXPECT_EQ(q->Columns(i)->SQLName(), rows[i].sqlname) << rows[i].field;
    EXPECT_EQ(q->Columns(i)->RelName(), rows[i].relname) << rows[i].field;
  }
  EXPECT_EQ(q->FindColumn("dept"), q->Columns(1)) << "found without regard to case";
  EXPECT_EQ(q->FindColumn("nope"), nullptr);
  EXPECT_THROW(q->Columns(4), EIB_Error);
}

TEST(IBQueryRows, ValuesOfEveryTypeAndNulls) {
  auto q = Query("select * from T_ALL order by C_REQ");
  q->Open();
  struct Row {
    const char* name;
    const char* text;
  } rows[] = {
      {"C_VARCHAR", "Zo\xEB"}, {"C_CHAR", "ab   "} /* CHAR comes back padded */,
      {"C_SMALL", "-7"},       {"C_INT", "123456"},
      {"C_BIG", "9007199254740993"}, {"C_DOUBLE", "0.1"},
      {"C_FLOAT", "0.15"},     {"C_NUM", "-0.05"},
      {"C_DEC", "12345.6789"}, {"C_DATE", "2024-02-29"},
      {"C_TIME", "13:14:15.1234"}, {"C_STAMP", "1999-12-31 23:59:59"},
      {"C_BOOL", "TRUE"},      {"C_MEMO", "line 1\r\nline 2"},
      {"C_BLOB", "\x00\xFF\x10"},
  };
  for (const Row& r : rows) {
    const auto* c = q->FindColumn(r.name);
    ASSERT_NE(c, nullptr) << r.name;
    EXPECT_FALSE(c->IsNull()) << r.name;
    EXPECT_EQ(c->AsString(), std::string(r.text, std::string(r.name) == "C_BLOB" ? 3 : std::strlen(r.text))) << r.name;
  }
  EXPECT_EQ(q->FindColumn("C_BIG")->AsInteger(), 9007199254740993LL) << "64-bit exact";
  EXPECT_DOUBLE_EQ(q->FindColumn("C_STAMP")->AsDateTime(),
                   SysUtils::EncodeDate(1999, 12, 31) + SysUtils::EncodeTime(23, 59, 59, 0));
  EXPECT_TRUE(q->FindColumn("C_BOOL")->AsBoolean());
  EXPECT_EQ(q->RecNo(), 1);
  EXPECT_EQ(q->RecordCount(), -1) << "not known before the end";

  q->Next();
  EXPECT_EQ(q->RecNo(), 2);
  for (int i = 0; i < q->FieldCount() - 1; ++i) {
    EXPECT_TRUE(q->Columns(i)->IsNull()) << q->Columns(i)->FieldName();
    EXPECT_EQ(q->Columns(i)->AsString(), "") << q->Columns(i)->FieldName();
  }
  EXPECT_EQ(q->FindColumn("C_REQ")->AsInteger(), 2);
  EXPECT_FALSE(q->Eof());
  q->Next();
  EXPECT_TRUE(q->Eof());
  EXPECT_EQ(q->RecordCount(), 2);
  q->First();
  EXPECT_EQ(q->RecNo(), 1) << "First runs the statement again";
  EXPECT_EQ(q->FindColumn("C_REQ")->AsInteger(), 1);
}

TEST(IBQueryRows, ArrayColumnIsDescribedAndItsNullRead) {
  // Plain SQL cannot give an array a value, so the one here is NULL; an array with
  // a value reads as an unreadable value (see DBValue) while its row stays readable.
  auto q = Query("select C_ARR, C_INT from T_ALL where C_REQ = 1");
  q->Open();
  EXPECT_EQ(q->Columns(0)->SQLType(), 541);
  EXPECT_TRUE(q->Columns(0)->IsNull());
  EXPECT_EQ(q->Columns(1)->AsInteger(), 123456);
}

TEST(IBQueryLifecycle, BadInputLeavesTheQueryClosedAndTheDatabaseUsable) {
  auto q = Query("selec * from T_ALL");
  try {
    q->Open();
    FAIL() << "no error";
  } catch (const EIB_Error& e) {
    EXPECT_NE(e.Message().find("Token unknown"), std::string::npos) << e.Message();
    EXPECT_EQ(e.SQLCode(), -104);
    EXPECT_FALSE(e.ErrorCodes().empty());
  }
  EXPECT_FALSE(q->Prepared());
  EXPECT_FALSE(q->Active());
  q->SQL()->SetText("select count(*) from EMP");
  q->Open();
  EXPECT_EQ(q->Columns(0)->AsInteger(), 3);

  auto unknown = Query("select * from NO_SUCH_TABLE");
  EXPECT_THROW(unknown->Open(), EIB_Error);
  auto parameters = Query("select * from EMP where ID = ?");
  EXPECT_THROW(parameters->Open(), EIB_Error);
  EXPECT_FALSE(parameters->Active());
  auto empty = Query("   ");
  EXPECT_THROW(empty->Prepare(), DB::EDatabaseError);
  auto nul = Query(std::string("delete from EMP\0 where ID = 10", 31));
  EXPECT_THROW(nul->ExecSQL(), DB::EDatabaseError) << "a NUL would cut the statement short";
  EXPECT_EQ(Count("EMP"), 3);
}

TEST(IBQueryLifecycle, OpenOfAStatementWithoutRowsRunsNothing) {
  auto q = Query("delete from EMP");
  EXPECT_THROW(q->Open(), EIB_Error);
  EXPECT_FALSE(q->Active());
  EXPECT_EQ(Count("EMP"), 3);
}

TEST(IBQueryLifecycle, OpenTwiceCloseTwiceAndChangedText) {
  auto q = Query("select ID from EMP order by ID");
  q->Open();
  q->Next();
  q->Open();
  EXPECT_EQ(q->RecNo(), 2) << "opening an open query does nothing";
  q->Close();
  q->Close();
  EXPECT_FALSE(q->Active());
  EXPECT_TRUE(q->Prepared()) << "closing keeps the statement";

  q->Open();
  q->SQL()->SetText("select NAME from DEPT order by ID");
  EXPECT_FALSE(q->Active()) << "a changed text closes the query";
  EXPECT_FALSE(q->Prepared());
  q->Open();
  EXPECT_EQ(q->Columns(0)->FieldName(), "NAME");
  EXPECT_EQ(q->Columns(0)->AsString(), "Sales");
  q->Unprepare();
  q->Unprepare();
  EXPECT_EQ(q->FieldCount(), 0);
}

TEST(IBQueryLifecycle, ExecSQLCommitsForEveryReader) {
  auto insert = Query("insert into DEPT values (3, 'Support')");
  insert->ExecSQL();
  EXPECT_EQ(Count("DEPT"), 3);
  auto remove = Query("delete from DEPT where ID = 3");
  remove->ExecSQL();
  EXPECT_EQ(Count("DEPT"), 2);
  auto q = Query("select * from DEPT");
  q->Open();
  EXPECT_THROW(q->ExecSQL(), EIB_Error) << "not while open";
}

TEST(IBConnection, QueriesOfOneDatabaseShareOneAttachment) {
  const char* sql = "select current_connection from rdb$database";
  auto a = Query(sql);
  a->Open();
  // A relative spelling of the same file reaches the same attachment.
  std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(testenv::TempDir());
  auto b = Query(sql, "./ib.fdb");
  b->Open();
  std::filesystem::current_path(cwd);
  EXPECT_EQ(a->Columns(0)->AsInteger(), b->Columns(0)->AsInteger());

  // Once every user is gone the attachment is gone; the next one is new.
  int64_t first = a->Columns(0)->AsInteger();
  a.reset();
  b.reset();
  auto c = Query(sql);
  c->Open();
  EXPECT_NE(c->Columns(0)->AsInteger(), first);
}

TEST(IBConnection, MissingFileIsNamedAndNotCreated) {
  std::string missing = testenv::TempPath("missing.fdb");
  TIB_Connection c(nullptr);
  c.SetDatabaseName(missing);
  try {
    c.Connect();
    FAIL() << "no error";
  } catch (const EIB_Error& e) {
    EXPECT_NE(e.Message().find(missing), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(c.Connected());
  EXPECT_FALSE(std::filesystem::exists(missing));
  auto q = Query("select 1 from rdb$database", missing);
  EXPECT_THROW(q->Open(), EIB_Error);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(IBConnection, ServerThatIsNotThereIsAnError) {
  // Nothing listens on port 9 of this machine.
  auto q = Query("select 1 from rdb$database", "127.0.0.1/9:" + testenv::TempPath("srv.fdb"));
  try {
    q->Open();
    FAIL() << "no error";
  } catch (const EIB_Error& e) {
    EXPECT_NE(e.Message().find("Unable to complete network request"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(q->Prepared());
}

TEST(IBConnection, CreateDatabaseIsAllOrNothing) {
  std::string file = testenv::TempPath("bad-script.fdb");
  try {
    TIB_Connection::CreateDatabase(file, "create table A (X integer);\ncreate tabel B (Y integer);");
    FAIL() << "no error";
  } catch (const EIB_Error& e) {
    EXPECT_NE(e.Message().find("Statement 2 of the script failed"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(std::filesystem::exists(file)) << "a failed script drops the new database";

  auto size = std::filesystem::file_size(Db());
  EXPECT_THROW(TIB_Connection::CreateDatabase(Db(), "create table Z (X integer);"), EIB_Error);
  EXPECT_EQ(std::filesystem::file_size(Db()), size) << "an existing file is left alone";
  EXPECT_EQ(Count("EMP"), 3);
}

TEST(IBParse, ForwardsToTheClauseScanner) {
  std::string sql = "SELECT A FROM T WHERE A = 1 ORDER BY A";
  Ib_parse::SetSQLWhere(sql, "WHERE B = 2");
  Ib_parse::SetSQLOrder(sql, "");
  EXPECT_NE(sql.find("WHERE B = 2"), std::string::npos) << sql;
  EXPECT_EQ(sql.find("ORDER BY"), std::string::npos) << sql;
  EXPECT_EQ(sql.find("A = 1"), std::string::npos) << sql;
}
