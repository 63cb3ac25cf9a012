// Form files for the command line: the classes they may hold, reading one, finding a
// filter component in it, and writing it back.
#pragma once

#include <memory>
#include <string>

#include "components/kytFilterBase.h"
#include "host/rtl/Classes.h"

namespace kytcli {

// The component tree of the form file File; the caller owns the root. Brings in the
// packages the program links first (the classes a form file of the filters may hold). A TForm root
// needs a QApplication. A message box of a property setter (a bad date pattern) goes to
// the UI host first.
// Raises Failure "kytfilter: cannot read FILE: reason" when the file cannot be read, and
// "kytfilter: FILE: Line n: what" when it is not a well-formed form file of these
// classes (nothing of it is left).
std::unique_ptr<Classes::TComponent> LoadForm(const std::string& File);

// The component named Name (without regard to letter case) in Root's tree, searched
// depth first. Raises Failure naming it and File when there is none, or when it is
// not a filter component.
kytFilterBase::TkytCustomFilter& FindFilter(Classes::TComponent& Root, const std::string& Name,
                                            const std::string& File);

// The query Filter is linked to (its DataSet). Raises Failure "kytfilter: NAME in FILE:
// You must set the Dataset !" when there is none.
Classes::TComponent& LinkedQuery(const kytFilterBase::TkytCustomFilter& Filter, const std::string& File);

// Opens Query (a query of one of the three kinds), as an application opens its query.
// Raises Failure "kytfilter: Error trying to open the dataset: <the engine's reason>".
void OpenQuery(Classes::TComponent& Query);

// Writes Root as a form file to Out; Out is replaced only once the new content is
// complete (beside and rename), so a failure leaves it as it was. Raises Failure
// "kytfilter: cannot write OUT: reason".
void SaveForm(Classes::TComponent& Root, const std::string& Out);

}  // namespace kytcli
