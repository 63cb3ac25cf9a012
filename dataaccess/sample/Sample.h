// Unit Sample: the sample database of the demo and the tests, for either engine.
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

enum class TEngine { Firebird, SQLite };

constexpr int kDefaultOrders = 10000;

// The schema script for Engine, statements ended by ";".
std::string SchemaScript(TEngine Engine);

// Creates the sample database in the file FileName. It is built beside it under
// FileName + ".part" and renamed when complete, so a failure leaves nothing at
// FileName. Raises the engine's error, and when the file exists.
// REQUIRES: Orders >= 1.
void CreateSampleDatabase(TEngine Engine, const std::string& FileName, int Orders = kDefaultOrders);

// Creates the sample database unless FileName exists. Returns true when it created it.
bool EnsureSampleDatabase(TEngine Engine, const std::string& FileName, int Orders = kDefaultOrders);

}  // namespace Sample
