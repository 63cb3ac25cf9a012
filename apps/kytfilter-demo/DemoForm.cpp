#include "apps/kytfilter-demo/DemoForm.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "apps/kytfilter-demo/BrowsedQuery.h"
#include "components/kytBDEFilter.h"
#include "components/kytIBDFilter.h"
#include "components/kytIBOFilter.h"
#include "components/kytQtSqlFilter.h"
#include "dataaccess/bde/DBTables.h"
#include "dataaccess/db/DBText.h"
#include "dataaccess/ibobjects/IBODataset.h"
#include "dataaccess/ibobjects/IB_Components.h"
#include "host/rtl/ClassesFiler.h"
#include "host/rtl/SafeFile.h"
#include "host/rtl/SysUtils.h"

namespace kytdemo {

namespace fs = std::filesystem;
using kytFilterBase::TkytCustomFilter;

namespace {

// Dates go into SQL as ISO text: both engines read it, and SQLite, which keeps dates as
// text, compares only that form correctly.
const char* const kSQLDateFormat = "yyyy-mm-dd";
const char* const kRootName = "DemoForm";
// The demo's form is a few kilobytes of text; a file far larger is none of its forms,
// and is refused before it is read into memory.
constexpr std::uintmax_t kMaxFormFileSize = 16u << 20;

// The name the form stores for Path (UTF-8): relative to Dir when Path lies inside it.
std::string StoredName(const std::string& Path, const std::string& Dir) {
  if (Path.empty()) return "";
  const fs::path relative = fs::path(Path).lexically_relative(Dir);
  const bool inside = !relative.empty() && *relative.begin() != "..";
  return DB::Utf8ToAnsi(inside ? relative.string() : Path);
}

// Name as the form stores it, resolved in Dir when it is a relative file name. A name
// with ':' is a server's ("host:path") and stays as it is.
std::string Resolved(const std::string& Name, const std::string& Dir) {
  if (Name.empty() || Name.find(':') != std::string::npos) return Name;
  const fs::path path(DB::AnsiToUtf8(Name));
  if (path.is_absolute()) return Name;
  return DB::Utf8ToAnsi((fs::path(Dir) / path).lexically_normal().string());
}

template <class F, class Q>
void AddDefaultPair(Classes::TComponent& Root, const TVariantInfo& Info, const std::string& Database,
                    const std::string& FilterDir) {
  auto* query = new Q(&Root);
  query->SetName(Info.Query);
  query->SetDatabaseName(Database);
  query->SQL()->SetText(kDemoSQL);
  auto* filter = new F(&Root);
  filter->SetName(Info.Filter);
  filter->SetDataSet(query);
  filter->SetCaption("Filter orders");
  filter->SetFilterDir(FilterDir);
  filter->SetSQLDateFormat(kSQLDateFormat);
}

std::unique_ptr<Classes::TDataModule> DefaultForm(const TDemoData& Data) {
  auto root = std::make_unique<Classes::TDataModule>(nullptr);
  root->SetName(kRootName);
  const std::string firebird = StoredName(Data.FirebirdFile, Data.Dir);
  const std::string filters = StoredName(Data.FilterDir, Data.Dir);
  AddDefaultPair<kytIBOFilter::TkytIBOFilter, IB_Components::TIB_Query>(*root, kVariants[0], firebird, filters);
  AddDefaultPair<kytIBDFilter::TkytIBDFilter, IBODataset::TIBOQuery>(*root, kVariants[1], firebird, filters);
  AddDefaultPair<kytBDEFilter::TkytBDEFilter, DBTables::TQuery>(*root, kVariants[2],
                                                                StoredName(Data.SQLiteFile, Data.Dir), filters);
  AddDefaultPair<kytQtSqlFilter::TkytQtSqlFilter, QtSqlDataSet::TQtSqlQuery>(*root, kVariants[3], kQtSqlConnection,
                                                                            filters);
  return root;
}

// A form written before the Qt SQL variant existed gets its default pair, with the
// filter folder of the SQLite variant's filter.
void AddMissingQtSqlPair(Classes::TComponent& Root) {
  if (Root.FindComponent(kVariants[3].Filter) != nullptr || Root.FindComponent(kVariants[3].Query) != nullptr) return;
  const auto* bde = dynamic_cast<const TkytCustomFilter*>(Root.FindComponent(kVariants[2].Filter));
  AddDefaultPair<kytQtSqlFilter::TkytQtSqlFilter, QtSqlDataSet::TQtSqlQuery>(Root, kVariants[3], kQtSqlConnection,
                                                                            bde ? bde->FilterDir() : "");
}

// Raises Classes::EFilerError unless Root has the filter of Info, of class F, linked
// to a query, with an image (if any) that reads as a catalogue: a form that passes
// gives every variant something to browse.
template <class F>
void CheckFilter(const Classes::TComponent& Root, const TVariantInfo& Info, const char* ClassName) {
  const auto* filter = dynamic_cast<const F*>(Root.FindComponent(Info.Filter));
  if (filter == nullptr || filter->DataSet() == nullptr)
    throw Classes::EFilerError("The form has no " + std::string(ClassName) + " named " + Info.Filter +
                               " linked to a query.");
  if (filter->Empty()) return;
  Classes::TMemoryStream image;
  filter->SaveToStream(image);
  image.SetPosition(0);
  kytSQLFilterStruc::TCampos entries;
  try {
    kytFilterBase::ReadFieldDefs(image, entries);
  } catch (const Classes::EReadError& e) {
    throw Classes::EFilerError(std::string(Info.Filter) + ": " + e.Message());
  }
}

void CheckForm(const Classes::TComponent& Root) {
  CheckFilter<kytIBOFilter::TkytIBOFilter>(Root, kVariants[0], "TkytIBOFilter");
  CheckFilter<kytIBDFilter::TkytIBDFilter>(Root, kVariants[1], "TkytIBDFilter");
  CheckFilter<kytBDEFilter::TkytBDEFilter>(Root, kVariants[2], "TkytBDEFilter");
  CheckFilter<kytQtSqlFilter::TkytQtSqlFilter>(Root, kVariants[3], "TkytQtSqlFilter");
}

// Reads and checks the form file File (UTF-8). Raises Classes::EFOpenError when it
// cannot be read, EParserError when it is malformed, EFilerError when it is not a form
// of this demo.
std::unique_ptr<Classes::TDataModule> ReadForm(const std::string& File) {
  std::ifstream in(File, std::ios::binary);
  if (!in) throw Classes::EFOpenError("Cannot open file \"" + DB::Utf8ToAnsi(File) + "\". " + std::strerror(errno));
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(File, ec);
  if (!ec && size > kMaxFormFileSize)
    throw Classes::EFilerError("The file is " + std::to_string(size) +
                               " bytes long; a form of this demo is far smaller.");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw Classes::EReadError("Cannot read file \"" + DB::Utf8ToAnsi(File) + "\".");
  // Read into a module of our own: a file whose root is another class is refused.
  auto root = std::make_unique<Classes::TDataModule>(nullptr);
  Classes::TextToComponent(text.str(), nullptr, root.get());
  AddMissingQtSqlPair(*root);
  CheckForm(*root);
  return root;
}

// Gives the instance's relative database names and filter folders the data folder.
void ResolveNames(Classes::TComponent& Root, const std::string& Dir) {
  for (int i = 0; i < Root.ComponentCount(); ++i) {
    Classes::TComponent* c = Root.Components(i);
    if (auto* native = dynamic_cast<IB_Components::TIB_Query*>(c)) {
      native->SetDatabaseName(Resolved(native->DatabaseName(), Dir));
    } else if (dynamic_cast<QtSqlDataSet::TQtSqlQuery*>(c) != nullptr) {
      // Its database name is the name of a Qt SQL connection, no file.
    } else if (auto* query = dynamic_cast<DB::TQueryDataSet*>(c)) {
      const bool alias =
          dynamic_cast<DBTables::TQuery*>(c) != nullptr && DBTables::Session().IsAlias(query->DatabaseName());
      if (!alias) query->SetDatabaseName(Resolved(query->DatabaseName(), Dir));
    } else if (auto* filter = dynamic_cast<TkytCustomFilter*>(c)) {
      filter->SetFilterDir(Resolved(filter->FilterDir(), Dir));
    }
  }
}

std::string Reason(const std::exception& E) {
  if (const auto* e = dynamic_cast<const SysUtils::Exception*>(&E)) return e->Message();
  return DB::Utf8ToAnsi(E.what());
}

}  // namespace

TDemoForm::TDemoForm() = default;
TDemoForm::~TDemoForm() = default;

std::string TDemoForm::Load(const TDemoData& Data) {
  FDir = Data.Dir;
  FFile = Data.FormFile;
  FRoot.reset();
  std::error_code ec;
  // A file that cannot even be looked at counts as there: it is reported, not replaced.
  const bool there = !FFile.empty() && (fs::exists(FFile, ec) || ec);
  if (there) {
    std::string reason;
    try {
      FRoot = ReadForm(FFile);
      return "";
    } catch (const std::exception& e) {
      reason = Reason(e);
    }
    FRoot = DefaultForm(Data);
    return "The demo's form file " + DB::Utf8ToAnsi(FFile) + " cannot be read:\n" + reason +
           "\n\nThe file is left as it is. The demo starts from its default form and replaces the file only "
           "when you accept new field definitions.";
  }
  FRoot = DefaultForm(Data);
  if (FFile.empty()) return "";
  try {
    Save();
  } catch (const std::exception& e) {
    return "The demo's form file " + DB::Utf8ToAnsi(FFile) + " cannot be written:\n" + Reason(e);
  }
  return "";
}

std::unique_ptr<Classes::TComponent> TDemoForm::NewInstance() const {
  if (!FRoot) throw SysUtils::Exception("The demo has no form.");
  auto instance = std::make_unique<Classes::TDataModule>(nullptr);
  Classes::TextToComponent(Classes::ComponentToText(*FRoot), nullptr, instance.get());
  ResolveNames(*instance, FDir);
  return instance;
}

void TDemoForm::StoreFieldDefs(const TkytCustomFilter& Edited) {
  auto* own = FRoot ? dynamic_cast<TkytCustomFilter*>(FRoot->FindComponent(Edited.Name())) : nullptr;
  if (own == nullptr || own->ClassName() != Edited.ClassName())
    throw SysUtils::Exception("The demo's form has no " + Edited.ClassName() + " named " + Edited.Name() + ".");
  Classes::TMemoryStream image;
  Edited.SaveToStream(image);
  own->LoadFromStream(image);
  if (!FFile.empty()) Save();
}

void TDemoForm::Save() {
  SafeFile::TFileReplacer out(FFile);
  Classes::WriteComponentText(out, *FRoot);
  out.Commit();
}

}  // namespace kytdemo
