#include "app/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace framora {

KeyPreview::KeyPreview(QWidget* window, std::function<bool(int)> handler)
    : QObject(window), window_(window), handler_(std::move(handler)) {
  qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
  if (qApp) qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(watched);
  if (w->window() != window_) return false;
  return handler_(static_cast<QKeyEvent*>(event)->key());
}

} // namespace framora
