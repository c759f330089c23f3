#include "video/FormAvi.h"

#include "platform/Prompter.h"
#include "video/FrameListSink.h"
#include "video/VideoExtractor.h"
#include "video/VideoPlayerWidget.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace framora {

namespace {

// Client area of the design and the frame (borders, caption, menu) the layout rules count in.
constexpr int kClientWidth = 584;
constexpr int kClientHeight = 521;
constexpr int kFrameWidth = FormAvi::kMinOuterWidth - kClientWidth - 0;    // 16
constexpr int kFrameHeight = FormAvi::kMinOuterHeight - kClientHeight - 0;  // 59

class GradientWidget : public QWidget {
public:
  using QWidget::QWidget;

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(255, 251, 240));  // cream
    g.setColorAt(1, QColor(189, 192, 202));
    painter.fillRect(rect(), g);
  }
};

QFont fixedFont() {
  QFont f(QStringLiteral("Courier New"), 10);
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  if (!QFontInfo(f).fixedPitch()) {
    QFont sys = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    sys.setPointSize(10);
    return sys;
  }
  return f;
}

}  // namespace

FormAvi::FormAvi(Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter), menuBar_(new QMenuBar(this)), client_(new QWidget(this)) {
  setObjectName(QStringLiteral("FormAvi"));
  setWindowTitle(QStringLiteral("Avi"));
  setFont(QFont(QStringLiteral("Tahoma"), 8));
  setModal(true);

  Gradient1 = new GradientWidget(client_);
  Gradient1->setObjectName(QStringLiteral("Gradient1"));
  PanelAvi = new QWidget(client_);
  PanelAvi->setObjectName(QStringLiteral("PanelAvi"));
  PanelAvi->setFont(QFont(QStringLiteral("Century Gothic"), 10));
  Player1 = new VideoPlayerWidget(PanelAvi);
  Player1->setObjectName(QStringLiteral("Player1"));

  Memo1 = new QPlainTextEdit(client_);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setFont(fixedFont());
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  ButtonOpen = new QPushButton(QStringLiteral("Open"), client_);
  ButtonOpen->setObjectName(QStringLiteral("ButtonOpen"));
  ButtonSave = new QPushButton(QStringLiteral("Copy frames to animator"), client_);
  ButtonSave->setObjectName(QStringLiteral("ButtonSave"));
  ButtonAbort = new QPushButton(QStringLiteral("Close"), client_);
  ButtonAbort->setObjectName(QStringLiteral("ButtonAbort"));
  for (QPushButton* b : {ButtonOpen, ButtonSave, ButtonAbort}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  // Shown in the place of the copy button while frames are written.
  ProgressAvi = new QProgressBar(client_);
  ProgressAvi->setObjectName(QStringLiteral("ProgressAvi"));
  ProgressAvi->setVisible(false);

  MainMenu1 = menuBar_->addMenu(QStringLiteral("AVI"));
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  Open1 = MainMenu1->addAction(QStringLiteral("Open"));
  Open1->setObjectName(QStringLiteral("Open1"));
  StrechAVI1 = MainMenu1->addAction(QStringLiteral("Stretch"));
  StrechAVI1->setObjectName(QStringLiteral("StrechAVI1"));
  StrechAVI1->setVisible(false);
  MainMenu1->addSeparator();
  Quit1 = MainMenu1->addAction(QStringLiteral("Quit"));
  Quit1->setObjectName(QStringLiteral("Quit1"));

  connect(ButtonOpen, &QPushButton::clicked, this, &FormAvi::ButtonOpenClick);
  connect(Open1, &QAction::triggered, this, &FormAvi::ButtonOpenClick);
  connect(ButtonSave, &QPushButton::clicked, this, &FormAvi::ButtonSaveClick);
  connect(ButtonAbort, &QPushButton::clicked, this, &FormAvi::ButtonAbortClick);
  connect(Quit1, &QAction::triggered, this, &FormAvi::Quit1Click);
  connect(StrechAVI1, &QAction::triggered, this, &FormAvi::StrechAVI1Click);

  // Fixed design positions; FormResize moves what follows the window size.
  Memo1->setGeometry(10, 305, 560, 175);
  ButtonOpen->setGeometry(10, 485, 120, 28);
  ButtonSave->setGeometry(168, 485, 240, 28);
  ButtonAbort->setGeometry(450, 485, 120, 28);

  const int menuHeight = menuBar_->sizeHint().height();
  setMinimumSize(kClientWidth, kClientHeight + menuHeight);
  resize(kClientWidth, kClientHeight + menuHeight);
  ApplyLanguage();
}

FormAvi::~FormAvi() { qApp->removeEventFilter(this); }

QString FormAvi::openFilter() {
  return QStringLiteral("Avi (*.avi);;Video files (*.avi *.mp4 *.m4v *.mkv *.webm *.mov *.mpg *.mpeg)");
}

QStringList FormAvi::memoLines() const {
  QString text = Memo1->toPlainText();
  if (text.isEmpty()) return {};
  if (text.endsWith(QLatin1Char('\n'))) text.chop(1);  // a closing line break starts no line
  return text.split(QLatin1Char('\n'));
}

QSize FormAvi::outerSize() const { return client_->size() + QSize(kFrameWidth, kFrameHeight); }

void FormAvi::FormShow() {
  Player1->setStretchToFit(false);
  AviFileName.clear();
  AviFrameDelay = 0;
  Memo1->clear();
  ApplyLanguage();
}

void FormAvi::ApplyLanguage() {
  const bool english = Language != 0;
  ButtonOpen->setText(english ? QStringLiteral("Load Avi") : QStringLiteral("Avi laden"));
  ButtonSave->setText(english ? QStringLiteral("Copy frames to animator")
                              : QStringLiteral("Bilder zu Gif-Animator kopieren"));
  ButtonAbort->setText(english ? QStringLiteral("Close") : QStringLiteral("Schliessen"));
  Open1->setText(english ? QStringLiteral("Load") : QStringLiteral("Laden"));
  Quit1->setText(english ? QStringLiteral("Quit") : QStringLiteral("Schliessen"));
  Player1->setUnavailableText(
      english ? QStringLiteral("Video playback is not available: Qt Multimedia has no working media backend "
                               "(its FFmpeg plug-in comes with the package libqt6multimedia6). "
                               "The frames can still be extracted.")
              : QStringLiteral("Die Videowiedergabe ist nicht verf\u00fcgbar: Qt Multimedia hat kein "
                               "funktionierendes Medien-Backend (sein FFmpeg-Plug-in kommt mit dem Paket "
                               "libqt6multimedia6). Die Einzelbilder k\u00f6nnen trotzdem entnommen werden."));
}

void FormAvi::ButtonOpenClick() {
  Memo1->clear();
  const QStringList names = prompter_.openFileNames(openFilter(), QString());
  if (names.isEmpty()) return;
  AviFileName = names.first();
  PlayAvi(AviFileName);
  ExtractAviFrames(AviFileName);
}

void FormAvi::PlayAvi(const QString& path) {
  if (!QFileInfo::exists(path)) return;
  Player1->setSource(QUrl::fromLocalFile(path));
  Player1->play();
}

bool FormAvi::ExtractAviFrames(const QString& path) {
  AviExtractRequest request;
  request.folder = FPath;
  request.texts = AviTexts::forLanguage(Language);
  request.prompter = &prompter_;
  request.addLine = [this](const QString& line) { Memo1->appendPlainText(line); };
  request.progress = [this](int done, int total) {
    if (!ProgressAvi->isVisible()) {
      ButtonSave->setVisible(false);
      ProgressAvi->setGeometry(ButtonSave->geometry());
      ProgressAvi->setVisible(true);
    }
    ProgressAvi->setRange(0, total);
    ProgressAvi->setValue(done);
    // Keep painting (and the player playing); clicks wait until the frames are written.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  const AviExtractResult result = framora::ExtractAviFrames(path, request);
  ProgressAvi->setVisible(false);
  ButtonSave->setVisible(true);
  if (result.frameDelay) AviFrameDelay = *result.frameDelay;
  return result.saved;
}

void FormAvi::ButtonSaveClick() {
  const std::optional<VideoFrameList> frames = FramesFromListedLines(memoLines(), AviFrameDelay);
  if (!frames) return;
  if (frameListSink) frameListSink->replaceFrames(frames->folder, frames->rows, frames->count);
  accept();
}

void FormAvi::ButtonAbortClick() { reject(); }

void FormAvi::Quit1Click() { reject(); }

void FormAvi::StrechAVI1Click() { Player1->setStretchToFit(!Player1->stretchToFit()); }

bool FormAvi::FormKeyDown(int key) {
  if (key == Qt::Key_F1) {
    if (helpRequested) helpRequested(kHelpContext);
    return true;
  }
  if (key == Qt::Key_F11) {
    StrechAVI1Click();
    return true;
  }
  return false;
}

void FormAvi::FormResize() {
  const QSize outer = outerSize();
  const int w = std::max(outer.width(), kMinOuterWidth);
  const int h = std::max(outer.height(), kMinOuterHeight);
  PanelAvi->setGeometry(0, 0, client_->width(), h - 280);
  Player1->setGeometry(PanelAvi->rect());
  Memo1->move(Memo1->x(), h - 275);
  Memo1->resize(w - 40, Memo1->height());
  for (QPushButton* b : {ButtonOpen, ButtonSave, ButtonAbort}) b->move(b->x(), h - 95);
  if (ProgressAvi->isVisible()) ProgressAvi->setGeometry(ButtonSave->geometry());
  // Decoration only: fills what lies below the player.
  Gradient1->setGeometry(0, PanelAvi->height(), client_->width(), std::max(0, client_->height() - PanelAvi->height()));
  Gradient1->lower();
}

void FormAvi::showEvent(QShowEvent* event) {
  FormShow();
  if (!centred_) {
    centred_ = true;
    if (const QScreen* screen = this->screen()) {
      QRect frame = frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      move(frame.topLeft());
    }
  }
  // Keys reach the window before its controls.
  qApp->installEventFilter(this);
  QDialog::showEvent(event);
}

void FormAvi::hideEvent(QHideEvent* event) {
  qApp->removeEventFilter(this);
  // Sound from a closed window has no control left to stop it.
  Player1->pause();
  QDialog::hideEvent(event);
}

void FormAvi::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  const int menuHeight = menuBar_->sizeHint().height();
  menuBar_->setGeometry(0, 0, width(), menuHeight);
  client_->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight));
  FormResize();
}

bool FormAvi::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    if (FormKeyDown(static_cast<QKeyEvent*>(event)->key())) return true;
  }
  return QDialog::eventFilter(watched, event);
}

} // namespace framora
