#include <gtest/gtest.h>

#include <string>

#include "host/ui/AnsiText.h"

TEST(AnsiText, EveryByteRoundTripsThroughQString) {
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  const QString q = AnsiText::ToQString(all);
  ASSERT_EQ(q.size(), 255);
  std::string back;
  ASSERT_TRUE(AnsiText::FromQString(q, back));
  EXPECT_EQ(back, all);
}

TEST(AnsiText, CodePageCharacters) {
  struct Row {
    const char* Name;
    std::string Ansi;
    char16_t Unicode;
  };
  const Row rows[] = {
      {"euro", "\x80", 0x20AC}, {"s caron", "\x9A", 0x0161}, {"Y diaeresis", "\x9F", 0x0178},
      {"e acute", "\xE9", 0x00E9}, {"unassigned 0x81", "\x81", 0x0081}, {"A", "A", 0x0041},
  };
  for (const Row& r : rows) {
    const QString q = AnsiText::ToQString(r.Ansi);
    ASSERT_EQ(q.size(), 1) << r.Name;
    EXPECT_EQ(q[0].unicode(), r.Unicode) << r.Name;
  }
  std::string out;
  EXPECT_FALSE(AnsiText::FromQString(QString(QChar(0x4E00)), out));
  EXPECT_FALSE(AnsiText::FromQString(QString(QChar(0x0080)), out));  // C1 control, no Windows-1252 byte
}
