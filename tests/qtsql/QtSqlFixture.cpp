#include "tests/qtsql/QtSqlFixture.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>


#include "dataaccess/sample/QtSqlConnect.h"
#include "tests/apps/PgServer.h"
#include "tests/filtermodel/TestHost.h"

namespace qtsqltest {

const char* const kTags[kCustomerCount] = {"50% off", "50 off", "a_b", "axb",   "x!y",   "xy",
                                           "it's",    "its",    "100%", "a%b_c", "plain", "P!%"};

std::string EngineName(TEngine Engine) { return Engine == TEngine::SQLite ? "SQLite" : "PostgreSQL"; }

namespace {

void Exec(QSqlQuery& Query, const QString& SQL) {
  if (!Query.exec(SQL)) throw std::runtime_error((SQL + ": " + Query.lastError().text()).toStdString());
}

void CreateShop(QSqlDatabase& Db, bool Postgres) {
  QSqlQuery q(Db);
  Exec(q, QStringLiteral("CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), CITY VARCHAR(30), "
                         "BORN DATE, CREDIT DOUBLE PRECISION, ACTIVE BOOLEAN, NOTES TEXT, PHOTO %1, SEEN TIMESTAMP, "
                         "OPENS TIME, PRICE NUMERIC(10,2), BIG BIGINT, TAG VARCHAR(20))")
              .arg(Postgres ? "BYTEA" : "BLOB"));
  Exec(q, QStringLiteral("CREATE TABLE ORDERS (ID INTEGER NOT NULL PRIMARY KEY, CUSTOMER_ID INTEGER, "
                         "TOTAL DOUBLE PRECISION, SHIPPED DATE, STATUS VARCHAR(10))"));
  const char* names[kCustomerCount] = {"Ann",      "alice", "José",  "JOSÉ", "josé", "Bob",
                                       "O'Brien", "Émile", "émile", "Zoë",  "ann",  "Carl"};
  const char* cities[] = {"Oslo", nullptr, "Porto", "Lisboa"};
  if (!q.prepare("INSERT INTO CUSTOMER VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))
    throw std::runtime_error(q.lastError().text().toStdString());
  for (int i = 1; i <= kCustomerCount; ++i) {
    const QVariantList values = {
        i,
        QString::fromUtf8(names[i - 1]),
        cities[i % 4] ? QVariant(QString::fromLatin1(cities[i % 4])) : QVariant(QMetaType(QMetaType::QString)),
        QStringLiteral("19%1-0%2-15").arg(60 + i).arg(1 + i % 9),
        i * 250 + 0.5,
        i % 2 == 1,
        QStringLiteral("note %1").arg(i),
        QVariant(QMetaType(QMetaType::QByteArray)),
        QStringLiteral("2024-01-%1 10:30:00").arg(i + 10),
        QStringLiteral("08:%1:00").arg(i + 10),
        i * 10.25,
        qlonglong{i} * 10000000000LL,
        QString::fromUtf8(kTags[i - 1])};
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec()) throw std::runtime_error(q.lastError().text().toStdString());
  }
  const char* status[] = {"NEW", "PAID", "SHIPPED", "paid"};
  if (!q.prepare("INSERT INTO ORDERS VALUES (?, ?, ?, ?, ?)")) throw std::runtime_error(q.lastError().text().toStdString());
  for (int i = 1; i <= kOrderCount; ++i) {
    const int day = (i * 3) % 28 + 1, month = 1 + (i * 3) / 28;
    q.addBindValue(i);
    q.addBindValue((i * 7) % 12 + 1);
    q.addBindValue((i * 37) % 500 + (i % 2 ? 0.5 : 0.0));
    q.addBindValue(i % 9 == 0 ? QVariant(QMetaType(QMetaType::QString))
                              : QVariant(QStringLiteral("2024-%1-%2").arg(month, 2, 10, QChar('0')).arg(day, 2, 10, QChar('0'))));
    q.addBindValue(QString::fromLatin1(status[i % 4]));
    if (!q.exec()) throw std::runtime_error(q.lastError().text().toStdString());
  }
}

// The server's schema of this process, dropped with the shop when the tests end.
class PostgresShop : public ::testing::Environment {
 public:
  void TearDown() override {
    if (QSqlDatabase::contains("kyt_pg")) QtSqlConnect::Close("kyt_pg");
    schema.reset();
  }
  static inline std::unique_ptr<pgtest::TSchema> schema;
};
[[maybe_unused]] const auto* kPostgresShop = ::testing::AddGlobalTestEnvironment(new PostgresShop);

std::string OpenPostgres(std::string& Why) {
  PostgresShop::schema = std::make_unique<pgtest::TSchema>();
  if (!PostgresShop::schema->Ok()) {
    Why = PostgresShop::schema->Reason();
    return "";
  }
  QSqlDatabase db = QtSqlConnect::Open("kyt_pg", "QPSQL", PostgresShop::schema->Connection());
  CreateShop(db, true);
  return "kyt_pg";
}

std::string OpenSqlite() {
  static QTemporaryDir dir;
  QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "kyt_sqlite");
  db.setDatabaseName(dir.filePath("shop.db"));
  if (!db.open()) throw std::runtime_error(db.lastError().text().toStdString());
  CreateShop(db, false);
  return "kyt_sqlite";
}

}  // namespace

std::string ShopConnection(TEngine Engine, std::string& Why) {
  if (Engine == TEngine::SQLite) {
    static const std::string name = OpenSqlite();
    return name;
  }
  static std::string why;
  static const std::string name = OpenPostgres(why);
  Why = why;
  return name;
}

Rows Select(const std::string& Connection, const std::string& SQL) {
  QtSqlDataSet::TQtSqlQuery q(nullptr);
  q.SetConnectionName(Connection);
  q.SQL()->SetText(SQL);
  q.Open();
  return ReadRows(q);
}

void EngineTest::SetUp() {
  std::string why;
  connection = ShopConnection(GetParam(), why);
  if (connection.empty()) GTEST_SKIP() << why;
  SysUtils::FormatSettings().ShortDateFormat = "mm/dd/yyyy";
  delete kytSQLFilterStruc::Campos;
  kytSQLFilterStruc::Campos = nullptr;
  kytSQLFilterStruc::Filter.clear();
  owner = std::make_unique<Classes::TComponent>(nullptr);
  query = NewQuery(kJoinSQL);
  filter = new kytQtSqlFilter::TkytQtSqlFilter(owner.get());
  filter->SetDataSet(query);
}

void EngineTest::TearDown() {
  owner.reset();
  delete kytSQLFilterStruc::Campos;
  kytSQLFilterStruc::Campos = nullptr;
  kytSQLFilterStruc::Filter.clear();
}

std::string EngineTest::Col(const std::string& Name) const {
  return Postgres() ? SysUtils::LowerCase(Name) : Name;
}

QtSqlDataSet::TQtSqlQuery* EngineTest::NewQuery(const std::string& SQL) {
  auto* q = new QtSqlDataSet::TQtSqlQuery(owner.get());
  q->SetConnectionName(connection);
  q->SQL()->SetText(SQL);
  return q;
}

}  // namespace qtsqltest
