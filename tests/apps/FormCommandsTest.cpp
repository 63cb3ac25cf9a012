// kytfilter form show|fielddefs and apply --form, run as a build script runs them,
// over form files written here and sample databases made here.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "CliRun.h"
#include "SampleSuite.h"

namespace {

namespace fs = std::filesystem;

constexpr int kOrders = 120;

// Selected: ORDERS.ID, TOTAL, STATUS and CUSTOMERS.NAME; the tables' other columns are
// in the catalogue but not allowed.
const char* kSelect = "SELECT ORDERS.ID, ORDERS.TOTAL, ORDERS.STATUS, CUSTOMERS.NAME";
const char* kFrom = "FROM ORDERS JOIN CUSTOMERS ON CUSTOMERS.ID = ORDERS.CUSTOMER_ID";
const std::vector<std::string> kDefaultAllowed = {"ORDERS.ID", "ORDERS.TOTAL", "ORDERS.STATUS", "CUSTOMERS.NAME"};

struct TVariant {
  const char* Name;
  const char* Root;  // the form's class
  const char* Query;
  const char* Filter;
  bool Firebird;
};
const TVariant kVariants[] = {{"ibo", "TDataModule", "TIB_Query", "TkytIBOFilter", true},
                              {"ibd", "TForm", "TIBOQuery", "TkytIBDFilter", true},
                              {"bde", "TDataModule", "TQuery", "TkytBDEFilter", false}};

const TVariant& Variant(const std::string& Name) {
  for (const TVariant& v : kVariants)
    if (Name == v.Name) return v;
  std::abort();
}

std::string Utf8(const QString& S) { return S.toStdString(); }

// An entry of form show --json, with the table and field as one name.
struct TEntry {
  std::string Name, Description, DataType, FieldKind;
  int ComboOrder = -1;
  bool Visible = false, Supported = false;
};

class Form : public SampleSuite {
 protected:
  static void SetUpTestSuite() { MakeSamples("kyt-form", kOrders); }
  static void TearDownTestSuite() { RemoveSamples(); }

  static std::string Database(const TVariant& V) { return V.Firebird ? fdb : sqlite; }

  // A form file of the variant, by hand as a developer's designer writes it, in a file
  // of its own.
  static std::string WriteForm(const std::string& File, const TVariant& V, const std::string& DatabaseName) {
    const std::string text = std::string("object Shop: ") + V.Root + "\r\n" +
                             "  object Orders: " + V.Query + "\r\n" +
                             "    DatabaseName = '" + DatabaseName + "'\r\n" +
                             "    SQL.Strings = (\r\n" +
                             "      '" + kSelect + "'\r\n" +
                             "      '" + kFrom + "'\r\n" +
                             "      'ORDER BY ORDERS.ID')\r\n" +
                             "  end\r\n" +
                             "  object OrderFilter: " + V.Filter + "\r\n" +
                             "    Caption = 'Find orders'\r\n" +
                             "    SQLDateFormat = 'yyyy-mm-dd'\r\n" +
                             "    DataSet = Orders\r\n" +
                             "  end\r\n" +
                             "end\r\n";
    const std::string path = (dir / File).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  static std::string WriteForm(const std::string& File, const TVariant& V) {
    return WriteForm(File, V, Database(V));
  }

  static QJsonObject ShowJson(const std::string& FormFile) {
    CliResult r = RunCli({"form", "show", FormFile, "--json"});
    EXPECT_EQ(r.code, 0) << r.err;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(r.out.data(), static_cast<qsizetype>(r.out.size())));
    EXPECT_TRUE(doc.isObject()) << r.out;
    return doc.object();
  }
  static QJsonObject FilterOf(const QJsonObject& Root) {
    for (const QJsonValue c : Root["components"].toArray())
      if (c.toObject()["name"].toString() == "OrderFilter") return c.toObject();
    ADD_FAILURE() << "no OrderFilter";
    return {};
  }
  static std::vector<TEntry> Entries(const QJsonObject& Filter) {
    std::vector<TEntry> out;
    for (const QJsonValue v : Filter["fields"].toArray()) {
      const QJsonObject e = v.toObject();
      EXPECT_EQ(e.size(), 9) << "the nine fields of an entry";
      out.push_back({Utf8(e["tableName"].toString() + e["fieldName"].toString()), Utf8(e["description"].toString()),
                     Utf8(e["dataType"].toString()), Utf8(e["fieldKind"].toString()), e["comboOrder"].toInt(-1),
                     e["visible"].toBool(), e["supported"].toBool()});
    }
    return out;
  }
  // The allowed fields in the order the filter dialog offers them; checks that they hold
  // the first combo positions, one each.
  static std::vector<std::string> Allowed(const std::vector<TEntry>& Entries) {
    std::map<int, std::string> byOrder;
    for (const TEntry& e : Entries)
      if (e.Visible) {
        EXPECT_TRUE(byOrder.emplace(e.ComboOrder, e.Name).second) << "two at " << e.ComboOrder;
      }
    std::vector<std::string> out;
    for (const auto& [order, name] : byOrder) {
      EXPECT_EQ(order, static_cast<int>(out.size())) << name;
      out.push_back(name);
    }
    return out;
  }
  static const TEntry* Find(const std::vector<TEntry>& Entries, const std::string& Name) {
    for (const TEntry& e : Entries)
      if (e.Name == Name) return &e;
    return nullptr;
  }

  static std::string MakeFilter(const std::string& Name, const std::string& Json) {
    const std::string path = (dir / Name).string();
    CliResult made = RunCli({"flt", "make", path}, Json);
    EXPECT_EQ(made.code, 0) << made.err;
    return path;
  }

};

using Args = std::vector<std::string>;

TEST_F(Form, FieldDefsPerformsTheStepsInOrder) {
  struct Row {
    const char* name;
    const char* variant;
    std::vector<Args> runs;  // the steps of each fielddefs run, one process per run
    std::vector<std::string> allowed;
    std::map<std::string, std::string> descriptions;  // of some fields afterwards
  };
  const Row rows[] = {
      {"no_step_stores_the_query_catalogue", "bde", {{}}, kDefaultAllowed, {}},
      {"allow_goes_last", "ibo", {{"--allow", "CUSTOMERS.CITY"}}, {"ORDERS.ID", "ORDERS.TOTAL", "ORDERS.STATUS", "CUSTOMERS.NAME", "CUSTOMERS.CITY"}, {}},
      {"allow_letter_case_ignored", "bde", {{"--allow", "customers.city"}}, {"ORDERS.ID", "ORDERS.TOTAL", "ORDERS.STATUS", "CUSTOMERS.NAME", "CUSTOMERS.CITY"}, {}},
      {"remove", "ibd", {{"--remove", "ORDERS.ID"}}, {"ORDERS.TOTAL", "ORDERS.STATUS", "CUSTOMERS.NAME"}, {}},
      {"move_to_top", "bde", {{"--move", "CUSTOMERS.NAME", "0"}}, {"CUSTOMERS.NAME", "ORDERS.ID", "ORDERS.TOTAL", "ORDERS.STATUS"}, {}},
      {"move_to_last", "ibo", {{"--move", "ORDERS.ID", "3"}}, {"ORDERS.TOTAL", "ORDERS.STATUS", "CUSTOMERS.NAME", "ORDERS.ID"}, {}},
      {"describe_allowed_and_not_allowed", "ibd",
       {{"--describe", "ORDERS.TOTAL=Amount \xE2\x82\xAC", "--describe", "CUSTOMERS.CITY=Town", "--allow", "CUSTOMERS.CITY"}},
       {"ORDERS.ID", "ORDERS.TOTAL", "ORDERS.STATUS", "CUSTOMERS.NAME", "CUSTOMERS.CITY"},
       {{"ORDERS.TOTAL", "Amount \xE2\x82\xAC"}, {"CUSTOMERS.CITY", "Town"}}},
      // The order given is the order done: CITY is allowed before it is moved, STATUS
      // removed after, so CITY ends first and the rest keep their order.
      {"steps_in_order", "bde",
       {{"--allow", "CUSTOMERS.CITY", "--move", "CUSTOMERS.CITY", "0", "--remove", "ORDERS.STATUS", "--describe",
         "CUSTOMERS.CITY=Town"}},
       {"CUSTOMERS.CITY", "ORDERS.ID", "ORDERS.TOTAL", "CUSTOMERS.NAME"},
       {{"CUSTOMERS.CITY", "Town"}}},
      // A second run starts from the stored field definitions, not from the query.
      {"second_run_edits_the_stored_definitions", "ibo",
       {{"--remove", "ORDERS.ID", "--describe", "ORDERS.STATUS=State"}, {"--allow", "ORDERS.ID", "--move", "ORDERS.STATUS", "0"}},
       {"ORDERS.STATUS", "ORDERS.TOTAL", "CUSTOMERS.NAME", "ORDERS.ID"},
       {{"ORDERS.STATUS", "State"}}},
      {"refresh_everything_reverts", "ibd",
       {{"--remove", "ORDERS.ID", "--allow", "CUSTOMERS.CITY", "--describe", "ORDERS.TOTAL=Amount", "--refresh", "everything"}},
       kDefaultAllowed,
       {{"ORDERS.TOTAL", "TOTAL"}}},
      // Steps after a refresh act on the new catalogue.
      {"steps_after_refresh", "bde",
       {{"--allow", "CUSTOMERS.CITY", "--refresh", "everything", "--remove", "ORDERS.STATUS"}},
       {"ORDERS.ID", "ORDERS.TOTAL", "CUSTOMERS.NAME"},
       {}},
      {"refresh_descriptions_keeps_the_choice", "ibo",
       {{"--remove", "ORDERS.ID", "--describe", "ORDERS.TOTAL=Amount", "--refresh", "descriptions,add-new,remove-old"}},
       {"ORDERS.TOTAL", "ORDERS.STATUS", "CUSTOMERS.NAME"},
       {{"ORDERS.TOTAL", "TOTAL"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string form = WriteForm(std::string(row.name) + ".dfm", Variant(row.variant));
    for (const Args& steps : row.runs) {
      Args args = {"form", "fielddefs", form, "OrderFilter"};
      args.insert(args.end(), steps.begin(), steps.end());
      CliResult r = RunCli(args);
      ASSERT_EQ(r.code, 0) << r.err;
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err, "");
    }
    const std::vector<TEntry> entries = Entries(FilterOf(ShowJson(form)));
    EXPECT_EQ(Allowed(entries), row.allowed);
    for (const auto& [name, description] : row.descriptions) {
      const TEntry* e = Find(entries, name);
      ASSERT_NE(e, nullptr) << name;
      EXPECT_EQ(e->Description, description) << name;
    }
    // The fields that are not allowed follow in catalogue order.
    int next = static_cast<int>(row.allowed.size());
    for (const TEntry& e : entries)
      if (!e.Visible) {
        EXPECT_EQ(e.ComboOrder, next++) << e.Name;
      }
  }
}

TEST_F(Form, ShowPrintsComponentsPropertiesAndFieldDefinitions) {
  const std::string form = WriteForm("show.dfm", Variant("bde"));
  // Before any edit the filter has no field definitions.
  const QJsonObject before = ShowJson(form);
  EXPECT_TRUE(FilterOf(before)["fields"].isNull());
  CliResult plain = RunCli({"form", "show", form});
  ASSERT_EQ(plain.code, 0) << plain.err;
  EXPECT_NE(plain.out.find("    Data = (no field definitions)\n"), std::string::npos) << plain.out;

  CliResult edit = RunCli({"form", "fielddefs", form, "OrderFilter", "--allow", "CUSTOMERS.CITY", "--move",
                           "CUSTOMERS.CITY", "0", "--describe", "CUSTOMERS.CITY=Town 'n' country"});
  ASSERT_EQ(edit.code, 0) << edit.err;

  const QJsonObject root = ShowJson(form);
  EXPECT_EQ(root["name"].toString(), "Shop");
  EXPECT_EQ(root["class"].toString(), "TDataModule");
  const QJsonObject query = root["components"].toArray()[0].toObject();
  EXPECT_EQ(query["class"].toString(), "TQuery");
  EXPECT_EQ(Utf8(query["properties"].toObject()["DatabaseName"].toString()), sqlite);
  EXPECT_EQ(query["properties"].toObject()["SQL"].toArray().size(), 3);
  const QJsonObject filter = FilterOf(root);
  EXPECT_EQ(filter["class"].toString(), "TkytBDEFilter");
  const QJsonObject props = filter["properties"].toObject();
  EXPECT_EQ(props["DataSet"].toString(), "Orders") << "a reference by name";
  EXPECT_EQ(props["Caption"].toString(), "Find orders");
  EXPECT_EQ(props["SQLDateFormat"].toString(), "yyyy-mm-dd");
  EXPECT_EQ(props["AllowOrdering"].toBool(false), true);
  EXPECT_TRUE(props["SpecialOperators"].isArray());
  EXPECT_TRUE(props["OnApplySQL"].isNull());

  const std::vector<TEntry> entries = Entries(filter);
  const TEntry* city = Find(entries, "CUSTOMERS.CITY");
  ASSERT_NE(city, nullptr);
  EXPECT_EQ(city->ComboOrder, 0);
  EXPECT_EQ(city->Description, "Town 'n' country");
  EXPECT_EQ(city->DataType, "fString");
  EXPECT_EQ(city->FieldKind, "fkNotInSelected");
  EXPECT_TRUE(city->Visible);
  EXPECT_TRUE(city->Supported);
  const TEntry* id = Find(entries, "ORDERS.ID");
  ASSERT_NE(id, nullptr);
  EXPECT_EQ(id->DataType, "fInteger");
  EXPECT_EQ(id->FieldKind, "fkSelected");

  // The text form: the form file's own spelling, the entries one a line.
  plain = RunCli({"form", "show", form});
  ASSERT_EQ(plain.code, 0) << plain.err;
  for (const char* line : {"object Shop: TDataModule\n", "  object Orders: TQuery\n", "  object OrderFilter: TkytBDEFilter\n",
                           "    DataSet = Orders\n", "    Caption = 'Find orders'\n",
                           "      'CUSTOMERS.CITY': comboOrder 0, dataType fString, maxSize 30, fieldKind fkNotInSelected, "
                           "description 'Town ''n'' country', supported True, visible True\n"})
    EXPECT_NE(plain.out.find(line), std::string::npos) << line << "\n" << plain.out;
  EXPECT_NE(plain.out.find("    Data = " + std::to_string(entries.size()) + " fields\n"), std::string::npos);

  // The entries are what flt where reads: the stored catalogue builds a filter's clause.
  QJsonArray fields = filter["fields"].toArray();
  const std::string fieldsFile = (dir / "show-fields.json").string();
  std::ofstream(fieldsFile, std::ios::binary) << QJsonDocument(fields).toJson().toStdString();
  const std::string flt = MakeFilter(
      "show.flt",
      "{\"description\": \"\", \"criteria\": [{\"beginGroup\": \"\", \"fieldName\": \"CITY\", \"tableName\": "
      "\"CUSTOMERS.\", \"operator\": \"=\", \"value\": \"x\", \"endGroup\": \"\", \"operation\": -1}], \"ordering\": []}");
  CliResult where = RunCli({"flt", "where", flt, "--fields", fieldsFile});
  ASSERT_EQ(where.code, 0) << where.err;
  EXPECT_NE(where.out.find("CUSTOMERS.CITY"), std::string::npos) << where.out;
}

TEST_F(Form, FailuresExitWithOneAndLeaveTheFileAsItWas) {
  const std::string good = WriteForm("failures.dfm", Variant("bde"));
  const std::string noDatabase = WriteForm("no-database.dfm", Variant("ibo"), (dir / "none.fdb").string());
  const std::string malformed = (dir / "malformed.dfm").string();
  std::ofstream(malformed, std::ios::binary) << "object Shop: TDataModule\r\n  object Orders: TQuery\r\n";
  const std::string unknownClass = (dir / "unknown-class.dfm").string();
  std::ofstream(unknownClass, std::ios::binary) << "object Shop: TNoSuchModule\r\nend\r\n";
  const std::string missing = (dir / "missing.dfm").string();

  struct Case {
    const char* name;
    std::string form;
    Args args;            // after FILE
    std::string message;  // part of standard error
  } cases[] = {
      {"unknown_component", good, {"NoFilter"}, "NoFilter"},
      {"not_a_filter", good, {"Orders"}, "Orders"},
      {"unknown_field", good, {"OrderFilter", "--allow", "ORDERS.NOPE"}, "ORDERS.NOPE"},
      {"remove_not_allowed", good, {"OrderFilter", "--remove", "CUSTOMERS.CITY"}, "CUSTOMERS.CITY is not an allowed field"},
      {"allow_twice", good, {"OrderFilter", "--allow", "ORDERS.ID"}, "ORDERS.ID is already allowed"},
      {"move_not_allowed", good, {"OrderFilter", "--move", "CUSTOMERS.CITY", "0"}, "CUSTOMERS.CITY"},
      {"position_past_the_list", good, {"OrderFilter", "--move", "ORDERS.ID", "4"}, "position 4"},
      // The earlier steps were done in the dialog, and are dropped with it.
      {"later_step_fails", good, {"OrderFilter", "--remove", "ORDERS.ID", "--remove", "ORDERS.ID"}, "--remove ORDERS.ID"},
      {"removed_by_refresh", good, {"OrderFilter", "--allow", "CUSTOMERS.CITY", "--refresh", "everything", "--remove", "CUSTOMERS.CITY"},
       "CUSTOMERS.CITY"},
      {"unreadable_form", missing, {"OrderFilter"}, "missing.dfm"},
      {"malformed_form", malformed, {"OrderFilter"}, "malformed.dfm: Line"},
      {"unknown_class", unknownClass, {"OrderFilter"}, "TNoSuchModule"},
      {"query_cannot_open", noDatabase, {"OrderFilter", "--allow", "CUSTOMERS.CITY"}, "none.fdb"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool exists = fs::exists(c.form);
    const std::string before = exists ? ReadFileBytes(c.form) : std::string();
    const std::string out = (dir / (std::string(c.name) + ".out.dfm")).string();
    for (bool toOut : {false, true}) {
      Args args = {"form", "fielddefs", c.form};
      args.insert(args.end(), c.args.begin(), c.args.end());
      if (toOut) args.insert(args.end(), {"--out", out});
      CliResult r = RunCli(args);
      EXPECT_EQ(r.code, 1) << r.err;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(fs::exists(c.form), exists);
      if (exists) {
        EXPECT_EQ(ReadFileBytes(c.form), before);
      }
      EXPECT_FALSE(fs::exists(out));
    }
  }
  EXPECT_FALSE(fs::exists(dir / "none.fdb"));
  // No working file left beside the forms.
  for (const auto& e : fs::directory_iterator(dir)) EXPECT_NE(e.path().filename().string()[0], '.') << e.path();

  for (const std::string& form : {missing, malformed, unknownClass}) {
    CliResult r = RunCli({"form", "show", form});
    EXPECT_EQ(r.code, 1) << form;
    EXPECT_NE(r.err.find(fs::path(form).filename().string()), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }

  const std::vector<Args> badUses = {
      {"form"},
      {"form", "show"},
      {"form", "fielddefs", good},
      {"form", "fielddefs", good, "OrderFilter", "--refresh", "most"},
      {"form", "fielddefs", good, "OrderFilter", "--move", "ORDERS.ID", "first"},
      {"form", "fielddefs", good, "OrderFilter", "--move", "ORDERS.ID", "-1"},
      {"form", "fielddefs", good, "OrderFilter", "--describe", "ORDERS.ID"},
      {"form", "fielddefs", good, "OrderFilter", "--out", good, "--out", good},
      {"form", "fielddefs", good, "OrderFilter", "--allow"},
  };
  const std::string before = ReadFileBytes(good);
  for (const Args& args : badUses) {
    CliResult r = RunCli(args);
    EXPECT_EQ(r.code, 2) << args.size() << ": " << r.err;
    EXPECT_EQ(r.err.rfind("usage: ", 0), 0u) << r.err;
  }
  // Text Windows-1252 cannot hold.
  CliResult text = RunCli({"form", "fielddefs", good, "OrderFilter", "--describe", "ORDERS.ID=\xE4\xB8\xAD"});
  EXPECT_EQ(text.code, 2) << text.err;
  EXPECT_EQ(ReadFileBytes(good), before);
}

TEST_F(Form, SavedFieldDefinitionsDecideWhatABatchApplyMayFilterOn) {
  const std::string allowed = MakeFilter(
      "by-city.flt",
      "{\"description\": \"\", \"criteria\": [{\"beginGroup\": \"\", \"fieldName\": \"CITY\", \"tableName\": "
      "\"CUSTOMERS.\", \"operator\": \"=\", \"value\": \"CITY\", \"endGroup\": \"\", \"operation\": -1}], "
      "\"ordering\": [\"ORDERS.ID\"]}");
  const std::string notAllowed = MakeFilter(
      "by-status.flt",
      "{\"description\": \"\", \"criteria\": [{\"beginGroup\": \"\", \"fieldName\": \"STATUS\", \"tableName\": "
      "\"ORDERS.\", \"operator\": \"=\", \"value\": \"shipped\", \"endGroup\": \"\", \"operation\": -1}], "
      "\"ordering\": [\"ORDERS.ID\"]}");
  for (const TVariant& v : kVariants) {
    SCOPED_TRACE(v.Name);
    const std::string db = Database(v);
    // The city of the first order: a value that keeps some rows.
    CliResult first = RunCli({"db", "rows", "--variant", v.Name, "--database", db, "--sql",
                              std::string("SELECT CUSTOMERS.CITY ") + kFrom + " WHERE CUSTOMERS.CITY IS NOT NULL ORDER BY ORDERS.ID"});
    ASSERT_EQ(first.code, 0) << first.err;
    const size_t start = first.out.find("\r\n") + 2;
    const std::string city = first.out.substr(start, first.out.find("\r\n", start) - start);
    ASSERT_FALSE(city.empty());
    ASSERT_EQ(city.find_first_of("\",'"), std::string::npos) << city;

    CliResult want = RunCli({"db", "rows", "--variant", v.Name, "--database", db, "--sql",
                             std::string(kSelect) + " " + kFrom + " WHERE CUSTOMERS.CITY = '" + city + "' ORDER BY ORDERS.ID"});
    ASSERT_EQ(want.code, 0) << want.err;
    CliResult all = RunCli({"db", "rows", "--variant", v.Name, "--database", db, "--sql",
                            std::string(kSelect) + " " + kFrom});
    ASSERT_GT(want.out.size(), 0u);
    EXPECT_LT(want.out.size(), all.out.size()) << "the filter keeps some rows only";

    // The developer's form stays as it is; the build writes the edited one beside it.
    const std::string form = WriteForm(std::string("app-") + v.Name + ".dfm", v);
    const std::string original = ReadFileBytes(form);
    const std::string built = (dir / (std::string("built-") + v.Name + ".dfm")).string();
    CliResult edit = RunCli({"form", "fielddefs", form, "OrderFilter", "--allow", "CUSTOMERS.CITY", "--remove",
                             "ORDERS.STATUS", "--out", built});
    ASSERT_EQ(edit.code, 0) << edit.err;
    EXPECT_EQ(ReadFileBytes(form), original);

    // In fresh processes, as a batch job runs them.
    const std::string csv = (dir / (std::string("rows-") + v.Name + ".csv")).string();
    const std::string byCity = MakeFilter(std::string("city-") + v.Name + ".flt",
                                          "{\"description\": \"\", \"criteria\": [{\"beginGroup\": \"\", \"fieldName\": "
                                          "\"CITY\", \"tableName\": \"CUSTOMERS.\", \"operator\": \"=\", \"value\": \"" +
                                              city + "\", \"endGroup\": \"\", \"operation\": -1}], "
                                              "\"ordering\": [\"ORDERS.ID\"]}");
    CliResult applied = RunCli({"apply", "--form", built, "--component", "OrderFilter", "--filter", byCity, "--csv", csv});
    ASSERT_EQ(applied.code, 0) << applied.err;
    EXPECT_EQ(applied.err, "");
    EXPECT_EQ(ReadFileBytes(csv), want.out);
    EXPECT_NE(applied.out.find("CUSTOMERS.CITY"), std::string::npos) << applied.out;

    // STATUS was taken out of the allowed fields: the dialog does not offer it.
    const std::string csv2 = (dir / (std::string("status-") + v.Name + ".csv")).string();
    CliResult refused =
        RunCli({"apply", "--form", built, "--component", "OrderFilter", "--filter", notAllowed, "--csv", csv2});
    EXPECT_EQ(refused.code, 1) << refused.err;
    EXPECT_NE(refused.err.find("ORDERS.STATUS"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out, "");
    EXPECT_FALSE(fs::exists(csv2));
    // The developer's form, whose field definitions were never set, offers it.
    CliResult unedited = RunCli({"apply", "--form", form, "--component", "OrderFilter", "--filter", notAllowed});
    EXPECT_EQ(unedited.code, 0) << unedited.err;
  }

  const std::string form = WriteForm("apply-bad.dfm", Variant("bde"));
  const std::vector<std::pair<Args, int>> uses = {
      {{"apply", "--form", form, "--filter", allowed}, 2},                                           // no component
      {{"apply", "--form", form, "--component", "OrderFilter", "--filter", allowed, "--variant", "bde"}, 2},
      {{"apply", "--form", form, "--component", "Orders", "--filter", allowed}, 1},                  // a query
      {{"apply", "--form", form, "--component", "Nope", "--filter", allowed}, 1},
      {{"apply", "--form", (dir / "none.dfm").string(), "--component", "OrderFilter", "--filter", allowed}, 1},
  };
  for (const auto& [args, code] : uses) {
    CliResult r = RunCli(args);
    EXPECT_EQ(r.code, code) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
