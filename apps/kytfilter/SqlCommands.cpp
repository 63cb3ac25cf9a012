// kytfilter sql ...: the clause accessors and statement rewriters of unit Parse. (sql
// tables needs the filter model and lives in the verbs module.)
#include <map>

#include "apps/kytfilter/Cli.h"
#include "sqltext/Parse.h"

namespace kytcli {

namespace {

using Getter = void (*)(const std::string&, std::string&);
using Setter = void (*)(std::string&, const std::string&);

struct Clause {
  Getter get;
  Setter set;
};

const std::map<std::string, Clause>& Clauses() {
  static const std::map<std::string, Clause> clauses = {
      {"select", {Parse::GetSQLSelect, Parse::SetSQLSelect}},
      {"from", {Parse::GetSQLFrom, Parse::SetSQLFrom}},
      {"where", {Parse::GetSQLWhere, Parse::SetSQLWhere}},
      {"group", {Parse::GetSQLGroup, Parse::SetSQLGroup}},
      {"having", {Parse::GetSQLHaving, Parse::SetSQLHaving}},
      {"union", {Parse::GetSQLUnion, Parse::SetSQLUnion}},
      {"plan", {Parse::GetSQLPlan, Parse::SetSQLPlan}},
      {"order", {Parse::GetSQLOrder, Parse::SetSQLOrder}},
      {"forupdate", {Parse::GetSQLForUpdate, Parse::SetSQLForUpdate}},
  };
  return clauses;
}

const char kClauseNames[] = "select, from, where, group, having, union, plan, order, forupdate";

const Clause& FindClause(const std::string& name) {
  auto it = Clauses().find(name);
  if (it == Clauses().end())
    throw UsageError("kytfilter sql get|set CLAUSE ...: unknown clause '" + name +
                     "' (one of " + kClauseNames + ")");
  return it->second;
}

// The optional FILE after Fixed leading arguments; more is bad use.
std::string OptionalFile(const Args& args, size_t fixed, const char* usage) {
  if (args.size() < fixed || args.size() > fixed + 1) throw UsageError(usage);
  return args.size() == fixed + 1 ? args[fixed] : std::string();
}

}  // namespace

int RunSql(const Args& args) {
  if (args.empty())
    throw UsageError("kytfilter sql get|set|count|client|merge-fields ... (see kytfilter --help)");
  const std::string& verb = args[0];
  if (verb == "get") {
    const char* usage = "kytfilter sql get CLAUSE [FILE]";
    if (args.size() < 2) throw UsageError(usage);
    const Clause& clause = FindClause(args[1]);
    std::string sql = ReadInput(OptionalFile(args, 2, usage));
    std::string result;
    clause.get(sql, result);
    WriteOutput(result);
    return 0;
  }
  if (verb == "set") {
    const char* usage = "kytfilter sql set CLAUSE TEXT [FILE]";
    if (args.size() < 3) throw UsageError(usage);
    const Clause& clause = FindClause(args[1]);
    std::string sql = ReadInput(OptionalFile(args, 3, usage));
    clause.set(sql, args[2]);
    WriteOutput(sql);
    return 0;
  }
  if (verb == "count") {
    std::string sql = ReadInput(OptionalFile(args, 1, "kytfilter sql count [FILE]"));
    std::string result;
    Parse::MakeCountSQL(sql, result);
    WriteOutput(result);
    return 0;
  }
  if (verb == "client") {
    const char* usage = "kytfilter sql client CHAR [FILE]";
    if (args.size() < 2 || args[1].size() != 1) throw UsageError(usage);
    std::string sql = ReadInput(OptionalFile(args, 2, usage));
    std::string result;
    Parse::MakeClientSQL(sql, result, args[1][0]);
    WriteOutput(result);
    return 0;
  }
  if (verb == "merge-fields") {
    std::string text = ReadInput(OptionalFile(args, 1, "kytfilter sql merge-fields [FILE]"));
    Classes::TStringList names;
    Parse::GetMergeFields(text, &names);
    std::string out;
    for (int i = 0; i < names.Count(); ++i) out += names.Get(i) + "\n";
    WriteOutput(out);
    return 0;
  }
  throw UsageError("kytfilter sql: unknown verb '" + verb +
                   "' (get, set, count, client, merge-fields, tables)");
}

}  // namespace kytcli
