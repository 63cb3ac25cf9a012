#include "apps/kytdesign/Palette.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include "host/designer/DesignIntf.h"
#include "host/rtl/SysUtils.h"
#include "host/ui/AnsiText.h"

namespace Palette {

namespace {

constexpr int kBitmapSide = 24;
constexpr int kPaletteScale = 1;
constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

void PutLE32(QByteArray& Bytes, int At, uint32_t Value) {
  for (int i = 0; i < 4; ++i) Bytes[At + i] = static_cast<char>(Value >> (8 * i));
}
uint32_t GetLE32(const std::vector<uint8_t>& Bytes, size_t At) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Bytes[At + i]) << (8 * i);
  return v;
}

// The picture of a class without a bitmap: a grey component block, the same for all.
QImage GenericImage() {
  QImage image(kBitmapSide, kBitmapSide, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  QLinearGradient fill(0, 3, 0, 21);
  fill.setColorAt(0, QColor(0xF2, 0xF2, 0xF2));
  fill.setColorAt(1, QColor(0xB8, 0xB8, 0xB8));
  p.setPen(QColor(0x40, 0x40, 0x40));
  p.setBrush(fill);
  p.drawRect(3, 3, 17, 17);
  p.setPen(QColor(0x20, 0x50, 0xA0));
  // Three rows of a table: what the palette shows for data access and other classes.
  for (int y = 8; y <= 16; y += 4) p.drawLine(6, y, 17, y);
  p.drawLine(10, 6, 10, 18);
  return image;
}

// A tool button that tells a double click apart from a click.
class TPaletteButton : public QToolButton {
 public:
  using QToolButton::QToolButton;
  std::function<void()> OnDoubleClick;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* Event) override {
    if (Event->button() == Qt::LeftButton && OnDoubleClick) OnDoubleClick();
    else QToolButton::mouseDoubleClickEvent(Event);
  }
};

}  // namespace

QPixmap BitmapPixmap(const std::vector<uint8_t>& Dib) {
  if (Dib.size() < static_cast<size_t>(kInfoHeaderSize) || GetLE32(Dib, 0) != kInfoHeaderSize) return {};
  // A device-independent bitmap as a resource lacks the file header that a .bmp file has:
  // "BM", the file size, two reserved words and where the pixels start.
  const uint32_t bits = Dib[14] | (Dib[15] << 8);
  uint32_t colours = GetLE32(Dib, 32);
  if (colours == 0 && bits <= 8) colours = 1u << bits;
  QByteArray file(kFileHeaderSize, '\0');
  file[0] = 'B';
  file[1] = 'M';
  PutLE32(file, 2, static_cast<uint32_t>(kFileHeaderSize + Dib.size()));
  PutLE32(file, 10, kFileHeaderSize + kInfoHeaderSize + 4 * colours);
  file.append(reinterpret_cast<const char*>(Dib.data()), static_cast<qsizetype>(Dib.size()));
  QImage image = QImage::fromData(file, "BMP");
  if (image.isNull()) return {};
  image = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb transparent = image.pixel(0, image.height() - 1);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == transparent) image.setPixel(x, y, qRgba(0, 0, 0, 0));
  return QPixmap::fromImage(image);
}

QPixmap ClassPixmap(const std::string& ClassName, int Scale) {
  QPixmap picture;
  if (const std::vector<uint8_t>* dib = DesignIntf::FindBitmap(SysUtils::UpperCase(ClassName)))
    picture = BitmapPixmap(*dib);
  if (picture.isNull()) picture = QPixmap::fromImage(GenericImage());
  if (Scale <= 1) return picture;
  return picture.scaled(picture.width() * Scale, picture.height() * Scale, Qt::IgnoreAspectRatio,
                        Qt::FastTransformation);
}

TPalette::TPalette(QWidget* Parent) : QTabWidget(Parent) {
  setDocumentMode(true);
  setUsesScrollButtons(true);
  Reload();
}

void TPalette::Reload() {
  FButtons.clear();
  while (count() > 0) {
    QWidget* page = widget(0);
    removeTab(0);
    delete page;
  }
  for (const std::string& pageName : DesignIntf::PalettePages()) {
    auto* page = new QWidget;
    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(2);
    for (const DesignIntf::TPaletteEntry& entry : DesignIntf::PaletteClasses(pageName)) {
      auto* button = new TPaletteButton(page);
      const QString name = AnsiText::ToQString(entry.ClassName);
      button->setObjectName(name);
      button->setIcon(QIcon(ClassPixmap(entry.ClassName, kPaletteScale)));
      button->setIconSize(QSize(kBitmapSide * kPaletteScale, kBitmapSide * kPaletteScale));
      button->setToolTip(name);
      button->setAccessibleName(name);
      button->setCheckable(true);
      button->setAutoRaise(true);
      button->setFixedSize(kBitmapSide * kPaletteScale + 10, kBitmapSide * kPaletteScale + 10);
      // One class at a time: pressing a button raises the others.
      connect(button, &QToolButton::clicked, this, [this, button](bool Down) {
        if (!Down) return;
        for (QToolButton* other : FButtons)
          if (other != button) other->setChecked(false);
      });
      const std::string className = entry.ClassName;
      button->OnDoubleClick = [this, className] {
        ClearSelection();
        if (OnAddNow) OnAddNow(className);
      };
      row->addWidget(button);
      FButtons.push_back(button);
    }
    row->addStretch(1);
    addTab(page, AnsiText::ToQString(pageName));
  }
}

std::string TPalette::SelectedClass() const {
  for (QToolButton* b : FButtons)
    if (b->isChecked()) {
      std::string name;
      AnsiText::FromQString(b->objectName(), name);
      return name;
    }
  return "";
}

void TPalette::ClearSelection() {
  for (QToolButton* b : FButtons) b->setChecked(false);
}

QToolButton* TPalette::Button(const std::string& ClassName) const {
  for (QToolButton* b : FButtons) {
    std::string name;
    AnsiText::FromQString(b->objectName(), name);
    if (SysUtils::AnsiSameText(name, ClassName)) return b;
  }
  return nullptr;
}

bool TPalette::Select(const std::string& ClassName) {
  QToolButton* b = Button(ClassName);
  if (!b) return false;
  for (int i = 0; i < count(); ++i)
    if (widget(i)->isAncestorOf(b)) setCurrentIndex(i);
  if (!b->isChecked()) b->click();
  return true;
}

}  // namespace Palette
