#pragma once
// Lets a window see key presses before whichever of its controls has the focus.
#include <QObject>

#include <functional>

class QWidget;

namespace framora {

class KeyPreview : public QObject {
public:
  // `handler` gets the key of every press inside `window`; returning true consumes it.
  KeyPreview(QWidget* window, std::function<bool(int key)> handler);
  ~KeyPreview() override;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QWidget* window_;
  std::function<bool(int)> handler_;
};

} // namespace framora
