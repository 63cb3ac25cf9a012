// Host masked edit: an edit whose input follows a mask in the host's mask language.
//
// The host's mask characters: 9 a digit that may stay blank, 0 a required digit,
// L a required letter, l a letter that may stay blank, A / a a letter or digit
// (required / optional), C / c any character (required / optional), # a digit or
// sign that may stay blank, / the date separator, : the time separator, \ takes the
// next character literally; anything else stands for itself. A mask may end in
// ";<save literals>;<blank character>" sections, of which the blank character is
// used. The text includes the mask's literals; an empty mask accepts free text.
//
// User-interface thread only.
#pragma once

#include <string>

#include "host/ui/StdCtrls.h"

namespace Mask {

// The Qt input mask for a host mask; the empty text for the empty mask.
std::string ToQtInputMask(const std::string& EditMask);

class TMaskEdit : public StdCtrls::TEdit {
 public:
  explicit TMaskEdit(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TMaskEdit"; }
  const std::string& EditMask() const { return FEditMask; }
  // Keeps what of the present text fits the new mask: all of it for the empty mask,
  // whatever MaxLength is.
  void SetEditMask(const std::string& Value);

 private:
  std::string FEditMask;
};

}  // namespace Mask
