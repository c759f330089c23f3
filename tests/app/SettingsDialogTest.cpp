#include "app/AppFixture.h"

#include <QGroupBox>

using namespace framora;
using namespace framora::test;

using SettingsDialogTest = AppFixture;

TEST_F(SettingsDialogTest, SavingGermanSwitchesTheMainWindowAtOnce) {
  start();
  whenModal([&] {
    EXPECT_EQ(config->windowTitle(), "Settings");
    EXPECT_TRUE(config->findChild<QRadioButton*>("RadioGroup1Item1")->isChecked());
    EXPECT_EQ(config->EditMs->text(), "500");
    config->findChild<QRadioButton*>("RadioGroup1Item0")->click();
    EXPECT_EQ(config->windowTitle(), "Einstellungen");
    EXPECT_EQ(config->SpeedButtonClose->text(), "Schliessen");
    config->EditTarget->setText("   ");
    config->EditMs->setText(" abc ");
    config->SpeedButtonSave->click();
    config->SpeedButtonClose->click();
  });
  form->Settings1->trigger();
  EXPECT_EQ(prompter.texts(), QStringList{"Settings saved."});
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(fileBytes(settingsPath()), QByteArray("0\r\n\r\nabc\r\n"));
  EXPECT_EQ(form->state().LangEnglish, 0);
  EXPECT_EQ(form->LabelPreview->text(), "Vorschau");
  EXPECT_TRUE(form->helpFile().endsWith("framorad.html"));
  EXPECT_EQ(form->state().DefaultFolder, tmp()) << "an empty folder means the temporary folder";
  EXPECT_EQ(form->state().DefaultDelay, "abc");

  // Next time the dialog shows the Documents folder and 500 for the empty values.
  whenModal([&] {
    EXPECT_EQ(config->EditTarget->text(), home() + "/Documents");
    EXPECT_EQ(config->EditMs->text(), "abc");
    EXPECT_TRUE(config->findChild<QRadioButton*>("RadioGroup1Item0")->isChecked());
    config->SpeedButtonClose->click();
  });
  form->Settings1->trigger();
}

TEST_F(SettingsDialogTest, CloseWithoutSavingKeepsTheLanguage) {
  start();
  whenModal([&] {
    config->findChild<QRadioButton*>("RadioGroup1Item0")->click();
    config->SpeedButtonClose->click();
  });
  form->Settings1->trigger();
  EXPECT_FALSE(QFile::exists(settingsPath()));
  EXPECT_EQ(form->state().LangEnglish, 1);
  EXPECT_EQ(form->LabelPreview->text(), "Preview");
  whenModal([&] {
    EXPECT_TRUE(config->findChild<QRadioButton*>("RadioGroup1Item1")->isChecked());
    EXPECT_EQ(config->windowTitle(), "Settings");
    config->SpeedButtonClose->click();
  });
  form->Settings1->trigger();
  EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(SettingsDialogTest, FolderPickerAndWriteFailure) {
  start();
  config->IniDatei = root.filePath("no/such/folder/framora.ini");
  prompter.folderAnswers.enqueue("/picked/folder");
  whenModal([&] {
    config->SpeedButtonFolder->click();
    EXPECT_EQ(config->EditTarget->text(), "/picked/folder");
    config->SpeedButtonFolder->click();  // cancelled: stays
    EXPECT_EQ(config->EditTarget->text(), "/picked/folder");
    config->SpeedButtonSave->click();
    config->SpeedButtonClose->click();
  });
  config->exec();
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].text, "Error saving settings!");
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
}

TEST_F(SettingsDialogTest, AFileWithAMarkIsWrittenBackWithIt) {
  writeBytes(settingsPath(), "\xEF\xBB\xBF" "1\r\n/a\r\n300\r\n");
  start();
  whenModal([&] {
    EXPECT_EQ(config->EditTarget->text(), "/a");
    EXPECT_EQ(config->EditMs->text(), "300");
    config->EditMs->setText("400");
    config->SpeedButtonSave->click();
    config->SpeedButtonClose->click();
  });
  form->Settings1->trigger();
  EXPECT_EQ(fileBytes(settingsPath()), QByteArray("\xEF\xBB\xBF" "1\r\n/a\r\n400\r\n"));
  EXPECT_EQ(form->state().DefaultDelay, "400");
}
