#pragma once
// The main window: frame list, GIF options, preview area and menu. It forwards every command
// to the frame-list editor or to a hook; the hooks of the commands built elsewhere (start
// screen, update check, help, about box, video window, GIF production) do nothing until set.
#include "app/LanguageTexts.h"
#include "app/LinkWidgets.h"
#include "app/Settings.h"
#include "framelist/FrameListEditor.h"

#include <QLabel>
#include <QMainWindow>

#include <functional>

class QAction;
class QCheckBox;
class QFrame;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QToolButton;

namespace framora {

class FormConfig;
class FormFrage;
class KeyPreview;
class Prompter;

// The captions that toggle their check boxes are labels that report clicks.
using ClickLabel = LinkLabel;

// Commands of other parts of the program, wired in by main(). Unset hooks do nothing
// (viewSelectedImage then shows the current row's picture in Image1 itself).
struct FormGifHooks {
  std::function<void(int language)> showStartScreen;  // start step 15, modal, title "Framora"
  std::function<void()> checkForUpdate;               // start step 16
  std::function<void(int context)> showHelp;          // F1 (context 1 here, 0 settings, 3 frame options)
  std::function<void()> helpMenu;                     // Options > Help (Hilfe1)
  std::function<void()> updatesMenu;                  // Options > Updates (Updates1)
  std::function<void(int language)> showAbout;        // Options > Info (About1)
  std::function<void(int language)> showVideoWindow;  // File > AVI (AVI1)
  std::function<void()> createGif;                    // SpeedButtonCreate
  std::function<void()> loadGif;                      // SpeedButtonLoad
  std::function<void()> viewSelectedImage;            // SpeedButtonView, grid click, current row set
  std::function<void()> previewInBrowser;             // SpeedButtonBrowser
  std::function<void()> startAnimation;               // ButtonStart
  std::function<void()> stopAnimation;                // ButtonStop
  std::function<void()> pickColour;                   // ButtonPick
  std::function<void()> hideAnimation;                // the frame list hides GIFAnimator (default: hide())
  std::function<void()> clearAnimation;               // the frame list empties GIFAnimator
  std::function<void()> releaseCurrentGif;            // Quit, before closing
  std::function<void(const QImage&)> showStillPicture; // the frame list's picture for Image1 (null: remove)
};

class FormGif : public QMainWindow {
  Q_OBJECT
public:
  explicit FormGif(Prompter& prompter, QWidget* parent = nullptr);
  ~FormGif() override;

  FormGifHooks hooks;

  // The dialogs this window shows; main() creates them after this window.
  void setDialogs(FormConfig* formConfig, FormFrage* formFrage);
  // The system language name used by the start sequence (tests hand in their own).
  void setSystemLanguageSource(std::function<QString()> source) { systemLanguageName_ = std::move(source); }
  // Replaces the animation view placeholder by the real player (takes ownership, keeps the name).
  void setGifAnimator(QWidget* view);
  // Replaces the still view Image1 by another label (takes ownership, keeps name and stretch).
  void setStillView(QLabel* view);

  AppState& state() { return state_; }
  FrameListEditor& editor() { return editor_; }
  Prompter& prompter() { return prompter_; }
  // Line buffer shared by the update check and the browser preview page.
  TextBuffer& memoUpdate() { return memoUpdate_; }
  const MessageTexts& texts() const { return texts_; }
  QString helpFile() const { return helpFile_; }
  QString WebSiteUrl() const { return webSiteUrl_; }
  // Status bar: panel 0 the path of the GIF last written or loaded, panel 1 its size.
  QString statusPath() const;
  void setStatus(const QString& path, const QString& sizeText);
  void setStatusPath(const QString& path);
  // The transparent colour shown by PanelColor.
  QColor transparentColour() const;
  void setTransparentColour(const QColor& colour);
  static QColor noTransparentColour() { return QColor(255, 251, 240); }
  bool stillViewStretched() const;

  static bool FormCanResize(int newWidth, int newHeight) { return (void)newWidth, newHeight >= 560; }
  void FormResize();
  void setGridColumnWidths();
  void ApplyLanguage();
  void LoadSettings();
  void OpenWebPage(const QString& address);

  // Controls, by their designer names.
  QToolButton *SpeedButton1, *SpeedButtonAdd, *SpeedButtonSettings, *SpeedButtonView, *SpeedButton2,
      *SpeedButtonDel, *SpeedButtonUp, *SpeedButtonDown;
  QLineEdit* EditPfad;
  QTableView* StringGrid1;
  QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *LabelAnzahl;
  QLineEdit *EditWidth, *EditHeight, *EditAnzahl;
  QFrame *Panel1, *Panel2, *Panel4, *PanelOptions, *PanelAnim, *PanelPlay, *PanelColor;
  QPushButton *SpeedButtonCreate, *SpeedButtonLoad, *SpeedButtonBrowser;
  QCheckBox *CheckBoxLoop, *CheckBoxTrans, *CheckBoxOpt;
  ClickLabel *LabelLoop, *LabelTrans, *LabelOptimize;
  QLabel* PanelInfo;
  QToolButton* ButtonPick;
  QLabel* LabelPreview;
  QLabel* Image1;
  QWidget* GIFAnimator;
  QToolButton *ButtonStart, *ButtonStop;
  QLabel *StatusPanel0, *StatusPanel1;
  QMenu *File1, *Options1;
  QAction *Vorlagespeichern1, *Opentemplate1, *Settings1, *AVI1, *Quit2, *Updates1, *Hilfe1, *About1;

public slots:
  void FormShow();
  void FormClose();
  void FormKeyDown(int key, bool* handled = nullptr);
  void Button4Click();
  void Settings1Click();
  void SpeedButton1Click();
  void SpeedButtonAddClick();
  void SpeedButtonDelClick();
  void SpeedButtonUpClick();
  void SpeedButtonDownClick();
  void SpeedButton2Click();
  void SpeedButtonViewClick();
  void StringGrid1DblClick();
  void Vorlagespeichern1Click();
  void Opentemplate1Click();
  void CheckBoxStrechClick();

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void buildControls();
  void buildMenu();
  void syncEdits();
  void showStillPicture(const QImage& image);
  void showStillPicture(const Bitmap& picture);

  Prompter& prompter_;
  FrameListEditor editor_;
  AppState state_;
  TextBuffer memoIni_;
  TextBuffer memoUpdate_;
  MessageTexts texts_;
  QString helpFile_;
  QString webSiteUrl_;
  FormConfig* formConfig_ = nullptr;
  FormFrage* formFrage_ = nullptr;
  std::function<QString()> systemLanguageName_;
  QPixmap stillPixmap_;
  bool shown_ = false;
  bool closed_ = false;
  bool viewedOnPress_ = false;
  int commandDepth_ = 0;
  struct CommandScope;
};

} // namespace framora
