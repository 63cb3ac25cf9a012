#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filtermodel/kytSQLFilterStruc.h"
#include "sqltext/Parse.h"

using namespace kytSQLFilterStruc;

namespace kytSQLFilterStruc {
void PrintTo(const TTableRef& R, std::ostream* os) { *os << R.Table << " " << R.Alias << (R.Procedure ? " ()" : ""); }
}  // namespace kytSQLFilterStruc

namespace {

std::vector<std::string> Lines(const Classes::TStrings& L) {
  std::vector<std::string> v;
  for (int i = 0; i < L.Count(); ++i) v.push_back(L.Get(i));
  return v;
}

std::vector<std::string> Tables(const std::string& SQL, std::vector<std::string> Before = {}) {
  Classes::TStringList list;
  for (const auto& s : Before) list.Add(s);
  GetUsedTables(SQL, list);
  return Lines(list);
}

// The JOIN scan done the plain way, on copies of the remainder, to check that the
// position-based scan finds exactly the same tables.
std::vector<std::string> JoinTablesByCopies(const std::string& Cleaned) {
  static const std::vector<std::string> kStops = {"JOIN",  "WHERE", "GROUP", "HAVING",
                                                  "UNION", "PLAN",  "ORDER", "FOR"};
  std::vector<std::string> out;
  std::string rest = Cleaned;
  while (!rest.empty()) {
    int start = 0, end = 0;
    std::string stop, clause;
    const bool stopped = Parse::ParseStr(rest, "JOIN", kStops, start, end, stop, false);
    Parse::SubStrings(rest, clause, start, end);
    rest = (start == 0 || !stopped) ? std::string() : rest.substr(end - 1);
    clause = SysUtils::TrimLeft(clause) + ",";
    for (size_t i = 5; i + 4 <= clause.size(); ++i)
      if (clause.compare(i, 4, " ON ") == 0) {
        out.push_back(SysUtils::Trim(clause.substr(5, i - 5)));
        break;
      }
  }
  for (auto& s : out) {
    bool q = false;
    for (size_t k = 0; k < s.size(); ++k) {
      if (s[k] == '"') q = !q;
      else if (s[k] == ' ' && !q) {
        s.resize(k);
        break;
      }
    }
  }
  return out;
}

}  // namespace

TEST(GetUsedTables, Examples) {
  using V = std::vector<std::string>;
  struct Row {
    const char* Name;
    std::string SQL;
    V Before;
    V Expected;
  };
  const std::vector<Row> rows = {
      {"from list and left join",
       "select a.x from Orders o, Customer c left join Items i on i.id = o.id where a.x > 1\r\n",
       {},
       {"ORDERS", "CUSTOMER", "ITEMS"}},
      {"quoted name with a space and alias",
       "select * from \"Order Lines\" ol where ol.x = 1\r\n",
       {},
       {"\"ORDER LINES\""}},
      {"several lines read as single spaces",
       "select *\r\nfrom\r\nOrders o,\r\n  Customer\r\nwhere 1=1\r\n",
       {},
       {"ORDERS", "CUSTOMER"}},
      {"join after join",
       "SELECT * FROM A JOIN B X ON X.I = A.I JOIN ITEMS I ON I.ID = B.ID\r\n",
       {},
       {"A", "B", "ITEMS"}},
      {"inner join and order by",
       "select * from orders o inner join items i on i.o = o.id order by 1\r\n",
       {},
       {"ORDERS", "ITEMS"}},
      {"entries already in the list lose their alias", "select * from T2\r\n", {"T X", "U"}, {"T", "U", "T2"}},
      {"no FROM adds one empty entry", "select 1\r\n", {}, {""}},
      {"six joins with short conditions keep the last table",
       "select * from A a join B b on b.i=a.i join C c on c.i=b.i join D d on d.i=c.i "
       "join E e on e.i=d.i join F f on f.i=e.i join G g on g.i=f.i\r\n",
       {},
       {"A", "B", "C", "D", "E", "F", "G"}},
      {"join without ON adds nothing", "select * from A join B using (x)\r\n", {}, {"A"}},
      {"FROM list at the very end keeps its last letter", "select * from Orders", {}, {"ORDERS"}},
      {"two tables at the very end", "select * from Orders o,Items", {}, {"ORDERS", "ITEMS"}},
      {"tabs and line feeds are dropped, not blanks",
       "select * from Or\tders\nX where 1=1\r\n",
       {},
       {"ORDERSX"}},
      {"accented letters upper-cased then dropped", "select * from Caf\xE9s c\r\n", {}, {"CAFS"}},
  };
  for (const Row& r : rows) EXPECT_EQ(Tables(r.SQL, r.Before), r.Expected) << r.Name;
}

TEST(GetUsedTables, JoinScanMatchesTheScanOnCopies) {
  std::vector<std::string> statements = {
      "SELECT * FROM A JOIN B ON 1=1 JOIN C ON 2=2 WHERE X JOIN D ON 3=3",
      "SELECT * FROM A JOIN B ON 1=1 JOIN C ON",
      "JOIN X ON Y",
      "JOIN",
      "A JOIN B ON C JOIN D ON E JOIN F",
      "SELECT * FROM A JOIN (SELECT * FROM Q JOIN R ON 1=1) S ON 1=1 JOIN T ON 2=2 ",
      "SELECT * FROM A JOIN B ON X = 'JOIN C ON' JOIN D ON 4=4 ",
      "SELECT 1 FROM A LEFT JOIN B B1 ON 1=1 GROUP BY 1 HAVING 1 UNION SELECT 2 FROM C JOIN D ON 2 ",
  };
  std::string many = "SELECT * FROM T0";
  for (int i = 1; i <= 40; ++i) many += " JOIN T" + std::to_string(i) + " A" + std::to_string(i) + " ON A.X = B.Y";
  statements.push_back(many);
  statements.push_back(many + " ");
  for (const std::string& sql : statements) {
    std::vector<std::string> got = Tables(sql);
    got.erase(got.begin());  // the FROM list's first table
    std::vector<std::string> expected = JoinTablesByCopies(sql);
    // The FROM list of these statements holds exactly one table.
    EXPECT_EQ(got, expected) << sql;
  }
}

TEST(GetTableRefs, TablesWithTheirAliases) {
  using R = std::vector<TTableRef>;
  struct Row {
    const char* Name;
    std::string SQL;
    R Expected;
  };
  const std::vector<Row> rows = {
      {"alias", "SELECT O.ID FROM ORDERS O", {{"ORDERS", "O"}}},
      {"AS alias, lower case", "select o.id from orders as o where o.id > 1", {{"ORDERS", "O"}}},
      {"no alias", "SELECT * FROM ORDERS WHERE ID = 1", {{"ORDERS", ""}}},
      {"join with aliases",
       "SELECT O.ID, C.NAME FROM ORDERS O JOIN CUSTOMER C ON C.ID = O.CUSTOMER_ID ORDER BY 1",
       {{"ORDERS", "O"}, {"CUSTOMER", "C"}}},
      {"self-join keeps both", "SELECT * FROM ORDERS A LEFT OUTER JOIN ORDERS B ON B.ID = A.ID + 1",
       {{"ORDERS", "A"}, {"ORDERS", "B"}}},
      {"comma list and join", "select * from Orders o, Customer c left join Items i on i.id = o.id where 1=1",
       {{"ORDERS", "O"}, {"CUSTOMER", "C"}, {"ITEMS", "I"}}},
      {"quoted name kept exactly", "SELECT L.ID FROM \"Order Lines\" L", {{"\"Order Lines\"", "L"}}},
      {"quoted name without alias", "SELECT * FROM \"Order Lines\"", {{"\"Order Lines\"", ""}}},
      {"quoted alias", "SELECT * FROM ORDERS \"o x\"", {{"ORDERS", "\"o x\""}}},
      {"derived table skipped", "SELECT X.ID FROM (SELECT ID FROM ORDERS) X JOIN CUSTOMER C ON C.ID = X.ID",
       {{"CUSTOMER", "C"}}},
      {"procedure with arguments", "SELECT P.A FROM PROC(1, (2)) P, ORDERS", {{"PROC", "P", true}, {"ORDERS", ""}}},
      {"comments and literals",
       "SELECT * FROM /* FROM X, */ ORDERS O -- , Y\r\n JOIN CUSTOMER C ON C.NAME = 'A, B JOIN Z ON' WHERE 1=1",
       {{"ORDERS", "O"}, {"CUSTOMER", "C"}}},
      {"FROM inside functions and subqueries",
       "SELECT EXTRACT(YEAR FROM D), (SELECT MAX(ID) FROM T2) FROM ORDERS WHERE A IS DISTINCT FROM B",
       {{"ORDERS", ""}}},
      {"LEFT as a function in a condition",
       "SELECT * FROM A JOIN B ON LEFT(B.N, 1) = A.N JOIN C ON C.I = B.I", {{"A", ""}, {"B", ""}, {"C", ""}}},
      {"USING and NATURAL", "SELECT * FROM A JOIN B USING (I) NATURAL JOIN C", {{"A", ""}, {"B", ""}, {"C", ""}}},
      {"union branches", "SELECT ID FROM A UNION ALL SELECT ID FROM B X", {{"A", ""}, {"B", "X"}}},
      {"names of WITH are no tables", "WITH X AS (SELECT * FROM T) SELECT * FROM X JOIN U ON U.I = X.I",
       {{"U", ""}}},
      {"lines and tabs", "SELECT *\r\nFROM\tORDERS\r\n  O\r\nORDER BY O.ID", {{"ORDERS", "O"}}},
      {"no FROM", "SELECT 1", {}},
      {"unterminated literal", "SELECT * FROM A WHERE X = 'oops", {{"A", ""}}},
  };
  for (const Row& r : rows) {
    std::vector<TTableRef> refs = {{"STALE", ""}};
    GetTableRefs(r.SQL, refs);
    EXPECT_EQ(refs, r.Expected) << r.Name;
  }
}

TEST(MatchTableAliases, CatalogueTablesGetTheStatementsQualifier) {
  struct Row {
    const char* Name;
    std::string SQL;
    std::vector<std::string> Tables;  // catalogue TableNames
    TTableAliases Expected;
  };
  const std::vector<Row> rows = {
      {"alias", "SELECT * FROM ORDERS O", {"ORDERS."}, {{"ORDERS.", "O."}}},
      {"no alias needs no entry", "SELECT * FROM orders", {"ORDERS."}, {}},
      {"two tables, one unknown", "SELECT * FROM ORDERS O JOIN CUSTOMER C ON 1=1", {"ORDERS.", "CUSTOMER.", "ITEMS.", "."},
       {{"ORDERS.", "O."}, {"CUSTOMER.", "C."}}},
      {"self-join takes the first", "SELECT * FROM ORDERS A JOIN ORDERS B ON 1=1", {"ORDERS."}, {{"ORDERS.", "A."}}},
      {"procedure", "SELECT * FROM BIG_ORDERS(1, 2) P", {"BIG_ORDERS."}, {{"BIG_ORDERS.", "P."}}},
      {"quoted mixed case without alias", "SELECT * FROM \"Order Lines\"", {"Order Lines."},
       {{"Order Lines.", "\"Order Lines\"."}}},
      {"quoted with alias", "SELECT * FROM \"Order Lines\" L", {"Order Lines."}, {{"Order Lines.", "L."}}},
      {"quoted name is exact before it is folded", "SELECT * FROM \"orders\" A, \"ORDERS\" B", {"ORDERS."},
       {{"ORDERS.", "B."}}},
      {"upper-cased catalogue name of a quoted table", "SELECT * FROM \"Order Lines\" L", {"ORDER LINES."},
       {{"ORDER LINES.", "L."}}},
  };
  for (const Row& r : rows) {
    TCampos campos;
    for (const std::string& t : r.Tables) {
      auto* c = new TCampo;
      c->TableName = t;
      campos.Add(c);
    }
    std::vector<TTableRef> refs;
    GetTableRefs(r.SQL, refs);
    TTableAliases aliases = {{"STALE.", "S."}};
    MatchTableAliases(refs, campos, aliases);
    EXPECT_EQ(aliases, r.Expected) << r.Name;
  }
}
