// The demo's main window: a grid over the browsed query, its SQL text, the choice of
// the filter component, and the component's commands. The queries and the filter
// components come from the demo's form (DemoForm.h); the field definitions accepted in
// the designer's editor are kept there.
//
// No exception leaves a command: the silent abort is dropped, any other error is shown
// in a message box through the UI host.
#pragma once

#include <QMainWindow>

#include <memory>
#include <string>

#include "apps/kytfilter-demo/BrowsedQuery.h"
#include "apps/kytfilter-demo/DemoData.h"
#include "apps/kytfilter-demo/DemoForm.h"

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

  // Parent takes ownership (Qt's tree) when not null. Brings in the packages the demo
  // links (the classes of its form, the filters' design-time side) on first
  // construction. The window shows no query until Start.
  explicit TMainWindow(QWidget* Parent = nullptr);
  ~TMainWindow() override;

  // Loads the demo's form of Data (TDemoForm::Load; what went wrong is told in a box
  // and on standard error) and shows the variant of index VariantIndex (into
  // kVariants).
  void Start(const TDemoData& Data, int VariantIndex);
  // Makes the query and filter of that variant from the form, opens and shows the
  // query; the previous query and its filter go. A database that is missing or cannot
  // be opened is told in a box.
  void SelectVariant(int VariantIndex);

  // The buttons' commands. RunFilter returns the component's Execute result (false
  // also when it failed). RunFieldDefs runs the designer's property editor of the
  // filter's FilterFieldDefs: accepted field definitions go into the form, which is
  // written at once.
  bool RunFilter();
  void RunClearFilter();
  void RunFieldDefs();

  // The number of rows the grid holds.
  int RowCount() const;
  // The SQL text of the shown query; empty when there is none.
  std::string SQLText() const;

 private:
  class TFormDesigner;

  void BuildLayout();
  // Shows the query as it is now: rows, SQL text, counts, enabled commands.
  void ShowQuery();
  void ShowStatus();
  // The designer's notice: the field definitions of the browsed filter were accepted.
  void FieldDefsAccepted();

  TDemoData FData;
  TDemoForm FForm;
  std::unique_ptr<TFormDesigner> FDesigner;
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
