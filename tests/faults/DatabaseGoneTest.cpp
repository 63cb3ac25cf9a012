// Execute when the database file went away after the catalogue was built (deleted, or
// renamed away) while the application still shows the query's rows: the failure is
// told, the query keeps its statement, no empty database is made at the name, and once
// the file is back the same component filters again.
#include <filesystem>
#include <functional>

#include "tests/components/ComponentFixture.h"

namespace comptest {
namespace {

namespace fs = std::filesystem;

template <class K>
class DatabaseGone : public FilterTest<K> {};
TYPED_TEST_SUITE(DatabaseGone, AllKinds, KindNames);

TYPED_TEST(DatabaseGone, ExecuteToldTheStatementKeptAndFiltersAgainOnceBack) {
  const std::string shop = ShopDatabase(TypeParam::Firebird);
  struct Case {
    const char* name;
    std::function<void(const std::string&)> take, putBack;
  } cases[] = {
      {"deleted", [](const std::string& P) { fs::remove(P); },
       [&](const std::string& P) { fs::copy_file(shop, P); }},
      {"renamed_away", [](const std::string& P) { fs::rename(P, P + ".away"); },
       [](const std::string& P) { fs::rename(P + ".away", P); }},
  };
  const char* where = "WHERE ORDERS.TOTAL > 400";
  const Rows expected = this->Expected(where);
  ASSERT_GT(expected.size(), 0u);
  ASSERT_LT(expected.size(), static_cast<size_t>(kOrderCount));
  // Alone, the query lets its connection go when its statement changes; a second query
  // that the application keeps open holds the connection to the file that went.
  for (const bool held : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (held ? " / connection_held" : " / alone"));
      this->ClearShared();
      ScriptedHost().Reset();
      const std::string path = testenv::TempPath(std::string("gone-") + c.name + (held ? "-held" : "") +
                                                    (TypeParam::Firebird ? ".fdb" : ".db"));
      fs::copy_file(shop, path, fs::copy_options::overwrite_existing);
      auto* query = this->NewQuery(kJoinSQL, path);
      auto* other = held ? this->NewQuery("SELECT ID FROM ORDERS", path) : nullptr;
      if (other) other->Open();
      this->filter->SetDataSet(query);
      // The application shows the rows, and the catalogue is built from the query.
      query->Open();
      this->filter->InitCamposData(kytSQLFilterStruc::Campos, false);
      ASSERT_NE(kytSQLFilterStruc::Campos, nullptr);
      ASSERT_GT(kytSQLFilterStruc::Campos->Count(), 0);
      const std::string previous = SQLOf(*query);

      c.take(path);
      AcceptLines({{"TOTAL", ">", "400"}});
      bool accepted = true;
      EXPECT_NO_THROW(accepted = this->filter->Execute());
      this->ExpectFailureToldAndPreviousKept(accepted, *query, previous);
      EXPECT_FALSE(fs::exists(path)) << "no database is made at the name";

      c.putBack(path);
      ScriptedHost().Reset();
      AcceptLines({{"TOTAL", ">", "400"}});
      ASSERT_TRUE(this->filter->Execute()) << testing::PrintToString(BoxTexts());
      EXPECT_TRUE(query->Active());
      EXPECT_EQ(Sorted(ReadRows(*query)), Sorted(expected)) << SQLOf(*query);
      EXPECT_EQ(kytSQLFilterStruc::Filter.size(), 1u);

      this->filter->SetDataSet(this->query);
      delete query;
      delete other;
      fs::remove(path);
    }
  }
}

}  // namespace
}  // namespace comptest
