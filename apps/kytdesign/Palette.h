// The component palette: one tab per registered palette page, one button per class
// with the class's bitmap, and the icons the form surface draws components with.
//
// User-interface thread only.
#pragma once

#include <QPixmap>
#include <QTabWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QToolButton;

namespace Palette {

// A palette bitmap (a device-independent bitmap without its file header, as modules
// register it) as a picture whose bottom-left pixel's colour is transparent; a null
// picture when the bytes are no bitmap.
QPixmap BitmapPixmap(const std::vector<uint8_t>& Dib);

// The picture of ClassName: its registered bitmap (named after the class in upper
// case), else a generic component picture; Scale times its 24 x 24 pixels, each pixel
// a square block so the picture stays crisp.
QPixmap ClassPixmap(const std::string& ClassName, int Scale);

class TPalette : public QTabWidget {
 public:
  explicit TPalette(QWidget* Parent = nullptr);

  // Builds the tabs and buttons again from the registry.
  void Reload();

  // The class whose button is down, or "" when none is.
  std::string SelectedClass() const;
  // Raises every button.
  void ClearSelection();
  // Presses the button of ClassName (as a click would); false when there is none.
  bool Select(const std::string& ClassName);
  // The button of ClassName, or null.
  QToolButton* Button(const std::string& ClassName) const;

  // A button was double-clicked: the class is to be put on the form at once.
  std::function<void(const std::string& ClassName)> OnAddNow;

 private:
  std::vector<QToolButton*> FButtons;
};

}  // namespace Palette
