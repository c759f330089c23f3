#include "platform/Convert.h"
#include "platform/FileFilter.h"
#include "platform/Paths.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace framora;

TEST(ToInt, ConvertsWholeTextsOnly) {
  struct Case {
    QString text;
    std::optional<int> value;
  } cases[] = {
      {"7", 7},           {"0", 0},           {"-50", -50},         {"+5", 5},
      {" 0", 0},          {"0 ", std::nullopt}, {"", std::nullopt}, {"abc", std::nullopt},
      {"12a", std::nullopt}, {"$1F", 31},      {"0x10", 16},         {"2147483647", 2147483647},
      {"2147483648", std::nullopt}, {"-2147483648", -2147483647 - 1}, {"-", std::nullopt},
      {"1.5", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(toInt(c.text), c.value) << c.text.toStdString();
  EXPECT_EQ(invalidIntegerMessage("abc"), "'abc' is not a valid integer value");
}

TEST(TrimBlanks, RemovesBlanksAndControlCharactersAtBothEnds) {
  EXPECT_EQ(trimBlanks(" \t a b \r\n"), "a b");
  EXPECT_EQ(trimBlanks("   "), "");
  EXPECT_EQ(trimBlanks("x"), "x");
}

TEST(QtFileFilter, TurnsClassicFiltersIntoQtFilters) {
  struct Case {
    QString classic;
    QString qt;
  } cases[] = {
      {"All (*.gif,*.bmp)|*.gif;*.bmp|Gif  (*.gif)|*.gif|Bitmaps (*.bmp)|*.bmp",
       "All (*.gif *.bmp);;Gif (*.gif);;Bitmaps (*.bmp)"},
      {"Template data|*.csv", "Template data (*.csv)"},
      {"Template data|*.csv|All|*.*", "Template data (*.csv);;All (*)"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(qtFileFilter(c.classic), c.qt) << c.classic.toStdString();
}

TEST(Paths, FoldersEndWithTheSeparatorAndFollowTheConfigHome) {
  EXPECT_EQ(withTrailingSeparator("/a/b"), "/a/b/");
  EXPECT_EQ(withTrailingSeparator("/a/b/"), "/a/b/");
  EXPECT_EQ(withTrailingSeparator(""), "");

  QTemporaryDir dir;
  const QByteArray old = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
  EXPECT_EQ(settingsFolder(), dir.path() + "/gifanidat/");
  EXPECT_FALSE(temporaryFolder().endsWith('/'));
  EXPECT_FALSE(documentsFolder().endsWith('/'));
  if (old.isNull()) qunsetenv("XDG_CONFIG_HOME");
  else qputenv("XDG_CONFIG_HOME", old);
}
