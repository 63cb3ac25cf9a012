#include "apps/kytdesign/FormSurface.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "apps/kytdesign/Palette.h"
#include "host/ui/AnsiText.h"

namespace FormSurface {

namespace {

constexpr int kTitleHeight = 26;
constexpr int kMargin = 24;
constexpr int kTileWidth = 120;
constexpr int kTileHeight = 84;
constexpr int kPictureScale = 2;
constexpr int kPictureSide = 24 * kPictureScale;
constexpr int kGridStep = 8;
constexpr int kColumns = 5;

}  // namespace

TFormSurface::TFormSurface(QWidget* Parent) : QWidget(Parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName(QStringLiteral("Form"));
  setAutoFillBackground(false);
}

void TFormSurface::SetComponents(std::vector<Classes::TComponent*> Components) {
  FComponents = std::move(Components);
  if (std::find(FComponents.begin(), FComponents.end(), FSelected) == FComponents.end()) FSelected = nullptr;
  updateGeometry();
  update();
}

void TFormSurface::SetCaption(const QString& Caption) {
  FCaption = Caption;
  update();
}

void TFormSurface::Select(Classes::TComponent* Component) {
  FSelected = Component;
  update();
  if (OnSelect) OnSelect(Component);
}

QRect TFormSurface::TileRect(int Index) const {
  const int column = Index % kColumns, row = Index / kColumns;
  return QRect(kMargin + column * (kTileWidth + kGridStep * 2), kTitleHeight + kMargin + row * (kTileHeight + kGridStep * 2),
               kTileWidth, kTileHeight);
}

Classes::TComponent* TFormSurface::ComponentAt(const QPoint& Point) const {
  for (size_t i = 0; i < FComponents.size(); ++i)
    if (TileRect(static_cast<int>(i)).contains(Point)) return FComponents[i];
  return nullptr;
}

QSize TFormSurface::sizeHint() const {
  const int rows = std::max<int>(1, (static_cast<int>(FComponents.size()) + kColumns - 1) / kColumns);
  return {kMargin * 2 + kColumns * (kTileWidth + kGridStep * 2), kTitleHeight + kMargin * 2 + rows * (kTileHeight + kGridStep * 2)};
}

void TFormSurface::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor face(0xF0, 0xF0, 0xF0);
  p.fillRect(rect(), face);
  // The design grid, as dots every grid step.
  p.setPen(QColor(0x9A, 0x9A, 0x9A));
  for (int y = kTitleHeight + kGridStep; y < height(); y += kGridStep)
    for (int x = kGridStep; x < width(); x += kGridStep) p.drawPoint(x, y);
  // The form's title strip, so the surface reads as the form being designed.
  QLinearGradient title(0, 0, width(), 0);
  title.setColorAt(0, QColor(0x1F, 0x4E, 0x8C));
  title.setColorAt(1, QColor(0x6A, 0x95, 0xC8));
  p.fillRect(QRect(0, 0, width(), kTitleHeight), title);
  p.setPen(Qt::white);
  QFont bold = font();
  bold.setBold(true);
  p.setFont(bold);
  p.drawText(QRect(8, 0, width() - 16, kTitleHeight), Qt::AlignVCenter | Qt::AlignLeft, FCaption);
  p.setFont(font());
  for (size_t i = 0; i < FComponents.size(); ++i) PaintTile(p, static_cast<int>(i), *FComponents[i]);
}

void TFormSurface::PaintTile(QPainter& P, int Index, Classes::TComponent& Component) {
  const QRect tile = TileRect(Index);
  const bool selected = &Component == FSelected;
  const QRect frame(tile.center().x() - kPictureSide / 2 - 5, tile.top() + 2, kPictureSide + 10, kPictureSide + 10);
  P.setPen(QColor(0x80, 0x80, 0x80));
  P.setBrush(QColor(0xFA, 0xFA, 0xFA));
  P.drawRect(frame);
  P.drawPixmap(frame.left() + 5, frame.top() + 5, Palette::ClassPixmap(Component.ClassName(), kPictureScale));
  const QRect label(tile.left(), frame.bottom() + 4, tile.width(), tile.bottom() - frame.bottom() - 4);
  const QString name = AnsiText::ToQString(Component.Name());
  if (selected) {
    const QRect text = P.fontMetrics().boundingRect(label, Qt::AlignHCenter | Qt::AlignTop, name).adjusted(-3, 0, 3, 1);
    P.fillRect(text, palette().highlight());
    P.setPen(palette().highlightedText().color());
  } else {
    P.setPen(Qt::black);
  }
  P.drawText(label, Qt::AlignHCenter | Qt::AlignTop, name);
  if (selected) {
    // Grab handles at the picture's corners, as a form designer marks its selection.
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(0x20, 0x20, 0x20));
    for (const QPoint& c : {frame.topLeft(), frame.topRight(), frame.bottomLeft(), frame.bottomRight()})
      P.drawRect(QRect(c - QPoint(2, 2), QSize(5, 5)));
  }
}

void TFormSurface::mousePressEvent(QMouseEvent* Event) {
  setFocus(Qt::MouseFocusReason);
  if (Event->button() != Qt::LeftButton) return;
  Classes::TComponent* hit = ComponentAt(Event->position().toPoint());
  if (hit) {
    Select(hit);
    return;
  }
  if (OnPlace && OnPlace()) return;
  Select(nullptr);
}

void TFormSurface::keyPressEvent(QKeyEvent* Event) {
  if (Event->key() == Qt::Key_Delete && FSelected && OnDelete) {
    OnDelete(FSelected);
    return;
  }
  QWidget::keyPressEvent(Event);
}

}  // namespace FormSurface
