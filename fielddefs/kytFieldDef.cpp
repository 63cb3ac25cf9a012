#include "fielddefs/kytFieldDef.h"

#include <QApplication>

#include <cstdio>
#include <memory>

#include "filtermodel/kytSQLFilterRes.h"
#include "host/rtl/SysUtils.h"
#include "host/ui/Dialogs.h"

namespace kytFieldDef {

using Classes::TObject;
using kytSQLFilterStruc::Campos;
using kytSQLFilterStruc::TCampo;
using StdCtrls::TListBox;

TformFDefs* formFDefs = nullptr;
kytSQLFilterStruc::TRefreshData DataRefresh;

std::string DataTypeText(kytSQLFilterStruc::TFType DataType) {
  static const char* const kTexts[] = {"Character/String", "Float", "Integer",   "Graphic", "BLOB",
                                       "Date",             "Time",  "Date/Time", "Unknown", "Boolean"};
  const unsigned index = static_cast<unsigned>(DataType);
  return index < std::size(kTexts) ? kTexts[index] : "Not defined(?" "?)";
}

std::string FieldKindText(kytSQLFilterStruc::TFKind FieldKind) {
  static const char* const kTexts[] = {"In SQL Select", "Not in Select", "Linked field"};
  const unsigned index = static_cast<unsigned>(FieldKind);
  return index < std::size(kTexts) ? kTexts[index] : "Unknown Status";
}

namespace {

// The allowed-fields list is sorted by its items' texts while it is filled: each text
// starts with the entry's ComboOrder in a fixed width, so the list comes in ComboOrder
// order, equal orders by description. The width holds any 32-bit ComboOrder (shifted
// so that negative ones sort first); the prefix is cut off after the fill.
constexpr int kOrderPrefixWidth = 10;

std::string OrderPrefix(int32_t ComboOrder) {
  char text[16];
  std::snprintf(text, sizeof text, "%010lld",
                static_cast<long long>(ComboOrder) - static_cast<long long>(INT32_MIN));
  return text;
}

}  // namespace

TformFDefs::TformFDefs(Classes::TComponent* AOwner) : Forms::TForm(AOwner) {
  BuildLayout();
  kytSQLFilterRes::TranslateForm(*this);
  BindEvents();
}

void TformFDefs::BindEvents() {
  fieldList->OnClick = [this](TObject* S) { AtualizaDados(S); };
  lsAvaiFields->OnClick = [this](TObject* S) { AtualizaDados(S); };
  cbTables->OnChange = [this](TObject* S) { cbTablesChange(S); };
  fieldList->OnDragOver = [this](TObject* S, TObject* Src, int X, int Y, StdCtrls::TDragState St, bool& A) {
    fieldListDragOver(S, Src, X, Y, St, A);
  };
  fieldList->OnDragDrop = [this](TObject* S, TObject* Src, int X, int Y) { fieldListDragDrop(S, Src, X, Y); };
  fieldList->OnKeyUp = [this](TObject* S, uint16_t& K, StdCtrls::TShiftState Sh) { fieldListKeyUp(S, K, Sh); };
  fieldList->OnKeyDown = [this](TObject* S, uint16_t& K, StdCtrls::TShiftState Sh) { fieldListKeyDown(S, K, Sh); };
  lsAvaiFields->OnKeyDown = [this](TObject* S, uint16_t& K, StdCtrls::TShiftState Sh) {
    lsAvaiFieldsKeyDown(S, K, Sh);
  };
  edFieldDesc->OnExit = [this](TObject* S) { edFieldDescExit(S); };
  BitBtn1->OnClick = [this](TObject* S) { BitBtn1Click(S); };
  BitBtn3->OnClick = [this](TObject* S) { BitBtn3Click(S); };
}

TCampo* TformFDefs::SelectedCampo(const TListBox& List) const {
  const int index = List.ItemIndex();
  if (index < 0) return nullptr;
  return dynamic_cast<TCampo*>(List.Items()->GetObject(index));
}

// ---- Lists ----------------------------------------------------------------------------

void TformFDefs::InitializeLists() {
  Classes::TStrings& tables = *cbTables->Items();
  Classes::TStrings& allowed = *fieldList->Items();
  tables.Clear();
  cbTables->SetItemIndex(-1);
  allowed.Clear();
  // A rebuild after a refresh may follow entries that are gone: the available list
  // shows nothing until a table is chosen again.
  lsAvaiFields->Items()->Clear();

  fieldList->SetSorted(true);
  if (Campos)
    for (int i = 0; i < Campos->Count(); ++i) {
      TCampo* campo = Campos->Get(i);
      if (campo->Visible) allowed.AddObject(OrderPrefix(campo->ComboOrder) + campo->Description, campo);
      bool known = false;
      for (int t = 0; t < tables.Count() && !known; ++t)
        known = SysUtils::AnsiCompareText(tables.Get(t), campo->TableName) == 0;
      if (!known) tables.Add(campo->TableName);
    }
  fieldList->SetSorted(false);
  for (int i = 0; i < allowed.Count(); ++i) allowed.Put(i, allowed.Get(i).substr(kOrderPrefixWidth, 255));

  fieldList->SetItemIndex(0);
  if (allowed.Count() > 0) AtualizaDados(fieldList);
}

void TformFDefs::AtualizaDados(TObject* Sender) {
  auto* list = dynamic_cast<TListBox*>(Sender);
  if (!list) return;
  const TCampo* campo = SelectedCampo(*list);
  if (!campo) return;
  edFieldName->SetText(campo->FieldName);
  edFieldDesc->SetText(campo->Description);
  edFieldSize->SetText(SysUtils::IntToStr(campo->MaxSize));
  cbVisible->SetChecked(campo->Visible);
  edFromTable->SetText(campo->TableName);
  edPosTable->SetText(list == lsAvaiFields ? std::string("Undefined") : SysUtils::IntToStr(list->ItemIndex()));
  edFieldType->SetText(DataTypeText(campo->DataType));
  edFieldKind->SetText(FieldKindText(campo->FieldKind));
}

void TformFDefs::cbTablesChange(TObject*) {
  Classes::TStrings& available = *lsAvaiFields->Items();
  available.Clear();
  if (!Campos) return;
  const std::string table = cbTables->Text();
  for (int i = 0; i < Campos->Count(); ++i) {
    TCampo* campo = Campos->Get(i);
    if (campo->Supported && !campo->Visible && campo->TableName == table)
      available.AddObject(campo->Description, campo);
  }
}

// ---- Allowed-fields list ----------------------------------------------------------------

void TformFDefs::fieldListDragOver(TObject*, TObject*, int, int, StdCtrls::TDragState, bool& Accept) {
  Accept = true;
}

void TformFDefs::MoveAllowed(int From, int To) {
  Classes::TStrings& allowed = *fieldList->Items();
  const std::string text = allowed.Get(From);
  TObject* campo = allowed.GetObject(From);
  allowed.Delete(From);
  const int target = To > allowed.Count() ? allowed.Count() : To;
  allowed.InsertObject(target, text, campo);
  fieldList->SetItemIndex(target);
}

void TformFDefs::fieldListDragDrop(TObject*, TObject* Source, int X, int Y) {
  Classes::TStrings& allowed = *fieldList->Items();
  // An empty list takes a field at its top: otherwise a catalogue without allowed
  // fields could never get one by dragging.
  const int target = allowed.Count() == 0 ? 0 : fieldList->ItemAtPos({X, Y}, false);
  if (target < 0) return;
  PlaceAllowed(Source, target);
}

void TformFDefs::PlaceAllowed(TObject* Source, int Target) {
  Classes::TStrings& allowed = *fieldList->Items();
  if (Source == fieldList) {
    const int from = fieldList->ItemIndex();
    if (from < 0) return;
    MoveAllowed(from, Target);
  } else {
    const int from = lsAvaiFields->ItemIndex();
    TCampo* campo = SelectedCampo(*lsAvaiFields);
    if (!campo) return;
    campo->Visible = true;
    allowed.InsertObject(Target, lsAvaiFields->Items()->Get(from), campo);
    lsAvaiFields->Items()->Delete(from);
    fieldList->SetItemIndex(Target);
  }
  AtualizaDados(fieldList);
}

void TformFDefs::fieldListKeyDown(TObject*, uint16_t& Key, StdCtrls::TShiftState Shift) {
  using namespace StdCtrls;
  if ((Key != VK_UP && Key != VK_DOWN) || Shift != ssCtrl) return;
  const bool up = Key == VK_UP;
  Key = 0;
  const int from = fieldList->ItemIndex();
  const int to = up ? from - 1 : from + 1;
  if (from < 0 || to < 0 || to >= fieldList->Items()->Count()) return;
  PlaceAllowed(fieldList, to);
}

void TformFDefs::lsAvaiFieldsKeyDown(TObject*, uint16_t& Key, StdCtrls::TShiftState Shift) {
  if (Key != StdCtrls::VK_RETURN || Shift != 0) return;
  Key = 0;
  PlaceAllowed(lsAvaiFields, fieldList->Items()->Count());
}

void TformFDefs::fieldListKeyUp(TObject*, uint16_t& Key, StdCtrls::TShiftState) {
  if (Key != StdCtrls::VK_DELETE) return;
  Classes::TStrings& allowed = *fieldList->Items();
  TCampo* campo = SelectedCampo(*fieldList);
  if (allowed.Count() == 0 || !campo) return;
  campo->Visible = false;
  const int index = fieldList->ItemIndex();
  allowed.Delete(index);
  cbTablesChange(cbTables);
  fieldList->SetItemIndex(index < allowed.Count() ? index : allowed.Count() - 1);
}

void TformFDefs::edFieldDescExit(TObject*) {
  TListBox* list = cbVisible->Checked() ? fieldList : lsAvaiFields;
  TCampo* campo = SelectedCampo(*list);
  if (!campo) return;
  campo->Description = edFieldDesc->Text();
  list->Items()->Put(list->ItemIndex(), campo->Description);
}

// ---- Buttons ------------------------------------------------------------------------------

void TformFDefs::BitBtn1Click(TObject*) {
  const Classes::TStrings& allowed = *fieldList->Items();
  int next = allowed.Count();
  if (Campos)
    for (int i = 0; i < Campos->Count(); ++i)
      if (!Campos->Get(i)->Visible) Campos->Get(i)->ComboOrder = next++;
  for (int i = 0; i < allowed.Count(); ++i)
    if (auto* campo = dynamic_cast<TCampo*>(allowed.GetObject(i))) campo->ComboOrder = i;
  SetModalResult(Dialogs::mrOk);
}

kytSQLFilterStruc::TRefreshTypeS TformFDefs::TickedRefresh() const {
  using namespace kytSQLFilterStruc;
  if (ckb1->Checked()) return TRefreshTypeS{rtEverything};
  TRefreshTypeS kinds;
  if (ckb2->Checked()) kinds.Include(rtDescriptions);
  if (ckb3->Checked()) kinds.Include(rtRemoveOld);
  if (ckb4->Checked()) kinds.Include(rtAddNew);
  return kinds;
}

void TformFDefs::BitBtn3Click(TObject*) {
  const kytSQLFilterStruc::TRefreshTypeS kinds = TickedRefresh();
  lbRefreshing->SetVisible(true);
  // The label is painted before the refresh, which may take a while.
  QApplication::processEvents();
  // The refresh may free the entries the lists point at: nothing may show them again
  // until the lists are rebuilt.
  fieldList->Items()->Clear();
  lsAvaiFields->Items()->Clear();
  try {
    if (DataRefresh) DataRefresh(kinds);
  } catch (...) {
    InitializeLists();
    lbRefreshing->SetVisible(false);
    throw;
  }
  InitializeLists();
  lbRefreshing->SetVisible(false);
}

// ---- Showing the dialog ------------------------------------------------------------------

int ShowFieldDefs() {
  if (formFDefs) throw SysUtils::Exception("A field definitions dialog is already open");
  std::unique_ptr<TformFDefs> form(new TformFDefs(nullptr));
  formFDefs = form.get();
  struct TReset {
    ~TReset() { formFDefs = nullptr; }
  } reset;
  form->InitializeLists();
  return form->ShowModal();
}

}  // namespace kytFieldDef
