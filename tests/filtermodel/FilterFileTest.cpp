#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "TestHost.h"
#include "filtermodel/kytSQLFilterStruc.h"

using namespace kytSQLFilterStruc;
namespace fs = std::filesystem;

namespace {

class FilterFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "kytflt.XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    Dir = tmpl;
    FH = TFilterHeader{};
  }
  void TearDown() override { fs::remove_all(Dir); }

  std::string Path(const std::string& Name) const { return (Dir / Name).string(); }

  static std::vector<char> Load(const std::string& File) {
    std::ifstream in(File, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
  }
  static void Save(const std::string& File, const std::vector<char>& Bytes) {
    std::ofstream out(File, std::ios::binary | std::ios::trunc);
    out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  }
  static int BoxesWith(const std::string& Text) {
    int n = 0;
    for (const auto& b : ScriptedHost().Boxes) n += b.Text == Text ? 1 : 0;
    return n;
  }
  static size_t OpenFiles() {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
  }
  size_t FilesInDir() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()));
  }

  static FilterRec Line(const std::string& Field, const std::string& Value, int32_t Operation) {
    FilterRec r{};
    r.BeginGroup.Set("((");
    r.FieldName.Set(Field);
    r.TableName.Set("ORDERS.");
    r.Operator.Set("Starting with");
    r.Value.Set(Value);
    r.EndGroup.Set(")");
    r.Operation = Operation;
    return r;
  }

  fs::path Dir;
};

}  // namespace

TEST_F(FilterFile, OneLineOneEntryIsByteExact) {
  FilterArray lines{Line("ID", "12/31/1999", 1)};
  Classes::TStringList order;
  order.Add("ORDERS.ID");
  FH.SetDescription("first\r\nsecond");
  ASSERT_TRUE(WriteFilter(Path("a.flt"), lines, order));

  const std::vector<char> bytes = Load(Path("a.flt"));
  ASSERT_EQ(bytes.size(), 2831u);
  int32_t counts[2];
  std::memcpy(counts, bytes.data() + 1028, 8);
  EXPECT_EQ(counts[0], 1);
  EXPECT_EQ(counts[1], 1);
  EXPECT_EQ(std::string(bytes.data(), 14), std::string("first\r\nsecond\0", 14));
  EXPECT_EQ(std::memcmp(bytes.data() + 1036, &lines[0], 1540), 0);
  EXPECT_EQ(bytes[1036 + 256], 2);  // length byte of FieldName
  EXPECT_EQ(std::string(bytes.data() + 1036 + 257, 2), "ID");
  EXPECT_EQ(bytes[2576], 9);
  EXPECT_EQ(std::string(bytes.data() + 2577, 9), "ORDERS.ID");
  EXPECT_EQ(FilesInDir(), 1u);  // no working file left beside it

  FH = TFilterHeader{};
  FilterArray back{Line("X", "Y", 2), Line("X", "Y", 2)};
  Classes::TStringList got;
  got.Add("old");
  ASSERT_TRUE(ReadFilter(Path("a.flt"), back, got));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(std::memcmp(&back[0], &lines[0], sizeof(FilterRec)), 0);
  EXPECT_EQ(back[0].Operator.Str(), "Starting with");
  EXPECT_EQ(back[0].Operation, 1);
  EXPECT_EQ(got.Text(), "ORDERS.ID\r\n");
  EXPECT_EQ(FH.GetDescription(), "first\r\nsecond");
  EXPECT_TRUE(ScriptedHost().Boxes.empty());
}

TEST_F(FilterFile, EmptyFilterAndOrderingLimits) {
  FilterArray none;
  Classes::TStringList empty;
  ASSERT_TRUE(WriteFilter(Path("e.flt"), none, empty));
  EXPECT_EQ(fs::file_size(Path("e.flt")), 1036u);
  Classes::TStringList box;
  box.Add("stale");
  FilterArray back(3);
  ASSERT_TRUE(ReadFilter(Path("e.flt"), back, box));
  EXPECT_EQ(box.Count(), 0);
  EXPECT_TRUE(back.empty());

  // 254 characters survive; longer texts are cut to 254.
  const std::string t254(254, 'A'), t255 = std::string(254, 'B') + "C", t400(400, 'D');
  Classes::TStringList order;
  order.Add(t254);
  order.Add(t255);
  order.Add(t400);
  order.Add("");
  std::string longDesc(1100, 'x');
  FH.SetDescription(longDesc);
  ASSERT_TRUE(WriteFilter(Path("o.flt"), none, order));
  EXPECT_EQ(fs::file_size(Path("o.flt")), 1036u + 4 * 255u);
  ASSERT_TRUE(ReadFilter(Path("o.flt"), back, box));
  ASSERT_EQ(box.Count(), 4);
  EXPECT_EQ(box.Get(0), t254);
  EXPECT_EQ(box.Get(1), std::string(254, 'B'));
  EXPECT_EQ(box.Get(2), std::string(254, 'D'));
  EXPECT_EQ(box.Get(3), "");
  EXPECT_EQ(FH.GetDescription(), std::string(1024, 'x'));

  // A length byte of 255 (never written by WriteFilter) reads as its 254 characters.
  std::vector<char> bytes = Load(Path("o.flt"));
  bytes[1036] = static_cast<char>(255);
  Save(Path("o.flt"), bytes);
  ASSERT_TRUE(ReadFilter(Path("o.flt"), back, box));
  EXPECT_EQ(box.Get(0), t254);
  EXPECT_EQ(box.Get(1), std::string(254, 'B'));
}

TEST_F(FilterFile, SaveReplacesAnOlderFileWhole) {
  FilterArray three{Line("A", "1", 1), Line("B", "2", 2), Line("C", "3", 0)};
  Classes::TStringList order;
  order.Add("ORDERS.A");
  ASSERT_TRUE(WriteFilter(Path("r.flt"), three, order));
  FilterArray one{Line("Z", "9", -1)};
  Classes::TStringList none;
  ASSERT_TRUE(WriteFilter(Path("r.flt"), one, none));
  EXPECT_EQ(fs::file_size(Path("r.flt")), 1036u + 1540u);
  FilterArray back;
  ASSERT_TRUE(ReadFilter(Path("r.flt"), back, order));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].FieldName.Str(), "Z");
  EXPECT_EQ(back[0].Operation, -1);
  EXPECT_EQ(order.Count(), 0);
}

TEST_F(FilterFile, UnreadableFilesFailWithoutTouchingTheFilter) {
  // A valid file of 2 records and 1 entry to damage: 1036 + 3080 + 255 bytes.
  FilterArray two{Line("A", "1", 1), Line("B", "2", 0)};
  Classes::TStringList order;
  order.Add("ORDERS.A");
  FH.SetDescription("kept");
  ASSERT_TRUE(WriteFilter(Path("good.flt"), two, order));
  const std::vector<char> good = Load(Path("good.flt"));
  ASSERT_EQ(good.size(), 4371u);

  auto withCounts = [&](int32_t Records, int32_t Entries, size_t Size) {
    std::vector<char> b = good;
    std::memcpy(b.data() + 1028, &Records, 4);
    std::memcpy(b.data() + 1032, &Entries, 4);
    b.resize(Size);
    return b;
  };
  struct Row {
    const char* Name;
    std::vector<char> Bytes;
    bool Message;  // 60055 shown
  };
  const std::vector<Row> rows = {
      {"empty file", {}, false},
      {"1000 bytes", std::vector<char>(good.begin(), good.begin() + 1000), false},
      {"header only but 2 records announced", withCounts(2, 1, 1036), true},
      {"3 records announced, 2 held", withCounts(3, 1, 4371), true},
      {"cut in the middle of a record", withCounts(2, 1, 1036 + 1540 + 700), true},
      {"cut in the ordering entry", withCounts(2, 1, 4371 - 1), true},
      {"2 entries announced, 1 held", withCounts(2, 2, 4371), true},
      {"negative record count", withCounts(-1, 0, 4371), true},
      {"negative entry count", withCounts(0, -5, 4371), true},
      {"huge record count", withCounts(INT32_MAX, 0, 4371), true},
      {"huge entry count", withCounts(0, INT32_MAX, 4371), true},
  };
  const size_t openBefore = OpenFiles();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    ScriptedHost().Reset();
    Save(Path("bad.flt"), r.Bytes);
    FH.SetDescription("before");
    FilterArray target{Line("KEEP", "1", 2)};
    Classes::TStringList box;
    box.Add("KEEP.ME");
    EXPECT_THROW(ReadFilter(Path("bad.flt"), target, box), Classes::EReadError);
    EXPECT_EQ(BoxesWith("Error reading the filter from file !"), r.Message ? 1 : 0);
    EXPECT_EQ(ScriptedHost().Boxes.size(), r.Message ? 1u : 0u);
    ASSERT_EQ(target.size(), 1u);
    EXPECT_EQ(target[0].FieldName.Str(), "KEEP");
    EXPECT_EQ(box.Text(), "KEEP.ME\r\n");
    EXPECT_EQ(FH.GetDescription(), "before");
  }
  EXPECT_EQ(OpenFiles(), openBefore);  // every failure released its file

  // A file that is not there: the open error, naming the file, and no message.
  ScriptedHost().Reset();
  FilterArray target;
  Classes::TStringList box;
  try {
    ReadFilter(Path("missing.flt"), target, box);
    ADD_FAILURE() << "no exception";
  } catch (const Classes::EFOpenError& e) {
    EXPECT_NE(e.Message().find("missing.flt"), std::string::npos);
  }
  EXPECT_TRUE(ScriptedHost().Boxes.empty());

  // Trailing bytes after the announced content are ignored.
  std::vector<char> longer = good;
  longer.resize(good.size() + 100, 'z');
  Save(Path("long.flt"), longer);
  ASSERT_TRUE(ReadFilter(Path("long.flt"), target, box));
  EXPECT_EQ(target.size(), 2u);
  EXPECT_EQ(box.Text(), "ORDERS.A\r\n");
  EXPECT_EQ(FH.GetDescription(), "kept");
}

TEST_F(FilterFile, FailedSaveKeepsTheOldFile) {
  FilterArray two{Line("A", "1", 1), Line("B", "2", 0)};
  Classes::TStringList order;
  order.Add("ORDERS.A");
  ASSERT_TRUE(WriteFilter(Path("keep.flt"), two, order));
  const std::vector<char> before = Load(Path("keep.flt"));

  // A file size limit makes the record block fail after the header was written.
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 2000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  FilterArray other{Line("C", "3", 2), Line("D", "4", 2), Line("E", "5", 2)};
  bool threw = false;
  try {
    WriteFilter(Path("keep.flt"), other, order);
  } catch (const Classes::EWriteError&) {
    threw = true;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_TRUE(threw);
  EXPECT_EQ(BoxesWith("Error saving the filter to file !"), 1);
  EXPECT_EQ(Load(Path("keep.flt")), before);
  EXPECT_EQ(FilesInDir(), 1u);  // the partial new file is gone and closed

  // A folder that does not exist: the create error names the file, no message.
  ScriptedHost().Reset();
  const std::string nowhere = Path("no/such/x.flt");
  try {
    WriteFilter(nowhere, other, order);
    ADD_FAILURE() << "no exception";
  } catch (const Classes::EFCreateError& e) {
    EXPECT_NE(e.Message().find(nowhere), std::string::npos) << e.Message();
  }
  EXPECT_TRUE(ScriptedHost().Boxes.empty());
}

namespace {

void PutInt32(std::vector<char>& B, size_t At, int32_t V) {
  const uint32_t u = static_cast<uint32_t>(V);
  for (int i = 0; i < 4; ++i) B[At + static_cast<size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

// A length byte at At, then the characters.
void PutShort(std::vector<char>& B, size_t At, const std::string& S) {
  B[At] = static_cast<char>(S.size());
  std::copy(S.begin(), S.end(), B.begin() + static_cast<std::ptrdiff_t>(At + 1));
}

}  // namespace

// The file layout written out by hand, byte by byte, against what WriteFilter writes and
// what ReadFilter takes from it.
TEST_F(FilterFile, HandWrittenLayoutMatchesWriteAndRead) {
  struct Text {
    const char* Begin;
    const char* Field;
    const char* Table;
    const char* Op;
    const char* Value;
    const char* End;
    int32_t Operation;
  };
  const Text lines[] = {
      {"((", "NAME", "C.", "Starting with", "Jos\xE9", "", 2},
      {"", "TOTAL", "ORDERS.", ">=", "100", "))", -1},
  };
  const std::string order[] = {"ORDERS.ID", "C.NAME"};
  const std::string description = "Big\r\norders";

  std::vector<char> hand(1036 + 2 * 1540 + 2 * 255, '\0');
  std::copy(description.begin(), description.end(), hand.begin());
  PutInt32(hand, 1028, 2);
  PutInt32(hand, 1032, 2);
  for (size_t i = 0; i < 2; ++i) {
    const size_t at = 1036 + i * 1540;
    const Text& t = lines[i];
    PutShort(hand, at + 0, t.Begin);
    PutShort(hand, at + 256, t.Field);
    PutShort(hand, at + 512, t.Table);
    PutShort(hand, at + 768, t.Op);
    PutShort(hand, at + 1024, t.Value);
    PutShort(hand, at + 1280, t.End);
    PutInt32(hand, at + 1536, t.Operation);
  }
  for (size_t i = 0; i < 2; ++i) PutShort(hand, 1036 + 2 * 1540 + i * 255, order[i]);

  FilterArray records;
  for (const Text& t : lines) {
    FilterRec r{};
    r.BeginGroup.Set(t.Begin);
    r.FieldName.Set(t.Field);
    r.TableName.Set(t.Table);
    r.Operator.Set(t.Op);
    r.Value.Set(t.Value);
    r.EndGroup.Set(t.End);
    r.Operation = t.Operation;
    records.push_back(r);
  }
  Classes::TStringList box;
  for (const std::string& o : order) box.Add(o);
  FH = TFilterHeader{};
  FH.SetDescription(description);
  ASSERT_TRUE(WriteFilter(Path("w.flt"), records, box));
  EXPECT_EQ(Load(Path("w.flt")), hand);

  Save(Path("hand.flt"), hand);
  FH = TFilterHeader{};
  FilterArray back;
  Classes::TStringList got;
  ASSERT_TRUE(ReadFilter(Path("hand.flt"), back, got));
  EXPECT_EQ(FH.GetDescription(), description);
  ASSERT_EQ(back.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back[i].BeginGroup.Str(), lines[i].Begin);
    EXPECT_EQ(back[i].FieldName.Str(), lines[i].Field);
    EXPECT_EQ(back[i].TableName.Str(), lines[i].Table);
    EXPECT_EQ(back[i].Operator.Str(), lines[i].Op);
    EXPECT_EQ(back[i].Value.Str(), lines[i].Value);
    EXPECT_EQ(back[i].EndGroup.Str(), lines[i].End);
    EXPECT_EQ(back[i].Operation, lines[i].Operation);
  }
  EXPECT_EQ(got.Text(), "ORDERS.ID\r\nC.NAME\r\n");
}

// The dialog makes a row of controls per record: more than MaxFilterRecords is a read
// error before anything is allocated or changed, even when the file holds them all.
TEST_F(FilterFile, RecordCountIsLimited) {
  struct Row {
    int32_t Records;
    bool Accepted;
  } rows[] = {{1000, true}, {1001, false}, {65536, false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Records);
    ScriptedHost().Reset();
    std::vector<char> header(1036, '\0');
    PutInt32(header, 1028, r.Records);
    const std::string file = Path("many.flt");
    Save(file, header);
    fs::resize_file(file, 1036 + static_cast<uintmax_t>(r.Records) * 1540);  // zero records, sparse
    FH.SetDescription("before");
    FilterArray target{Line("KEEP", "1", 2)};
    Classes::TStringList box;
    box.Add("KEEP.ME");
    if (r.Accepted) {
      ASSERT_TRUE(ReadFilter(file, target, box));
      EXPECT_EQ(target.size(), static_cast<size_t>(r.Records));
      EXPECT_EQ(box.Count(), 0);
      EXPECT_TRUE(ScriptedHost().Boxes.empty());
      continue;
    }
    EXPECT_THROW(ReadFilter(file, target, box), Classes::EReadError);
    EXPECT_EQ(BoxesWith("Error reading the filter from file !"), 1);
    ASSERT_EQ(target.size(), 1u);
    EXPECT_EQ(target[0].FieldName.Str(), "KEEP");
    EXPECT_EQ(box.Text(), "KEEP.ME\r\n");
    EXPECT_EQ(FH.GetDescription(), "before");
  }
}
