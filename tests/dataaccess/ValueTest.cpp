// Values, text conversion, CSV fields, type mappings and script splitting: the
// engine-free parts both back ends stand on.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "dataaccess/bde/DBTables.h"
#include "dataaccess/db/DB.h"
#include "dataaccess/db/DBText.h"
#include "dataaccess/ibobjects/FbClient_p.h"
#include "dataaccess/ibobjects/IBODataset.h"

using DB::TValue;

TEST(DBValue, TextFormOfEveryKind) {
  struct Row {
    const char* name;
    TValue value;
    const char* text;
  } rows[] = {
      {"null", TValue::Null(), ""},
      {"integer", TValue::Integer(-42), "-42"},
      {"decimal", TValue::Decimal(12345, 2), "123.45"},
      {"decimal below one", TValue::Decimal(-5, 2), "-0.05"},
      {"decimal zero scale", TValue::Decimal(7, 0), "7"},
      {"decimal of int64 min", TValue::Decimal(INT64_MIN, 4), "-922337203685477.5808"},
      {"double shortest", TValue::Float(0.1), "0.1"},
      {"single shortest", TValue::Float(0.15f, true), "0.15"},
      {"boolean", TValue::Boolean(true), "TRUE"},
      {"day zero", TValue::Date(0), "1899-12-30"},
      {"leap day", TValue::Date(45351), "2024-02-29"},
      {"before day zero", TValue::Date(-693593), "0001-01-01"},
      {"last four-digit year", TValue::Date(2958465), "9999-12-31"},
      {"five-digit year", TValue::Date(2958466), "10000-01-01"},
      {"before year one", TValue::Date(-693594), "0000-12-31"},
      {"time", TValue::Time((12 * 3600 + 34 * 60 + 56) * 10000LL), "12:34:56"},
      {"time with milliseconds", TValue::Time(1230), "00:00:00.123"},
      {"time with ten-thousandths", TValue::Time(1234), "00:00:00.1234"},
      {"timestamp", TValue::DateTime(45322, 36000 * 10000LL), "2024-01-31 10:00:00"},
      {"text", TValue::Text("Zo\xEB"), "Zo\xEB"},
  };
  for (const Row& r : rows) EXPECT_EQ(r.value.AsString(), r.text) << r.name;
}

TEST(DBValue, TypedReadsAndTheirRefusals) {
  EXPECT_EQ(TValue::Decimal(-12399, 2).AsInteger(), -123) << "truncated towards zero";
  EXPECT_EQ(TValue::Text(" +7 ").AsInteger(), 7);
  EXPECT_DOUBLE_EQ(TValue::Decimal(12345, 2).AsFloat(), 123.45);
  EXPECT_DOUBLE_EQ(TValue::Text("2.5").AsFloat(), 2.5);
  EXPECT_TRUE(TValue::Text("true").AsBoolean());
  EXPECT_FALSE(TValue::Integer(0).AsBoolean());
  EXPECT_EQ(TValue::Null().AsInteger(), 0);
  EXPECT_DOUBLE_EQ(TValue::Date(45322).AsDateTime(), SysUtils::EncodeDate(2024, 1, 31));
  EXPECT_DOUBLE_EQ(TValue::DateTime(45322, 6 * 3600 * 10000LL).AsDateTime(),
                   SysUtils::EncodeDate(2024, 1, 31) + 0.25);
  EXPECT_DOUBLE_EQ(TValue::DateTime(-1, 6 * 3600 * 10000LL).AsDateTime(), -1.25)
      << "before day 0 the time counts away from zero";
  EXPECT_DOUBLE_EQ(TValue::Text("2024-01-31 06:00:00").AsDateTime(), SysUtils::EncodeDate(2024, 1, 31) + 0.25);

  EXPECT_THROW(TValue::Text("12abc").AsInteger(), DB::EDatabaseError);
  EXPECT_THROW(TValue::Text("").AsFloat(), DB::EDatabaseError);
  EXPECT_THROW(TValue::Text("maybe").AsBoolean(), DB::EDatabaseError);
  EXPECT_THROW(TValue::Bytes("\x01").AsFloat(), DB::EDatabaseError);
  EXPECT_THROW(TValue::Text("31/01/2024").AsDateTime(), DB::EDatabaseError);
  EXPECT_THROW(TValue::Unreadable("ARRAY").AsString(), DB::EDatabaseError);
}

TEST(DBValue, IsoTextParsesOrStaysText) {
  struct Row {
    const char* name;
    DB::TFieldType type;
    const char* text;
    TValue::TKind kind;
    const char* back;  // AsString of the result
  } rows[] = {
      {"date", DB::ftDate, "2024-02-29", TValue::TKind::Date, "2024-02-29"},
      {"no such day", DB::ftDate, "2023-02-29", TValue::TKind::Text, "2023-02-29"},
      {"date with garbage", DB::ftDate, "2024-01-31x", TValue::TKind::Text, "2024-01-31x"},
      {"time", DB::ftTime, "23:59:59", TValue::TKind::Time, "23:59:59"},
      {"time without seconds", DB::ftTime, "12:00", TValue::TKind::Time, "12:00:00"},
      {"hour 24", DB::ftTime, "24:00:00", TValue::TKind::Text, "24:00:00"},
      {"fraction beyond the engines", DB::ftTime, "00:00:01.123456", TValue::TKind::Time, "00:00:01.1234"},
      {"timestamp with T", DB::ftDateTime, "2024-01-31T10:00:00", TValue::TKind::DateTime, "2024-01-31 10:00:00"},
      {"timestamp of a date", DB::ftDateTime, "2024-01-31", TValue::TKind::DateTime, "2024-01-31 00:00:00"},
      {"not a timestamp", DB::ftDateTime, "yesterday", TValue::TKind::Text, "yesterday"},
  };
  for (const Row& r : rows) {
    TValue v = TValue::FromIsoText(r.type, r.text);
    EXPECT_EQ(v.Kind(), r.kind) << r.name;
    EXPECT_EQ(v.AsString(), r.back) << r.name;
  }
}

TEST(DBText, Win1252AndUtf8) {
  struct Row {
    const char* name;
    std::string ansi;
    std::string utf8;
  } rows[] = {
      {"ascii", "abc", "abc"},
      {"latin letter", "Jos\xE9", "Jos\xC3\xA9"},
      {"euro sign", "\x80", "\xE2\x82\xAC"},
      {"undefined byte survives", "\x81", "\xC2\x81"},
      {"s caron", "\x9A", "\xC5\xA1"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(DB::AnsiToUtf8(r.ansi), r.utf8) << r.name;
    EXPECT_EQ(DB::Utf8ToAnsi(r.utf8), r.ansi) << r.name;
  }
  struct Lossy {
    const char* name;
    std::string utf8;
    std::string ansi;
  } lossy[] = {
      {"not in the code page", "\xE4\xB8\xAD", "?"},
      {"cut sequence", "a\xC3", "a?"},
      {"overlong slash", "\xC0\xAF", "??"},
      {"surrogate", "\xED\xA0\x80", "???"},
  };
  for (const Lossy& r : lossy) EXPECT_EQ(DB::Utf8ToAnsi(r.utf8), r.ansi) << r.name;
}

TEST(DBText, CsvFields) {
  struct Row {
    const char* name;
    TValue value;
    const char* csv;
  } rows[] = {
      {"null is empty", TValue::Null(), ""},
      {"empty text is quoted", TValue::Text(""), "\"\""},
      {"plain", TValue::Text("abc"), "abc"},
      {"comma", TValue::Text("a,b"), "\"a,b\""},
      {"quote doubled", TValue::Text("say \"hi\""), "\"say \"\"hi\"\"\""},
      {"line break", TValue::Text("a\r\nb"), "\"a\r\nb\""},
      {"utf-8", TValue::Text("Zo\xEB"), "Zo\xC3\xAB"},
      {"utf-8 quoted", TValue::Text("\x80\"a\xFF,b\""), "\"\xE2\x82\xAC\"\"a\xC3\xBF,b\"\"\""},
      {"undefined code kept", TValue::Text("\x81x"), "\xC2\x81x"},
      {"integer", TValue::Integer(INT64_MIN), "-9223372036854775808"},
      {"float", TValue::Float(-0.25), "-0.25"},
      {"date", TValue::Date(45351), "2024-02-29"},
      {"timestamp", TValue::DateTime(45322, 36000 * 10000LL), "2024-01-31 10:00:00"},
      {"bytes as hex", TValue::Bytes(std::string("\x00\xFF", 2)), "00FF"},
      {"empty bytes", TValue::Bytes(""), "\"\""},
      {"decimal", TValue::Decimal(-5, 2), "-0.05"},
      {"boolean", TValue::Boolean(false), "FALSE"},
  };
  std::string appended = "x";
  for (const Row& r : rows) {
    EXPECT_EQ(DB::CsvField(r.value), r.csv) << r.name;
    DB::AppendCsvField(appended, r.value);
    appended += ';';
  }
  std::string joined = "x";
  for (const Row& r : rows) joined += std::string(r.csv) + ";";
  EXPECT_EQ(appended, joined) << "AppendCsvField appends what CsvField gives";
  EXPECT_EQ(DB::CsvRecord({"1", "", "\"a,b\""}), "1,,\"a,b\"\r\n");
  EXPECT_THROW(DB::CsvField(TValue::Unreadable("ARRAY")), DB::EDatabaseError);
}

namespace {

// Rows of one integer and one text; a row whose number is Fail is half written and then
// raises, as an engine error in the middle of a row does.
class TScriptedCursor : public DB::TCursor {
 public:
  TScriptedCursor(int Rows, int Fail) : FRows(Rows), FFail(Fail) {}
  bool Fetch(std::vector<TValue>& Row) override {
    if (FNext > FRows) return false;
    Row.resize(2);
    Row[0] = TValue::Integer(FNext);
    if (FNext == FFail) {
      FFail = 0;  // the next attempt succeeds
      throw DB::EDatabaseError("fetch failed");
    }
    // Texts past the short-string size, so a row that kept another row's storage shows.
    Row[1] = FNext % 2 ? TValue::Text(std::string(40, static_cast<char>('a' + FNext))) : TValue::Null();
    ++FNext;
    return true;
  }

 private:
  int FNext = 1, FRows, FFail;
};

}  // namespace

TEST(DBRowReader, RowsInOrderAndAFailedFetchKeepsTheRow) {
  DB::TRowReader reader;
  reader.Start(std::make_unique<TScriptedCursor>(5, 3));
  auto expectRow = [&](int n) {
    ASSERT_EQ(reader.Row().size(), 2u);
    EXPECT_EQ(reader.Row()[0], TValue::Integer(n));
    const TValue text = n % 2 ? TValue::Text(std::string(40, static_cast<char>('a' + n))) : TValue::Null();
    EXPECT_EQ(reader.Row()[1], text) << "row " << n;
    EXPECT_EQ(reader.RecNo(), n);
  };
  expectRow(1);
  reader.Next();
  expectRow(2);
  EXPECT_THROW(reader.Next(), DB::EDatabaseError);
  expectRow(2);
  EXPECT_FALSE(reader.Eof());
  for (int n = 3; n <= 5; ++n) {
    reader.Next();
    expectRow(n);
  }
  reader.Next();
  EXPECT_TRUE(reader.Eof());
  expectRow(5);
  EXPECT_EQ(reader.RecordCount(), 5);
}

TEST(DBTablesMapping, DeclaredTypeToFieldType) {
  struct Row {
    const char* declared;
    DB::TFieldType type;
    int size;
  } rows[] = {
      {"BOOLEAN", DB::ftBoolean, 0},       {"bool", DB::ftBoolean, 0},
      {"BIGINT", DB::ftLargeint, 0},       {"INT8", DB::ftLargeint, 0},
      {"SMALLINT", DB::ftSmallint, 0},     {"int2", DB::ftSmallint, 0},
      {"TINYINT", DB::ftSmallint, 0},      {"INTEGER", DB::ftInteger, 0},
      {"INT", DB::ftInteger, 0},           {"MEDIUMINT", DB::ftInteger, 0},
      {"UNSIGNED BIG INT", DB::ftInteger, 0},
      {"DATETIME", DB::ftDateTime, 0},     {"timestamp", DB::ftDateTime, 0},
      {"DATE", DB::ftDate, 0},             {"TIME", DB::ftTime, 0},
      {"NUMERIC(15,2)", DB::ftBCD, 2},     {"decimal(10, 4)", DB::ftBCD, 4},
      {"NUMERIC", DB::ftBCD, 0},           {"REAL", DB::ftFloat, 0},
      {"DOUBLE", DB::ftFloat, 0},          {"DOUBLE PRECISION", DB::ftFloat, 0},
      {"FLOAT", DB::ftFloat, 0},           {"TEXT", DB::ftMemo, 0},
      {"CLOB", DB::ftMemo, 0},             {"VARCHAR(40)", DB::ftString, 40},
      {"varchar (40)", DB::ftString, 40},  {"CHAR(2)", DB::ftString, 2},
      {"NCHAR(5)", DB::ftString, 5},       {"NVARCHAR(9)", DB::ftString, 9},
      {"VARYING CHARACTER(7)", DB::ftString, 7},
      {"CHARACTER  VARYING(8)", DB::ftString, 8},
      {"CHARACTER(3)", DB::ftString, 3},   {"CHAR", DB::ftString, 0},
      {"BLOB", DB::ftBlob, 0},             {"", DB::ftUnknown, 0},
      {"GEOMETRY", DB::ftUnknown, 0},      {"STRING", DB::ftUnknown, 0},
      {"POINT", DB::ftInteger, 0},  // contains INT: the rule before the others
  };
  for (const Row& r : rows) {
    int size = -1;
    EXPECT_EQ(DBTables::FieldTypeOfDeclaredType(r.declared, size), r.type) << r.declared;
    EXPECT_EQ(size, r.size) << r.declared;
  }
}

TEST(IBODatasetMapping, NativeTypeToFieldType) {
  struct Row {
    const char* name;
    int sqltype, subtype, scale;
    DB::TFieldType type;
  } rows[] = {
      {"VARCHAR", 448, 53, 0, DB::ftString},      {"CHAR nullable", 453, 53, 0, DB::ftString},
      {"SMALLINT", 500, 0, 0, DB::ftSmallint},    {"INTEGER", 497, 0, 0, DB::ftInteger},
      {"BIGINT", 580, 0, 0, DB::ftLargeint},      {"NUMERIC(4,1)", 500, 1, -1, DB::ftBCD},
      {"NUMERIC(9,2)", 496, 1, -2, DB::ftBCD},    {"DECIMAL(18,4)", 581, 2, -4, DB::ftBCD},
      {"DOUBLE", 480, 0, 0, DB::ftFloat},         {"FLOAT", 483, 0, 0, DB::ftFloat},
      {"D_FLOAT", 530, 0, 0, DB::ftFloat},        {"DATE", 570, 0, 0, DB::ftDate},
      {"TIME", 561, 0, 0, DB::ftTime},            {"TIMESTAMP", 510, 0, 0, DB::ftDateTime},
      {"BOOLEAN", 32765, 0, 0, DB::ftBoolean},    {"text BLOB", 520, 1, 0, DB::ftMemo},
      {"binary BLOB", 521, 0, 0, DB::ftBlob},     {"other BLOB", 520, 7, 0, DB::ftBlob},
      {"ARRAY", 540, 0, 0, DB::ftUnknown},        {"QUAD", 550, 0, 0, DB::ftUnknown},
      {"NULL", 32767, 0, 0, DB::ftUnknown},
  };
  for (const Row& r : rows) EXPECT_EQ(IBODataset::FieldTypeOf(r.sqltype, r.subtype, r.scale), r.type) << r.name;
}

TEST(IBScript, SplitsAtTheTerminatorOnly) {
  using IB_Components::detail::SplitScript;
  using V = std::vector<std::string>;
  struct Row {
    const char* name;
    const char* script;
    V statements;
  } rows[] = {
      {"two", "create table a (x int);\ncreate table b (y int);", V{"create table a (x int)", "create table b (y int)"}},
      {"no last terminator", "select 1 from rdb$database", V{"select 1 from rdb$database"}},
      {"terminator in quotes", "insert into t values ('a;b');", V{"insert into t values ('a;b')"}},
      {"doubled quote", "insert into t values ('it''s; ok');", V{"insert into t values ('it''s; ok')"}},
      {"terminator in comments", "-- a; b\ncreate table a (x int); /* c; d */", V{"-- a; b\ncreate table a (x int)"}},
      {"empty statements dropped", ";;  ;\n", V{}},
      {"set term",
       "SET TERM ^ ;\ncreate procedure p as begin exit; end^\nSET TERM ; ^\ncommit;",
       V{"create procedure p as begin exit; end", "commit"}},
  };
  for (const Row& r : rows) EXPECT_EQ(SplitScript(r.script), r.statements) << r.name;
}

TEST(IBNames, ServerNamesAndSharedKeys) {
  using IB_Components::detail::AttachmentKey;
  using IB_Components::detail::IsServerName;
  struct Row {
    const char* name;
    bool server;
  } rows[] = {
      {"/var/db/x.fdb", false}, {"x.fdb", false},           {"C:\\db\\x.fdb", false},
      {"localhost:/x.fdb", true}, {"127.0.0.1/3051:/x.fdb", true}, {"db.example.com:x", true},
  };
  for (const Row& r : rows) EXPECT_EQ(IsServerName(r.name), r.server) << r.name;
  EXPECT_EQ(AttachmentKey("/tmp/a/../b/x.fdb"), "/tmp/b/x.fdb");
  EXPECT_EQ(AttachmentKey(" localhost:/x.fdb "), "localhost:/x.fdb");
}
