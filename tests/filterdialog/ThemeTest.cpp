// The filter dialog under a light and a dark theme and at any screen scaling: every text
// reads against its background, the glyphs are painted for the screen's pixel ratio and
// stand out from the tool bar, and pictures of both themes.
#include <QApplication>
#include <QImage>
#include <QPixmap>

#include "DialogFixture.h"
#include "tests/filtermodel/Screenshot.h"
#include "tests/filtermodel/Theme.h"

namespace dialogtest {
namespace {

class ThemeTest : public DialogTest {
 protected:
  // Three lines (one with parentheses, the connectors on the pale yellow drop-downs),
  // the SQL shown, two fixed ordering entries with the second one selected, and a
  // description.
  void Fill() {
    FillPictureLines();
    NoFixedOrd = 2;
    form->InitOrdemData();
    form->Ordered->Items()->SetText("CUSTOMER.NAME\r\nORDERS.TOTAL\r\nORDERS.SHIPPED\r\n");
    form->Ordered->SetItemIndex(1);
    form->Ordem->SetItemIndex(2);
    form->MemoDesc->Lines()->SetText("Customers named Smi... with large orders");
  }
};

TEST_F(ThemeTest, EveryTextReadsOnEveryPageInBothThemes) {
  for (const TThemeCase& r : kThemeCases) {
    const QPalette palette = r.Dark ? DarkPalette() : LightPalette();
    TThemeScope made(r.Fresh ? palette : LightPalette());  // the theme the dialog is made under
    Create();
    Fill();
    form->show();
    std::unique_ptr<TThemeScope> changed;
    if (!r.Fresh) changed = std::make_unique<TThemeScope>(palette);
    const std::pair<ComCtrls::TTabSheet*, int> pages[] = {
        {form->TabSheet1, 16}, {form->TabSheet2, 9}, {form->TabSheet3, 4}};
    for (const auto& [page, least] : pages) {
      form->PageControl1->SetActivePage(page);
      EXPECT_GE(ExpectTextsReadable(*form, std::string(r.Name) + " " + page->Name()), least) << "too few texts";
    }
    // The named colours keep their meaning: the connectors on pale yellow, the fixed
    // ordering entries red (a red hue, clearly saturated).
    EXPECT_EQ(form->eOperation1->palette().color(QPalette::Button), QColor(255, 255, 128)) << r.Name;
    form->PageControl1->SetActivePage(form->TabSheet2);
    QApplication::processEvents();
    const QImage image = form->grab().toImage();
    for (int i : {0, 1}) {  // on the list's background and selected
      const QRect fixed = form->Ordered->visualItemRect(form->Ordered->item(i));
      const TTextContrast red = MeasureText(
          image, QRect(form->Ordered->viewport()->mapTo(form.get(), fixed.topLeft()), fixed.size()), "fixed entry");
      const int hue = red.Text.hsvHue();
      EXPECT_TRUE((hue <= 10 || hue >= 350) && red.Text.hsvSaturationF() >= 0.4)
          << r.Name << " " << i << " " << red.Text.name().toStdString();
    }
    form->hide();
  }
}

// Pictures: the dark theme at any scaling, the light one too at 200 percent.
TEST_F(ThemeTest, Screenshots) {
  const qreal ratio = form->devicePixelRatioF();
  for (const bool dark : {false, true}) {
    if (!dark && ratio < 1.5) continue;  // the light pictures at 100 percent are the plain ones
    TThemeScope theme(dark ? DarkPalette() : LightPalette());
    Create();
    Fill();
    form->show();
    form->PageControl1->SetActivePage(form->TabSheet1);
    Shoot(*form, ThemedName("filter-dialog", dark, ratio), 531, 299);
    form->PageControl1->SetActivePage(form->TabSheet2);
    Shoot(*form, ThemedName("filter-ordering", dark, ratio), 531, 299);
    form->hide();
  }
}

// Each glyph comes at the pixel ratio asked for (not a small picture blown up), and its
// strokes stand out (3:1) from the tool bar in either theme.
TEST_F(ThemeTest, GlyphsArePaintedForThePixelRatioAndTheTheme) {
  Buttons::TSpeedButton* const glyphs[] = {form->btSee,   form->btParse,      form->btCancel,    form->btConfirm,
                                           form->btClear, form->btSaveFilter, form->btOpenFilter};
  for (const bool dark : {false, true}) {
    TThemeScope theme(dark ? DarkPalette() : LightPalette());
    const QColor face = QApplication::palette().color(QPalette::Window);
    for (Buttons::TSpeedButton* button : glyphs) {
      for (const qreal ratio : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(button->Name() + (dark ? " dark " : " light ") + std::to_string(ratio));
        const QPixmap pixmap = button->icon().pixmap(QSize(16, 16), ratio);
        EXPECT_EQ(pixmap.size(), QSize(16, 16) * ratio);
        EXPECT_EQ(pixmap.devicePixelRatio(), ratio);
        const QImage image = pixmap.toImage();
        double best = 1;
        for (int y = 0; y < image.height(); ++y)
          for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
              best = std::max(best, Controls::ContrastRatio(QColor(image.pixel(x, y)), face));
        EXPECT_GE(best, 3.0);
      }
    }
  }
}

}  // namespace
}  // namespace dialogtest
