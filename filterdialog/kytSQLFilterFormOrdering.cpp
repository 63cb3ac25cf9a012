// The ordering page of the filter dialog: the catalogue's columns, the ordered list with
// its fixed leading entries, and the moves that drops and keys make.
#include <QRect>

#include <cstdint>
#include <string>

#include "filterdialog/kytSQLFilterForm.h"
#include "filterdialog/kytSQLFilterForm_p.h"
#include "host/rtl/SysUtils.h"
#include "host/ui/Dialogs.h"

namespace kytSQLFilterForm {

using Classes::TObject;
using kytSQLFilterStruc::Campos;
using kytSQLFilterStruc::TCampo;

// ---- Ordering page -------------------------------------------------------------------

void TformFilter::InitOrdemData() {
  Classes::TStrings& items = *Ordem->Items();
  TUpdateGuard batch(items);
  items.Clear();
  if (!Campos) return;
  for (int i = 0; i < Campos->Count(); ++i) items.Add(Campos->Get(i)->TableName + Campos->Get(i)->FieldName);
}

bool TformFilter::IsCatalogueColumn(const std::string& Entry) const {
  if (Campos)
    for (int i = 0; i < Campos->Count(); ++i)
      if (Campos->Get(i)->TableName + Campos->Get(i)->FieldName == Entry) return true;
  return false;
}

bool TformFilter::KeepCatalogueOrdering(Classes::TStrings& Entries) const {
  std::string left;
  {
    TUpdateGuard batch(Entries);
    for (int i = Entries.Count() - 1; i >= 0; --i) {
      if (IsCatalogueColumn(Entries.Get(i))) continue;
      // Unquoted names are the same in any case, and a filter saved on one engine names
      // them as that engine's catalogue does ("ORDERS.ID" on Firebird, "ORDERS.id" on
      // PostgreSQL): an entry matches a column as a criterion's field does, without
      // regard to case, and takes the catalogue's spelling.
      const std::string upper = SysUtils::UpperCase(Entries.Get(i));
      std::string column;
      for (int k = 0; Campos && k < Campos->Count() && column.empty(); ++k)
        if (SysUtils::UpperCase(Campos->Get(k)->TableName + Campos->Get(k)->FieldName) == upper)
          column = Campos->Get(k)->TableName + Campos->Get(k)->FieldName;
      if (!column.empty()) {
        Entries.Put(i, column);
        continue;
      }
      left.insert(0, "\r\n" + Entries.Get(i));
      Entries.Delete(i);
    }
  }
  if (left.empty()) return true;
  Dialogs::ShowMessage("These ordering entries are not fields of this filter and were left out:" + left);
  return false;
}

namespace {

// Where a drop at (X, Y) of the list goes: the entry under the point, or after the last.
int DropPosition(const StdCtrls::TListBox& List, int X, int Y) {
  const int p = List.ItemAtPos({X, Y}, false);
  return p < 0 ? List.Items()->Count() : p;
}

}  // namespace

void TformFilter::OrderedDragOver(TObject*, TObject* Source, int X, int Y, StdCtrls::TDragState, bool& Accept) {
  Accept = CanPlaceOrdered(Source, DropPosition(*Ordered, X, Y));
}

void TformFilter::OrderedDragDrop(TObject*, TObject* Source, int X, int Y) {
  PlaceOrdered(Source, DropPosition(*Ordered, X, Y));
}

bool TformFilter::CanPlaceOrdered(TObject* Source, int P) const {
  const bool fromOrdem = Source == Ordem && Ordem->ItemIndex() >= 0;
  const bool fromOrdered = Source == Ordered && Ordered->ItemIndex() >= 0 && Ordered->ItemIndex() >= NoFixedOrd;
  return (fromOrdem || fromOrdered) && P >= NoFixedOrd && P <= Ordered->Items()->Count();
}

void TformFilter::PlaceOrdered(TObject* Source, int P) {
  Classes::TStrings& items = *Ordered->Items();
  if (Source == Ordem) {
    const int chosen = Ordem->ItemIndex();
    if (chosen < 0) return;
    items.Insert(P, Ordem->Items()->Get(chosen));
    Ordered->SetItemIndex(P);
  } else if (Source == Ordered) {
    const int chosen = Ordered->ItemIndex();
    if (chosen < 0) return;
    items.Insert(P, items.Get(chosen));
    // The dragged entry itself goes, wherever the insertion moved it.
    const int old = P <= chosen ? chosen + 1 : chosen;
    items.Delete(old);
    Ordered->SetItemIndex(P <= chosen ? P : P - 1);
  }
}

bool TformFilter::RemoveOrdered(int Index) {
  if (Index < NoFixedOrd || Index < 0 || Index >= Ordered->Items()->Count()) return false;
  Ordered->Items()->Delete(Index);
  const int count = Ordered->Items()->Count();
  Ordered->SetItemIndex(Index < count ? Index : count - 1);
  return true;
}

void TformFilter::OrdemKeyDown(TObject*, uint16_t& Key, StdCtrls::TShiftState Shift) {
  using namespace StdCtrls;
  const bool append = (Key == VK_RETURN && Shift == 0) || (Key == VK_RIGHT && Shift == ssCtrl);
  if (!append) return;
  Key = 0;
  const int end = Ordered->Items()->Count();
  if (CanPlaceOrdered(Ordem, end)) PlaceOrdered(Ordem, end);
  else Dialogs::Beep();
}

void TformFilter::OrderedKeyDown(TObject*, uint16_t& Key, StdCtrls::TShiftState Shift) {
  using namespace StdCtrls;
  const int chosen = Ordered->ItemIndex();
  if ((Key == VK_DELETE && Shift == 0) || (Key == VK_LEFT && Shift == ssCtrl)) {
    Key = 0;
    if (!RemoveOrdered(chosen)) Dialogs::Beep();
    return;
  }
  if ((Key != VK_UP && Key != VK_DOWN) || Shift != ssCtrl) return;
  const bool up = Key == VK_UP;
  Key = 0;
  if (chosen < 0) return;
  // As a drop: up lands on the entry above, down below the entry after it.
  const int p = up ? chosen - 1 : chosen + 2;
  if (CanPlaceOrdered(Ordered, p)) PlaceOrdered(Ordered, p);
  else Dialogs::Beep();
}

void TformFilter::OrderedDrawItem(StdCtrls::TListBox* Control, int Index, const QRect& Rect, unsigned) {
  Controls::TCanvas& canvas = *Control->Canvas();
  canvas.FillRect(Rect);
  // Fixed entries in red, the others in the list's text colour (black in a light theme,
  // light in a dark one); the canvas keeps either readable on the background.
  canvas.FontColor = Index < NoFixedOrd ? Controls::clRed : Controls::clWindowText;
  canvas.TextOut(Rect.left() + 2, Rect.top(), Control->Items()->Get(Index));
}

}  // namespace kytSQLFilterForm
