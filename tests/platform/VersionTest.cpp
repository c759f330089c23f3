#include "platform/Version.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// The version has one home, the project version of the top CMakeLists.txt.
TEST(Version, RunningProgramCarriesTheProjectVersion) {
  QFile cmake(QStringLiteral(FRAMORA_SOURCE_DIR "/CMakeLists.txt"));
  ASSERT_TRUE(cmake.open(QIODevice::ReadOnly));
  const QRegularExpressionMatch match =
      QRegularExpression(QStringLiteral("project\\(\\w+\\s+VERSION\\s+([0-9.]+)")).match(QString::fromUtf8(cmake.readAll()));
  ASSERT_TRUE(match.hasMatch());
  QStringList parts = match.captured(1).split(u'.');
  while (parts.size() < 4) parts.append(QStringLiteral("0"));
  EXPECT_EQ(framora::GetFileVersionText(QCoreApplication::applicationFilePath()), parts.join(u'.'));
}

TEST(Version, DottedTextsBecomeFourNumbersOrNoVersionInformation) {
  const struct {
    const char* dotted;
    const char* text;
  } cases[] = {
      {"1.2.1.0", "1.2.1.0"},
      {"1.2", "1.2.0.0"},
      {"7", "7.0.0.0"},
      {"01.002.0.65535", "1.2.0.65535"},
      {"1.2.3.65536", "No version information"},  // one word per part
      {"1.2.3.4.5", "No version information"},
      {"1.x.0.0", "No version information"},
      {"1..0.0", "No version information"},
      {" 1.0.0.0", "No version information"},
      {"", "No version information"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(framora::VersionTextFromDotted(QString::fromLatin1(c.dotted)), QString::fromLatin1(c.text)) << c.dotted;
}

} // namespace
