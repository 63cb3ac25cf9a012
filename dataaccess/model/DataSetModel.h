// Unit DataSetModel: a read-only Qt table model over a dataset, for QTableView.
//
// Rows are read from the dataset in batches as the view asks for them (canFetchMore
// and fetchMore), so a view shows the first rows of a query of millions at once and
// reads the rest only when scrolled to. The model copies what it has read; the
// dataset's own position moves forward as it does.
//
// User-interface thread only. No exception leaves the model: an engine error while
// reading ends the reading, keeps the rows read so far, and is told through
// fetchFailed.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <memory>
#include <vector>

#include "dataaccess/db/DB.h"

namespace DataSetModel {

class TDataSetModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Parent takes ownership (Qt's tree) when not null.
  explicit TDataSetModel(QObject* Parent = nullptr);
  ~TDataSetModel() override;

  // Shows DataSet (not owned; null shows nothing). The model hears of the dataset's
  // destruction and then shows nothing. Reads the first batch when the dataset is
  // open; when it has moved past its first row it is moved back first (First), which
  // a one-directional dataset refuses: then the model shows its rows from the current
  // one on.
  void SetDataSet(DB::TDataSet* DataSet);
  DB::TDataSet* DataSet() const { return FDataSet; }
  // Forgets the rows and reads again from the dataset's first row: call it after the
  // dataset was reopened (until then the model stops reading, so rows of two results
  // never mix).
  void Refresh();

  // Rows read per fetchMore; at least 1. Default 256.
  int BatchSize() const { return FBatchSize; }
  void SetBatchSize(int Value) { FBatchSize = Value < 1 ? 1 : Value; }
  // The message of the error that ended the reading, or empty.
  const QString& LastError() const { return FLastError; }

  int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& Parent = QModelIndex()) const override;
  // DisplayRole: the value's text ("" for NULL, "(BLOB)" for binary data, "(ARRAY)"
  // and the like for values that cannot be read). EditRole: the text, or an invalid
  // QVariant for NULL. TextAlignmentRole: numbers to the right.
  QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
  // Horizontal: the fields' display labels; vertical: row numbers from 1.
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role = Qt::DisplayRole) const override;
  bool canFetchMore(const QModelIndex& Parent) const override;
  void fetchMore(const QModelIndex& Parent) override;

 signals:
  void fetchFailed(const QString& Message);

 private:
  class TWatcher;
  void Reset();
  bool Readable() const;
  void Fail(const QString& Message);

  DB::TDataSet* FDataSet = nullptr;
  std::unique_ptr<TWatcher> FWatcher;
  int FOpenCount = 0;  // the dataset's OpenCount when the rows were read
  int FBatchSize = 256;
  bool FFailed = false;
  QString FLastError;
  std::vector<QString> FHeaders;
  std::vector<DB::TFieldType> FTypes;
  std::vector<std::vector<DB::TValue>> FRows;
};

}  // namespace DataSetModel
