// Building the field catalogue: from the query and the tables it uses, from the stored
// field-definitions image, and the type mappings of each kind of query.
#include <cstring>
#include <limits>

#include "tests/components/ComponentFixture.h"

namespace comptest {
namespace {

using namespace kytSQLFilterStruc;

// The entries of a catalogue, one text each, for comparing whole catalogues.
std::vector<std::string> Describe(const TCampos& C) {
  std::vector<std::string> out;
  for (int i = 0; i < C.Count(); ++i) {
    const TCampo& e = *C.Get(i);
    out.push_back(e.TableName + e.FieldName + " order=" + std::to_string(e.ComboOrder) +
                  " type=" + std::to_string(e.DataType) + " size=" + std::to_string(e.MaxSize) +
                  " kind=" + std::to_string(e.FieldKind) + " desc=" + e.Description +
                  " supported=" + std::to_string(e.Supported) + " visible=" + std::to_string(e.Visible));
  }
  return out;
}

TCampo* Entry(const char* Table, const char* Field, TFType Type, const char* Description) {
  auto* c = new TCampo;
  c->TableName = Table;
  c->FieldName = Field;
  c->DataType = Type;
  c->Description = Description;
  c->Supported = c->Visible = true;
  return c;
}

// The image of a catalogue, as the property editor stores it.
std::string Image(const TCampos& C) {
  Classes::TMemoryStream m;
  kytFilterBase::WriteFieldDefs(C, m);
  return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

void LoadImage(kytFilterBase::TkytCustomFilter& F, const std::string& Bytes) {
  Classes::TMemoryStream m;
  m.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  F.LoadFromStream(m);
}

template <class K>
class CatalogueTest : public FilterTest<K> {};
TYPED_TEST_SUITE(CatalogueTest, AllKinds, KindNames);

TYPED_TEST(CatalogueTest, QueryColumnsThenTheFurtherColumnsOfItsTables) {
  constexpr bool native = TypeParam::Native;
  struct Expect {
    const char* table;
    const char* field;
    TFKind kind;
    TFType nativeType, datasetType;
    bool nativeSupported, datasetSupported;
    int nativeSize, datasetSize;
  } rows[] = {
      {"ORDERS.", "ID", fkSelected, fInteger, fInteger, true, true, 4, 4},
      {"ORDERS.", "TOTAL", fkSelected, fFloat, fFloat, true, true, 8, 8},
      {"CUSTOMER.", "NAME", fkSelected, fString, fString, true, true, 40, 40},
      // ORDERS.ID and ORDERS.TOTAL are there already, and so are CUSTOMER's ID and NAME:
      // the second pass goes by the column name alone.
      {"ORDERS.", "CUSTOMER_ID", fkNotInSelected, fInteger, fInteger, true, true, 4, 4},
      {"ORDERS.", "SHIPPED", fkNotInSelected, fDate, fDate, true, true, 4, 4},
      {"ORDERS.", "STATUS", fkNotInSelected, fString, fString, true, true, 10, 10},
      {"CUSTOMER.", "CITY", fkNotInSelected, fString, fString, true, true, 30, 30},
      {"CUSTOMER.", "BORN", fkNotInSelected, fDate, fDate, true, true, 4, 4},
      {"CUSTOMER.", "CREDIT", fkNotInSelected, fFloat, fFloat, true, true, 8, 8},
      {"CUSTOMER.", "ACTIVE", fkNotInSelected, fUnknow, fBoolean, false, true, 1, 2},
      {"CUSTOMER.", "NOTES", fkNotInSelected, fString, fString, true, true, 0, 0},
      {"CUSTOMER.", "PHOTO", fkNotInSelected, fUnknow, fUnknow, true, false, 0, 0},
  };
  for (bool allowAll : {false, true})
    for (bool open : {false, true}) {
      SCOPED_TRACE(std::string(allowAll ? "all fields" : "selected fields") + (open ? ", open" : ", closed"));
      this->ClearShared();
      this->query->Close();
      if (open) this->query->Open();
      this->filter->SetAllowAllFields(allowAll);
      this->filter->InitCamposData(Campos, false);
      EXPECT_TRUE(this->query->Active()) << "left open";
      ASSERT_NE(Campos, nullptr);
      ASSERT_EQ(Campos->Count(), static_cast<int>(std::size(rows))) << testing::PrintToString(Describe(*Campos));
      for (int i = 0; i < Campos->Count(); ++i) {
        const TCampo& e = *Campos->Get(i);
        const Expect& x = rows[i];
        SCOPED_TRACE(x.field);
        EXPECT_EQ(e.FieldName, x.field);
        EXPECT_EQ(e.TableName, x.table);
        EXPECT_EQ(e.ComboOrder, i);
        EXPECT_EQ(e.FieldKind, x.kind);
        EXPECT_EQ(e.DataType, native ? x.nativeType : x.datasetType);
        const bool supported = native ? x.nativeSupported : x.datasetSupported;
        EXPECT_EQ(e.Supported, supported);
        EXPECT_EQ(e.Visible, x.kind == fkSelected ? supported : allowAll && supported);
        EXPECT_EQ(e.MaxSize, native ? x.nativeSize : x.datasetSize);
        EXPECT_EQ(e.Description, x.field);
      }
    }
}

TYPED_TEST(CatalogueTest, EveryColumnSelectedGivesSelectedEntriesOnly) {
  SetSQL(*this->query, "SELECT * FROM CUSTOMER");
  this->filter->InitCamposData(Campos, false);
  ASSERT_EQ(Campos->Count(), 8);
  for (int i = 0; i < Campos->Count(); ++i) {
    EXPECT_EQ(Campos->Get(i)->FieldKind, fkSelected) << Campos->Get(i)->FieldName;
    EXPECT_EQ(Campos->Get(i)->TableName, "CUSTOMER.");
  }
}

TYPED_TEST(CatalogueTest, AliasedColumnIsNamedAfterItsTableColumn) {
  SetSQL(*this->query, "SELECT CUSTOMER.NAME AS WHO, 2 * CUSTOMER.ID AS TWICE FROM CUSTOMER");
  this->filter->InitCamposData(Campos, false);
  ASSERT_GE(Campos->Count(), 2);
  const TCampo& who = *Campos->Get(0);
  EXPECT_EQ(who.FieldName, "NAME");
  EXPECT_EQ(who.TableName, "CUSTOMER.");
  EXPECT_EQ(who.Description, "WHO");
  // NAME is there already; ID is not, since the expression is named TWICE.
  EXPECT_EQ(MyFindField("", "NAME", *Campos), 0);
  EXPECT_GE(MyFindField("", "ID", *Campos), 2);
  EXPECT_EQ(Campos->Get(1)->Description, "TWICE");
}

TYPED_TEST(CatalogueTest, FromItemsThatAreNoPlainTableNamesStillGiveACatalogue) {
  // The engine's upper-cased name of a quoted table (BDE), else the name itself.
  const std::string lines = TypeParam::Firebird ? "Order Lines." : "ORDER LINES.";
  struct Case {
    const char* name;
    const char* sql;
    std::vector<std::string> further;  // TableName + FieldName of fkNotInSelected entries
    bool firebirdOnly;
  } cases[] = {
      {"derived_table", "SELECT X.ID, C.NAME FROM (SELECT ID, CUSTOMER_ID FROM ORDERS) X JOIN CUSTOMER C ON C.ID = X.CUSTOMER_ID",
       // CUSTOMER.ID is no further entry: X.ID has that name already.
       {"CUSTOMER.CITY", "CUSTOMER.BORN", "CUSTOMER.CREDIT", "CUSTOMER.ACTIVE", "CUSTOMER.NOTES",
        "CUSTOMER.PHOTO"},
       false},
      {"quoted_mixed_case_with_alias", "SELECT L.ID, L.NOTE FROM \"Order Lines\" L",
       {lines + "ORDER_ID", lines + "Qty"}, false},
      {"quoted_mixed_case", "SELECT ID, ORDER_ID, \"Qty\" FROM \"Order Lines\"", {lines + "NOTE"}, false},
      {"comments_and_literals",
       "SELECT O.ID, O.TOTAL, O.SHIPPED, O.STATUS FROM ORDERS O /* , NO_SUCH */ -- , NOR_THIS\r\n"
       "WHERE O.STATUS <> 'x, NO_TABLE JOIN Y ON'",
       {"ORDERS.CUSTOMER_ID"}, false},
      {"procedure_with_arguments", "SELECT P.ID, P.TOTAL FROM ORDERS_BETWEEN(1, 20) P", {}, true},
  };
  for (const Case& c : cases) {
    if (c.firebirdOnly && !TypeParam::Firebird) continue;
    SCOPED_TRACE(c.name);
    this->ClearShared();
    this->query->Close();
    SetSQL(*this->query, c.sql);
    this->filter->InitCamposData(Campos, false);
    ASSERT_NE(Campos, nullptr);
    std::vector<std::string> further;
    int selected = 0;
    for (int i = 0; i < Campos->Count(); ++i) {
      const TCampo& e = *Campos->Get(i);
      if (e.FieldKind == fkNotInSelected) further.push_back(e.TableName + e.FieldName);
      else ++selected;
    }
    EXPECT_EQ(selected, this->query->FieldCount());
    EXPECT_EQ(further, c.further);
  }
}

TEST(CatalogueFailure, EngineErrorLeavesTheCatalogueEmpty) {
  // The table goes away while the query over it is open: the engine fails to describe it
  // once the query's own columns are known.
  Classes::TComponent owner(nullptr);
  const std::string db = testenv::NewSqlite("gone.db", "CREATE TABLE GONE (ID INTEGER, NAME VARCHAR(10));\n"
                                                       "INSERT INTO GONE VALUES (1, 'a');\n");
  auto* query = new DBTables::TQuery(&owner);
  query->SetDatabaseName(db);
  query->SQL()->SetText("SELECT ID FROM GONE");
  query->Open();
  ReadRows(*query);
  DBTables::TQuery drop(nullptr);
  drop.SetDatabaseName(db);
  drop.SQL()->SetText("DROP TABLE GONE");
  drop.ExecSQL();

  auto* filter = new kytBDEFilter::TkytBDEFilter(&owner);
  filter->SetDataSet(query);
  TCampos* campos = nullptr;
  EXPECT_ANY_THROW(filter->InitCamposData(campos, false));
  ASSERT_NE(campos, nullptr);
  EXPECT_EQ(campos->Count(), 0) << "a failed construction leaves no half-built field list";
  delete campos;
}

TYPED_TEST(CatalogueTest, CatalogueWithEntriesIsLeftAsItIs) {
  for (bool force : {false, true}) {
    SCOPED_TRACE(force ? "forced" : "not forced");
    TCampos own;
    TCampo* only = Entry("T.", "ONLY", fString, "Only");
    own.Add(only);
    TCampos* p = &own;
    this->filter->InitCamposData(p, force);
    EXPECT_EQ(p, &own);
    ASSERT_EQ(own.Count(), 1);
    EXPECT_EQ(own.Get(0), only);
    EXPECT_FALSE(this->query->Active()) << "the query was not asked";
  }
}

TYPED_TEST(CatalogueTest, StoredImageIsUsedUnlessTheQueryIsForced) {
  TCampos stored;
  stored.Add(Entry("ORDERS.", "STATUS", fString, "Order status"));
  stored.Add(Entry("CUSTOMER.", "NAME", fString, "Customer"));
  stored.Get(1)->ComboOrder = 1;
  LoadImage(*this->filter, Image(stored));
  // A statement that cannot run: the image must not need it.
  SetSQL(*this->query, "SELECT * FROM NO_SUCH_TABLE");

  this->filter->InitCamposData(Campos, false);
  EXPECT_EQ(Describe(*Campos), Describe(stored));
  EXPECT_FALSE(this->query->Active());
  EXPECT_TRUE(BoxTexts().empty());

  // A private catalogue is filled from the image too, and Campos is left alone.
  TCampos* own = nullptr;
  this->filter->InitCamposData(own, false);
  std::unique_ptr<TCampos> guard(own);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(Describe(*own), Describe(stored));
  EXPECT_EQ(Campos->Count(), 2);

  // Forced: from the query, whatever the image says.
  SetSQL(*this->query, "SELECT ID FROM ORDERS");
  TCampos* fresh = nullptr;
  this->filter->InitCamposData(fresh, true);
  std::unique_ptr<TCampos> freshGuard(fresh);
  ASSERT_GT(fresh->Count(), 2);
  EXPECT_EQ(fresh->Get(0)->FieldName, "ID");
}

TYPED_TEST(CatalogueTest, QueryThatCannotOpenIsReportedAndAborts) {
  SetSQL(*this->query, "SELECT * FROM NO_SUCH_TABLE");
  EXPECT_THROW(this->filter->InitCamposData(Campos, false), SysUtils::EAbort);
  ASSERT_EQ(ScriptedHost().Boxes.size(), 1u);
  EXPECT_EQ(ScriptedHost().Boxes[0].Text, "Error trying to open the dataset");
  EXPECT_EQ(ScriptedHost().Boxes[0].Kind, Dialogs::TScriptedUIHost::TBoxKind::ShowMessage);
  ASSERT_NE(Campos, nullptr);
  EXPECT_EQ(Campos->Count(), 0);
  // The dialog is never shown on such a query.
  EXPECT_THROW(this->filter->Execute(), SysUtils::EAbort);
  EXPECT_EQ(ScriptedHost().ModalShown, 0);
}

TYPED_TEST(CatalogueTest, ImageThatCannotBeReadLeavesCamposAsItWas) {
  TCampos one;
  one.Add(Entry("T.", "A", fString, "A"));
  const std::string good = Image(one);  // marker, count 1, one record
  auto withCount = [&](int32_t Count) {
    std::string s = good;
    std::memcpy(s.data() + 4, &Count, 4);
    return s;
  };
  std::string badMarker = good;
  badMarker[0] = 1;
  struct Case {
    const char* name;
    std::string image;
    bool named;  // the message says the image is invalid (not a plain short read)
  } cases[] = {
      {"wrong_marker", badMarker, true},
      {"negative_count", withCount(-1), true},
      {"count_beyond_the_bytes", withCount(2), true},
      {"huge_count", withCount(std::numeric_limits<int32_t>::max()), true},
      {"shorter_than_header", good.substr(0, 6), true},
      {"record_cut_short", good.substr(0, good.size() - 3), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    this->ClearShared();
    Campos = new TCampos;
    TCampo* before = Entry("T.", "BEFORE", fString, "Before");
    Campos->Add(before);
    LoadImage(*this->filter, c.image);
    try {
      this->filter->FillCampos();
      ADD_FAILURE() << "no error";
    } catch (const Classes::EReadError& e) {
      EXPECT_EQ(std::string(e.what()).find("Invalid field definitions image") == 0, c.named) << e.what();
    }
    ASSERT_EQ(Campos->Count(), 1);
    EXPECT_EQ(Campos->Get(0), before);
    // The same through InitCamposData, on an empty catalogue.
    this->ClearShared();
    EXPECT_THROW(this->filter->InitCamposData(Campos, false), Classes::EReadError);
    EXPECT_EQ(Campos, nullptr);
  }
  // And the good image reads.
  this->ClearShared();
  LoadImage(*this->filter, good);
  this->filter->FillCampos();
  EXPECT_EQ(Describe(*Campos), Describe(one));
}

// ---- Type mappings, on the table with a column of every type --------------------------------

struct TTypeRow {
  const char* column;
  TFType type;
  bool supported;
};

template <class F, class Q>
void ExpectTypes(bool Firebird, const std::vector<TTypeRow>& Rows) {
  delete Campos;
  Campos = nullptr;
  Classes::TComponent owner(nullptr);
  auto* query = new Q(&owner);
  query->SetDatabaseName(TypesDatabase(Firebird));
  query->SQL()->SetText("SELECT * FROM T_ALL");
  auto* filter = new F(&owner);
  filter->SetDataSet(query);
  filter->InitCamposData(Campos, false);
  ASSERT_EQ(Campos->Count(), static_cast<int>(Rows.size()));
  for (int i = 0; i < Campos->Count(); ++i) {
    const TCampo& e = *Campos->Get(i);
    SCOPED_TRACE(Rows[i].column);
    EXPECT_EQ(e.FieldName, Rows[i].column);
    EXPECT_EQ(e.DataType, Rows[i].type);
    EXPECT_EQ(e.Supported, Rows[i].supported);
    EXPECT_EQ(e.Visible, Rows[i].supported);
  }
}

TEST(CatalogueTypes, NativeColumnsBySQLTypeCode) {
  ExpectTypes<kytIBOFilter::TkytIBOFilter, IB_Components::TIB_Query>(
      true, {{"C_VARCHAR", fString, true}, {"C_CHAR", fString, true},  {"C_SMALL", fInteger, true},
             {"C_INT", fInteger, true},    {"C_BIG", fInteger, true},  {"C_DOUBLE", fFloat, true},
             {"C_FLOAT", fFloat, true},    {"C_NUM", fInteger, true},  {"C_DEC", fInteger, true},
             {"C_DATE", fDate, true},      {"C_TIME", fTime, true},    {"C_STAMP", fDateTime, true},
             {"C_BOOL", fUnknow, false},   {"C_MEMO", fString, true},  {"C_BLOB", fUnknow, true},
             {"C_ARR", fUnknow, false},    {"C_REQ", fInteger, true}});
  // Codes the engine does not produce here, and the nullable form of each.
  struct Code {
    int type, subType;
    TFType expected;
    bool supported;
  } codes[] = {{530, 0, fFloat, true},   {531, 0, fFloat, true},    {520, 1, fString, true}, {521, 2, fUnknow, true},
               {550, 0, fUnknow, false}, {32764, 0, fUnknow, false}, {0, 0, fUnknow, false}, {449, 0, fString, true}};
  for (const Code& c : codes) {
    SCOPED_TRACE(c.type);
    const kytFilterBase::TTypeMapping m = kytIBOFilter::NativeFieldType(c.type, c.subType);
    EXPECT_EQ(m.DataType, c.expected);
    EXPECT_EQ(m.Supported, c.supported);
  }
  delete Campos;
  Campos = nullptr;
}

TEST(CatalogueTypes, DatasetFieldsOfBothEngines) {
  ExpectTypes<kytIBDFilter::TkytIBDFilter, IBODataset::TIBOQuery>(
      true, {{"C_VARCHAR", fString, true}, {"C_CHAR", fString, true},   {"C_SMALL", fInteger, true},
             {"C_INT", fInteger, true},    {"C_BIG", fInteger, true},   {"C_DOUBLE", fFloat, true},
             {"C_FLOAT", fFloat, true},    {"C_NUM", fFloat, true},     {"C_DEC", fFloat, true},
             {"C_DATE", fDate, true},      {"C_TIME", fTime, true},     {"C_STAMP", fDateTime, true},
             {"C_BOOL", fBoolean, true},   {"C_MEMO", fString, true},   {"C_BLOB", fUnknow, false},
             {"C_ARR", fUnknow, false},    {"C_REQ", fInteger, true}});
  ExpectTypes<kytBDEFilter::TkytBDEFilter, DBTables::TQuery>(
      false, {{"C_VARCHAR", fString, true}, {"C_CHAR", fString, true},   {"C_SMALL", fInteger, true},
              {"C_INT", fInteger, true},    {"C_BIG", fInteger, true},   {"C_DOUBLE", fFloat, true},
              {"C_FLOAT", fFloat, true},    {"C_NUM", fFloat, true},     {"C_DATE", fDate, true},
              {"C_TIME", fTime, true},      {"C_STAMP", fDateTime, true}, {"C_BOOL", fBoolean, true},
              {"C_MEMO", fString, true},    {"C_BLOB", fUnknow, false},  {"C_GEO", fUnknow, false},
              {"C_NONE", fUnknow, false},   {"C_REQ", fInteger, true}});
  // Every ordinal, including those no engine here produces.
  const TFType expected[] = {fUnknow,  fString,  fInteger, fInteger, fInteger, fBoolean, fFloat,
                             fFloat,   fFloat,   fDate,    fTime,    fDateTime, fUnknow, fUnknow,
                             fInteger, fUnknow,  fString,  fGraphic, fString,  fUnknow,  fUnknow,
                             fUnknow,  fUnknow,  fString,  fString,  fInteger, fUnknow,  fUnknow};
  for (int ordinal = 0; ordinal < static_cast<int>(std::size(expected)); ++ordinal) {
    SCOPED_TRACE(ordinal);
    const kytFilterBase::TTypeMapping m = kytFilterBase::DataSetFieldType(ordinal);
    EXPECT_EQ(m.DataType, expected[ordinal]);
    EXPECT_EQ(m.Supported, expected[ordinal] != fUnknow);
  }
  delete Campos;
  Campos = nullptr;
}

// ---- The engine's base columns (BDE) ----------------------------------------------------------

TEST(CatalogueBaseColumns, EngineNamesTheTableAndColumnBehindEachOutputColumn) {
  static const std::string db = testenv::NewSqlite("bases.db",
                                                   "CREATE TABLE \"Staff.DbF\" (NAME VARCHAR(20));\n"
                                                   "CREATE TABLE \"items.db\" (CODE INTEGER);\n"
                                                   "CREATE TABLE plain (X INTEGER);\n");
  DBTables::TQuery query(nullptr);
  query.SetDatabaseName(db);
  query.SQL()->SetText(
      "SELECT s.NAME AS WHO, i.CODE, 1 + 1 AS TWO, p.X FROM \"Staff.DbF\" s, \"items.db\" i, plain p");
  query.Open();

  TCampos campos;
  const char* full[] = {"WHO", "CODE", "TWO", "X"};
  for (int order : {0, 1, 2, 7}) {  // no entry for column 3; entry 7 has no column
    TCampo* c = Entry("", full[order == 7 ? 3 : order], fString, "d");
    c->ComboOrder = order;
    campos.Add(c);
  }
  kytBDEFilter::GetTableNames(query, campos);
  struct Expect {
    const char* table;
    const char* field;
  } expected[] = {{"STAFF.", "NAME"}, {"ITEMS.", "CODE"}, {"", "TWO"}, {"", "X"}};
  for (int i = 0; i < campos.Count(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(campos.Get(i)->TableName, expected[i].table);
    EXPECT_EQ(campos.Get(i)->FieldName, expected[i].field);
  }

  // An engine error propagates and changes nothing.
  query.SQL()->SetText("SELECT NOPE FROM NOWHERE");
  campos.Get(0)->TableName = "KEPT.";
  EXPECT_THROW(kytBDEFilter::GetTableNames(query, campos), DBTables::EDBEngineError);
  EXPECT_EQ(campos.Get(0)->TableName, "KEPT.");
}

TEST(CatalogueBaseColumns, StatementWithoutTablesGivesItsColumnsOnly) {
  Classes::TComponent owner(nullptr);
  auto* query = new DBTables::TQuery(&owner);
  query->SetDatabaseName(ShopDatabase(false));
  query->SQL()->SetText("SELECT 1 AS ONE, 'x' AS TWO");
  auto* filter = new kytBDEFilter::TkytBDEFilter(&owner);
  filter->SetDataSet(query);
  TCampos* campos = nullptr;
  filter->InitCamposData(campos, true);
  std::unique_ptr<TCampos> guard(campos);
  ASSERT_EQ(campos->Count(), 2);
  EXPECT_EQ(campos->Get(0)->FieldName, "ONE");
  EXPECT_EQ(campos->Get(1)->FieldName, "TWO");
  EXPECT_EQ(campos->Get(1)->TableName, "");
  EXPECT_EQ(campos->Get(1)->FieldKind, fkSelected);
}

}  // namespace
}  // namespace comptest
