// Unit kytSQLFilterForm: the filter dialog and its comparison table.
//
// TformFilter is the modal dialog in which the end user composes criteria lines
// (parentheses, field, comparison, value, AND/OR), an ordering and a description,
// turns the lines into a SQL search condition, and saves or opens filter files. A
// component creates it for one run, prepares it (catalogue in Campos, OperatorsOk,
// date patterns, WhereText, StringQuote, then InitFilter and InitOrdemData), shows it
// and frees it. The lines' controls live in the process-wide FilterLines, so one
// filter dialog exists at a time: creating a second one while the first exists raises.
//
// The keyboard reaches everything the mouse does: each tool-bar command has a key (shown
// in its hint) that presses its button; Tab goes through a line's controls left to right
// and on to the next line; a chosen connector takes the focus to the new line's field;
// the ordering page's keys go through the same rules as its drops. Every control has an
// accessible name, the criteria lines' with their line number.
//
// The comparison table lists the ten comparisons a criterion line can use, each with
// the operator written into SQL and into saved filters and the text shown in the
// comparison drop-downs. It is process-wide, like the one filter dialog that uses it;
// user-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "filtermodel/kytSQLFilterStruc.h"
#include "host/rtl/Classes.h"
#include "host/ui/Buttons.h"
#include "host/ui/ComCtrls.h"
#include "host/ui/Dialogs.h"
#include "host/ui/ExtCtrls.h"
#include "host/ui/Forms.h"
#include "host/ui/Mask.h"
#include "host/ui/StdCtrls.h"

namespace kytSQLFilterForm {

struct TOperatorEntry {
  std::string SQLOperator;  // never changes
  std::string DisplayText;  // rewritten by every PrepareOperators
};

// The comparison table, indexes 0 to 9: = <> > < >= <= "is Null" "is not Null"
// "Starting with" "Containing". Before the first PrepareOperators the display texts are
// those of both optional comparisons offered.
extern std::array<TOperatorEntry, 10> Operators;

// Which optional comparisons the dialog offers; empty at start. A component sets it
// before the dialog is created.
extern kytSQLFilterStruc::TSpecialOperators OperatorsOk;

// The SQL operator of the last entry whose display text equals Text exactly; an empty
// Text finds the entries whose display text was emptied. "Op. not found !!!" when none.
std::string GetOperatorSQL(const std::string& Text);

// The index of the last entry whose SQL operator equals SQLText exactly, or -1.
int GetOperatorIndex(const std::string& SQLText);

// Rewrites the display texts from the message table and OperatorsOk (the optional
// comparisons not offered get the empty text), then replaces the items of Items (the
// first comparison drop-down's list) by the non-empty display texts in index order.
void PrepareOperators(Classes::TStrings& Items);

// ---- The dialog -------------------------------------------------------------------------

// The six controls of one criterion line.
struct FilterLineRec {
  StdCtrls::TEdit* BGroup = nullptr;  // opening parentheses
  StdCtrls::TEdit* EGroup = nullptr;  // closing parentheses
  Mask::TMaskEdit* Value = nullptr;
  StdCtrls::TComboBox* Campo = nullptr;        // field
  StdCtrls::TComboBox* Comparision = nullptr;  // comparison
  StdCtrls::TComboBox* Operation = nullptr;    // AND/OR connector
};
using FilterLineArray = std::vector<FilterLineRec>;

// The lines of the one filter dialog: element n-1 is line n; element 0 holds the
// layout's line-1 controls.
extern FilterLineArray FilterLines;

// Number of fixed entries at the top of the ordered list: drawn in red, not movable,
// nothing can be dropped above them. Set by the component before the dialog is shown.
extern int NoFixedOrd;

// Resizes Lines (only FilterLines is ever passed): shrinking destroys the controls of
// the removed lines, last first; growing adds empty elements.
void MySetLength(FilterLineArray& Lines, int NewLength);

// The number of "(" and ")" characters in Text.
int CountParentheses(const std::string& Text);

// The most criterion lines the dialog holds, as many as a filter file may carry.
inline constexpr int MaxFilterLines = kytSQLFilterStruc::MaxFilterRecords;
// The most characters of the description page.
inline constexpr int MaxDescriptionLength = 1024;
// The least width of an open comparison list, in pixels.
inline constexpr int DropListWidth = 130;

// One filter dialog at a time; user-interface thread only.
class TformFilter;

// The filter dialog while one exists (from its construction to its destruction), else
// null. A second dialog is refused while it is set.
extern TformFilter* formFilter;

class TformFilter : public Forms::TForm {
 public:
  // Builds the layout and prepares the dialog (FormCreate): field list from Campos,
  // comparison list from Operators and OperatorsOk, captions and hints. AOwner (may be
  // null) owns the dialog.
  // Raises SysUtils::Exception, before anything shared is touched, while another
  // filter dialog exists (one created from a handler of the running one, say); the
  // existing dialog stays whole.
  explicit TformFilter(Classes::TComponent* AOwner);
  // Destroys every line control (FormDestroy); another dialog may be created after.
  ~TformFilter() override;
  std::string ClassName() const override { return "TformFilter"; }

  ExtCtrls::TPanel* ToolPanel;
  Buttons::TSpeedButton* btSee;
  Buttons::TSpeedButton* btParse;
  Buttons::TSpeedButton* btCancel;
  Buttons::TSpeedButton* btConfirm;
  Buttons::TSpeedButton* btClear;
  Buttons::TSpeedButton* btParenteses;
  Buttons::TSpeedButton* btSaveFilter;
  Buttons::TSpeedButton* btOpenFilter;
  StdCtrls::TCheckBox* ckCase;
  ComCtrls::TPageControl* PageControl1;
  ComCtrls::TTabSheet* TabSheet1;  // criteria
  ComCtrls::TTabSheet* TabSheet2;  // ordering
  ComCtrls::TTabSheet* TabSheet3;  // description
  ExtCtrls::TPanel* SQLPanel;
  StdCtrls::TMemo* MemoSQL;
  Forms::TScrollBox* ScrollBox1;
  StdCtrls::TEdit* eBGroup1;
  StdCtrls::TComboBox* eCampo1;
  StdCtrls::TComboBox* eComparision1;
  Mask::TMaskEdit* eValue1;
  StdCtrls::TEdit* eEGroup1;
  StdCtrls::TComboBox* eOperation1;
  StdCtrls::TListBox* Ordered;
  ExtCtrls::TSplitter* Splitter1;
  StdCtrls::TListBox* Ordem;
  StdCtrls::TMemo* MemoDesc;
  Dialogs::TSaveDialog* SaveFilter;
  Dialogs::TOpenDialog* OpenFilter;

  bool GroupsVisible = false;  // the parenthesis columns are shown
  std::string EditDateFormat;  // shapes the value mask of date fields
  std::string SQLDateFormat;   // date values are written into SQL in this pattern
  std::string WhereText;       // in: a constant condition; out: the accepted WHERE clause
  uint16_t LineCount = 1;
  char StringQuote = '\'';     // encloses string, date and time values
  // How the statement qualifies the columns of each catalogue table (aliases); the
  // component sets it before the dialog is shown. Empty: the catalogue's names.
  kytSQLFilterStruc::TTableAliases TableAliases;
  // The engine the condition is written for; the component sets it before the dialog
  // is shown. On Firebird the prefix and substring matches are its own STARTING WITH
  // and CONTAINING; elsewhere they are written so that a value matches as the same
  // literal text, with the same letter case rules (CONTAINING ignores case).
  kytSQLFilterStruc::TSqlDialect Dialect = kytSQLFilterStruc::sdFirebird;
  // True: every value becomes a "?" marker in the condition and its typed value is
  // added to Params; no value is written into the text. False: values are literals.
  bool UseParameters = false;
  // The values of the markers of the condition last built (MountSQL), in text order;
  // empty with literals. A constant condition (WhereText on entry) brings no values.
  kytSQLFilterStruc::TSqlParams Params;

  // Campo's column as the statement names it: its table's qualifier from TableAliases
  // (else its TableName) followed by its FieldName.
  std::string ColumnRef(const kytSQLFilterStruc::TCampo& Campo) const;
  // An ordering entry (TableName followed by FieldName of a catalogue entry) as the
  // statement names that column; an entry that is no catalogue column comes back as
  // it is.
  std::string OrderColumnRef(const std::string& Entry) const;

  void FormCreate(Classes::TObject* Sender);
  void FormDestroy(Classes::TObject* Sender);

  // ---- Criteria lines ----
  // Builds one line per record of Filter, choosing field and comparison by identity
  // (the saved field name and table, the saved SQL operator). An empty Filter changes
  // nothing. Raises SysUtils::Exception, before building any line, when Filter has
  // more than MaxFilterLines records.
  void InitFilter();
  // The ComboOrder of the first catalogue entry with these names (ASCII letters
  // compared without case), or -1.
  int GetFieldIndex(const std::string& FieldName, const std::string& TableName) const;
  StdCtrls::TEdit* ClonarEdit(StdCtrls::TEdit*& Target, const std::string& Name, StdCtrls::TEdit* Template);
  StdCtrls::TComboBox* ClonarCombo(StdCtrls::TComboBox*& Target, const std::string& Name,
                                   StdCtrls::TComboBox* Template);
  // Adapts the line of Sender (a field drop-down) to its chosen field: value mask and
  // typing limit (the value's text is kept whole), and the optional comparisons of
  // text and number fields. A chosen comparison that is taken away leaves the line
  // without a comparison; one that stays stays chosen.
  void ChangeCampo(Classes::TObject* Sender);
  // The connector of the last line chosen: a new line; the empty connector: the lines
  // after Sender's go.
  void MudaOperation(Classes::TObject* Sender);
  void SetVisible(bool Show, bool Shift);
  void btParentesesClick(Classes::TObject* Sender);
  // Lets only "(" into the opening and ")" into the closing parenthesis edits of every
  // line; other senders' keys pass.
  void ChecaParentesis(Classes::TObject* Sender, char& Key);
  void eComparision1Change(Classes::TObject* Sender);
  void SetDropWidth(Classes::TObject* Sender);
  // Whether any criterion has been entered or restored by InitFilter.
  bool IsFilterDefined() const;

  // ---- SQL ----
  // Rebuilds MemoSQL from the lines, one memo line per criterion line, each column
  // named as the statement names it (ColumnRef), in the SQL of Dialect; with
  // UseParameters the memo shows the "?" markers and Params gets their values. At the
  // first invalid line it writes the message naming the line into the memo and ends
  // with the silent abort (SysUtils::EAbort).
  void MountSQL(Classes::TObject* Sender);

  // ---- Ordering page ----
  // Fills Ordem with every catalogue column (table name and field name).
  void InitOrdemData();
  // Deletes from Entries (ordering entries, to become ORDER BY) every entry that is not
  // a catalogue column as InitOrdemData lists it, and names the deleted ones to the
  // user in one plain message box. True, with no box, when every entry is a column.
  bool KeepCatalogueOrdering(Classes::TStrings& Entries) const;
  void OrderedDragOver(Classes::TObject* Sender, Classes::TObject* Source, int X, int Y,
                       StdCtrls::TDragState State, bool& Accept);
  void OrderedDragDrop(Classes::TObject* Sender, Classes::TObject* Source, int X, int Y);
  void OrderedDrawItem(StdCtrls::TListBox* Control, int Index, const QRect& Rect, unsigned State);
  // Whether the selected entry of Source (Ordem or Ordered) may go to position P of
  // Ordered: the rule of every drop and of every key of the ordering page.
  bool CanPlaceOrdered(Classes::TObject* Source, int P) const;
  // Puts the selected entry of Source at position P of Ordered: a copy of the column
  // from Ordem, the entry itself from Ordered (it moves). What a drop does, and the
  // keys; P is not checked here (CanPlaceOrdered is).
  void PlaceOrdered(Classes::TObject* Source, int P);
  // Takes entry Index out of Ordered; false, with nothing changed, for a fixed entry
  // or no entry.
  bool RemoveOrdered(int Index);
  // Keys of the available columns: Enter or Ctrl+Right appends the selected column to
  // the ordering. Keys of the ordering: Delete or Ctrl+Left removes the selected entry,
  // Ctrl+Up and Ctrl+Down move it by one. The keys they act on (allowed or not) go no
  // further.
  void OrdemKeyDown(Classes::TObject* Sender, uint16_t& Key, StdCtrls::TShiftState Shift);
  void OrderedKeyDown(Classes::TObject* Sender, uint16_t& Key, StdCtrls::TShiftState Shift);

  // Takes ownership of a catalogue that was given up while this dialog shows its
  // entries (its component was destroyed); it is freed with the dialog. Null is ignored.
  void KeepCatalogue(kytSQLFilterStruc::TCampos* ACampos);

  // ---- Commands ----
  void btSeeClick(Classes::TObject* Sender);
  // Builds the SQL; when every line is valid sets WhereText to "WHERE " and the memo
  // text (or the empty text) and closes with OK.
  void btConfirmClick(Classes::TObject* Sender);
  void btCancelClick(Classes::TObject* Sender);
  // Back to one empty line.
  void ClearFilter(Classes::TObject* Sender);
  void btSaveFilterClick(Classes::TObject* Sender);
  // Reads a filter file into the lines, the description and, where ordering is
  // allowed (TabSheet2 enabled), the ordering, keeping only its catalogue columns.
  void btOpenFilterClick(Classes::TObject* Sender);
  // Copies the lines into AFilter; false (AFilter unchanged) when no criterion is
  // defined, false after the message "Could not update filter in the memory !" when a
  // line cannot be copied.
  bool ModifyFilter(kytSQLFilterStruc::FilterArray& AFilter);

  // The key of a tool-bar command, as its hint shows it ("Ctrl+Enter"); empty for a
  // control without one.
  std::string ShortcutText(const Controls::TControl* Button) const;

 protected:
  // Enter alone closes nothing: a value half typed is not accepted by it (Ctrl+Enter
  // accepts).
  void keyPressEvent(QKeyEvent* Event) override;
  // Nothing but FilterLines refers to the criteria lines' controls, and they come and
  // go by the thousand: while the dialog makes or frees lines, their insertion and
  // removal is not announced to each of its other components.
  void Notification(Classes::TComponent* AComponent, Classes::TOperation Operation) override;

 private:
  bool FLineWork = false;  // lines' controls are being made or freed
  std::map<const Controls::TControl*, std::string> FShortcutTexts;
  void BindShortcuts();
  // Accessible names: the controls of the layout, and those of line Line.
  void NameForScreenReaders();
  void NameLine(int Line);
  // Tab goes through line Line's controls left to right, from the previous line's
  // connector.
  void ChainTabOrder(int Line);
  // Hint with the command's key in parentheses.
  std::string HintWithKey(const Controls::TControl* Button, const std::string& Hint) const;
  std::vector<std::unique_ptr<kytSQLFilterStruc::TCampos>> FKeptCatalogues;
  // Lines restored from a filter count as entered until the criteria are cleared, so
  // a restored line whose field is gone is reported instead of dropped.
  bool FRestored = false;
  // The layout, built in code in these steps (kytSQLFilterFormLayout.cpp).
  void BuildLayout();
  void BuildToolBar();
  void BuildPages();
  void BuildCriteriaPage();
  void BuildFirstLine();
  void BuildOrderingPage();
  void BuildDescriptionPage();
  void BuildFileDialogs();
  void BindCommands();
  // FormCreate's steps: line 1's field list from Campos; hints and captions from the
  // message table.
  void FillFieldList();
  void SetHintsAndCaptions();

  // The memo text of line Line; adds its parentheses to Balance. Fails the line
  // (FailLine) when it is invalid.
  std::string MountLine(int Line, int& Balance);
  // The comparison of line Line, "( column operator value )", without the line's
  // parentheses and connector; Value is the value edit's text. Fails the line (FailLine)
  // when Value is no value of Campo's type.
  std::string Condition(const kytSQLFilterStruc::TCampo& Campo, const std::string& Op, const std::string& Value,
                        int Line);
  // A value of line Line checked and converted for Campo's type: Text as it is written
  // into SQL, unquoted; Param as it is bound. Fails the line when it is no such value.
  struct TCriterionValue {
    std::string Text;
    kytSQLFilterStruc::TSqlParam Param;
  };
  TCriterionValue ConvertValue(const kytSQLFilterStruc::TCampo& Campo, std::string Value, int Line);
  // Where Value goes in the text: a "?" marker (its value added to Params) or the
  // literal, quoted when Quoted; inside UPPER( ) when Fold, so that the engine folds it
  // as it folds the column.
  std::string ValueSQL(const TCriterionValue& Value, bool Quoted, bool Fold);
  // The prefix (Containing false) or substring match of Campo's column on an engine
  // without STARTING WITH and CONTAINING.
  std::string MatchCondition(const kytSQLFilterStruc::TCampo& Campo, bool Containing, const std::string& Value,
                             int Line);
  // Shows the criteria page and the SQL panel, beeps, adds message Message naming
  // Line to the memo and ends with the silent abort.
  [[noreturn]] void FailLine(int Line, int Message);
  // Adds the offered optional comparisons to Box, or takes them away.
  static void OfferOptionalComparisons(StdCtrls::TComboBox& Box, bool Offer);
  bool IsCatalogueColumn(const std::string& Entry) const;
  void AddLine();
  Mask::TMaskEdit* NewValueEdit(int Line);
  int LineTop(int Line, const Controls::TControl& First) const;
};

}  // namespace kytSQLFilterForm
