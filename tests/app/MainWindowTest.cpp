#include "app/AppFixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QStyle>

using namespace framora;
using namespace framora::test;

using MainWindowTest = AppFixture;

TEST_F(MainWindowTest, ControlsCarryTheirDesignerNames) {
  start();
  for (const char* name :
       {"SpeedButton1", "SpeedButtonAdd", "SpeedButtonSettings", "SpeedButtonView", "SpeedButton2", "SpeedButtonDel",
        "SpeedButtonUp", "SpeedButtonDown", "EditPfad", "StringGrid1", "Label1", "Label2", "Label3", "Label4",
        "Label5", "Label6", "Label7", "Label8", "EditWidth", "EditHeight", "LabelAnzahl", "EditAnzahl", "Panel1",
        "Panel2", "Panel4", "SpeedButtonCreate", "SpeedButtonLoad", "SpeedButtonBrowser", "CheckBoxLoop",
        "LabelLoop", "CheckBoxTrans", "LabelTrans", "CheckBoxOpt", "LabelOptimize", "PanelInfo", "ButtonPick",
        "PanelColor", "LabelPreview", "PanelAnim", "Image1", "GIFAnimator", "ButtonStart", "ButtonStop", "PanelPlay",
        "StatusBar1", "File1", "Options1", "Vorlagespeichern1", "Opentemplate1", "Settings1", "AVI1", "Quit2",
        "Updates1", "Hilfe1", "About1"})
    EXPECT_NE(form->findChild<QObject*>(name), nullptr) << name;
  EXPECT_EQ(form->PanelAnim->findChild<QWidget*>("Image1"), form->Image1);
  EXPECT_FALSE(form->GIFAnimator->isVisible());
  EXPECT_EQ(form->StatusPanel0->width(), 415);
  EXPECT_EQ(form->StatusPanel1->width(), 100);
  EXPECT_TRUE(form->CheckBoxLoop->isChecked());
  EXPECT_FALSE(form->CheckBoxTrans->isChecked());
  EXPECT_TRUE(form->CheckBoxOpt->isChecked());
  EXPECT_EQ(form->transparentColour(), QColor(255, 251, 240));
}

// Whatever font stands in for Tahoma: the captions over the grid keep apart in both languages,
// and a five-digit delay is not cut.
TEST_F(MainWindowTest, GridCaptionsKeepApartAndFiveDigitDelaysFit) {
  for (const char* language : {"English", "Deutsch"}) {
    SCOPED_TRACE(language);
    systemLanguage = language;
    QFile::remove(settingsPath());
    start();
    const auto textLeft = [](QLabel* l) { return l->geometry().right() - l->fontMetrics().horizontalAdvance(l->text()); };
    const int fileEnd = form->Label2->x() + form->Label2->fontMetrics().horizontalAdvance(form->Label2->text());
    EXPECT_LT(fileEnd + 4, textLeft(form->Label8));
    EXPECT_LT(form->Label8->geometry().right() + 4, textLeft(form->Label1)) << form->Label8->text().toStdString();

    QTableView* grid = form->StringGrid1;
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    EXPECT_LE(grid->fontMetrics().horizontalAdvance("60000") + 2 * margin, grid->columnWidth(2));
    EXPECT_EQ(grid->columnWidth(0), 30);
    EXPECT_EQ(grid->columnWidth(1) + grid->columnWidth(2), 240);
    form.reset();
  }
}

TEST_F(MainWindowTest, OpeningSixHundredFilesGivesFiveHundredRows) {
  start();
  writePicture(pic("one.bmp"), 3, 3);
  QStringList files;
  for (int i = 0; i < 600; ++i) {
    const QString name = pic(QStringLiteral("f%1.bmp").arg(i, 3, 10, QChar('0')));
    QFile::copy(pic("one.bmp"), name);
    files << name;
  }
  prompter.openAnswers.enqueue(files);
  form->SpeedButton1->click();
  EXPECT_EQ(form->StringGrid1->model()->rowCount(), 500);
  EXPECT_EQ(form->EditAnzahl->text(), "500");
  EXPECT_EQ(form->EditPfad->text(), pics() + "/");
  EXPECT_EQ(form->StringGrid1->model()->index(499, 0).data().toString(), "500");
}

TEST_F(MainWindowTest, CancelledOpenLeavesTheEightRowEmptyList) {
  start();
  openPictures({"a.bmp", "b.bmp"});
  form->SpeedButton1->click();  // nothing queued: the dialog is cancelled
  EXPECT_EQ(fileColumn(), QStringList(8, QString()));
  EXPECT_EQ(form->EditPfad->text(), "");
  EXPECT_EQ(form->EditAnzahl->text(), "");
  EXPECT_EQ(form->editor().currentRow(), -1);
}

TEST_F(MainWindowTest, SizeEditsHoldTheLargestWidthAndHeight) {
  start();
  writePicture(pic("a.bmp"), 100, 50);
  writePicture(pic("b.bmp"), 80, 120);
  writePicture(pic("c.bmp"), 60, 60);
  form->setTransparentColour(Qt::red);
  openPictures({"a.bmp", "b.bmp", "c.bmp"});
  EXPECT_EQ(form->EditWidth->text(), "100");
  EXPECT_EQ(form->EditHeight->text(), "120");
  EXPECT_EQ(form->Image1->pixmap().size(), QSize(60, 60));
  EXPECT_EQ(form->transparentColour(), QColor(255, 251, 240)) << "opening resets the swatch";
}

TEST_F(MainWindowTest, RemovingTheSelectedRowsBToDLeavesAAndE) {
  start();
  writePicture(pic("A.bmp"), 20, 70);
  openPictures({"A.bmp", "B.bmp", "C.bmp", "D.bmp", "E.bmp"});
  form->setStatusPath("/out/anim.gif");
  selectRows(1, 3);
  form->SpeedButtonDel->click();
  EXPECT_EQ(fileColumn(), (QStringList{"A.bmp", "E.bmp"}));
  EXPECT_EQ(form->EditAnzahl->text(), "2");
  EXPECT_EQ(form->EditWidth->text(), "20");
  EXPECT_EQ(form->EditHeight->text(), "70");
  EXPECT_EQ(form->statusPath(), "/out/anim.gif") << "removing is no view";
  EXPECT_EQ(form->StringGrid1->model()->index(1, 0).data().toString(), "2");
}

TEST_F(MainWindowTest, MovingARowShowsItsPicture) {
  start();
  writePicture(pic("big.bmp"), 33, 44);
  openPictures({"a.bmp", "big.bmp"});
  selectRows(1, 1);
  form->SpeedButtonUp->click();
  EXPECT_EQ(fileColumn(), (QStringList{"big.bmp", "a.bmp"}));
  EXPECT_EQ(form->editor().currentRow(), 0);
  EXPECT_EQ(form->Image1->pixmap().size(), QSize(33, 44));
  form->SpeedButtonUp->click();  // first row: nothing
  EXPECT_EQ(fileColumn(), (QStringList{"big.bmp", "a.bmp"}));
}

TEST_F(MainWindowTest, ClickingAGridRowViewsIt) {
  start();
  writePicture(pic("w.bmp"), 17, 19);
  openPictures({"w.bmp", "a.bmp"});
  int views = 0;
  form->hooks.viewSelectedImage = [&] { ++views; };
  const QRect r = form->StringGrid1->visualRect(form->StringGrid1->model()->index(0, 1));
  QTest::mouseClick(form->StringGrid1->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_EQ(views, 1);
  QTest::mouseClick(form->StringGrid1->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_EQ(views, 2) << "a click on the current row views it again";
  QTest::keyClick(form->StringGrid1, Qt::Key_Down);
  EXPECT_EQ(views, 3) << "the keyboard moves the current row";
  form->SpeedButtonView->click();
  EXPECT_EQ(views, 4);
}

TEST_F(MainWindowTest, OptionLabelsToggleTheirCheckBoxes) {
  start();
  QTest::mouseClick(form->LabelLoop, Qt::LeftButton);
  QTest::mouseClick(form->LabelTrans, Qt::LeftButton);
  QTest::mouseClick(form->LabelOptimize, Qt::LeftButton);
  EXPECT_FALSE(form->CheckBoxLoop->isChecked());
  EXPECT_TRUE(form->CheckBoxTrans->isChecked());
  EXPECT_FALSE(form->CheckBoxOpt->isChecked());
}

TEST_F(MainWindowTest, NewEmptiesListAndPreviewButKeepsTheStatusBar) {
  start();
  openPictures({"a.bmp"});
  form->setStatus("/x.gif", "3 Kb");
  form->SpeedButton2->click();
  EXPECT_EQ(fileColumn(), QStringList(8, QString()));
  EXPECT_TRUE(form->Image1->pixmap().isNull());
  EXPECT_EQ(form->statusPath(), "/x.gif");
}

TEST_F(MainWindowTest, TemplateRoundTripThroughTheMenuIsByteForByte) {
  start();
  const QByteArray bytes("/anim/\r\na.bmp;500;0\r\nmy file.bmp;250;2\r\n;;\r\n100;80;3\r\n");
  writeBytes(root.filePath("in.csv"), bytes);
  prompter.openAnswers.enqueue({root.filePath("in.csv")});
  form->Opentemplate1->trigger();
  EXPECT_EQ(form->EditPfad->text(), "/anim/");
  EXPECT_EQ(form->EditAnzahl->text(), "3");
  prompter.saveAnswers.enqueue(root.filePath("out.csv"));
  form->Vorlagespeichern1->trigger();
  EXPECT_EQ(fileBytes(root.filePath("out.csv")), bytes);
  EXPECT_EQ(prompter.proposedNames, QStringList{"template.csv"});
}

TEST_F(MainWindowTest, FrameOptionsDialogWritesDelaysAndDisposal) {
  start();
  openPictures({"a.bmp", "b.bmp"});
  selectRows(1, 1);
  form->StringGrid1->selectionModel()->setCurrentIndex(form->StringGrid1->model()->index(1, 1),
                                                        QItemSelectionModel::NoUpdate);
  bool stayedOpen = false;
  whenModal([&] {
    EXPECT_EQ(frage->EditDelay->text(), "500");
    EXPECT_TRUE(frage->RadioGroup1->isVisible());
    EXPECT_FALSE(frage->RadioGroup2->isVisible());
    frage->EditDelay->setText("abc");
    frage->SpeedButtonOk->click();
    stayedOpen = frage->isVisible();
    frage->EditDelay->setText("200");
    frage->findChild<QRadioButton*>("RadioGroup1Item2")->click();
    frage->SpeedButtonOk->click();
  });
  form->SpeedButtonSettings->click();
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(prompter.texts(), QStringList{"'abc' is not a valid integer value"});
  const auto& m = form->editor().model();
  EXPECT_EQ(m.cell(0, 2), "200");
  EXPECT_EQ(m.cell(1, 2), "200");
  EXPECT_EQ(m.cell(1, 3), "2");
  EXPECT_EQ(m.cell(0, 3), "0");

  // Escape is a Cancel: the delays stay, the disposal cell is written again as it was.
  whenModal([&] {
    EXPECT_EQ(frage->itemIndex(frage->RadioGroup1), 0) << "the choice starts at item 0";
    frage->EditDelay->setText("999");
    QTest::keyClick(frage->EditDelay, Qt::Key_Escape);
  });
  form->SpeedButtonSettings->click();
  EXPECT_EQ(m.cell(1, 2), "200");
  EXPECT_EQ(m.cell(1, 3), "2");
}

TEST_F(MainWindowTest, FrameOptionsDialogSpeaksGerman) {
  systemLanguage = "Deutsch";
  start();
  openPictures({"a.bmp"});
  selectRows(0, 0);
  whenModal([&] {
    EXPECT_EQ(frage->windowTitle(), "Optionen");
    EXPECT_TRUE(frage->RadioGroup2->isVisible());
    EXPECT_FALSE(frage->RadioGroup1->isVisible());
    EXPECT_EQ(frage->SpeedButtonCancel->text(), "Abbrechen");
    frage->findChild<QRadioButton*>("RadioGroup2Item3")->click();
    frage->SpeedButtonOk->click();
  });
  // A double click is a click followed by the second press.
  const QPoint p = form->StringGrid1->visualRect(form->StringGrid1->model()->index(0, 1)).center();
  QTest::mouseClick(form->StringGrid1->viewport(), Qt::LeftButton, {}, p);
  QTest::mouseDClick(form->StringGrid1->viewport(), Qt::LeftButton, {}, p);
  EXPECT_EQ(form->editor().model().cell(0, 3), "3");
}

TEST_F(MainWindowTest, RealPreviewViewsTakeThePlaceholdersPlaces) {
  start();
  QTest::keyClick(form->EditPfad, Qt::Key_F4);
  auto* still = new QLabel;
  auto* player = new QWidget;
  form->setStillView(still);
  form->setGifAnimator(player);
  EXPECT_EQ(form->findChild<QLabel*>("Image1"), still);
  EXPECT_EQ(form->findChild<QWidget*>("GIFAnimator"), player);
  EXPECT_TRUE(still->hasScaledContents()) << "the stretch state moves over";
  EXPECT_FALSE(player->isVisible());
  EXPECT_EQ(still->geometry(), form->PanelAnim->contentsRect());
  writePicture(pic("a.bmp"), 21, 22);
  openPictures({"a.bmp"});
  EXPECT_EQ(still->pixmap().size(), QSize(21, 22));
  QTest::keyClick(form->StringGrid1, Qt::Key_F4);
  EXPECT_FALSE(still->hasScaledContents());

  QImage handed;
  form->hooks.showStillPicture = [&](const QImage& image) { handed = image; };
  form->SpeedButton2->click();
  EXPECT_TRUE(handed.isNull());
  openPictures({"a.bmp"});
  EXPECT_EQ(handed.size(), QSize(21, 22));
}
