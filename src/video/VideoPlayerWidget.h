#pragma once
// The video window's player: the picture with its own play/pause button, seek bar and time.
// Stretch-to-fit off shows the video at its own size (smaller when the area is smaller);
// on, it fills the area, keeping the proportions.
#include <QUrl>
#include <QWidget>

class QLabel;
class QMediaPlayer;
class QSlider;
class QToolButton;
class QVideoWidget;

namespace framora {

class VideoPlayerWidget : public QWidget {
  Q_OBJECT
public:
  explicit VideoPlayerWidget(QWidget* parent = nullptr);

  // False when Qt Multimedia has no backend to load: the area then shows the text below and
  // setSource/play do nothing.
  bool playbackAvailable() const;
  void setUnavailableText(const QString& text);

  void setSource(const QUrl& url);
  void play();
  void pause();
  QMediaPlayer* player() const { return player_; }  // null without a media backend
  QVideoWidget* videoWidget() const { return video_; }  // null without a media backend

  bool stretchToFit() const { return stretch_; }
  void setStretchToFit(bool on);

  // Where the picture is shown inside the video area (for the layout and its tests).
  QRect pictureGeometry() const;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void connectPlayer();
  void placePicture();
  void updateControls();

  QMediaPlayer* player_;
  QWidget* area_;
  QVideoWidget* video_;
  QToolButton* playPause_;
  QSlider* seek_;
  QLabel* time_;
  QLabel* unavailable_;
  bool stretch_ = false;
  QSize native_;  // size of the video's own picture, once known
};

} // namespace framora
