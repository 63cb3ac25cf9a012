// kytfilter: the command-line tool over the filter library.
#include <cstdio>
#include <exception>
#include <functional>
#include <iostream>
#include <string>

#include "apps/kytfilter/ApplyCommand.h"
#include "apps/kytfilter/Cli.h"
#include "apps/kytfilter/FltCommands.h"
#include "apps/kytfilter/FormCommands.h"

namespace {

struct Group {
  const char* name;
  std::function<int(const kytcli::Args&)> run;
  const char* help;  // one line per verb, each ending in a newline
};

const Group kGroups[] = {
    {"sql", kytcli::RunSql,
     "  kytfilter sql get CLAUSE [FILE]        print a clause (select, from, where, group,\n"
     "                                         having, union, plan, order, forupdate)\n"
     "  kytfilter sql set CLAUSE TEXT [FILE]   print the statement with the clause replaced\n"
     "                                         (an empty TEXT removes it)\n"
     "  kytfilter sql count [FILE]             print the statement that counts the rows\n"
     "  kytfilter sql client CHAR [FILE]       print the statement with ? markers rewritten\n"
     "  kytfilter sql merge-fields [FILE]      list the <<merge field>> names, one a line\n"
     "  kytfilter sql tables [FILE]            list the tables the statement reads, one a line\n"},
    {"flt", kytcli::RunFlt,
     "  kytfilter flt show FILE [--json]       show a filter file (description, criteria,\n"
     "                                         ordering), or the same as one JSON object\n"
     "  kytfilter flt make OUT [JSON]          write a filter file from that JSON form\n"
     "                                         (standard input without JSON)\n"
     "  kytfilter flt where FILE --fields FIELDS.json [--case-sensitive] [--quote C]\n"
     "      [--sql-date-format F] [--date-format F] [--special none|starting|containing|both]\n"
     "      [--const-where TEXT]               print the WHERE clause the filter dialog builds\n"
     "                                         from FILE over the field catalogue FIELDS.json\n"},
    {"db", kytcli::RunDb,
     "  kytfilter db columns --variant ibo|ibd|bde --database PATH --sql STATEMENT\n"
     "                                         print the statement's columns, one a line,\n"
     "                                         fields separated by a tab\n"
     "  kytfilter db rows --variant ibo|ibd|bde --database PATH --sql STATEMENT [--csv OUT]\n"
     "                                         print (or write to OUT) the rows as CSV\n"},
    {"apply", kytcli::RunApply,
     "  kytfilter apply --variant ibo|ibd|bde --database PATH --sql STATEMENT|--sql-file FILE\n"
     "                  --filter FILE [--csv OUT]\n"
     "                                         open the filter file FILE in the filter dialog\n"
     "                                         (off-screen) and accept it: print the new\n"
     "                                         statement, then its rows as CSV (or write them\n"
     "                                         to OUT); the statement must be a SELECT\n"
     "  kytfilter apply --form FORM --component NAME --filter FILE [--csv OUT]\n"
     "                                         the same with the filter component NAME of the\n"
     "                                         form file FORM: its query, settings and fields\n"},
    {"form", kytcli::RunForm,
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

}  // namespace

int main(int argc, char** argv) {
  kytcli::Args args(argv + 1, argv + argc);
  try {
    if (args.empty()) throw kytcli::UsageError("kytfilter GROUP VERB ... (see kytfilter --help)");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
      PrintHelp();
      return 0;
    }
    for (const Group& g : kGroups) {
      if (args[0] == g.name) return g.run(kytcli::Args(args.begin() + 1, args.end()));
    }
    throw kytcli::UsageError("kytfilter: unknown verb '" + args[0] + "' (see kytfilter --help)");
  } catch (const kytcli::UsageError& e) {
    std::fprintf(stderr, "usage: %s\n", e.what());
    return 2;
  } catch (const kytcli::TextError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  } catch (const kytcli::Failure& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kytfilter: %s\n", e.what());
    return 1;
  }
}
