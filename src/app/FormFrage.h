#pragma once
// Frame options dialog: the delay of the current frame or of all frames, and the disposal of
// the current frame. The caller sets Language and the delay text, shows it modally and
// reads CurDelay, NewDisposal and ForAll.
#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace framora {

class Prompter;

class FormFrage : public QDialog {
  Q_OBJECT
public:
  explicit FormFrage(Prompter& prompter, QWidget* parent = nullptr);

  int Language = 0;      // 0 German, anything else English
  int CurDelay = 0;      // delay entered (0 = no change); 0 after Cancel
  int NewDisposal = 0;   // chosen disposal 0..3; -1 after Cancel
  bool ForAll = false;   // "All frames" when OK was pressed

  std::function<void(int context)> showHelp;

  QLineEdit* EditDelay;
  QCheckBox* CheckBoxAll;
  QGroupBox* RadioGroup1;
  QGroupBox* RadioGroup2;
  QLabel* LabelDelay;
  QLabel* Label1;
  QPushButton* SpeedButtonOk;
  QPushButton* SpeedButtonCancel;

  void ApplyLanguage();
  // Item index of a radio group, -1 when none is checked.
  int itemIndex(QGroupBox* group) const;
  void setItemIndex(QGroupBox* group, int index);

public slots:
  void SpeedButtonOkClick();
  void SpeedButtonCancelClick();
  // Escape and the window's close button count as Cancel.
  void reject() override;

protected:
  void showEvent(QShowEvent* event) override;

private:
  Prompter& prompter_;
  QButtonGroup* group1_;
  QButtonGroup* group2_;
};

} // namespace framora
