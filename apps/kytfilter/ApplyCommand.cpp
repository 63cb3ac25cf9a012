// kytfilter apply: a filter file applied to a statement by the filter component of one
// query kind, through its real dialog on Qt's off-screen platform. The dialog opens the
// file with its own open command and is accepted, so the criteria, the ordering and the
// SQL text are exactly those a user of the dialog gets.
#include "apps/kytfilter/ApplyCommand.h"

#include "apps/kytfilter/CsvRows.h"
#include "apps/kytfilter/FormFile.h"
#include "apps/kytfilter/Offscreen.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "components/kytBDEFilter.h"
#include "components/kytIBDFilter.h"
#include "components/kytIBOFilter.h"
#include "components/kytQtSqlFilter.h"
#include "dataaccess/bde/DBTables.h"
#include "dataaccess/db/DBText.h"
#include "dataaccess/ibobjects/IBODataset.h"
#include "dataaccess/ibobjects/IB_Components.h"
#include "dataaccess/qtsql/QtSqlDataSet.h"
#include "dataaccess/sample/QtSqlConnect.h"
#include "filterdialog/kytSQLFilterForm.h"
#include "filtermodel/kytSQLFilterRes.h"
#include "host/ui/Dialogs.h"
#include "host/ui/Forms.h"

namespace kytcli {

namespace {

const char* kUsage =
    "kytfilter apply ((--variant ibo|ibd|bde | --variant qtsql --driver QSQLITE|QPSQL|QIBASE) --database DB "
    "--sql STATEMENT|--sql-file FILE | "
    "--form FORM --component NAME) --filter FILE [--csv OUT]";

// Dates go into SQL as ISO text: both engines read it, and SQLite, which keeps dates as
// text, compares only that form correctly.
const char* kSQLDateFormat = "yyyy-mm-dd";

// The name of the Qt SQL connection the qtsql variant opens for its query.
const char* kQtSqlConnection = "kytfilter-apply";

struct TOptions {
  std::string variant, driver, database, sql, filter, csv;
  // With a form file, the filter component, its query and its settings come from it.
  std::string form, component;
  bool hasCsv = false;
};

TOptions ParseOptions(const Args& args) {
  TOptions o;
  std::string sqlFile;
  std::map<std::string, std::string*> optionSlots = {{"--variant", &o.variant}, {"--driver", &o.driver}, {"--database", &o.database},
                                               {"--sql", &o.sql},         {"--sql-file", &sqlFile},
                                               {"--filter", &o.filter},   {"--csv", &o.csv},
                                               {"--form", &o.form},       {"--component", &o.component}};
  std::map<std::string, bool> seen;
  for (size_t i = 0; i < args.size(); i += 2) {
    auto it = optionSlots.find(args[i]);
    if (it == optionSlots.end() || i + 1 >= args.size() || seen[args[i]]) throw UsageError(kUsage);
    seen[args[i]] = true;
    *it->second = args[i + 1];
  }
  o.hasCsv = seen["--csv"];
  if (seen["--form"] || seen["--component"]) {
    if (o.form.empty() || o.component.empty() || o.filter.empty() || (o.hasCsv && o.csv.empty()) ||
        seen["--variant"] || seen["--driver"] || seen["--database"] || seen["--sql"] || seen["--sql-file"])
      throw UsageError(kUsage);
    o.component = ToAnsi(o.component, "--component");
    return o;
  }
  const bool qtsql = o.variant == "qtsql";
  if ((o.variant != "ibo" && o.variant != "ibd" && o.variant != "bde" && !qtsql) || o.database.empty() ||
      o.filter.empty() || seen["--sql"] == seen["--sql-file"] || (o.hasCsv && o.csv.empty()) ||
      qtsql != seen["--driver"] || (qtsql && o.driver != "QSQLITE" && o.driver != "QPSQL" && o.driver != "QIBASE"))
    throw UsageError(kUsage);
  if (seen["--sql-file"]) {
    if (sqlFile.empty()) throw UsageError(kUsage);
    o.sql = ReadInput(sqlFile);
  }
  if (o.sql.find_first_not_of(" \t\r\n") == std::string::npos) throw UsageError(kUsage);
  // The library's text is Windows-1252; the command line's is UTF-8. File names stay
  // as they are: they go to the system unchanged. Qt SQL takes the database's name as
  // the system gives it.
  if (!qtsql) o.database = ToAnsi(o.database, "--database");
  o.sql = ToAnsi(o.sql, seen["--sql-file"] ? "--sql-file " + sqlFile : std::string("--sql"));
  return o;
}

// The first word of Sql after blanks and comments, upper-cased; empty when none.
std::string FirstWord(const std::string& Sql) {
  size_t i = 0;
  const size_t n = Sql.size();
  for (;;) {
    while (i < n && static_cast<unsigned char>(Sql[i]) <= 32) ++i;
    if (Sql.compare(i, 2, "/*") == 0) {
      const size_t end = Sql.find("*/", i + 2);
      if (end == std::string::npos) return "";
      i = end + 2;
    } else if (Sql.compare(i, 2, "--") == 0) {
      const size_t end = Sql.find('\n', i);
      if (end == std::string::npos) return "";
      i = end + 1;
    } else {
      break;
    }
  }
  std::string word;
  while (i < n && (std::isalnum(static_cast<unsigned char>(Sql[i])) || Sql[i] == '_'))
    word += static_cast<char>(std::toupper(static_cast<unsigned char>(Sql[i++])));
  return word;
}

void CheckReadable(const std::string& File) {
  std::FILE* f = std::fopen(File.c_str(), "rb");
  if (f == nullptr) throw Failure("kytfilter: cannot read " + File + ": " + std::strerror(errno));
  std::fclose(f);
}

// ---- The component and its query, per variant ---------------------------------------------

class TApplyRun {
 public:
  virtual ~TApplyRun() = default;
  // Opens the statement, as an application opens its query before filtering it.
  virtual void Open() = 0;
  virtual bool Execute() = 0;
  virtual std::string SQLText() const = 0;
  // Writes the CSV text of the open query's rows, from its first, in blocks.
  virtual void Rows(const std::function<void(const std::string&)>& Write) = 0;
};

template <typename TFilter, typename TQuery>
class TApplyRunOf final : public TApplyRun {
 public:
  explicit TApplyRunOf(const TOptions& O) {
    FQuery.SetDatabaseName(std::is_same_v<TQuery, QtSqlDataSet::TQtSqlQuery> ? std::string(kQtSqlConnection) : O.database);
    if constexpr (std::is_base_of_v<DB::TQueryDataSet, TQuery>) FQuery.SetRequestLive(false);
    FQuery.SQL()->SetText(O.sql);
    FFilter.SetDataSet(&FQuery);
    FFilter.SetSQLDateFormat(kSQLDateFormat);
  }
  void Open() override { FQuery.Open(); }
  bool Execute() override { return FFilter.Execute(); }
  std::string SQLText() const override { return FQuery.SQL()->Text(); }
  void Rows(const std::function<void(const std::string&)>& Write) override {
    FQuery.First();
    WriteCsvRows(FQuery, Write);
  }

 private:
  // The filter goes first: it refers to the query.
  TQuery FQuery{nullptr};
  TFilter FFilter{nullptr};
};

// The filter component of a form file as the application has it: its query, its
// settings (date patterns, quotes, constant condition ...) and its field definitions.
class TFormRun final : public TApplyRun {
 public:
  explicit TFormRun(const TOptions& O) : FRoot(LoadForm(O.form)), FFilter(FindFilter(*FRoot, O.component, O.form)) {
    FQuery = &LinkedQuery(FFilter, O.form);
    if (auto* native = dynamic_cast<IB_Components::TIB_Query*>(FQuery)) {
      FNative = native;
    } else {
      FDataSet = dynamic_cast<DB::TDataSet*>(FQuery);
      if (auto* query = dynamic_cast<DB::TQueryDataSet*>(FQuery)) query->SetRequestLive(false);
    }
  }
  void Open() override { OpenQuery(*FQuery); }
  bool Execute() override { return FFilter.Execute(); }
  std::string SQLText() const override {
    std::string text;
    FFilter.GetActualSQL(FQuery, text);
    return text;
  }
  void Rows(const std::function<void(const std::string&)>& Write) override {
    if (FNative) {
      FNative->First();
      WriteCsvRows(*FNative, Write);
    } else {
      FDataSet->First();
      WriteCsvRows(*FDataSet, Write);
    }
  }

 private:
  std::unique_ptr<Classes::TComponent> FRoot;  // owns the filter and, as a rule, its query
  kytFilterBase::TkytCustomFilter& FFilter;
  Classes::TComponent* FQuery = nullptr;
  IB_Components::TIB_Query* FNative = nullptr;  // the query is one of these two
  DB::TDataSet* FDataSet = nullptr;
};

std::unique_ptr<TApplyRun> MakeRun(const TOptions& O) {
  if (!O.form.empty()) return std::make_unique<TFormRun>(O);
  if (O.variant == "ibo") return std::make_unique<TApplyRunOf<kytIBOFilter::TkytIBOFilter, IB_Components::TIB_Query>>(O);
  if (O.variant == "ibd") return std::make_unique<TApplyRunOf<kytIBDFilter::TkytIBDFilter, IBODataset::TIBOQuery>>(O);
  if (O.variant == "qtsql")
    return std::make_unique<TApplyRunOf<kytQtSqlFilter::TkytQtSqlFilter, QtSqlDataSet::TQtSqlQuery>>(O);
  return std::make_unique<TApplyRunOf<kytBDEFilter::TkytBDEFilter, DBTables::TQuery>>(O);
}

std::string LastLine(const Classes::TStrings& Lines) {
  return Lines.Count() == 0 ? std::string() : Lines.Get(Lines.Count() - 1);
}

// A criterion whose field the statement does not offer comes back from the file with no
// field chosen. The dialog shows it as an empty line; when it is the only line, the
// dialog counts it as no filter at all, and accepting would give every row as if the
// criterion had been met. The tool has no user to look at the line, so it fails.
// Offers ends the message: who does not offer the field.
std::string UnknownField(const kytSQLFilterForm::TformFilter& Dialog, const char* Offers) {
  const kytSQLFilterStruc::FilterArray& records = kytSQLFilterStruc::Filter;
  const size_t lines = std::min<size_t>(Dialog.LineCount, kytSQLFilterForm::FilterLines.size());
  for (size_t n = 1; n <= records.size() && n <= lines; ++n) {
    if (kytSQLFilterForm::FilterLines[n - 1].Campo->ItemIndex() >= 0) continue;
    const kytSQLFilterStruc::FilterRec& r = records[n - 1];
    return "line " + std::to_string(n) + " of the filter names the field " + r.TableName.Str() + r.FieldName.Str() +
           ", which " + Offers;
  }
  return "";
}

int Apply(const TOptions& O) {
  TOffscreenApplication app;
  TConsoleHost host;
  // The Qt SQL connection outlives the query on it.
  std::unique_ptr<QtSqlConnect::TConnection> connection;
  if (O.variant == "qtsql") connection = std::make_unique<QtSqlConnect::TConnection>(kQtSqlConnection, O.driver, O.database);
  std::unique_ptr<TApplyRun> run = MakeRun(O);
  if (FirstWord(run->SQLText()) != "SELECT")
    throw Failure("kytfilter: apply only reads; the statement must be a SELECT");
  try {
    run->Open();
  } catch (const SysUtils::Exception& e) {
    throw Failure("kytfilter: " + DB::AnsiToUtf8(kytSQLFilterRes::Text(kytSQLFilterRes::sErrorOpeningDataset)) + ": " + DB::AnsiToUtf8(e.Message()));
  }

  // Inside the dialog's modal loop: open the file with the dialog's open command, then
  // accept. A line that cannot be built leaves the dialog open with the reason in its SQL
  // memo, as the user would see it; the host then closes the dialog with Cancel.
  std::string problem;
  host.FileAnswers.push_back(O.filter);
  // A form's component offers the fields its field definitions allow.
  const char* offers = O.form.empty() ? "the statement does not offer" : "the component's field definitions do not offer";
  host.Modal.push_back([&problem, &host, offers](Forms::TForm& Form) {
    auto* dialog = dynamic_cast<kytSQLFilterForm::TformFilter*>(&Form);
    if (dialog == nullptr) return;
    const int boxes = host.Shown;
    dialog->btOpenFilterClick(dialog);
    // The open command told the user of something it left out (an ordering entry that
    // is no column of the statement): a batch has nobody to accept that, so it fails.
    if (host.Shown > boxes) {
      problem = "the filter was not opened as saved";
      SysUtils::Abort();
    }
    problem = UnknownField(*dialog, offers);
    if (!problem.empty()) SysUtils::Abort();
    try {
      dialog->btConfirmClick(dialog);
    } catch (const SysUtils::EAbort&) {
      problem = LastLine(*dialog->MemoSQL->Lines());
      throw;
    }
  });

  bool applied = false;
  try {
    applied = run->Execute();
  } catch (const SysUtils::EAbort&) {
    // Ended after a message box, which is already on standard error.
  }
  if (!applied) {
    if (!problem.empty()) throw Failure("kytfilter: " + DB::AnsiToUtf8(problem));
    if (host.TimedOut > 0) throw Failure("kytfilter: the filter dialog did not close");
    if (host.Shown == 0) throw Failure("kytfilter: the filter was not applied");
    return 1;
  }

  std::string sql = DB::AnsiToUtf8(run->SQLText());
  if (!sql.empty() && sql.back() != '\n') sql += "\r\n";
  if (O.hasCsv) {
    WriteFileWhole(O.csv, [&](const TWriteProc& Write) { run->Rows(Write); });
    WriteOutput(sql);
  } else {
    WriteOutput(sql + "\r\n");
    run->Rows([](const std::string& Bytes) { WriteOutput(Bytes); });
  }
  return 0;
}

}  // namespace

int RunApply(const Args& args) {
  const TOptions o = ParseOptions(args);
  if (o.form.empty() && FirstWord(o.sql) != "SELECT")
    throw Failure("kytfilter: apply only reads; the statement must be a SELECT");
  CheckReadable(o.filter);
  try {
    return Apply(o);
  } catch (const SysUtils::EAbort&) {
    return 1;  // after a message box, already written
  } catch (const SysUtils::Exception& e) {
    throw Failure("kytfilter: " + DB::AnsiToUtf8(e.Message()));
  } catch (const std::filesystem::filesystem_error& e) {
    throw Failure(std::string("kytfilter: ") + e.what());
  }
}

}  // namespace kytcli
