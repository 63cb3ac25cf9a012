// kytfilter form show|fielddefs: the components of a form file, and the field
// definitions of a filter component in it set through its property editor.
#pragma once

#include "apps/kytfilter/Cli.h"

namespace kytcli {

// kytfilter form show FILE [--json]
//   Prints the form file's components, nested as they are owned: class, name and every
//   published property with its value as a form file writes it (component references
//   by name), and for a filter component its field definitions, one catalogue entry a
//   line. With --json one UTF-8 JSON object: name, class, properties, components and,
//   for a filter component, fields (the entries under the names flt where --fields
//   reads; null without field definitions).
//
// kytfilter form fielddefs FILE COMPONENT [--refresh KINDS] [--allow TABLE.FIELD]
//     [--remove TABLE.FIELD] [--move TABLE.FIELD POS] [--describe TABLE.FIELD=TEXT]
//     [--out OUT]
//   Runs the property editor of COMPONENT's FilterFieldDefs with the field-definitions
//   dialog off-screen, performs the operations in the order given as a user would
//   (KINDS: everything, or a comma list of descriptions, remove-old, add-new; POS is
//   0-based), accepts, and writes the form file to OUT, else over FILE (replaced only
//   when complete).
//
// Args holds the words after "form". Returns 0, or 1 when the failure was a message
// box already written to standard error. Raises UsageError for bad use and Failure
// naming what failed: a file that cannot be read or is no form file, a component that
// is not there or no filter, a field that is not in the catalogue, an operation the
// dialog does not allow (allowing a field that is allowed, removing or moving one that
// is not, a position past the allowed list, a refresh that fails). On every failure
// nothing is written.
int RunForm(const Args& args);

}  // namespace kytcli
