// A plain reference for the clause scanner's tests: one step of a character-by-character
// scan that tracks quotes, comments and parentheses straight from the scanning rules,
// without any of the library's shortcuts.
#pragma once

#include <string>
#include <vector>

namespace sqlref {

struct State {
  bool sq = false, dq = false, line = false, block = false;
  int paren = 0;
  int skip = 0;  // characters the step consumed after the one at P
  bool Inside() const { return sq || dq || line || block || paren != 0; }
};

// The scan step at 1-based P, which lies in T.
inline void Step(const std::string& t, int p, State& s) {
  s.skip = 0;
  const char c = t[p - 1];
  const char next = p < static_cast<int>(t.size()) ? t[p] : '\0';
  if (s.line) {
    if (c == '\n' || c == '\r') s.line = false;
  } else if (s.block) {
    if (c == '*' && next == '/') s.block = false, s.skip = 1;
  } else if (s.sq) {
    if (c == '\'') s.sq = false;
  } else if (s.dq) {
    if (c == '"') s.dq = false;
  } else if (c == '\'') {
    s.sq = true;
  } else if (c == '"') {
    s.dq = true;
  } else if (c == '/' && next == '/') {
    s.line = true, s.skip = 1;
  } else if (c == '/' && next == '*') {
    s.block = true, s.skip = 1;
  } else if (c == '(') {
    ++s.paren;
  } else if (c == ')') {
    --s.paren;
  }
}

inline bool Boundary(char c) { return static_cast<unsigned char>(c) <= 32 || c == '(' || c == ')'; }

inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }


// Parse::ParseStr as the scanning rules say it, by the steps above.
inline bool ParseStr(const std::string& sql, const std::string& kw, const std::vector<std::string>& stops,
              int& start, int& end, std::string& foundStop, bool anywhere) {
  if (sql.empty()) return false;
  const int len = static_cast<int>(sql.size());
  if (end == 0 || end > len) end = len;
  int p = start > 0 ? start : 1;
  bool found = kw.empty();
  if (found) start = p;
  State s;
  if (p <= len) Step(sql, p, s);
  auto advance = [&](int n) {
    p += n + s.skip;
    if (p <= len) Step(sql, p, s);
  };
  auto match = [&](const std::string& w) {
    const int n = static_cast<int>(w.size());
    if (!(anywhere && found) && p + n <= end && !Boundary(sql[p + n - 1])) return false;
    if (p - 1 + n > len) return false;
    for (int k = 0; k < n; ++k)
      if (Lower(sql[p - 1 + k]) != Lower(w[k])) return false;
    return true;
  };
  while (p <= end) {
    if (s.sq || s.dq || s.line || s.block || s.paren != 0) {
      advance(1);
    } else if (!(anywhere && found) && p > 1 && !Boundary(sql[p - 2])) {
      advance(1);
    } else if (!found) {
      if (match(kw)) {
        found = true;
        start = p;
        advance(static_cast<int>(kw.size()));
      } else {
        advance(1);
      }
    } else {
      for (const std::string& w : stops) {
        if (!match(w)) continue;
        if (w.empty()) {
          ++end;
        } else {
          end = p;
          foundStop = w;
        }
        return true;
      }
      advance(1);
    }
  }
  ++end;
  return false;
}

}  // namespace sqlref
