// The kytfilter verbs that need Qt and the database clients, built as the module the
// program loads for them (see main.cpp): flt, db, apply, form and sql tables.
#include "apps/kytfilter/ApplyCommand.h"
#include "apps/kytfilter/Cli.h"
#include "apps/kytfilter/FltCommands.h"
#include "apps/kytfilter/FormCommands.h"

namespace {

struct Group {
  const char* name;
  int (*run)(const kytcli::Args&);
};

// sql's only verb that reads more than the statement's text.
int RunSqlTablesVerb(const kytcli::Args& args) {
  if (args.empty() || args[0] != "tables") throw kytcli::UsageError("kytfilter sql tables [FILE]");
  return kytcli::RunSqlTables(kytcli::Args(args.begin() + 1, args.end()));
}

const Group kGroups[] = {
    {"sql", RunSqlTablesVerb}, {"flt", kytcli::RunFlt},   {"db", kytcli::RunDb},
    {"apply", kytcli::RunApply}, {"form", kytcli::RunForm},
};

}  // namespace

// The program's command line, as main has it; returns the exit code. Errors are written
// to standard error here: no exception leaves the module.
extern "C" int kytfilter_verbs_main(int argc, char** argv) {
  const kytcli::Args args(argv + 1, argv + argc);
  return kytcli::RunReportingErrors([&]() -> int {
    for (const Group& g : kGroups)
      if (!args.empty() && args[0] == g.name) return g.run(kytcli::Args(args.begin() + 1, args.end()));
    throw kytcli::UsageError("kytfilter GROUP VERB ... (see kytfilter --help)");
  });
}
