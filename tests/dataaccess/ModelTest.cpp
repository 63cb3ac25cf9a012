// The item model over a dataset: batches, cells, reopened and destroyed datasets,
// errors while reading.
#include <gtest/gtest.h>

#include "dataaccess/bde/DBTables.h"
#include "dataaccess/ibobjects/IBODataset.h"
#include "dataaccess/model/DataSetModel.h"
#include "tests/dataaccess/TestEnv.h"

using DataSetModel::TDataSetModel;

namespace {

std::unique_ptr<DBTables::TQuery> SampleQuery(const std::string& Sql) {
  auto q = std::make_unique<DBTables::TQuery>(nullptr);
  q->SetDatabaseName(testenv::SampleCopy(Sample::TEngine::SQLite));
  q->SQL()->SetText(Sql);
  return q;
}

// Counts the rows the model announces.
struct TInserted {
  explicit TInserted(TDataSetModel& M) {
    QObject::connect(&M, &QAbstractItemModel::rowsInserted,
                     [this](const QModelIndex&, int First, int Last) { rows += Last - First + 1, ++batches; });
  }
  int rows = 0;
  int batches = 0;
};

}  // namespace

TEST(DataSetModelBatches, ReadsWhatTheViewAsksForAndNoMore) {
  auto q = SampleQuery("select ID, CUSTOMER_ID, TOTAL from ORDERS order by ID");
  q->Open();
  TDataSetModel model;
  TInserted inserted(model);
  model.SetDataSet(q.get());
  EXPECT_EQ(model.rowCount(), 256) << "the first batch";
  EXPECT_EQ(model.columnCount(), 3);
  EXPECT_EQ(q->RecNo(), 257) << "the dataset moved only as far as the batch";
  EXPECT_TRUE(model.canFetchMore(QModelIndex()));

  model.fetchMore(QModelIndex());
  EXPECT_EQ(model.rowCount(), 512);
  EXPECT_EQ(inserted.batches, 2);
  model.SetBatchSize(4000);
  int rounds = 0;
  while (model.canFetchMore(QModelIndex())) model.fetchMore(QModelIndex()), ++rounds;
  EXPECT_EQ(rounds, 3);
  EXPECT_EQ(model.rowCount(), 10000);
  EXPECT_EQ(inserted.rows, 10000);
  EXPECT_EQ(model.data(model.index(9999, 0)).toString(), "10000");
  EXPECT_FALSE(model.canFetchMore(model.index(0, 0))) << "no children";
}

TEST(DataSetModelCells, TextNullsBlobsHeadersAlignment) {
  auto q = SampleQuery("select ID as \"Order\", COMMENTS, TOTAL from ORDERS where ID in (8, 9) order by ID");
  q->Open();
  q->Fields(0)->SetDisplayLabel("Order no.");
  TDataSetModel model;
  model.SetDataSet(q.get());
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Order no.");
  EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "COMMENTS");
  EXPECT_EQ(model.headerData(1, Qt::Vertical).toInt(), 2);
  EXPECT_EQ(model.data(model.index(0, 1)).toString(), "") << "NULL shows empty";
  EXPECT_FALSE(model.data(model.index(0, 1), Qt::EditRole).isValid()) << "and edits as no value";
  EXPECT_EQ(model.data(model.index(1, 1)).toString(), "Leave at the door, ring twice (order 9)");
  EXPECT_EQ(model.data(model.index(0, 2), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
  EXPECT_EQ(model.data(model.index(0, 1), Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
  EXPECT_FALSE(model.data(model.index(5, 0)).isValid()) << "outside the rows";

  auto p = SampleQuery("select NAME, PICTURE from PRODUCTS where ID = 1");
  p->Open();
  model.SetDataSet(p.get());
  EXPECT_EQ(model.data(model.index(0, 1)).toString(), "(BLOB)");
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), "Chair 1");

  auto c = SampleQuery("select NAME from CUSTOMERS where NAME like 'Zo%' limit 1");
  c->Open();
  model.SetDataSet(c.get());
  EXPECT_TRUE(model.data(model.index(0, 0)).toString().startsWith(QString::fromUtf8("Zoë "))) << "text shown as Unicode";
}

TEST(DataSetModelSource, ReopenedDestroyedAndMovedDatasets) {
  auto q = SampleQuery("select ID from ORDERS order by ID");
  q->Open();
  TDataSetModel model;
  model.SetBatchSize(10);
  model.SetDataSet(q.get());
  model.fetchMore(QModelIndex());
  ASSERT_EQ(model.rowCount(), 20);

  q->Close();
  q->Open();
  EXPECT_FALSE(model.canFetchMore(QModelIndex())) << "rows of two results never mix";
  EXPECT_EQ(model.rowCount(), 20);
  model.Refresh();
  EXPECT_EQ(model.rowCount(), 10);
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), "1");

  // A dataset that was moved on is moved back first.
  q->Next();
  q->Next();
  model.Refresh();
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), "1");

  // A one-directional one cannot go back: the model shows it from where it stands.
  q->Close();
  q->SetUniDirectional(true);
  q->Open();
  for (int i = 0; i < 5; ++i) q->Next();
  model.Refresh();
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), "6");
  EXPECT_TRUE(model.LastError().isEmpty());

  q.reset();
  EXPECT_EQ(model.DataSet(), nullptr) << "the model heard of the destruction";
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(model.columnCount(), 0);
  EXPECT_FALSE(model.canFetchMore(QModelIndex()));
}

TEST(DataSetModelSource, EngineErrorEndsReadingAndKeepsTheRows) {
  // abs() of the smallest integer overflows: an error at row 300 of the result.
  auto q = SampleQuery("select ID, case when ID = 300 then abs(-9223372036854775807 - 1) else ID end from ORDERS order by ID");
  q->Open();
  TDataSetModel model;
  QString told;
  QObject::connect(&model, &TDataSetModel::fetchFailed, [&](const QString& M) { told = M; });
  model.SetDataSet(q.get());
  model.fetchMore(QModelIndex());
  EXPECT_EQ(model.rowCount(), 299);
  EXPECT_TRUE(told.contains("integer overflow")) << told.toStdString();
  EXPECT_EQ(model.LastError(), told);
  EXPECT_FALSE(model.canFetchMore(QModelIndex()));
}

TEST(DataSetModelSource, FirebirdDatasetToo) {
  IBODataset::TIBOQuery q(nullptr);
  q.SetDatabaseName(testenv::SampleCopy(Sample::TEngine::Firebird));
  q.GetSQL()->SetText("select ID, ORDER_DATE, PAID from ORDERS order by ID");
  q.Open();
  TDataSetModel model;
  model.SetDataSet(&q);
  EXPECT_EQ(model.rowCount(), 256);
  EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "ORDER_DATE");
  EXPECT_EQ(model.data(model.index(255, 0)).toString(), "256");
}
