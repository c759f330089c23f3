#include "production/GifSplitter.h"

#include "codec/BmpFile.h"
#include "codec/GifModelReader.h"
#include "codec/GifStructureReader.h"
#include "framelist/FrameListEditor.h"
#include "platform/Convert.h"
#include "platform/FileFilter.h"
#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "platform/TextFile.h"
#include "production/GifBuilder.h"
#include "production/ProductionTexts.h"

#include <QFile>
#include <QFileInfo>

#include <unordered_map>
#include <vector>

namespace framora {

namespace {

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Blocks after the last image (a comment, a control block cut off) give a model frame
// without a picture; it has nothing to split.
bool holdsImage(const GIFFrame& frame) { return frame.Width() > 0 && frame.Height() > 0; }

} // namespace

bool GifSplitter::NeedsComposition(const PreviewGIFImage& image) {
  const int sw = image.ScreenWidth(), sh = image.ScreenHeight();
  if (sw < 1 || sh < 1) return false;  // no screen to compose on
  for (int i = 0; i < image.Count(); ++i) {
    const PreviewGIFFrame& f = image.Frames(i);
    if (f.Origin() != Point{0, 0} || f.Width() < sw || f.Height() < sh || f.TransparentColor()) return true;
  }
  return false;
}

QString GifSplitter::DamageOf(const std::string& readerWarning) {
  for (const gif::Msg m : {gif::Msg::PrematureEnd, gif::Msg::BadData, gif::Msg::BadTrailer, gif::Msg::UnknownBlockType})
    if (readerWarning == gif::kGerman[m]) return QString::fromUtf8(gif::kEnglish[m]);
  return {};
}

Bitmap GifSplitter::ComposedBitmap(const Canvas& canvas) {
  // Alpha is dropped: a pixel nothing has drawn on keeps the fill colour.
  // Runs of one colour are common, so each pass looks up only where the colour changes.
  std::unordered_map<std::uint32_t, int> index;
  std::uint32_t last = 0xFFFFFFFFu;
  for (const std::uint32_t p : canvas.pixels) {
    const std::uint32_t rgb = p & 0xFFFFFFu;
    if (rgb == last) continue;
    last = rgb;
    if (index.emplace(rgb, static_cast<int>(index.size())).second && index.size() > 256) break;
  }
  const bool palette = index.size() <= 256;
  Bitmap out(canvas.width, canvas.height, palette ? 8 : 24);
  if (palette) {
    out.palette().resize(index.size());
    for (const auto& [rgb, i] : index)
      out.palette()[static_cast<std::size_t>(i)] = Rgb{static_cast<std::uint8_t>(rgb >> 16),
                                                       static_cast<std::uint8_t>(rgb >> 8),
                                                       static_cast<std::uint8_t>(rgb)};
  }
  last = 0xFFFFFFFFu;
  std::uint8_t lastIndex = 0;
  for (int y = 0; y < canvas.height; ++y) {
    const std::uint32_t* src = canvas.pixels.data() + static_cast<std::size_t>(y) * canvas.width;
    std::uint8_t* dst = out.row(y);
    for (int x = 0; x < canvas.width; ++x) {
      const std::uint32_t rgb = src[x] & 0xFFFFFFu;
      if (palette) {
        if (rgb != last) {
          last = rgb;
          lastIndex = static_cast<std::uint8_t>(index.find(rgb)->second);
        }
        dst[x] = lastIndex;
      } else {
        dst[3 * x] = static_cast<std::uint8_t>(rgb >> 16);
        dst[3 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);
        dst[3 * x + 2] = static_cast<std::uint8_t>(rgb);
      }
    }
  }
  return out;
}

QString GifSplitter::OpenGifFilter() {
  return qtFileFilter(QStringLiteral("All (*.gif,*.bmp)|*.gif;*.bmp|Gif  (*.gif)|*.gif|Bitmaps (*.bmp)|*.bmp"));
}

QString GifSplitter::FrameOutputFolder(const QString& defaultFolder) {
  // An empty folder would put the frames at the root of the file system.
  return trimBlanks(defaultFolder).isEmpty() ? temporaryFolder() : defaultFolder;
}

GifSplitter::GifSplitter(FrameListEditor& editor, Prompter& prompter) : editor_(editor), prompter_(prompter) {}

SplitResult GifSplitter::Button2Click(const QString& defaultFolder, int language) {
  const QString name = prompter_.openFileName(OpenGifFilter(), defaultFolder);
  if (name.isEmpty()) return {};
  return LoadGif(name, defaultFolder, language);
}

SplitResult GifSplitter::LoadGif(const QString& fileName, const QString& defaultFolder, int language) {
  SplitResult result;
  result.path = fileName;
  const ProductionTexts texts = ProductionTextsFor(language);
  if (callbacks.newList)
    callbacks.newList();
  else
    editor_.SpeedButton2Click();

  if (QFileInfo(fileName).suffix().toLower() != QStringLiteral("gif") || !fileName.contains(u'.')) {
    prompter_.message(MessageKind::Error, texts.TextInvalidFormat);
    result.outcome = SplitResult::Outcome::InvalidFormat;
    return result;
  }

  auto preview = std::make_shared<PreviewGIFImage>();
  QString sizeText;
  try {
    preview->LoadFromFile(localPath(fileName));
    sizeText = KilobyteText(FileSizeBytes(fileName));
  } catch (const std::exception& e) {
    prompter_.message(MessageKind::Error, ErrorTextNaming(e, fileName, language));
    result.outcome = SplitResult::Outcome::Unreadable;
    return result;
  }
  const int images = preview->Count();
  const bool composed = !keepStoredFrames && images > 1 && NeedsComposition(*preview);
  editor_.setWidthText(QString::number(composed ? preview->ScreenWidth() : preview->Width()));
  editor_.setHeightText(QString::number(composed ? preview->ScreenHeight() : preview->Height()));
  if (callbacks.playAnimation) callbacks.playAnimation(fileName, preview);
  if (callbacks.status) callbacks.status(fileName, sizeText);

  if (images <= 1) {
    prompter_.message(MessageKind::Warning, texts.TextStaticGif);
    result.outcome = SplitResult::Outcome::Static;
    return result;
  }
  GIFImage model;
  QString damage;
  model.OnWarning = [&damage](Severity, const std::string& message) {
    if (damage.isEmpty()) damage = DamageOf(message);
  };
  try {
    model.LoadFromFile(localPath(fileName));
  } catch (const std::exception& e) {
    prompter_.message(MessageKind::Error, ErrorTextNaming(e, fileName, language));
    result.outcome = SplitResult::Outcome::ModelFailed;
    return result;
  }
  SplitResult split;
  if (composed) {
    GIFAnimator player;
    try {
      player.Image().LoadFromFile(localPath(fileName));
    } catch (const std::exception& e) {
      prompter_.message(MessageKind::Error, ErrorTextNaming(e, fileName, language));
      result.outcome = SplitResult::Outcome::Unreadable;
      return result;
    }
    split = SplitComposedFrames(model, player, defaultFolder, language);
  } else {
    split = SplitFrames(model, defaultFolder, language);
  }
  split.path = fileName;
  split.damage = damage;
  return split;
}

SplitResult GifSplitter::SplitFrames(const GIFImage& image, const QString& defaultFolder, int language) {
  return split(image, defaultFolder, language, false, [](const GIFFrame& frame, int) { return FrameToBitmap(frame); });
}

SplitResult GifSplitter::SplitComposedFrames(const GIFImage& image, GIFAnimator& player, const QString& defaultFolder,
                                             int language) {
  return split(image, defaultFolder, language, true, [&player](const GIFFrame&, int index) {
    const Canvas& canvas = player.Compose(index);
    if (canvas.pixels.empty())
      throw CodecError(QStringLiteral("Frame %1 cannot be composed on the logical screen of %2 x %3")
                           .arg(index)
                           .arg(player.Image().ScreenWidth())
                           .arg(player.Image().ScreenHeight())
                           .toStdString());
    return ComposedBitmap(canvas);
  });
}

SplitResult GifSplitter::split(const GIFImage& image, const QString& defaultFolder, int language, bool composed,
                               const std::function<Bitmap(const GIFFrame& frame, int index)>& picture) {
  SplitResult result;
  result.composed = composed;
  result.folder = FrameOutputFolder(defaultFolder);
  const QString prefix = withTrailingSeparator(result.folder);
  std::vector<const GIFFrame*> frames;
  for (const auto& frame : image.Images())
    if (holdsImage(*frame)) frames.push_back(frame.get());
  const int n = static_cast<int>(frames.size());
  result.frameCount = n;
  FrameListModel& rows = editor_.model();
  if (callbacks.progress) callbacks.progress(0, n);
  for (int i = 0; i < n; ++i) {
    const GIFFrame& frame = *frames[static_cast<std::size_t>(i)];
    const GIFGraphicControlExtension* gce = frame.GraphicControlExtension();
    // A frame without a control block is valid (delay 0, no disposal); a block too short to
    // hold its fields is not.
    if (gce && gce->Rec().BlockSize < 4) {
      prompter_.message(MessageKind::Error, prodmsg::InvalidAnimationFile);
      if (callbacks.clearAnimation) callbacks.clearAnimation();
      if (callbacks.hideStopButton) callbacks.hideStopButton();
      result.outcome = SplitResult::Outcome::Failed;
      return result;
    }
    const int delay = gce ? gce->Delay() : 0;
    // Composed frames already show what the disposal did.
    const int disposal = gce && !composed ? gce->Disposal() : 0;
    const QString fileName = QStringLiteral("img%1.bmp").arg(i);
    try {
      SaveBmpFile(picture(frame, i), localPath(prefix + fileName));
    } catch (const std::exception& e) {
      prompter_.message(MessageKind::Error, ErrorText(e, language));
      result.outcome = SplitResult::Outcome::Failed;
      return result;
    }
    if (i == 0) editor_.setFolderText(prefix);
    if (rows.rowCount() != n) rows.setRowCount(n);
    rows.setRow(i, {fileName, QString::number(delay * 10),
                    QString::number(disposal >= 1 && disposal <= 3 ? disposal : 0)});
    editor_.setCountText(QString::number(n));
    result.framesWritten = i + 1;
    if (callbacks.progress) callbacks.progress(i + 1, n);
  }
  if (n > 0)
    prompter_.message(MessageKind::Information, ProductionTextsFor(language).TextFramesSavedIn + result.folder);
  result.outcome = SplitResult::Outcome::Split;
  return result;
}

} // namespace framora
