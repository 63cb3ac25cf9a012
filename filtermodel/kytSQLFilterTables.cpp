// Table discovery: the tables a statement reads, for the catalogue's further columns.
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "filtermodel/kytSQLFilterStruc.h"
#include "host/rtl/SysUtils.h"
#include "sqltext/Parse.h"

namespace kytSQLFilterStruc {

// ---- Table discovery -------------------------------------------------------------------

namespace {

// Upper case by the code page, then only the characters from the space to "z"; a
// carriage return becomes a space, every other character is dropped.
std::string CleanSQL(const std::string& SQL) {
  std::string out;
  out.reserve(SQL.size());
  for (char ch : SQL) {
    const char up = SysUtils::AnsiUpperChar(ch);
    const unsigned char c = static_cast<unsigned char>(up);
    if (c >= 32 && c <= 122)
      out.push_back(up);
    else if (c == 13)
      out.push_back(' ');
  }
  return out;
}

void AddFromTables(const std::string& Text, Classes::TStrings& List) {
  static const std::vector<std::string> kStops = {"INNER", "OUTER", "RIGHT", "LEFT",
                                                  "JOIN",  "WHERE", "GROUP", "HAVING",
                                                  "UNION", "PLAN",  "ORDER", "FOR"};
  int start = 0, end = 0;
  std::string stop;
  const bool stopped = Parse::ParseStr(Text, "FROM", kStops, start, end, stop, false);
  std::string clause;
  Parse::SubStrings(Text, clause, start, end);

  // Drop "FROM" and the character after it, and the clause's last character: the blank
  // before the keyword that ended it. A list that runs to the end of the text keeps a
  // last character that is not a blank, so the last table name stays whole.
  const int len = static_cast<int>(clause.size());
  int last = len - 1;  // 1-based position of the last character kept
  if (!stopped && len > 0 && clause[len - 1] != ' ') last = len;
  std::string body;
  if (last >= 6) body = clause.substr(5, static_cast<size_t>(last - 5));
  body = SysUtils::TrimLeft(body);
  body += ',';

  size_t from = 0;
  for (size_t comma = body.find(','); comma != std::string::npos; comma = body.find(',', from)) {
    List.Add(SysUtils::Trim(body.substr(from, comma - from)));
    from = comma + 1;
  }
}

// True when Text holds the word JOIN at 1-based position P (the scanner's word rule:
// followed by the end, a blank or a parenthesis).
bool JoinWordAt(const std::string& Text, int P) {
  const size_t i = static_cast<size_t>(P - 1);
  if (Text.compare(i, 4, "JOIN") != 0) return false;
  if (i + 4 >= Text.size()) return true;
  const unsigned char next = static_cast<unsigned char>(Text[i + 4]);
  return next <= 32 || next == '(' || next == ')';
}

// Every JOIN clause in turn. The remainder still to search runs from WinStart to the end
// of the text and is kept as a position, never as a copy, so the whole scan is linear in
// the text. The remainder is not shortened at its end between two clauses: shortening it
// (by two characters per clause, as the scan once did) loses the last tables of a
// statement with several joins and short join conditions.
void AddJoinTables(const std::string& Text, Classes::TStrings& List) {
  static const std::vector<std::string> kStops = {"JOIN",  "WHERE", "GROUP", "HAVING",
                                                  "UNION", "PLAN",  "ORDER", "FOR"};
  int winStart = 1;
  std::string clause, stop;
  while (winStart <= static_cast<int>(Text.size())) {
    int start = winStart, end = 0;
    const bool stopped = Parse::ParseStr(Text, "JOIN", kStops, start, end, stop, false);
    const bool found = stopped || start != winStart || JoinWordAt(Text, winStart);
    if (!found) break;

    Parse::SubStrings(Text, clause, start, end);
    clause = SysUtils::TrimLeft(clause);
    clause += ',';
    const size_t on = clause.size() >= 9 ? clause.find(" ON ", 5) : std::string::npos;
    if (on != std::string::npos) List.Add(SysUtils::Trim(clause.substr(5, on - 5)));

    // The next remainder starts at the word that ended this clause.
    if (!stopped) break;
    winStart = end;
  }
}

// Cuts an entry at its first space outside double quotes: "TABLE ALIAS" gives TABLE.
void StripAliases(Classes::TStrings& List) {
  const int n = List.Count();
  for (int i = 0; i < n; ++i) {
    const std::string entry = List.Get(i);
    bool quoted = false;
    for (size_t k = 0; k < entry.size(); ++k) {
      if (entry[k] == '"') {
        quoted = !quoted;
      } else if (entry[k] == ' ' && !quoted) {
        List.Put(i, entry.substr(0, k));
        break;
      }
    }
  }
}

}  // namespace

void GetUsedTables(const std::string& SQL, Classes::TStrings& List) {
  const std::string text = CleanSQL(SQL);
  AddFromTables(text, List);
  AddJoinTables(text, List);
  StripAliases(List);
}

// ---- Table references -------------------------------------------------------------------

namespace {

// A statement cut into the pieces that matter for its FROM lists. Blanks and comments
// are gone; a string literal or a quoted name is one token however long.
struct TToken {
  enum TKind { Word, QuotedName, Literal, Symbol } Kind;
  std::string Text;  // a Word upper-cased; the others as written
  int Depth;         // parentheses open around it; "(" and ")" count as outside
};

bool IsWordChar(unsigned char C) { return std::isalnum(C) || C == '_' || C == '$' || C >= 128; }

// The end of the quoted piece that starts at I (its closing quote doubled inside).
size_t QuotedEnd(const std::string& S, size_t I) {
  const char quote = S[I];
  size_t k = I + 1;
  while (k < S.size()) {
    if (S[k] == quote) {
      if (k + 1 < S.size() && S[k + 1] == quote) {
        k += 2;
        continue;
      }
      return k + 1;
    }
    ++k;
  }
  return S.size();  // unterminated: the rest of the text
}

std::vector<TToken> Tokenize(const std::string& S) {
  std::vector<TToken> tokens;
  int depth = 0;
  size_t i = 0;
  while (i < S.size()) {
    const unsigned char c = static_cast<unsigned char>(S[i]);
    if (c <= ' ') {
      ++i;
    } else if (c == '-' && i + 1 < S.size() && S[i + 1] == '-') {
      const size_t eol = S.find_first_of("\r\n", i);
      i = eol == std::string::npos ? S.size() : eol;
    } else if (c == '/' && i + 1 < S.size() && S[i + 1] == '*') {
      const size_t close = S.find("*/", i + 2);
      i = close == std::string::npos ? S.size() : close + 2;
    } else if (c == '\'' || c == '"') {
      const size_t end = QuotedEnd(S, i);
      tokens.push_back({c == '"' ? TToken::QuotedName : TToken::Literal, S.substr(i, end - i), depth});
      i = end;
    } else if (IsWordChar(c)) {
      size_t end = i;
      while (end < S.size() && IsWordChar(static_cast<unsigned char>(S[end]))) ++end;
      tokens.push_back({TToken::Word, SysUtils::UpperCase(S.substr(i, end - i)), depth});
      i = end;
    } else {
      if (c == ')' && depth > 0) --depth;
      tokens.push_back({TToken::Symbol, std::string(1, static_cast<char>(c)), depth});
      if (c == '(') ++depth;
      ++i;
    }
  }
  return tokens;
}

const std::set<std::string>& JoinWords() {
  static const std::set<std::string> words = {"JOIN", "INNER", "LEFT", "RIGHT", "FULL", "OUTER", "CROSS", "NATURAL"};
  return words;
}

// Words that end a FROM list or a join condition.
const std::set<std::string>& EndWords() {
  static const std::set<std::string> words = {"WHERE", "GROUP",     "HAVING",    "UNION",  "PLAN",  "ORDER",
                                              "FOR",   "ROWS",      "LIMIT",     "OFFSET", "FETCH", "WINDOW",
                                              "EXCEPT", "INTERSECT", "RETURNING", "WITH",   "INTO"};
  return words;
}

// Reads the FROM lists of a tokenized statement.
class TFromReader {
 public:
  TFromReader(std::vector<TToken> Tokens, std::vector<TTableRef>& Refs) : T(std::move(Tokens)), FRefs(Refs) {}

  void Run() {
    ReadWithNames();
    for (size_t i = 0; i < T.size(); ++i)
      // "IS [NOT] DISTINCT FROM" compares; it names no table.
      if (IsWord(i, "FROM") && T[i].Depth == 0 && !(i > 0 && IsWord(i - 1, "DISTINCT"))) i = ReadList(i + 1) - 1;
  }

 private:
  bool IsWord(size_t I, const char* W) const { return I < T.size() && T[I].Kind == TToken::Word && T[I].Text == W; }
  bool IsSymbol(size_t I, char C) const {
    return I < T.size() && T[I].Kind == TToken::Symbol && T[I].Text[0] == C && T[I].Depth == 0;
  }
  bool IsName(size_t I) const {
    return I < T.size() && T[I].Depth == 0 &&
           (T[I].Kind == TToken::QuotedName || (T[I].Kind == TToken::Word && !Reserved(T[I].Text)));
  }
  static bool Reserved(const std::string& W) {
    return JoinWords().count(W) || EndWords().count(W) || W == "ON" || W == "USING" || W == "AS" ||
           W == "SELECT" || W == "FROM" || W == "LATERAL";
  }
  // LEFT and RIGHT are also functions: LEFT(x, 2) in a condition starts no join.
  bool StartsJoin(size_t I) const {
    return I < T.size() && T[I].Kind == TToken::Word && T[I].Depth == 0 && JoinWords().count(T[I].Text) &&
           !IsSymbol(I + 1, '(');
  }
  // The position after the ")" that closes the "(" at I.
  size_t SkipParens(size_t I) const {
    const int depth = T[I].Depth;
    for (size_t k = I + 1; k < T.size(); ++k)
      if (T[k].Kind == TToken::Symbol && T[k].Text[0] == ')' && T[k].Depth == depth) return k + 1;
    return T.size();
  }

  // The names a leading WITH defines are no tables: WITH [RECURSIVE] X [(cols)] AS (...), ...
  void ReadWithNames() {
    size_t i = 0;
    if (!IsWord(i, "WITH")) return;
    ++i;
    if (IsWord(i, "RECURSIVE")) ++i;
    while (i < T.size() && (T[i].Kind == TToken::Word || T[i].Kind == TToken::QuotedName)) {
      FWithNames.insert(T[i].Text);
      ++i;
      if (IsSymbol(i, '(')) i = SkipParens(i);
      if (!IsWord(i, "AS") || !IsSymbol(i + 1, '(')) return;
      i = SkipParens(i + 1);
      if (!IsSymbol(i, ',')) return;
      ++i;
    }
  }

  // One FROM list starting at I; returns the position after it.
  size_t ReadList(size_t I) {
    I = ReadItem(I);
    while (I < T.size()) {
      if (IsSymbol(I, ',')) {
        I = ReadItem(I + 1);
      } else if (StartsJoin(I)) {
        while (I < T.size() && StartsJoin(I) && T[I].Text != "JOIN") ++I;
        if (!IsWord(I, "JOIN")) return I;
        I = ReadCondition(ReadItem(I + 1));
      } else {
        break;
      }
    }
    return I;
  }

  // A join's ON condition or USING list, if any; returns the position after it.
  size_t ReadCondition(size_t I) {
    if (IsWord(I, "USING") && IsSymbol(I + 1, '(')) return SkipParens(I + 1);
    if (!IsWord(I, "ON")) return I;
    for (++I; I < T.size(); ++I) {
      if (T[I].Depth != 0) continue;
      if (T[I].Kind == TToken::Symbol && (T[I].Text[0] == ',' || T[I].Text[0] == ';')) break;
      if (StartsJoin(I)) break;
      if (T[I].Kind == TToken::Word && EndWords().count(T[I].Text)) break;
    }
    return I;
  }

  // One table, derived table or procedure with its alias; returns the position after it.
  size_t ReadItem(size_t I) {
    if (IsWord(I, "LATERAL")) ++I;
    if (IsSymbol(I, '(')) return ReadAlias(SkipParens(I), nullptr);
    if (!IsName(I)) return I;
    TTableRef ref;
    ref.Table = T[I].Text;
    ++I;
    while (IsSymbol(I, '.') && I + 1 < T.size() &&
           (T[I + 1].Kind == TToken::Word || T[I + 1].Kind == TToken::QuotedName)) {
      ref.Table += "." + T[I + 1].Text;
      I += 2;
    }
    if (IsSymbol(I, '(')) {  // a procedure's arguments
      ref.Procedure = true;
      I = SkipParens(I);
    }
    I = ReadAlias(I, &ref.Alias);
    if (!FWithNames.count(ref.Table)) FRefs.push_back(std::move(ref));
    return I;
  }

  // An optional [AS] alias at I; stores it in Alias when given.
  size_t ReadAlias(size_t I, std::string* Alias) {
    const bool as = IsWord(I, "AS");
    if (as) ++I;
    if (!IsName(I)) return I;
    // An unquoted alias comes upper-cased, which names the same alias.
    if (Alias) *Alias = T[I].Text;
    return I + 1;
  }

  std::vector<TToken> T;
  std::vector<TTableRef>& FRefs;
  std::set<std::string> FWithNames;
};

}  // namespace

std::string TTableRef::Name() const {
  std::string name;
  bool quoted = false;
  for (size_t k = 0; k < Table.size(); ++k) {
    if (Table[k] != '"') {
      name += Table[k];
    } else if (quoted && k + 1 < Table.size() && Table[k + 1] == '"') {
      name += '"';
      ++k;
    } else {
      quoted = !quoted;
    }
  }
  return name;
}

void GetTableRefs(const std::string& SQL, std::vector<TTableRef>& Refs) {
  Refs.clear();
  TFromReader(Tokenize(SQL), Refs).Run();
}

void MatchTableAliases(const std::vector<TTableRef>& Refs, const TCampos& ACampos, TTableAliases& Aliases) {
  Aliases.clear();
  for (int i = 0; i < ACampos.Count(); ++i) {
    const std::string& key = ACampos.Get(i)->TableName;
    if (key.size() < 2 || key.back() != '.' || Aliases.count(key)) continue;
    const std::string name = key.substr(0, key.size() - 1);
    const TTableRef* found = nullptr;
    for (const TTableRef& ref : Refs)
      if (ref.Quoted() ? ref.Name() == name : ref.Table == SysUtils::UpperCase(name)) {
        found = &ref;
        break;
      }
    if (!found)
      for (const TTableRef& ref : Refs)
        if (ref.Quoted() && SysUtils::AnsiSameText(ref.Name(), name)) {
          found = &ref;
          break;
        }
    if (found && found->Qualifier() != key) Aliases[key] = found->Qualifier();
  }
}

int MyFindField(const std::string& TableName, const std::string& FieldName,
                const TCampos& ACampos) {
  (void)TableName;  // the match is by column name alone
  const std::string name = SysUtils::Trim(FieldName);
  const int n = ACampos.Count();
  for (int i = 0; i < n; ++i)
    if (ACampos.Get(i)->FieldName == name) return i;
  return -1;
}

}  // namespace kytSQLFilterStruc
