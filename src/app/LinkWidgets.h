#pragma once
// Small widgets of the start screen and the about box: a picture drawn from an SVG resource
// and a label, both clickable like links.
#include <QLabel>
#include <QString>
#include <QWidget>

class QSvgRenderer;

namespace framora {

class SvgPicture : public QWidget {
  Q_OBJECT
public:
  SvgPicture(const QString& resource, QWidget* parent = nullptr);
  QString resource() const { return resource_; }
  bool valid() const;  // the resource exists and is a picture

signals:
  void clicked();

protected:
  void paintEvent(QPaintEvent*) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  QString resource_;
  QSvgRenderer* renderer_;
};

class LinkLabel : public QLabel {
  Q_OBJECT
public:
  using QLabel::QLabel;

signals:
  void clicked();

protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// Fonts of the designs, with the nearest faces a Linux desktop usually has.
QFont GothicFont(int pixelSize);  // Century Gothic
QFont ArialFont(int pixelSize);

} // namespace framora
