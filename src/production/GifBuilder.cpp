#include "production/GifBuilder.h"

#include "platform/Convert.h"
#include "platform/FileFilter.h"
#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "platform/TextFile.h"
#include "production/ProductionTexts.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace framora {

namespace {

using Col = FrameListModel::Column;

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString messageOf(const std::exception& e) { return QString::fromUtf8(e.what()); }

// One frame read from disk and reduced to a palette, or the error that stopped it.
struct LoadedFrame {
  std::shared_ptr<const Picture> picture;
  PreparedFrame prepared;
  QString error;  // not empty: loading or reducing failed
};

LoadedFrame loadFrame(const QString& path, const ReductionSettings& settings, int language) {
  LoadedFrame out;
  try {
    auto picture = std::make_shared<Picture>();
    picture->LoadFromFile(localPath(path));
    out.prepared = PrepareFrame(picture->Bitmap(), settings);
    out.picture = std::move(picture);
  } catch (const std::exception& e) {
    out.error = ErrorTextNaming(e, path, language);
  }
  return out;
}

// Loads frames in file order on worker threads, at most `window` frames ahead of the one
// the consumer takes next. take(i) must be called for i = 0, 1, 2, ... in order.
class FramePipeline {
public:
  FramePipeline(std::vector<QString> paths, ReductionSettings settings, int language, int threads, int window)
      : paths_(std::move(paths)), settings_(settings), language_(language), results_(paths_.size()),
        window_(std::max(1, window)) {
    const int n = static_cast<int>(paths_.size());
    threads = std::clamp(threads, 0, std::max(0, n));
    for (int t = 0; t < threads; ++t) workers_.emplace_back([this] { run(); });
  }

  ~FramePipeline() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    for (auto& w : workers_) w.join();
  }

  LoadedFrame take(int index, const std::function<void()>& idle) {
    if (workers_.empty()) return loadFrame(paths_[static_cast<std::size_t>(index)], settings_, language_);
    std::unique_lock lock(mutex_);
    auto& slot = results_[static_cast<std::size_t>(index)];
    while (!slot) {
      if (idle) {
        lock.unlock();
        idle();
        lock.lock();
        if (slot) break;
        done_.wait_for(lock, std::chrono::milliseconds(15));
      } else {
        done_.wait(lock);
      }
    }
    LoadedFrame frame = std::move(*slot);
    slot.reset();
    consumed_ = index + 1;
    lock.unlock();
    wake_.notify_all();
    return frame;
  }

private:
  void run() {
    const int n = static_cast<int>(paths_.size());
    for (;;) {
      int index;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return stop_ || next_ >= n || next_ < consumed_ + window_; });
        if (stop_ || next_ >= n) return;
        index = next_++;
      }
      LoadedFrame frame = loadFrame(paths_[static_cast<std::size_t>(index)], settings_, language_);
      {
        std::lock_guard lock(mutex_);
        results_[static_cast<std::size_t>(index)] = std::move(frame);
      }
      done_.notify_all();
    }
  }

  std::vector<QString> paths_;
  ReductionSettings settings_;
  int language_;
  std::vector<std::optional<LoadedFrame>> results_;
  int window_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  int next_ = 0, consumed_ = 0;
  bool stop_ = false;
  std::vector<std::thread> workers_;
};

// Runs a long step on a helper thread while the calling thread keeps calling `idle`
// (the window repaints); without `idle` it simply runs here. Exceptions reach the caller.
void runWithIdle(const std::function<void()>& step, const std::function<void()>& idle) {
  if (!idle) {
    step();
    return;
  }
  std::mutex m;
  std::condition_variable cv;
  bool finished = false;
  std::exception_ptr error;
  std::thread worker([&] {
    try {
      step();
    } catch (...) {
      error = std::current_exception();
    }
    std::lock_guard lock(m);
    finished = true;
    cv.notify_all();
  });
  std::unique_lock lock(m);
  while (!finished) {
    lock.unlock();
    idle();
    lock.lock();
    cv.wait_for(lock, std::chrono::milliseconds(15), [&] { return finished; });
  }
  lock.unlock();
  worker.join();
  if (error) std::rethrow_exception(error);
}

// The image's reduction; with Transparent on, the picked colour is kept exact so that the
// graphic control block finds it in every true-colour frame.
ReductionSettings reductionFor(const GIFImage& image, const BuildInputs& inputs) {
  ReductionSettings settings = image.Reduction();
  if (inputs.transparent) settings.TransparentColor = inputs.transparentColour;
  return settings;
}

// A delay cell in milliseconds -> hundredths, with the boxes the build shows.
int delayHundredths(const QString& cell, Prompter& prompter) {
  const std::optional<int> ms = toInt(trimBlanks(cell));
  if (!ms) {
    prompter.message(MessageKind::Error, prodmsg::InvalidDelay);
    return 500;
  }
  int h = *ms / 10;
  if (h < 10) {
    prompter.message(MessageKind::Information, prodmsg::MinimumDelay);
    h = 10;
  }
  if (h > 5000) {
    prompter.message(MessageKind::Information, prodmsg::MaximumDelay);
    h = 5000;
  }
  return h;
}

} // namespace

QString FrameFolderOf(const QString& folderText) {
  QString folder = trimBlanks(folderText);
  if (!folder.endsWith(pathSeparator())) folder += pathSeparator();
  return folder;
}

QString GifSaveFilter() {
  return qtFileFilter(QStringLiteral("All (*.gif;*.bmp)|*.gif;*.bmp|GIF Image (*.gif)|*.gif|Bitmaps (*.bmp)|*.bmp"));
}

std::int64_t FileSizeBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()),
                    QStringLiteral("Datei \"%1\" kann nicht ge\u00f6ffnet werden. %2").arg(path, file.errorString()));
  const qint64 size = file.size();
  return size < 0 ? 0 : size;
}

QString KilobyteText(std::int64_t bytes) { return QString::number(bytes / 1024) + QStringLiteral(" Kb"); }

QString WithGifExtension(const QString& fileName) {
  const qsizetype slash = fileName.lastIndexOf(u'/');
  const qsizetype dot = fileName.lastIndexOf(u'.');
  const QString stem = dot > slash ? fileName.left(dot) : fileName;
  return stem + QStringLiteral(".gif");
}

GifBuilder::GifBuilder(const FrameListModel& model, Prompter& prompter) : model_(model), prompter_(prompter) {}
GifBuilder::~GifBuilder() = default;

int GifBuilder::DetectBackgroundIndex(const GIFImage& image) {
  try {
    const GIFFrame& first = image.Images().Frames(0);
    return first.Pixels(0, image.Height() - 1);
  } catch (const std::exception&) {
    prompter_.message(MessageKind::Information, prodmsg::ErrorBackcolorIndex);
    return -1;
  }
}

GIFFrame& GifBuilder::AddFrame(const Picture& picture, int delay, int disposal) {
  if (!currentGif_) throw std::logic_error("AddFrame needs a build in progress");
  return AddFrame(PrepareFrame(picture.Bitmap(), reductionFor(*currentGif_, inputs_)), delay, disposal);
}

GIFFrame& GifBuilder::AddFrame(const PreparedFrame& picture, int delay, int disposal) {
  if (!currentGif_) throw std::logic_error("AddFrame needs a build in progress");
  GIFFrame& frame = currentGif_->Add(picture);
  if (currentGif_->Images().Count() == 1 && inputs_.loop) GIFAppExtNSLoop::Create(frame).SetLoops(0);
  // A picture with its own transparency already brought a control block; a second one would
  // leave readers to choose between two delays and two transparency settings.
  GIFGraphicControlExtension* existing = frame.GraphicControlExtension();
  GIFGraphicControlExtension& gce = existing ? *existing : GIFGraphicControlExtension::Create(frame);
  gce.SetDelay(delay);
  gce.SetDisposal(disposal >= 1 && disposal <= 3 ? disposal : 0);
  if (inputs_.transparent) {
    try {
      gce.SetTransparentColor(inputs_.transparentColour);
    } catch (const std::exception&) {
      gce.SetTransparentColorIndex(autoTransIndex_ & 0xFF);
    }
    gce.SetTransparent(true);
  }
  return frame;
}

BuildResult GifBuilder::CreateAnimatedGif(const BuildInputs& inputs) {
  BuildResult result;
  if (running_) {
    result.outcome = BuildResult::Outcome::Busy;
    return result;
  }
  running_ = true;
  struct Running {
    bool& flag;
    ~Running() { flag = false; }
  } running{running_};
  inputs_ = inputs;
  autoTransIndex_ = -1;
  if (callbacks.stopAnimation) callbacks.stopAnimation();
  currentGif_.reset();

  if (model_.cell(0, Col::FileColumn).isEmpty()) {
    prompter_.message(MessageKind::Error, ProductionTextsFor(inputs.language).TextNoImageFiles);
    result.outcome = BuildResult::Outcome::NoImageFiles;
    return result;
  }
  currentGif_ = std::make_unique<GIFImage>();
  // An empty edit (as the video window's import leaves it) means the largest frame's size:
  // the screen starts at 0 and grows to every frame added.
  const auto screenSize = [](const QString& text) -> std::optional<int> {
    const QString t = trimBlanks(text);
    return t.isEmpty() ? std::optional<int>(0) : toInt(t);
  };
  const std::optional<int> width = screenSize(inputs.EditWidth);
  const std::optional<int> height = screenSize(inputs.EditHeight);
  if (!width || !height) {
    prompter_.message(MessageKind::Error, ProductionTextsFor(inputs.language)
                                              .TextSizeNoNumber.arg(trimBlanks(inputs.EditWidth),
                                                                    trimBlanks(inputs.EditHeight)));
    result.outcome = BuildResult::Outcome::BadSize;
    return result;
  }
  currentGif_->SetWidth(*width);
  currentGif_->SetHeight(*height);

  // The rows as they stand now; the list ends at the first row without a file name.
  std::vector<FrameRow> rows;
  for (int i = 0; i < model_.rowCount() && !trimBlanks(model_.cell(i, Col::FileColumn)).isEmpty(); ++i)
    rows.push_back(model_.row(i));
  const int n = static_cast<int>(rows.size());

  if (callbacks.busyCursor) callbacks.busyCursor(true);
  const QString folder = FrameFolderOf(inputs.EditPfad);
  if (callbacks.panelInfo) callbacks.panelInfo(prodmsg::CreatingGif);
  // Every way out from here removes the cursor and the info text.
  struct Restore {
    GifBuilder* b;
    bool cursor = true;
    ~Restore() {
      if (cursor && b->callbacks.busyCursor) b->callbacks.busyCursor(false);
      if (b->callbacks.panelInfo) b->callbacks.panelInfo(QString());
    }
  } restore{this};

  bool failed = false;
  {
    std::vector<QString> paths;
    paths.reserve(rows.size());
    for (const FrameRow& r : rows) paths.push_back(folder + r.fileName);
    int threads = threadCount > 0 ? threadCount : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (threads == 1) threads = 0;  // sequential: everything on this thread
    const int window = lookAhead > 0 ? lookAhead : 2 * std::max(1, threads);
    FramePipeline pipeline(paths, reductionFor(*currentGif_, inputs), inputs.language, threads, window);

    if (callbacks.progress) callbacks.progress(0, n);
    for (int i = 0; i < n && !failed; ++i) {
      const FrameRow& row = rows[static_cast<std::size_t>(i)];
      const QString disposalText = trimBlanks(row.disposal);
      const std::optional<int> disposal = toInt(disposalText);
      if (!disposal) {
        prompter_.message(MessageKind::Error, invalidIntegerMessage(disposalText));
        failed = true;
        break;
      }
      LoadedFrame frame = pipeline.take(i, callbacks.idle);
      if (!frame.error.isEmpty()) {
        prompter_.message(MessageKind::Error, frame.error);
        failed = true;
        break;
      }
      result.lastPicture = frame.picture;
      if (!frame.picture->Warning().empty())
        result.damaged.emplace_back(folder + row.fileName, QString::fromStdString(frame.picture->Warning()));
      if (callbacks.stillPicture) callbacks.stillPicture(frame.picture);
      if (i == 1 && inputs.transparent) {
        GIFImage probe;  // the second frame converted on its own
        try {
          probe.Add(frame.prepared);
        } catch (const std::exception&) {
        }
        autoTransIndex_ = DetectBackgroundIndex(probe);
      }
      const int delay = delayHundredths(row.delay, prompter_);
      try {
        AddFrame(frame.prepared, delay, *disposal);
      } catch (const std::exception& e) {
        prompter_.message(MessageKind::Error, ErrorTextNaming(e, paths[static_cast<std::size_t>(i)], inputs.language));
        failed = true;
        break;
      }
      if (callbacks.progress) callbacks.progress(i + 1, n);
    }
  }
  result.frames = currentGif_->Images().Count();
  result.width = currentGif_->Width();
  result.height = currentGif_->Height();
  if (failed) {
    result.outcome = BuildResult::Outcome::Failed;
    return result;
  }
  if (callbacks.busyCursor) callbacks.busyCursor(false);
  restore.cursor = false;

  if (inputs.optimize) {
    try {
      runWithIdle([this] { currentGif_->OptimizeColorMap(); }, callbacks.idle);
    } catch (const std::exception& e) {
      prompter_.message(MessageKind::Error, messageOf(e));
      result.outcome = BuildResult::Outcome::Failed;
      return result;
    }
  }
  const QString chosen = prompter_.saveFileName(GifSaveFilter(), inputs.DefaultFolder, QStringLiteral("animation.gif"));
  if (chosen.isEmpty()) {
    result.outcome = BuildResult::Outcome::Cancelled;
    return result;
  }
  const QString file = WithGifExtension(chosen);
  try {
    const std::string target = localPath(file);
    runWithIdle([this, &target] { currentGif_->SaveToFile(target); }, callbacks.idle);
    if (callbacks.playAnimation) callbacks.playAnimation(file);
    result.sizeText = KilobyteText(FileSizeBytes(file));
  } catch (const std::exception& e) {
    prompter_.message(MessageKind::Error, ErrorText(e, inputs.language));
    result.outcome = BuildResult::Outcome::Failed;
    return result;
  }
  result.savedPath = file;
  result.outcome = BuildResult::Outcome::Saved;
  if (callbacks.status) callbacks.status(file, result.sizeText);
  return result;
}

} // namespace framora
