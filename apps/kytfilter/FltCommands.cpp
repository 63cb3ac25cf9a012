// kytfilter flt show|make|where and sql tables: filter files and table discovery of
// the filter model; flt where runs the filter dialog off-screen.
#include "apps/kytfilter/FltCommands.h"

#include "apps/kytfilter/CatalogueJson.h"

#include <QApplication>
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

#include "filterdialog/kytSQLFilterForm.h"
#include "filtermodel/kytSQLFilterStruc.h"
#include "host/ui/Dialogs.h"

namespace kytcli {

namespace {

using namespace kytSQLFilterStruc;

// A command-line run has no window: boxes are kept and become part of the failure
// message, so nothing but the result or the one failure line is printed.
class QuietHost : public Dialogs::TUIHost {
 public:
  QuietHost() { Dialogs::SetUIHost(this); }
  ~QuietHost() override { Dialogs::SetUIHost(nullptr); }
  int MessageDlg(const std::string& Msg, Dialogs::TMsgDlgType, unsigned, int) override {
    Last = Msg;
    return Dialogs::mrOk;
  }
  void ShowMessage(const std::string& Msg) override { Last = Msg; }
  void Beep() override {}
  // The file dialog chooses File, when set.
  bool FileDialog(Dialogs::TOpenDialog& Dialog) override {
    if (File.empty()) return false;
    Dialog.FileName = File;
    return true;
  }
  std::string Last;
  std::string File;
};

std::string FailureText(const QuietHost& Host, const std::string& What, const std::string& Error) {
  std::string text = "kytfilter: " + What + ": ";
  if (!Host.Last.empty()) text += Host.Last + " ";
  return text + Error;
}

// ---- show ------------------------------------------------------------------------------

// A text in single quotes, an inner quote doubled.
std::string Quoted(const std::string& S) {
  std::string out = "'";
  for (char c : S) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

struct TLoaded {
  std::string Description;
  FilterArray Records;
  Classes::TStringList Ordering;
};

void Load(const std::string& File, TLoaded& Out) {
  QuietHost host;
  try {
    ReadFilter(File, Out.Records, Out.Ordering);
  } catch (const SysUtils::Exception& e) {
    throw Failure(FailureText(host, "cannot read " + File, e.Message()));
  }
  Out.Description = FH.GetDescription();
}

std::string ShowText(const TLoaded& F) {
  std::string out = "description: " + Quoted(F.Description) + "\n";
  out += "criteria: " + std::to_string(F.Records.size()) + "\n";
  for (size_t i = 0; i < F.Records.size(); ++i) {
    const FilterRec& r = F.Records[i];
    out += "  " + std::to_string(i + 1) + ": beginGroup " + Quoted(r.BeginGroup.Str()) +
           " fieldName " + Quoted(r.FieldName.Str()) + " tableName " + Quoted(r.TableName.Str()) +
           " operator " + Quoted(r.Operator.Str()) + " value " + Quoted(r.Value.Str()) +
           " endGroup " + Quoted(r.EndGroup.Str()) + " operation " + std::to_string(r.Operation) +
           "\n";
  }
  out += "ordering: " + std::to_string(F.Ordering.Count()) + "\n";
  for (int i = 0; i < F.Ordering.Count(); ++i) out += "  " + Quoted(F.Ordering.Get(i)) + "\n";
  return out;
}

std::string ShowJson(const TLoaded& F) {
  std::string out = "{\"description\": " + JsonString(F.Description) + ", \"criteria\": [";
  for (size_t i = 0; i < F.Records.size(); ++i) {
    const FilterRec& r = F.Records[i];
    if (i) out += ", ";
    out += "{\"beginGroup\": " + JsonString(r.BeginGroup.Str()) +
           ", \"fieldName\": " + JsonString(r.FieldName.Str()) +
           ", \"tableName\": " + JsonString(r.TableName.Str()) +
           ", \"operator\": " + JsonString(r.Operator.Str()) +
           ", \"value\": " + JsonString(r.Value.Str()) +
           ", \"endGroup\": " + JsonString(r.EndGroup.Str()) +
           ", \"operation\": " + std::to_string(r.Operation) + "}";
  }
  out += "], \"ordering\": [";
  for (int i = 0; i < F.Ordering.Count(); ++i) {
    if (i) out += ", ";
    out += JsonString(F.Ordering.Get(i));
  }
  return out + "]}\n";
}

// ---- make ------------------------------------------------------------------------------

[[noreturn]] void Unfit(const std::string& Key, const std::string& Why) {
  throw Failure("kytfilter: key '" + Key + "': " + Why);
}

QJsonValue Member(const QJsonObject& Obj, const char* Name, const std::string& Key) {
  const QJsonValue v = Obj.value(QString::fromLatin1(Name));
  if (v.isUndefined()) Unfit(Key, "missing");
  return v;
}

std::string Text(const QJsonValue& V, const std::string& Key, size_t Max) {
  if (!V.isString()) Unfit(Key, "not a string");
  const QByteArray utf8 = V.toString().toUtf8();
  const std::string out = ToAnsi(std::string(utf8.constData(), static_cast<size_t>(utf8.size())), "key '" + Key + "'");
  if (out.size() > Max) Unfit(Key, "longer than " + std::to_string(Max) + " characters");
  return out;
}

void ParseJson(const std::string& Json, std::string& Description, FilterArray& Records,
           Classes::TStrings& Ordering) {
  QJsonParseError err{};
  const QJsonDocument doc =
      QJsonDocument::fromJson(QByteArray(Json.data(), static_cast<qsizetype>(Json.size())), &err);
  if (err.error != QJsonParseError::NoError)
    throw Failure("kytfilter: not JSON: " + err.errorString().toStdString() + " at offset " +
                  std::to_string(err.offset));
  if (!doc.isObject()) Unfit("(top)", "not an object");
  const QJsonObject top = doc.object();
  Description = Text(Member(top, "description", "description"), "description", 1024);
  // The file ends the description at its first zero byte: the rest would be lost.
  if (Description.find('\0') != std::string::npos) Unfit("description", "holds the character U+0000");

  const QJsonValue crit = Member(top, "criteria", "criteria");
  if (!crit.isArray()) Unfit("criteria", "not an array");
  const QJsonArray lines = crit.toArray();
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const std::string at = "criteria[" + std::to_string(i) + "]";
    if (!lines[i].isObject()) Unfit(at, "not an object");
    const QJsonObject line = lines[i].toObject();
    FilterRec r{};
    struct Field {
      const char* Name;
      TShortText FilterRec::*Member;
    };
    static const Field kFields[] = {
        {"beginGroup", &FilterRec::BeginGroup}, {"fieldName", &FilterRec::FieldName},
        {"tableName", &FilterRec::TableName},   {"operator", &FilterRec::Operator},
        {"value", &FilterRec::Value},           {"endGroup", &FilterRec::EndGroup},
    };
    for (const Field& f : kFields) {
      const std::string key = at + "." + f.Name;
      (r.*f.Member).Set(Text(Member(line, f.Name, key), key, 255));
    }
    const std::string opKey = at + ".operation";
    const QJsonValue op = Member(line, "operation", opKey);
    const double d = op.isDouble() ? op.toDouble() : 0.5;
    if (!op.isDouble() || d != std::floor(d) || d < std::numeric_limits<int32_t>::min() ||
        d > std::numeric_limits<int32_t>::max())
      Unfit(opKey, "not a 32-bit integer");
    r.Operation = static_cast<int32_t>(d);
    Records.push_back(r);
  }

  const QJsonValue ord = Member(top, "ordering", "ordering");
  if (!ord.isArray()) Unfit("ordering", "not an array");
  const QJsonArray entries = ord.toArray();
  for (qsizetype i = 0; i < entries.size(); ++i) {
    const std::string key = "ordering[" + std::to_string(i) + "]";
    Ordering.Add(Text(entries[i], key, OrderTextMax));
  }
}

// ---- where ----------------------------------------------------------------------------

struct TWhereOptions {
  std::string File, Fields;
  bool CaseSensitive = false;
  char Quote = '\'';
  std::string SQLDateFormat = "mm/dd/yyyy";
  std::string DateFormat = "mm/dd/yyyy";
  TSpecialOperators Special{opStartingWith, opContains};
  std::string ConstWhere;
};

const char* const kWhereUsage =
    "kytfilter flt where FILE --fields FIELDS.json [--case-sensitive] [--quote C] "
    "[--sql-date-format F] [--date-format F] [--special none|starting|containing|both] "
    "[--const-where TEXT]";

TWhereOptions ParseWhere(const Args& args) {
  TWhereOptions o;
  auto value = [&](size_t& i) -> const std::string& {
    if (i + 1 >= args.size()) throw UsageError(kWhereUsage);
    return args[++i];
  };
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--fields") {
      o.Fields = value(i);
    } else if (a == "--case-sensitive") {
      o.CaseSensitive = true;
    } else if (a == "--quote") {
      const std::string q = ToAnsi(value(i), a);
      if (q.size() != 1) throw UsageError(kWhereUsage);
      o.Quote = q[0];
    } else if (a == "--sql-date-format") {
      o.SQLDateFormat = ToAnsi(value(i), a);
    } else if (a == "--date-format") {
      o.DateFormat = ToAnsi(value(i), a);
    } else if (a == "--special") {
      const std::string& v = value(i);
      if (v == "none") o.Special = {};
      else if (v == "starting") o.Special = {opStartingWith};
      else if (v == "containing") o.Special = {opContains};
      else if (v == "both") o.Special = {opStartingWith, opContains};
      else throw UsageError(kWhereUsage);
    } else if (a == "--const-where") {
      o.ConstWhere = ToAnsi(value(i), a);
    } else if (o.File.empty() && !a.empty() && a[0] != '-') {
      o.File = a;
    } else {
      throw UsageError(kWhereUsage);
    }
  }
  if (o.File.empty() || o.Fields.empty()) throw UsageError(kWhereUsage);
  return o;
}

template <class E, size_t N>
E Named(const QJsonValue& V, const std::string& Key, const char* const (&Names)[N]) {
  const std::string name = Text(V, Key, 64);
  for (size_t i = 0; i < N; ++i)
    if (name == Names[i]) return static_cast<E>(i);
  Unfit(Key, "unknown name '" + name + "'");
}

int32_t Int32(const QJsonValue& V, const std::string& Key) {
  const double d = V.isDouble() ? V.toDouble() : 0.5;
  if (!V.isDouble() || d != std::floor(d) || d < std::numeric_limits<int32_t>::min() ||
      d > std::numeric_limits<int32_t>::max())
    Unfit(Key, "not a 32-bit integer");
  return static_cast<int32_t>(d);
}

bool Bool(const QJsonValue& V, const std::string& Key) {
  if (!V.isBool()) Unfit(Key, "not true or false");
  return V.toBool();
}

// The field catalogue of a JSON array of entries with the nine fields of TCampo.
std::unique_ptr<TCampos> ParseFields(const std::string& Json) {
  QJsonParseError err{};
  const QJsonDocument doc =
      QJsonDocument::fromJson(QByteArray(Json.data(), static_cast<qsizetype>(Json.size())), &err);
  if (err.error != QJsonParseError::NoError)
    throw Failure("kytfilter: fields: not JSON: " + err.errorString().toStdString() + " at offset " +
                  std::to_string(err.offset));
  if (!doc.isArray()) Unfit("(top)", "not an array of fields");
  auto campos = std::make_unique<TCampos>();
  const QJsonArray entries = doc.array();
  for (qsizetype i = 0; i < entries.size(); ++i) {
    const std::string at = "[" + std::to_string(i) + "]";
    if (!entries[i].isObject()) Unfit(at, "not an object");
    const QJsonObject e = entries[i].toObject();
    auto field = [&](const char* Name) { return Member(e, Name, at + "." + Name); };
    auto campo = std::make_unique<TCampo>();
    campo->FieldName = Text(field("fieldName"), at + ".fieldName", 255);
    campo->ComboOrder = Int32(field("comboOrder"), at + ".comboOrder");
    campo->TableName = Text(field("tableName"), at + ".tableName", 255);
    campo->DataType = Named<TFType>(field("dataType"), at + ".dataType", kDataTypeNames);
    campo->MaxSize = Int32(field("maxSize"), at + ".maxSize");
    campo->FieldKind = Named<TFKind>(field("fieldKind"), at + ".fieldKind", kFieldKindNames);
    campo->Description = Text(field("description"), at + ".description", 255);
    campo->Supported = Bool(field("supported"), at + ".supported");
    campo->Visible = Bool(field("visible"), at + ".visible");
    campos->Add(campo.release());
  }
  return campos;
}

// Opens FILE with the dialog's own open command and accepts it, as the user would.
int RunWhere(const Args& args) {
  const TWhereOptions o = ParseWhere(args);
  std::unique_ptr<TCampos> fields = ParseFields(ReadInput(o.Fields));

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Standard error carries the one failure line: Qt's own notes are not for the user.
  qInstallMessageHandler([](QtMsgType Type, const QMessageLogContext&, const QString& Msg) {
    if (Type == QtCriticalMsg || Type == QtFatalMsg) std::fprintf(stderr, "%s\n", Msg.toLocal8Bit().constData());
  });
  static int argc = 1;
  static char name[] = "kytfilter";
  static char* argv[] = {name, nullptr};
  QApplication app(argc, argv);

  QuietHost host;
  host.File = o.File;
  SysUtils::FormatSettings().ShortDateFormat = o.DateFormat;
  kytSQLFilterForm::OperatorsOk = o.Special;
  delete Campos;
  Campos = fields.release();
  struct TRelease {
    ~TRelease() {
      delete Campos;
      Campos = nullptr;
      Filter.clear();
    }
  } release;

  kytSQLFilterForm::TformFilter dialog(nullptr);
  dialog.EditDateFormat = o.DateFormat;
  dialog.SQLDateFormat = o.SQLDateFormat;
  dialog.StringQuote = o.Quote;
  dialog.WhereText = o.ConstWhere;
  dialog.ckCase->SetChecked(o.CaseSensitive);
  try {
    dialog.btOpenFilterClick(&dialog);
  } catch (const SysUtils::Exception& e) {
    throw Failure(FailureText(host, "cannot read " + o.File, e.Message()));
  }
  try {
    dialog.btConfirmClick(&dialog);
  } catch (const SysUtils::EAbort&) {
    // The builder's message is the memo's last line.
    Classes::TStrings& memo = *dialog.MemoSQL->Lines();
    throw Failure(memo.Count() > 0 ? memo.Get(memo.Count() - 1) : std::string("kytfilter: the filter failed"));
  }
  // The clause holds the library's Windows-1252 text; the tool speaks UTF-8.
  WriteOutput(SysUtils::AnsiToUtf8(dialog.WhereText));
  return 0;
}

}  // namespace

int RunFlt(const Args& args) {
  const char* usage = "kytfilter flt show FILE [--json] | kytfilter flt make OUT [JSON] | " "kytfilter flt where FILE --fields FIELDS.json ...";
  if (!args.empty() && args[0] == "where") return RunWhere(args);
  if (args.empty()) throw UsageError(usage);
  if (args[0] == "show") {
    bool json = false;
    std::string file;
    for (size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "--json")
        json = true;
      else if (file.empty())
        file = args[i];
      else
        throw UsageError(usage);
    }
    if (file.empty()) throw UsageError(usage);
    TLoaded loaded;
    Load(file, loaded);
    WriteOutput(json ? ShowJson(loaded) : ShowText(loaded));
    return 0;
  }
  if (args[0] == "make") {
    if (args.size() < 2 || args.size() > 3) throw UsageError(usage);
    const std::string json = ReadInput(args.size() == 3 ? args[2] : std::string());
    std::string description;
    FilterArray records;
    Classes::TStringList ordering;
    ParseJson(json, description, records, ordering);
    QuietHost host;
    FH = TFilterHeader{};
    FH.SetDescription(description);
    try {
      WriteFilter(args[1], records, ordering);
    } catch (const SysUtils::Exception& e) {
      throw Failure(FailureText(host, "cannot write " + args[1], e.Message()));
    }
    return 0;
  }
  throw UsageError(usage);
}

int RunSqlTables(const Args& args) {
  if (args.size() > 1) throw UsageError("kytfilter sql tables [FILE]");
  const std::string sql = ReadInput(args.empty() ? std::string() : args[0]);
  Classes::TStringList tables;
  GetUsedTables(sql, tables);
  std::string out;
  for (int i = 0; i < tables.Count(); ++i) out += tables.Get(i) + "\n";
  WriteOutput(out);
  return 0;
}

}  // namespace kytcli
