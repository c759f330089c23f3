#include "app/FormConfig.h"

#include "app/Glyphs.h"
#include "app/PanelButton.h"
#include "app/KeyPreview.h"
#include "platform/Convert.h"
#include "platform/Prompter.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace framora {

FormConfig::FormConfig(Prompter& prompter, QWidget* parent) : QDialog(parent), prompter_(prompter) {
  setObjectName(QStringLiteral("FormConfig"));
  setFixedSize(445, 192);
  setFont(QFont(QStringLiteral("Tahoma"), 8));

  LabelTarget = new QLabel(this);
  LabelTarget->setObjectName(QStringLiteral("LabelTarget"));
  LabelTarget->setGeometry(15, 16, 380, 16);
  EditTarget = new QLineEdit(this);
  EditTarget->setObjectName(QStringLiteral("EditTarget"));
  EditTarget->setGeometry(15, 34, 380, 22);
  LabelTarget->setBuddy(EditTarget);
  SpeedButtonFolder = new QToolButton(this);
  SpeedButtonFolder->setObjectName(QStringLiteral("SpeedButtonFolder"));
  SpeedButtonFolder->setAutoRaise(true);
  SpeedButtonFolder->setIcon(glyphIcon(Glyph::Folder));
  SpeedButtonFolder->setIconSize(QSize(20, 20));
  SpeedButtonFolder->setGeometry(401, 30, 25, 25);

  Label1 = new QLabel(QStringLiteral("100 - 5000"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(91, 70, 100, 16);
  Label2 = new QLabel(this);
  Label2->setObjectName(QStringLiteral("Label2"));
  // Wider than the design so that "Default delay:" fits with this platform's fonts.
  Label2->setGeometry(4, 91, 85, 18);
  Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  EditMs = new QLineEdit(QStringLiteral("500"), this);
  EditMs->setObjectName(QStringLiteral("EditMs"));
  EditMs->setAlignment(Qt::AlignRight);
  EditMs->setFont(QFont(QStringLiteral("Tahoma"), 10));
  EditMs->setGeometry(92, 89, 51, 24);
  Label2->setBuddy(EditMs);
  Label3 = new QLabel(QStringLiteral("ms"), this);
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->setGeometry(149, 93, 30, 16);

  RadioGroup1 = new QGroupBox(this);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  RadioGroup1->setGeometry(200, 61, 129, 67);
  languageGroup_ = new QButtonGroup(RadioGroup1);
  for (int i = 0; i < 2; ++i) {
    auto* b = new QRadioButton(RadioGroup1);
    b->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
    b->setGeometry(10, 20 + i * 22, 112, 20);
    languageGroup_->addButton(b, i);
  }
  connect(languageGroup_, &QButtonGroup::idClicked, this, &FormConfig::RadioGroup1Click);

  SpeedButtonSave = panelButton(this, "PanelSave", "SpeedButtonSave", QRect(88, 143, 120, 30));
  SpeedButtonClose = panelButton(this, "PanelClose", "SpeedButtonClose", QRect(239, 143, 120, 30));
  connect(SpeedButtonSave, &QPushButton::clicked, this, &FormConfig::SpeedButtonSaveClick);
  connect(SpeedButtonClose, &QPushButton::clicked, this, &FormConfig::SpeedButtonCloseClick);
  connect(SpeedButtonFolder, &QToolButton::clicked, this, &FormConfig::SpeedButtonFolderClick);

  new KeyPreview(this, [this](int key) {
    if (key != Qt::Key_F1) return false;
    if (showHelp) showHelp(0);
    return true;
  });
  ApplyLanguage();
}

void FormConfig::ApplyLanguage() {
  const bool english = CurLanguage != 0;
  setWindowTitle(english ? QStringLiteral("Settings") : QStringLiteral("Einstellungen"));
  RadioGroup1->setTitle(english ? QStringLiteral("Language:") : QStringLiteral("Sprache"));
  LabelTarget->setText(english ? QStringLiteral("Default animation directory")
                               : QStringLiteral("Standardverzeichnis Animationen"));
  Label2->setText(english ? QStringLiteral("Default delay:") : QStringLiteral("Verz\u00f6gerung:"));
  SpeedButtonSave->setText(english ? QStringLiteral("Save") : QStringLiteral("Speichern"));
  SpeedButtonClose->setText(english ? QStringLiteral("Close") : QStringLiteral("Schliessen"));
  SpeedButtonFolder->setToolTip(english ? QStringLiteral("Select directoty")
                                        : QStringLiteral("Verzeichnis ausw\u00e4hlen"));
  languageGroup_->button(0)->setText(english ? QStringLiteral("German") : QStringLiteral("Deutsch"));
  languageGroup_->button(1)->setText(english ? QStringLiteral("English") : QStringLiteral("Englisch"));
}

void FormConfig::LoadSettingsFile() {
  if (IniDatei.isEmpty() || !QFileInfo::exists(IniDatei)) return;
  try {
    memo_.load(IniDatei);
  } catch (const FileError& e) {
    prompter_.message(MessageKind::Error, e.text(CurLanguage));
    return;
  }
  EditTarget->setText(trimBlanks(memo_.line(1)));
  EditMs->setText(trimBlanks(memo_.line(2)));
  if (EditTarget->text().isEmpty()) EditTarget->setText(DefaultDir);
  if (EditMs->text().isEmpty()) EditMs->setText(QStringLiteral("500"));
}

void FormConfig::SaveSettingsFile() {
  memo_.lines = {QString::number(CurLanguage), trimBlanks(EditTarget->text()), trimBlanks(EditMs->text())};
  try {
    memo_.save(IniDatei);
  } catch (const FileError&) {
    prompter_.message(MessageKind::Warning, QStringLiteral("Error saving settings!"));
    return;
  }
  prompter_.message(MessageKind::Information, QStringLiteral("Settings saved."));
}

void FormConfig::showEvent(QShowEvent* event) {
  LoadSettingsFile();
  ApplyLanguage();
  // Any language other than German is English.
  languageGroup_->button(CurLanguage != 0 ? 1 : 0)->setChecked(true);
  QDialog::showEvent(event);
}

void FormConfig::RadioGroup1Click(int index) {
  CurLanguage = index;
  ApplyLanguage();
}

void FormConfig::SpeedButtonSaveClick() { SaveSettingsFile(); }
void FormConfig::SpeedButtonCloseClick() { reject(); }

void FormConfig::SpeedButtonFolderClick() {
  const QString chosen = prompter_.folder(EditTarget->text());
  if (!chosen.isEmpty()) EditTarget->setText(chosen);
}

} // namespace framora
