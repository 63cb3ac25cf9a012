// The Qt SQL dataset query against the real engines, and the component's translation of
// drivers and bound values.
#include <QDateTime>
#include <QSqlQueryModel>

#include "dataaccess/model/DataSetModel.h"
#include "tests/qtsql/QtSqlFixture.h"

namespace qtsqltest {
namespace {

using QtSqlDataSet::EQtSqlError;
using QtSqlDataSet::TQtSqlQuery;

using DataSetTest = EngineTest;
KYT_ENGINES(DataSetTest);

TEST_P(DataSetTest, FieldsGiveTypeSizeBaseTableAndValueOfEveryColumn) {
  TQtSqlQuery& q = *NewQuery("SELECT * FROM CUSTOMER WHERE ID = 3");
  q.Open();
  struct Column {
    const char* name;
    DB::TFieldType type;
    int size;
    const char* value;
  } columns[] = {
      {"ID", DB::ftInteger, 0, "3"},
      {"NAME", DB::ftString, 40, "Jos\xE9"},
      {"CITY", DB::ftString, 30, "Lisboa"},
      {"BORN", DB::ftDate, 0, "1963-04-15"},
      {"CREDIT", DB::ftFloat, 0, "750.5"},
      {"ACTIVE", DB::ftBoolean, 0, "TRUE"},
      {"NOTES", DB::ftMemo, 0, "note 3"},
      {"PHOTO", DB::ftBlob, 0, ""},
      {"SEEN", DB::ftDateTime, 0, "2024-01-13 10:30:00"},
      {"OPENS", DB::ftTime, 0, "08:13:00"},
      {"PRICE", DB::ftBCD, 2, "30.75"},
      {"BIG", DB::ftLargeint, 0, "30000000000"},
      {"TAG", DB::ftString, 20, "a_b"},
  };
  ASSERT_EQ(q.FieldCount(), static_cast<int>(std::size(columns)));
  for (int i = 0; i < q.FieldCount(); ++i) {
    const Column& c = columns[i];
    SCOPED_TRACE(c.name);
    const DB::TField& f = *q.Fields(i);
    EXPECT_EQ(f.FieldName(), Col(c.name));
    EXPECT_EQ(f.DataType(), c.type);
    EXPECT_EQ(f.Size(), c.size);
    EXPECT_EQ(f.AsString(), c.value);
    EXPECT_EQ(SysUtils::UpperCase(q.BaseTable(i)), "CUSTOMER");
    EXPECT_EQ(q.BaseColumn(i), Col(c.name));
  }
  EXPECT_TRUE(q.Fields(7)->IsNull());

  // An expression has no base table.
  TQtSqlQuery& e = *NewQuery("SELECT ID + 1 AS NEXT_ID, NAME FROM CUSTOMER WHERE ID = 1");
  e.Open();
  EXPECT_EQ(e.BaseTable(0), "");
  EXPECT_EQ(e.Fields(0)->AsInteger(), 2);
  EXPECT_EQ(SysUtils::UpperCase(e.BaseTable(1)), "CUSTOMER");
}

TEST_P(DataSetTest, FailuresRaiseTheDatasetErrorWithTheDriversTextAndLeaveTheQueryClosed) {
  struct Case {
    const char* name;
    std::string connection;  // empty: the engine's
    const char* sql;
    const char* says;  // part of the message, in any case
  } cases[] = {
      {"unknown_table", "", "SELECT * FROM NO_SUCH_TABLE", "no_such_table"},
      {"syntax", "", "SELEC ID FROM CUSTOMER", "selec"},
      {"no_rows", "", "UPDATE CUSTOMER SET NOTES = 'changed' WHERE ID = 1", "ExecSQL"},
      {"unknown_connection", "nope", "SELECT 1", "no Qt SQL connection named 'nope'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TQtSqlQuery& q = *NewQuery(c.sql);
    if (!c.connection.empty()) q.SetConnectionName(c.connection);
    try {
      q.Open();
      ADD_FAILURE() << "opened";
    } catch (const EQtSqlError& E) {
      EXPECT_NE(SysUtils::LowerCase(E.Message()).find(SysUtils::LowerCase(c.says)), std::string::npos) << E.Message();
    }
    EXPECT_FALSE(q.Active());
  }
  // SQLite refuses the statement before it runs; PostgreSQL's driver runs it first.
  if (!Postgres()) {
    EXPECT_EQ(Select(connection, "SELECT NOTES FROM CUSTOMER WHERE ID = 1"), Rows{{"note 1"}});
  }
}

TEST_P(DataSetTest, BoundValuesAreDataAndUpperFoldsLettersBeyondAscii) {
  struct Case {
    const char* name;
    const char* sql;
    QVariantList params;
    Rows ids;
  } cases[] = {
      {"quote_is_data", "SELECT ID FROM CUSTOMER WHERE NAME = ?", {QStringLiteral("x' OR '1'='1")}, {}},
      {"quote_in_value", "SELECT ID FROM CUSTOMER WHERE NAME = ?", {QStringLiteral("O'Brien")}, {{"7"}}},
      {"fold", "SELECT ID FROM CUSTOMER WHERE UPPER(NAME) = UPPER(?) ORDER BY ID", {QString::fromUtf8("josé")},
       {{"3"}, {"4"}, {"5"}}},
      {"fold_e_acute", "SELECT ID FROM CUSTOMER WHERE UPPER(NAME) = ? ORDER BY ID", {QString::fromUtf8("ÉMILE")},
       {{"8"}, {"9"}}},
      {"numbers", "SELECT ID FROM CUSTOMER WHERE ID > ? AND CREDIT < ? ORDER BY ID", {qlonglong{9}, 2700.0},
       {{"10"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TQtSqlQuery& q = *NewQuery(c.sql);
    q.SetParams(c.params);
    q.Open();
    EXPECT_EQ(ReadRows(q), c.ids);
  }
}

TEST_P(DataSetTest, AttachedModelShowsTheStatementOfEveryOpen) {
  auto model = std::make_unique<QSqlQueryModel>();
  TQtSqlQuery& q = *NewQuery("SELECT ID, NAME FROM CUSTOMER WHERE ID <= ? ORDER BY ID");
  q.AttachModel(model.get());
  auto modelIds = [&] {
    while (model->canFetchMore()) model->fetchMore();
    Rows ids;
    for (int r = 0; r < model->rowCount(); ++r) ids.push_back({model->data(model->index(r, 0)).toString().toStdString()});
    return ids;
  };
  for (qlonglong last : {3, 1, 12}) {
    SCOPED_TRACE(last);
    q.Close();
    q.SetParams({last});
    q.Open();
    Rows ids;
    for (; !q.Eof(); q.Next()) ids.push_back({q.Fields(0)->AsString()});
    EXPECT_EQ(ids.size(), static_cast<size_t>(last));
    EXPECT_EQ(modelIds(), ids);
    // The library's own model reads the same rows from the query itself.
    q.Close();
    q.Open();
    DataSetModel::TDataSetModel own;
    own.SetDataSet(&q);
    while (own.canFetchMore(QModelIndex())) own.fetchMore(QModelIndex());
    Rows ownIds;
    for (int r = 0; r < own.rowCount(); ++r) ownIds.push_back({own.data(own.index(r, 0)).toString().toStdString()});
    EXPECT_EQ(ownIds, ids);
  }
  // A failed Open leaves the model as it was.
  q.Close();
  q.SQL()->SetText("SELECT NOPE FROM CUSTOMER");
  EXPECT_THROW(q.Open(), EQtSqlError);
  EXPECT_EQ(modelIds().size(), 12u);
  // A model destroyed meanwhile is forgotten.
  model.reset();
  q.SQL()->SetText("SELECT ID FROM CUSTOMER");
  q.SetParams({});
  q.Open();
  EXPECT_EQ(q.AttachedModel(), nullptr);
}

TEST(QtSqlTranslation, DriversDialectsAndBoundValues) {
  using namespace kytSQLFilterStruc;
  using kytQtSqlFilter::DialectOfDriver;
  EXPECT_EQ(DialectOfDriver("QSQLITE"), sdSQLite);
  EXPECT_EQ(DialectOfDriver("QPSQL"), sdPostgreSQL);
  EXPECT_EQ(DialectOfDriver("QIBASE"), sdFirebird);
  EXPECT_EQ(DialectOfDriver("QODBC"), sdFirebird);

  struct Case {
    TSqlParam param;
    TSqlDialect dialect;
    QVariant expected;
  } cases[] = {
      {{pkText, "Jos\xE9"}, sdPostgreSQL, QString::fromUtf8("José")},
      {{pkInteger, "-12"}, sdSQLite, qlonglong{-12}},
      {{pkInteger, "99999999999"}, sdPostgreSQL, qlonglong{99999999999}},
      {{pkFloat, "2.5"}, sdPostgreSQL, 2.5},
      {{pkBoolean, "FALSE"}, sdSQLite, false},
      {{pkBoolean, "TRUE"}, sdPostgreSQL, true},
      {{pkDate, "2024-03-15"}, sdPostgreSQL, QDate(2024, 3, 15)},
      {{pkTime, "08:05:09"}, sdPostgreSQL, QTime(8, 5, 9)},
      {{pkDateTime, "2024-03-15 10:30:00"}, sdFirebird, QDateTime(QDate(2024, 3, 15), QTime(10, 30))},
      // SQLite keeps dates as text: the value stays the text it compares with.
      {{pkDate, "2024-03-15"}, sdSQLite, QStringLiteral("2024-03-15")},
      {{pkDateTime, "2024-03-15 00:00:00"}, sdSQLite, QStringLiteral("2024-03-15 00:00:00")},
      // What does not read as its kind goes as text rather than as a wrong number.
      {{pkInteger, "12abc"}, sdPostgreSQL, QStringLiteral("12abc")},
      {{pkDate, "2024-02-30"}, sdPostgreSQL, QStringLiteral("2024-02-30")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.param.Value);
    const QVariant v = kytQtSqlFilter::ParamValue(c.param, c.dialect);
    EXPECT_EQ(v.metaType(), c.expected.metaType());
    EXPECT_EQ(v, c.expected);
  }
}

}  // namespace
}  // namespace qtsqltest
