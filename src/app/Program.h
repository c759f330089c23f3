#pragma once
// The whole program: the six windows, created once in their order, and the commands of the
// production core, the players, the eyedropper and the dialogs wired into the main window's
// hooks. main() makes one; widget tests make one with a scripted Prompter.
#include "app/FormGif.h"
#include "app/UpdateCheck.h"
#include "production/GifBuilder.h"
#include "production/GifSplitter.h"
#include "video/FrameListSink.h"

#include <memory>

class QProgressBar;

namespace framora {

class AboutBox;
class FormAvi;
class FormFreeware;
namespace widgets {
class ColorPicker;
class GIFAnimator;
class StillView;
} // namespace widgets

class Program {
public:
  explicit Program(Prompter& prompter);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  FormGif& formGif() { return *formGif_; }
  AboutBox& aboutBox() { return *aboutBox_; }
  FormConfig& formConfig() { return *formConfig_; }
  FormAvi& formAvi() { return *formAvi_; }
  FormFrage& formFrage() { return *formFrage_; }
  FormFreeware& formFreeware() { return *formFreeware_; }
  widgets::GIFAnimator& animator() { return *animator_; }
  widgets::StillView& stillView() { return *stillView_; }
  widgets::ColorPicker& colorPicker() { return *colorPicker_; }
  GifBuilder& builder() { return builder_; }
  QProgressBar& progressBar() { return *progress_; }

  // The update check of the start sequence; tests point it at a server of their own.
  UpdateChecker updateChecker;

  // The commands behind the hooks.
  void CreateAnimatedGif();
  void LoadGif();
  void ViewSelectedImage();
  void PreviewInBrowser();
  void StartAnimation();
  void StopAnimation();
  void ShowVideoWindow(int language);

private:
  class VideoSink;
  void wireHooks();
  void playFile(const QString& path);
  void showProgress(int done, int total);

  Prompter& prompter_;
  std::unique_ptr<FormGif> formGif_;
  AboutBox* aboutBox_ = nullptr;
  FormConfig* formConfig_ = nullptr;
  FormAvi* formAvi_ = nullptr;
  FormFrage* formFrage_ = nullptr;
  FormFreeware* formFreeware_ = nullptr;
  widgets::GIFAnimator* animator_ = nullptr;
  widgets::StillView* stillView_ = nullptr;
  widgets::ColorPicker* colorPicker_ = nullptr;
  QProgressBar* progress_ = nullptr;
  std::unique_ptr<VideoSink> videoSink_;
  GifBuilder builder_;
  GifSplitter splitter_;
};

} // namespace framora
