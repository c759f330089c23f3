#pragma once
// The video window: plays a video, lists its facts, writes its frames as avframeNN.bmp into
// FPath and hands them to the frame list. It forwards to ExtractAviFrames and
// FramesFromListedLines; the frame list is reached only through a FrameListSink.
#include <QDialog>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace framora {

class FrameListSink;
class Prompter;
class VideoPlayerWidget;

class FormAvi : public QDialog {
  Q_OBJECT
public:
  explicit FormAvi(Prompter& prompter, QWidget* parent = nullptr);
  ~FormAvi() override;

  // Set by the main window just before showing the window.
  QString FPath;     // frame folder, without trailing separator
  int Language = 1;  // 0 German, any other value English
  // Where "Copy frames to animator" puts the frames; set once by the main window.
  FrameListSink* frameListSink = nullptr;
  // F1: opens the help at the given context (4 for this window).
  std::function<void(int context)> helpRequested;

  static constexpr int kHelpContext = 4;
  // Outer size the layout rules work with; smaller windows are not allowed.
  static constexpr int kMinOuterWidth = 600;
  static constexpr int kMinOuterHeight = 580;

  QString aviFileName() const { return AviFileName; }
  int aviFrameDelay() const { return AviFrameDelay; }
  // The lines of Memo1 as a multi-line text control counts them.
  QStringList memoLines() const;
  // Outer size as the layout rules see it: the client area plus the frame of the design.
  QSize outerSize() const;
  static QString openFilter();

  // Handlers.
  void FormShow();
  void ButtonOpenClick();
  void ButtonSaveClick();
  void ButtonAbortClick();
  void Quit1Click();
  void StrechAVI1Click();
  bool FormKeyDown(int key);  // true when the key was taken
  void FormResize();

  // Routines.
  void ApplyLanguage();
  void PlayAvi(const QString& path);
  bool ExtractAviFrames(const QString& path);

  VideoPlayerWidget* player() const { return Player1; }

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  Prompter& prompter_;
  QString AviFileName;
  int AviFrameDelay = 0;
  bool centred_ = false;

  QMenuBar* menuBar_;
  QWidget* client_;
  QWidget* Gradient1;
  QWidget* PanelAvi;
  VideoPlayerWidget* Player1;
  QPlainTextEdit* Memo1;
  QPushButton* ButtonOpen;
  QPushButton* ButtonSave;
  QPushButton* ButtonAbort;
  QProgressBar* ProgressAvi;
  QMenu* MainMenu1;
  QAction* Open1;
  QAction* StrechAVI1;
  QAction* Quit1;
};

} // namespace framora
