#include "framelist/FrameListTestSupport.h"

#include <QDir>

#include <functional>

using namespace framora;
using namespace framora::test;
using Col = FrameListModel::Column;

using TemplateTest = EditorFixture;

TEST_F(TemplateTest, SavingWithoutAFolderWritesNothing) {
  editor.setFolderText("   ");
  prompter.saveAnswers.enqueue(path("t.csv"));
  editor.SaveTemplate(prompter, QString());
  EXPECT_EQ(prompter.texts(), QStringList{"No data path!"});
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(prompter.proposedNames.isEmpty()) << "no dialog";
  EXPECT_FALSE(QFile::exists(path("t.csv")));
}

TEST_F(TemplateTest, SavingTheEmptyListWritesFolderEightEmptyRowsAndSize) {
  editor.setFolderText(" /anim/ ");
  prompter.saveAnswers.enqueue(path("t.csv"));
  editor.SaveTemplate(prompter, dir.path());
  EXPECT_EQ(prompter.proposedNames, QStringList{"template.csv"});
  EXPECT_EQ(prompter.filters, QStringList{"Template data (*.csv)"});
  QByteArray expected("/anim/\r\n");
  for (int i = 0; i < 8; ++i) expected += ";;\r\n";
  expected += ";;\r\n";
  EXPECT_EQ(fileBytes(path("t.csv")), expected);
}

TEST_F(TemplateTest, ANameWithoutExtensionGetsCsvAndCancelWritesNothing) {
  editor.setFolderText("/anim/");
  prompter.saveAnswers.enqueue(path("plain"));
  editor.SaveTemplate(prompter, QString());
  EXPECT_TRUE(QFile::exists(path("plain.csv")));
  editor.SaveTemplate(prompter, QString());  // cancelled
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"plain.csv"});
}

TEST_F(TemplateTest, LoadThenSaveGivesTheSameBytes) {
  const QByteArray cases[] = {
      QByteArray("C:\\anim\\\r\na.bmp;500;0\r\nb.bmp;250;2\r\n100;80;2\r\n"),
      QByteArray("/home/u/M\xC3\xBCll/\r\nmy file.bmp;500;0\r\n;;\r\n;;2\r\n"),
      QByteArray("\xEF\xBB\xBF/x/\r\na.bmp;1;3\r\n1;2;1\r\n"),
      QByteArray("\xFF\xFE/\0x\0\r\0\n\0a\0;\0\x31\0;\x00\x30\0\r\0\n\0\x31\0;\0\x32\0;\0\x31\0\r\0\n\0", 38),
  };
  int i = 0;
  for (const QByteArray& bytes : cases) {
    const QString in = path(QStringLiteral("in%1.csv").arg(i)), out = path(QStringLiteral("out%1.csv").arg(i));
    ++i;
    writeBytes(in, bytes);
    prompter.openAnswers.enqueue({in});
    editor.LoadTemplate(prompter, QString());
    prompter.saveAnswers.enqueue(out);
    editor.SaveTemplate(prompter, QString());
    EXPECT_EQ(fileBytes(out), bytes) << i;
  }
  EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(TemplateTest, LoadingFillsTheListAndCountsTheFrameLines) {
  writeBytes(path("t.csv"), "/anim/\r\na.bmp;500;0;x\r\nmy file.bmp;250;2\r\n100;80;77\r\n");
  prompter.openAnswers.enqueue({path("t.csv")});
  editor.LoadTemplate(prompter, "/start");
  EXPECT_EQ(prompter.filters, QStringList{"Template data (*.csv);;All (*)"});
  EXPECT_EQ(editor.folderText(), "/anim/");
  ASSERT_EQ(editor.model().rowCount(), 2);
  EXPECT_EQ(editor.model().row(0), (FrameRow{"a.bmp", "500", "0"}));
  EXPECT_EQ(editor.model().row(1), (FrameRow{"my file.bmp", "250", "2"}));
  EXPECT_EQ(editor.widthText(), "100");
  EXPECT_EQ(editor.heightText(), "80");
  EXPECT_EQ(editor.countText(), "2");
  EXPECT_EQ(editor.currentRow(), -1);
}

TEST_F(TemplateTest, LineEndsOfAnyKindLoadTheSame) {
  const char* cases[] = {"/a/\r\nx.bmp;5;1\r\n1;2;1\r\n", "/a/\nx.bmp;5;1\n1;2;1\n", "/a/\rx.bmp;5;1\r1;2;1",
                         "/a/\nx.bmp;5;1\r\n1;2;1"};
  for (const char* bytes : cases) {
    writeBytes(path("t.csv"), bytes);
    prompter.openAnswers.enqueue({path("t.csv")});
    editor.LoadTemplate(prompter, QString());
    EXPECT_EQ(editor.TemplateLines(), (QStringList{"/a/", "x.bmp;5;1", "1;2;1"})) << bytes;
  }
}

TEST_F(TemplateTest, ShortFilesGiveOneEmptyRow) {
  struct Case {
    const char* bytes;
    QString folder, width, count;
  } cases[] = {
      {"/only/\r\n", "/only/", "", ""},
      {"/two/\r\n5;6;9\r\n", "/two/", "5", "0"},
  };
  for (const auto& c : cases) {
    writeBytes(path("t.csv"), c.bytes);
    prompter.openAnswers.enqueue({path("t.csv")});
    editor.LoadTemplate(prompter, QString());
    EXPECT_EQ(editor.model().rowCount(), 1) << c.bytes;
    EXPECT_EQ(editor.model().row(0), FrameRow{}) << c.bytes;
    EXPECT_EQ(editor.folderText(), c.folder) << c.bytes;
    EXPECT_EQ(editor.widthText(), c.width) << c.bytes;
    EXPECT_EQ(editor.countText(), c.count) << c.bytes;
  }
}

TEST_F(TemplateTest, EmptyFileOrCancelOrUnreadableFileChangesNothing) {
  openFiles({"a.bmp"});
  writeBytes(path("empty.csv"), "");
  prompter.openAnswers.enqueue({path("empty.csv")});
  editor.LoadTemplate(prompter, QString());
  editor.LoadTemplate(prompter, QString());  // cancelled
  prompter.openAnswers.enqueue({path("missing.csv")});
  editor.LoadTemplate(prompter, QString());
  EXPECT_EQ(fileColumn(editor.model()), QStringList{"a.bmp"});
  EXPECT_EQ(editor.countText(), "1");
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_TRUE(prompter.messages[0].text.contains("missing.csv"));
}

TEST_F(TemplateTest, AShortLineStopsLoadingThereWithAClearError) {
  writeBytes(path("t.csv"), "/a/\r\nx.bmp;5;1\r\n\r\ny.bmp;7;0\r\n10;20;3\r\n");
  prompter.openAnswers.enqueue({path("t.csv")});
  editor.LoadTemplate(prompter, QString());
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(prompter.messages[0].text.contains("Line 3")) << prompter.messages[0].text.toStdString();
  EXPECT_EQ(fileColumn(editor.model()), (QStringList{"x.bmp", "", ""}));
  EXPECT_EQ(editor.widthText(), "") << "the last line is not applied";
  EXPECT_EQ(editor.countText(), "");

  writeBytes(path("u.csv"), "/a/\r\nx.bmp;5;1\r\n10\r\n");
  prompter.openAnswers.enqueue({path("u.csv")});
  editor.LoadTemplate(prompter, QString());
  ASSERT_EQ(prompter.messages.size(), 2);
  EXPECT_EQ(fileColumn(editor.model()), QStringList{"x.bmp"});
  EXPECT_EQ(editor.widthText(), "");
}

// File errors of the frame list's commands name the file in the interface language.
TEST_F(TemplateTest, FileErrorsNameTheFileInTheInterfaceLanguage) {
  QDir().mkpath(path("folder.bmp"));
  struct Case {
    const char* what;
    int language;
    std::function<void()> run;
    QString expected;
  } cases[] = {
      {"template that is missing", 1, [&] {
         prompter.openAnswers.enqueue({path("gone.csv")});
         editor.LoadTemplate(prompter, QString());
       }, "Cannot open file \"" + path("gone.csv") + "\""},
      {"template that is missing", 0, [&] {
         prompter.openAnswers.enqueue({path("gone.csv")});
         editor.LoadTemplate(prompter, QString());
       }, "Datei \"" + path("gone.csv") + "\" kann nicht ge\u00f6ffnet werden."},
      {"picture that is a folder", 1, [&] {
         prompter.openAnswers.enqueue({path("folder.bmp")});
         editor.OpenImages(prompter, QString(), "500");
       }, "\"" + path("folder.bmp") + "\" is not a regular file."},
      {"picture that is a folder", 0, [&] {
         prompter.openAnswers.enqueue({path("folder.bmp")});
         editor.OpenImages(prompter, QString(), "500");
       }, "\"" + path("folder.bmp") + "\" ist keine regul\u00e4re Datei."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + (c.language ? " (English)" : " (German)"));
    prompter.messages.clear();
    editor.language = c.language;
    c.run();
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(prompter.messages[0].text.startsWith(c.expected)) << prompter.messages[0].text.toStdString();
  }
}
