#include "platform/Version.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

TEST(Version, RunningProgramCarriesTheBuildVersion) {
  const QString text = framora::GetFileVersionText(QCoreApplication::applicationFilePath());
  EXPECT_EQ(text, framora::VersionTextFromDotted(QStringLiteral(FRAMORA_VERSION)));
  EXPECT_EQ(text.split(u'.').size(), 4) << text.toStdString();
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
