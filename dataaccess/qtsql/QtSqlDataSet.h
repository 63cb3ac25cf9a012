// Unit QtSqlDataSet: the dataset query over Qt SQL, for applications that already talk
// to their database through QSqlDatabase and QSqlQuery.
//
// The query runs its SQL text on a named QSqlDatabase connection that the application
// opened (ConnectionName; empty is Qt's default connection). Fields, their types and
// sizes come from the result's QSqlRecord; on SQLite (QSQLITE), whose driver reports most
// declared types as text, from the columns' declared types. Text crosses this edge as
// UTF-8 QString and is Windows-1252 inside (a character the code page lacks becomes '?').
// On a SQLite connection the query makes UPPER fold by the Windows-1252 code page, as the
// filter folds values, so that a comparison without regard to case treats "é" and "É"
// alike.
//
// User-interface thread only, like Qt SQL itself.
#pragma once

#include <QPointer>
#include <QSqlDatabase>
#include <QSqlField>
#include <QSqlQueryModel>
#include <QVariant>

#include <string>
#include <vector>

#include "dataaccess/db/DB.h"

namespace QtSqlDataSet {

// An error of the driver, with its text ("driver text: database text").
class EQtSqlError : public DB::EDatabaseError {
 public:
  EQtSqlError(const std::string& Message, std::string NativeCode)
      : DB::EDatabaseError(Message), FNativeCode(std::move(NativeCode)) {}
  // The database's own error code as the driver reports it (SQLSTATE on PostgreSQL).
  const std::string& NativeCode() const { return FNativeCode; }

 private:
  std::string FNativeCode;
};

// The dataset type of a Qt value type: booleans, 16-, 32- and 64-bit integers, floating
// numbers, text, dates, times, date-times; byte arrays are binary large objects; any
// other type ftUnknown.
DB::TFieldType FieldTypeOfMetaType(QMetaType Type);

// How a field of a Qt SQL record is described as a dataset field: its name, the type by
// FieldTypeOfMetaType, text with a length a string of that size and text without one a
// memo, a floating number with decimal places a decimal of that scale.
DB::TFieldDef FieldDefOf(const QSqlField& Field);

// The connection a query names: the default connection for the empty name. Opens it
// when the application registered it but has not opened it. Raises EQtSqlError when
// there is no such connection or it cannot be opened.
QSqlDatabase Connection(const std::string& ConnectionName);

class TQtSqlQuery : public DB::TQueryDataSet {
 public:
  // AOwner takes ownership when not null.
  explicit TQtSqlQuery(Classes::TComponent* AOwner);
  ~TQtSqlQuery() override;
  std::string ClassName() const override { return "TQtSqlQuery"; }

  // The name of the QSqlDatabase connection (the dataset's database name); empty is Qt's
  // default connection. Changing it closes the query.
  const std::string& ConnectionName() const { return DatabaseName(); }
  void SetConnectionName(const std::string& Value) { SetDatabaseName(Value); }
  // The connection's driver name ("QSQLITE", "QPSQL" ...). Raises as Connection.
  std::string DriverName() const;

  // The values of the statement's "?" markers, bound in order at every Open and
  // ExecSQL. Takes effect at the next Open.
  const QVariantList& Params() const { return FParams; }
  void SetParams(const QVariantList& Values) { FParams = Values; }

  // The base table of field Index as the driver tells it, and the base column behind
  // it (the field's own name where the driver cannot tell). Empty table for an
  // expression. REQUIRES: the query is open and 0 <= Index < FieldCount().
  const std::string& BaseTable(int Index) const;
  const std::string& BaseColumn(int Index) const;

  // Model (not owned; null detaches) gets, after every Open, the same statement with
  // the same values, so that a view over the application's own model shows the rows
  // this query reads. A model destroyed meanwhile is forgotten.
  void AttachModel(QSqlQueryModel* Model) { FModel = Model; }
  QSqlQueryModel* AttachedModel() const { return FModel.data(); }

  // Where a PostgreSQL result's column comes from: the table's and the column's numbers
  // in the server's catalogue (0 for an expression).
  struct TPgOrigin {
    unsigned Table = 0;
    int Column = 0;
  };

  // Runs a statement that returns no rows (with the bound Params). Raises
  // DB::EDatabaseError when open, EQtSqlError for the driver's error.
  void ExecSQL() override;

 protected:
  std::unique_ptr<DB::TCursor> OpenCursor(std::vector<DB::TFieldDef>& Defs) override;

 private:
  void ShowInModel(const QSqlDatabase& Db, const QString& Statement);
  // Replaces the alias names in FBaseColumns by the columns of FPgOrigins, then forgets
  // them.
  void ResolvePgColumns() const;

  QVariantList FParams;
  QPointer<QSqlQueryModel> FModel;
  std::vector<std::string> FBaseTables;
  mutable std::vector<std::string> FBaseColumns;
  mutable std::vector<TPgOrigin> FPgOrigins;  // PostgreSQL: not yet looked up
};

// Registers TQtSqlQuery (ConnectionName, SQL) for form files. Calling it again does no
// harm.
void RegisterClasses();

}  // namespace QtSqlDataSet
