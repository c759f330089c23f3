#pragma once
// The frame list's editing commands. The main window owns one editor, shows its model in the
// grid (sharing the selection model) and mirrors the four companion texts into its edits:
// the frame folder (EditPfad), width, height and frame count. What the commands do to the
// preview is reported by signals; dialogs and messages go through a Prompter.
#include "codec/Bitmap.h"
#include "framelist/FrameListModel.h"
#include "platform/TextFile.h"

#include <QItemSelectionModel>
#include <QObject>

#include <functional>

namespace framora {

class Prompter;

// Loads a picture file as 24-bit RGB; throws (FileError or another std::exception) when it cannot.
using PictureLoader = std::function<Bitmap(const QString& path)>;
// The default loader: the codec's picture loader (format chosen by the extension, a name
// without one by the first bytes), a GIF on its logical screen. Errors carry the file's path
// and the loader's message.
Bitmap loadPicture(const QString& path);

// What the frame options dialog answered: a delay (0 = keep), a disposal (-1 = keep) and
// whether the delay goes to all frames.
struct FrameOptionsAnswer {
  int curDelay = 0;
  int newDisposal = -1;
  bool forAll = false;
};

class FrameListEditor : public QObject {
  Q_OBJECT
public:
  static constexpr int MaxFilesPerOpen = 500;
  // Entries of the open-images dialog.
  static const QString OpenPictureFilter;

  explicit FrameListEditor(QObject* parent = nullptr);

  FrameListModel& model() { return model_; }
  const FrameListModel& model() const { return model_; }
  QItemSelectionModel& selection() { return selection_; }
  void setPictureLoader(PictureLoader loader) { loader_ = std::move(loader); }
  // Loads through the current loader; throws like it.
  Bitmap picture(const QString& path) const { return loader_(path); }

  // The interface language of the editor's messages (0 German, anything else English).
  int language = 1;

  // Companion texts.
  QString folderText() const { return folder_; }
  QString widthText() const { return width_; }
  QString heightText() const { return height_; }
  QString countText() const { return count_; }
  void setFolderText(const QString& t);
  void setWidthText(const QString& t);
  void setHeightText(const QString& t);
  void setCountText(const QString& t);

  // The frame folder: the folder text trimmed, with a separator appended when missing.
  QString frameFolder() const;
  QString framePath(int row) const { return frameFolder() + model_.cell(row, FrameListModel::FileColumn); }

  // Current row, -1 when none.
  int currentRow() const;
  // Makes a row current by program; this counts as a click on it (rowMadeCurrent).
  void setCurrentRow(int row);
  // First and last selected row; both -1 when nothing is selected.
  std::pair<int, int> selectedRange() const;

  // Commands.
  void ClearGrid();
  void OpenImages(Prompter& prompter, const QString& defaultFolder, const QString& defaultDelay);
  void SpeedButtonAddClick(Prompter& prompter, const QString& defaultFolder, const QString& defaultDelay);
  void SpeedButtonDelClick(Prompter& prompter);
  void RemoveRow(int index);
  void RefreshSizeFromFrames(Prompter& prompter);
  void SpeedButtonUpClick();
  void SpeedButtonDownClick();
  void SpeedButton2Click();
  // Frame options for the current row; `ask` shows the dialog with the row's delay text.
  // Returns false when there was nothing to open it for.
  bool StringGrid1DblClick(const std::function<FrameOptionsAnswer(const QString& delayText)>& ask);

  // Template files.
  void SaveTemplate(Prompter& prompter, const QString& defaultFolder);
  void LoadTemplate(Prompter& prompter, const QString& defaultFolder);
  // The lines a save would write, and loading from lines already read; LoadTemplateLines
  // returns an error text when a line has too few fields (empty when all went well).
  QStringList TemplateLines() const;
  QString LoadTemplateLines(const QStringList& lines);
  TextBuffer& templateBuffer() { return memoDaten_; }

signals:
  void fieldsChanged();
  // The still view's picture; an empty one removes it.
  void stillPictureChanged(const framora::Bitmap& picture);
  void stillVisibleChanged(bool visible);
  void animationHideRequested();
  void animationClearRequested();
  void transparentColourReset();
  void rowMadeCurrent(int row);

private:
  // Loads a picture into `shown` and widens the size edits; false after an error was shown.
  bool loadAndMeasure(Prompter& prompter, const QString& path, int& lastWidth, int& lastHeight, Bitmap& shown);
  static void growSizeText(QString& text, int& lastHeld, int value);

  FrameListModel model_;
  QItemSelectionModel selection_;
  PictureLoader loader_ = loadPicture;
  QString folder_, width_, height_, count_;
  TextBuffer memoDaten_;
};

} // namespace framora
