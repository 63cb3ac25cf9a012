#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "filtermodel/kytSQLFilterStruc.h"

using namespace kytSQLFilterStruc;

namespace {

std::vector<uint8_t> Bytes(Classes::TMemoryStream& S) {
  return std::vector<uint8_t>(S.Memory(), S.Memory() + S.Size());
}

void ExpectSame(const TCampo& A, const TCampo& B) {
  EXPECT_EQ(A.FieldName, B.FieldName);
  EXPECT_EQ(A.ComboOrder, B.ComboOrder);
  EXPECT_EQ(A.TableName, B.TableName);
  EXPECT_EQ(A.DataType, B.DataType);
  EXPECT_EQ(A.MaxSize, B.MaxSize);
  EXPECT_EQ(A.FieldKind, B.FieldKind);
  EXPECT_EQ(A.Description, B.Description);
  EXPECT_EQ(A.Supported, B.Supported);
  EXPECT_EQ(A.Visible, B.Visible);
}

void FillId(TCampo& c) {
  c.FieldName = "ID";
  c.TableName = "T.";
  c.DataType = fInteger;
  c.MaxSize = 4;
  c.Description = "Id";
  c.Supported = true;
  c.Visible = true;
}

}  // namespace

TEST(CampoRecord, ExampleIsThirtyExactBytes) {
  Classes::TMemoryStream s;
  TCampo id;
  FillId(id);
  id.SaveToStream(s);
  const std::vector<uint8_t> expected = {0x02, 0x00, 0x00, 0x00, 0x49, 0x44, 0x00, 0x00, 0x00, 0x00,
                                         0x02, 0x00, 0x00, 0x00, 0x54, 0x2E, 0x02, 0x04, 0x00, 0x00,
                                         0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x49, 0x64, 0x01, 0x01};
  EXPECT_EQ(Bytes(s), expected);
}

TEST(CampoRecord, RoundTripsEveryField) {
  TCampo full;
  full.FieldName = "NOME \xC7";
  full.ComboOrder = -7;
  full.TableName = "CLIENTES.";
  full.DataType = fBoolean;
  full.MaxSize = 0x12345678;
  full.FieldKind = fkJoined;
  full.Description = std::string("a\0b", 3);
  full.Supported = true;
  full.Visible = false;
  const TCampo empty;
  for (const TCampo* src : std::initializer_list<const TCampo*>{&full, &empty}) {
    Classes::TMemoryStream s;
    src->SaveToStream(s);
    EXPECT_EQ(s.Size(), static_cast<int64_t>(24 + src->FieldName.size() + src->TableName.size() +
                                             src->Description.size()));
    s.SetPosition(0);
    TCampo back;
    FillId(back);
    back.LoadFromStream(s);
    ExpectSame(back, *src);
    EXPECT_EQ(s.Position(), s.Size());
  }
}

TEST(CampoRecord, DamagedRecordsRaiseReadError) {
  Classes::TMemoryStream good;
  TCampo id;
  FillId(id);
  id.SaveToStream(good);
  const std::vector<uint8_t> bytes = Bytes(good);

  // Every cut inside the 30 bytes fails.
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    Classes::TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<int64_t>(cut));
    s.SetPosition(0);
    TCampo c;
    EXPECT_THROW(c.LoadFromStream(s), Classes::EReadError) << "cut at " << cut;
  }

  struct Row {
    const char* Name;
    int32_t Prefix;
  };
  const Row rows[] = {{"negative", -1}, {"min", INT32_MIN}, {"huge", INT32_MAX}, {"one too many", 27}};
  for (const Row& r : rows) {
    std::vector<uint8_t> b = bytes;
    std::memcpy(b.data(), &r.Prefix, 4);
    Classes::TMemoryStream s;
    s.WriteBuffer(b.data(), static_cast<int64_t>(b.size()));
    s.SetPosition(0);
    TCampo c;
    EXPECT_THROW(c.LoadFromStream(s), Classes::EReadError) << r.Name;
  }

  // The fields read before a failure keep their new values.
  Classes::TMemoryStream s;
  s.WriteBuffer(bytes.data(), 16);  // FieldName, ComboOrder, TableName
  s.SetPosition(0);
  TCampo c;
  c.ComboOrder = 99;
  EXPECT_THROW(c.LoadFromStream(s), Classes::EReadError);
  EXPECT_EQ(c.FieldName, "ID");
  EXPECT_EQ(c.ComboOrder, 0);
  EXPECT_EQ(c.TableName, "T.");
}

namespace {
struct Derived : TCampo {};
}  // namespace

TEST(CampoAssign, CopiesFromEntriesRefusesOthers) {
  Derived src;
  FillId(src);
  TCampo id;
  FillId(id);
  TCampo dst;
  dst.Assign(&src);
  ExpectSame(dst, src);

  Classes::TStringList list;
  TCampo target;
  FillId(target);
  for (const Classes::TObject* bad : {static_cast<const Classes::TObject*>(&list),
                                      static_cast<const Classes::TObject*>(nullptr)}) {
    try {
      target.Assign(bad);
      ADD_FAILURE() << "no exception";
    } catch (const EInvalidAssign& e) {
      EXPECT_EQ(e.Message(), "Invalid Assign ! Object must be a TCampo descendent !");
    }
    ExpectSame(target, id);
  }
}

namespace {
struct Counted : TCampo {
  explicit Counted(std::vector<int>& Log, int Id) : FLog(Log), FId(Id) {}
  ~Counted() override { FLog.push_back(FId); }
  std::vector<int>& FLog;
  int FId;
};
}  // namespace

TEST(CamposOwnership, DestroysWhatItStillHoldsFirstToLast) {
  std::vector<int> log;
  auto* removed = new Counted(log, 2);
  auto* deleted = new Counted(log, 4);
  auto* replaced = new Counted(log, 5);
  {
    TCampos list;
    list.Add(new Counted(log, 1));
    list.Add(removed);
    list.Add(new Counted(log, 3));
    list.Insert(0, deleted);
    list.Add(replaced);
    EXPECT_EQ(list.Remove(removed), 2);
    EXPECT_EQ(list.Remove(removed), -1);
    list.Delete(0);
    list.Put(2, new Counted(log, 6));  // replaces entry 5 without destroying it
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.First()->FieldName, "");
    EXPECT_EQ(list.IndexOf(list.Last()), 2);
    EXPECT_THROW(list.Get(3), Classes::EListError);
    EXPECT_THROW(list.Put(-1, nullptr), Classes::EListError);
    EXPECT_THROW(list.Insert(5, nullptr), Classes::EListError);
  }
  EXPECT_EQ(log, (std::vector<int>{1, 3, 6}));
  delete removed;
  delete deleted;
  delete replaced;
  EXPECT_EQ(log, (std::vector<int>{1, 3, 6, 2, 4, 5}));
}

TEST(MyFindField, MatchesTrimmedNameExactlyIgnoringTable) {
  TCampos list;
  for (auto [field, table] : {std::pair{"NAME", "ORDERS."}, {"ID", "ITEMS."}, {"ID", "ORDERS."}}) {
    auto* c = new TCampo;
    c->FieldName = field;
    c->TableName = table;
    list.Add(c);
  }
  struct Row {
    const char* Table;
    const char* Field;
    int Expected;
  };
  const Row rows[] = {
      {"ORDERS.", "  ID\t", 1}, {"ORDERS", "ID", 1}, {"", "NAME", 0},
      {"ORDERS.", "id", -1},    {"ORDERS.", "I D", -1}, {"ORDERS.", "", -1},
  };
  for (const Row& r : rows) EXPECT_EQ(MyFindField(r.Table, r.Field, list), r.Expected) << r.Field;
  TCampos none;
  EXPECT_EQ(MyFindField("", "ID", none), -1);
}
