#include "tests/oracle/OracleRun.h"

#include <exception>
#include <memory>
#include <ostream>
#include <sstream>

#include "components/kytBDEFilter.h"
#include "components/kytIBOFilter.h"
#include "filterdialog/kytSQLFilterForm.h"
#include "host/ui/Dialogs.h"
#include "tests/dataaccess/TestEnv.h"

namespace oracle {
namespace {

using kytSQLFilterForm::TformFilter;

const std::string kStatement = "SELECT ID, I_NUM, F_NUM, S_TEXT, D_DATE, T_TIME, TS_STAMP, B_FLAG FROM OT";

// What one run of Execute gave.
struct TOutcome {
  bool Refused = false;
  std::string Memo;  // the dialog's SQL text, or its message when it refused
  bool Executed = false;
  std::string SQL;  // the query's statement afterwards
  std::set<int> Selected;
  std::vector<std::string> Boxes;
  std::string Problem;  // a control the script could not find
  std::string ReadError;  // the engine's error while the rows were read
};

int ItemOf(const StdCtrls::TComboBox& Box, const std::string& Text) {
  for (int i = 0; i < Box.Items()->Count(); ++i)
    if (Box.Items()->Get(i) == Text) return i;
  return -1;
}

int FieldItem(const StdCtrls::TComboBox& Box, const std::string& FieldName) {
  for (int i = 0; i < Box.Items()->Count(); ++i) {
    auto* campo = dynamic_cast<kytSQLFilterStruc::TCampo*>(Box.Items()->GetObject(i));
    if (campo && campo->FieldName == FieldName) return i;
  }
  return -1;
}

// Enters the lines as the user does: parentheses, field, comparison, value, closing
// parentheses, connector (which opens the next line).
std::string EnterLines(const TCriteria& C) {
  for (size_t n = 0; n < C.Lines.size(); ++n) {
    const TLine& l = C.Lines[n];
    if (n >= kytSQLFilterForm::FilterLines.size()) return "line " + std::to_string(n + 1) + " was not opened";
    kytSQLFilterForm::FilterLineRec& line = kytSQLFilterForm::FilterLines[n];
    if (!l.Open.empty()) line.BGroup->TypeText(l.Open);
    if (l.Column >= 0) {
      const int item = FieldItem(*line.Campo, Columns()[l.Column].Name);
      if (item < 0) return std::string("the field list has no ") + Columns()[l.Column].Name;
      line.Campo->UserSelect(item);
    }
    if (l.Op) {
      const int item = ItemOf(*line.Comparision, OpDisplay(*l.Op));
      if (item < 0) return std::string("the comparison list has no ") + OpDisplay(*l.Op);
      line.Comparision->UserSelect(item);
    }
    if (!l.Typed.empty()) line.Value->TypeText(l.Typed);
    if (!l.Close.empty()) line.EGroup->TypeText(l.Close);
    if (l.Connector > 0) line.Operation->UserSelect(l.Connector);
  }
  return "";
}

std::set<int> Ids(IB_Components::TIB_Query& Query) {
  std::set<int> ids;
  for (; !Query.Eof(); Query.Next()) ids.insert(std::stoi(Query.Columns(0)->AsString()));
  return ids;
}
std::set<int> Ids(DB::TDataSet& Query) {
  std::set<int> ids;
  for (; !Query.Eof(); Query.Next()) ids.insert(std::stoi(Query.Fields(0)->AsString()));
  return ids;
}

std::string IdList(const std::set<int>& Ids) {
  std::string s;
  for (int id : Ids) s += (s.empty() ? "" : " ") + std::to_string(id);
  return "{" + s + "}";
}

// The filter component of an engine on a query of the oracle's table.
template <class TFilter, class TQuery>
class TBench {
 public:
  TBench(const std::string& Database, bool Special) : FOwner(std::make_unique<Classes::TComponent>(nullptr)) {
    FQuery = new TQuery(FOwner.get());
    FQuery->SetDatabaseName(Database);
    FQuery->SQL()->SetText(kStatement);
    FFilter = new TFilter(FOwner.get());
    FFilter->SetDataSet(FQuery);
    FFilter->SetSQLDateFormat("yyyy-mm-dd");
    FFilter->SetSpecialOperators(Special ? kytSQLFilterStruc::TSpecialOperators{kytSQLFilterStruc::opStartingWith,
                                                                                 kytSQLFilterStruc::opContains}
                                         : kytSQLFilterStruc::TSpecialOperators{});
  }

  TOutcome Run(const TCriteria& C, Dialogs::TScriptedUIHost& Host) {
    TOutcome out;
    SysUtils::FormatSettings().ShortDateFormat = C.DatePattern;
    SysUtils::FormatSettings().DateSeparator = '/';
    FFilter->SetEditDateFormat(C.DatePattern);
    kytSQLFilterStruc::Filter.clear();  // every filter starts from an empty dialog
    Host.Reset();
    Host.Modal.push_back([&C, &out](Forms::TForm& Form) {
      auto* dialog = dynamic_cast<TformFilter*>(&Form);
      if (!dialog) {
        out.Problem = "the modal form is not the filter dialog";
        return;
      }
      dialog->ckCase->SetChecked(C.CaseSensitive);
      out.Problem = EnterLines(C);
      if (!out.Problem.empty()) return;
      try {
        dialog->btConfirmClick(dialog);
        out.Memo = dialog->MemoSQL->Text();
      } catch (const SysUtils::EAbort&) {
        out.Refused = true;
        out.Memo = dialog->MemoSQL->Text();
      }
    });
    out.Executed = FFilter->Execute();
    out.SQL = FQuery->SQL()->Text();
    for (const auto& box : Host.Boxes) out.Boxes.push_back(box.Text);
    // The engine may find a fault in the statement only when it reads the rows.
    try {
      if (out.Executed) out.Selected = Ids(*FQuery);
    } catch (const std::exception& e) {
      out.ReadError = e.what();
    }
    return out;
  }

 private:
  std::unique_ptr<Classes::TComponent> FOwner;
  TQuery* FQuery = nullptr;
  TFilter* FFilter = nullptr;
};

// The last line of a memo text: the dialog's message when it refused.
std::string LastLine(const std::string& Text) {
  std::string t = Text;
  while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
  const size_t at = t.find_last_of('\n');
  return at == std::string::npos ? t : t.substr(at + 1);
}

// Compares one outcome with the expectation; writes the difference, if any, to Out.
bool Agree(const TExpectation& Want, const TOutcome& Got, std::string& Why) {
  if (!Got.Problem.empty()) {
    Why = "the script could not enter the lines: " + Got.Problem;
    return false;
  }
  if (Want.Refused) {
    if (!Got.Refused) Why = "the dialog took lines it should refuse (" + Want.Reason + ")";
    else if (LastLine(Got.Memo) != Want.Reason)
      Why = "the dialog refused with \"" + LastLine(Got.Memo) + "\", expected \"" + Want.Reason + "\"";
    return Why.empty();
  }
  if (Got.Refused) Why = "the dialog refused with \"" + LastLine(Got.Memo) + "\"";
  else if (!Got.Executed) Why = "Execute failed";
  else if (!Got.ReadError.empty()) Why = "Execute succeeded, reading the rows failed: " + Got.ReadError;
  else if (Got.Selected != Want.Selected) Why = "the rows differ";
  return Why.empty();
}

template <class TFilter, class TQuery>
TFigures RunWith(TEngine Engine, const TRunOptions& O, const std::string& Database, Dialogs::TScriptedUIHost& Host,
                 const std::vector<TRow>& Rows, std::ostream& Out) {
  const bool special = Engine == TEngine::Firebird || O.SqliteSpecial;
  TBench<TFilter, TQuery> bench(Database, special);
  TFigures f;
  for (int k = 1; k <= O.Count; ++k) {
    if (O.Only > 0 && k != O.Only) continue;
    TRandom random(O.Seed * 1000003u + static_cast<uint64_t>(k));
    const TCriteria criteria = MakeCriteria(random, Rows, {Engine, special});
    const TExpectation want = Evaluate(Engine, criteria, Rows);
    const TOutcome got = bench.Run(criteria, Host);
    ++f.Filters;
    if (got.Refused) ++f.Refusals;
    else if (got.Executed) {
      ++f.Accepted;
      f.RowsCompared += static_cast<long long>(Rows.size());
      if (!got.Selected.empty() && got.Selected.size() < Rows.size()) ++f.Partial;
    }
    std::string why;
    if (Agree(want, got, why)) continue;
    ++f.Differences;
    std::ostringstream text;
    text << "DIFFERENCE " << EngineName(Engine) << " seed " << O.Seed << " filter " << k << ": " << why << "\n  lines: "
        << Describe(criteria) << "\n  dialog: " << got.Memo << "\n  SQL: " << got.SQL;
    if (!want.Refused && !got.Refused) {
      std::set<int> missing, extra;
      for (int id : want.Selected)
        if (!got.Selected.count(id)) missing.insert(id);
      for (int id : got.Selected)
        if (!want.Selected.count(id)) extra.insert(id);
      text << "\n  expected " << IdList(want.Selected) << "\n  got      " << IdList(got.Selected)
          << "\n  missing  " << IdList(missing) << "\n  extra    " << IdList(extra);
    }
    for (const std::string& box : got.Boxes) text << "\n  message box: " << box;
    if (!got.ReadError.empty()) text << "\n  reading the rows: " << got.ReadError;
    Out << Utf8(text.str()) << "\n";
  }
  return f;
}

}  // namespace

TFigures RunEngine(TEngine Engine, const TRunOptions& O, Dialogs::TScriptedUIHost& Host, std::ostream& Out) {
  TRandom random(O.Seed);
  const std::vector<TRow> rows = MakeRows(random, O.Rows);
  const std::string script = CreateScript(Engine, rows);
  const std::string name = "oracle-" + std::to_string(O.Seed);
  if (Engine == TEngine::Firebird) {
    const std::string db = testenv::NewFirebird(name + ".fdb", script);
    return RunWith<kytIBOFilter::TkytIBOFilter, IB_Components::TIB_Query>(Engine, O, db, Host, rows, Out);
  }
  const std::string db = testenv::NewSqlite(name + ".db", script);
  return RunWith<kytBDEFilter::TkytBDEFilter, DBTables::TQuery>(Engine, O, db, Host, rows, Out);
}

}  // namespace oracle
