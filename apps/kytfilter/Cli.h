// Shared plumbing of the kytfilter command-line tool: argument errors, input and
// output of exact bytes, and the verb groups.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kytcli {

// Bad use: unknown verb or clause, missing argument. main prints "usage: ..." on
// standard error and exits with 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failure the user must see: main prints the message on standard error and exits
// with 1.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Text the library cannot hold: not UTF-8, or a character Windows-1252 lacks. main
// prints the message on standard error and exits with 2, as for bad use.
class TextError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using Args = std::vector<std::string>;

// The command line's UTF-8 text as the library's Windows-1252, exactly. Raises
// TextError "kytfilter: WHAT: ..." naming What (an option such as "--sql", or a JSON
// key) and the first character or bytes that do not convert.
std::string ToAnsi(const std::string& Utf8, const std::string& What);

// The whole content of File, or of standard input when File is empty, read in large
// blocks. Raises Failure "kytfilter: cannot read FILE: reason".
std::string ReadInput(const std::string& File);
// Writes Bytes to standard output exactly (no newline added). Raises Failure when the
// output cannot take them.
void WriteOutput(std::string_view Bytes);

// Runs Body and returns its exit code; the errors above, and any other exception,
// become their message on standard error and exit code 2 (UsageError, with "usage: "
// before it; TextError) or 1 (Failure; others, with "kytfilter: " before them).
int RunReportingErrors(const std::function<int()>& Body);

// Verb groups: Args holds the words after the group's name. Each returns the exit code.
int RunSql(const Args& args);
// kytfilter db columns|rows: a statement's columns or rows through a query of one of
// the four kinds. Raises Failure with the engine's message on its errors.
int RunDb(const Args& args);

}  // namespace kytcli
