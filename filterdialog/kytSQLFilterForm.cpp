#include "filterdialog/kytSQLFilterForm.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cctype>

#include "filtermodel/kytSQLFilterRes.h"
#include "host/rtl/SysUtils.h"

namespace kytSQLFilterForm {

using Classes::TObject;
using kytSQLFilterRes::Text;
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
  static const int kTexts[8] = {60039, 60040, 60043, 60044, 60041, 60042, 60047, 60048};
  for (int i = 0; i < 8; ++i) Operators[i].DisplayText = kytSQLFilterRes::Text(kTexts[i]);
  Operators[8].DisplayText =
      OperatorsOk.Contains(opStartingWith) ? kytSQLFilterRes::Text(60046) : std::string();
  Operators[9].DisplayText =
      OperatorsOk.Contains(opContains) ? kytSQLFilterRes::Text(60049) : std::string();
  Items.BeginUpdate();
  Items.Clear();
  for (const TOperatorEntry& e : Operators)
    if (!e.DisplayText.empty()) Items.Add(e.DisplayText);
  Items.EndUpdate();
}

// ---- The dialog -------------------------------------------------------------------------

FilterLineArray FilterLines;
int NoFixedOrd = 0;

namespace {

using StdCtrls::TComboBox;
using StdCtrls::TEdit;

// The tool-bar glyphs, drawn at 20 x 20 so they read clearly on a 30 x 25 button.
enum class TGlyph { See, Parse, Cancel, Confirm, Clear, Save, Open };

QIcon MakeGlyph(TGlyph Kind) {
  QPixmap pixmap(20, 20);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink(40, 40, 40);
  switch (Kind) {
    case TGlyph::See: {  // an eye: show the SQL
      QPainterPath eye;
      eye.moveTo(1, 10);
      eye.quadTo(10, 1, 19, 10);
      eye.quadTo(10, 19, 1, 10);
      p.setPen(QPen(ink, 1.6));
      p.setBrush(Qt::white);
      p.drawPath(eye);
      p.setBrush(QColor(30, 90, 170));
      p.setPen(Qt::NoPen);
      p.drawEllipse(QPointF(10, 10), 3.6, 3.6);
      break;
    }
    case TGlyph::Parse: {  // circular arrows: rebuild the SQL
      p.setPen(QPen(QColor(30, 90, 170), 2.2, Qt::SolidLine, Qt::RoundCap));
      p.drawArc(QRectF(3, 3, 14, 14), 40 * 16, 280 * 16);
      p.setBrush(QColor(30, 90, 170));
      p.setPen(Qt::NoPen);
      p.drawPolygon(QPolygonF({QPointF(13.5, 1.5), QPointF(19, 5.5), QPointF(12.5, 8.5)}));
      break;
    }
    case TGlyph::Cancel:  // a red cross
      p.setPen(QPen(QColor(200, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(4, 4), QPointF(16, 16));
      p.drawLine(QPointF(16, 4), QPointF(4, 16));
      break;
    case TGlyph::Confirm:  // a green tick
      p.setPen(QPen(QColor(30, 150, 60), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPolyline(QPolygonF({QPointF(3, 11), QPointF(8, 16), QPointF(17, 4)}));
      break;
    case TGlyph::Clear: {  // an eraser
      p.translate(10, 10);
      p.rotate(-40);
      p.setPen(QPen(ink, 1.2));
      p.setBrush(QColor(235, 120, 140));
      p.drawRect(QRectF(-8, -4, 9, 8));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(1, -4, 7, 8));
      break;
    }
    case TGlyph::Save:  // a diskette
      p.setPen(QPen(ink, 1.2));
      p.setBrush(QColor(60, 100, 170));
      p.drawRoundedRect(QRectF(2.5, 2.5, 15, 15), 1.5, 1.5);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(5.5, 2.5, 9, 6));
      p.setBrush(QColor(210, 210, 210));
      p.drawRect(QRectF(5.5, 11.5, 9, 6));
      break;
    case TGlyph::Open:  // a folder
      p.setPen(QPen(QColor(150, 110, 20), 1.2));
      p.setBrush(QColor(240, 200, 80));
      p.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(7.5, 4.5), QPointF(9.5, 6.5), QPointF(18.5, 6.5),
                               QPointF(18.5, 16.5), QPointF(1.5, 16.5)}));
      p.setBrush(QColor(250, 220, 120));
      p.drawPolygon(QPolygonF({QPointF(1.5, 16.5), QPointF(4.5, 9.5), QPointF(19.5, 9.5), QPointF(18.5, 16.5)}));
      break;
  }
  return QIcon(pixmap);
}

// True when Text consists of C only (or is empty).
bool OnlyOf(const std::string& Text, char C) {
  for (char c : Text)
    if (c != C) return false;
  return true;
}

// A number as SQL reads it: optional sign, digits with an optional decimal part (or
// a decimal part alone), optional exponent.
bool IsNumberLiteral(const std::string& V) {
  std::size_t i = 0;
  const std::size_t n = V.size();
  auto digits = [&] {
    const std::size_t start = i;
    while (i < n && std::isdigit(static_cast<unsigned char>(V[i]))) ++i;
    return i - start;
  };
  if (i < n && (V[i] == '+' || V[i] == '-')) ++i;
  std::size_t count = digits();
  if (i < n && V[i] == '.') {
    ++i;
    count += digits();
  }
  if (count == 0) return false;
  if (i < n && (V[i] == 'e' || V[i] == 'E')) {
    ++i;
    if (i < n && (V[i] == '+' || V[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == n;
}

std::string DoubleQuotes(const std::string& V, char Quote) {
  std::string out;
  out.reserve(V.size() + 2);
  for (char c : V) {
    out += c;
    if (c == Quote) out += c;
  }
  return out;
}

bool IsQuotedType(TFType T) {
  using namespace kytSQLFilterStruc;
  return T != fInteger && T != fFloat && T != fBoolean;
}

// The catalogue entry attached to the chosen item of a field drop-down, or null.
TCampo* ChosenCampo(const TComboBox& Box) {
  const int index = Box.ItemIndex();
  if (index < 0) return nullptr;
  return dynamic_cast<TCampo*>(Box.Items()->GetObject(index));
}

// Holds a string list's change events back for a batch of changes.
class TUpdateGuard {
 public:
  explicit TUpdateGuard(Classes::TStrings& List) : FList(List) { FList.BeginUpdate(); }
  ~TUpdateGuard() { FList.EndUpdate(); }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

 private:
  Classes::TStrings& FList;
};

std::string ComponentName(TObject* Object) {
  auto* component = dynamic_cast<Classes::TComponent*>(Object);
  return component ? component->Name() : std::string();
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

TformFilter::TformFilter(Classes::TComponent* AOwner) : Forms::TForm(AOwner) {
  BuildLayout();
  FormCreate(this);
}

TformFilter::~TformFilter() { FormDestroy(this); }

void TformFilter::BuildLayout() {
  SetName("formFilter");
  SetCaption("Filter");
  SetBorderStyle(Forms::TBorderStyle::bsDialog);
  SetClientSize(531, 299);
  // The layout's sizes are made for an 8-point face: every text fits its control.
  SetFont({"DejaVu Sans", 8, false, Controls::clDefault});

  auto place = [](Controls::TControl* C, Controls::TWinControl* Parent, const char* Name, int L, int T, int W,
                  int H) {
    C->SetName(Name);
    C->SetParent(Parent);
    C->SetBounds(L, T, W, H);
  };

  ToolPanel = new ExtCtrls::TPanel(this);
  place(ToolPanel, this, "ToolPanel", 0, 0, 531, 33);
  ToolPanel->SetAlign(Controls::TAlign::alTop);
  ToolPanel->SetBevelOuter(ExtCtrls::TBevelCut::bvNone);

  struct TButtonDef {
    Buttons::TSpeedButton** Button;
    const char* Name;
    int Left;
    int Glyph;  // index of TGlyph, or -1 for a caption
  };
  const TButtonDef buttons[] = {
      {&btSee, "btSee", 4, static_cast<int>(TGlyph::See)},
      {&btParse, "btParse", 38, static_cast<int>(TGlyph::Parse)},
      {&btCancel, "btCancel", 72, static_cast<int>(TGlyph::Cancel)},
      {&btConfirm, "btConfirm", 106, static_cast<int>(TGlyph::Confirm)},
      {&btClear, "btClear", 140, static_cast<int>(TGlyph::Clear)},
      {&btParenteses, "btParenteses", 174, -1},
      {&btSaveFilter, "btSaveFilter", 208, static_cast<int>(TGlyph::Save)},
      {&btOpenFilter, "btOpenFilter", 242, static_cast<int>(TGlyph::Open)},
  };
  for (const TButtonDef& b : buttons) {
    *b.Button = new Buttons::TSpeedButton(this);
    place(*b.Button, ToolPanel, b.Name, b.Left, 4, 30, 25);
    (*b.Button)->SetFlat(true);
    (*b.Button)->SetShowHint(true);
    if (b.Glyph >= 0) (*b.Button)->SetGlyph(MakeGlyph(static_cast<TGlyph>(b.Glyph)));
  }
  btParenteses->SetCaption("(( ))");
  btParenteses->SetFont({"", 0, true, Controls::clDefault});

  ckCase = new StdCtrls::TCheckBox(this);
  place(ckCase, ToolPanel, "ckCase", 284, 4, 160, 25);

  PageControl1 = new ComCtrls::TPageControl(this);
  place(PageControl1, this, "PageControl1", 0, 33, 531, 266);
  PageControl1->SetAlign(Controls::TAlign::alClient);
  PageControl1->SetTabPosition(ComCtrls::TTabPosition::tpBottom);
  TabSheet1 = new ComCtrls::TTabSheet(this);
  TabSheet1->SetName("TabSheet1");
  TabSheet1->SetPageControl(PageControl1);
  TabSheet2 = new ComCtrls::TTabSheet(this);
  TabSheet2->SetName("TabSheet2");
  TabSheet2->SetPageControl(PageControl1);
  TabSheet3 = new ComCtrls::TTabSheet(this);
  TabSheet3->SetName("TabSheet3");
  TabSheet3->SetPageControl(PageControl1);

  // Criteria page: the SQL panel at the bottom (hidden at start), the lines above it.
  SQLPanel = new ExtCtrls::TPanel(this);
  place(SQLPanel, TabSheet1, "SQLPanel", 0, 0, 523, 123);
  SQLPanel->SetAlign(Controls::TAlign::alBottom);
  SQLPanel->SetBevelOuter(ExtCtrls::TBevelCut::bvNone);
  SQLPanel->SetVisible(false);
  MemoSQL = new StdCtrls::TMemo(this);
  place(MemoSQL, SQLPanel, "MemoSQL", 0, 0, 523, 123);
  MemoSQL->SetAlign(Controls::TAlign::alClient);
  MemoSQL->SetReadOnly(true);
  MemoSQL->SetFont({"DejaVu Sans Mono", 8, false, Controls::clDefault});
  MemoSQL->setLineWrapMode(QPlainTextEdit::NoWrap);
  ScrollBox1 = new Forms::TScrollBox(this);
  place(ScrollBox1, TabSheet1, "ScrollBox1", 0, 0, 523, 200);
  ScrollBox1->SetAlign(Controls::TAlign::alClient);
  ScrollBox1->SetBorderless(true);

  eBGroup1 = new TEdit(this);
  place(eBGroup1, ScrollBox1, "eBGroup1", 8, 8, 25, 24);
  eBGroup1->SetVisible(false);
  eCampo1 = new TComboBox(this);
  place(eCampo1, ScrollBox1, "eCampo1", 38, 8, 173, 24);
  eCampo1->SetStyle(StdCtrls::TComboBoxStyle::csDropDownList);
  eCampo1->SetTag(1);
  eComparision1 = new TComboBox(this);
  place(eComparision1, ScrollBox1, "eComparision1", 216, 8, 81, 24);
  eComparision1->SetStyle(StdCtrls::TComboBoxStyle::csDropDownList);
  eComparision1->SetTag(1);
  eComparision1->SetFont({"", 0, true, Controls::clDefault});
  eComparision1->SetDropDownCount(10);
  // A narrow arrow and padding leave the 81 pixels to the comparison's text.
  eComparision1->setStyleSheet(
      "QComboBox { padding-left: 2px; padding-right: 0px; }");
  eValue1 = new Mask::TMaskEdit(this);
  place(eValue1, ScrollBox1, "eValue1", 302, 8, 121, 24);
  eValue1->SetTag(1);
  eEGroup1 = new TEdit(this);
  place(eEGroup1, ScrollBox1, "eEGroup1", 428, 8, 25, 24);
  eEGroup1->SetVisible(false);
  eOperation1 = new TComboBox(this);
  place(eOperation1, ScrollBox1, "eOperation1", 458, 8, 60, 24);
  eOperation1->SetStyle(StdCtrls::TComboBoxStyle::csDropDownList);
  eOperation1->SetTag(1);
  eOperation1->SetFont({"", 0, true, Controls::clDefault});
  eOperation1->SetColor(8454143);

  eBGroup1->OnKeyPress = [this](TObject* S, char& K) { ChecaParentesis(S, K); };
  eEGroup1->OnKeyPress = [this](TObject* S, char& K) { ChecaParentesis(S, K); };
  eCampo1->OnChange = [this](TObject* S) { ChangeCampo(S); };
  eComparision1->OnChange = [this](TObject* S) { eComparision1Change(S); };
  eComparision1->OnDropDown = [this](TObject* S) { SetDropWidth(S); };
  eOperation1->OnChange = [this](TObject* S) { MudaOperation(S); };

  // Ordering page: the chosen ordering on the left, the available columns on the right.
  const std::string sourceHint = "Fields in the Source Table";
  Ordered = new StdCtrls::TListBox(this);
  place(Ordered, TabSheet2, "Ordered", 0, 0, 260, 200);
  Ordered->SetAlign(Controls::TAlign::alLeft);
  Ordered->SetStyle(StdCtrls::TListBoxStyle::lbOwnerDrawFixed);
  Ordered->SetItemHeight(17);
  Ordered->SetDragMode(StdCtrls::TDragMode::dmAutomatic);
  Ordered->SetHint(sourceHint);
  Splitter1 = new ExtCtrls::TSplitter(this);
  place(Splitter1, TabSheet2, "Splitter1", 260, 0, 3, 200);
  Ordem = new StdCtrls::TListBox(this);
  place(Ordem, TabSheet2, "Ordem", 263, 0, 260, 200);
  Ordem->SetAlign(Controls::TAlign::alClient);
  Ordem->SetDragMode(StdCtrls::TDragMode::dmAutomatic);
  Ordem->SetHint(sourceHint);
  Ordered->OnDragOver = [this](TObject* S, TObject* Src, int X, int Y, StdCtrls::TDragState St, bool& A) {
    OrderedDragOver(S, Src, X, Y, St, A);
  };
  Ordered->OnDragDrop = [this](TObject* S, TObject* Src, int X, int Y) { OrderedDragDrop(S, Src, X, Y); };
  Ordered->OnDrawItem = [this](StdCtrls::TListBox* C, int I, const QRect& R, unsigned St) {
    OrderedDrawItem(C, I, R, St);
  };

  // Description page.
  MemoDesc = new StdCtrls::TMemo(this);
  place(MemoDesc, TabSheet3, "MemoDesc", 0, 0, 523, 200);
  MemoDesc->SetAlign(Controls::TAlign::alClient);
  MemoDesc->SetMaxLength(1024);

  SaveFilter = new Dialogs::TSaveDialog(this);
  SaveFilter->SetName("SaveFilter");
  SaveFilter->DefaultExt = "flt";
  SaveFilter->Filter = "Filter files|*.flt|All Files|*.*";
  SaveFilter->Options = Dialogs::ofHideReadOnly | Dialogs::ofPathMustExist | Dialogs::ofEnableSizing;
  OpenFilter = new Dialogs::TOpenDialog(this);
  OpenFilter->SetName("OpenFilter");
  OpenFilter->DefaultExt = "flt";
  OpenFilter->Filter = "Filter Files|*.flt|All Files|*.*";
  OpenFilter->Options =
      Dialogs::ofHideReadOnly | Dialogs::ofPathMustExist | Dialogs::ofFileMustExist | Dialogs::ofEnableSizing;

  btSee->OnClick = [this](TObject* S) { btSeeClick(S); };
  btParse->OnClick = [this](TObject* S) { MountSQL(S); };
  btCancel->OnClick = [this](TObject* S) { btCancelClick(S); };
  btConfirm->OnClick = [this](TObject* S) { btConfirmClick(S); };
  btClear->OnClick = [this](TObject* S) { ClearFilter(S); };
  btParenteses->OnClick = [this](TObject* S) { btParentesesClick(S); };
  btSaveFilter->OnClick = [this](TObject* S) { btSaveFilterClick(S); };
  btOpenFilter->OnClick = [this](TObject* S) { btOpenFilterClick(S); };
  PageControl1->SetActivePage(TabSheet1);
}

void TformFilter::FormCreate(TObject*) {
  MySetLength(FilterLines, 0);
  FilterLines.resize(1);
  FilterLines[0] = {eBGroup1, eEGroup1, eValue1, eCampo1, eComparision1, eOperation1};

  // The visible entries, ordered by ComboOrder and then by description. The number is
  // written with leading zeros so that the sorted list's text order is the numeric
  // order, and taken off again afterwards.
  Classes::TStrings& items = *eCampo1->Items();
  items.BeginUpdate();
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
  items.EndUpdate();

  LineCount = 1;
  GroupsVisible = true;
  SetVisible(false, true);

  eCampo1->SetHint(Text(60013));
  eComparision1->SetHint(Text(60016));
  eValue1->SetHint(Text(60017));
  eOperation1->SetHint(Text(60019));
  eBGroup1->SetHint(Text(60020));
  eEGroup1->SetHint(Text(60020));
  btSee->SetHint(Text(60009));
  btParse->SetHint(Text(60006));
  btCancel->SetHint(Text(60007));
  btConfirm->SetHint(Text(60005));
  btParenteses->SetHint(Text(60003));
  btClear->SetHint(Text(60024));
  btSaveFilter->SetHint(Text(60056));
  btOpenFilter->SetHint(Text(60057));
  TabSheet1->SetCaption(Text(60058));
  TabSheet2->SetCaption(Text(60059));
  TabSheet3->SetCaption(Text(60060));
  ckCase->SetCaption(Text(60011));

  Classes::TStrings& operations = *eOperation1->Items();
  operations.Clear();
  operations.Add("");
  operations.Add(Text(60036));
  operations.Add(Text(60037));

  PrepareOperators(*eComparision1->Items());
}

void TformFilter::FormDestroy(TObject*) {
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
  edit->SetParent(Template->Parent());
  edit->SetBounds(Template->Left(), LineTop(LineCount, *Template), Template->Width(), Template->Height());
  edit->SetText("");
  edit->OnKeyPress = [this](TObject* S, char& K) { ChecaParentesis(S, K); };
  Target = edit;
  return edit;
}

TComboBox* TformFilter::ClonarCombo(TComboBox*& Target, const std::string& Name, TComboBox* Template) {
  auto* box = new TComboBox(this);
  box->SetName(Name);
  box->SetParent(Template->Parent());
  box->SetBounds(Template->Left(), LineTop(LineCount, *Template), Template->Width(), Template->Height());
  box->SetFont(Template->Font());
  box->SetStyle(StdCtrls::TComboBoxStyle::csDropDownList);
  box->SetColor(Template->Color());
  box->SetDropDownCount(Template->DropDownCount());
  box->setStyleSheet(Template->styleSheet());
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
  edit->SetParent(eValue1->Parent());
  edit->SetBounds(eValue1->Left(), LineTop(Line, *eValue1), eValue1->Width(), eValue1->Height());
  edit->SetText("");
  edit->SetTag(Line);
  return edit;
}

void TformFilter::AddLine() {
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

void TformFilter::ChangeCampo(TObject* Sender) {
  using namespace kytSQLFilterStruc;
  auto* box = dynamic_cast<TComboBox*>(Sender);
  if (!box) return;
  TCampo* campo = ChosenCampo(*box);
  const int n = static_cast<int>(box->Tag());
  if (!campo || n < 1 || n > static_cast<int>(FilterLines.size())) return;
  FilterLineRec& line = FilterLines[n - 1];
  Classes::TStrings& comparisons = *line.Comparision->Items();
  const std::string contains = Text(60049);
  const std::string startWith = Text(60046);

  std::string mask;
  if (campo->DataType == fString || campo->DataType == fFloat || campo->DataType == fInteger) {
    if (comparisons.IndexOf(contains) < 0 && OperatorsOk.Contains(opContains)) comparisons.Add(contains);
    if (comparisons.IndexOf(startWith) < 0 && OperatorsOk.Contains(opStartingWith)) comparisons.Add(startWith);
  } else {
    if (campo->DataType == fDate || campo->DataType == fDateTime) {
      for (char c : EditDateFormat) {
        const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (u == 'D' || u == 'M' || u == 'Y') mask += '9';
        else if (c == '/') mask += '/';
      }
    } else if (campo->DataType == fTime) {
      mask = "99:99";
    }
    for (const std::string& text : {contains, startWith}) {
      const int index = comparisons.IndexOf(text);
      if (index >= 0) comparisons.Delete(index);
    }
  }
  // The catalogue's size of a column is a typing limit for text only: for numbers and
  // dates it is the storage size in bytes, not a number of characters.
  line.Value->SetMaxLength(campo->DataType == fString ? campo->MaxSize : 0);
  line.Value->SetEditMask(mask);
}

void TformFilter::MudaOperation(TObject* Sender) {
  auto* box = dynamic_cast<TComboBox*>(Sender);
  if (!box) return;
  const int n = static_cast<int>(box->Tag());
  if (box->Text().empty()) {
    if (n < LineCount) MySetLength(FilterLines, n);
    if (n >= 1 && n < LineCount) LineCount = static_cast<uint16_t>(n);
    return;
  }
  if (n != LineCount) return;
  AddLine();
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
  const std::string name = ComponentName(Sender);
  if ((name.find("eBGroup") != std::string::npos && Key != '(') ||
      (name.find("eEGroup") != std::string::npos && Key != ')'))
    Key = '\0';
}

void TformFilter::eComparision1Change(TObject* Sender) {
  auto* box = dynamic_cast<TComboBox*>(Sender);
  if (!box) return;
  const int index = box->ItemIndex();
  box->SetHint(index < 0 || index >= static_cast<int>(Operators.size()) ? Text(60016)
                                                                        : Operators[index].DisplayText);
}

void TformFilter::SetDropWidth(TObject* Sender) {
  if (auto* box = dynamic_cast<TComboBox*>(Sender)) box->SetDropWidth(130);
}

bool TformFilter::IsFilterDefined() const {
  if (LineCount != 1 || FRestored) return true;
  return eCampo1->ItemIndex() >= 0 || eOperation1->ItemIndex() >= 0 ||
         (!eValue1->Text().empty() && eValue1->Modified());
}

// ---- SQL ----------------------------------------------------------------------------

void TformFilter::MountSQL(TObject*) {
  using namespace kytSQLFilterStruc;
  Classes::TStrings& memo = *MemoSQL->Lines();
  TUpdateGuard batch(memo);
  memo.Clear();
  if (!IsFilterDefined()) {
    if (!WhereText.empty()) memo.Add(WhereText);
    return;
  }
  if (!WhereText.empty()) memo.Add(WhereText + " AND");

  int balance = 0;
  int message = 0;
  auto failLine = [&](int Line) {
    if (message == 0) message = 60026;
    if (PageControl1->ActivePage() != TabSheet1) PageControl1->SetActivePage(TabSheet1);
    if (!SQLPanel->Visible()) SQLPanel->SetVisible(true);
    Dialogs::Beep();
    memo.Add(kytSQLFilterRes::TextForLine(message, Line));
    SysUtils::Abort();
  };

  const bool caseSensitive = ckCase->Checked();
  for (int n = 1; n <= LineCount; ++n) {
    const FilterLineRec& line = FilterLines[n - 1];
    std::string s;
    if (line.Comparision->ItemIndex() < 0) {
      message = 60025;
      failLine(n);
    }
    const std::string op = GetOperatorSQL(line.Comparision->Text());

    // Parenthesis texts may come from a filter file: anything but parentheses would
    // reach the SQL unchecked.
    const std::string opening = line.BGroup->Text();
    const std::string closing = line.EGroup->Text();
    if (!OnlyOf(opening, '(') || !OnlyOf(closing, ')')) failLine(n);
    balance += CountParentheses(opening);
    s += opening;

    const TCampo* campo = ChosenCampo(*line.Campo);
    if (!campo) {
      message = 60023;
      failLine(n);
    }
    const bool isNull = op.find("Null") != std::string::npos;
    if (caseSensitive || campo->DataType != fString || isNull) {
      s += "( " + campo->TableName + campo->FieldName;
    } else {
      s += "( UPPER(" + campo->TableName + campo->FieldName + ")";
    }
    s += " " + op + " ";

    if (isNull) {
      s += " )";
    } else {
      const TFType type = campo->DataType;
      const std::string quote = IsQuotedType(type) ? std::string(1, StringQuote) : std::string();
      std::string value = line.Value->Text();
      if (type == fDate || type == fDateTime) {
        SysUtils::TDateTime date = 0;
        if (!SysUtils::TryStrToDate(value, date)) failLine(n);
        value = SysUtils::FormatDateTime(SQLDateFormat, date);
      } else if (!caseSensitive) {
        value = SysUtils::AnsiUpperCase(value);
      }
      // A value is a literal of its type and nothing more.
      if ((type == fInteger || type == fFloat) && !IsNumberLiteral(value)) failLine(n);
      if (type == fBoolean) {
        const std::string upper = SysUtils::UpperCase(value);
        if (upper != "TRUE" && upper != "FALSE") failLine(n);
      }
      if (!quote.empty()) value = DoubleQuotes(value, StringQuote);
      s += " " + quote + value + quote + " )";
    }

    balance -= CountParentheses(closing);
    s += closing;
    const int operation = line.Operation->ItemIndex();
    if (operation == 1) s += " AND";
    else if (operation == 2) s += " OR";
    memo.Add(s);
    if (balance < 0) {
      message = 60029;
      failLine(n);
    }
  }
  if (balance != 0) {
    Dialogs::Beep();
    memo.Add(kytSQLFilterRes::TextForLine(60029, LineCount));
    SysUtils::Abort();
  }
}

// ---- Ordering page -------------------------------------------------------------------

void TformFilter::InitOrdemData() {
  Classes::TStrings& items = *Ordem->Items();
  TUpdateGuard batch(items);
  items.Clear();
  if (!Campos) return;
  for (int i = 0; i < Campos->Count(); ++i) items.Add(Campos->Get(i)->TableName + Campos->Get(i)->FieldName);
}

namespace {

// Where a drop at (X, Y) of the list goes: the entry under the point, or after the last.
int DropPosition(const StdCtrls::TListBox& List, int X, int Y) {
  const int p = List.ItemAtPos({X, Y}, false);
  return p < 0 ? List.Items()->Count() : p;
}

}  // namespace

void TformFilter::OrderedDragOver(TObject*, TObject* Source, int X, int Y, StdCtrls::TDragState, bool& Accept) {
  const std::string source = ComponentName(Source);
  const bool fromOrdem = source == "Ordem";
  const bool fromOrdered = source == "Ordered" && Ordered->ItemIndex() >= NoFixedOrd;
  Accept = (fromOrdem || fromOrdered) && DropPosition(*Ordered, X, Y) >= NoFixedOrd;
}

void TformFilter::OrderedDragDrop(TObject*, TObject* Source, int X, int Y) {
  const int p = DropPosition(*Ordered, X, Y);
  const std::string source = ComponentName(Source);
  Classes::TStrings& items = *Ordered->Items();
  if (source == "Ordem") {
    const int chosen = Ordem->ItemIndex();
    if (chosen < 0) return;
    items.Insert(p, Ordem->Items()->Get(chosen));
    Ordered->SetItemIndex(p);
  } else if (source == "Ordered") {
    const int chosen = Ordered->ItemIndex();
    if (chosen < 0) return;
    items.Insert(p, items.Get(chosen));
    // The dragged entry itself goes, wherever the insertion moved it.
    const int old = p <= chosen ? chosen + 1 : chosen;
    items.Delete(old);
    Ordered->SetItemIndex(p <= chosen ? p : p - 1);
  }
}

void TformFilter::OrderedDrawItem(StdCtrls::TListBox* Control, int Index, const QRect& Rect, unsigned) {
  Controls::TCanvas& canvas = *Control->Canvas();
  canvas.FillRect(Rect);
  canvas.FontColor = Index < NoFixedOrd ? Controls::clRed : Controls::clBlack;
  canvas.TextOut(Rect.left() + 2, Rect.top(), Control->Items()->Get(Index));
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
    Dialogs::ShowMessage(Text(60051));
    return false;
  }
  return true;
}

void TformFilter::btSaveFilterClick(TObject*) {
  using kytSQLFilterStruc::Filter;
  if (!IsFilterDefined()) {
    Dialogs::ShowMessage(Text(60050));
    return;
  }
  if (!ModifyFilter(Filter)) return;
  SaveFilter->Title = Text(60052);
  if (!SaveFilter->Execute()) return;
  kytSQLFilterStruc::FH.SetDescription(MemoDesc->Text());
  kytSQLFilterStruc::WriteFilter(SaveFilter->FileName, Filter, *Ordered->Items());
}

void TformFilter::btOpenFilterClick(TObject* Sender) {
  using kytSQLFilterStruc::Filter;
  OpenFilter->Title = Text(60053);
  if (!OpenFilter->Execute()) return;
  Filter.clear();
  kytSQLFilterStruc::ReadFilter(OpenFilter->FileName, Filter, *Ordered->Items());
  MemoDesc->SetText(kytSQLFilterStruc::FH.GetDescription());
  ClearFilter(Sender);
  InitFilter();
}

}  // namespace kytSQLFilterForm
