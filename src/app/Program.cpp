#include "app/Program.h"

#include "app/AboutBox.h"
#include "app/ColorPicker.h"
#include "app/FormConfig.h"
#include "app/FormFrage.h"
#include "app/FormFreeware.h"
#include "app/GIFAnimator.h"
#include "app/Help.h"
#include "app/StillView.h"
#include "codec/Error.h"
#include "platform/Convert.h"
#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "platform/Version.h"
#include "production/BrowserPreview.h"
#include "video/FormAvi.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QCheckBox>
#include <QProgressBar>
#include <QToolButton>

namespace framora {

// The video window's "Copy to animator" writes the frame list through the main window's editor.
class Program::VideoSink : public FrameListSink {
public:
  explicit VideoSink(FrameListEditor& editor) : editor_(editor) {}
  void replaceFrames(const QString& folder, const QList<VideoFrameRow>& rows, int count) override {
    editor_.ClearGrid();
    editor_.model().setRowCount(static_cast<int>(rows.size()));
    editor_.setFolderText(folder);
    for (int r = 0; r < rows.size(); ++r) editor_.model().setRow(r, {rows[r].file, rows[r].delay, rows[r].disposal});
    editor_.setCountText(QString::number(count));
  }

private:
  FrameListEditor& editor_;
};

namespace {

// Lets the window repaint during long work without taking the user's clicks.
void keepPainting() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

Rgb toRgb(const QColor& c) {
  return Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
             static_cast<std::uint8_t>(c.blue())};
}

} // namespace

Program::Program(Prompter& prompter)
    : prompter_(prompter),
      formGif_(std::make_unique<FormGif>(prompter)),                           // 1
      aboutBox_(new AboutBox(prompter, formGif_.get())),                       // 2
      formConfig_(new FormConfig(prompter, formGif_.get())),                   // 3
      formAvi_(new FormAvi(prompter, formGif_.get())),                         // 4
      formFrage_(new FormFrage(prompter, formGif_.get())),                     // 5
      formFreeware_(new FormFreeware(prompter, formGif_.get())),               // 6
      builder_(formGif_->editor().model(), prompter),
      splitter_(formGif_->editor(), prompter) {
  FormGif& f = *formGif_;
  f.setDialogs(formConfig_, formFrage_);

  animator_ = new widgets::GIFAnimator;
  f.setGifAnimator(animator_);
  stillView_ = new widgets::StillView;
  f.setStillView(stillView_);
  QObject::connect(animator_, &widgets::GIFAnimator::frameError, f.PanelAnim,
                   [this](const QString& message) { prompter_.message(MessageKind::Error, message); });

  colorPicker_ = new widgets::ColorPicker(f.ButtonPick, f.PanelColor, &f);
  colorPicker_->setSwatchSetter([&f](const QColor& c) { f.setTransparentColour(c); });

  // Frames done / frames, beside the info text while a build or split runs.
  progress_ = new QProgressBar(f.PanelInfo->parentWidget());
  progress_->setObjectName(QStringLiteral("ProgressBuild"));
  progress_->setGeometry(f.PanelInfo->x() + 6, f.PanelInfo->y() + 23, f.PanelInfo->width() - 12, 14);
  progress_->setTextVisible(false);
  progress_->hide();

  videoSink_ = std::make_unique<VideoSink>(f.editor());
  formAvi_->frameListSink = videoSink_.get();
  formAvi_->helpRequested = [this](int context) { OpenHelp(prompter_, context, formAvi_->Language); };

  wireHooks();
}

Program::~Program() = default;

void Program::wireHooks() {
  FormGif& f = *formGif_;
  FormGifHooks& h = f.hooks;
  h.showStartScreen = [this](int language) { formFreeware_->ShowModal(language); };
  h.checkForUpdate = [this, &f] { updateChecker.CheckForUpdate(prompter_, f.state().LangEnglish, f.WebSiteUrl()); };
  h.updatesMenu = [this, &f] { Updates1Click(prompter_, f.WebSiteUrl()); };
  h.showAbout = [this](int language) {
    aboutBox_->ShowModal(language, GetFileVersionText(QCoreApplication::applicationFilePath()));
  };
  h.showHelp = [this, &f](int context) { OpenHelp(prompter_, f.helpFile(), context, f.state().LangEnglish); };
  h.helpMenu = [this, &f] { OpenHelp(prompter_, f.helpFile(), HelpContextContents, f.state().LangEnglish); };
  h.showVideoWindow = [this](int language) { ShowVideoWindow(language); };
  h.createGif = [this] { CreateAnimatedGif(); };
  h.loadGif = [this] { LoadGif(); };
  h.viewSelectedImage = [this] { ViewSelectedImage(); };
  h.previewInBrowser = [this] { PreviewInBrowser(); };
  h.startAnimation = [this] { StartAnimation(); };
  h.stopAnimation = [this] { StopAnimation(); };
  h.hideAnimation = [this] { animator_->hide(); };
  h.clearAnimation = [this] { animator_->Clear(); };
  h.releaseCurrentGif = [this] { builder_.ReleaseCurrentGif(); };
  h.showStillPicture = [this](const QImage& image) {
    stillView_->clearPicture();
    if (image.isNull()) stillView_->clear();
    else stillView_->setPixmap(QPixmap::fromImage(image));
  };

  builder_.callbacks.stopAnimation = [this] { animator_->setAnimate(false); };
  builder_.callbacks.busyCursor = [](bool busy) {
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
  };
  builder_.callbacks.panelInfo = [&f](const QString& text) {
    f.PanelInfo->setText(text);
    f.PanelInfo->repaint();
  };
  builder_.callbacks.progress = [this](int done, int total) { showProgress(done, total); };
  builder_.callbacks.idle = keepPainting;
  builder_.callbacks.stillPicture = [this](const std::shared_ptr<const Picture>& picture) {
    stillView_->clearPicture();
    if (picture && !picture->Empty()) stillView_->setPixmap(QPixmap::fromImage(widgets::toQImage(picture->Bitmap())));
  };
  builder_.callbacks.playAnimation = [this](const QString& path) { playFile(path); };
  builder_.callbacks.status = [&f](const QString& path, const QString& size) { f.setStatus(path, size); };

  splitter_.callbacks.newList = [&f] { f.SpeedButton2Click(); };
  splitter_.callbacks.playAnimation = [this](const QString& path, const std::shared_ptr<PreviewGIFImage>&) {
    playFile(path);
  };
  splitter_.callbacks.status = [&f](const QString& path, const QString& size) { f.setStatus(path, size); };
  splitter_.callbacks.clearAnimation = [this] { animator_->Clear(); };
  splitter_.callbacks.hideStopButton = [&f] { f.ButtonStop->hide(); };
  splitter_.callbacks.progress = [this](int done, int total) {
    showProgress(done, total);
    keepPainting();
  };
}

void Program::showProgress(int done, int total) {
  if (total <= 0 || done >= total) {
    progress_->hide();
    return;
  }
  progress_->setRange(0, total);
  progress_->setValue(done);
  progress_->show();
}

// Hide the still view, load the file into the animation view, show it and start it.
void Program::playFile(const QString& path) {
  formGif_->Image1->hide();
  try {
    animator_->LoadFromFile(path);
  } catch (const std::exception& e) {
    prompter_.message(MessageKind::Error, QString::fromStdString(e.what()));
  }
  animator_->show();
  animator_->raise();
  StartAnimation();
}

void Program::CreateAnimatedGif() {
  FormGif& f = *formGif_;
  BuildInputs in;
  in.EditPfad = f.EditPfad->text();
  in.EditWidth = f.EditWidth->text();
  in.EditHeight = f.EditHeight->text();
  in.loop = f.CheckBoxLoop->isChecked();
  in.transparent = f.CheckBoxTrans->isChecked();
  in.optimize = f.CheckBoxOpt->isChecked();
  in.transparentColour = toRgb(f.transparentColour());
  in.DefaultFolder = f.state().DefaultFolder;
  in.language = f.state().LangEnglish;
  const BuildResult r = builder_.CreateAnimatedGif(in);
  progress_->hide();
  // Empty edits were built at the largest frame's size; show what the GIF got.
  if (r.frames > 0 && trimBlanks(in.EditWidth).isEmpty()) f.editor().setWidthText(QString::number(r.width));
  if (r.frames > 0 && trimBlanks(in.EditHeight).isEmpty()) f.editor().setHeightText(QString::number(r.height));
}

void Program::LoadGif() {
  FormGif& f = *formGif_;
  splitter_.Button2Click(f.state().DefaultFolder, f.state().LangEnglish);
  progress_->hide();
}

void Program::ViewSelectedImage() {
  FormGif& f = *formGif_;
  FrameListEditor& e = f.editor();
  stillView_->show();
  const int r = e.currentRow();
  if (r < 0) return;
  animator_->setAnimate(false);
  animator_->hide();
  f.setStatusPath(QString());
  try {
    stillView_->LoadFromFile(e.framePath(r));
  } catch (const std::exception& ex) {
    prompter_.message(MessageKind::Error, e.framePath(r) + QStringLiteral(": ") + QString::fromStdString(ex.what()));
    return;
  }
  if (e.widthText().trimmed().isEmpty() || e.heightText().trimmed().isEmpty()) {
    e.setWidthText(QString::number(stillView_->pictureWidth()));
    e.setHeightText(QString::number(stillView_->pictureHeight()));
  }
}

void Program::PreviewInBrowser() {
  FormGif& f = *formGif_;
  const QString page = SpeedButtonBrowserClick(f.statusPath(), f.state().LangEnglish, prompter_);
  if (!page.isEmpty()) f.state().PreviewHtmlFile = page;
}

void Program::StartAnimation() { animator_->setAnimate(true); }

void Program::StopAnimation() {
  animator_->setAnimate(false);
  stillView_->clearPicture();
  stillView_->clear();
}

void Program::ShowVideoWindow(int language) {
  // An empty folder would put the frames at the file-system root; the temporary folder is safer.
  QString folder = formGif_->state().DefaultFolder;
  if (folder.trimmed().isEmpty()) folder = temporaryFolder();
  while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))) folder.chop(1);
  formAvi_->FPath = folder;
  formAvi_->Language = language;
  formAvi_->exec();
}

} // namespace framora
