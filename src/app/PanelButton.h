#pragma once
// A flat button filling a panel of the program's button colour, as the dialogs use.
#include <QFrame>
#include <QPalette>
#include <QPushButton>

namespace framora {

inline QPushButton* panelButton(QWidget* parent, const char* panelName, const char* buttonName, const QRect& r) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QLatin1String(panelName));
  panel->setProperty("buttonPanel", true);
  panel->setGeometry(r);
  panel->setAutoFillBackground(true);
  QPalette pal = panel->palette();
  pal.setColor(QPalette::Window, QColor(188, 194, 218));
  panel->setPalette(pal);
  auto* b = new QPushButton(panel);
  b->setObjectName(QLatin1String(buttonName));
  b->setFlat(true);
  b->setGeometry(0, 0, r.width(), r.height());
  return b;
}

} // namespace framora
