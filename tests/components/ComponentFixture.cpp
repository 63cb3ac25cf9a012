#include "tests/components/ComponentFixture.h"

#include "tests/dataaccess/Schemas.h"

namespace comptest {

std::string ShopScript(bool Firebird) {
  const std::string dbl = Firebird ? "DOUBLE PRECISION" : "DOUBLE";
  std::string s =
      "CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), CITY VARCHAR(30), BORN DATE, CREDIT " +
      dbl + ", ACTIVE BOOLEAN, NOTES " + (Firebird ? "BLOB SUB_TYPE TEXT" : "TEXT") + ", PHOTO " +
      (Firebird ? "BLOB SUB_TYPE BINARY" : "BLOB") + ");\n" +
      "CREATE TABLE ORDERS (ID INTEGER NOT NULL PRIMARY KEY, CUSTOMER_ID INTEGER, TOTAL " + dbl +
      ", SHIPPED DATE, STATUS VARCHAR(10));\n";
  const char* names[] = {"Ann", "alice", "Bob", "bruno", "Carla", "Cid", "Dora", "ann", "Eve", "Olaf", "O''Brien", "Zoe"};
  const char* cities[] = {"Oslo", "NULL", "Porto", "Lisboa"};
  for (int i = 1; i <= 12; ++i) {
    const std::string city = cities[i % 4];
    s += "INSERT INTO CUSTOMER (ID, NAME, CITY, BORN, CREDIT, ACTIVE) VALUES (" + std::to_string(i) + ", '" +
         names[i - 1] + "', " + (city == "NULL" ? city : "'" + city + "'") + ", '19" + std::to_string(60 + i) +
         "-0" + std::to_string(1 + i % 9) + "-15', " + std::to_string(i * 250) + ".5, " +
         (Firebird ? (i % 2 ? "TRUE" : "FALSE") : (i % 2 ? "1" : "0")) + ");\n";
  }
  const char* status[] = {"NEW", "PAID", "SHIPPED", "paid"};
  for (int i = 1; i <= kOrderCount; ++i) {
    // Shipping dates every third day from 2024-01-01, none for every ninth order.
    const int day = (i * 3) % 28 + 1;
    const int month = 1 + (i * 3) / 28;
    char date[32];  // room for any int, so no truncation warning at any level
    std::snprintf(date, sizeof date, "2024-%02d-%02d", month, day);
    s += "INSERT INTO ORDERS VALUES (" + std::to_string(i) + ", " + std::to_string((i * 7) % 12 + 1) + ", " +
         std::to_string((i * 37) % 500) + (i % 2 ? ".5" : ".0") + ", " +
         (i % 9 == 0 ? std::string("NULL") : "'" + std::string(date) + "'") + ", '" + status[i % 4] + "');\n";
  }
  // A table whose quoted name has mixed case and a blank, and (Firebird) a selectable
  // procedure: FROM items that are not plain table names.
  s += "CREATE TABLE \"Order Lines\" (ID INTEGER NOT NULL PRIMARY KEY, ORDER_ID INTEGER, \"Qty\" INTEGER, "
       "NOTE VARCHAR(20));\n";
  for (int i = 1; i <= 8; ++i)
    s += "INSERT INTO \"Order Lines\" VALUES (" + std::to_string(i) + ", " + std::to_string(i * 5) + ", " +
         std::to_string(i % 3 + 1) + ", '" + (i % 2 ? "gift" : "plain") + "');\n";
  if (Firebird)
    s += "SET TERM ^ ;\n"
         "CREATE PROCEDURE ORDERS_BETWEEN (LO INTEGER, HI INTEGER) RETURNS (ID INTEGER, TOTAL DOUBLE PRECISION) AS\n"
         "BEGIN FOR SELECT ID, TOTAL FROM ORDERS WHERE ID BETWEEN :LO AND :HI INTO :ID, :TOTAL DO SUSPEND; END^\n"
         "SET TERM ; ^\n";
  return s;
}

const std::string& ShopDatabase(bool Firebird) {
  if (Firebird) {
    static const std::string path = testenv::NewFirebird("shop.fdb", ShopScript(true));
    return path;
  }
  static const std::string path = testenv::NewSqlite("shop.db", ShopScript(false));
  return path;
}

const std::string& TypesDatabase(bool Firebird) {
  if (Firebird) {
    static const std::string path = testenv::NewFirebird("types.fdb", schemas::kFirebird);
    return path;
  }
  static const std::string path = testenv::NewSqlite("types.db", schemas::kSqlite);
  return path;
}

Rows ReadRows(IB_Components::TIB_Query& Query) {
  Rows rows;
  for (; !Query.Eof(); Query.Next()) {
    Row row;
    for (int i = 0; i < Query.FieldCount(); ++i) row.push_back(Query.Columns(i)->AsString());
    rows.push_back(std::move(row));
  }
  return rows;
}

Rows Select(bool Firebird, const std::string& SQL) {
  if (Firebird) {
    IB_Components::TIB_Query q(nullptr);
    q.SetDatabaseName(ShopDatabase(true));
    q.SQL()->SetText(SQL);
    q.Open();
    return ReadRows(q);
  }
  DBTables::TQuery q(nullptr);
  q.SetDatabaseName(ShopDatabase(false));
  q.SQL()->SetText(SQL);
  q.Open();
  return ReadRows(q);
}

}  // namespace comptest
