#include "production/GifSplitter.h"

#include "codec/BmpFile.h"
#include "codec/GifModelReader.h"
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

namespace framora {

namespace {

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString messageOf(const std::exception& e) { return QString::fromUtf8(e.what()); }

} // namespace

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
  } catch (const FileError& e) {
    prompter_.message(MessageKind::Error, e.text());
    result.outcome = SplitResult::Outcome::Unreadable;
    return result;
  } catch (const std::exception& e) {
    prompter_.message(MessageKind::Error, messageOf(e));
    result.outcome = SplitResult::Outcome::Unreadable;
    return result;
  }
  editor_.setWidthText(QString::number(preview->Width()));
  editor_.setHeightText(QString::number(preview->Height()));
  const int images = preview->Count();
  if (callbacks.playAnimation) callbacks.playAnimation(fileName, preview);
  if (callbacks.status) callbacks.status(fileName, sizeText);

  if (images <= 1) {
    prompter_.message(MessageKind::Warning, texts.TextStaticGif);
    result.outcome = SplitResult::Outcome::Static;
    return result;
  }
  GIFImage model;
  try {
    model.LoadFromFile(localPath(fileName));
  } catch (const std::exception& e) {
    prompter_.message(MessageKind::Error, messageOf(e));
    result.outcome = SplitResult::Outcome::ModelFailed;
    return result;
  }
  SplitResult split = SplitFrames(model, defaultFolder, language);
  split.path = fileName;
  return split;
}

SplitResult GifSplitter::SplitFrames(const GIFImage& image, const QString& defaultFolder, int language) {
  SplitResult result;
  result.folder = FrameOutputFolder(defaultFolder);
  const QString prefix = withTrailingSeparator(result.folder);
  const int n = image.Images().Count();
  result.frameCount = n;
  FrameListModel& rows = editor_.model();
  if (callbacks.progress) callbacks.progress(0, n);
  for (int i = 0; i < n; ++i) {
    const GIFFrame& frame = image.Images().Frames(i);
    const GIFGraphicControlExtension* gce = frame.GraphicControlExtension();
    if (!gce) {
      prompter_.message(MessageKind::Error, prodmsg::InvalidAnimationFile);
      if (callbacks.clearAnimation) callbacks.clearAnimation();
      if (callbacks.hideStopButton) callbacks.hideStopButton();
      result.outcome = SplitResult::Outcome::Failed;
      return result;
    }
    const int delay = gce->Delay();
    const int disposal = gce->Disposal();
    const QString fileName = QStringLiteral("img%1.bmp").arg(i);
    try {
      SaveBmpFile(FrameToBitmap(frame), localPath(prefix + fileName));
    } catch (const std::exception& e) {
      prompter_.message(MessageKind::Error, messageOf(e));
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
