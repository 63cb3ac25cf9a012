// kytfilter apply: a saved filter file applied to a statement through the filter
// component of one query kind and its dialog, off-screen.
#pragma once

#include "apps/kytfilter/Cli.h"

namespace kytcli {

// kytfilter apply (--variant ibo|ibd|bde | --variant qtsql --driver QSQLITE|QPSQL|QIBASE)
// --database DB (--sql STATEMENT | --sql-file FILE) --filter FILE [--csv OUT], or apply
// --form FORM --component NAME --filter FILE [--csv OUT]; Args holds the words after
// "apply". For qtsql, DB is opened as a Qt SQL connection (QtSqlConnect: a SQLite
// file, a PostgreSQL connection string, a Firebird database name).
//
// With --form the filter component NAME of the form file FORM is used as the form has
// it: its query (database and statement), its properties (date patterns, quotes,
// constant condition ...) and its field definitions, which decide the fields the
// dialog offers. Otherwise the component of the variant is linked to the statement.
// Opens the statement, runs the component's Execute with the dialog off-screen, where
// the filter file is opened with the dialog's open command and accepted, as a user
// would; then prints the new statement and writes the rows as CSV to OUT, or, without
// --csv, to standard output after the statement and one empty line. Message boxes are
// written to standard error as they come. Returns 0.
// Raises UsageError for bad use. Raises Failure, or returns 1 when the message has
// already been written as a message box, when: the statement is not a SELECT (apply
// only reads, so nothing is ever written to the database); the database cannot be
// reached or the statement cannot be opened; the form file cannot be read, or NAME is
// no filter component of it or has no query; the filter file cannot be read, one of its
// lines names a field the statement (with --form: the field definitions) does not
// offer, or one cannot be built (the dialog's message); the filtered statement cannot
// be opened; OUT cannot be written (OUT then keeps what it held).
int RunApply(const Args& args);

}  // namespace kytcli
