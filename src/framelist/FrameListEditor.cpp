#include "framelist/FrameListEditor.h"

#include "framelist/SplitFields.h"
#include "platform/Convert.h"
#include "platform/FileFilter.h"
#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "codec/Error.h"
#include "codec/Picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace framora {

using Col = FrameListModel::Column;

const QString FrameListEditor::OpenPictureFilter = QStringLiteral(
    "All (*.gif,*.bmp)|*.gif;*.bmp|Gif  (*.gif)|*.gif|Bitmaps (*.bmp)|*.bmp|"
    "Other pictures (*.png,*.jpg,*.jpeg,*.tif,*.tiff,*.ico)|*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.ico");

Bitmap loadPicture(const QString& path) {
  Picture picture;
  try {
    picture.LoadFromFile(QFile::encodeName(path).toStdString());
  } catch (const CodecFileError& e) {
    throw FileError(QString::fromUtf8(e.text(true).c_str()), QString::fromUtf8(e.text(false).c_str()));
  } catch (const std::exception& e) {
    throw FileError(QStringLiteral("%1: %2").arg(path, QString::fromUtf8(e.what())));
  }
  const Bitmap& b = picture.Bitmap();
  // A GIF's logical screen may be larger than its first image; the rest is white.
  Bitmap shown(std::max(picture.Width(), b.width()), std::max(picture.Height(), b.height()), 24);
  if (shown.width() > b.width() || shown.height() > b.height()) std::fill(shown.data().begin(), shown.data().end(), 255);
  for (int y = 0; y < b.height(); ++y) {
    std::uint8_t* dst = shown.row(y);
    if (b.isPalette()) {
      for (int x = 0; x < b.width(); ++x, dst += 3) {
        const Rgb c = b.pixel(x, y);
        dst[0] = c.r, dst[1] = c.g, dst[2] = c.b;
      }
    } else {
      std::copy_n(b.row(y), 3 * static_cast<std::size_t>(b.width()), dst);
    }
  }
  return shown;
}

FrameListEditor::FrameListEditor(QObject* parent) : QObject(parent), selection_(&model_) {}

void FrameListEditor::setFolderText(const QString& t) {
  if (folder_ == t) return;
  folder_ = t;
  emit fieldsChanged();
}
void FrameListEditor::setWidthText(const QString& t) {
  if (width_ == t) return;
  width_ = t;
  emit fieldsChanged();
}
void FrameListEditor::setHeightText(const QString& t) {
  if (height_ == t) return;
  height_ = t;
  emit fieldsChanged();
}
void FrameListEditor::setCountText(const QString& t) {
  if (count_ == t) return;
  count_ = t;
  emit fieldsChanged();
}

QString FrameListEditor::frameFolder() const {
  const QString f = trimBlanks(folder_);
  return f.endsWith(pathSeparator()) ? f : f + pathSeparator();
}

int FrameListEditor::currentRow() const {
  const QModelIndex i = selection_.currentIndex();
  return i.isValid() ? i.row() : -1;
}

void FrameListEditor::setCurrentRow(int row) {
  if (row < 0 || row >= model_.rowCount()) return;
  selection_.setCurrentIndex(model_.index(row, Col::FileColumn),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  emit rowMadeCurrent(row);
}

std::pair<int, int> FrameListEditor::selectedRange() const {
  int top = -1, bottom = -1;
  for (const QModelIndex& i : selection_.selectedIndexes()) {
    if (top < 0 || i.row() < top) top = i.row();
    if (i.row() > bottom) bottom = i.row();
  }
  return {top, bottom};
}

void FrameListEditor::ClearGrid() {
  setFolderText({});
  setWidthText({});
  setHeightText({});
  setCountText({});
  model_.setRowCount(FrameListModel::EmptyRowCount);
  model_.clearCells();
  emit stillPictureChanged(Bitmap());
  emit animationClearRequested();
  selection_.clear();
}

void FrameListEditor::growSizeText(QString& text, int& lastHeld, int value) {
  int current = lastHeld;
  if (!text.isEmpty()) {
    const auto parsed = toInt(text);
    if (!parsed) return;  // not a number: no comparison
    current = *parsed;
  }
  lastHeld = current;
  if (value > current) {
    text = QString::number(value);
    lastHeld = value;
  }
}

bool FrameListEditor::loadAndMeasure(Prompter& prompter, const QString& path, int& lastWidth, int& lastHeight,
                                     Bitmap& shown) {
  Bitmap image;
  try {
    image = loader_(path);
  } catch (const FileError& e) {
    prompter.message(MessageKind::Error, e.text(language));
    return false;
  } catch (const std::exception& e) {
    prompter.message(MessageKind::Error, QString::fromStdString(e.what()));
    return false;
  }
  shown = image;  // handed to the still view once the walk ends
  QString w = width_, h = height_;
  growSizeText(w, lastWidth, image.width());
  growSizeText(h, lastHeight, image.height());
  setWidthText(w);
  setHeightText(h);
  return true;
}

void FrameListEditor::OpenImages(Prompter& prompter, const QString& defaultFolder, const QString& defaultDelay) {
  emit animationHideRequested();
  emit transparentColourReset();
  ClearGrid();
  const QString startDir = trimBlanks(defaultFolder).isEmpty() ? QString() : defaultFolder;
  QStringList files = prompter.openFileNames(qtFileFilter(OpenPictureFilter), startDir);
  if (files.isEmpty()) return;
  const int n = int(std::min<qsizetype>(files.size(), MaxFilesPerOpen));
  setCountText(QString::number(n));
  setFolderText(withTrailingSeparator(QDir::toNativeSeparators(QFileInfo(files.first()).path())));
  model_.setRowCount(n);
  int lastWidth = 0, lastHeight = 0;
  Bitmap shown;
  for (int i = 0; i < n; ++i) {
    model_.setRow(i, {QFileInfo(files.at(i)).fileName(), defaultDelay, QStringLiteral("0")});
    if (!loadAndMeasure(prompter, files.at(i), lastWidth, lastHeight, shown)) break;
  }
  if (!shown.empty()) {
    emit stillPictureChanged(shown);
    emit stillVisibleChanged(true);
  }
}

void FrameListEditor::SpeedButtonAddClick(Prompter& prompter, const QString& defaultFolder,
                                          const QString& defaultDelay) {
  const QString folder = trimBlanks(folder_);
  if (folder.isEmpty()) {
    OpenImages(prompter, defaultFolder, defaultDelay);
    return;
  }
  const int first = model_.rowCount();
  const QStringList files = prompter.openFileNames(qtFileFilter(OpenPictureFilter), folder);
  if (!files.isEmpty()) {
    const int n = int(std::min<qsizetype>(files.size(), MaxFilesPerOpen));
    model_.setRowCount(first + n);
    // Frames of one list share one folder; files from elsewhere start a new list.
    const QString listFolder = withTrailingSeparator(folder);
    for (int i = 0; i < n; ++i) {
      const QFileInfo info(files.at(i));
      const QString fileFolder = withTrailingSeparator(QDir::toNativeSeparators(info.path()));
      if (fileFolder != listFolder) {
        OpenImages(prompter, defaultFolder, defaultDelay);
        return;
      }
      model_.setRow(first + i, {info.fileName(), defaultDelay, QStringLiteral("0")});
    }
  }
  setCountText(QString::number(model_.rowCount()));
}

void FrameListEditor::SpeedButtonDelClick(Prompter& prompter) {
  const int current = currentRow();
  if (current < 0) return;
  auto [top, bottom] = selectedRange();
  if (top < 0 || bottom <= top) top = bottom = current;
  emit stillPictureChanged(Bitmap());
  for (int i = top; i <= bottom; ++i) RemoveRow(top);
  setCountText(QString::number(model_.rowCount()));
  RefreshSizeFromFrames(prompter);
}

void FrameListEditor::RemoveRow(int index) {
  model_.removeRowAt(index);
  const int current = currentRow();
  if (current < 0) return;
  const QString path = framePath(current);
  if (!model_.cell(current, Col::FileColumn).isEmpty() && QFileInfo(path).isFile()) {
    // Only a preview: a picture that does not load leaves the view as it was.
    try {
      emit stillPictureChanged(loader_(path));
    } catch (const std::exception&) {
    }
  }
}

void FrameListEditor::RefreshSizeFromFrames(Prompter& prompter) {
  setWidthText({});
  setHeightText({});
  emit stillVisibleChanged(false);
  const QString folder = withTrailingSeparator(trimBlanks(folder_));
  int lastWidth = 0, lastHeight = 0;
  Bitmap shown;
  for (int r = 0; r < model_.rowCount(); ++r) {
    const QString name = model_.cell(r, Col::FileColumn);
    if (name.isEmpty()) continue;
    if (!loadAndMeasure(prompter, folder + name, lastWidth, lastHeight, shown)) break;
  }
  if (!shown.empty()) emit stillPictureChanged(shown);
}

void FrameListEditor::SpeedButtonUpClick() {
  const int r = currentRow();
  if (r <= 0) return;
  model_.swapRows(r, r - 1);
  setCurrentRow(r - 1);
}

void FrameListEditor::SpeedButtonDownClick() {
  const int r = currentRow();
  if (r < 0 || r >= model_.rowCount() - 1) return;
  model_.swapRows(r, r + 1);
  setCurrentRow(r + 1);
}

void FrameListEditor::SpeedButton2Click() {
  ClearGrid();
  emit stillPictureChanged(Bitmap());
  emit animationClearRequested();
  emit transparentColourReset();
}

bool FrameListEditor::StringGrid1DblClick(const std::function<FrameOptionsAnswer(const QString&)>& ask) {
  const int r = currentRow();
  if (r < 0 || !model_.inUse(r)) return false;
  int disposal = toInt(model_.cell(r, Col::DisposalColumn)).value_or(0);
  const FrameOptionsAnswer answer = ask(model_.cell(r, Col::DelayColumn));
  if (answer.newDisposal >= 0) disposal = answer.newDisposal;
  if (answer.curDelay != 0) {
    const QString t = QString::number(answer.curDelay);
    if (answer.forAll) {
      for (int i = 0; i < model_.rowCount(); ++i)
        if (model_.inUse(i)) model_.setCell(i, Col::DelayColumn, t);
    } else {
      model_.setCell(r, Col::DelayColumn, t);
    }
  }
  model_.setCell(r, Col::DisposalColumn, QString::number(disposal));
  return true;
}

} // namespace framora
