#include "app/AppFixture.h"

#include <QMenu>
#include <QPushButton>

using namespace framora;
using namespace framora::test;

using StartupTest = AppFixture;

TEST_F(StartupTest, LanguageComesFromTheSystemNameUntilASettingsFileExists) {
  struct Case {
    const char* name;
    QString systemName;
    const char* file;  // settings file contents, nullptr for none
    int language;
  } cases[] = {
      {"German system, no file", "Deutsch", nullptr, 0},
      {"German in English words", "German (Germany)", nullptr, 1},
      {"lower case", "deutsch", nullptr, 1},
      {"English system", "English", nullptr, 1},
      {"empty name (C locale)", "", nullptr, 1},
      {"file says English", "Deutsch", "1\r\n/f\r\n500\r\n", 1},
      {"file says German", "English", "0\r\n/f\r\n500\r\n", 0},
      {"any non-zero is English", "Deutsch", "5\r\n/f\r\n500\r\n", 5},
      {"not a number", "Deutsch", "0 \r\n/f\r\n500\r\n", 1},
  };
  for (const auto& c : cases) {
    QFile::remove(settingsPath());
    if (c.file) writeBytes(settingsPath(), c.file);
    systemLanguage = c.systemName;
    start();
    const bool english = c.language != 0;
    EXPECT_EQ(form->state().LangEnglish, c.language) << c.name;
    EXPECT_EQ(form->LabelPreview->text(), english ? "Preview" : "Vorschau") << c.name;
    EXPECT_EQ(form->File1->title(), english ? "File" : "Datei") << c.name;
    EXPECT_EQ(form->SpeedButtonDel->toolTip(), english ? "Remove selected image" : "Ausgewähltes Bild entfernen")
        << c.name;
    EXPECT_TRUE(form->helpFile().endsWith(english ? "/framorae.html" : "/framorad.html")) << c.name;
    EXPECT_EQ(form->texts().TextNoAnimationLoaded, english ? "No animation loaded!" : "Keine Animation geladen!");
    EXPECT_EQ(form->windowTitle(), "Framora Pro");
    form.reset();
  }
}

TEST_F(StartupTest, RunsItsStepsInOrderAndStartsWithTheEmptyList) {
  start();
  EXPECT_EQ(calls, (QStringList{"start screen 1", "update check"}));
  EXPECT_EQ(form->state().SettingsFile, settingsPath());
  EXPECT_TRUE(QFileInfo(configHome() + "/gifanidat").isDir());
  EXPECT_EQ(form->state().UpdateReplyFile, tmp() + "/app_tests.dat");
  EXPECT_EQ(form->state().DefaultFolder, "");
  EXPECT_EQ(form->state().DefaultDelay, "500");
  EXPECT_EQ(form->StringGrid1->model()->rowCount(), 8);
  EXPECT_EQ(form->StringGrid1->columnWidth(0), 30);
  EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(StartupTest, AMissingConfigHomeIsCreated) {
  setConfigHome(root.filePath("fresh/.config"));
  start();
  EXPECT_TRUE(prompter.messages.isEmpty());
  EXPECT_TRUE(QFileInfo(root.filePath("fresh/.config/gifanidat")).isDir());
}

TEST_F(StartupTest, AnUncreatableSettingsFolderIsReportedAndTheDefaultsStay) {
  writeBytes(root.filePath("blocker"), "a file where the config folder should be");
  setConfigHome(root.filePath("blocker"));
  systemLanguage = "Deutsch";
  start();
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(prompter.messages[0].text.contains("gifanidat"));
  EXPECT_EQ(form->state().LangEnglish, 1);
  EXPECT_EQ(form->state().SettingsFile, "");
  EXPECT_EQ(form->LabelLoop->text(), "Schleife") << "design texts stay";
  EXPECT_EQ(form->Label8->text(), "Delay ms");
  EXPECT_TRUE(calls.isEmpty()) << "no start screen, no update check";
  form->close();
  EXPECT_EQ(prompter.messages.size(), 1) << "closing reports nothing";
}

TEST_F(StartupTest, SettingsFileValuesAreTrimmedAndAnEmptyFolderBecomesTheTemporaryFolder) {
  struct Case {
    QByteArray file;
    int language;
    QString folder, delay;
    QByteArray writtenBack;
  } cases[] = {
      {"0", 0, "<tmp>", "", "0\r\n<tmp>\r\n\r\n"},
      {"7\r\n  /my/folder  \r\n 250 \r\n", 7, "/my/folder", "250", "7\r\n/my/folder\r\n250\r\n"},
      {"1\r\n/f\r\n300\r\nextra\r\nmore\r\n", 1, "/f", "300", "1\r\n/f\r\n300\r\n"},
      {"+7\n/f\n9", 7, "/f", "9", "7\r\n/f\r\n9\r\n"},
      {"\xEF\xBB\xBF" "0\r\n/d\xC3\xBC\r\n5\r\n", 0, "/d\u00fc", "5", "\xEF\xBB\xBF" "0\r\n/d\xC3\xBC\r\n5\r\n"},
      {"1\r\n/caf\xE9\r\n5\r\n", 1, "/caf\u00e9", "5", "1\r\n/caf\xC3\xA9\r\n5\r\n"},
  };
  for (const auto& c : cases) {
    writeBytes(settingsPath(), c.file);
    start();
    const QString folder = QString(c.folder).replace("<tmp>", tmp());
    EXPECT_EQ(form->state().LangEnglish, c.language) << c.file.constData();
    EXPECT_EQ(form->state().DefaultFolder, folder) << c.file.constData();
    EXPECT_EQ(form->state().DefaultDelay, c.delay) << c.file.constData();
    form->close();
    EXPECT_EQ(fileBytes(settingsPath()), QByteArray(c.writtenBack).replace("<tmp>", tmp().toUtf8()))
        << c.file.constData();
    form.reset();
  }
}

TEST_F(StartupTest, FirstCloseWritesTheDefaultsAndDeletesTheTemporaryFiles) {
  start();
  writeBytes(tmp() + "/app_tests.dat", "reply");
  writeBytes(tmp() + "/preview.html", "<html>");
  form->state().PreviewHtmlFile = tmp() + "/preview.html";
  form->close();
  EXPECT_EQ(fileBytes(settingsPath()), QByteArray("1\r\n\r\n500\r\n"));
  EXPECT_FALSE(QFile::exists(tmp() + "/app_tests.dat"));
  EXPECT_FALSE(QFile::exists(tmp() + "/preview.html"));
  EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(StartupTest, QuitReleasesTheGifAndClosesThroughTheCloseSequence) {
  start();
  form->Quit2->trigger();
  EXPECT_EQ(calls.last(), "release gif");
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(QFile::exists(settingsPath()));
  EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(StartupTest, ResizeKeepsTheHeightAtLeast560AndLaysOutThePreview) {
  EXPECT_TRUE(FormGif::FormCanResize(100, 560));
  EXPECT_TRUE(FormGif::FormCanResize(5000, 900));
  EXPECT_FALSE(FormGif::FormCanResize(790, 559));
  EXPECT_FALSE(FormGif::FormCanResize(2000, 0));
  start();
  struct Case {
    int w, h;
  } cases[] = {{1000, 700}, {790, 600}, {1201, 999}, {600, 560}};
  for (const auto& c : cases) {
    form->resize(c.w, c.h);
    const int W = form->width(), H = form->height();
    ASSERT_EQ(W, c.w);
    ASSERT_EQ(H, c.h);
    EXPECT_EQ(form->PanelAnim->width(), W - 370);
    EXPECT_EQ(form->PanelAnim->height(), H - 160);
    EXPECT_EQ(form->PanelPlay->y(), H - 115);
    EXPECT_EQ(form->PanelPlay->x(), form->PanelAnim->x() + (W - 370) / 2);
    EXPECT_EQ(form->LabelPreview->x(), form->PanelAnim->x() + (W - 370) / 2);
  }
  form->resize(900, 300);
  EXPECT_EQ(form->height(), 560) << "lower than 560 is refused";
}

TEST_F(StartupTest, F1AndF4WorkWhicheverControlHasTheFocus) {
  start();
  EXPECT_FALSE(form->stillViewStretched());
  for (QWidget* w : std::initializer_list<QWidget*>{form->EditPfad, form->StringGrid1, form->EditWidth}) {
    calls.clear();
    QTest::keyClick(w, Qt::Key_F1);
    EXPECT_EQ(calls, QStringList{"help 1"}) << w->objectName().toStdString();
    QTest::keyClick(w, Qt::Key_F4);
    EXPECT_TRUE(form->stillViewStretched());
    QTest::keyClick(w, Qt::Key_F4);
    EXPECT_FALSE(form->stillViewStretched()) << "twice returns to the natural size";
  }
  calls.clear();
  QTest::keyClick(config->EditMs, Qt::Key_F1);
  QTest::keyClick(frage->EditDelay, Qt::Key_F1);
  EXPECT_EQ(calls, (QStringList{"help 0", "help 3"}));
}

TEST_F(StartupTest, OpenWebPageReportsAFailure) {
  start();
  form->OpenWebPage("https://www.framora.com");
  EXPECT_TRUE(prompter.messages.isEmpty());
  prompter.openUrlResult = false;
  form->OpenWebPage("/tmp/x.html");
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].text, "Could not open webpage!");
  EXPECT_EQ(prompter.messages[0].caption, "Error");
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
  EXPECT_EQ(prompter.urls, (QStringList{"https://www.framora.com", "/tmp/x.html"}));
}
