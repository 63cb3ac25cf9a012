// A Qt data browser in about seventy lines: a table over a SQLite query and a Filter
// button that lets the user filter and order it with TkytBDEFilter.
//
//   filter-browser DATABASE.sqlite "SELECT ... FROM ..."            a window
//   filter-browser DATABASE.sqlite "SELECT ..." --apply FILE.flt    off-screen: applies a
//                                      saved filter, prints the SQL and the row count
#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include <components/kytBDEFilter.h>
#include <dataaccess/bde/DBTables.h>
#include <dataaccess/model/DataSetModel.h>
#include <filterdialog/kytSQLFilterForm.h>
#include <host/ui/Dialogs.h>

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--apply") == 0)) {
    std::fprintf(stderr, "usage: filter-browser DATABASE SELECT [--apply FILE.flt]\n");
    return 2;
  }
  const bool batch = argc == 5;
  if (batch) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  DBTables::TQuery query(nullptr);
  query.SetDatabaseName(argv[1]);
  query.SQL()->SetText(argv[2]);
  kytBDEFilter::TkytBDEFilter filter(nullptr);
  filter.SetDataSet(&query);
  filter.SetFilterDir(".");
  query.Open();

  if (batch) {  // the dialog opens the saved filter and is accepted, as a user would
    Dialogs::TScriptedUIHost host;
    host.FileAnswers.push_back(argv[4]);
    host.Modal.push_back([](Forms::TForm& Form) {
      auto& dialog = dynamic_cast<kytSQLFilterForm::TformFilter&>(Form);
      dialog.btOpenFilterClick(&dialog);
      dialog.btConfirmClick(&dialog);
    });
    Dialogs::SetUIHost(&host);
    const bool applied = filter.Execute();
    Dialogs::SetUIHost(nullptr);
    if (!applied) return 1;
    int rows = 0;
    for (; !query.Eof(); query.Next()) ++rows;
    std::printf("%s\nrows: %d\n", query.SQL()->Text().c_str(), rows);
    return 0;
  }

  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* button = new QPushButton("Filter", &window);
  auto* view = new QTableView(&window);
  auto* model = new DataSetModel::TDataSetModel(view);
  model->SetDataSet(&query);
  view->setModel(model);
  layout->addWidget(button);
  layout->addWidget(view);
  QObject::connect(button, &QPushButton::clicked, [&] {
    if (filter.Execute()) model->Refresh();
  });
  window.resize(800, 500);
  window.show();
  return app.exec();
}
