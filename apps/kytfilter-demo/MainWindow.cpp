#include "apps/kytfilter-demo/MainWindow.h"

#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSizePolicy>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>
#include <exception>
#include <functional>
#include <iterator>

#include "components/kytFilterBase.h"
#include "dataaccess/db/DBText.h"
#include "dataaccess/model/DataSetModel.h"
#include "packages/kytBDEFilterPkg.h"
#include "packages/kytQtSqlFilterPkg.h"
#include "packages/kytFilterBasePkg.h"
#include "packages/kytIBOFilterPkg.h"
#include "host/designer/DesignIntf.h"
#include "host/rtl/SysUtils.h"
#include "host/ui/AnsiText.h"
#include "host/ui/Dialogs.h"

namespace kytdemo {

namespace {

void ShowError(const std::string& Ansi) {
  Dialogs::MessageDlg(Ansi, Dialogs::TMsgDlgType::mtError, Dialogs::mbOKOnly, 0);
}

// Runs a command of the window. Qt's event loop must never see an exception: the silent
// abort ends a command that has already told the user; anything else is told here.
bool Guarded(const std::function<void()>& Command) {
  try {
    Command();
    return true;
  } catch (const SysUtils::EAbort&) {
  } catch (const SysUtils::Exception& e) {
    ShowError(e.Message());
  } catch (const std::exception& e) {
    ShowError(DB::Utf8ToAnsi(e.what()));
  } catch (...) {
    ShowError("An unexpected error occurred.");
  }
  return false;
}

// Told in a box and on standard error: the demo goes on, and someone who started it
// from a terminal sees why.
void Warn(const std::string& Ansi) {
  std::fprintf(stderr, "kytfilter-demo: %s\n", DB::AnsiToUtf8(Ansi).c_str());
  Dialogs::MessageDlg(Ansi, Dialogs::TMsgDlgType::mtWarning, Dialogs::mbOKOnly, 0);
}

QString Plain(const std::string& Ansi) {
  QString text = AnsiText::ToQString(Ansi);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  while (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  return text;
}

// The window opens at this size; the screenshot has it too.
constexpr int kWidth = 1100;
constexpr int kHeight = 700;

}  // namespace

// The form designer the property editor talks to: its notice that the form changed
// comes when field definitions were accepted.
class TMainWindow::TFormDesigner : public DesignIntf::TDesigner {
 public:
  explicit TFormDesigner(TMainWindow& Window) : FWindow(Window) {}
  void Modified() override { FWindow.FieldDefsAccepted(); }

 private:
  TMainWindow& FWindow;
};

TMainWindow::TMainWindow(QWidget* Parent) : QMainWindow(Parent), FDesigner(std::make_unique<TFormDesigner>(*this)) {
  PackageLoader::InitPackage(*kytFilterBasePkg_Frame());
  PackageLoader::InitPackage(*kytIBOFilterPkg_Frame());
  PackageLoader::InitPackage(*kytBDEFilterPkg_Frame());
  PackageLoader::InitPackage(*kytQtSqlFilterPkg_Frame());
  setWindowTitle(QStringLiteral("KYT filter demo - sample orders"));
  BuildLayout();
  resize(kWidth, kHeight);
  ShowQuery();
}

TMainWindow::~TMainWindow() {
  // The model lets go of the dataset before the query goes.
  FModel->SetDataSet(nullptr);
  FQuery.reset();
}

void TMainWindow::BuildLayout() {
  FFilterAction = new QAction(QStringLiteral("&Filter..."), this);
  FFilterAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
  FFilterAction->setToolTip(QStringLiteral("Compose a filter for the query and reopen it (Ctrl+F)"));
  FClearAction = new QAction(QStringLiteral("&Clear filter"), this);
  FClearAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+F")));
  FClearAction->setToolTip(QStringLiteral("Remove the filter and show every row again"));
  FFieldDefsAction = new QAction(QStringLiteral("Field &definitions..."), this);
  FFieldDefsAction->setToolTip(
      QStringLiteral("Choose the fields the filter offers, their order and descriptions; "
                     "kept in the demo's form file"));
  connect(FFilterAction, &QAction::triggered, this, [this] { RunFilter(); });
  connect(FClearAction, &QAction::triggered, this, [this] { RunClearFilter(); });
  connect(FFieldDefsAction, &QAction::triggered, this, [this] { RunFieldDefs(); });

  auto* quit = new QAction(QStringLiteral("&Quit"), this);
  quit->setShortcut(QKeySequence::Quit);
  connect(quit, &QAction::triggered, this, &QWidget::close);
  auto* about = new QAction(QStringLiteral("&About"), this);
  connect(about, &QAction::triggered, this, [this] {
    QMessageBox::about(this, QStringLiteral("About the KYT filter demo"),
                       QStringLiteral("<p><b>KYT filter demo</b></p>"
                                      "<p>Browses the sample orders through one of the three filter "
                                      "components. <i>Filter</i> opens the filter dialog: compose "
                                      "criteria and an ordering, or open a saved filter, and accept; "
                                      "the query is reopened with the new WHERE and ORDER BY clauses.</p>"
                                      "<p><i>Field definitions</i> chooses the fields the filter "
                                      "offers; they are kept in the form file.</p>"
                                      "<p>Data folder: %1<br>Form file: %2</p>")
                           .arg(QString::fromStdString(FData.Dir).toHtmlEscaped(),
                                QString::fromStdString(FData.FormFile).toHtmlEscaped()));
  });

  QMenu* file = menuBar()->addMenu(QStringLiteral("&Query"));
  file->addAction(FFilterAction);
  file->addAction(FClearAction);
  file->addAction(FFieldDefsAction);
  file->addSeparator();
  file->addAction(quit);
  menuBar()->addMenu(QStringLiteral("&Help"))->addAction(about);

  QToolBar* tools = addToolBar(QStringLiteral("Commands"));
  tools->setMovable(false);
  tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
  tools->addWidget(new QLabel(QStringLiteral(" Component: "), tools));
  FVariantBox = new QComboBox(tools);
  for (const TVariantInfo& v : kVariants) FVariantBox->addItem(QString::fromLatin1(v.Title));
  FVariantBox->setToolTip(QStringLiteral("The filter component and the query it filters"));
  connect(FVariantBox, &QComboBox::activated, this, [this](int Index) { SelectVariant(Index); });
  tools->addWidget(FVariantBox);
  tools->addSeparator();
  for (QAction* a : {FFilterAction, FClearAction, FFieldDefsAction}) {
    tools->addAction(a);
    // Drawn as buttons, not as flat toolbar entries.
    if (auto* button = qobject_cast<QToolButton*>(tools->widgetForAction(a))) button->setAutoRaise(false);
  }
  auto* spacer = new QWidget(tools);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  tools->addWidget(spacer);
  FRowsLabel = new QLabel(tools);
  FRowsLabel->setContentsMargins(0, 0, 8, 0);
  tools->addWidget(FRowsLabel);

  FModel = new DataSetModel::TDataSetModel(this);
  FModel->SetBatchSize(1000);
  // Reading rows can fail while the view asks for them, inside painting: the box waits
  // until that is over.
  connect(FModel, &DataSetModel::TDataSetModel::fetchFailed, this, [this](const QString& Message) {
    QTimer::singleShot(0, this, [Message] {
      std::string text;
      if (!AnsiText::FromQString(Message, text)) text = Message.toStdString();
      Guarded([&] { ShowError("Reading the rows failed: " + text); });
    });
  });

  FGrid = new QTableView;
  FGrid->setModel(FModel);
  FGrid->setAlternatingRowColors(true);
  FGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  FGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FGrid->verticalHeader()->setDefaultSectionSize(FGrid->fontMetrics().height() + 6);
  FGrid->horizontalHeader()->setHighlightSections(false);

  auto* sqlPane = new QWidget;
  auto* sqlLayout = new QVBoxLayout(sqlPane);
  sqlLayout->setContentsMargins(0, 4, 0, 0);
  sqlLayout->setSpacing(2);
  sqlLayout->addWidget(new QLabel(QStringLiteral("Current SQL:")));
  FSQLText = new QPlainTextEdit;
  FSQLText->setReadOnly(true);
  FSQLText->setLineWrapMode(QPlainTextEdit::NoWrap);
  FSQLText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  sqlLayout->addWidget(FSQLText);

  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(FGrid);
  split->addWidget(sqlPane);
  split->setStretchFactor(0, 4);
  split->setStretchFactor(1, 1);
  split->setSizes({kHeight - 260, 150});
  split->setContentsMargins(6, 4, 6, 0);
  setCentralWidget(split);

  FStatus = new QLabel;
  statusBar()->addPermanentWidget(FStatus, 1);
}

void TMainWindow::Start(const TDemoData& Data, int VariantIndex) {
  FData = Data;
  Guarded([&] {
    const std::string problem = FForm.Load(Data);
    if (!problem.empty()) Warn(problem);
  });
  SelectVariant(VariantIndex);
}

void TMainWindow::SelectVariant(int VariantIndex) {
  if (VariantIndex < 0 || VariantIndex >= static_cast<int>(std::size(kVariants))) VariantIndex = 0;
  {
    const QSignalBlocker quiet(FVariantBox);
    FVariantBox->setCurrentIndex(VariantIndex);
  }
  FVariant = VariantIndex;
  // One filter component at a time: the catalogue and the criteria they share belong
  // to one query, and the old component frees them as it goes.
  FModel->SetDataSet(nullptr);
  FQuery.reset();

  const TVariant variant = kVariants[VariantIndex].Variant;
  const bool firebird = variant == TVariant::IBO || variant == TVariant::IBD;
  const bool qtsql = variant == TVariant::QtSql;
  const std::string& error = qtsql ? FData.QtSqlError : firebird ? FData.FirebirdError : FData.SQLiteError;
  const std::string& file = qtsql ? FData.QtSqlDatabase : firebird ? FData.FirebirdFile : FData.SQLiteFile;
  if (file.empty()) {
    ShowQuery();
    return;
  }
  if (!error.empty()) {
    ShowQuery();
    Guarded([&] {
      ShowError((qtsql ? "The Qt SQL connection to " : "The sample database ") + DB::Utf8ToAnsi(file) +
                (qtsql ? " could not be opened:\n" : " could not be made:\n") + DB::Utf8ToAnsi(error));
    });
    return;
  }
  Guarded([&] {
    FQuery = TBrowsedQuery::Create(variant, FForm.NewInstance());
    FQuery->Open();
  });
  ShowQuery();
}

bool TMainWindow::RunFilter() {
  if (!FQuery) return false;
  bool applied = false;
  Guarded([&] { applied = FQuery->Execute(); });
  ShowQuery();
  return applied;
}

void TMainWindow::RunClearFilter() {
  if (!FQuery) return;
  Guarded([&] { FQuery->ClearFilter(); });
  ShowQuery();
}

void TMainWindow::RunFieldDefs() {
  if (!FQuery) return;
  Guarded([&] {
    kytFilterBase::TkytCustomFilter& filter = FQuery->Filter();
    const std::unique_ptr<DesignIntf::TPropertyEditor> editor =
        DesignIntf::CreatePropertyEditor(*FDesigner, filter, "FilterFieldDefs");
    if (!editor)
      throw SysUtils::Exception("No editor is registered for the field definitions of " + filter.ClassName() + ".");
    editor->Edit();
  });
  ShowQuery();
}

void TMainWindow::FieldDefsAccepted() {
  if (!FQuery) return;
  // The edit stands whatever happens here: the filter offers the accepted fields.
  Guarded([&] {
    try {
      FForm.StoreFieldDefs(FQuery->Filter());
    } catch (const SysUtils::Exception& e) {
      throw SysUtils::Exception("The field definitions are in use, but the form file could not be written:\n" +
                                e.Message());
    }
  });
}

int TMainWindow::RowCount() const { return FModel->rowCount(); }

std::string TMainWindow::SQLText() const { return FQuery ? FQuery->SQLText() : std::string(); }

void TMainWindow::ShowQuery() {
  FMoreRows = false;
  if (FQuery) {
    Guarded([&] {
      FQuery->Reopened();
      DB::TDataSet* rows = FQuery->Rows();
      if (FModel->DataSet() != rows) FModel->SetDataSet(rows);
      else FModel->Refresh();
      // Every row is read (up to kMaxRows), so the count shown is the result's.
      while (FModel->canFetchMore(QModelIndex()) && FModel->rowCount() < kMaxRows) FModel->fetchMore(QModelIndex());
      FMoreRows = FModel->canFetchMore(QModelIndex());
    });
    FSQLText->setPlainText(Plain(FQuery->SQLText()));
  } else {
    FModel->SetDataSet(nullptr);
    FSQLText->setPlainText(QString());
  }
  FGrid->resizeColumnsToContents();
  const bool usable = FQuery != nullptr;
  FFilterAction->setEnabled(usable);
  FClearAction->setEnabled(usable);
  FFieldDefsAction->setEnabled(usable);
  ShowStatus();
}

void TMainWindow::ShowStatus() {
  const TVariantInfo& v = kVariants[FVariant];
  QString rows;
  if (!FQuery) {
    rows = QStringLiteral("no query");
  } else if (!FQuery->Active()) {
    rows = QStringLiteral("query closed");
  } else {
    rows = QLocale().toString(FModel->rowCount()) + (FModel->rowCount() == 1 ? QStringLiteral(" row") : QStringLiteral(" rows"));
    if (FMoreRows) rows = QStringLiteral("first ") + rows + QStringLiteral(" (more not read)");
  }
  FRowsLabel->setText(rows);
  const bool qtsql = v.Variant == TVariant::QtSql;
  const std::string file = qtsql    ? FData.QtSqlDatabase
                           : FQuery ? DB::AnsiToUtf8(FQuery->DatabaseName())
                                    : (v.Variant == TVariant::BDE ? FData.SQLiteFile : FData.FirebirdFile);
  const QString engine = qtsql ? QStringLiteral("Qt SQL")
                         : v.Variant == TVariant::BDE ? QStringLiteral("SQLite")
                                                      : QStringLiteral("Firebird embedded");
  FStatus->setText(rows + QStringLiteral("   |   ") + QString::fromLatin1(v.Title) + QStringLiteral("   |   ") + engine +
                   QStringLiteral(": ") + (file.empty() ? QStringLiteral("(none)") : QString::fromStdString(file)));
}

}  // namespace kytdemo
