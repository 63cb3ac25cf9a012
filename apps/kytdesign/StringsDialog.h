// The string-list editor of the object inspector: a small dialog with a text box, one
// line per item, shown modally through the UI host.
//
// User-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "host/ui/Buttons.h"
#include "host/ui/Forms.h"
#include "host/ui/StdCtrls.h"

namespace StringsDialog {

class TformStrings : public Forms::TForm {
 public:
  // Owner takes ownership when not null.
  explicit TformStrings(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TformStrings"; }

  StdCtrls::TMemo* memLines;
  Buttons::TBitBtn* btOK;
  Buttons::TBitBtn* btCancel;
};

// Shows Lines under the caption "<Title> - String List Editor"; when the developer
// accepts, Lines becomes the text box's lines and the result is true.
bool EditStrings(const std::string& Title, std::vector<std::string>& Lines);

}  // namespace StringsDialog
