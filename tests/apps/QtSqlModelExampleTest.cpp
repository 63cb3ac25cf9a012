// The README's lines that put the filter over an application's own QSqlQueryModel,
// compiled and run here on a SQLite sample through Qt's default connection.
#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQueryModel>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "components/kytQtSqlFilter.h"
#include "dataaccess/sample/Sample.h"

namespace {

// The application's side: its model (shown by its QTableView) on its open connection.
// The README's lines, as they are there.
struct TFilteredModel {
  explicit TFilteredModel(QSqlQueryModel* model) {
    // --- README begin
    query = std::make_unique<QtSqlDataSet::TQtSqlQuery>(nullptr);
    query->SetConnectionName("");  // Qt's default connection; or the name you gave it
    query->SQL()->SetText("SELECT ID, NAME, CITY FROM CUSTOMERS ORDER BY ID");
    query->AttachModel(model);     // your QSqlQueryModel, the one your QTableView shows
    filter = std::make_unique<kytQtSqlFilter::TkytQtSqlFilter>(nullptr);
    filter->SetDataSet(query.get());
    query->Open();                 // the model shows the statement's rows
    // --- README end
  }
  // On the user's "Filter..." button: filter->Execute() shows the dialog; on OK the query
  // and the model show the filtered rows.
  std::unique_ptr<QtSqlDataSet::TQtSqlQuery> query;
  std::unique_ptr<kytQtSqlFilter::TkytQtSqlFilter> filter;  // declared last: ends first
};

}  // namespace

TEST(QtSqlModelExample, AttachedModelShowsTheQuerysRows) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "kyt-qtsql-model-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const std::string file = pattern + "/shop.db";
  Sample::CreateSampleDatabase(Sample::TEngine::SQLite, file, 30);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE");
    db.setDatabaseName(QString::fromStdString(file));
    ASSERT_TRUE(db.open());
    QSqlQueryModel model;
    {
      TFilteredModel app(&model);
      EXPECT_EQ(model.columnCount(), 3);
      EXPECT_EQ(model.rowCount(), 10);  // the sample's ten customers
      EXPECT_EQ(model.index(0, 0).data().toInt(), 1);
      EXPECT_EQ(model.index(9, 0).data().toInt(), 10);
    }
    model.clear();
  }
  QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
  fs::remove_all(pattern);
}
