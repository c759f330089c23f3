#pragma once
// "Load GIF": play an existing GIF and split it into numbered 8-bit BMP frame files
// ("img" + n + ".bmp") that fill the frame list. GUI-free; the window passes its frame-list
// editor (rows and companion texts), a Prompter and callbacks for the animation view and
// the status bar.
#include "codec/GIFImage.h"
#include "codec/PreviewGIFImage.h"

#include <QString>

#include <functional>
#include <memory>

namespace framora {

class FrameListEditor;
class Prompter;

// Unset callbacks are skipped. All run on the calling thread.
struct SplitCallbacks {
  // The New command of the frame list runs first (editor.SpeedButton2Click() and whatever the
  // window does with it); unset, the splitter calls editor.SpeedButton2Click() itself.
  std::function<void()> newList;
  // The file has been read for the animation view: hide Image1, show GIFAnimator with this
  // image (or load `path` into it), and start it.
  std::function<void(const QString& path, const std::shared_ptr<PreviewGIFImage>& image)> playAnimation;
  // Status panel 0 and 1.
  std::function<void(const QString& path, const QString& sizeText)> status;
  // A failed split empties the animation view and hides ButtonStop.
  std::function<void()> clearAnimation;
  std::function<void()> hideStopButton;
  // Frames written / frames.
  std::function<void(int done, int total)> progress;
};

struct SplitResult {
  enum class Outcome {
    Cancelled,      // open dialog cancelled: nothing changed
    InvalidFormat,  // not a .gif name
    Unreadable,     // the animation view could not read it (box shown)
    Static,         // one image only (warning shown)
    ModelFailed,    // the model reader failed (box shown)
    Failed,         // the split stopped at a frame (box shown)
    Split,
  };
  Outcome outcome = Outcome::Cancelled;
  QString path;         // the GIF file
  QString folder;       // where the frames went (DefaultFolder, or the temporary folder)
  int framesWritten = 0;
  int frameCount = 0;   // frames of the model
};

class GifSplitter {
public:
  GifSplitter(FrameListEditor& editor, Prompter& prompter);

  SplitCallbacks callbacks;

  // The Load GIF command: open dialog (starting in defaultFolder), then LoadGif.
  SplitResult Button2Click(const QString& defaultFolder, int language);
  // Everything after the dialog, for a chosen file.
  SplitResult LoadGif(const QString& fileName, const QString& defaultFolder, int language);
  // Writes the frame files of a model image into the folder and fills the rows.
  SplitResult SplitFrames(const GIFImage& image, const QString& defaultFolder, int language);

  // The open dialog's filter, in Qt's form.
  static QString OpenGifFilter();
  // The folder the frame files go to: defaultFolder, or the temporary folder when it is empty.
  static QString FrameOutputFolder(const QString& defaultFolder);

private:
  FrameListEditor& editor_;
  Prompter& prompter_;
};

} // namespace framora
