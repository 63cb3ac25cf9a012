// kytfilter: the command-line tool over the filter library.
//
// The program links only the Qt-free SQL-text toolkit, so the verbs over a statement's
// text start at once. Every other verb needs Qt and the database clients, whose loading
// costs more than reading and scanning a large statement; those verbs live in the module
// libkytfilter-verbs.so, which is loaded (found beside the program in the build tree and
// in the library folder once installed) only when one of them is asked for.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "apps/kytfilter/Cli.h"

namespace {

struct Group {
  const char* name;
  const char* help;  // one line per verb, each ending in a newline
};

const Group kGroups[] = {
    {"sql",
     "  kytfilter sql get CLAUSE [FILE]        print a clause (select, from, where, group,\n"
     "                                         having, union, plan, order, forupdate)\n"
     "  kytfilter sql set CLAUSE TEXT [FILE]   print the statement with the clause replaced\n"
     "                                         (an empty TEXT removes it)\n"
     "  kytfilter sql count [FILE]             print the statement that counts the rows\n"
     "  kytfilter sql client CHAR [FILE]       print the statement with ? markers rewritten\n"
     "  kytfilter sql merge-fields [FILE]      list the <<merge field>> names, one a line\n"
     "  kytfilter sql tables [FILE]            list the tables the statement reads, one a line\n"},
    {"flt",
     "  kytfilter flt show FILE [--json]       show a filter file (description, criteria,\n"
     "                                         ordering), or the same as one JSON object\n"
     "  kytfilter flt make OUT [JSON]          write a filter file from that JSON form\n"
     "                                         (standard input without JSON)\n"
     "  kytfilter flt where FILE --fields FIELDS.json [--case-sensitive] [--quote C]\n"
     "      [--sql-date-format F] [--date-format F] [--special none|starting|containing|both]\n"
     "      [--const-where TEXT]               print the WHERE clause the filter dialog builds\n"
     "                                         from FILE over the field catalogue FIELDS.json\n"},
    {"db",
     "  kytfilter db columns --variant ibo|ibd|bde --database PATH --sql STATEMENT\n"
     "                                         print the statement's columns, one a line,\n"
     "                                         fields separated by a tab\n"
     "  kytfilter db rows --variant ibo|ibd|bde --database PATH --sql STATEMENT [--csv OUT]\n"
     "                                         print (or write to OUT) the rows as CSV\n"
     "  kytfilter db columns|rows --variant qtsql --driver QSQLITE|QPSQL|QIBASE --database DB ...\n"
     "                                         the same through Qt SQL: DB is a SQLite file, a\n"
     "                                         PostgreSQL connection string (\"host=H port=P\n"
     "                                         dbname=D user=U\"; the password from PGPASSWORD\n"
     "                                         when not in it) or a Firebird database name\n"},
    {"apply",
     "  kytfilter apply --variant ibo|ibd|bde --database PATH --sql STATEMENT|--sql-file FILE\n"
     "                  --filter FILE [--csv OUT]\n"
     "                                         open the filter file FILE in the filter dialog\n"
     "                                         (off-screen) and accept it: print the new\n"
     "                                         statement, then its rows as CSV (or write them\n"
     "                                         to OUT); the statement must be a SELECT\n"
     "  kytfilter apply --form FORM --component NAME --filter FILE [--csv OUT]\n"
     "                                         the same with the filter component NAME of the\n"
     "                                         form file FORM: its query, settings and fields\n"
     "  kytfilter apply --variant qtsql --driver QSQLITE|QPSQL|QIBASE --database DB ...\n"
     "                                         the same with the Qt SQL component (DB as for db)\n"},
    {"form",
     "  kytfilter form show FILE [--json]      show a form file's components, their properties\n"
     "                                         and the field definitions of its filters\n"
     "  kytfilter form fielddefs FILE COMPONENT [--refresh KINDS] [--allow TABLE.FIELD]\n"
     "      [--remove TABLE.FIELD] [--move TABLE.FIELD POS] [--describe TABLE.FIELD=TEXT]\n"
     "      [--out OUT]                        set a filter's field definitions through its\n"
     "                                         editor (off-screen), steps in the order given;\n"
     "                                         KINDS: everything, or descriptions,remove-old,\n"
     "                                         add-new; writes FILE (or OUT)\n"},
};

void PrintHelp() {
  std::string text =
      "kytfilter: SQL text and filter tools. The statement is read from FILE, or from\n"
      "standard input without FILE; results are written exactly, CR LF kept.\n"
      "Text inside is Windows-1252: option values, SQL given with --sql or --sql-file\n"
      "and JSON texts are read as UTF-8, and a character Windows-1252 cannot hold (or\n"
      "bytes that are not UTF-8) is refused with exit code 2.\n\n"
      "Verbs:\n";
  for (const Group& g : kGroups) text += g.help;
  std::fputs(text.c_str(), stdout);
}

// Standard output is buffered: what is still in the buffer reaches the file only here,
// and a full disk or a closed pipe must not end in success.
int Flushed(int Code) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return Code;
  std::fprintf(stderr, "kytfilter: cannot write the output: %s\n", std::strerror(errno));
  return Code == 0 ? 1 : Code;
}

// The verbs over the text of a statement, run here: sql and every verb of it but tables.
bool IsTextVerb(const kytcli::Args& Args) {
  return Args[0] == "sql" && (Args.size() < 2 || Args[1] != "tables");
}

// Runs the command line in the verbs module; its exit code.
int RunInModule(int argc, char** argv) {
  const char* kModule = "libkytfilter-verbs.so";
  void* module = ::dlopen(kModule, RTLD_NOW | RTLD_LOCAL);
  // A sanitizer's run-time library wraps dlopen, and the program's run path then goes
  // unread: the module is also looked for where the run path points, beside the program
  // (build tree) and in the library folder (installed).
  if (module == nullptr) {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
      const std::string path(self, static_cast<size_t>(n));
      const std::string folder = path.substr(0, path.rfind('/') + 1);
      for (const std::string& candidate : {folder + kModule, folder + KYT_PROGRAM_TO_LIBRARIES "/" + kModule})
        if (module == nullptr) module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (module == nullptr) module = ::dlopen(kModule, RTLD_NOW | RTLD_LOCAL);
  }
  if (module == nullptr) throw kytcli::Failure(std::string("kytfilter: cannot load ") + kModule + ": " + ::dlerror());
  using TMain = int (*)(int, char**);
  auto run = reinterpret_cast<TMain>(::dlsym(module, "kytfilter_verbs_main"));
  if (run == nullptr) throw kytcli::Failure(std::string("kytfilter: ") + kModule + " is not the verbs module");
  // The module stays loaded: its libraries' exit handlers run when the program ends.
  return run(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
  const kytcli::Args args(argv + 1, argv + argc);
  return Flushed(kytcli::RunReportingErrors([&]() -> int {
    if (args.empty()) throw kytcli::UsageError("kytfilter GROUP VERB ... (see kytfilter --help)");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
      PrintHelp();
      return 0;
    }
    if (IsTextVerb(args)) return kytcli::RunSql(kytcli::Args(args.begin() + 1, args.end()));
    for (const Group& g : kGroups) {
      if (args[0] == g.name) return RunInModule(argc, argv);
    }
    throw kytcli::UsageError("kytfilter: unknown verb '" + args[0] + "' (see kytfilter --help)");
  }));
}
