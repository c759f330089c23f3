#pragma once
// "Load GIF": play an existing GIF and split it into numbered BMP frame files
// ("img" + n + ".bmp") that fill the frame list. GUI-free; the window passes its frame-list
// editor (rows and companion texts), a Prompter and callbacks for the animation view and
// the status bar.
//
// A GIF of full, opaque frames splits into the frames' own 8-bit pictures. When any frame is
// smaller than the logical screen, lies at an offset or is transparent, its stored pictures
// are only pieces, so every frame is written as the player composes it on the logical screen
// (disposal applied) and the rows get disposal 0: rebuilt, the frames look as they did.
// Pixels still transparent after composition (nothing was drawn there yet) keep the first
// frame's transparent colour, so that Transparent with that colour gives them back.
#include "codec/GIFImage.h"
#include "codec/Player.h"
#include "codec/PreviewGIFImage.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>

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
  int frameCount = 0;   // frames of the model that hold an image
  bool composed = false;  // the frames were written composed on the logical screen
  // The file's data is damaged (cut short, bad image data): the reader's words in English;
  // the frames were split as far as they could be read. Empty for an undamaged file.
  QString damage;
};

class GifSplitter {
public:
  GifSplitter(FrameListEditor& editor, Prompter& prompter);

  SplitCallbacks callbacks;
  // Write the stored frame pictures even where they are only pieces of what is seen.
  bool keepStoredFrames = false;

  // The Load GIF command: open dialog (starting in defaultFolder), then LoadGif.
  SplitResult Button2Click(const QString& defaultFolder, int language);
  // Everything after the dialog, for a chosen file.
  SplitResult LoadGif(const QString& fileName, const QString& defaultFolder, int language);
  // Writes the frame files of a model image into the folder and fills the rows.
  SplitResult SplitFrames(const GIFImage& image, const QString& defaultFolder, int language);
  // The same with the frames composed by the player from the file it read.
  SplitResult SplitComposedFrames(const GIFImage& image, GIFAnimator& player, const QString& defaultFolder,
                                  int language);

  // The open dialog's filter, in Qt's form.
  static QString OpenGifFilter();
  // The folder the frame files go to: defaultFolder, or the temporary folder when it is empty.
  static QString FrameOutputFolder(const QString& defaultFolder);
  // Whether the stored frames are pieces of the picture: a frame smaller than the logical
  // screen, at an offset, or with a transparent colour.
  static bool NeedsComposition(const PreviewGIFImage& image);
  // A GIF model reader's warning that means damaged data, in English; empty for any other.
  static QString DamageOf(const std::string& readerWarning);
  // A composed picture as a BMP-ready bitmap: 8 bits with its colours in the order they first
  // appear when it has at most 256 of them, else 24 bits.
  static Bitmap ComposedBitmap(const Canvas& canvas);

private:
  SplitResult split(const GIFImage& image, const QString& defaultFolder, int language, bool composed,
                    const std::function<Bitmap(const GIFFrame& frame, int index)>& picture);
  FrameListEditor& editor_;
  Prompter& prompter_;
};

} // namespace framora
