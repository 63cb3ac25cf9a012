#include "apps/kytdesign/StringsDialog.h"

#include <memory>

#include "host/ui/Dialogs.h"

namespace StringsDialog {

namespace {

template <class C>
C* Place(Forms::TForm* Form, const char* Name, int Left, int Top, int Width, int Height) {
  auto* control = new C(Form);
  control->SetName(Name);
  control->SetParent(Form);
  control->SetBounds(Left, Top, Width, Height);
  return control;
}

}  // namespace

TformStrings::TformStrings(Classes::TComponent* AOwner) : Forms::TForm(AOwner) {
  SetName("formStrings");
  SetBorderStyle(Forms::TBorderStyle::bsDialog);
  SetClientSize(420, 300);
  memLines = Place<StdCtrls::TMemo>(this, "memLines", 8, 8, 404, 248);
  btOK = Place<Buttons::TBitBtn>(this, "btOK", 220, 264, 92, 28);
  btOK->SetCaption("OK");
  btOK->SetModalResult(Dialogs::mrOk);
  btCancel = Place<Buttons::TBitBtn>(this, "btCancel", 320, 264, 92, 28);
  btCancel->SetCaption("Cancel");
  btCancel->SetCancel(true);
  btCancel->SetModalResult(Dialogs::mrCancel);
}

bool EditStrings(const std::string& Title, std::vector<std::string>& Lines) {
  auto form = std::make_unique<TformStrings>(nullptr);
  form->SetCaption(Title + " - String List Editor");
  for (const std::string& line : Lines) form->memLines->Lines()->Add(line);
  if (form->ShowModal() != Dialogs::mrOk) return false;
  const Classes::TStrings& edited = *form->memLines->Lines();
  Lines.clear();
  for (int i = 0; i < edited.Count(); ++i) Lines.push_back(edited.Get(i));
  return true;
}

}  // namespace StringsDialog
