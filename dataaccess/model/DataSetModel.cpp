// Unit DataSetModel: the table model and its batch reading.
#include "dataaccess/model/DataSetModel.h"

#include "dataaccess/db/DBText.h"

namespace DataSetModel {

// Hears of the dataset's destruction, which the model (not a component) cannot.
class TDataSetModel::TWatcher : public Classes::TComponent {
 public:
  explicit TWatcher(TDataSetModel* Model) : Classes::TComponent(nullptr), FModel(Model) {}

 protected:
  void Notification(Classes::TComponent* AComponent, Classes::TOperation Operation) override {
    Classes::TComponent::Notification(AComponent, Operation);
    if (Operation == Classes::TOperation::opRemove && AComponent == FModel->FDataSet) {
      FModel->FDataSet = nullptr;
      FModel->Reset();
    }
  }

 private:
  TDataSetModel* FModel;
};

namespace {

QString ToQString(const std::string& Ansi) { return QString::fromStdString(DB::AnsiToUtf8(Ansi)); }

bool IsNumber(DB::TFieldType T) {
  switch (T) {
    case DB::ftSmallint: case DB::ftInteger: case DB::ftWord: case DB::ftFloat:
    case DB::ftCurrency: case DB::ftBCD: case DB::ftAutoInc: case DB::ftLargeint:
      return true;
    default:
      return false;
  }
}

}  // namespace

TDataSetModel::TDataSetModel(QObject* Parent)
    : QAbstractTableModel(Parent), FWatcher(std::make_unique<TWatcher>(this)) {}

TDataSetModel::~TDataSetModel() {
  if (FDataSet) FDataSet->RemoveFreeNotification(FWatcher.get());
}

void TDataSetModel::SetDataSet(DB::TDataSet* DataSet) {
  if (FDataSet && FDataSet != DataSet) FDataSet->RemoveFreeNotification(FWatcher.get());
  FDataSet = DataSet;
  if (FDataSet) FDataSet->FreeNotification(FWatcher.get());
  Refresh();
}

void TDataSetModel::Refresh() {
  FFailed = false;
  FLastError.clear();
  if (FDataSet && FDataSet->Active() && FDataSet->RecNo() > 1) {
    try {
      FDataSet->First();
    } catch (const DB::EDatabaseError& e) {
      // A one-directional dataset cannot go back; a failed rerun closes it.
      if (!FDataSet->Active()) FLastError = ToQString(e.Message());
    } catch (const SysUtils::Exception& e) {
      FLastError = ToQString(e.Message());
    }
  }
  Reset();
  if (!FLastError.isEmpty()) {
    FFailed = true;
    emit fetchFailed(FLastError);
    return;
  }
  if (canFetchMore(QModelIndex())) fetchMore(QModelIndex());
}

void TDataSetModel::Reset() {
  beginResetModel();
  FRows.clear();
  FHeaders.clear();
  FTypes.clear();
  if (FDataSet && FDataSet->Active()) {
    FOpenCount = FDataSet->OpenCount();
    for (int i = 0; i < FDataSet->FieldCount(); ++i) {
      const DB::TField* f = FDataSet->Fields(i);
      FHeaders.push_back(ToQString(f->DisplayLabel()));
      FTypes.push_back(f->DataType());
    }
  }
  endResetModel();
}

bool TDataSetModel::Readable() const {
  return FDataSet && !FFailed && FDataSet->Active() && FDataSet->OpenCount() == FOpenCount &&
         static_cast<size_t>(FDataSet->FieldCount()) == FTypes.size();
}

void TDataSetModel::Fail(const QString& Message) {
  FFailed = true;
  FLastError = Message;
  emit fetchFailed(Message);
}

int TDataSetModel::rowCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TDataSetModel::columnCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : static_cast<int>(FHeaders.size());
}

QVariant TDataSetModel::data(const QModelIndex& Index, int Role) const {
  if (!Index.isValid() || Index.row() < 0 || static_cast<size_t>(Index.row()) >= FRows.size()) return {};
  const auto& row = FRows[static_cast<size_t>(Index.row())];
  if (Index.column() < 0 || static_cast<size_t>(Index.column()) >= row.size()) return {};
  const DB::TValue& v = row[static_cast<size_t>(Index.column())];
  switch (Role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      switch (v.Kind()) {
        case DB::TValue::TKind::Null:
          return Role == Qt::EditRole ? QVariant() : QVariant(QString());
        case DB::TValue::TKind::Bytes:
          return QString("(BLOB)");
        case DB::TValue::TKind::Unreadable:
          return QString("(%1)").arg(ToQString(v.Bytes()));
        default:
          return ToQString(v.AsString());
      }
    case Qt::TextAlignmentRole:
      if (IsNumber(FTypes[static_cast<size_t>(Index.column())]))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

QVariant TDataSetModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Role != Qt::DisplayRole) return {};
  if (Orientation == Qt::Horizontal) {
    if (Section < 0 || static_cast<size_t>(Section) >= FHeaders.size()) return {};
    return FHeaders[static_cast<size_t>(Section)];
  }
  return Section + 1;
}

bool TDataSetModel::canFetchMore(const QModelIndex& Parent) const {
  return !Parent.isValid() && Readable() && !FDataSet->Eof();
}

void TDataSetModel::fetchMore(const QModelIndex& Parent) {
  if (!canFetchMore(Parent)) return;
  std::vector<std::vector<DB::TValue>> batch;
  batch.reserve(static_cast<size_t>(FBatchSize));
  QString error;
  int columns = static_cast<int>(FTypes.size());
  try {
    while (static_cast<int>(batch.size()) < FBatchSize && !FDataSet->Eof()) {
      std::vector<DB::TValue> row;
      row.reserve(static_cast<size_t>(columns));
      for (int c = 0; c < columns; ++c) row.push_back(FDataSet->CurrentValue(c));
      batch.push_back(std::move(row));
      FDataSet->Next();
    }
  } catch (const SysUtils::Exception& e) {
    error = ToQString(e.Message());
  } catch (const std::exception& e) {
    error = QString::fromLocal8Bit(e.what());
  }
  if (!batch.empty()) {
    int first = static_cast<int>(FRows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
    for (auto& r : batch) FRows.push_back(std::move(r));
    endInsertRows();
  }
  if (!error.isEmpty()) Fail(error);
}

}  // namespace DataSetModel
