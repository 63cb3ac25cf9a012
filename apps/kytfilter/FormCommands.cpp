// kytfilter form show|fielddefs: form files of the filter components. fielddefs works
// the real field-definitions dialog, off-screen, through the property editor a form
// designer opens, so the catalogue it stores is the one a developer would get.
#include "apps/kytfilter/FormCommands.h"

#include <QRect>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "apps/kytfilter/CatalogueJson.h"
#include "apps/kytfilter/FormFile.h"
#include "apps/kytfilter/Offscreen.h"
#include "components/kytFilterBase.h"
#include "dataaccess/db/DBText.h"
#include "fielddefs/kytFieldDef.h"
#include "host/designer/DesignIntf.h"
#include "host/rtl/SysUtils.h"
#include "host/rtl/TypInfo.h"

namespace kytcli {

namespace {

using kytSQLFilterStruc::Campos;
using kytSQLFilterStruc::TCampo;
using kytSQLFilterStruc::TCampos;
using TypInfo::TPropInfo;
using TypInfo::TPropValue;
using TypInfo::TTypeKind;

const char* const kShowUsage = "kytfilter form show FILE [--json]";
const char* const kFieldDefsUsage =
    "kytfilter form fielddefs FILE COMPONENT [--refresh everything|descriptions,remove-old,add-new] "
    "[--allow TABLE.FIELD] [--remove TABLE.FIELD] [--move TABLE.FIELD POS] [--describe TABLE.FIELD=TEXT] "
    "[--out OUT]";

std::string Utf8(const std::string& Ansi) { return DB::AnsiToUtf8(Ansi); }

// ---- show: values as a form file writes them --------------------------------------------


std::string ElementName(const TPropInfo& P, int64_t Ordinal) {
  if (Ordinal >= 0 && static_cast<uint64_t>(Ordinal) < P.Elements.size()) return P.Elements[static_cast<size_t>(Ordinal)];
  return std::to_string(Ordinal);
}

std::vector<std::string> SetElements(const TPropInfo& P, int64_t Bits) {
  std::vector<std::string> out;
  for (int64_t bit = 0; bit < 64; ++bit)
    if ((static_cast<uint64_t>(Bits) >> bit) & 1u) out.push_back(ElementName(P, bit));
  return out;
}

std::string Indent(int Level) { return std::string(static_cast<size_t>(Level) * 2, ' '); }


std::string PropertyJson(const TPropInfo& P, const TPropValue& V) {
  auto list = [](const std::vector<std::string>& Items) {
    std::string out = "[";
    for (size_t i = 0; i < Items.size(); ++i) out += (i ? ", " : "") + JsonString(Items[i]);
    return out + "]";
  };
  switch (P.Kind) {
    case TTypeKind::tkBoolean: return V.Bool ? "true" : "false";
    case TTypeKind::tkInteger: return std::to_string(V.Int);
    case TTypeKind::tkChar: return JsonString(V.Str.substr(0, 1));
    case TTypeKind::tkString: return JsonString(V.Str);
    case TTypeKind::tkEnumeration: return JsonString(ElementName(P, V.Int));
    case TTypeKind::tkSet: return list(SetElements(P, V.Int));
    case TTypeKind::tkStrings: return list(V.Lines);
    case TTypeKind::tkComponent:
    case TTypeKind::tkMethod: return V.Str.empty() ? "null" : JsonString(V.Str);
  }
  return "null";
}

// The entries of Filter's field-definitions image; null when it has none. Raises
// Failure naming the component when the image cannot be read.
std::unique_ptr<TCampos> ImageEntries(const kytFilterBase::TkytCustomFilter& Filter) {
  if (Filter.Empty()) return nullptr;
  Classes::TMemoryStream image;
  Filter.SaveToStream(image);
  image.SetPosition(0);
  auto entries = std::make_unique<TCampos>();
  try {
    kytFilterBase::ReadFieldDefs(image, *entries);
  } catch (const SysUtils::Exception& e) {
    throw Failure("kytfilter: the field definitions of " + Utf8(Filter.Name()) + ": " + Utf8(e.Message()));
  }
  return entries;
}

std::string CampoText(const TCampo& C, int Level) {
  return Indent(Level) + Classes::QuoteString(C.TableName + C.FieldName) + ": comboOrder " + std::to_string(C.ComboOrder) +
         ", dataType " + DataTypeName(C.DataType) + ", maxSize " + std::to_string(C.MaxSize) + ", fieldKind " +
         FieldKindName(C.FieldKind) + ", description " + Classes::QuoteString(C.Description) + ", supported " +
         (C.Supported ? "True" : "False") + ", visible " + (C.Visible ? "True" : "False") + "\n";
}

void ShowText(const Classes::TComponent& C, int Level, std::string& Out) {
  Out += Indent(Level) + "object " + C.Name() + ": " + C.ClassName() + "\n";
  for (const TPropInfo* p : TypInfo::GetPropList(C.ClassName()))
    if (p->Get) Out += TypInfo::PropertyText(*p, p->Get(C), C, Level + 1) + "\n";
  if (const auto* filter = dynamic_cast<const kytFilterBase::TkytCustomFilter*>(&C)) {
    const std::unique_ptr<TCampos> entries = ImageEntries(*filter);
    if (!entries) {
      Out += Indent(Level + 1) + "Data = (no field definitions)\n";
    } else {
      Out += Indent(Level + 1) + "Data = " + std::to_string(entries->Count()) + " fields\n";
      for (int i = 0; i < entries->Count(); ++i) Out += CampoText(*entries->Get(i), Level + 2);
    }
  }
  for (int i = 0; i < C.ComponentCount(); ++i) ShowText(*C.Components(i), Level + 1, Out);
  Out += Indent(Level) + "end\n";
}

void ShowJson(const Classes::TComponent& C, std::string& Out) {
  Out += "{\"name\": " + JsonString(C.Name()) + ", \"class\": " + JsonString(C.ClassName()) + ", \"properties\": {";
  bool first = true;
  for (const TPropInfo* p : TypInfo::GetPropList(C.ClassName())) {
    if (!p->Get) continue;
    Out += (first ? "" : ", ") + JsonString(p->Name) + ": " + PropertyJson(*p, p->Get(C));
    first = false;
  }
  Out += "}";
  if (const auto* filter = dynamic_cast<const kytFilterBase::TkytCustomFilter*>(&C)) {
    const std::unique_ptr<TCampos> entries = ImageEntries(*filter);
    Out += ", \"fields\": ";
    if (!entries) {
      Out += "null";
    } else {
      Out += "[";
      for (int i = 0; i < entries->Count(); ++i) Out += (i ? ", " : "") + CampoJson(*entries->Get(i));
      Out += "]";
    }
  }
  Out += ", \"components\": [";
  for (int i = 0; i < C.ComponentCount(); ++i) {
    if (i) Out += ", ";
    ShowJson(*C.Components(i), Out);
  }
  Out += "]}";
}

int RunShow(const Args& args) {
  bool json = false;
  std::string file;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--json")
      json = true;
    else if (file.empty() && !args[i].empty() && args[i][0] != '-')
      file = args[i];
    else
      throw UsageError(kShowUsage);
  }
  if (file.empty()) throw UsageError(kShowUsage);

  // A TForm root is a window: it needs the application even when nothing is shown.
  TOffscreenApplication app;
  TConsoleHost host;
  const std::unique_ptr<Classes::TComponent> root = LoadForm(file);
  std::string out;
  if (json) {
    ShowJson(*root, out);
    out += "\n";
  } else {
    ShowText(*root, 0, out);
  }
  WriteOutput(out);
  return 0;
}

// ---- fielddefs: the operations ----------------------------------------------------------

struct TOperation {
  std::string Option;  // as given, for messages: "--allow ORDERS.TOTAL"
  enum { Refresh, Allow, Remove, Move, Describe } Kind = Refresh;
  std::string Field;  // TABLE.FIELD, Windows-1252
  int Position = 0;   // --move
  std::string Text;   // --describe, Windows-1252
  kytSQLFilterStruc::TRefreshTypeS Kinds;
};

struct TFieldDefsOptions {
  std::string File, Component, Out;
  std::vector<TOperation> Operations;
};

kytSQLFilterStruc::TRefreshTypeS ParseKinds(const std::string& List) {
  kytSQLFilterStruc::TRefreshTypeS kinds;
  size_t start = 0;
  for (;;) {
    const size_t comma = List.find(',', start);
    const std::string kind = List.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (kind == "everything") kinds.Include(kytSQLFilterStruc::rtEverything);
    else if (kind == "descriptions") kinds.Include(kytSQLFilterStruc::rtDescriptions);
    else if (kind == "remove-old") kinds.Include(kytSQLFilterStruc::rtRemoveOld);
    else if (kind == "add-new") kinds.Include(kytSQLFilterStruc::rtAddNew);
    else throw UsageError(kFieldDefsUsage);
    if (comma == std::string::npos) return kinds;
    start = comma + 1;
  }
}

int ParsePosition(const std::string& Text) {
  if (Text.empty() || Text.size() > 9) throw UsageError(kFieldDefsUsage);
  for (char c : Text)
    if (!std::isdigit(static_cast<unsigned char>(c))) throw UsageError(kFieldDefsUsage);
  return std::stoi(Text);
}

TFieldDefsOptions ParseFieldDefs(const Args& args) {
  TFieldDefsOptions o;
  std::vector<std::string> positional;
  bool hasOut = false;
  auto value = [&](size_t& i) -> const std::string& {
    if (i + 1 >= args.size() || args[i + 1].empty()) throw UsageError(kFieldDefsUsage);
    return args[++i];
  };
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    TOperation op;
    if (a == "--out") {
      if (hasOut) throw UsageError(kFieldDefsUsage);
      hasOut = true;
      o.Out = value(i);
      continue;
    }
    if (a == "--refresh") {
      op.Kind = TOperation::Refresh;
      op.Kinds = ParseKinds(value(i));
      op.Option = a + " " + args[i];
    } else if (a == "--allow" || a == "--remove") {
      op.Kind = a == "--allow" ? TOperation::Allow : TOperation::Remove;
      op.Field = ToAnsi(value(i), a);
      op.Option = a + " " + args[i];
    } else if (a == "--move") {
      op.Kind = TOperation::Move;
      op.Field = ToAnsi(value(i), a);
      op.Position = ParsePosition(value(i));
      op.Option = a + " " + args[i - 1] + " " + args[i];
    } else if (a == "--describe") {
      op.Kind = TOperation::Describe;
      const std::string& v = value(i);
      const size_t eq = v.find('=');
      if (eq == 0 || eq == std::string::npos) throw UsageError(kFieldDefsUsage);
      op.Field = ToAnsi(v.substr(0, eq), a);
      op.Text = ToAnsi(v.substr(eq + 1), a);
      op.Option = a + " " + v.substr(0, eq);
    } else if (!a.empty() && a[0] != '-' && positional.size() < 2) {
      positional.push_back(a);
      continue;
    } else {
      throw UsageError(kFieldDefsUsage);
    }
    o.Operations.push_back(std::move(op));
  }
  if (positional.size() != 2) throw UsageError(kFieldDefsUsage);
  o.File = positional[0];
  o.Component = ToAnsi(positional[1], "COMPONENT");
  if (!hasOut) o.Out = o.File;
  return o;
}

// Works the dialog as the developer would; each step returns what kept it from being
// done, or nothing.
class TDialogUser {
 public:
  TDialogUser(kytFieldDef::TformFDefs& Dialog, const TConsoleHost& Host) : FDialog(Dialog), FHost(Host) {}

  std::string Perform(const TOperation& Op) {
    const int boxes = FHost.Shown;
    std::string problem = Op.Kind == TOperation::Refresh ? Refresh(Op.Kinds) : OnField(Op);
    // A handler's error was shown as a box (on standard error already).
    if (problem.empty() && FHost.Shown > boxes) problem = "the dialog reported an error";
    return problem;
  }

 private:
  using TListBox = StdCtrls::TListBox;

  std::string Refresh(kytSQLFilterStruc::TRefreshTypeS Kinds) {
    FDialog.ckb1->SetChecked(Kinds.Contains(kytSQLFilterStruc::rtEverything));
    FDialog.ckb2->SetChecked(Kinds.Contains(kytSQLFilterStruc::rtDescriptions));
    FDialog.ckb3->SetChecked(Kinds.Contains(kytSQLFilterStruc::rtRemoveOld));
    FDialog.ckb4->SetChecked(Kinds.Contains(kytSQLFilterStruc::rtAddNew));
    FDialog.BitBtn3->Click();
    return "";
  }

  std::string OnField(const TOperation& Op) {
    // Looked up for every step: a refresh replaces entries.
    TCampo* campo = Find(Op.Field);
    if (campo == nullptr) return Utf8(Op.Field) + " is not among the fields of the component's field definitions";
    switch (Op.Kind) {
      case TOperation::Allow: return Allow(*campo, Op.Field);
      case TOperation::Remove: return Remove(*campo, Op.Field);
      case TOperation::Move: return Move(*campo, Op.Field, Op.Position);
      case TOperation::Describe: return Describe(*campo, Op.Field, Op.Text);
      case TOperation::Refresh: break;
    }
    return "";
  }

  // The entry whose table and field name make TableField, without regard to letter case.
  static TCampo* Find(const std::string& TableField) {
    if (!Campos) return nullptr;
    for (int i = 0; i < Campos->Count(); ++i) {
      TCampo* c = Campos->Get(i);
      if (SysUtils::AnsiSameText(c->TableName + c->FieldName, TableField)) return c;
    }
    return nullptr;
  }

  int AllowedIndex(const TCampo& Campo) const { return FDialog.fieldList->Items()->IndexOfObject(&Campo); }

  // Chooses the entry's table on the Available Fields page and clicks the entry there.
  bool ClickAvailable(TCampo& Campo) {
    const int table = FDialog.cbTables->Items()->IndexOf(Campo.TableName);
    if (table < 0) return false;
    FDialog.cbTables->UserSelect(table);
    const int index = FDialog.lsAvaiFields->Items()->IndexOfObject(&Campo);
    if (index < 0) return false;
    FDialog.lsAvaiFields->ClickItem(index);
    return true;
  }

  // Where the mouse lets go: on item Index, or below the last item for the item count.
  // The item rectangles are Qt's: the host list has no twin for them.
  static QPoint DropPoint(const TListBox& List, int Index) {
    if (List.count() == 0) return {5, 5};
    if (Index < List.count()) return List.visualItemRect(List.item(Index)).center();
    const QRect last = List.visualItemRect(List.item(List.count() - 1));
    return {last.center().x(), last.bottom() + 2};
  }

  std::string Allow(TCampo& Campo, const std::string& Name) {
    if (Campo.Visible) return Utf8(Name) + " is already allowed";
    if (!ClickAvailable(Campo)) return "the dialog does not offer " + Utf8(Name) + " (a type the filter cannot use)";
    TListBox& allowed = *FDialog.fieldList;
    const QPoint at = DropPoint(allowed, allowed.count());
    allowed.DropFrom(FDialog.lsAvaiFields, at.x(), at.y());
    if (!Campo.Visible || AllowedIndex(Campo) != allowed.count() - 1) return Utf8(Name) + " was not added";
    return "";
  }

  std::string Remove(TCampo& Campo, const std::string& Name) {
    const int index = AllowedIndex(Campo);
    if (index < 0) return Utf8(Name) + " is not an allowed field";
    FDialog.fieldList->ClickItem(index);
    FDialog.fieldList->KeyUp(StdCtrls::VK_DELETE, 0);
    if (Campo.Visible || AllowedIndex(Campo) >= 0) return Utf8(Name) + " was not removed";
    return "";
  }

  std::string Move(TCampo& Campo, const std::string& Name, int Position) {
    const int index = AllowedIndex(Campo);
    if (index < 0) return Utf8(Name) + " is not an allowed field";
    TListBox& allowed = *FDialog.fieldList;
    if (Position >= allowed.count())
      return "position " + std::to_string(Position) + " is past the allowed fields (0 to " +
             std::to_string(allowed.count() - 1) + ")";
    allowed.ClickItem(index);
    const QPoint at = DropPoint(allowed, Position);
    allowed.DropFrom(&allowed, at.x(), at.y());
    if (AllowedIndex(Campo) != Position) return Utf8(Name) + " did not move to position " + std::to_string(Position);
    return "";
  }

  std::string Describe(TCampo& Campo, const std::string& Name, const std::string& Text) {
    const int index = AllowedIndex(Campo);
    if (index >= 0)
      FDialog.fieldList->ClickItem(index);
    else if (!ClickAvailable(Campo))
      return "the dialog does not offer " + Utf8(Name);
    StdCtrls::TEdit& edit = *FDialog.edFieldDesc;
    // The old description is erased key by key, then the new one typed.
    edit.TypeText(std::string(edit.Text().size(), '\b') + Text);
    edit.DoExit();
    if (Campo.Description != Text) return "the description of " + Utf8(Name) + " could not be typed in full";
    return "";
  }

  kytFieldDef::TformFDefs& FDialog;
  const TConsoleHost& FHost;
};

int RunFieldDefs(const Args& args) {
  const TFieldDefsOptions o = ParseFieldDefs(args);
  TOffscreenApplication app;
  TConsoleHost host;
  const std::unique_ptr<Classes::TComponent> root = LoadForm(o.File);
  kytFilterBase::TkytCustomFilter& filter = FindFilter(*root, o.Component, o.File);
  // The editor builds the catalogue from the query and refreshes it from there: open it
  // first, so that a query that cannot be opened is reported with the engine's reason.
  OpenQuery(LinkedQuery(filter, o.File));
  DesignIntf::TCountingDesigner designer;
  const std::unique_ptr<DesignIntf::TPropertyEditor> editor =
      DesignIntf::CreatePropertyEditor(designer, filter, "FilterFieldDefs");
  if (!editor) throw Failure("kytfilter: " + Utf8(o.Component) + " has no field definitions editor");

  std::string problem;
  host.Modal.push_back([&](Forms::TForm& Form) {
    auto* dialog = dynamic_cast<kytFieldDef::TformFDefs*>(&Form);
    if (dialog == nullptr) return;
    TDialogUser user(*dialog, host);
    for (const TOperation& op : o.Operations) {
      problem = user.Perform(op);
      if (!problem.empty()) {
        problem = op.Option + ": " + problem;
        return;  // the host closes the dialog with Cancel
      }
    }
    dialog->BitBtn1->Click();
  });

  try {
    editor->Edit();
  } catch (const SysUtils::EAbort&) {
    // Ended after a message box (no DataSet, the query cannot be opened), already written.
  }
  if (!problem.empty()) throw Failure("kytfilter: " + problem);
  if (designer.ModifiedCount() == 0) {
    if (host.TimedOut > 0) throw Failure("kytfilter: the field-definitions dialog did not close");
    if (host.Shown == 0) throw Failure("kytfilter: the field definitions were not changed");
    return 1;
  }
  SaveForm(*root, o.Out);
  return 0;
}

}  // namespace

int RunForm(const Args& args) {
  if (args.empty()) throw UsageError(std::string(kShowUsage) + " | " + kFieldDefsUsage);
  try {
    if (args[0] == "show") return RunShow(args);
    if (args[0] == "fielddefs") return RunFieldDefs(args);
  } catch (const SysUtils::EAbort&) {
    return 1;  // after a message box, already written
  } catch (const SysUtils::Exception& e) {
    throw Failure("kytfilter: " + Utf8(e.Message()));
  }
  throw UsageError(std::string(kShowUsage) + " | " + kFieldDefsUsage);
}

}  // namespace kytcli
