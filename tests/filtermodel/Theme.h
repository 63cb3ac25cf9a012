// Light and dark themes for the dialogs' tests, and the contrast of every text a dialog
// shows, measured on its rendered pixels.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QToolButton>
#include <QWidget>

#include <cmath>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/ui/Controls.h"

// The two themes. Their own pairs of text and background (selection included) read at
// 4.5:1, so a text that fails is one whose colours the dialog chose.
inline QPalette LightPalette() {
  QPalette p(QColor(239, 239, 239));
  p.setColor(QPalette::Base, Qt::white);
  p.setColor(QPalette::Highlight, QColor(30, 95, 160));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
  return p;
}

inline QPalette DarkPalette() {
  QPalette p(QColor(53, 53, 53));
  p.setColor(QPalette::Base, QColor(35, 35, 35));
  p.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
  p.setColor(QPalette::Highlight, QColor(42, 130, 218));
  p.setColor(QPalette::HighlightedText, Qt::black);
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
  p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
  p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
  return p;
}

// Sets the Fusion style (which draws with the palette) and Palette for one scope, and
// puts the application's style and palette back at its end.
class TThemeScope {
 public:
  explicit TThemeScope(const QPalette& Palette)
      : FStyle(QApplication::style()->name()), FPalette(QApplication::palette()) {
    QApplication::setStyle("Fusion");
    QApplication::setPalette(Palette);
    QApplication::processEvents();
  }
  ~TThemeScope() {
    QApplication::setStyle(FStyle);
    QApplication::setPalette(FPalette);
    QApplication::processEvents();
  }
  TThemeScope(const TThemeScope&) = delete;
  TThemeScope& operator=(const TThemeScope&) = delete;

 private:
  QString FStyle;
  QPalette FPalette;
};

// One text as drawn: where, its colour, the background around it and their contrast.
struct TTextContrast {
  std::string Where;
  QColor Text, Background;
  double Ratio = 1;
  int InkPixels = 0;  // pixels that differ from the background
};

// The background of a region is its most frequent colour; the text is the pixel that
// contrasts most with it (the core of the glyphs, not their smoothed edges).
inline TTextContrast MeasureText(const QImage& Image, const QRect& Region, const std::string& Where) {
  TTextContrast out;
  out.Where = Where;
  const qreal ratio = Image.devicePixelRatio();
  const QRect device = QRect(QPoint(std::lround(Region.left() * ratio), std::lround(Region.top() * ratio)),
                             QSize(std::lround(Region.width() * ratio), std::lround(Region.height() * ratio)))
                           .intersected(Image.rect());
  std::unordered_map<QRgb, int> counts;
  for (int y = device.top(); y <= device.bottom(); ++y)
    for (int x = device.left(); x <= device.right(); ++x) ++counts[Image.pixel(x, y) | 0xFF000000u];
  if (counts.empty()) return out;
  QRgb background = counts.begin()->first;
  for (const auto& [colour, n] : counts)
    if (n > counts[background]) background = colour;
  out.Background = QColor(background);
  out.Text = out.Background;
  for (const auto& [colour, n] : counts) {
    if (colour == background) continue;
    out.InkPixels += n;
    const double r = Controls::ContrastRatio(QColor(colour), out.Background);
    if (r > out.Ratio) {
      out.Ratio = r;
      out.Text = QColor(colour);
    }
  }
  return out;
}

// The regions of Widget where it draws text, in its own coordinates, each with a name;
// none for a widget without text.
inline std::vector<std::pair<std::string, QRect>> TextRegions(QWidget& W) {
  std::vector<std::pair<std::string, QRect>> out;
  const std::string name = W.objectName().toStdString();
  auto add = [&](const std::string& What, const QRect& R) { out.emplace_back(name + " " + What, R); };
  if (auto* list = qobject_cast<QListWidget*>(&W)) {
    for (int i = 0; i < list->count(); ++i) {
      const QRect item = list->visualItemRect(list->item(i)).intersected(list->viewport()->rect());
      if (!item.isEmpty() && !list->item(i)->text().isEmpty())
        add("item " + list->item(i)->text().toStdString(), item.translated(list->viewport()->pos()));
    }
  } else if (auto* tabs = qobject_cast<QTabBar*>(&W)) {
    for (int i = 0; i < tabs->count(); ++i)
      add("tab " + tabs->tabText(i).toStdString(), tabs->tabRect(i).adjusted(4, 4, -4, -4));
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(&W)) {
    if (!memo->toPlainText().isEmpty()) add("text", memo->viewport()->geometry().adjusted(1, 1, -1, -1));
  } else if (auto* edit = qobject_cast<QLineEdit*>(&W)) {
    if (!edit->text().isEmpty()) add("text", edit->rect().adjusted(3, 3, -3, -3));
  } else if (auto* combo = qobject_cast<QComboBox*>(&W)) {
    if (!combo->currentText().isEmpty()) add("text", combo->rect().adjusted(4, 4, -22, -4));
  } else if (auto* group = qobject_cast<QGroupBox*>(&W)) {
    if (!group->title().isEmpty())
      add("title", QRect(0, 0, group->fontMetrics().horizontalAdvance(group->title()) + 16,
                         group->fontMetrics().height()));
  } else if (auto* check = qobject_cast<QCheckBox*>(&W)) {
    if (!check->text().isEmpty()) {
      QStyleOptionButton option;
      option.initFrom(check);
      option.text = check->text();
      add("caption", check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check));
    }
  } else if (auto* button = qobject_cast<QAbstractButton*>(&W)) {
    auto* tool = qobject_cast<QToolButton*>(&W);
    const bool iconOnly = tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly;
    if (!button->text().isEmpty() && !iconOnly) add("caption", button->rect().adjusted(4, 4, -4, -4));
  } else if (auto* label = qobject_cast<QLabel*>(&W)) {
    if (!label->text().isEmpty()) add("caption", label->contentsRect());
  }
  return out;
}

// Every text Dialog shows now (visible and enabled controls, the part not scrolled or
// clipped away), measured on one rendering of it.
inline std::vector<TTextContrast> MeasureTexts(QWidget& Dialog) {
  QApplication::processEvents();
  const QImage image = Dialog.grab().toImage();
  std::vector<TTextContrast> out;
  for (QWidget* w : Dialog.findChildren<QWidget*>()) {
    if (!w->isVisible() || !w->isEnabled()) continue;
    const QRect shown = w->visibleRegion().boundingRect();
    for (const auto& [where, region] : TextRegions(*w)) {
      const QRect r = region.intersected(shown);
      if (r.width() < 4 || r.height() < 4) continue;
      out.push_back(MeasureText(image, QRect(w->mapTo(&Dialog, r.topLeft()), r.size()), where));
    }
  }
  return out;
}

// Checks that each text of Dialog has ink and reads at 4.5:1 at least; returns how many
// texts were measured.
inline int ExpectTextsReadable(QWidget& Dialog, const std::string& Context) {
  const std::vector<TTextContrast> texts = MeasureTexts(Dialog);
  for (const TTextContrast& t : texts) {
    EXPECT_GT(t.InkPixels, 0) << Context << ": no text drawn in " << t.Where;
    EXPECT_GE(t.Ratio, 4.5) << Context << ": " << t.Where << " text " << t.Text.name().toStdString() << " on "
                            << t.Background.name().toStdString();
  }
  return static_cast<int>(texts.size());
}

// The themes every dialog is checked under: light, dark, and dark switched on while the
// dialog is shown (Fresh false: the dialog is made under the light theme first).
struct TThemeCase {
  const char* Name;
  bool Dark;
  bool Fresh;
};
inline constexpr TThemeCase kThemeCases[] = {
    {"light", false, true}, {"dark", true, true}, {"dark after light", true, false}};

// The name of a picture of a theme at the screen's scaling: "-dark" for the dark theme,
// "@2x" at 200 percent.
inline std::string ThemedName(const std::string& Base, bool Dark, qreal Ratio) {
  return Base + (Dark ? "-dark" : "") + (Ratio > 1.5 ? "@2x" : "") + ".png";
}
