// Text given to kytfilter (options, SQL files, JSON) is UTF-8 that must fit the
// library's Windows-1252: what does not fit is refused, never turned into "?".
#include <gtest/gtest.h>

#include <cstdio>

#include "CliRun.h"

namespace {

namespace fs = std::filesystem;

std::string Replaced(std::string S, const std::string& From, const std::string& To) {
  return S.replace(S.find(From), From.size(), To);
}

void WriteText(const fs::path& File, const std::string& Text) {
  std::ofstream(File, std::ios::binary) << Text;
}

TEST(KytfilterText, RefusesWhatWindows1252CannotHold) {
  const fs::path dir = fs::temp_directory_path() / ("kyttext-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string han = "\xE4\xB8\xAD";  // U+4E2D
  const std::string fields = (dir / "fields.json").string();
  const std::string fieldEntry =
      "{\"fieldName\": \"NAME\", \"comboOrder\": 0, \"tableName\": \"C.\", \"dataType\": \"fString\", "
      "\"maxSize\": 40, \"fieldKind\": \"fkSelected\", \"description\": \"DESC\", \"supported\": true, "
      "\"visible\": true}";
  WriteText(fields, "[" + fieldEntry + "]");
  const std::string badFields = (dir / "bad-fields.json").string();
  WriteText(badFields, "[" + fieldEntry + ", " + Replaced(fieldEntry, "DESC", "a " + han) + "]");
  const std::string filterJson =
      "{\"description\": \"\", \"criteria\": [{\"beginGroup\": \"\", \"fieldName\": \"NAME\", \"tableName\": "
      "\"C.\", \"operator\": \"=\", \"value\": \"VALUE\", \"endGroup\": \"\", \"operation\": 0}], \"ordering\": []}";
  const std::string flt = (dir / "one.flt").string();
  ASSERT_EQ(RunCli({"flt", "make", flt}, Replaced(filterJson, "VALUE", "Jos\\u00e9")).code, 0);
  const std::string sqlFile = (dir / "q.sql").string();
  WriteText(sqlFile, "SELECT * FROM T WHERE A = '" + han + "'");

  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    std::vector<std::string> inMessage;  // all must appear on standard error
  } cases[] = {
      {"sql option, character outside the code page",
       {"db", "columns", "--variant", "bde", "--database", (dir / "x.db").string(), "--sql", "SELECT '" + han + "'"},
       "",
       {"--sql", "U+4E2D", han}},
      {"sql option, bytes that are not UTF-8",
       {"db", "rows", "--variant", "ibo", "--database", (dir / "x.fdb").string(), "--sql", "SELECT '\xFF'"},
       "",
       {"--sql", "0xFF", "not UTF-8"}},
      {"database name",
       {"db", "columns", "--variant", "bde", "--database", (dir / ("d" + han + ".db")).string(), "--sql", "SELECT 1"},
       "",
       {"--database", "U+4E2D"}},
      {"statement file of apply",
       {"apply", "--variant", "bde", "--database", (dir / "x.db").string(), "--sql-file", sqlFile, "--filter", flt},
       "",
       {"--sql-file", "q.sql", "U+4E2D"}},
      {"const-where option",
       {"flt", "where", flt, "--fields", fields, "--const-where", "C.X = '" + han + "'"},
       "",
       {"--const-where", "U+4E2D"}},
      {"filter JSON value",
       {"flt", "make", (dir / "bad.flt").string()},
       Replaced(filterJson, "VALUE", "\\u4e2d"),
       {"criteria[0].value", "U+4E2D", han}},
      {"field catalogue JSON description",
       {"flt", "where", flt, "--fields", badFields},
       "",
       {"[1].description", "U+4E2D"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CliResult r = RunCli(c.args, c.input);
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_EQ(r.out, "");
    for (const std::string& part : c.inMessage) EXPECT_NE(r.err.find(part), std::string::npos) << part << " in " << r.err;
  }
  EXPECT_FALSE(fs::exists(dir / "bad.flt"));
  EXPECT_FALSE(fs::exists(dir / "x.db"));

  // Text the code page holds passes, and comes back as the same UTF-8.
  const CliResult ok =
      RunCli({"flt", "where", flt, "--fields", fields, "--const-where", "C.X <> '\xC3\xA9\xE2\x82\xAC\xC3\xBC'"});
  EXPECT_EQ(ok.code, 0) << ok.err;
  EXPECT_EQ(ok.out, "WHERE C.X <> '\xC3\xA9\xE2\x82\xAC\xC3\xBC' AND\r\n( UPPER(C.NAME) =  'JOS\xC3\x89' )\r\n");

  const CliResult help = RunCli({"--help"});
  EXPECT_NE(help.out.find("Windows-1252"), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
