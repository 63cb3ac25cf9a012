// The dataset query over Firebird and the dataset behaviour both engines share.
#include <gtest/gtest.h>

#include "dataaccess/ibobjects/IBODataset.h"
#include "tests/dataaccess/Schemas.h"
#include "tests/dataaccess/TestEnv.h"

using IBODataset::TIBOQuery;

namespace {

const std::string& Db() {
  static const std::string path = testenv::NewFirebird("ibo.fdb", schemas::kFirebird);
  return path;
}

std::unique_ptr<TIBOQuery> Query(const std::string& Sql) {
  auto q = std::make_unique<TIBOQuery>(nullptr);
  q->SetDatabaseName(Db());
  q->GetSQL()->SetText(Sql);
  return q;
}

}  // namespace

TEST(IBODatasetFields, TypeSizeAndNativeColumnOfEveryType) {
  auto q = Query("select * from T_ALL");
  q->Open();
  struct Row {
    const char* name;
    int type;  // the dataset field-type ordinal
    int size;  // data size
  } rows[] = {
      {"C_VARCHAR", 1, 20}, {"C_CHAR", 1, 5},    {"C_SMALL", 2, 2},  {"C_INT", 3, 4},
      {"C_BIG", 25, 8},     {"C_DOUBLE", 6, 8},  {"C_FLOAT", 6, 8},  {"C_NUM", 8, 34},
      {"C_DEC", 8, 34},     {"C_DATE", 9, 4},    {"C_TIME", 10, 4},  {"C_STAMP", 11, 8},
      {"C_BOOL", 5, 2},     {"C_MEMO", 16, 0},   {"C_BLOB", 15, 0},  {"C_ARR", 0, 0},
      {"C_REQ", 3, 4},
  };
  ASSERT_EQ(q->FieldCount(), static_cast<int>(std::size(rows)));
  for (int i = 0; i < q->FieldCount(); ++i) {
    const DB::TField* f = q->Fields(i);
    EXPECT_EQ(f->FullName(), rows[i].name);
    EXPECT_EQ(f->DataType(), rows[i].type) << rows[i].name;
    EXPECT_EQ(f->DataSize(), rows[i].size) << rows[i].name;
    EXPECT_EQ(f->DisplayLabel(), rows[i].name) << "the label falls back to the name";
    const auto* native = q->InternalDataset()->Columns(i);
    EXPECT_EQ(native->SQLName(), rows[i].name);
    EXPECT_EQ(native->RelName(), "T_ALL");
  }
  EXPECT_EQ(q->FieldByName("c_num")->Size(), 2) << "decimal places";
  EXPECT_EQ(q->FieldByName("c_num")->AsString(), "-0.05");
  EXPECT_EQ(q->FieldByName("C_VARCHAR")->AsString(), "Zo\xEB");
}

TEST(IBODatasetFields, JoinAliasesAndLabels) {
  auto q = Query("select e.name as emp, d.name as dept from emp e join dept d on d.id = e.dept_id order by e.id");
  q->Open();
  ASSERT_EQ(q->FieldCount(), 2);
  EXPECT_EQ(q->Fields(0)->FullName(), "EMP");
  EXPECT_EQ(q->InternalDataset()->Columns(0)->SQLName(), "NAME");
  EXPECT_EQ(q->InternalDataset()->Columns(0)->RelName(), "EMP");
  EXPECT_EQ(q->InternalDataset()->Columns(1)->RelName(), "DEPT");
  q->Fields(1)->SetDisplayLabel("Department");
  EXPECT_EQ(q->Fields(1)->DisplayLabel(), "Department");
  std::vector<std::string> got;
  for (; !q->Eof(); q->Next()) got.push_back(q->Fields(0)->AsString() + "/" + q->Fields(1)->AsString());
  EXPECT_EQ(got, (std::vector<std::string>{"Ann/Sales", "Bob/Research", "Cid/Research"}));
  EXPECT_EQ(q->RecordCount(), 3);
  EXPECT_THROW(q->FieldByName("NAME"), DB::EDatabaseError);
  EXPECT_THROW(q->Fields(2), DB::EDatabaseError);
}

TEST(IBODatasetLifecycle, FaultsLeaveTheQueryClosedAndUsable) {
  auto q = Query("select * from NO_SUCH_TABLE");
  EXPECT_THROW(q->Open(), IB_Components::EIB_Error);
  EXPECT_FALSE(q->Active());
  EXPECT_EQ(q->FieldCount(), 0);
  EXPECT_THROW(q->Fields(0), DB::EDatabaseError) << "no fields while closed";

  q->GetSQL()->SetText("select ID from EMP order by ID");
  q->Open();
  EXPECT_EQ(q->Fields(0)->AsInteger(), 10);
  q->Next();
  q->Open();
  EXPECT_EQ(q->RecNo(), 2) << "opening an open query does nothing";
  EXPECT_THROW(q->ExecSQL(), DB::EDatabaseError) << "not while open";

  q->GetSQL()->SetText("select NAME from DEPT order by ID");
  EXPECT_FALSE(q->Active()) << "a changed text closes the query";
  q->Open();
  EXPECT_EQ(q->Fields(0)->AsString(), "Sales");
  q->Close();
  q->Close();
  EXPECT_TRUE(q->Eof());

  q->GetSQL()->SetText("update DEPT set NAME = 'Sales' where ID = 1");
  q->ExecSQL();
  q->SetRequestLive(false);
  q->GetSQL()->SetText("select NAME from DEPT where ID = 1");
  q->SetActive(true);
  EXPECT_EQ(q->Fields(0)->AsString(), "Sales");
}

TEST(IBODatasetLifecycle, FirstRerunsUnlessOneDirectional) {
  auto q = Query("select ID from EMP order by ID");
  q->Open();
  q->First();
  EXPECT_EQ(q->RecNo(), 1) << "at the first row First does nothing";
  q->Next();
  q->Next();
  q->First();
  EXPECT_EQ(q->RecNo(), 1);
  EXPECT_EQ(q->Fields(0)->AsInteger(), 10);

  // A single row read past: First must bring the row back, not leave Eof set.
  auto one = Query("select ID from EMP where ID = 10");
  one->Open();
  one->Next();
  ASSERT_TRUE(one->Eof());
  one->First();
  EXPECT_FALSE(one->Eof());
  EXPECT_EQ(one->Fields(0)->AsInteger(), 10);
  int before = q->OpenCount();

  q->Close();
  q->SetUniDirectional(true);
  q->Open();
  EXPECT_EQ(q->OpenCount(), before + 1);
  q->Next();
  EXPECT_THROW(q->First(), DB::EDatabaseError);
  EXPECT_TRUE(q->Active()) << "the refusal keeps the position";
  EXPECT_EQ(q->Fields(0)->AsInteger(), 11);
}

TEST(IBODatasetLifecycle, OwnerDestroysTheQuery) {
  int destroyed = 0;
  struct Counted : TIBOQuery {
    Counted(Classes::TComponent* Owner, int& N) : TIBOQuery(Owner), FN(N) {}
    ~Counted() override { ++FN; }
    int& FN;
  };
  {
    Classes::TComponent owner(nullptr);
    auto* q = new Counted(&owner, destroyed);
    q->SetDatabaseName(Db());
    q->GetSQL()->SetText("select * from EMP");
    q->Open();
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 1) << "the owner freed the open query";
}
