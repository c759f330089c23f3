#pragma once
// Small clickable widgets: a picture drawn from an SVG resource (start screen, about box) and a
// label that reports clicks like a link (links, and the captions that toggle check boxes).
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
