#include "components/kytFilterBase.h"

#include "components/kytFilterDesign.h"
#include "fielddefs/kytFieldDef.h"

#include <cctype>
#include <cstring>
#include <limits>
#include <set>
#include <typeinfo>
#include <utility>

#include "dataaccess/db/DB.h"
#include "filterdialog/kytSQLFilterForm.h"
#include "filtermodel/kytSQLFilterRes.h"
#include "host/ui/Dialogs.h"
#include "sqltext/Parse.h"

namespace kytFilterBase {

using namespace kytSQLFilterRes;
using namespace kytSQLFilterStruc;

namespace {

constexpr Dialogs::TMsgDlgType mtError = Dialogs::TMsgDlgType::mtError;

// The date pattern of SQL a component starts with (and the form-file default).
constexpr const char* kInitialSQLDateFormat = "mm/dd/yyyy";

[[noreturn]] void BadImage(const std::string& Why) {
  throw Classes::EReadError("Invalid field definitions image: " + Why);
}

// Appends the entries of From to To, which owns them afterwards.
void MoveEntries(TCampos& From, TCampos& To) {
  for (int i = 0; i < From.Count(); ++i) To.Add(From.Get(i));
  From.Clear();
}

// Execute calls running now, of any filter component. While one runs, its dialog shows
// the entries of Campos, so a component destroyed meanwhile leaves freeing Campos to
// the end of the last running Execute.
void FreeCampos() {
  delete Campos;
  Campos = nullptr;
}

}  // namespace

// ---- Field-definitions image ------------------------------------------------------------

void WriteFieldDefs(const TCampos& ACampos, Classes::TStream& Stream) {
  Stream.WriteInt32(FieldDefsMarker);
  Stream.WriteInt32(ACampos.Count());
  for (int i = 0; i < ACampos.Count(); ++i) ACampos.Get(i)->SaveToStream(Stream);
}

void ReadFieldDefs(Classes::TStream& Stream, TCampos& ACampos) {
  const int64_t size = Stream.Size();
  if (size - Stream.Position() < 8) BadImage("it is shorter than its header");
  const int32_t marker = Stream.ReadInt32();
  if (marker != FieldDefsMarker)
    BadImage("it starts with " + SysUtils::IntToStr(marker) + " instead of " +
             SysUtils::IntToStr(FieldDefsMarker));
  const int32_t count = Stream.ReadInt32();
  const int64_t room = (size - Stream.Position()) / MinCampoRecordSize;
  if (count < 0 || count > room)
    BadImage("it announces " + SysUtils::IntToStr(count) + " fields, its " +
             SysUtils::IntToStr(size) + " bytes can hold at most " + SysUtils::IntToStr(room));

  // Read into a list of our own so that a record cut short leaves ACampos as it was.
  TCampos read;
  for (int32_t i = 0; i < count; ++i) {
    auto entry = std::make_unique<TCampo>();
    entry->LoadFromStream(Stream);
    read.Add(entry.release());
  }
  MoveEntries(read, ACampos);
}

TTypeMapping DataSetFieldType(int FieldTypeOrdinal) {
  switch (FieldTypeOrdinal) {
    case DB::ftString:
    case DB::ftMemo:
    case DB::ftFmtMemo:
    case DB::ftFixedChar:
    case DB::ftWideString:
      return {fString, true};
    case DB::ftSmallint:
    case DB::ftInteger:
    case DB::ftWord:
    case DB::ftAutoInc:
    case DB::ftLargeint:
      return {fInteger, true};
    case DB::ftFloat:
    case DB::ftCurrency:
    case DB::ftBCD:
      return {fFloat, true};
    case DB::ftBoolean:
      return {fBoolean, true};
    case DB::ftDate:
      return {fDate, true};
    case DB::ftTime:
      return {fTime, true};
    case DB::ftDateTime:
      return {fDateTime, true};
    case DB::ftGraphic:
      return {fGraphic, true};
    default:
      return {fUnknow, false};
  }
}

void TFilterVariant::AfterQueryColumns(Classes::TComponent&, TCampos&) const {}

kytSQLFilterStruc::TSqlDialect TFilterVariant::Dialect(Classes::TComponent&) const {
  return kytSQLFilterStruc::sdFirebird;
}

bool TFilterVariant::UseParameters(const Classes::TPersistent&) const { return false; }

void TFilterVariant::SetParams(Classes::TComponent&, const kytSQLFilterStruc::TSqlParams&) const {}

void TDataSetVariant::SetSQLWhere(std::string& SQL, const std::string& Clause) const { Parse::SetSQLWhere(SQL, Clause); }
void TDataSetVariant::SetSQLOrder(std::string& SQL, const std::string& Clause) const { Parse::SetSQLOrder(SQL, Clause); }

DB::TDataSet& TDataSetVariant::AsDataSet(Classes::TComponent& Query) { return dynamic_cast<DB::TDataSet&>(Query); }
bool TDataSetVariant::Active(Classes::TComponent& Query) const { return AsDataSet(Query).Active(); }
void TDataSetVariant::Open(Classes::TComponent& Query) const { AsDataSet(Query).Open(); }
void TDataSetVariant::Close(Classes::TComponent& Query) const { AsDataSet(Query).Close(); }

TColumnInfo TDataSetVariant::DescribeField(const DB::TField& Field) {
  TColumnInfo info;
  const TTypeMapping type = DataSetFieldType(Field.DataType());
  info.DataType = type.DataType;
  info.Supported = type.Supported;
  // A memo's data size is that of its reference, not of its text: no typing limit.
  const DB::TFieldType kind = Field.DataType();
  info.MaxSize = kind == DB::ftMemo || kind == DB::ftFmtMemo ? 0 : Field.DataSize();
  info.Description = Field.DisplayLabel();
  info.TestName = Field.FullName();
  return info;
}

// ---- Lifecycle ----------------------------------------------------------------------------

TkytCustomFilter::TkytCustomFilter(Classes::TComponent* AOwner, const TFilterVariant& Variant)
    : Classes::TComponent(AOwner),
      FVariant(Variant),
      FConstSQLWhere(std::make_unique<Classes::TStringList>()),
      FFixedOrder(std::make_unique<Classes::TStringList>()),
      FSpecialOperators(Variant.InitialSpecialOperators()),
      FLastOrder(std::make_unique<Classes::TStringList>()) {
  Filter.clear();
  FStringQuotes = '\'';
  FAllowOrdering = true;
  FCaption = "Filter selection";
  FFilterDir.clear();
  FSortFields = FCaseSensitive = FAllowAllFields = false;
  // The initial patterns are known to be valid: no CheckDate.
  FSQLDateFormat = kInitialSQLDateFormat;
  FEditDateFormat = Text(sDefaultDateFormat);
}

// One running Execute of a component, on that call's stack. It outlives what the
// handlers may destroy: the component marks it Destroyed, the linked query clears Query.
struct TkytCustomFilter::TExecution {
  explicit TExecution(TkytCustomFilter& AFilter)
      : Filter(AFilter), Outer(AFilter.FExecution), Query(AFilter.FDataSet) {
    Filter.FExecution = this;
  }
  ~TExecution() {
    if (!Destroyed) Filter.FExecution = Outer;
  }
  TExecution(const TExecution&) = delete;
  TExecution& operator=(const TExecution&) = delete;

  // Nothing of a destroyed component may be touched: end the call without a word, as
  // whoever destroyed it decided.
  void CheckAlive() const {
    if (Destroyed) SysUtils::Abort();
  }

  TkytCustomFilter& Filter;
  TExecution* Outer;             // an Execute of the same component further up the stack
  Classes::TComponent* Query;    // linked when the call began; null once destroyed
  Classes::TComponent* Form = nullptr;  // the dialog, owned by the component
  bool Destroyed = false;
};

TkytCustomFilter::~TkytCustomFilter() {
  for (TExecution* run = FExecution; run != nullptr; run = run->Outer) {
    run->Destroyed = true;
    // The dialog may be inside its modal loop: the Execute that made it frees it.
    if (run->Form != nullptr) RemoveComponent(run->Form);
  }
  Filter.clear();
  if (kytFieldDef::DataRefresh.Data == this) kytFieldDef::DataRefresh = {};
  // A filter dialog that is open shows the catalogue's entries: it keeps them until it
  // is gone, and the next catalogue is built afresh.
  if (kytSQLFilterForm::formFilter) {
    kytSQLFilterForm::formFilter->KeepCatalogue(Campos);
    Campos = nullptr;
  } else {
    FreeCampos();
  }
}

// ---- Properties -----------------------------------------------------------------------------

void TkytCustomFilter::SetFixedOrder(const Classes::TStrings* Value) {
  if (Value) FFixedOrder->Assign(const_cast<Classes::TStrings*>(Value));
}

void TkytCustomFilter::SetConstSQLWhere(const Classes::TStrings* Value) {
  if (Value) FConstSQLWhere->Assign(const_cast<Classes::TStrings*>(Value));
}

void TkytCustomFilter::SetSQLDateFormat(const std::string& Value) {
  CheckDate(Value);
  FSQLDateFormat = Value;
}

void TkytCustomFilter::SetEditDateFormat(const std::string& Value) {
  CheckDate(Value);
  FEditDateFormat = Value;
}

namespace {

// The separator the text of a date in Pattern has between its parts: the locale's for a
// pattern that writes "/", else the first literal character ("-" in "yyyy-mm-dd"), so
// that such a text parses back by its own separator rather than the locale's.
char PatternSeparator(const std::string& Pattern, char LocaleSeparator) {
  if (Pattern.find('/') != std::string::npos) return LocaleSeparator;
  for (char c : Pattern)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '"' && c != '\'' && c != ' ') return c;
  return LocaleSeparator;
}

}  // namespace

void TkytCustomFilter::CheckDate(const std::string& Pattern) {
  SysUtils::TFormatSettings& settings = SysUtils::FormatSettings();
  const std::string savedPattern = settings.ShortDateFormat;
  const char savedSeparator = settings.DateSeparator;
  bool valid = true;
  try {
    settings.ShortDateFormat = Pattern;
    settings.DateSeparator = PatternSeparator(Pattern, savedSeparator);
    SysUtils::StrToDate(SysUtils::FormatDateTime(Pattern, SysUtils::Date()));
  } catch (const SysUtils::Exception&) {
    valid = false;
  }
  settings.ShortDateFormat = savedPattern;
  settings.DateSeparator = savedSeparator;
  if (!valid) ErroAbort(sInvalidDateFormat, mtError);
}

void TkytCustomFilter::SetDataSetComponent(Classes::TComponent* Value) {
  if (Value == FDataSet) return;
  // A running Execute restores its query's statement on failure: keep hearing of it.
  bool watched = false;
  for (TExecution* run = FExecution; run != nullptr; run = run->Outer) watched = watched || run->Query == FDataSet;
  if (FDataSet && !watched) FDataSet->RemoveFreeNotification(this);
  FDataSet = Value;
  FBoundSQL.clear();
  FBoundParams.clear();
  if (FDataSet) FDataSet->FreeNotification(this);
}

void TkytCustomFilter::Notification(Classes::TComponent* AComponent, Classes::TOperation Operation) {
  Classes::TComponent::Notification(AComponent, Operation);
  if (Operation != Classes::TOperation::opRemove || AComponent == nullptr) return;
  // Only the linked query's removal unlinks: another query going away leaves the link.
  if (AComponent == FDataSet) {
    FDataSet = nullptr;
    FBoundSQL.clear();
    FBoundParams.clear();
  }
  for (TExecution* run = FExecution; run != nullptr; run = run->Outer)
    if (run->Query == AComponent) run->Query = nullptr;
}

void TkytCustomFilter::CallFieldDefs() { kytFilterDesign::CallFieldDefs(*this); }

// ---- Field-definitions image -------------------------------------------------------------------

void TkytCustomFilter::LoadFromStream(Classes::TStream& Stream) {
  FFieldDefsData.clear();
  const int64_t size = Stream.Size();
  if (size > std::numeric_limits<int32_t>::max())
    throw Classes::EReadError("Invalid field definitions image: it is larger than 2 GB");
  std::vector<uint8_t> data(static_cast<size_t>(size), 0);
  Stream.SetPosition(0);
  if (size > 0) Stream.ReadBuffer(data.data(), size);
  FFieldDefsData = std::move(data);
}

void TkytCustomFilter::SaveToStream(Classes::TStream& Stream) const {
  if (Empty()) return;
  Stream.SetPosition(0);
  Stream.WriteBuffer(FFieldDefsData.data(), static_cast<int64_t>(FFieldDefsData.size()));
}

bool TkytCustomFilter::Equal(const TkytCustomFilter& Other) const {
  if (Empty() || Other.Empty()) return Empty() && Other.Empty();
  if (typeid(*this) != typeid(Other)) return false;
  Classes::TMemoryStream mine, theirs;
  SaveToStream(mine);
  Other.SaveToStream(theirs);
  return mine.Size() == theirs.Size() &&
         std::memcmp(mine.Memory(), theirs.Memory(), static_cast<size_t>(mine.Size())) == 0;
}

bool TkytCustomFilter::HasData(const Classes::TPersistent* Ancestor) const {
  if (!Ancestor) return !Empty();
  if (!FVariant.IsFilter(Ancestor)) return true;
  return !Equal(dynamic_cast<const TkytCustomFilter&>(*Ancestor));
}

void TkytCustomFilter::DefineProperties(Classes::TFiler& Filer) {
  Classes::TComponent::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "Data", [this](Classes::TStream& Stream) { ReadData(Stream); },
      [this](Classes::TStream& Stream) { WriteData(Stream); }, HasData(Filer.Ancestor()));
}

// ---- Statement of a query --------------------------------------------------------------------

void TkytCustomFilter::RequireDataSet() const {
  if (FDataSet) return;
  ErroAbort(sMustSetDataset, mtError);
}

Classes::TComponent& TkytCustomFilter::Query() const {
  RequireDataSet();
  return *FDataSet;
}

void TkytCustomFilter::GetActualSQL(Classes::TComponent* Query, std::string& Text) const {
  Text.clear();
  if (!FVariant.IsQuery(Query)) ErroAbort(sDatasetNotRecognized, mtError);
  Text = FVariant.GetSQL(*Query);
}

void TkytCustomFilter::SetActualSQL(Classes::TComponent* Query, const std::string& Text) const {
  if (!FVariant.IsQuery(Query)) ErroAbort(sDatasetNotRecognized, mtError);
  FVariant.SetSQL(*Query, Text);
}

// ---- Execute and ClearFilter --------------------------------------------------------------------

bool TkytCustomFilter::Execute() {
  using kytSQLFilterForm::TformFilter;
  RequireDataSet();
  // Declared before the dialog, so that the dialog is gone when it ends.
  TExecution run(*this);
  InitCamposData(Campos, false);
  std::string previous;
  GetActualSQL(FDataSet, previous);
  const TSqlParams previousParams = ParamsOf(previous);
  const TSqlDialect dialect = FVariant.Dialect(*FDataSet);
  kytSQLFilterForm::OperatorsOk = FSpecialOperators;

  // Owned by this component for the call, and freed on every way out of it.
  auto form = std::make_unique<TformFilter>(this);
  run.Form = form.get();
  form->eCampo1->SetSorted(FSortFields);
  form->LineCount = 1;
  form->SetCaption(FCaption);
  form->SaveFilter->SetInitialDir(FFilterDir);
  form->OpenFilter->SetInitialDir(FFilterDir);
  form->SQLDateFormat = DialogSQLDateFormat(dialect);
  form->EditDateFormat = FEditDateFormat;
  form->Dialect = dialect;
  form->UseParameters = FVariant.UseParameters(*this);
  if (OnInitFilterData) {
    OnInitFilterData.Code(Filter);
    run.CheckAlive();
  }
  form->InitFilter();

  Classes::TStrings& ordered = *form->Ordered->Items();
  if (FAllowOrdering) {
    form->InitOrdemData();
    ordered.Assign(FLastOrder->Count() > 0 ? FLastOrder.get() : FFixedOrder.get());
    kytSQLFilterForm::NoFixedOrd = FFixedOrder->Count();
    form->TabSheet2->SetEnabled(true);
  } else {
    ordered.Clear();
    ordered.Add(Text(sOrderingDisabled));
    form->TabSheet2->SetEnabled(false);
  }
  form->ckCase->SetChecked(FCaseSensitive);
  form->WhereText = FConstSQLWhere->Text();
  form->StringQuote = FStringQuotes;
  // Criteria and ordering name a column by its table's alias where the statement gives
  // one; the catalogue keeps the table names.
  std::vector<TTableRef> refs;
  GetTableRefs(previous, refs);
  if (Campos) MatchTableAliases(refs, *Campos, form->TableAliases);

  const int modalResult = form->ShowModal();
  run.CheckAlive();
  if (modalResult != Dialogs::mrOk) return false;
  return Apply(*form, run, previous, previousParams);
}

std::string TkytCustomFilter::DialogSQLDateFormat(TSqlDialect Dialect) const {
  // Firebird reads the initial pattern; SQLite compares dates as their ISO text, and
  // PostgreSQL reads "mm/dd" or "dd/mm" by a setting of the session.
  if (Dialect != sdFirebird && FSQLDateFormat == kInitialSQLDateFormat) return "yyyy-mm-dd";
  return FSQLDateFormat;
}

void TkytCustomFilter::SetStatement(Classes::TComponent& Query, const std::string& Text, const TSqlParams& Params) {
  SetActualSQL(&Query, Text);
  FVariant.SetParams(Query, Params);
  if (&Query != FDataSet) return;
  // As the query gives it back, which is what the next statement is compared with.
  FBoundSQL = FVariant.GetSQL(Query);
  FBoundParams = Params;
}

TSqlParams TkytCustomFilter::ParamsOf(const std::string& Text) const {
  return Text == FBoundSQL ? FBoundParams : TSqlParams();
}

// Steps after the dialog was accepted: the new statement in place and open, the
// criteria kept. Any failure restores the previous statement on the query linked when
// Execute began and gives false.
bool TkytCustomFilter::Apply(kytSQLFilterForm::TformFilter& Form, TExecution& Run, const std::string& Previous,
                             const TSqlParams& PreviousParams) {
  Classes::TStrings& ordered = *Form.Ordered->Items();
  try {
    FCaseSensitive = Form.ckCase->Checked();
    std::string sql;
    GetActualSQL(&Query(), sql);
    FVariant.SetSQLWhere(sql, Form.WhereText);
    if (FAllowOrdering) {
      std::string joined;
      for (int i = 0; i < ordered.Count(); ++i) {
        if (i > 0) joined += ',';
        joined += Form.OrderColumnRef(ordered.Get(i));
      }
      if (FLastOrder->Text() != ordered.Text()) FLastOrder->Assign(&ordered);
      if (!joined.empty()) FVariant.SetSQLOrder(sql, "ORDER BY " + joined);
    }
    if (OnApplySQL) {
      OnApplySQL.Code(sql);
      Run.CheckAlive();
    }
    Classes::TComponent& query = Query();
    FVariant.Close(query);
    SetStatement(query, sql, Form.Params);
    FVariant.Open(query);
    // Accepted without any criterion: the query no longer uses the old lines, so the
    // next Execute must not offer them.
    if (!Form.ModifyFilter(Filter) && !Form.IsFilterDefined()) Filter.clear();
    return true;
  } catch (...) {
    if (Run.Destroyed) throw;
    Erro(sErrorOpeningNewSQL, mtError);
    // A query destroyed meanwhile has no statement left to restore.
    if (Run.Query == nullptr) return false;
    if (FVariant.Active(*Run.Query)) FVariant.Close(*Run.Query);
    SetStatement(*Run.Query, Previous, PreviousParams);
    // The previous statement fails as well when the cause was the database (its file
    // gone, the server stopped): it stays in place, closed, and the user was told.
    try {
      FVariant.Open(*Run.Query);
    } catch (const SysUtils::Exception&) {
    }
    return false;
  }
}

void TkytCustomFilter::ClearFilter() {
  Classes::TComponent& query = Query();
  std::string previous;
  GetActualSQL(&query, previous);
  std::string sql = previous;
  const std::string constant = FConstSQLWhere->Text();
  FVariant.SetSQLWhere(sql, constant.empty() ? std::string() : " WHERE " + constant);
  const TSqlParams previousParams = ParamsOf(previous);
  FVariant.Close(query);
  try {
    SetStatement(query, sql, {});
    FVariant.Open(query);
  } catch (...) {
    Erro(sErrorSettingSQL, mtError);
    SetStatement(query, previous, previousParams);
  }
}

// ---- Catalogue -----------------------------------------------------------------------------------

void TkytCustomFilter::ReadImage(TCampos*& ACampos) const {
  Classes::TMemoryStream stream;
  SaveToStream(stream);
  stream.SetPosition(0);
  auto read = std::make_unique<TCampos>();
  ReadFieldDefs(stream, *read);
  // Only a readable image creates the catalogue.
  if (!ACampos) ACampos = read.release();
  else MoveEntries(*read, *ACampos);
}

void TkytCustomFilter::FillCampos() {
  ReadImage(Campos);
  if (Campos) Campos->BuiltFor = this;
}

void TkytCustomFilter::InitCamposData(TCampos*& campos, bool ForceQuery) {
  // The catalogue of another component of the form is not this one's: offering its
  // fields, or storing them as this component's image, would mix two queries up.
  if (campos && campos->BuiltFor && campos->BuiltFor != this) {
    delete campos;
    campos = nullptr;
  }
  const bool filled = campos && campos->Count() > 0;
  if (filled) return;
  if (!Empty() && !ForceQuery) {
    // The image fills the catalogue asked for, which is Campos for every caller that
    // does not force the query.
    ReadImage(campos);
  } else {
    RequireDataSet();
    if (!campos) campos = new TCampos;
    BuildFromQuery(*campos);
  }
  if (campos) campos->BuiltFor = this;
}

void TkytCustomFilter::AddEntry(TCampos& ACampos, const TColumnInfo& Column, TFKind Kind) const {
  auto entry = std::make_unique<TCampo>();
  entry->FieldName = Column.FieldName;
  entry->ComboOrder = ACampos.Count();
  entry->TableName = Column.TableName;
  entry->DataType = Column.DataType;
  entry->MaxSize = Column.MaxSize;
  entry->FieldKind = Kind;
  entry->Description = Column.Description;
  entry->Supported = Column.Supported;
  entry->Visible = Kind == fkSelected ? Column.Supported : FAllowAllFields && Column.Supported;
  ACampos.Add(entry.release());
}

void TkytCustomFilter::BuildFromQuery(TCampos& ACampos) {
  Classes::TComponent& query = Query();
  if (!FVariant.Active(query)) {
    try {
      FVariant.Open(query);
    } catch (...) {
      Dialogs::ShowMessage(Text(sErrorOpeningDataset));
      SysUtils::Abort();
    }
  }

  // Built aside and handed over whole: a failure half way leaves ACampos as it was, so
  // a later Execute does not offer a partial field list as if it were complete.
  TCampos built;
  std::vector<TColumnInfo> columns;
  FVariant.DescribeQuery(query, columns);
  for (const TColumnInfo& column : columns) AddEntry(built, column, fkSelected);
  FVariant.AfterQueryColumns(query, built);

  std::vector<TTableRef> tables;
  GetTableRefs(FVariant.GetSQL(query), tables);
  // One scratch query serves every table; made when the first table needs it.
  std::unique_ptr<Classes::TComponent> scratch;
  std::set<std::string> described;
  for (const TTableRef& table : tables) {
    // A procedure's columns need its arguments; a self-join names its table twice.
    if (table.Procedure || !described.insert(table.Table).second) continue;
    if (!scratch) scratch = FVariant.NewScratchQuery(query);
    DescribeTable(*scratch, table, columns);
    for (const TColumnInfo& column : columns)
      if (MyFindField(column.TableName, column.TestName, built) < 0) AddEntry(built, column, fkNotInSelected);
  }
  MoveEntries(built, ACampos);
}

void TkytCustomFilter::DescribeTable(Classes::TComponent& Scratch, const TTableRef& Table,
                                     std::vector<TColumnInfo>& Columns) const {
  Columns.clear();
  FVariant.SetSQL(Scratch, "select * from " + Table.Table);
  try {
    FVariant.OpenScratch(Scratch);
    FVariant.DescribeTable(Scratch, Table, Columns);
  } catch (...) {
    FVariant.CloseScratch(Scratch);
    throw;
  }
  FVariant.CloseScratch(Scratch);
}

void TkytCustomFilter::RefreshData(TRefreshTypeS RefreshType) {
  if (RefreshType.Contains(rtEverything)) {
    delete Campos;
    Campos = new TCampos;
    InitCamposData(Campos, true);
    return;
  }
  TCampos* built = nullptr;
  std::unique_ptr<TCampos> fresh;
  try {
    InitCamposData(built, true);
  } catch (...) {
    delete built;
    throw;
  }
  fresh.reset(built);
  if (!Campos) Campos = new TCampos;
  Campos->BuiltFor = this;

  for (int i = 0; i < fresh->Count(); ++i) {
    const TCampo& entry = *fresh->Get(i);
    const int found = MyFindField(entry.TableName, entry.FieldName, *Campos);
    TCampo* counterpart = found >= 0 ? Campos->Get(found) : nullptr;
    if (RefreshType.Contains(rtDescriptions) && counterpart && counterpart->Description != entry.Description)
      counterpart->Description = entry.Description;
    if (RefreshType.Contains(rtAddNew)) {
      if (!counterpart) {
        auto added = std::make_unique<TCampo>();
        added->Assign(&entry);
        Campos->Add(added.release());
      } else if (counterpart->FieldKind == fkNotInSelected && entry.FieldKind == fkSelected) {
        counterpart->Assign(&entry);
      }
    }
  }
  if (RefreshType.Contains(rtRemoveOld)) {
    for (int i = Campos->Count() - 1; i >= 0; --i) {
      TCampo* entry = Campos->Get(i);
      if (MyFindField(entry->TableName, entry->FieldName, *fresh) < 0) {
        Campos->Delete(i);
        delete entry;
      }
    }
  }
}

// ---- Published properties ---------------------------------------------------------------------------

std::vector<TypInfo::TPropInfo> FilterProperties(const TFilterVariant& Variant, TypInfo::TPropInfo DataSetProp,
                                                 TypInfo::TPropInfo FilterFieldDefsProp) {
  using namespace TypInfo;
  using F = TkytCustomFilter;
  const auto never = [](const Classes::TPersistent&) { return false; };

  std::vector<TPropInfo> props;
  props.push_back(BoolProp<F>("AllowAllFields", &F::AllowAllFields, &F::SetAllowAllFields));
  props.back().Stored = never;
  props.push_back(StringProp<F>("Caption", &F::Caption, &F::SetCaption));
  props.push_back(BoolProp<F>("CaseSensitive", &F::CaseSensitive, &F::SetCaseSensitive));
  props.back().Stored = never;
  props.push_back(BoolProp<F>("AllowOrdering", &F::AllowOrdering, &F::SetAllowOrdering));
  props.push_back(StringsProp<F>("FixedOrder", &F::FixedOrder));
  props.push_back(StringProp<F>("SQLDateFormat", &F::SQLDateFormat, &F::SetSQLDateFormat));
  props.push_back(StringProp<F>("EditDateFormat", &F::EditDateFormat, &F::SetEditDateFormat));
  props.push_back(BoolProp<F>("SortFields", &F::SortFields, &F::SetSortFields));
  props.back().Stored = never;
  props.push_back(std::move(DataSetProp));
  props.push_back(StringsProp<F>("ConstSQLWhere", &F::ConstSQLWhere));
  props.push_back(CharProp<F>("StringQuotes", &F::StringQuotes, &F::SetStringQuotes, '\''));
  props.push_back(std::move(FilterFieldDefsProp));
  props.push_back(StringProp<F>("FilterDir", &F::FilterDir, &F::SetFilterDir));
  props.push_back(SetProp<F>(
      "SpecialOperators", {"opStartingWith", "opContains"},
      [](const F& Filter) { return Filter.SpecialOperators().Bits(); },
      [](F& Filter, uint8_t Bits) { Filter.SetSpecialOperators(TSpecialOperators::FromByte(Bits)); },
      Variant.InitialSpecialOperators().Bits()));
  if (!Variant.SpecialOperatorsHaveDefault()) props.back().Default.reset();
  props.push_back(MethodProp<F>("OnApplySQL", &F::OnApplySQL));
  props.push_back(MethodProp<F>("OnInitFilterData", &F::OnInitFilterData));
  return props;
}

}  // namespace kytFilterBase
