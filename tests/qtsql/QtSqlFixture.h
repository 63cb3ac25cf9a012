// Shared fixtures of the Qt SQL tests: the engines a QSqlDatabase connection can reach
// (SQLite always, in a temporary file; PostgreSQL when a server is configured, in a
// schema of this process), a small shop database on each, and the filter dialog driven
// through the scripted UI host.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "components/kytQtSqlFilter.h"
#include "filterdialog/kytSQLFilterForm.h"
#include "tests/filterdialog/DialogDriver.h"

namespace qtsqltest {

// TLine, EnterLines, AcceptLines, OnNextDialog, BoxTexts, Row(s), ReadRows, Sorted.
using namespace dialogdriver;

enum class TEngine { SQLite, PostgreSQL };
std::string EngineName(TEngine Engine);
inline void PrintTo(TEngine Engine, std::ostream* Out) { *Out << EngineName(Engine); }

// The name of the QSqlDatabase connection to Engine's shop database, made on first use.
// Empty when the engine cannot be reached; Why then says why.
std::string ShopConnection(TEngine Engine, std::string& Why);

// The shop database:
//   CUSTOMER  ID, NAME VARCHAR(40), CITY VARCHAR(30), BORN DATE, CREDIT DOUBLE,
//             ACTIVE BOOLEAN, NOTES (unlimited text), PHOTO (bytes), SEEN TIMESTAMP,
//             OPENS TIME, PRICE NUMERIC(10,2), BIG BIGINT, TAG VARCHAR(20)
//   ORDERS    ID, CUSTOMER_ID, TOTAL DOUBLE, SHIPPED DATE, STATUS VARCHAR(10)
// Names are of mixed case with letters beyond ASCII ("José", "JOSÉ"); TAG holds the
// LIKE wildcards, the escape character "!" and a quote.
inline constexpr int kCustomerCount = 12;
inline constexpr int kOrderCount = 40;
inline const char* kJoinSQL =
    "SELECT ORDERS.ID, ORDERS.TOTAL, CUSTOMER.NAME FROM ORDERS JOIN CUSTOMER ON CUSTOMER.ID = ORDERS.CUSTOMER_ID";
// The TAG of customer ID i + 1.
extern const char* const kTags[kCustomerCount];

// Every row of a statement run on Connection by a query of its own.
Rows Select(const std::string& Connection, const std::string& SQL);

// A filter linked to a query on the shop database of the engine the test runs on;
// skipped when that engine cannot be reached. Campos and Filter are empty before and
// after every test.
class EngineTest : public ::testing::TestWithParam<TEngine> {
 protected:
  void SetUp() override;
  void TearDown() override;

  bool Postgres() const { return GetParam() == TEngine::PostgreSQL; }
  // A column's name as the engine reports it (PostgreSQL folds to lower case).
  std::string Col(const std::string& Name) const;
  QtSqlDataSet::TQtSqlQuery* NewQuery(const std::string& SQL);
  Rows Expected(const std::string& Where) { return Select(connection, std::string(kJoinSQL) + " " + Where); }

  std::string connection;
  std::unique_ptr<Classes::TComponent> owner;
  QtSqlDataSet::TQtSqlQuery* query = nullptr;
  kytQtSqlFilter::TkytQtSqlFilter* filter = nullptr;
};

struct EngineNames {
  std::string operator()(const ::testing::TestParamInfo<TEngine>& Info) const { return EngineName(Info.param); }
};

#define KYT_ENGINES(Suite)                                                                                    \
  INSTANTIATE_TEST_SUITE_P(Engines, Suite, ::testing::Values(TEngine::SQLite, TEngine::PostgreSQL), \
                           EngineNames())

}  // namespace qtsqltest
