#include "video/VideoPlayerWidget.h"

#include "video/MediaBackend.h"

#include <QAudioOutput>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>

namespace framora {

namespace {
QString clockText(qint64 ms) {
  const qint64 s = std::max<qint64>(0, ms) / 1000;
  return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

// Qt Multimedia aborts when a player is made without a backend, so none is made then.
QMediaPlayer* newPlayer(QObject* parent) {
  ChooseMediaBackend();
  return MediaBackendAvailable() ? new QMediaPlayer(parent) : nullptr;
}
}  // namespace

VideoPlayerWidget::VideoPlayerWidget(QWidget* parent)
    : QWidget(parent),
      player_(newPlayer(this)),
      area_(new QWidget(this)),
      video_(player_ ? new QVideoWidget(area_) : nullptr),
      playPause_(new QToolButton(this)),
      seek_(new QSlider(Qt::Horizontal, this)),
      time_(new QLabel(this)),
      unavailable_(new QLabel(area_)) {
  area_->setObjectName(QStringLiteral("VideoArea"));
  area_->setAutoFillBackground(true);
  QPalette black = area_->palette();
  black.setColor(QPalette::Window, Qt::black);
  area_->setPalette(black);
  area_->installEventFilter(this);
  playPause_->setObjectName(QStringLiteral("PlayPauseButton"));
  playPause_->setAutoRaise(true);
  seek_->setObjectName(QStringLiteral("SeekSlider"));
  seek_->setRange(0, 0);
  time_->setObjectName(QStringLiteral("TimeLabel"));
  unavailable_->setObjectName(QStringLiteral("PlaybackUnavailable"));
  unavailable_->setAlignment(Qt::AlignCenter);
  unavailable_->setWordWrap(true);
  unavailable_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
  unavailable_->setVisible(!player_);
  playPause_->setEnabled(player_);
  seek_->setEnabled(player_);

  auto* controls = new QHBoxLayout;
  controls->setContentsMargins(4, 2, 4, 2);
  controls->addWidget(playPause_);
  controls->addWidget(seek_, 1);
  controls->addWidget(time_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(area_, 1);
  layout->addLayout(controls);

  if (player_) connectPlayer();
  updateControls();
}

bool VideoPlayerWidget::playbackAvailable() const { return player_ != nullptr; }

void VideoPlayerWidget::setUnavailableText(const QString& text) { unavailable_->setText(text); }

void VideoPlayerWidget::connectPlayer() {
  video_->setObjectName(QStringLiteral("VideoWidget"));
  video_->setAspectRatioMode(Qt::KeepAspectRatio);
  player_->setAudioOutput(new QAudioOutput(this));
  player_->setVideoOutput(video_);
  connect(playPause_, &QToolButton::clicked, this, [this] {
    if (player_->playbackState() == QMediaPlayer::PlayingState)
      player_->pause();
    else
      player_->play();
  });
  connect(seek_, &QSlider::sliderMoved, player_, &QMediaPlayer::setPosition);
  connect(seek_, &QSlider::actionTriggered, this, [this](int action) {
    // Clicks on the groove page through the video; dragging is handled by sliderMoved.
    if (action != QAbstractSlider::SliderMove) player_->setPosition(seek_->sliderPosition());
  });
  connect(player_, &QMediaPlayer::durationChanged, this, [this](qint64 d) {
    seek_->setRange(0, static_cast<int>(std::min<qint64>(d, std::numeric_limits<int>::max())));
    seek_->setPageStep(std::max(1, static_cast<int>(d / 10)));
    updateControls();
  });
  connect(player_, &QMediaPlayer::positionChanged, this, [this](qint64 pos) {
    if (!seek_->isSliderDown()) seek_->setValue(static_cast<int>(std::min<qint64>(pos, seek_->maximum())));
    updateControls();
  });
  connect(player_, &QMediaPlayer::playbackStateChanged, this, &VideoPlayerWidget::updateControls);
  connect(player_, &QMediaPlayer::errorOccurred, this,
          [this](QMediaPlayer::Error, const QString& text) { time_->setToolTip(text); });
  // The picture's own size is known once frames arrive.
  connect(video_->videoSink(), &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
    if (frame.isValid() && frame.size() != native_) {
      native_ = frame.size();
      placePicture();
    }
  });
}

void VideoPlayerWidget::setSource(const QUrl& url) {
  if (!playbackAvailable()) return;
  time_->setToolTip({});
  native_ = QSize();
  player_->setSource(url);
  placePicture();
}

void VideoPlayerWidget::play() {
  if (playbackAvailable()) player_->play();
}

void VideoPlayerWidget::pause() {
  if (player_) player_->pause();
}

void VideoPlayerWidget::setStretchToFit(bool on) {
  stretch_ = on;
  placePicture();
}

QRect VideoPlayerWidget::pictureGeometry() const { return video_ ? video_->geometry() : QRect(); }

bool VideoPlayerWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched == area_ && event->type() == QEvent::Resize) placePicture();
  return QWidget::eventFilter(watched, event);
}

void VideoPlayerWidget::placePicture() {
  const QRect room = area_->rect();
  unavailable_->setGeometry(room.adjusted(12, 12, -12, -12));
  if (!video_) return;
  const QSize native = native_;
  if (stretch_ || !native.isValid() || native.isEmpty()) {
    video_->setGeometry(room);
    return;
  }
  QSize shown = native;
  if (shown.width() > room.width() || shown.height() > room.height()) shown.scale(room.size(), Qt::KeepAspectRatio);
  video_->setGeometry(QRect(QPoint(room.x() + (room.width() - shown.width()) / 2,
                                   room.y() + (room.height() - shown.height()) / 2),
                            shown));
}

void VideoPlayerWidget::updateControls() {
  const bool playing = player_ && player_->playbackState() == QMediaPlayer::PlayingState;
  playPause_->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
  playPause_->setToolTip(playing ? tr("Pause") : tr("Play"));
  time_->setText(clockText(player_ ? player_->position() : 0) + QStringLiteral(" / ") +
                 clockText(player_ ? player_->duration() : 0));
}

} // namespace framora
