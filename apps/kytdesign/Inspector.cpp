#include "apps/kytdesign/Inspector.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "apps/kytdesign/DesignDocument.h"
#include "apps/kytdesign/StringsDialog.h"
#include "host/rtl/SysUtils.h"
#include "host/ui/AnsiText.h"
#include "host/ui/Controls.h"
#include "host/ui/Dialogs.h"

namespace Inspector {

using TypInfo::TPropInfo;
using TypInfo::TPropValue;
using TypInfo::TTypeKind;

namespace {

constexpr int kRowHeight = 24;
constexpr int kNameColumnWidth = 150;
const char* const kNone = "(none)";

QString Q(const std::string& S) { return AnsiText::ToQString(S); }

std::string SetText(const TPropInfo& Prop, int64_t Bits) {
  std::string text = "[";
  for (size_t i = 0; i < Prop.Elements.size(); ++i) {
    if (!(Bits & (int64_t{1} << i))) continue;
    if (text.size() > 1) text += ",";
    text += Prop.Elements[i];
  }
  return text + "]";
}

QLineEdit* NewLineEdit() {
  auto* edit = new QLineEdit;
  edit->setFrame(false);
  return edit;
}

}  // namespace

// One row of the table: a property (or the name, or one element of a set) and the
// widget that shows and edits its value.
struct TInspector::TRow {
  std::string Key;  // "Name", the property's name, or "Set.element"
  const TPropInfo* Prop = nullptr;
  int Element = -1;        // for an element row of a set
  QWidget* Editor = nullptr;  // owned by the table
  QLabel* Text = nullptr;     // the shown value of a dialog cell or a set's row
  std::unique_ptr<DesignIntf::TPropertyEditor> PropEditor;
};

TInspector::TInspector(DesignDocument::TDesignDocument& Document, QWidget* Parent)
    : QWidget(Parent), FDocument(Document) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  FHeader = new QLabel;
  FHeader->setContentsMargins(6, 4, 6, 4);
  FHeader->setStyleSheet(QStringLiteral("QLabel { background: #E4E8EE; border-bottom: 1px solid #B8C0CC; }"));
  column->addWidget(FHeader);
  FTable = new QTableWidget(0, 2);
  FTable->setObjectName(QStringLiteral("Properties"));
  FTable->setAccessibleName(QStringLiteral("Properties"));
  FTable->setHorizontalHeaderLabels({QStringLiteral("Property"), QStringLiteral("Value")});
  FTable->verticalHeader()->hide();
  FTable->verticalHeader()->setDefaultSectionSize(kRowHeight);
  FTable->horizontalHeader()->setStretchLastSection(true);
  FTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
  FTable->setColumnWidth(0, kNameColumnWidth);
  FTable->setSelectionMode(QAbstractItemView::NoSelection);
  FTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FTable->setAlternatingRowColors(true);
  FTable->setShowGrid(true);
  FTable->setGridStyle(Qt::DotLine);
  column->addWidget(FTable, 1);
}

TInspector::~TInspector() = default;

Classes::TComponent& TInspector::Inspected() const { return FComponent ? *FComponent : FDocument.Root(); }

void TInspector::Inspect(Classes::TComponent* Component) {
  FComponent = Component;
  FRows.clear();
  FTable->clearContents();
  FTable->setRowCount(0);
  Classes::TComponent& shown = Inspected();
  FHeader->setText(QStringLiteral("<b>%1</b>: %2").arg(Q(shown.Name()).toHtmlEscaped(), Q(shown.ClassName())));
  AddNameRow();
  for (const TPropInfo* prop : TypInfo::GetPropList(shown.ClassName())) AddPropertyRow(*prop);
  Reload();
}

int TInspector::NewRow(const std::string& Key, const QString& Caption, QWidget* Editor, int Indent) {
  const int row = FTable->rowCount();
  FTable->insertRow(row);
  auto* name = new QTableWidgetItem(QString(Indent * 4, QLatin1Char(' ')) + Caption);
  name->setFlags(Qt::ItemIsEnabled);
  FTable->setItem(row, 0, name);
  if (Editor) {
    Editor->setAccessibleName(Q(Key));
    FTable->setCellWidget(row, 1, Editor);
  }
  return row;
}

void TInspector::AddNameRow() {
  auto row = std::make_unique<TRow>();
  row->Key = "Name";
  auto* edit = NewLineEdit();
  connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
    std::string name;
    if (!AnsiText::FromQString(edit->text(), name) || name == Inspected().Name()) return;
    Rename(name);
  });
  row->Editor = edit;
  NewRow(row->Key, QStringLiteral("Name"), edit, 0);
  FRows.push_back(std::move(row));
}

void TInspector::AddPropertyRow(const TPropInfo& Prop) {
  auto row = std::make_unique<TRow>();
  row->Key = Prop.Name;
  row->Prop = &Prop;
  row->PropEditor = DesignIntf::CreatePropertyEditor(FDocument, Inspected(), Prop.Name);
  if (row->PropEditor) {
    const bool dialog = row->PropEditor->GetAttributes().Contains(DesignIntf::TPropertyAttribute::paDialog);
    row->Editor = dialog ? DialogCell(QString(), Prop.Name) : new QLabel;
    row->Text = dialog ? row->Editor->findChild<QLabel*>() : static_cast<QLabel*>(row->Editor);
  } else if (Prop.Kind == TTypeKind::tkStrings) {
    row->Editor = DialogCell(QString(), Prop.Name);
    row->Text = row->Editor->findChild<QLabel*>();
  } else if (Prop.Kind == TTypeKind::tkSet) {
    row->Text = new QLabel;
    row->Editor = row->Text;
  } else {
    row->Editor = InPlaceEditor(*row);
  }
  if (row->Text) row->Text->setContentsMargins(4, 0, 0, 0);
  NewRow(row->Key, Q(Prop.Name), row->Editor, 0);
  FRows.push_back(std::move(row));
  if (Prop.Kind == TTypeKind::tkSet && !FRows.back()->PropEditor) AddSetRows(Prop);
}

void TInspector::AddSetRows(const TPropInfo& Prop) {
  for (size_t i = 0; i < Prop.Elements.size(); ++i) {
    auto row = std::make_unique<TRow>();
    row->Key = Prop.Name + "." + Prop.Elements[i];
    row->Prop = &Prop;
    row->Element = static_cast<int>(i);
    auto* box = new QCheckBox;
    const int64_t bit = int64_t{1} << i;
    connect(box, &QCheckBox::clicked, this, [this, &Prop, bit](bool On) {
      TPropValue value = Prop.Get(Inspected());
      value.Int = On ? (value.Int | bit) : (value.Int & ~bit);
      SetValue(Prop.Name, value);
    });
    row->Editor = box;
    NewRow(row->Key, Q(Prop.Elements[i]), box, 1);
    FRows.push_back(std::move(row));
  }
}

QWidget* TInspector::DialogCell(const QString& Text, const std::string& Name) {
  auto* cell = new QWidget;
  auto* line = new QHBoxLayout(cell);
  line->setContentsMargins(0, 0, 0, 0);
  line->setSpacing(0);
  auto* label = new QLabel(Text);
  line->addWidget(label, 1);
  auto* ellipsis = new QToolButton;
  ellipsis->setText(QStringLiteral("..."));
  ellipsis->setAccessibleName(Q(Name + " editor"));
  ellipsis->setFixedWidth(kRowHeight);
  connect(ellipsis, &QToolButton::clicked, this, [this, Name] { EditDialog(Name); });
  line->addWidget(ellipsis);
  return cell;
}

QWidget* TInspector::InPlaceEditor(TRow& Row) {
  const TPropInfo& prop = *Row.Prop;
  switch (prop.Kind) {
    case TTypeKind::tkBoolean: {
      auto* box = new QCheckBox;
      connect(box, &QCheckBox::clicked, this, [this, &prop](bool On) {
        TPropValue value = TypInfo::MakeValue(TTypeKind::tkBoolean);
        value.Bool = On;
        SetValue(prop.Name, value);
      });
      return box;
    }
    case TTypeKind::tkEnumeration: {
      auto* combo = new QComboBox;
      for (const std::string& element : prop.Elements) combo->addItem(Q(element));
      connect(combo, &QComboBox::activated, this, [this, &prop](int Index) {
        TPropValue value = TypInfo::MakeValue(TTypeKind::tkEnumeration);
        value.Int = Index;
        SetValue(prop.Name, value);
      });
      return combo;
    }
    case TTypeKind::tkComponent:
      return ComponentEditor(prop);
    case TTypeKind::tkMethod: {
      // A handler is code of the application: its name is shown, not edited, since a
      // name without code would make the form file unreadable.
      auto* edit = NewLineEdit();
      edit->setReadOnly(true);
      edit->setStyleSheet(QStringLiteral("QLineEdit { color: #707070; }"));
      edit->setToolTip(QStringLiteral("Event handlers are written in the application's code."));
      return edit;
    }
    default: {
      auto* edit = NewLineEdit();
      connect(edit, &QLineEdit::editingFinished, this, [this, edit, &prop] { CommitText(prop, edit->text()); });
      return edit;
    }
  }
}

QWidget* TInspector::ComponentEditor(const TPropInfo& Prop) {
  auto* combo = new QComboBox;
  combo->addItem(QString::fromLatin1(kNone), QVariant::fromValue<quintptr>(0));
  for (Classes::TComponent* c : Candidates(Prop))
    combo->addItem(Q(c->Name()), QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(c)));
  connect(combo, &QComboBox::activated, this, [this, combo, &Prop](int Index) {
    TPropValue value = TypInfo::MakeValue(TTypeKind::tkComponent);
    value.Component = reinterpret_cast<Classes::TComponent*>(combo->itemData(Index).value<quintptr>());
    if (value.Component) value.Str = value.Component->Name();
    SetValue(Prop.Name, value);
  });
  return combo;
}

std::vector<Classes::TComponent*> TInspector::Candidates(const TPropInfo& Prop) {
  // The property table does not say which class a reference takes; its setter refuses
  // a component of another class. So each component of the form is tried, and the
  // value there before is put back.
  Classes::TComponent& inspected = Inspected();
  std::vector<Classes::TComponent*> out;
  const TPropValue original = Prop.Get(inspected);
  for (Classes::TComponent* c : FDocument.Components()) {
    if (c == &inspected) continue;
    TPropValue probe = TypInfo::MakeValue(TTypeKind::tkComponent);
    probe.Component = c;
    probe.Str = c->Name();
    try {
      Prop.Set(inspected, probe);
      out.push_back(c);
    } catch (const std::exception&) {
    }
  }
  try {
    Prop.Set(inspected, original);
  } catch (const std::exception&) {
  }
  return out;
}

void TInspector::Reload() {
  Classes::TComponent& shown = Inspected();
  for (const std::unique_ptr<TRow>& row : FRows) ShowValue(*row);
  FHeader->setText(QStringLiteral("<b>%1</b>: %2").arg(Q(shown.Name()).toHtmlEscaped(), Q(shown.ClassName())));
}

void TInspector::ShowValue(TRow& Row) {
  Classes::TComponent& shown = Inspected();
  QSignalBlocker block(Row.Editor);
  if (!Row.Prop) {
    static_cast<QLineEdit*>(Row.Editor)->setText(Q(shown.Name()));
    return;
  }
  if (Row.PropEditor) {
    Row.Text->setText(Q(Row.PropEditor->GetValue()));
    return;
  }
  const TPropValue value = Row.Prop->Get(shown);
  if (Row.Element >= 0) {
    static_cast<QCheckBox*>(Row.Editor)->setChecked((value.Int & (int64_t{1} << Row.Element)) != 0);
    return;
  }
  switch (Row.Prop->Kind) {
    case TTypeKind::tkBoolean: {
      auto* box = static_cast<QCheckBox*>(Row.Editor);
      box->setChecked(value.Bool);
      box->setText(value.Bool ? QStringLiteral("True") : QStringLiteral("False"));
      break;
    }
    case TTypeKind::tkEnumeration:
      static_cast<QComboBox*>(Row.Editor)->setCurrentIndex(static_cast<int>(value.Int));
      break;
    case TTypeKind::tkComponent: {
      auto* combo = static_cast<QComboBox*>(Row.Editor);
      const int at = combo->findData(QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(value.Component)));
      combo->setCurrentIndex(at < 0 ? 0 : at);
      break;
    }
    case TTypeKind::tkSet:
      Row.Text->setText(Q(SetText(*Row.Prop, value.Int)));
      break;
    case TTypeKind::tkStrings:
      Row.Text->setText(QStringLiteral("(TStrings) %1 line(s)").arg(value.Lines.size()));
      break;
    case TTypeKind::tkInteger:
      static_cast<QLineEdit*>(Row.Editor)->setText(QString::number(value.Int));
      break;
    default:
      static_cast<QLineEdit*>(Row.Editor)->setText(Q(value.Str));
      break;
  }
}

bool TInspector::Commit(const std::function<void()>& Change) {
  // A message box takes the focus, which ends the line edit's editing a second time.
  if (FCommitting) return false;
  FCommitting = true;
  bool accepted = false;
  Controls::Dispatch([&] {
    Change();
    accepted = true;
  });
  FCommitting = false;
  if (accepted) FDocument.Modified();
  Reload();
  return accepted;
}

bool TInspector::SetValue(const std::string& Name, const TPropValue& Value) {
  Classes::TComponent& shown = Inspected();
  const TPropInfo* prop = TypInfo::GetPropInfo(shown.ClassName(), Name);
  if (!prop) return false;
  return Commit([&] { prop->Set(shown, Value); });
}

void TInspector::CommitText(const TPropInfo& Prop, const QString& Text) {
  if (FCommitting) return;
  // A text the property cannot take is refused here, before the component sees it.
  auto refuse = [this](const std::string& Why) {
    FCommitting = true;
    Dialogs::MessageDlg(Why, Dialogs::TMsgDlgType::mtError, Dialogs::mbOKOnly, 0);
    FCommitting = false;
    Reload();
  };
  std::string text;
  if (!AnsiText::FromQString(Text, text)) return refuse("The text holds a character that Windows-1252 cannot represent.");
  const TPropValue old = Prop.Get(Inspected());
  TPropValue value = TypInfo::MakeValue(Prop.Kind);
  if (Prop.Kind == TTypeKind::tkInteger) {
    try {
      value.Int = SysUtils::StrToInt(text);
    } catch (const SysUtils::Exception& e) {
      return refuse(e.Message());
    }
    if (value.Int == old.Int) return;
  } else {
    if (text == old.Str) return;
    if (Prop.Kind == TTypeKind::tkChar && text.size() != 1)
      return refuse("A character property takes exactly one character.");
    value.Str = text;
  }
  SetValue(Prop.Name, value);
}

bool TInspector::Rename(const std::string& NewName) {
  Classes::TComponent& shown = Inspected();
  const bool renamed = Commit([&] { shown.SetName(NewName); });
  if (renamed && OnRenamed) OnRenamed();
  return renamed;
}

void TInspector::EditDialog(const std::string& Name) {
  TRow* row = FindRow(Name);
  if (!row || !row->Prop) return;
  if (row->PropEditor) {
    DesignIntf::TPropertyEditor& editor = *row->PropEditor;
    // The editor tells the document itself (Modified) when it changed the component.
    Controls::Dispatch([&] { editor.Edit(); });
    Reload();
    return;
  }
  if (row->Prop->Kind != TTypeKind::tkStrings) return;
  TPropValue value = row->Prop->Get(Inspected());
  const std::vector<std::string> before = value.Lines;
  if (!StringsDialog::EditStrings(Inspected().Name() + "." + Name, value.Lines) || value.Lines == before) return;
  SetValue(Name, value);
}

TInspector::TRow* TInspector::FindRow(const std::string& Key) const {
  for (const std::unique_ptr<TRow>& row : FRows)
    if (SysUtils::AnsiSameText(row->Key, Key)) return row.get();
  return nullptr;
}

QWidget* TInspector::Editor(const std::string& Name) const {
  TRow* row = FindRow(Name);
  return row ? row->Editor : nullptr;
}

std::string TInspector::ValueText(const std::string& Name) const {
  TRow* row = FindRow(Name);
  if (!row) return "";
  QString text;
  if (row->Text) text = row->Text->text();
  else if (auto* edit = qobject_cast<QLineEdit*>(row->Editor)) text = edit->text();
  else if (auto* combo = qobject_cast<QComboBox*>(row->Editor)) text = combo->currentText();
  else if (auto* box = qobject_cast<QCheckBox*>(row->Editor)) text = box->isChecked() ? "True" : "False";
  std::string out;
  AnsiText::FromQString(text, out);
  return out;
}

}  // namespace Inspector
