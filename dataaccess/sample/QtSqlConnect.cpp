// Unit QtSqlConnect: the connection string reader and the opening of a connection.
#include "dataaccess/sample/QtSqlConnect.h"

#include <QSqlError>
#include <QStringList>

#include <cstdlib>
#include <filesystem>

#include "dataaccess/db/DB.h"
#include "dataaccess/db/DBText.h"

namespace QtSqlConnect {

namespace {

bool Blank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

[[noreturn]] void Raise(const std::string& Utf8) { throw DB::EDatabaseError(DB::Utf8ToAnsi(Utf8)); }

// Value as a quoted value of a conninfo string, which Qt's driver passes on as it is.
std::string QuoteValue(const std::string& Value) {
  std::string out = "'";
  for (char c : Value) {
    if (c == '\'' || c == '\\') out += '\\';
    out += c;
  }
  return out + "'";
}

std::string EnvOr(const char* Name, const std::string& Default) {
  const char* v = std::getenv(Name);
  return v != nullptr && *v != '\0' ? std::string(v) : Default;
}

// Sets Db up for a PostgreSQL connection string. The keys Qt has fields for go there;
// the rest (sslmode, options, connect_timeout ...) go to the connect options, which the
// driver appends to the string it hands libpq.
void SetUpPostgres(QSqlDatabase& Db, const std::string& Text) {
  std::map<std::string, std::string> pairs = ParseConnectionString(Text);
  std::string options;
  for (const auto& [key, value] : pairs) {
    const QString v = QString::fromStdString(value);
    if (key == "host" || key == "hostaddr") {
      Db.setHostName(v);
    } else if (key == "port") {
      bool ok = false;
      const int port = v.toInt(&ok);
      if (!ok || port <= 0 || port > 65535) Raise("the port \"" + value + "\" is no port number");
      Db.setPort(port);
    } else if (key == "dbname") {
      Db.setDatabaseName(v);
    } else if (key == "user") {
      Db.setUserName(v);
    } else if (key == "password") {
      Db.setPassword(v);
    } else {
      // Qt separates its options by ";": a value holding one cannot be passed.
      if (value.find(';') != std::string::npos) Raise("the value of " + key + " cannot hold \";\"");
      options += (options.empty() ? "" : ";") + key + "=" + QuoteValue(value);
    }
  }
  if (pairs.count("password") == 0) Db.setPassword(QString::fromStdString(EnvOr("PGPASSWORD", "")));
  Db.setConnectOptions(QString::fromStdString(options));
}

}  // namespace

std::map<std::string, std::string> ParseConnectionString(const std::string& Text) {
  std::map<std::string, std::string> out;
  size_t i = 0;
  const size_t n = Text.size();
  for (;;) {
    while (i < n && Blank(Text[i])) ++i;
    if (i == n) return out;
    std::string key;
    while (i < n && !Blank(Text[i]) && Text[i] != '=') key += Text[i++];
    while (i < n && Blank(Text[i])) ++i;
    if (i == n || Text[i] != '=') Raise("the connection string has \"" + key + "\" without \"=\"");
    if (key.empty()) Raise("the connection string has a value without a key");
    ++i;
    while (i < n && Blank(Text[i])) ++i;
    std::string value;
    if (i < n && Text[i] == '\'') {
      ++i;
      for (;;) {
        if (i == n) Raise("the connection string's value of " + key + " has no closing quote");
        if (Text[i] == '\'') break;
        if (Text[i] == '\\' && i + 1 < n) ++i;
        value += Text[i++];
      }
      ++i;
    } else {
      while (i < n && !Blank(Text[i])) {
        if (Text[i] == '\\' && i + 1 < n) ++i;
        value += Text[i++];
      }
    }
    out[key] = value;
  }
}

QSqlDatabase Open(const std::string& ConnectionName, const std::string& Driver, const std::string& Database) {
  const QString name = QString::fromStdString(ConnectionName);
  Close(ConnectionName);
  if (!QSqlDatabase::isDriverAvailable(QString::fromStdString(Driver)))
    Raise("the Qt SQL driver " + Driver + " is not available (available: " +
          QSqlDatabase::drivers().join(", ").toStdString() + ")");
  try {
    QSqlDatabase db = QSqlDatabase::addDatabase(QString::fromStdString(Driver), name);
    if (Driver == "QPSQL") {
      SetUpPostgres(db, Database);
    } else {
      // QSQLITE would make an empty database of a mistyped name.
      std::error_code ec;
      if (Driver == "QSQLITE" && !std::filesystem::is_regular_file(Database, ec))
        Raise("cannot open " + Database + ": no such database file");
      db.setDatabaseName(QString::fromStdString(Database));
      if (Driver == "QIBASE") {
        db.setUserName(QString::fromStdString(EnvOr("ISC_USER", "SYSDBA")));
        db.setPassword(QString::fromStdString(EnvOr("ISC_PASSWORD", "")));
      }
    }
    if (!db.open()) {
      std::string text = db.lastError().text().trimmed().toStdString();
      Raise("cannot open " + (Driver == "QPSQL" ? std::string("the database") : Database) + ": " +
            (text.empty() ? "unknown error" : text));
    }
    return db;
  } catch (...) {
    Close(ConnectionName);
    throw;
  }
}

TConnection::TConnection(std::string ConnectionName, const std::string& Driver, const std::string& Database)
    : FName(std::move(ConnectionName)) {
  Open(FName, Driver, Database);
}

void Close(const std::string& ConnectionName) {
  const QString name = QString::fromStdString(ConnectionName);
  if (!QSqlDatabase::contains(name)) return;
  {
    QSqlDatabase db = QSqlDatabase::database(name, false);
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
}

}  // namespace QtSqlConnect
