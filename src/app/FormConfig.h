#pragma once
// Settings dialog: default folder, default delay and language, saved straight into the
// settings file named by IniDatei. The main window re-reads the file after it closes.
#include "platform/TextFile.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace framora {

class Prompter;

class FormConfig : public QDialog {
  Q_OBJECT
public:
  explicit FormConfig(Prompter& prompter, QWidget* parent = nullptr);

  QString IniDatei;    // settings file
  QString DefaultDir;  // shown when the file's folder line is empty
  int CurLanguage = 1; // 0 German, 1 English; saved as line 1

  std::function<void(int context)> showHelp;

  QLabel* LabelTarget;
  QLineEdit* EditTarget;
  QToolButton* SpeedButtonFolder;
  QLabel* Label1;
  QLabel* Label2;
  QLineEdit* EditMs;
  QLabel* Label3;
  QGroupBox* RadioGroup1;
  QPushButton* SpeedButtonSave;
  QPushButton* SpeedButtonClose;

  void ApplyLanguage();
  void LoadSettingsFile();
  void SaveSettingsFile();

public slots:
  void RadioGroup1Click(int index);
  void SpeedButtonSaveClick();
  void SpeedButtonCloseClick();
  void SpeedButtonFolderClick();

protected:
  void showEvent(QShowEvent* event) override;

private:
  Prompter& prompter_;
  QButtonGroup* languageGroup_;
  TextBuffer memo_;
};

} // namespace framora
