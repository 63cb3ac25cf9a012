#include "tests/qtsql/QtSqlFixture.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

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

// The PostgreSQL connection string: env KYT_PG_CONNECTION, else the file the server
// script writes.
std::string PostgresSettings() {
  if (const char* env = std::getenv("KYT_PG_CONNECTION"); env && *env) return env;
  std::ifstream in("/tmp/kyt-postgres-server/connection");
  std::string line;
  std::getline(in, line);
  return line;
}

// The schema of this process, dropped when the tests end.
QString Schema() { return QStringLiteral("kyt_test_%1").arg(QCoreApplication::applicationPid()); }

class DropSchema : public ::testing::Environment {
 public:
  void TearDown() override {
    if (!QSqlDatabase::contains("kyt_pg")) return;
    QSqlQuery q(QSqlDatabase::database("kyt_pg"));
    q.exec("DROP SCHEMA " + Schema() + " CASCADE");
  }
};
[[maybe_unused]] const auto* kDropSchema = ::testing::AddGlobalTestEnvironment(new DropSchema);

std::string OpenPostgres(std::string& Why) {
  const std::string settings = PostgresSettings();
  if (settings.empty()) {
    Why = "no PostgreSQL server: set KYT_PG_CONNECTION or run scripts/postgres-server start";
    return "";
  }
  QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "kyt_pg");
  std::istringstream words(settings);
  for (std::string word; words >> word;) {
    const size_t eq = word.find('=');
    const QString key = QString::fromStdString(word.substr(0, eq)), value = QString::fromStdString(word.substr(eq + 1));
    if (key == "host") db.setHostName(value);
    else if (key == "port") db.setPort(value.toInt());
    else if (key == "dbname") db.setDatabaseName(value);
    else if (key == "user") db.setUserName(value);
    else if (key == "password") db.setPassword(value);
  }
  if (!db.open()) {
    Why = "PostgreSQL server not reachable: " + db.lastError().text().toStdString();
    QSqlDatabase::removeDatabase("kyt_pg");
    return "";
  }
  QSqlQuery q(db);
  Exec(q, "DROP SCHEMA IF EXISTS " + Schema() + " CASCADE");
  Exec(q, "CREATE SCHEMA " + Schema());
  Exec(q, "SET search_path TO " + Schema());
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

Rows ReadRows(DB::TDataSet& Query) {
  Rows rows;
  for (; !Query.Eof(); Query.Next()) {
    Row row;
    for (int i = 0; i < Query.FieldCount(); ++i) row.push_back(Query.Fields(i)->AsString());
    rows.push_back(std::move(row));
  }
  return rows;
}

Rows Select(const std::string& Connection, const std::string& SQL) {
  QtSqlDataSet::TQtSqlQuery q(nullptr);
  q.SetConnectionName(Connection);
  q.SQL()->SetText(SQL);
  q.Open();
  return ReadRows(q);
}

Rows Sorted(Rows R) {
  std::sort(R.begin(), R.end());
  return R;
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

namespace {

int IndexOf(const StdCtrls::TComboBox& Box, const std::string& Text) {
  for (int i = 0; i < Box.Items()->Count(); ++i)
    if (Box.Items()->Get(i) == Text) return i;
  ADD_FAILURE() << "the drop-down has no item " << Text;
  return -1;
}

}  // namespace

void EnterLines(kytSQLFilterForm::TformFilter&, const std::vector<TLine>& Lines) {
  for (size_t n = 0; n < Lines.size(); ++n) {
    const TLine& l = Lines[n];
    ASSERT_LT(n, kytSQLFilterForm::FilterLines.size()) << "line " << n + 1 << " was not opened";
    kytSQLFilterForm::FilterLineRec& line = kytSQLFilterForm::FilterLines[n];
    if (!l.Field.empty()) line.Campo->UserSelect(IndexOf(*line.Campo, l.Field));
    if (!l.Comparison.empty()) line.Comparision->UserSelect(IndexOf(*line.Comparision, l.Comparison));
    if (!l.Value.empty()) line.Value->TypeText(l.Value);
    if (l.Operation >= 0) line.Operation->UserSelect(l.Operation);
  }
}

void OnNextDialog(std::function<void(kytSQLFilterForm::TformFilter&)> Body, bool Accept) {
  ScriptedHost().Modal.push_back([Body = std::move(Body), Accept](Forms::TForm& Form) {
    auto* dialog = dynamic_cast<kytSQLFilterForm::TformFilter*>(&Form);
    ASSERT_NE(dialog, nullptr) << "the modal form is not the filter dialog";
    if (Body) Body(*dialog);
    if (Accept) dialog->btConfirmClick(dialog);
    else dialog->btCancelClick(dialog);
  });
}

void AcceptLines(const std::vector<TLine>& Lines) {
  OnNextDialog([Lines](kytSQLFilterForm::TformFilter& F) { EnterLines(F, Lines); });
}

std::vector<std::string> BoxTexts() {
  std::vector<std::string> texts;
  for (const auto& box : ScriptedHost().Boxes) texts.push_back(box.Text);
  return texts;
}

}  // namespace qtsqltest
