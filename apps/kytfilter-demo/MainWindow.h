// The demo's main window: a grid over the browsed query, its SQL text, the choice of
// the filter component, and the component's commands.
//
// No exception leaves a command: the silent abort is dropped, any other error is shown
// in a message box through the UI host.
#pragma once

#include <QMainWindow>

#include <memory>
#include <string>

#include "apps/kytfilter-demo/BrowsedQuery.h"
#include "apps/kytfilter-demo/DemoData.h"

class QAction;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTableView;

namespace DataSetModel {
class TDataSetModel;
}

namespace kytdemo {

class TMainWindow : public QMainWindow {
 public:
  // The grid reads at most this many rows of a result.
  static constexpr int kMaxRows = 100000;

  // Parent takes ownership (Qt's tree) when not null. The window shows no query until
  // Start.
  explicit TMainWindow(QWidget* Parent = nullptr);
  ~TMainWindow() override;

  // Shows the variant of index VariantIndex (into kVariants) over Data.
  void Start(const TDemoData& Data, int VariantIndex);
  // Makes the query of that variant, opens and shows it; the previous query and its
  // filter go. A database that is missing or cannot be opened is told in a box.
  void SelectVariant(int VariantIndex);

  // The buttons' commands. RunFilter returns the component's Execute result (false
  // also when it failed).
  bool RunFilter();
  void RunClearFilter();
  void RunFieldDefs();

  // The number of rows the grid holds.
  int RowCount() const;
  // The SQL text of the shown query; empty when there is none.
  std::string SQLText() const;

 private:
  void BuildLayout();
  // Shows the query as it is now: rows, SQL text, counts, enabled commands.
  void ShowQuery();
  void ShowStatus();

  TDemoData FData;
  int FVariant = 0;
  std::unique_ptr<TBrowsedQuery> FQuery;
  bool FMoreRows = false;  // the result has rows beyond kMaxRows

  QComboBox* FVariantBox = nullptr;
  QAction* FFilterAction = nullptr;
  QAction* FClearAction = nullptr;
  QAction* FFieldDefsAction = nullptr;
  QLabel* FRowsLabel = nullptr;
  QLabel* FStatus = nullptr;
  QTableView* FGrid = nullptr;
  QPlainTextEdit* FSQLText = nullptr;
  DataSetModel::TDataSetModel* FModel = nullptr;  // owned by the window (Qt's tree)
};

}  // namespace kytdemo
