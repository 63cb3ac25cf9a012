#include "filterdialog/kytSQLFilterForm.h"
#include "filterdialog/kytSQLFilterForm_p.h"

#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QWidget>

#include <cctype>

#include "filtermodel/kytSQLFilterRes.h"
#include "host/rtl/SysUtils.h"
#include "host/ui/Accessible.h"

namespace kytSQLFilterForm {

using Classes::TObject;
using namespace kytSQLFilterRes;
using kytSQLFilterStruc::Campos;
using kytSQLFilterStruc::FilterArray;
using kytSQLFilterStruc::opContains;
using kytSQLFilterStruc::opStartingWith;
using kytSQLFilterStruc::TCampo;
using kytSQLFilterStruc::TFType;

std::array<TOperatorEntry, 10> Operators = {{
    {"=", "="},
    {"<>", "<>"},
    {">", ">"},
    {"<", "<"},
    {">=", ">="},
    {"<=", "<="},
    {"is Null", "is Null"},
    {"is not Null", "is not Null"},
    {"Starting with", "Start with"},
    {"Containing", "Contains"},
}};

kytSQLFilterStruc::TSpecialOperators OperatorsOk;

std::string GetOperatorSQL(const std::string& Text) {
  std::string result = "Op. not found !!!";
  for (const TOperatorEntry& e : Operators)
    if (e.DisplayText == Text) result = e.SQLOperator;
  return result;
}

int GetOperatorIndex(const std::string& SQLText) {
  int result = -1;
  for (int i = 0; i < static_cast<int>(Operators.size()); ++i)
    if (Operators[i].SQLOperator == SQLText) result = i;
  return result;
}

void PrepareOperators(Classes::TStrings& Items) {
  // Message identifiers of the display texts, by table index.
  static const int kTexts[8] = {sEqual, sNotEqual, sGreater, sLess, sGreaterOrEqual, sLessOrEqual, sIsNull, sIsNotNull};
  for (int i = 0; i < 8; ++i) Operators[i].DisplayText = kytSQLFilterRes::Text(kTexts[i]);
  Operators[8].DisplayText =
      OperatorsOk.Contains(opStartingWith) ? kytSQLFilterRes::Text(sStartWith) : std::string();
  Operators[9].DisplayText =
      OperatorsOk.Contains(opContains) ? kytSQLFilterRes::Text(sContains) : std::string();
  Items.BeginUpdate();
  Items.Clear();
  for (const TOperatorEntry& e : Operators)
    if (!e.DisplayText.empty()) Items.Add(e.DisplayText);
  Items.EndUpdate();
}

// ---- The dialog -------------------------------------------------------------------------

FilterLineArray FilterLines;
TformFilter* formFilter = nullptr;
int NoFixedOrd = 0;

namespace {

using StdCtrls::TComboBox;
using StdCtrls::TEdit;

// True when Text consists of C only (or is empty).
bool OnlyOf(const std::string& Text, char C) {
  for (char c : Text)
    if (c != C) return false;
  return true;
}

// The catalogue entry attached to the chosen item of a field drop-down, or null.
TCampo* ChosenCampo(const TComboBox& Box) {
  const int index = Box.ItemIndex();
  if (index < 0) return nullptr;
  return dynamic_cast<TCampo*>(Box.Items()->GetObject(index));
}


// AOwner, once it is sure that no other filter dialog exists: a second one would take
// FilterLines over and destroy the first one's lines.
Classes::TComponent* RequireNoOtherDialog(Classes::TComponent* AOwner) {
  if (formFilter) throw SysUtils::Exception("A filter dialog is already open; close it before opening another one.");
  return AOwner;
}

}  // namespace

void MySetLength(FilterLineArray& Lines, int NewLength) {
  if (NewLength < 0) NewLength = 0;
  if (static_cast<int>(Lines.size()) >= NewLength) {
    for (int i = static_cast<int>(Lines.size()) - 1; i >= NewLength; --i) {
      FilterLineRec& line = Lines[i];
      delete line.BGroup;
      delete line.EGroup;
      delete line.Value;
      delete line.Campo;
      delete line.Comparision;
      delete line.Operation;
      line = FilterLineRec{};
    }
  }
  Lines.resize(NewLength);
}

int CountParentheses(const std::string& Text) {
  int count = 0;
  for (char c : Text)
    if (c == '(' || c == ')') ++count;
  return count;
}

TformFilter::TformFilter(Classes::TComponent* AOwner) : Forms::TForm(RequireNoOtherDialog(AOwner)) {
  formFilter = this;
  try {
    BuildLayout();
    TranslateForm(*this);
    FormCreate(this);
  } catch (...) {
    FormDestroy(this);
    formFilter = nullptr;
    throw;
  }
}

TformFilter::~TformFilter() {
  // The form is going: its line controls need not announce their removal to each other.
  Destroying();
  FormDestroy(this);
  // The line controls that showed the kept entries are gone.
  FKeptCatalogues.clear();
  if (formFilter == this) formFilter = nullptr;
}

void TformFilter::KeepCatalogue(kytSQLFilterStruc::TCampos* ACampos) {
  if (ACampos) FKeptCatalogues.emplace_back(ACampos);
}

void TformFilter::FormCreate(TObject*) {
  MySetLength(FilterLines, 0);
  FilterLines.resize(1);
  FilterLines[0] = {eBGroup1, eEGroup1, eValue1, eCampo1, eComparision1, eOperation1};
  NameLine(1);
  ChainTabOrder(1);
  FillFieldList();
  LineCount = 1;
  GroupsVisible = true;
  SetVisible(false, true);
  SetHintsAndCaptions();
  Classes::TStrings& operations = *eOperation1->Items();
  operations.Clear();
  operations.Add("");
  operations.Add(Text(sAnd));
  operations.Add(Text(sOr));
  PrepareOperators(*eComparision1->Items());
}

// The visible entries, ordered by ComboOrder and then by description. The number is
// written with leading zeros so that the sorted list's text order is the numeric
// order, and taken off again afterwards.
void TformFilter::FillFieldList() {
  Classes::TStrings& items = *eCampo1->Items();
  TUpdateGuard batch(items);
  items.Clear();
  const bool wasSorted = eCampo1->Sorted();
  eCampo1->SetSorted(true);
  constexpr int kOrderWidth = 10;
  if (Campos) {
    for (int i = 0; i < Campos->Count(); ++i) {
      TCampo* campo = Campos->Get(i);
      if (!campo->Visible) continue;
      std::string number = SysUtils::IntToStr(campo->ComboOrder < 0 ? 0 : campo->ComboOrder);
      number.insert(0, number.size() < kOrderWidth ? kOrderWidth - number.size() : 0, '0');
      items.AddObject(number + campo->Description, campo);
    }
  }
  for (int i = 0; i < items.Count(); ++i) items.Put(i, items.Get(i).substr(kOrderWidth, 255));
  eCampo1->SetSorted(wasSorted);
}

void TformFilter::SetHintsAndCaptions() {
  eCampo1->SetHint(Text(sFieldName));
  eComparision1->SetHint(Text(sOperator));
  eValue1->SetHint(Text(sComparisionValue));
  eOperation1->SetHint(Text(sOperation));
  eBGroup1->SetHint(Text(sUseParentheses));
  eEGroup1->SetHint(Text(sUseParentheses));
  btSee->SetHint(HintWithKey(btSee, Text(sShowSQL)));
  btParse->SetHint(HintWithKey(btParse, Text(sRebuildSQL)));
  btCancel->SetHint(HintWithKey(btCancel, Text(sCancelFilter)));
  btConfirm->SetHint(HintWithKey(btConfirm, Text(sAcceptFilter)));
  btParenteses->SetHint(HintWithKey(btParenteses, Text(sGroupingOptions)));
  btClear->SetHint(HintWithKey(btClear, Text(sClearFilter)));
  btSaveFilter->SetHint(HintWithKey(btSaveFilter, Text(sSaveFilterHint)));
  btOpenFilter->SetHint(HintWithKey(btOpenFilter, Text(sOpenFilterHint)));
  TabSheet1->SetCaption(Text(sFilterPage));
  TabSheet2->SetCaption(Text(sOrderingPage));
  TabSheet3->SetCaption(Text(sDescriptionPage));
  ckCase->SetCaption(Text(sCaseSensitive));
}

void TformFilter::FormDestroy(TObject*) {
  const QScopedValueRollback quiet(FLineWork, true);
  MySetLength(FilterLines, 0);
  eBGroup1 = eEGroup1 = nullptr;
  eValue1 = nullptr;
  eCampo1 = eComparision1 = eOperation1 = nullptr;
}

// ---- Criteria lines -------------------------------------------------------------------

int TformFilter::LineTop(int Line, const Controls::TControl& First) const {
  return First.Top() + (Line - 1) * (First.Height() + 3);
}

int TformFilter::GetFieldIndex(const std::string& FieldName, const std::string& TableName) const {
  if (!Campos) return -1;
  const std::string field = SysUtils::UpperCase(FieldName);
  const std::string table = SysUtils::UpperCase(TableName);
  for (int i = 0; i < Campos->Count(); ++i) {
    const TCampo* campo = Campos->Get(i);
    if (SysUtils::UpperCase(campo->FieldName) == field && SysUtils::UpperCase(campo->TableName) == table)
      return campo->ComboOrder;
  }
  return -1;
}

TEdit* TformFilter::ClonarEdit(TEdit*& Target, const std::string& Name, TEdit* Template) {
  auto* edit = new TEdit(this);
  edit->SetName(Name);
  edit->SetColor(Template->Color());
  edit->SetFont(Template->Font());
  edit->SetTag(LineCount);
  edit->SetShowHint(true);
  edit->SetVisible(GroupsVisible);
  // Placed before it is shown: a control shown without a size is first sized to its contents.
  edit->SetBounds(Template->Left(), LineTop(LineCount, *Template), Template->Width(), Template->Height());
  edit->SetParent(Template->Parent());
  edit->SetText("");
  edit->OnKeyPress = [this](TObject* S, char& K) { ChecaParentesis(S, K); };
  Target = edit;
  return edit;
}

TComboBox* TformFilter::ClonarCombo(TComboBox*& Target, const std::string& Name, TComboBox* Template) {
  auto* box = new TComboBox(this);
  box->SetName(Name);
  // Placed before it is shown: sizing a drop-down to its contents measures every item.
  box->SetBounds(Template->Left(), LineTop(LineCount, *Template), Template->Width(), Template->Height());
  box->SetParent(Template->Parent());
  box->SetFont(Template->Font());
  box->SetStyle(StdCtrls::TComboBoxStyle::csDropDownList);
  box->SetColor(Template->Color());
  box->SetDropDownCount(Template->DropDownCount());
  box->SetCompact(Template->Compact());
  box->Items()->Assign(Template->Items());
  box->SetItemIndex(-1);
  box->SetTag(LineCount);
  box->SetShowHint(true);
  Target = box;
  return box;
}

Mask::TMaskEdit* TformFilter::NewValueEdit(int Line) {
  auto* edit = new Mask::TMaskEdit(this);
  edit->SetName("eValue" + SysUtils::IntToStr(Line));
  edit->SetBounds(eValue1->Left(), LineTop(Line, *eValue1), eValue1->Width(), eValue1->Height());
  edit->SetParent(eValue1->Parent());
  edit->SetText("");
  edit->SetTag(Line);
  return edit;
}

void TformFilter::Notification(Classes::TComponent* AComponent, Classes::TOperation Operation) {
  if (!FLineWork) {
    Forms::TForm::Notification(AComponent, Operation);
    return;
  }
  if (Operation == Classes::TOperation::opRemove) RemoveFreeNotification(AComponent);
}

void TformFilter::AddLine() {
  const QScopedValueRollback quiet(FLineWork, true);
  ++LineCount;
  const int n = LineCount;
  MySetLength(FilterLines, n);
  FilterLineRec& line = FilterLines[n - 1];
  const std::string number = SysUtils::IntToStr(n);
  ClonarEdit(line.BGroup, "eBGroup" + number, eBGroup1);
  ClonarCombo(line.Campo, "eCampo" + number, eCampo1)->OnChange = [this](TObject* S) { ChangeCampo(S); };
  ClonarCombo(line.Comparision, "eComparision" + number, eComparision1)->OnDropDown = [this](TObject* S) {
    SetDropWidth(S);
  };
  line.Value = NewValueEdit(n);
  ClonarEdit(line.EGroup, "eEGroup" + number, eEGroup1);
  ClonarCombo(line.Operation, "eOperation" + number, eOperation1)->OnChange = [this](TObject* S) {
    MudaOperation(S);
  };
  NameLine(n);
  ChainTabOrder(n);
}

void TformFilter::NameLine(int Line) {
  const FilterLineRec& line = FilterLines[Line - 1];
  const std::string prefix = "Line " + SysUtils::IntToStr(Line) + " ";
  Accessible::SetName(*line.BGroup, prefix + "opening parentheses");
  Accessible::SetName(*line.Campo, prefix + "field");
  Accessible::SetName(*line.Comparision, prefix + "comparison");
  Accessible::SetName(*line.Value, prefix + "value");
  Accessible::SetName(*line.EGroup, prefix + "closing parentheses");
  Accessible::SetName(*line.Operation, prefix + "connector");
}

void TformFilter::ChainTabOrder(int Line) {
  const FilterLineRec& line = FilterLines[Line - 1];
  QWidget* previous = Line > 1 ? static_cast<QWidget*>(FilterLines[Line - 2].Operation) : nullptr;
  for (QWidget* next : {static_cast<QWidget*>(line.BGroup), static_cast<QWidget*>(line.Campo),
                        static_cast<QWidget*>(line.Comparision), static_cast<QWidget*>(line.Value),
                        static_cast<QWidget*>(line.EGroup), static_cast<QWidget*>(line.Operation)}) {
    if (previous) QWidget::setTabOrder(previous, next);
    previous = next;
  }
}

namespace {

// The item of a field drop-down whose entry has these names (ASCII letters compared
// without case), or -1.
int FindFieldItem(const TComboBox& Box, const std::string& FieldName, const std::string& TableName) {
  const std::string field = SysUtils::UpperCase(FieldName);
  const std::string table = SysUtils::UpperCase(TableName);
  for (int i = 0; i < Box.Items()->Count(); ++i) {
    auto* campo = dynamic_cast<TCampo*>(Box.Items()->GetObject(i));
    if (campo && SysUtils::UpperCase(campo->FieldName) == field && SysUtils::UpperCase(campo->TableName) == table)
      return i;
  }
  return -1;
}

// The item of a comparison drop-down that shows the comparison of this SQL operator,
// or -1.
int FindComparisonItem(const TComboBox& Box, const std::string& SQLOperator) {
  const int entry = GetOperatorIndex(SQLOperator);
  if (entry < 0 || Operators[entry].DisplayText.empty()) return -1;
  for (int i = 0; i < Box.Items()->Count(); ++i)
    if (Box.Items()->Get(i) == Operators[entry].DisplayText) return i;
  return -1;
}

}  // namespace

void TformFilter::InitFilter() {
  using kytSQLFilterStruc::Filter;
  if (Filter.empty()) return;
  if (Filter.size() > static_cast<std::size_t>(MaxFilterLines))
    throw SysUtils::Exception("The filter has " + SysUtils::IntToStr(static_cast<int>(Filter.size())) +
                              " lines; the filter dialog holds at most " + SysUtils::IntToStr(MaxFilterLines) + ".");
  FRestored = true;
  bool groups = false;

  const kytSQLFilterStruc::FilterRec& first = Filter[0];
  eBGroup1->SetText(first.BeginGroup.Str());
  eEGroup1->SetText(first.EndGroup.Str());
  eCampo1->SetItemIndex(FindFieldItem(*eCampo1, first.FieldName.Str(), first.TableName.Str()));
  ChangeCampo(eCampo1);
  eComparision1->SetItemIndex(FindComparisonItem(*eComparision1, first.Operator.Str()));
  eOperation1->SetItemIndex(first.Operation);
  eValue1->SetText(first.Value.Str());
  groups = first.BeginGroup.Len > 0 || first.EndGroup.Len > 0;

  const int records = static_cast<int>(Filter.size());
  for (int i = 1; i < records; ++i) {
    const kytSQLFilterStruc::FilterRec& rec = Filter[i];
    if (rec.BeginGroup.Len > 0 || rec.EndGroup.Len > 0) groups = true;
    AddLine();
    FilterLineRec& line = FilterLines[LineCount - 1];
    line.BGroup->SetText(rec.BeginGroup.Str());
    line.Campo->SetItemIndex(FindFieldItem(*line.Campo, rec.FieldName.Str(), rec.TableName.Str()));
    line.Value->SetText(rec.Value.Str());
    line.EGroup->SetText(rec.EndGroup.Str());
    line.Operation->SetItemIndex(rec.Operation);
    ChangeCampo(line.Campo);
    line.Comparision->SetItemIndex(FindComparisonItem(*line.Comparision, rec.Operator.Str()));
  }

  // Parentheses in the filter show their columns; without, the columns stay as they are.
  if (groups) SetVisible(true, true);
}

namespace {

// The value mask of a date field: a digit position for each day, month and year
// letter of the pattern, the date separator for "/", nothing for the rest.
std::string DateMask(const std::string& EditDateFormat) {
  std::string mask;
  for (char c : EditDateFormat) {
    const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (u == 'D' || u == 'M' || u == 'Y') mask += '9';
    else if (c == '/') mask += '/';
  }
  return mask;
}

}  // namespace

void TformFilter::ChangeCampo(TObject* Sender) {
  using namespace kytSQLFilterStruc;
  auto* box = dynamic_cast<TComboBox*>(Sender);
  if (!box) return;
  TCampo* campo = ChosenCampo(*box);
  const int n = static_cast<int>(box->Tag());
  if (!campo || n < 1 || n > static_cast<int>(FilterLines.size())) return;
  FilterLineRec& line = FilterLines[n - 1];
  const TFType type = campo->DataType;
  const bool optional = type == fString || type == fFloat || type == fInteger;
  OfferOptionalComparisons(*line.Comparision, optional);

  std::string mask;
  if (type == fDate || type == fDateTime) mask = DateMask(EditDateFormat);
  else if (type == fTime) mask = "99:99";
  // The catalogue's size of a column is a typing limit for text only: for numbers and
  // dates it is the storage size in bytes, not a number of characters.
  line.Value->SetMaxLength(type == fString ? campo->MaxSize : 0);
  // The kept text goes back whole, through the new mask; the limit is for typing.
  line.Value->SetEditMask(mask);
}

void TformFilter::OfferOptionalComparisons(TComboBox& Box, bool Offer) {
  Classes::TStrings& comparisons = *Box.Items();
  const std::string contains = Text(sContains);
  const std::string startWith = Text(sStartWith);
  if (Offer) {
    if (comparisons.IndexOf(contains) < 0 && OperatorsOk.Contains(opContains)) comparisons.Add(contains);
    if (comparisons.IndexOf(startWith) < 0 && OperatorsOk.Contains(opStartingWith)) comparisons.Add(startWith);
    return;
  }
  // A chosen comparison that goes leaves the line without one: the builder reports it
  // rather than another comparison taking its place.
  for (const std::string& text : {contains, startWith}) {
    const int index = comparisons.IndexOf(text);
    if (index >= 0) comparisons.Delete(index);
  }
}

void TformFilter::MudaOperation(TObject* Sender) {
  auto* box = dynamic_cast<TComboBox*>(Sender);
  if (!box) return;
  const int n = static_cast<int>(box->Tag());
  if (box->Text().empty()) {
    const QScopedValueRollback quiet(FLineWork, true);
    if (n < LineCount) MySetLength(FilterLines, n);
    if (n >= 1 && n < LineCount) LineCount = static_cast<uint16_t>(n);
    return;
  }
  if (n != LineCount) return;
  AddLine();
  // The user goes on with the new line: its field first.
  FilterLines[LineCount - 1].Campo->setFocus(Qt::TabFocusReason);
}

void TformFilter::SetVisible(bool Show, bool Shift) {
  if (Show == GroupsVisible) return;
  GroupsVisible = Show;
  int d = 0;
  if (Shift) d = (eBGroup1->Width() + 5) * (Show ? -1 : 1);
  for (int n = 1; n <= LineCount && n <= static_cast<int>(FilterLines.size()); ++n) {
    FilterLineRec& line = FilterLines[n - 1];
    line.BGroup->SetVisible(Show);
    line.EGroup->SetVisible(Show);
    line.Campo->SetBounds(line.Campo->Left() - d, line.Campo->Top(), line.Campo->Width() + d, line.Campo->Height());
    line.Value->SetWidth(line.Value->Width() + d);
  }
}

void TformFilter::btParentesesClick(TObject*) { SetVisible(!GroupsVisible, true); }

void TformFilter::ChecaParentesis(TObject* Sender, char& Key) {
  for (const FilterLineRec& line : FilterLines) {
    if ((Sender == line.BGroup && Key != '(') || (Sender == line.EGroup && Key != ')')) {
      Key = '\0';
      return;
    }
  }
}

void TformFilter::eComparision1Change(TObject* Sender) {
  auto* box = dynamic_cast<TComboBox*>(Sender);
  if (!box) return;
  const int index = box->ItemIndex();
  box->SetHint(index < 0 || index >= static_cast<int>(Operators.size()) ? Text(sOperator)
                                                                        : Operators[index].DisplayText);
}

void TformFilter::SetDropWidth(TObject* Sender) {
  if (auto* box = dynamic_cast<TComboBox*>(Sender)) box->SetDropWidth(DropListWidth);
}

bool TformFilter::IsFilterDefined() const {
  if (LineCount != 1 || FRestored) return true;
  return eCampo1->ItemIndex() >= 0 || eOperation1->ItemIndex() >= 0 ||
         (!eValue1->Text().empty() && eValue1->Modified());
}

// ---- SQL ----------------------------------------------------------------------------

void TformFilter::MountSQL(TObject*) {
  Classes::TStrings& memo = *MemoSQL->Lines();
  TUpdateGuard batch(memo);
  memo.Clear();
  Params.clear();
  if (!IsFilterDefined()) {
    if (!WhereText.empty()) memo.Add(WhereText);
    return;
  }
  if (!WhereText.empty()) memo.Add(WhereText + " AND");
  int balance = 0;
  for (int n = 1; n <= LineCount; ++n) {
    memo.Add(MountLine(n, balance));
    if (balance < 0) FailLine(n, sUnclosedBrackets);
  }
  if (balance != 0) {
    // Still open after the last line: told without switching the page or the panel.
    Dialogs::Beep();
    memo.Add(kytSQLFilterRes::TextForLine(sUnclosedBrackets, LineCount));
    SysUtils::Abort();
  }
}

std::string TformFilter::MountLine(int Line, int& Balance) {
  const FilterLineRec& line = FilterLines[Line - 1];
  if (line.Comparision->ItemIndex() < 0) FailLine(Line, sInvalidComparision);
  const std::string op = GetOperatorSQL(line.Comparision->Text());
  // Parenthesis texts may come from a filter file: anything but parentheses would
  // reach the SQL unchecked.
  const std::string opening = line.BGroup->Text();
  const std::string closing = line.EGroup->Text();
  if (!OnlyOf(opening, '(') || !OnlyOf(closing, ')')) FailLine(Line, sProblemAtLine);
  Balance += CountParentheses(opening);
  const TCampo* campo = ChosenCampo(*line.Campo);
  if (!campo) FailLine(Line, sInvalidField);

  std::string s = opening + Condition(*campo, op, line.Value->Text(), Line);
  Balance -= CountParentheses(closing);
  s += closing;
  const int operation = line.Operation->ItemIndex();
  if (operation == 1) s += " AND";
  else if (operation == 2) s += " OR";
  return s;
}

void TformFilter::FailLine(int Line, int Message) {
  if (PageControl1->ActivePage() != TabSheet1) PageControl1->SetActivePage(TabSheet1);
  if (!SQLPanel->Visible()) SQLPanel->SetVisible(true);
  Dialogs::Beep();
  MemoSQL->Lines()->Add(kytSQLFilterRes::TextForLine(Message, Line));
  SysUtils::Abort();
}

std::string TformFilter::ColumnRef(const TCampo& Campo) const {
  const auto alias = TableAliases.find(Campo.TableName);
  return (alias == TableAliases.end() ? Campo.TableName : alias->second) + Campo.FieldName;
}

std::string TformFilter::OrderColumnRef(const std::string& Entry) const {
  if (Campos)
    for (int i = 0; i < Campos->Count(); ++i) {
      const TCampo& campo = *Campos->Get(i);
      if (campo.TableName + campo.FieldName == Entry) return ColumnRef(campo);
    }
  return Entry;
}

// ---- Commands ------------------------------------------------------------------------

void TformFilter::btSeeClick(TObject* Sender) {
  SQLPanel->SetVisible(!SQLPanel->Visible());
  if (SQLPanel->Visible()) MountSQL(Sender);
}

void TformFilter::btConfirmClick(TObject* Sender) {
  MountSQL(Sender);
  const std::string text = MemoSQL->Text();
  WhereText = text.empty() ? std::string() : "WHERE " + text;
  SetModalResult(Dialogs::mrOk);
}

void TformFilter::btCancelClick(TObject*) { SetModalResult(Dialogs::mrCancel); }

void TformFilter::ClearFilter(TObject*) {
  const QScopedValueRollback quiet(FLineWork, true);
  MySetLength(FilterLines, 1);
  eCampo1->SetItemIndex(-1);
  eComparision1->SetItemIndex(-1);
  eOperation1->SetItemIndex(-1);
  eBGroup1->SetText("");
  eEGroup1->SetText("");
  eValue1->SetText("");
  LineCount = 1;
  FRestored = false;
}

bool TformFilter::ModifyFilter(FilterArray& AFilter) {
  if (!IsFilterDefined()) return false;
  try {
    AFilter.resize(LineCount);
    for (int n = 1; n <= LineCount; ++n) {
      const FilterLineRec& line = FilterLines[n - 1];
      kytSQLFilterStruc::FilterRec& rec = AFilter[n - 1];
      rec.BeginGroup.Set(line.BGroup->Text());
      const TCampo* campo = ChosenCampo(*line.Campo);
      if (!campo) throw SysUtils::Exception("line " + SysUtils::IntToStr(n) + " has no field");
      rec.FieldName.Set(campo->FieldName);
      rec.TableName.Set(campo->TableName);
      rec.Operator.Set(GetOperatorSQL(line.Comparision->Text()));
      rec.Value.Set(line.Value->Text());
      rec.Operation = line.Operation->ItemIndex();
      rec.EndGroup.Set(line.EGroup->Text());
    }
  } catch (const SysUtils::Exception&) {
    Dialogs::ShowMessage(Text(sCouldNotUpdateFilter));
    return false;
  }
  return true;
}

void TformFilter::btSaveFilterClick(TObject*) {
  using kytSQLFilterStruc::Filter;
  if (!IsFilterDefined()) {
    Dialogs::ShowMessage(Text(sNoFilterDefined));
    return;
  }
  if (!ModifyFilter(Filter)) return;
  SaveFilter->Title = Text(sSaveFilterTitle);
  if (!SaveFilter->Execute()) return;
  kytSQLFilterStruc::FH.SetDescription(MemoDesc->Text());
  kytSQLFilterStruc::WriteFilter(SaveFilter->FileName, Filter, *Ordered->Items());
}

void TformFilter::btOpenFilterClick(TObject* Sender) {
  using kytSQLFilterStruc::Filter;
  OpenFilter->Title = Text(sReadFilterTitle);
  if (!OpenFilter->Execute()) return;
  Filter.clear();
  Classes::TStringList ordering;
  kytSQLFilterStruc::ReadFilter(OpenFilter->FileName, Filter, ordering);
  // Where ordering is not allowed the list never reaches the SQL: the file's entries
  // are kept as they are, so that saving again loses nothing.
  if (TabSheet2->Enabled()) KeepCatalogueOrdering(ordering);
  Ordered->Items()->Assign(&ordering);
  MemoDesc->SetText(kytSQLFilterStruc::FH.GetDescription());
  ClearFilter(Sender);
  InitFilter();
}

}  // namespace kytSQLFilterForm
