// Unit Sample: the sample database of the demo and the tests, for each engine.
//
// One schema: CUSTOMERS, PRODUCTS, ORDERS and ORDER_ITEMS with text, number, date,
// time, timestamp, boolean, text BLOB and binary BLOB columns, some NULLs, and names
// with letters above 127 (Windows-1252). The data are the same for every call with
// the same order count: Orders orders, Orders / 10 customers (at least 10), 100
// products, and 1 to 5 items per order.
//
//   CUSTOMERS   ID, NAME, CITY, COUNTRY, EMAIL, BIRTH_DATE, ACTIVE, CREDIT_LIMIT,
//               CREATED_AT, NOTES
//   PRODUCTS    ID, NAME, CATEGORY, PRICE, WEIGHT_KG, STOCK, DISCONTINUED, PICTURE
//   ORDERS      ID, CUSTOMER_ID, ORDER_DATE, ORDER_TIME, SHIPPED_AT, TOTAL, PAID,
//               STATUS, TRACKING_NO, COMMENTS
//   ORDER_ITEMS ORDER_ID, LINE_NO, PRODUCT_ID, QUANTITY, UNIT_PRICE, DISCOUNT
#pragma once

#include <string>

namespace Sample {

// Firebird and SQLite databases are files; a PostgreSQL database is named by a libpq
// connection string (see QtSqlConnect) and is reached through Qt SQL's QPSQL driver.
// PostgreSQL folds the unquoted names of the schema to lower case.
enum class TEngine { Firebird, SQLite, PostgreSQL };

constexpr int kDefaultOrders = 10000;

// The schema script for Engine, statements ended by ";".
std::string SchemaScript(TEngine Engine);

// Creates the sample database in the file FileName. It is built beside it under
// FileName + ".part" and renamed when complete, so a failure leaves nothing at
// FileName. Raises the engine's error, and when the file exists.
// For PostgreSQL, FileName is the connection string: the tables are made in the first
// schema of the connection's search path, in one transaction, so a failure leaves
// nothing; raises the server's error, and when a table of the schema exists.
// REQUIRES: Orders >= 1.
void CreateSampleDatabase(TEngine Engine, const std::string& FileName, int Orders = kDefaultOrders);

// Creates the sample database unless FileName exists (for PostgreSQL: unless the
// search path finds a table CUSTOMERS). Returns true when it created it.
bool EnsureSampleDatabase(TEngine Engine, const std::string& FileName, int Orders = kDefaultOrders);

}  // namespace Sample
