// Shared fixtures of the filter component tests: the three variants as typed-test
// parameters, a small shop database for each engine (built once per test process in
// its temporary folder), reading a query's rows, and driving the real filter dialog
// through the scripted UI host.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/kytBDEFilter.h"
#include "components/kytIBDFilter.h"
#include "components/kytIBOFilter.h"
#include "filterdialog/kytSQLFilterForm.h"
#include "tests/filterdialog/DialogDriver.h"
#include "tests/dataaccess/TestEnv.h"

namespace comptest {

using kytSQLFilterForm::TformFilter;
// TLine, EnterLines, AcceptLines, OnNextDialog, BoxTexts, Row(s), ReadRows, Sorted.
using namespace dialogdriver;
using dialogdriver::ReadRows;  // beside the native query's own, below

// The shop database: 12 customers and 60 orders, with NULLs, mixed letter case and a
// quote in the data.
//   CUSTOMER  ID, NAME VARCHAR(40), CITY VARCHAR(30), BORN DATE, CREDIT DOUBLE,
//             ACTIVE BOOLEAN, NOTES (text BLOB), PHOTO (binary BLOB)
//   ORDERS    ID, CUSTOMER_ID, TOTAL DOUBLE, SHIPPED DATE, STATUS VARCHAR(10)
//   "Order Lines"  ID, ORDER_ID, "Qty", NOTE VARCHAR(20) (8 rows)
//   ORDERS_BETWEEN(LO, HI) (Firebird only) a selectable procedure: ID, TOTAL
std::string ShopScript(bool Firebird);
const std::string& ShopDatabase(bool Firebird);
// The database of tests/dataaccess/Schemas.h (T_ALL with one column of every type).
const std::string& TypesDatabase(bool Firebird);

// The statement most tests filter: a join, so that the catalogue has columns of two
// tables and the criteria are qualified.
inline const char* kJoinSQL =
    "SELECT ORDERS.ID, ORDERS.TOTAL, CUSTOMER.NAME FROM ORDERS JOIN CUSTOMER ON CUSTOMER.ID = ORDERS.CUSTOMER_ID";
inline constexpr int kOrderCount = 60;

// Every row of an independent query on the database, as text.
Rows Select(bool Firebird, const std::string& SQL);
// The rows of an open query from its current row on, as text.
Rows ReadRows(IB_Components::TIB_Query& Query);

// ---- The three variants ------------------------------------------------------------------

struct IBOKind {
  using Filter = kytIBOFilter::TkytIBOFilter;
  using Query = IB_Components::TIB_Query;
  static constexpr bool Firebird = true;
  static constexpr bool Native = true;  // native columns, not dataset fields
  static constexpr bool SpecialDefault = true;
};
struct IBDKind {
  using Filter = kytIBDFilter::TkytIBDFilter;
  using Query = IBODataset::TIBOQuery;
  static constexpr bool Firebird = true;
  static constexpr bool Native = false;
  static constexpr bool SpecialDefault = true;
};
struct BDEKind {
  using Filter = kytBDEFilter::TkytBDEFilter;
  using Query = DBTables::TQuery;
  static constexpr bool Firebird = false;
  static constexpr bool Native = false;
  static constexpr bool SpecialDefault = false;
};
using AllKinds = ::testing::Types<IBOKind, IBDKind, BDEKind>;

struct KindNames {
  template <class K>
  static std::string GetName(int) {
    if constexpr (std::is_same_v<K, IBOKind>) return "IBO";
    else if constexpr (std::is_same_v<K, IBDKind>) return "IBD";
    else return "BDE";
  }
};

template <class Q>
std::string SQLOf(Q& Query) {
  return Query.SQL()->Text();
}
template <class Q>
void SetSQL(Q& Query, const std::string& SQL) {
  Query.SQL()->SetText(SQL);
}

// A filter component linked to a query on the shop database, both owned by one owner.
// Campos and Filter are empty before and after every test.
template <class K>
class FilterTest : public ::testing::Test {
 protected:
  using TFilter = typename K::Filter;
  using TQuery = typename K::Query;

  void SetUp() override {
    SysUtils::FormatSettings().ShortDateFormat = "mm/dd/yyyy";
    ClearShared();
    owner = std::make_unique<Classes::TComponent>(nullptr);
    query = NewQuery(kJoinSQL);
    filter = new TFilter(owner.get());
    filter->SetDataSet(query);
  }
  void TearDown() override {
    owner.reset();
    ClearShared();
  }
  static void ClearShared() {
    delete kytSQLFilterStruc::Campos;
    kytSQLFilterStruc::Campos = nullptr;
    kytSQLFilterStruc::Filter.clear();
  }

  TQuery* NewQuery(const std::string& SQL, const std::string& Database = ShopDatabase(K::Firebird)) {
    auto* q = new TQuery(owner.get());
    q->SetDatabaseName(Database);
    SetSQL(*q, SQL);
    return q;
  }
  // The rows of the filtered query, read from its first row.
  Rows QueryRows() { return ReadRows(*query); }
  // After an Execute whose new statement could not open because the database failed
  // (file gone, server stopped): false, told in the one box, the dialog freed, Previous
  // back in place on Query and closed, the dialog's lines not taken over.
  void ExpectFailureToldAndPreviousKept(bool Accepted, TQuery& Query, const std::string& Previous) {
    EXPECT_FALSE(Accepted);
    EXPECT_EQ(ScriptedHost().ModalShown, 1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error opening the Dataset with the NEW SQL"});
    EXPECT_EQ(filter->ComponentCount(), 0) << "the dialog is freed";
    EXPECT_EQ(SQLOf(Query), Previous);
    EXPECT_FALSE(Query.Active()) << "the previous statement cannot open either";
    EXPECT_TRUE(kytSQLFilterStruc::Filter.empty()) << "the lines were not taken over";
  }
  Rows Expected(const std::string& Where) { return Select(K::Firebird, std::string(kJoinSQL) + " " + Where); }

  std::unique_ptr<Classes::TComponent> owner;
  TQuery* query = nullptr;
  TFilter* filter = nullptr;
};

}  // namespace comptest
