// Unit kytFieldDef: the field-definitions dialog, the design-time editor of the field
// catalogue.
//
// TformFDefs edits the shared catalogue Campos in place: which entries the end user may
// filter on (the allowed fields, Visible), their order in the filter dialog (ComboOrder,
// given on OK) and their descriptions; it shows each entry's details and asks the
// component being edited for a catalogue refresh through DataRefresh. The caller keeps
// its own copy of the catalogue to restore on Cancel. The keys of the two lists do what
// the drops do (Enter allows a field at the end, Ctrl+Up and Ctrl+Down move one, Delete
// takes one out). One dialog at a time; user-interface thread only.
#pragma once

#include <cstdint>
#include <string>

#include "filtermodel/kytSQLFilterStruc.h"
#include "host/rtl/Classes.h"
#include "host/ui/Buttons.h"
#include "host/ui/ComCtrls.h"
#include "host/ui/Forms.h"
#include "host/ui/StdCtrls.h"

namespace kytFieldDef {

// The fixed texts of a data type ("Not defined(??)" outside the enumeration) and of a
// field kind ("Unknown Status" outside it).
std::string DataTypeText(kytSQLFilterStruc::TFType DataType);
std::string FieldKindText(kytSQLFilterStruc::TFKind FieldKind);

class TformFDefs : public Forms::TForm {
 public:
  // Builds the layout (620 x 391, centred, opening on the Definitions page). The lists
  // are empty until InitializeLists.
  explicit TformFDefs(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TformFDefs"; }

  StdCtrls::TLabel* Label1;
  StdCtrls::TListBox* fieldList;  // the allowed fields, in the filter dialog's order
  Buttons::TBitBtn* BitBtn1;      // OK
  Buttons::TBitBtn* BitBtn2;      // Cancel
  ComCtrls::TPageControl* PageControl1;
  ComCtrls::TTabSheet* TabSheet1;  // Definitions
  ComCtrls::TTabSheet* TabSheet2;  // Available Fields
  ComCtrls::TTabSheet* TabSheet3;  // Refresh
  StdCtrls::TEdit* edFieldName;
  StdCtrls::TEdit* edFieldDesc;
  StdCtrls::TEdit* edFieldSize;
  StdCtrls::TCheckBox* cbVisible;
  StdCtrls::TGroupBox* GroupBox1;
  StdCtrls::TEdit* edPosTable;
  StdCtrls::TEdit* edFieldType;
  StdCtrls::TEdit* edFieldKind;
  StdCtrls::TEdit* edFromTable;
  StdCtrls::TComboBox* cbTables;
  StdCtrls::TListBox* lsAvaiFields;  // the chosen table's fields that are not allowed
  StdCtrls::TGroupBox* GroupBox2;
  StdCtrls::TCheckBox* ckb1;  // Revert everything to default
  StdCtrls::TCheckBox* ckb2;  // Refresh Field Descriptions
  StdCtrls::TCheckBox* ckb3;  // Remove no more available fields
  StdCtrls::TCheckBox* ckb4;  // Add new fields
  Buttons::TBitBtn* BitBtn3;  // Refresh
  StdCtrls::TLabel* lbRefreshing;

  // Rebuilds the table drop-down (no selection) and the allowed-fields list from Campos:
  // the Visible entries in ComboOrder order (equal orders by description, without
  // case), each item showing its Description. Selects the first item and shows it. The
  // available-fields list is emptied: it is filled when a table is chosen.
  void InitializeLists();
  // Shows the entry of the selected item of Sender (either list); nothing without one.
  void AtualizaDados(Classes::TObject* Sender);
  // Lists the Supported, not Visible entries of the chosen table, in catalogue order.
  void cbTablesChange(Classes::TObject* Sender);
  // Every drag that reaches the allowed-fields list is accepted.
  void fieldListDragOver(Classes::TObject* Sender, Classes::TObject* Source, int X, int Y,
                         StdCtrls::TDragState State, bool& Accept);
  // From the available list: the field becomes allowed at the drop position. Inside the
  // allowed list: the selected field moves there (below the last item: to the end).
  void fieldListDragDrop(Classes::TObject* Sender, Classes::TObject* Source, int X, int Y);
  // Delete (whatever modifiers) takes the selected field out of the allowed list.
  void fieldListKeyUp(Classes::TObject* Sender, uint16_t& Key, StdCtrls::TShiftState Shift);
  // Ctrl+Up and Ctrl+Down move the selected allowed field by one, as a drop inside the
  // list does; the key goes no further.
  void fieldListKeyDown(Classes::TObject* Sender, uint16_t& Key, StdCtrls::TShiftState Shift);
  // Enter allows the selected available field at the end of the allowed list, as a drop
  // below its last item does; the key goes no further (it does not press OK).
  void lsAvaiFieldsKeyDown(Classes::TObject* Sender, uint16_t& Key, StdCtrls::TShiftState Shift);
  // Stores the edited description in the shown entry and its item.
  void edFieldDescExit(Classes::TObject* Sender);
  // Gives the allowed fields ComboOrder 0..n-1 in list order, the others n, n+1, ... in
  // catalogue order, and closes with OK.
  void BitBtn1Click(Classes::TObject* Sender);
  // Asks DataRefresh for the ticked refresh kinds, then rebuilds the lists, also when
  // the refresh fails (its error then propagates to the error display).
  void BitBtn3Click(Classes::TObject* Sender);

 private:
  void BuildLayout();
  void BuildDefinitionsPage();
  void BuildAvailablePage();
  void BuildRefreshPage();
  void BindEvents();
  kytSQLFilterStruc::TCampo* SelectedCampo(const StdCtrls::TListBox& List) const;
  // What a drop at Target of the allowed list does, Source the list it comes from: an
  // available field becomes allowed there, an allowed one moves there. Then the
  // allowed list's selected entry is shown.
  void PlaceAllowed(Classes::TObject* Source, int Target);
  void MoveAllowed(int From, int To);
  void NameForScreenReaders();
  kytSQLFilterStruc::TRefreshTypeS TickedRefresh() const;
};

// The dialog while ShowFieldDefs runs, else null.
extern TformFDefs* formFDefs;
// The refresh the Refresh page asks for; set by whoever opens the dialog. A component
// that is destroyed while it is bound here clears it.
extern kytSQLFilterStruc::TRefreshData DataRefresh;

// Creates the dialog (no owner) in formFDefs, builds its lists, shows it modally and
// returns the modal result (Dialogs::mrOk or mrCancel). The dialog is destroyed on
// every way out, and formFDefs is null again. Raises SysUtils::Exception when a
// field-definitions dialog is already open.
int ShowFieldDefs();

}  // namespace kytFieldDef
