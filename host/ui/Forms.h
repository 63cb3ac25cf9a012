// Host forms and the scroll box.
//
// A form is a dialog window shown modally through the UI host (so tests can script
// what happens inside the modal loop). Its modal result is 1 for OK and 2 for Cancel;
// setting a non-zero result closes it; the window's close button gives Cancel.
//
// User-interface thread only.
#pragma once

#include <QDialog>
#include <QScrollArea>

#include <string>

#include "host/ui/Controls.h"

namespace Forms {

enum class TBorderStyle { bsSizeable, bsDialog };

class TForm : public QDialog, public Controls::TWinControl {
 public:
  explicit TForm(Classes::TComponent* AOwner);
  ~TForm() override;
  std::string ClassName() const override { return "TForm"; }

  std::string Caption() const;
  void SetCaption(const std::string& Value);
  // The size inside the frame.
  void SetClientSize(int AWidth, int AHeight);
  // A dialog border keeps the client size fixed.
  void SetBorderStyle(TBorderStyle Value);

  // Shows the form modally and returns the modal result it was closed with.
  int ShowModal();
  int ModalResult() const { return FModalResult; }
  // A non-zero result closes a shown form.
  void SetModalResult(int Value);
  // Ends the modal loop with Result (0 counts as Cancel). Used by the UI hosts.
  void done(int Result) override;

 private:
  int FModalResult = 0;
  TBorderStyle FBorderStyle = TBorderStyle::bsSizeable;
};

// A container whose children may extend beyond it; scroll bars appear as needed.
class TScrollBox : public QScrollArea, public Controls::TWinControl {
 public:
  explicit TScrollBox(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TScrollBox"; }
  QWidget& ClientWidget() override { return *FClient; }
  void SetBorderless(bool Value) { setFrameShape(Value ? QFrame::NoFrame : QFrame::StyledPanel); }
  void ChildBoundsChanged() override;
  void Realign() override;
  // Makes the inner area cover every visible child now.
  void UpdateClientSize();

 protected:
  void resizeEvent(QResizeEvent* Event) override;

 private:
  QWidget* FClient;
  bool FPending = false;
};

}  // namespace Forms
