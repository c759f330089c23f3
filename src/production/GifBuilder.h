#pragma once
// "Create animated GIF": the frame list becomes one animated GIF file. GUI-free; the window
// hands in the texts and options it shows, a Prompter for boxes and the save dialog, and
// callbacks for what the build does to the window (cursor, info panel, still view,
// animation view, status bar, progress).
//
// Frames are loaded and colour-reduced on worker threads ahead of the row being added, but
// rows are added, and every message box is shown, on the calling thread in row order, so
// the boxes and the written bytes are the same as with one thread. Only a small window of
// frames runs ahead, so true-colour pictures are never all held at once.
#include "codec/GIFImage.h"
#include "codec/Picture.h"
#include "framelist/FrameListModel.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace framora {

class Prompter;

// What the main window shows when the build starts.
struct BuildInputs {
  QString EditPfad;     // frame folder text
  QString EditWidth;    // logical screen width text (empty: the largest frame's)
  QString EditHeight;   // logical screen height text (empty: the largest frame's)
  bool loop = true;         // CheckBoxLoop
  bool transparent = false; // CheckBoxTrans
  bool optimize = true;     // CheckBoxOpt
  Rgb transparentColour{255, 251, 240}; // PanelColor (cream: nothing picked)
  QString DefaultFolder;    // where the save dialog starts
  int language = 1;         // 0 German, else English
};

// Unset callbacks are skipped. All run on the thread that called CreateAnimatedGif.
struct BuildCallbacks {
  std::function<void()> stopAnimation;                  // GIFAnimator stops (start of the build)
  std::function<void(bool busy)> busyCursor;            // hourglass on / off
  std::function<void(const QString& text)> panelInfo;   // PanelInfo text
  std::function<void(int done, int total)> progress;    // frames added / frames to add
  // Called repeatedly (every ~15 ms) while the calling thread waits for workers, the colour-map
  // optimisation or the encoding of the file, e.g. to let the window repaint. It must not
  // start another command or touch CurrentGif.
  std::function<void()> idle;
  // Image1's picture: every frame's picture as it is added (the last one stays shown).
  std::function<void(const std::shared_ptr<const Picture>& picture)> stillPicture;
  // After saving: hide Image1, load the file into GIFAnimator, show it and start it.
  std::function<void(const QString& path)> playAnimation;
  // Status panel 0 and 1 ("<path>", "<n> Kb").
  std::function<void(const QString& path, const QString& sizeText)> status;
};

struct BuildResult {
  enum class Outcome {
    NoImageFiles, // row 0 had no file name (box shown)
    BadSize,      // width or height neither empty nor a number (box shown)
    Failed,       // an error box was shown; nothing saved
    Cancelled,    // save dialog cancelled
    Saved,
    Busy,         // called again (from idle) while a build runs: ignored
  };
  Outcome outcome = Outcome::Failed;
  int frames = 0;       // frames in CurrentGif
  int width = 0, height = 0;  // CurrentGif's logical screen once the frames are added
  QString savedPath;    // the written file (Saved only)
  QString sizeText;     // "<n> Kb" (Saved only)
  std::shared_ptr<const Picture> lastPicture; // the last picture loaded (Image1)
  // Frame pictures read in spite of damaged data: the file and the decoder's words.
  std::vector<std::pair<QString, QString>> damaged;
};

class GifBuilder {
public:
  GifBuilder(const FrameListModel& model, Prompter& prompter);
  ~GifBuilder();
  GifBuilder(const GifBuilder&) = delete;
  GifBuilder& operator=(const GifBuilder&) = delete;

  BuildCallbacks callbacks;
  // Worker threads for loading and reducing frames: 0 = one per core, 1 = all on the
  // calling thread. Frames in flight ahead of the row being added: lookAhead (0 = 2 per worker).
  int threadCount = 0;
  int lookAhead = 0;

  // The whole build. Rows are read once, when it starts.
  BuildResult CreateAnimatedGif(const BuildInputs& inputs);

  // Adds one frame to CurrentGif with the loop, delay, disposal and transparency rules of
  // the build in progress (options of the last CreateAnimatedGif call).
  GIFFrame& AddFrame(const PreparedFrame& picture, int delay, int disposal);
  GIFFrame& AddFrame(const Picture& picture, int delay, int disposal);

  // The colour index of the bottom-left pixel of the image's first frame; -1 (after the
  // box "Error backcolor index!") when there is none.
  int DetectBackgroundIndex(const GIFImage& image);

  // The image built by the last build (kept until the next build or release); may be null.
  GIFImage* CurrentGif() const { return currentGif_.get(); }
  void ReleaseCurrentGif() { currentGif_.reset(); }
  int AutoTransIndex() const { return autoTransIndex_; }

private:
  const FrameListModel& model_;
  Prompter& prompter_;
  std::unique_ptr<GIFImage> currentGif_;
  BuildInputs inputs_;
  int autoTransIndex_ = -1;
  bool running_ = false;
};

// The file's size in bytes (0 when it cannot be told); FileError when it cannot be opened.
std::int64_t FileSizeBytes(const QString& path);
// Whole kilobytes followed by " Kb".
QString KilobyteText(std::int64_t bytes);
// The file name with its extension replaced by ".gif" (added when there is none).
QString WithGifExtension(const QString& fileName);
// The frame folder of a folder text: trimmed, with a separator appended when missing.
QString FrameFolderOf(const QString& folderText);
// The save dialog's filter for GIF files, in Qt's form.
QString GifSaveFilter();

} // namespace framora
