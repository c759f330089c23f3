#include "framelist/FrameListTestSupport.h"

#include <QSignalSpy>

using namespace framora;
using namespace framora::test;
using Col = FrameListModel::Column;

using OpenImagesTest = EditorFixture;

TEST_F(OpenImagesTest, TakesAtMost500FilesInTheDialogsOrder) {
  writePicture(path("p.bmp"), 2, 2);
  QStringList files;
  for (int i = 0; i < 600; ++i) {
    const QString name = path(QStringLiteral("f%1.bmp").arg(i, 3, 10, QChar('0')));
    QFile::copy(path("p.bmp"), name);
    files.append(name);
  }
  prompter.openAnswers.enqueue(files);
  editor.OpenImages(prompter, QString(), QStringLiteral("250"));
  EXPECT_EQ(editor.model().rowCount(), 500);
  EXPECT_EQ(editor.countText(), "500");
  EXPECT_EQ(editor.model().row(0), (FrameRow{"f000.bmp", "250", "0"}));
  EXPECT_EQ(editor.model().cell(499, Col::FileColumn), "f499.bmp");
  EXPECT_EQ(editor.folderText(), dir.path() + "/");
  EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(OpenImagesTest, CancelLeavesTheEmptyListNotThePreviousOne) {
  openFiles({"a.bmp", "b.bmp"});
  editor.setCurrentRow(1);
  editor.OpenImages(prompter, QString(), QStringLiteral("500"));  // no answer queued: cancelled
  EXPECT_EQ(editor.model().rowCount(), 8);
  for (int r = 0; r < 8; ++r) EXPECT_EQ(editor.model().row(r), FrameRow{});
  EXPECT_EQ(editor.currentRow(), -1);
  EXPECT_EQ(editor.folderText(), "");
  EXPECT_EQ(editor.countText(), "");
  EXPECT_EQ(editor.widthText(), "");
}

TEST_F(OpenImagesTest, SizeIsTheLargestWidthAndTheLargestHeight) {
  writePicture(path("a.bmp"), 100, 50);
  writePicture(path("b.bmp"), 80, 120);
  writePicture(path("c.bmp"), 60, 60);
  QSignalSpy pictures(&editor, &FrameListEditor::stillPictureChanged);
  openFiles({"a.bmp", "b.bmp", "c.bmp"});
  EXPECT_EQ(editor.widthText(), "100");
  EXPECT_EQ(editor.heightText(), "120");
  ASSERT_FALSE(pictures.isEmpty());
  const Bitmap last = pictures.last().at(0).value<Bitmap>();
  EXPECT_EQ(QSize(last.width(), last.height()), QSize(60, 60)) << "the last picture is shown";
  EXPECT_EQ(prompter.filters.last(),
            "All (*.gif *.bmp);;Gif (*.gif);;Bitmaps (*.bmp);;"
            "Other pictures (*.png *.jpg *.jpeg *.tif *.tiff *.ico)");
}

TEST_F(OpenImagesTest, APictureThatDoesNotLoadStopsTheOpeningThere) {
  writePicture(path("a.bmp"), 30, 20);
  writeBytes(path("broken.bmp"), "BM not really a bitmap");
  writePicture(path("c.bmp"), 300, 200);
  openFiles({"a.bmp", "broken.bmp", "c.bmp"});
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(prompter.messages[0].text.contains("broken.bmp"));
  EXPECT_EQ(fileColumn(editor.model()), (QStringList{"a.bmp", "broken.bmp", ""}));
  EXPECT_EQ(editor.widthText(), "30");
  EXPECT_EQ(editor.heightText(), "20");
  EXPECT_EQ(editor.countText(), "3");
}

TEST_F(OpenImagesTest, PictureLoaderCanBeReplaced) {
  editor.setPictureLoader([](const QString& p) {
    return Bitmap(p.endsWith("a.bmp") ? 7 : 3, 9, 24);
  });
  prompter.openAnswers.enqueue({path("a.bmp"), path("b.bmp")});  // no files needed
  editor.OpenImages(prompter, QString(), "500");
  EXPECT_EQ(editor.widthText(), "7");
  EXPECT_EQ(editor.heightText(), "9");
}

using AddImagesTest = EditorFixture;

TEST_F(AddImagesTest, WithoutAFolderItOpensANewList) {
  editor.model().setRow(0, {"old.bmp", "1", "0"});
  writePicture(path("a.bmp"), 4, 4);
  prompter.openAnswers.enqueue({path("a.bmp")});
  editor.SpeedButtonAddClick(prompter, QString(), "500");
  EXPECT_EQ(fileColumn(editor.model()), QStringList{"a.bmp"});
  EXPECT_EQ(editor.countText(), "1");
  EXPECT_EQ(editor.widthText(), "4");
}

TEST_F(AddImagesTest, AppendsAfterTheLastRowWhateverItHolds) {
  editor.setFolderText(dir.path());  // typed without a trailing separator
  prompter.openAnswers.enqueue({path("x.bmp"), path("y.bmp")});
  editor.SpeedButtonAddClick(prompter, QString(), "120");
  ASSERT_EQ(editor.model().rowCount(), 10);
  EXPECT_EQ(editor.model().row(8), (FrameRow{"x.bmp", "120", "0"}));
  EXPECT_EQ(editor.model().row(9), (FrameRow{"y.bmp", "120", "0"}));
  EXPECT_EQ(editor.countText(), "10");
  EXPECT_EQ(editor.widthText(), "") << "appended files are not loaded";
}

TEST_F(AddImagesTest, FilesFromAnotherFolderStartANewOpen) {
  openFiles({"a.bmp", "b.bmp"});
  QTemporaryDir other;
  writePicture(QDir(other.path()).filePath("z.bmp"), 5, 5);
  prompter.openAnswers.enqueue({QDir(other.path()).filePath("z.bmp")});
  prompter.openAnswers.enqueue({path("b.bmp")});  // the new Open's dialog
  editor.SpeedButtonAddClick(prompter, QString(), "500");
  EXPECT_EQ(fileColumn(editor.model()), QStringList{"b.bmp"});
  EXPECT_EQ(prompter.filters.size(), 3);
}

TEST_F(AddImagesTest, CancelOnlyRecountsTheRows) {
  openFiles({"a.bmp"});
  editor.SpeedButtonAddClick(prompter, QString(), "500");
  EXPECT_EQ(fileColumn(editor.model()), QStringList{"a.bmp"});
  EXPECT_EQ(editor.countText(), "1");
}

using RemoveTest = EditorFixture;

TEST_F(RemoveTest, RemovesTheSelectedRange) {
  writePicture(path("E.bmp"), 40, 30);
  openFiles({"A.bmp", "B.bmp", "C.bmp", "D.bmp", "E.bmp"});
  editor.setCurrentRow(1);
  editor.selection().select(QItemSelection(editor.model().index(1, 1), editor.model().index(3, 3)),
                            QItemSelectionModel::Select);
  editor.SpeedButtonDelClick(prompter);
  EXPECT_EQ(fileColumn(editor.model()), (QStringList{"A.bmp", "E.bmp"}));
  EXPECT_EQ(editor.countText(), "2");
  EXPECT_EQ(editor.widthText(), "40");
  EXPECT_EQ(editor.heightText(), "30");
}

TEST_F(RemoveTest, RemovingTheOnlyFrameLeavesOneEmptyRow) {
  openFiles({"A.bmp"});
  editor.setCurrentRow(0);
  editor.SpeedButtonDelClick(prompter);
  EXPECT_EQ(editor.model().rowCount(), 1);
  EXPECT_EQ(editor.model().row(0), FrameRow{});
  EXPECT_EQ(editor.countText(), "1");
  EXPECT_EQ(editor.widthText(), "");
  EXPECT_EQ(editor.heightText(), "");
}

TEST_F(RemoveTest, WithoutACurrentRowNothingHappens) {
  openFiles({"A.bmp", "B.bmp"});
  editor.SpeedButtonDelClick(prompter);
  EXPECT_EQ(fileColumn(editor.model()), (QStringList{"A.bmp", "B.bmp"}));
  EXPECT_TRUE(prompter.messages.isEmpty());
}

using MoveTest = EditorFixture;

TEST_F(MoveTest, UpAndDownMoveTheCurrentRowAndShowIt) {
  struct Case {
    int current;
    bool up;
    QStringList order;
    int newCurrent;
  } cases[] = {
      {1, true, {"B.bmp", "A.bmp", "C.bmp"}, 0},
      {0, true, {"A.bmp", "B.bmp", "C.bmp"}, 0},
      {1, false, {"A.bmp", "C.bmp", "B.bmp"}, 2},
      {2, false, {"A.bmp", "B.bmp", "C.bmp"}, 2},
      {-1, true, {"A.bmp", "B.bmp", "C.bmp"}, -1},
      {-1, false, {"A.bmp", "B.bmp", "C.bmp"}, -1},
  };
  for (const auto& c : cases) {
    openFiles({"A.bmp", "B.bmp", "C.bmp"});
    if (c.current >= 0) editor.setCurrentRow(c.current);
    QSignalSpy shown(&editor, &FrameListEditor::rowMadeCurrent);
    c.up ? editor.SpeedButtonUpClick() : editor.SpeedButtonDownClick();
    EXPECT_EQ(fileColumn(editor.model()), c.order) << c.current << c.up;
    EXPECT_EQ(editor.currentRow(), c.newCurrent) << c.current << c.up;
    const bool moved = c.order != QStringList({"A.bmp", "B.bmp", "C.bmp"});
    EXPECT_EQ(shown.size(), moved ? 1 : 0);
  }
}

TEST_F(MoveTest, NewEmptiesTheListAndResetsTheSwatch) {
  openFiles({"A.bmp"});
  QSignalSpy swatch(&editor, &FrameListEditor::transparentColourReset);
  editor.SpeedButton2Click();
  EXPECT_EQ(editor.model().rowCount(), 8);
  EXPECT_EQ(editor.folderText(), "");
  EXPECT_EQ(swatch.size(), 1);
}

using FrameOptionsTest = EditorFixture;

TEST_F(FrameOptionsTest, WritesTheAnswerBackByTheRules) {
  struct Case {
    const char* name;
    FrameOptionsAnswer answer;
    QString disposalBefore;
    QStringList delays;  // rows 0..2 (row 2 is empty)
    QString disposal;    // current row 1 afterwards
  } cases[] = {
      {"ok untouched", {0, 0, true}, "2", {"500", "500", ""}, "0"},
      {"delay 0 keeps delays", {0, 3, false}, "0", {"500", "500", ""}, "3"},
      {"all frames", {200, 1, true}, "0", {"200", "200", ""}, "1"},
      {"current frame only", {-50, 2, false}, "0", {"500", "-50", ""}, "2"},
      {"cancel normalises", {0, -1, true}, " 2", {"500", "500", ""}, "2"},
      {"cancel, not a number", {0, -1, false}, "x", {"500", "500", ""}, "0"},
  };
  for (const auto& c : cases) {
    openFiles({"A.bmp", "B.bmp"});
    editor.model().setRowCount(3);
    editor.model().setCell(1, Col::DisposalColumn, c.disposalBefore);
    editor.setCurrentRow(1);
    QString shownDelay;
    EXPECT_TRUE(editor.StringGrid1DblClick([&](const QString& d) {
      shownDelay = d;
      return c.answer;
    }));
    EXPECT_EQ(shownDelay, "500") << c.name;
    QStringList delays;
    for (int r = 0; r < 3; ++r) delays.append(editor.model().cell(r, Col::DelayColumn));
    EXPECT_EQ(delays, c.delays) << c.name;
    EXPECT_EQ(editor.model().cell(1, Col::DisposalColumn), c.disposal) << c.name;
    EXPECT_EQ(editor.model().cell(0, Col::DisposalColumn), "0") << c.name;
  }
}

TEST_F(FrameOptionsTest, NothingOpensWithoutACurrentFrame) {
  openFiles({"A.bmp"});
  editor.model().setRowCount(2);
  bool asked = false;
  auto ask = [&](const QString&) {
    asked = true;
    return FrameOptionsAnswer{};
  };
  EXPECT_FALSE(editor.StringGrid1DblClick(ask));
  editor.setCurrentRow(1);  // an empty row
  EXPECT_FALSE(editor.StringGrid1DblClick(ask));
  EXPECT_FALSE(asked);
}

TEST_F(OpenImagesTest, PicturesComeThroughTheCodecsLoader) {
  QImage png(33, 21, QImage::Format_RGB32);
  png.fill(qRgb(10, 200, 30));
  ASSERT_TRUE(png.save(path("p.png"), "PNG"));
  QImage jpg(12, 40, QImage::Format_RGB32);
  jpg.fill(qRgb(200, 10, 30));
  ASSERT_TRUE(jpg.save(path("j.jpg"), "JPEG"));
  QImage indexed(5, 6, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(1, 2, 3), qRgb(250, 128, 7)});
  indexed.fill(1);
  ASSERT_TRUE(indexed.save(path("i.bmp"), "BMP"));

  const Bitmap shown = loadPicture(path("i.bmp"));
  EXPECT_EQ(shown.pixel(2, 3), (Rgb{250, 128, 7}));
  EXPECT_EQ(loadPicture(path("p.png")).pixel(0, 0), (Rgb{10, 200, 30}));

  openFiles({"p.png", "j.jpg", "i.bmp"});
  EXPECT_EQ(editor.widthText(), "33");
  EXPECT_EQ(editor.heightText(), "40");

  writeBytes(path("n.xyz"), "whatever");
  openFiles({"p.png", "n.xyz"});
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_TRUE(prompter.messages[0].text.startsWith(path("n.xyz") + ": ")) << prompter.messages[0].text.toStdString();
}
