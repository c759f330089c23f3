#include "app/Help.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

using framora::test::ScriptedPrompter;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(Help, PagesLieBesideTheBuiltProgramAsInTheSources) {
  for (const char* name : {"framorae.html", "framorad.html"}) {
    const QByteArray built = ReadAll(QStringLiteral(FRAMORA_BINARY_DIR "/src/app/") + QString::fromLatin1(name));
    ASSERT_FALSE(built.isEmpty()) << name;
    EXPECT_EQ(built, ReadAll(QStringLiteral(FRAMORA_SOURCE_DIR "/resources/help/") + QString::fromLatin1(name)));
  }
}

// Every context number the program uses opens its own topic in the page of each language.
TEST(Help, OpensTheFileOfTheLanguageAtTheTopicOfEachContext) {
  const QString folder = QStringLiteral(FRAMORA_BINARY_DIR "/src/app");
  for (const int language : {1, 0}) {
    const QString file = framora::HelpFilePath(language, folder);
    EXPECT_EQ(QFileInfo(file).fileName(), language ? QStringLiteral("framorae.html") : QStringLiteral("framorad.html"));
    const QByteArray page = ReadAll(file);
    for (const int context : {0, 1, 3, 4, 100}) {
      ScriptedPrompter prompter;
      EXPECT_TRUE(framora::OpenHelp(prompter, file, context, language));
      ASSERT_EQ(prompter.urls.size(), 1);
      const QUrl url(prompter.urls[0]);
      EXPECT_TRUE(url.isLocalFile());
      EXPECT_EQ(QFileInfo(url.toLocalFile()), QFileInfo(file));
      EXPECT_EQ(url.fragment(), QStringLiteral("context-%1").arg(context));
      EXPECT_TRUE(page.contains("id=\"context-" + QByteArray::number(context) + "\"")) << context;
      EXPECT_TRUE(prompter.messages.isEmpty());
    }
  }
}

TEST(Help, ContextWithoutTopicOpensThePageAtTheTop) {
  QTemporaryDir dir;
  Touch(dir.filePath(QStringLiteral("framorae.html")));
  ScriptedPrompter prompter;
  framora::OpenHelp(prompter, dir.filePath(QStringLiteral("framorae.html")), 2, 1);
  ASSERT_EQ(prompter.urls.size(), 1);
  EXPECT_FALSE(QUrl(prompter.urls[0]).hasFragment());
}

TEST(Help, FileIsFoundBesideTheProgramOrWhereItIsInstalled) {
  QTemporaryDir prefix;
  const QString bin = prefix.filePath(QStringLiteral("bin"));
  QDir().mkpath(bin);
  // Nothing there yet: the name beside the program.
  EXPECT_EQ(framora::HelpFilePath(1, bin), QDir(bin).filePath(QStringLiteral("framorae.html")));
  const QString installed = prefix.filePath(QStringLiteral("share/framora/help/framorad.html"));
  Touch(installed);
  EXPECT_EQ(QFileInfo(framora::HelpFilePath(0, bin)), QFileInfo(installed));
  Touch(QDir(bin).filePath(QStringLiteral("framorad.html")));
  EXPECT_EQ(framora::HelpFilePath(0, bin), QDir(bin).filePath(QStringLiteral("framorad.html")));
}

TEST(Help, MissingFileIsReportedInTheInterfaceLanguage) {
  QTemporaryDir dir;
  for (const int language : {1, 0}) {
    ScriptedPrompter prompter;
    const QString missing = dir.filePath(framora::HelpFileName(language));
    EXPECT_FALSE(framora::OpenHelp(prompter, missing, 100, language));
    EXPECT_TRUE(prompter.urls.isEmpty());
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].kind, framora::MessageKind::Warning);
    EXPECT_TRUE(prompter.messages[0].text.startsWith(language ? QStringLiteral("Help file not found: ")
                                                              : QStringLiteral("Hilfedatei nicht gefunden: ")));
    EXPECT_TRUE(prompter.messages[0].text.endsWith(QDir::toNativeSeparators(missing)));
  }
}

TEST(Help, BrowserThatCannotStartIsReported) {
  QTemporaryDir dir;
  Touch(dir.filePath(QStringLiteral("framorad.html")));
  ScriptedPrompter prompter;
  prompter.openUrlResult = false;
  EXPECT_FALSE(framora::OpenHelp(prompter, dir.filePath(QStringLiteral("framorad.html")), 1, 0));
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].caption, QStringLiteral("Hilfe"));
}

} // namespace
