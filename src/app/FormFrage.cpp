#include "app/FormFrage.h"

#include "app/KeyPreview.h"
#include "app/PanelButton.h"
#include "platform/Convert.h"
#include "platform/Prompter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace framora {

namespace {

QGroupBox* radioGroup(QWidget* parent, const char* name, const QString& caption, const QStringList& items,
                      QButtonGroup*& group) {
  auto* box = new QGroupBox(caption, parent);
  box->setObjectName(QLatin1String(name));
  box->setGeometry(10, 58, 194, 112);
  group = new QButtonGroup(box);
  for (int i = 0; i < items.size(); ++i) {
    auto* b = new QRadioButton(items.at(i), box);
    b->setObjectName(QStringLiteral("%1Item%2").arg(QLatin1String(name)).arg(i));
    b->setGeometry(10, 20 + i * 22, 176, 20);
    group->addButton(b, i);
  }
  return box;
}

} // namespace

FormFrage::FormFrage(Prompter& prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), prompter_(prompter) {
  setObjectName(QStringLiteral("FormFrage"));
  setWindowTitle(QStringLiteral("Options"));
  setFixedSize(214, 227);
  QFont f(QStringLiteral("Tahoma"), 8);
  setFont(f);

  LabelDelay = new QLabel(QStringLiteral("Delay ms       "), this);
  LabelDelay->setObjectName(QStringLiteral("LabelDelay"));
  LabelDelay->setGeometry(10, 8, 110, 16);
  EditDelay = new QLineEdit(QStringLiteral("500"), this);
  EditDelay->setObjectName(QStringLiteral("EditDelay"));
  EditDelay->setAlignment(Qt::AlignRight);
  EditDelay->setGeometry(10, 26, 80, 22);
  LabelDelay->setBuddy(EditDelay);
  CheckBoxAll = new QCheckBox(QStringLiteral("All frames"), this);
  CheckBoxAll->setObjectName(QStringLiteral("CheckBoxAll"));
  CheckBoxAll->setChecked(true);
  CheckBoxAll->setGeometry(102, 28, 104, 20);

  RadioGroup1 = radioGroup(this, "RadioGroup1", QStringLiteral("Frame disposal*"),
                           {QStringLiteral("Replaqce (Default)"), QStringLiteral("No disposal"),
                            QStringLiteral("Background"), QStringLiteral("Previous ")},
                           group1_);
  RadioGroup2 = radioGroup(this, "RadioGroup2", QStringLiteral("Einzelbild entfernen*"),
                           {QStringLiteral("Ersetzen (Standard)"), QStringLiteral("Nicht entfernen"),
                            QStringLiteral("Hintergrund"), QStringLiteral("Vorheriges ")},
                           group2_);
  Label1 = new QLabel(QStringLiteral("*affects current frame only"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(10, 172, 196, 16);

  SpeedButtonOk = panelButton(this, "PanelOk", "SpeedButtonOk", QRect(10, 192, 92, 28));
  SpeedButtonOk->setText(QStringLiteral("OK"));
  SpeedButtonOk->setDefault(true);
  SpeedButtonCancel = panelButton(this, "PanelCancel", "SpeedButtonCancel", QRect(112, 192, 92, 28));
  SpeedButtonCancel->setText(QStringLiteral("Cancel"));
  connect(SpeedButtonOk, &QPushButton::clicked, this, &FormFrage::SpeedButtonOkClick);
  connect(SpeedButtonCancel, &QPushButton::clicked, this, &FormFrage::SpeedButtonCancelClick);

  new KeyPreview(this, [this](int key) {
    if (key != Qt::Key_F1) return false;
    if (showHelp) showHelp(3);
    return true;
  });
  ApplyLanguage();
}

int FormFrage::itemIndex(QGroupBox* group) const {
  const QButtonGroup* g = group == RadioGroup1 ? group1_ : group2_;
  return g->checkedId();
}

void FormFrage::setItemIndex(QGroupBox* group, int index) {
  QButtonGroup* g = group == RadioGroup1 ? group1_ : group2_;
  if (QAbstractButton* b = g->button(index)) b->setChecked(true);
}

void FormFrage::ApplyLanguage() {
  const bool english = Language != 0;
  setWindowTitle(english ? QStringLiteral("Options") : QStringLiteral("Optionen"));
  LabelDelay->setText(english ? QStringLiteral("Delay ms       ") : QStringLiteral("Verz\u00f6gerung ms "));
  CheckBoxAll->setText(english ? QStringLiteral("All frames") : QStringLiteral("Alle Bilder"));
  SpeedButtonCancel->setText(english ? QStringLiteral("Cancel") : QStringLiteral("Abbrechen"));
  Label1->setText(english ? QStringLiteral("*affects selected frame only")
                          : QStringLiteral("*betrifft nur das ausgew\u00e4hlte Bild"));
  RadioGroup1->setVisible(english);
  RadioGroup2->setVisible(!english);
}

void FormFrage::showEvent(QShowEvent* event) {
  ApplyLanguage();
  setItemIndex(RadioGroup1, 0);
  setItemIndex(RadioGroup2, 0);
  QDialog::showEvent(event);
}

void FormFrage::SpeedButtonOkClick() {
  const QString text = EditDelay->text();
  const auto delay = toInt(text);
  if (!delay) {
    prompter_.message(MessageKind::Error, invalidIntegerMessage(text));
    return;
  }
  CurDelay = *delay;
  NewDisposal = itemIndex(Language != 0 ? RadioGroup1 : RadioGroup2);
  ForAll = CheckBoxAll->isChecked();
  accept();
}

void FormFrage::SpeedButtonCancelClick() { reject(); }

void FormFrage::reject() {
  CurDelay = 0;
  NewDisposal = -1;
  QDialog::reject();
}

} // namespace framora
