// Pictures of the dialogs for the documentation, written by their tests.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QWidget>

#include <filesystem>
#include <set>
#include <string>

// Writes the shown Dialog to KYT_SCREENSHOT_DIR/Name and checks that it holds a
// picture: Width x Height (times the screen's pixel ratio) and many colours, not a
// blank area.
inline void Shoot(QWidget& Dialog, const std::string& Name, int Width, int Height) {
  QCoreApplication::processEvents();
  const QImage image = Dialog.grab().toImage();
  const std::filesystem::path dir = KYT_SCREENSHOT_DIR;
  std::filesystem::create_directories(dir);
  const std::string file = (dir / Name).string();
  ASSERT_TRUE(image.save(QString::fromStdString(file), "PNG")) << file;
  EXPECT_EQ(image.width(), qRound(Width * image.devicePixelRatio()));
  EXPECT_EQ(image.height(), qRound(Height * image.devicePixelRatio()));
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); y += 3)
    for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
  EXPECT_GT(colours.size(), 20u) << file;
}
