// The filter dialog's layout, built in code: tool bar and its glyphs, the three pages,
// the first criterion line and the file dialogs, with their events bound.
#include "filterdialog/kytSQLFilterForm.h"

#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>

#include "host/ui/Accessible.h"

namespace kytSQLFilterForm {

using Classes::TObject;
using StdCtrls::TComboBox;
using StdCtrls::TEdit;

namespace {

// The tool-bar glyphs, designed on a 20 x 20 grid and painted at the size and pixel
// ratio the button shows them at.
enum class TGlyph { See, Parse, Cancel, Confirm, Clear, Save, Open, None };

// The glyphs' colours for one palette: outlines in the palette's button text, the
// coloured strokes made to stand out (3:1) from the tool bar in a light or dark theme.
struct TInk {
  explicit TInk(const QPalette& Palette)
      : Face(Palette.color(QPalette::Window)),
        Outline(Palette.color(QPalette::ButtonText)),
        Blue(Stroke(QColor(30, 90, 170))),
        Red(Stroke(QColor(200, 40, 40))),
        Green(Stroke(QColor(30, 150, 60))),
        Brown(Stroke(QColor(150, 110, 20))) {}
  QColor Stroke(const QColor& C) const { return Controls::Readable(C, Face, 3.0); }
  QColor Face, Outline, Blue, Red, Green, Brown;
};

void DrawEye(QPainter& P, const TInk& Ink) {  // show the SQL
  QPainterPath eye;
  eye.moveTo(1, 10);
  eye.quadTo(10, 1, 19, 10);
  eye.quadTo(10, 19, 1, 10);
  P.setPen(QPen(Ink.Outline, 1.6));
  P.setBrush(Qt::white);
  P.drawPath(eye);
  P.setBrush(QColor(30, 90, 170));
  P.setPen(Qt::NoPen);
  P.drawEllipse(QPointF(10, 10), 3.6, 3.6);
}

void DrawCircularArrow(QPainter& P, const TInk& Ink) {  // rebuild the SQL
  P.setPen(QPen(Ink.Blue, 2.2, Qt::SolidLine, Qt::RoundCap));
  P.drawArc(QRectF(3, 3, 14, 14), 40 * 16, 280 * 16);
  P.setBrush(Ink.Blue);
  P.setPen(Qt::NoPen);
  P.drawPolygon(QPolygonF({QPointF(13.5, 1.5), QPointF(19, 5.5), QPointF(12.5, 8.5)}));
}

void DrawCross(QPainter& P, const TInk& Ink) {  // cancel
  P.setPen(QPen(Ink.Red, 3, Qt::SolidLine, Qt::RoundCap));
  P.drawLine(QPointF(4, 4), QPointF(16, 16));
  P.drawLine(QPointF(16, 4), QPointF(4, 16));
}

void DrawTick(QPainter& P, const TInk& Ink) {  // accept
  P.setPen(QPen(Ink.Green, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.drawPolyline(QPolygonF({QPointF(3, 11), QPointF(8, 16), QPointF(17, 4)}));
}

void DrawEraser(QPainter& P, const TInk& Ink) {  // clear the criteria
  P.translate(10, 10);
  P.rotate(-40);
  P.setPen(QPen(Ink.Outline, 1.2));
  P.setBrush(QColor(235, 120, 140));
  P.drawRect(QRectF(-8, -4, 9, 8));
  P.setBrush(Qt::white);
  P.drawRect(QRectF(1, -4, 7, 8));
}

void DrawDiskette(QPainter& P, const TInk& Ink) {  // save
  P.setPen(QPen(Ink.Outline, 1.2));
  P.setBrush(QColor(60, 100, 170));
  P.drawRoundedRect(QRectF(2.5, 2.5, 15, 15), 1.5, 1.5);
  P.setBrush(Qt::white);
  P.drawRect(QRectF(5.5, 2.5, 9, 6));
  P.setBrush(QColor(210, 210, 210));
  P.drawRect(QRectF(5.5, 11.5, 9, 6));
}

void DrawFolder(QPainter& P, const TInk& Ink) {  // open
  P.setPen(QPen(Ink.Brown, 1.2));
  P.setBrush(QColor(240, 200, 80));
  P.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(7.5, 4.5), QPointF(9.5, 6.5), QPointF(18.5, 6.5),
                           QPointF(18.5, 16.5), QPointF(1.5, 16.5)}));
  P.setBrush(QColor(250, 220, 120));
  P.drawPolygon(QPolygonF({QPointF(1.5, 16.5), QPointF(4.5, 9.5), QPointF(19.5, 9.5), QPointF(18.5, 16.5)}));
}

QIcon MakeGlyph(TGlyph Kind) {
  using TDraw = void (*)(QPainter&, const TInk&);
  TDraw draw = nullptr;
  switch (Kind) {
    case TGlyph::See: draw = DrawEye; break;
    case TGlyph::Parse: draw = DrawCircularArrow; break;
    case TGlyph::Cancel: draw = DrawCross; break;
    case TGlyph::Confirm: draw = DrawTick; break;
    case TGlyph::Clear: draw = DrawEraser; break;
    case TGlyph::Save: draw = DrawDiskette; break;
    case TGlyph::Open: draw = DrawFolder; break;
    case TGlyph::None: return QIcon();
  }
  return Buttons::PaintedGlyph(20, [draw](QPainter& P, const QPalette& Palette) { draw(P, TInk(Palette)); });
}

void Place(Controls::TControl* C, Controls::TWinControl* Parent, const char* Name, int L, int T, int W, int H) {
  C->SetName(Name);
  C->SetParent(Parent);
  C->SetBounds(L, T, W, H);
}

const Controls::TFont kBold{"", 0, true, Controls::clDefault};

}  // namespace

void TformFilter::BuildLayout() {
  SetName("formFilter");
  SetCaption("Filter");
  SetBorderStyle(Forms::TBorderStyle::bsDialog);
  SetClientSize(531, 299);
  // The layout's sizes are made for an 8-point face: every text fits its control.
  SetFont({"DejaVu Sans", 8, false, Controls::clDefault});
  BuildToolBar();
  BuildPages();
  BuildCriteriaPage();
  BuildFirstLine();
  BuildOrderingPage();
  BuildDescriptionPage();
  BuildFileDialogs();
  BindCommands();
  BindShortcuts();
  NameForScreenReaders();
  PageControl1->SetActivePage(TabSheet1);
}

void TformFilter::BuildToolBar() {
  ToolPanel = new ExtCtrls::TPanel(this);
  Place(ToolPanel, this, "ToolPanel", 0, 0, 531, 33);
  ToolPanel->SetAlign(Controls::TAlign::alTop);
  ToolPanel->SetBevelOuter(ExtCtrls::TBevelCut::bvNone);

  struct TButtonDef {
    Buttons::TSpeedButton** Button;
    const char* Name;
    int Left;
    TGlyph Glyph;  // None: the button shows a caption
  };
  const TButtonDef buttons[] = {
      {&btSee, "btSee", 4, TGlyph::See},
      {&btParse, "btParse", 38, TGlyph::Parse},
      {&btCancel, "btCancel", 72, TGlyph::Cancel},
      {&btConfirm, "btConfirm", 106, TGlyph::Confirm},
      {&btClear, "btClear", 140, TGlyph::Clear},
      {&btParenteses, "btParenteses", 174, TGlyph::None},
      {&btSaveFilter, "btSaveFilter", 208, TGlyph::Save},
      {&btOpenFilter, "btOpenFilter", 242, TGlyph::Open},
  };
  for (const TButtonDef& b : buttons) {
    *b.Button = new Buttons::TSpeedButton(this);
    Place(*b.Button, ToolPanel, b.Name, b.Left, 4, 30, 25);
    (*b.Button)->SetFlat(true);
    (*b.Button)->SetShowHint(true);
    if (b.Glyph != TGlyph::None) (*b.Button)->SetGlyph(MakeGlyph(b.Glyph));
  }
  btParenteses->SetCaption("(( ))");
  btParenteses->SetFont(kBold);

  ckCase = new StdCtrls::TCheckBox(this);
  Place(ckCase, ToolPanel, "ckCase", 284, 4, 160, 25);
}

void TformFilter::BuildPages() {
  PageControl1 = new ComCtrls::TPageControl(this);
  Place(PageControl1, this, "PageControl1", 0, 33, 531, 266);
  PageControl1->SetAlign(Controls::TAlign::alClient);
  PageControl1->SetTabPosition(ComCtrls::TTabPosition::tpBottom);
  for (auto [page, name] : {std::pair{&TabSheet1, "TabSheet1"}, {&TabSheet2, "TabSheet2"}, {&TabSheet3, "TabSheet3"}}) {
    *page = new ComCtrls::TTabSheet(this);
    (*page)->SetName(name);
    (*page)->SetPageControl(PageControl1);
  }
}

// The SQL panel at the bottom (hidden at start), the lines' scroll box above it.
void TformFilter::BuildCriteriaPage() {
  SQLPanel = new ExtCtrls::TPanel(this);
  Place(SQLPanel, TabSheet1, "SQLPanel", 0, 0, 523, 123);
  SQLPanel->SetAlign(Controls::TAlign::alBottom);
  SQLPanel->SetBevelOuter(ExtCtrls::TBevelCut::bvNone);
  SQLPanel->SetVisible(false);
  MemoSQL = new StdCtrls::TMemo(this);
  Place(MemoSQL, SQLPanel, "MemoSQL", 0, 0, 523, 123);
  MemoSQL->SetAlign(Controls::TAlign::alClient);
  MemoSQL->SetReadOnly(true);
  MemoSQL->SetFont({"DejaVu Sans Mono", 8, false, Controls::clDefault});
  MemoSQL->setLineWrapMode(QPlainTextEdit::NoWrap);
  ScrollBox1 = new Forms::TScrollBox(this);
  Place(ScrollBox1, TabSheet1, "ScrollBox1", 0, 0, 523, 200);
  ScrollBox1->SetAlign(Controls::TAlign::alClient);
  ScrollBox1->SetBorderless(true);
}

// Line 1, the template every further line is cloned from.
void TformFilter::BuildFirstLine() {
  eBGroup1 = new TEdit(this);
  Place(eBGroup1, ScrollBox1, "eBGroup1", 8, 8, 25, 24);
  eBGroup1->SetVisible(false);
  eCampo1 = new TComboBox(this);
  Place(eCampo1, ScrollBox1, "eCampo1", 38, 8, 173, 24);
  eCampo1->SetStyle(StdCtrls::TComboBoxStyle::csDropDownList);
  eCampo1->SetTag(1);
  eComparision1 = new TComboBox(this);
  Place(eComparision1, ScrollBox1, "eComparision1", 216, 8, 81, 24);
  eComparision1->SetStyle(StdCtrls::TComboBoxStyle::csDropDownList);
  eComparision1->SetTag(1);
  eComparision1->SetFont(kBold);
  eComparision1->SetDropDownCount(10);
  // A narrow arrow and padding leave the 81 pixels to the comparison's text.
  eComparision1->SetCompact(true);
  eValue1 = new Mask::TMaskEdit(this);
  Place(eValue1, ScrollBox1, "eValue1", 302, 8, 121, 24);
  eValue1->SetTag(1);
  eEGroup1 = new TEdit(this);
  Place(eEGroup1, ScrollBox1, "eEGroup1", 428, 8, 25, 24);
  eEGroup1->SetVisible(false);
  eOperation1 = new TComboBox(this);
  Place(eOperation1, ScrollBox1, "eOperation1", 458, 8, 60, 24);
  eOperation1->SetStyle(StdCtrls::TComboBoxStyle::csDropDownList);
  eOperation1->SetTag(1);
  eOperation1->SetFont(kBold);
  eOperation1->SetColor(Controls::clPaleYellow);

  eBGroup1->OnKeyPress = [this](TObject* S, char& K) { ChecaParentesis(S, K); };
  eEGroup1->OnKeyPress = [this](TObject* S, char& K) { ChecaParentesis(S, K); };
  eCampo1->OnChange = [this](TObject* S) { ChangeCampo(S); };
  eComparision1->OnChange = [this](TObject* S) { eComparision1Change(S); };
  eComparision1->OnDropDown = [this](TObject* S) { SetDropWidth(S); };
  eOperation1->OnChange = [this](TObject* S) { MudaOperation(S); };
}

// The chosen ordering on the left, the available columns on the right.
void TformFilter::BuildOrderingPage() {
  const std::string sourceHint = "Fields in the Source Table";
  Ordered = new StdCtrls::TListBox(this);
  Place(Ordered, TabSheet2, "Ordered", 0, 0, 260, 200);
  Ordered->SetAlign(Controls::TAlign::alLeft);
  Ordered->SetStyle(StdCtrls::TListBoxStyle::lbOwnerDrawFixed);
  Ordered->SetItemHeight(17);
  Ordered->SetDragMode(StdCtrls::TDragMode::dmAutomatic);
  Ordered->SetHint(sourceHint);
  Splitter1 = new ExtCtrls::TSplitter(this);
  Place(Splitter1, TabSheet2, "Splitter1", 260, 0, 3, 200);
  Ordem = new StdCtrls::TListBox(this);
  Place(Ordem, TabSheet2, "Ordem", 263, 0, 260, 200);
  Ordem->SetAlign(Controls::TAlign::alClient);
  Ordem->SetDragMode(StdCtrls::TDragMode::dmAutomatic);
  Ordem->SetHint(sourceHint);
  Ordered->OnDragOver = [this](TObject* S, TObject* Src, int X, int Y, StdCtrls::TDragState St, bool& A) {
    OrderedDragOver(S, Src, X, Y, St, A);
  };
  Ordered->OnDragDrop = [this](TObject* S, TObject* Src, int X, int Y) { OrderedDragDrop(S, Src, X, Y); };
  Ordered->OnKeyDown = [this](TObject* S, uint16_t& K, StdCtrls::TShiftState Sh) { OrderedKeyDown(S, K, Sh); };
  Ordem->OnKeyDown = [this](TObject* S, uint16_t& K, StdCtrls::TShiftState Sh) { OrdemKeyDown(S, K, Sh); };
  Ordered->OnDrawItem = [this](StdCtrls::TListBox* C, int I, const QRect& R, unsigned St) {
    OrderedDrawItem(C, I, R, St);
  };
}

void TformFilter::BuildDescriptionPage() {
  MemoDesc = new StdCtrls::TMemo(this);
  Place(MemoDesc, TabSheet3, "MemoDesc", 0, 0, 523, 200);
  MemoDesc->SetAlign(Controls::TAlign::alClient);
  MemoDesc->SetMaxLength(MaxDescriptionLength);
}

void TformFilter::BuildFileDialogs() {
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
}

void TformFilter::BindCommands() {
  btSee->OnClick = [this](TObject* S) { btSeeClick(S); };
  btParse->OnClick = [this](TObject* S) { MountSQL(S); };
  btCancel->OnClick = [this](TObject* S) { btCancelClick(S); };
  btConfirm->OnClick = [this](TObject* S) { btConfirmClick(S); };
  btClear->OnClick = [this](TObject* S) { ClearFilter(S); };
  btParenteses->OnClick = [this](TObject* S) { btParentesesClick(S); };
  btSaveFilter->OnClick = [this](TObject* S) { btSaveFilterClick(S); };
  btOpenFilter->OnClick = [this](TObject* S) { btOpenFilterClick(S); };
}

// Every command of the tool bar has a key; it presses the button, so the click's handler
// runs, through the event dispatch. The hints show the keys.
void TformFilter::BindShortcuts() {
  struct TKeyDef {
    Buttons::TSpeedButton* Button;
    QList<QKeySequence> Keys;
    const char* Text;
  };
  const TKeyDef keys[] = {
      {btConfirm, {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}, "Ctrl+Enter"},
      {btCancel, {QKeySequence(Qt::Key_Escape)}, "Esc"},
      {btSee, {QKeySequence(Qt::Key_F4)}, "F4"},
      {btParse, {QKeySequence(Qt::Key_F5)}, "F5"},
      {btClear, {QKeySequence(Qt::CTRL | Qt::Key_Delete)}, "Ctrl+Del"},
      {btParenteses, {QKeySequence(Qt::CTRL | Qt::Key_P)}, "Ctrl+P"},
      {btSaveFilter, {QKeySequence(Qt::CTRL | Qt::Key_S)}, "Ctrl+S"},
      {btOpenFilter, {QKeySequence(Qt::CTRL | Qt::Key_O)}, "Ctrl+O"},
  };
  for (const TKeyDef& k : keys) {
    auto* shortcut = new QShortcut(this);  // owned by the dialog (Qt's tree)
    shortcut->setKeys(k.Keys);
    shortcut->setContext(Qt::WindowShortcut);
    Buttons::TSpeedButton* button = k.Button;
    connect(shortcut, &QShortcut::activated, this, [button] { button->Click(); });
    FShortcutTexts[button] = k.Text;
  }
}

std::string TformFilter::ShortcutText(const Controls::TControl* Button) const {
  const auto found = FShortcutTexts.find(Button);
  return found == FShortcutTexts.end() ? std::string() : found->second;
}

std::string TformFilter::HintWithKey(const Controls::TControl* Button, const std::string& Hint) const {
  const std::string key = ShortcutText(Button);
  return key.empty() ? Hint : Hint + " (" + key + ")";
}

void TformFilter::keyPressEvent(QKeyEvent* Event) {
  // The dialog's own Enter would press a default button; the filter is accepted only
  // by its command.
  const bool enter = Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter;
  if (enter && !(Event->modifiers() & Qt::ControlModifier)) {
    Event->accept();
    return;
  }
  Forms::TForm::keyPressEvent(Event);
}

// What a screen reader reads for the controls without a caption; the criteria lines
// are named as they are made (NameLine).
void TformFilter::NameForScreenReaders() {
  const std::pair<Controls::TControl*, const char*> names[] = {
      {ToolPanel, "Tool bar"},
      {btSee, "Show or hide the SQL"},
      {btParse, "Rebuild the SQL"},
      {btCancel, "Cancel the filter"},
      {btConfirm, "Accept the filter"},
      {btClear, "Clear the criteria"},
      {btParenteses, "Show or hide the parentheses columns"},
      {btSaveFilter, "Save the filter to a file"},
      {btOpenFilter, "Open a filter file"},
      {PageControl1, "Filter pages"},
      {SQLPanel, "SQL panel"},
      {MemoSQL, "SQL condition built from the criteria"},
      {ScrollBox1, "Criteria lines"},
      {Ordered, "Ordering of the result, first key first"},
      {Splitter1, "Divider between the ordering lists"},
      {Ordem, "Columns available for the ordering"},
      {MemoDesc, "Description of the filter"},
  };
  for (const auto& [control, name] : names) Accessible::SetName(*control, name);
}

}  // namespace kytSQLFilterForm
