#pragma once
// The eyedropper of the pick button: press shows the eyedropper cursor and grabs the mouse,
// every move while pressed reads the screen pixel under the cursor into PickedColor and the
// swatch, release keeps PickedColor in the swatch. Installed as an event filter on the button.
#include <QAbstractButton>
#include <QColor>
#include <QCursor>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>
#include <optional>


namespace framora::widgets {

class ColorPicker : public QObject {
  Q_OBJECT
public:
  // The colour of the screen pixel at a global position; nullopt when it cannot be read.
  using PixelReader = std::function<std::optional<QColor>(const QPoint& globalPos)>;

  // Filters the button's mouse events; the swatch shows the colour. Neither is owned.
  ColorPicker(QAbstractButton* button, QWidget* swatch, QObject* parent = nullptr);
  ~ColorPicker() override;

  bool PickActive() const { return pickActive_; }
  // The colour last read from the screen: black until the first pick, then kept.
  QColor PickedColor() const { return pickedColor_; }

  // Replaces the screen reader (tests hand in a fake screen).
  void setPixelReader(PixelReader reader) { reader_ = std::move(reader); }
  // How the swatch takes a colour; by default its Window palette colour and a background
  // style sheet rule, repainted at once.
  void setSwatchSetter(std::function<void(const QColor&)> setter) { swatchSetter_ = std::move(setter); }

  // The screen pixel through QScreen::grabWindow(0, x, y, 1, 1), a fresh grab every time.
  static std::optional<QColor> readScreenPixel(const QPoint& globalPos);
  // The 32 x 32 eyedropper cursor, hot spot (2, 19) at the dropper's tip.
  static QCursor eyedropperCursor();
  static constexpr QPoint kHotSpot{2, 19};

  // The three steps, as the button's mouse events run them.
  void press();
  void move();
  void release();

signals:
  void colorPicked(const QColor& colour);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void showInSwatch(const QColor& colour);

  QPointer<QAbstractButton> button_;
  QPointer<QWidget> swatch_;
  PixelReader reader_;
  std::function<void(const QColor&)> swatchSetter_;
  bool pickActive_ = false;
  bool cursorSet_ = false;
  QColor pickedColor_{Qt::black};
};

} // namespace framora::widgets
