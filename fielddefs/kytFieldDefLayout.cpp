// The layout of the field-definitions dialog, built in code: the allowed-fields column
// on the left with OK and Cancel below it, the three pages on the right.
#include "fielddefs/kytFieldDef.h"

#include "host/ui/Accessible.h"
#include "host/ui/Dialogs.h"

namespace kytFieldDef {

namespace {

// The dialog's face: "MS Sans Serif" is not on the systems Qt runs on; the sans face the
// filter dialog uses stands in for it at the same size, so every caption fits.
const Controls::TFont kDialogFont{"DejaVu Sans", 8, false, Controls::clDefault};

template <class C>
C* Place(Classes::TComponent* Owner, Controls::TWinControl* Parent, const char* Name, int Left, int Top,
         int Width, int Height) {
  auto* control = new C(Owner);
  control->SetName(Name);
  control->SetParent(Parent);
  control->SetBounds(Left, Top, Width, Height);
  return control;
}

StdCtrls::TLabel* NewLabel(Classes::TComponent* Owner, Controls::TWinControl* Parent, const char* Name,
                          const char* Text, int Left, int Top, int Width) {
  auto* label = Place<StdCtrls::TLabel>(Owner, Parent, Name, Left, Top, Width, 16);
  label->SetCaption(Text);
  return label;
}

StdCtrls::TEdit* ReadOnlyEdit(Classes::TComponent* Owner, Controls::TWinControl* Parent, const char* Name,
                              int Left, int Top, int Width) {
  auto* edit = Place<StdCtrls::TEdit>(Owner, Parent, Name, Left, Top, Width, 22);
  edit->SetReadOnly(true);
  return edit;
}

StdCtrls::TCheckBox* CheckBox(Classes::TComponent* Owner, Controls::TWinControl* Parent, const char* Name,
                              const char* Text, const char* Hint, int Top) {
  auto* box = Place<StdCtrls::TCheckBox>(Owner, Parent, Name, 12, Top, 320, 20);
  box->SetCaption(Text);
  box->SetHint(Hint);
  box->SetShowHint(true);
  return box;
}

}  // namespace

void TformFDefs::BuildLayout() {
  SetName("formFDefs");
  SetCaption("Field Definition");
  SetBorderStyle(Forms::TBorderStyle::bsDialog);
  SetClientSize(620, 391);
  SetFont(kDialogFont);

  Label1 = NewLabel(this, this, "Label1", "Fields available for user filtering :", 8, 8, 224);
  fieldList = Place<StdCtrls::TListBox>(this, this, "fieldList", 8, 26, 224, 319);
  fieldList->SetDragMode(StdCtrls::TDragMode::dmAutomatic);
  BitBtn1 = Place<Buttons::TBitBtn>(this, this, "BitBtn1", 8, 355, 108, 28);
  BitBtn1->SetCaption("OK");
  BitBtn1->SetDefault(true);
  BitBtn2 = Place<Buttons::TBitBtn>(this, this, "BitBtn2", 124, 355, 108, 28);
  BitBtn2->SetCaption("Cancel");
  BitBtn2->SetCancel(true);
  BitBtn2->SetModalResult(Dialogs::mrCancel);

  PageControl1 = Place<ComCtrls::TPageControl>(this, this, "PageControl1", 240, 8, 372, 375);
  auto page = [&](const char* Name, const char* Text) {
    auto* sheet = new ComCtrls::TTabSheet(this);
    sheet->SetName(Name);
    sheet->SetPageControl(PageControl1);
    sheet->SetCaption(Text);
    return sheet;
  };
  TabSheet1 = page("TabSheet1", "Definitions");
  TabSheet2 = page("TabSheet2", "Available Fields");
  TabSheet3 = page("TabSheet3", "Refresh");
  BuildDefinitionsPage();
  BuildAvailablePage();
  BuildRefreshPage();
  NameForScreenReaders();
  PageControl1->SetActivePage(TabSheet1);
}

// Controls with a caption are named by it; the others by the label above them, or by
// what they hold.
void TformFDefs::NameForScreenReaders() {
  const std::pair<Controls::TControl*, const char*> names[] = {
      {fieldList, "Fields available for user filtering"},
      {PageControl1, "Field definition pages"},
      {edFieldName, "Field Name"},
      {edFieldDesc, "Field Description on filter dialog"},
      {edFieldSize, "Max. Size"},
      {edPosTable, "Order in the Combo"},
      {edFieldType, "DataType"},
      {edFieldKind, "Field Kind"},
      {edFromTable, "Belongs to Table"},
      {cbTables, "Table"},
      {lsAvaiFields, "Fields of the table that are not allowed"},
  };
  for (const auto& [control, name] : names) Accessible::SetName(*control, name);
}

void TformFDefs::BuildDefinitionsPage() {
  NewLabel(this, TabSheet1, "Label2", "Field Name", 8, 8, 340);
  edFieldName = ReadOnlyEdit(this, TabSheet1, "edFieldName", 8, 24, 348);
  NewLabel(this, TabSheet1, "Label3", "Field Description on filter dialog", 8, 52, 340);
  edFieldDesc = Place<StdCtrls::TEdit>(this, TabSheet1, "edFieldDesc", 8, 68, 348, 22);
  NewLabel(this, TabSheet1, "Label4", "Max. Size", 8, 96, 100);
  edFieldSize = ReadOnlyEdit(this, TabSheet1, "edFieldSize", 8, 112, 80);
  cbVisible = Place<StdCtrls::TCheckBox>(this, TabSheet1, "cbVisible", 112, 113, 200, 20);
  cbVisible->SetCaption("Allowed filtering");

  GroupBox1 = Place<StdCtrls::TGroupBox>(this, TabSheet1, "GroupBox1", 8, 144, 348, 190);
  GroupBox1->SetCaption("Extra Field Information ");
  NewLabel(this, GroupBox1, "Label5", "Order in the Combo", 10, 22, 150);
  edPosTable = ReadOnlyEdit(this, GroupBox1, "edPosTable", 10, 38, 150);
  NewLabel(this, GroupBox1, "Label6", "DataType", 178, 22, 150);
  edFieldType = ReadOnlyEdit(this, GroupBox1, "edFieldType", 178, 38, 158);
  NewLabel(this, GroupBox1, "Label7", "Field Kind", 10, 72, 150);
  edFieldKind = ReadOnlyEdit(this, GroupBox1, "edFieldKind", 10, 88, 150);
  NewLabel(this, GroupBox1, "Label8", "Belongs to Table", 10, 122, 320);
  edFromTable = ReadOnlyEdit(this, GroupBox1, "edFromTable", 10, 138, 326);
}

void TformFDefs::BuildAvailablePage() {
  NewLabel(this, TabSheet2, "Label9", "Table :", 8, 12, 44);
  cbTables = Place<StdCtrls::TComboBox>(this, TabSheet2, "cbTables", 56, 8, 300, 22);
  cbTables->SetStyle(StdCtrls::TComboBoxStyle::csDropDownList);
  lsAvaiFields = Place<StdCtrls::TListBox>(this, TabSheet2, "lsAvaiFields", 8, 40, 348, 300);
  lsAvaiFields->SetDragMode(StdCtrls::TDragMode::dmAutomatic);
}

void TformFDefs::BuildRefreshPage() {
  GroupBox2 = Place<StdCtrls::TGroupBox>(this, TabSheet3, "GroupBox2", 8, 8, 348, 130);
  GroupBox2->SetCaption(" Refresh type ");
  ckb1 = CheckBox(this, GroupBox2, "ckb1", "Revert everything to default",
                  "This will rebuild the field list to initial values", 24);
  ckb2 = CheckBox(this, GroupBox2, "ckb2", "Refresh Field Descriptions",
                  "Update the field descriptions based on the BDE field descriptions for persistent fields", 48);
  ckb3 = CheckBox(this, GroupBox2, "ckb3", "Remove no more available fields",
                  "Remove from the list all the fields that are no more available on the query", 72);
  ckb4 = CheckBox(this, GroupBox2, "ckb4", "Add new fields", "Add to the field list new fields not available before",
                  96);
  BitBtn3 = Place<Buttons::TBitBtn>(this, TabSheet3, "BitBtn3", 8, 150, 100, 28);
  BitBtn3->SetCaption("Refresh");
  lbRefreshing = Place<StdCtrls::TLabel>(this, TabSheet3, "lbRefreshing", 124, 152, 200, 24);
  lbRefreshing->SetCaption("Refreshing...");
  Controls::TFont big = kDialogFont;
  big.Size = 12;
  big.Bold = true;
  big.Underline = true;
  lbRefreshing->SetFont(big);
  lbRefreshing->SetVisible(false);
}

}  // namespace kytFieldDef
