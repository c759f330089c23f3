// Template files: folder line, one "file;delay;disposal" line per grid row, then
// "width;height;count".
#include "framelist/FrameListEditor.h"
#include "framelist/SplitFields.h"
#include "platform/Convert.h"
#include "platform/FileFilter.h"
#include "platform/Prompter.h"

#include <QFileInfo>

namespace framora {

using Col = FrameListModel::Column;

static const QString kSaveTemplateFilter = QStringLiteral("Template data|*.csv");
static const QString kOpenTemplateFilter = QStringLiteral("Template data|*.csv|All|*.*");

QStringList FrameListEditor::TemplateLines() const {
  QStringList lines;
  lines.append(trimBlanks(folder_));
  for (int r = 0; r < model_.rowCount(); ++r)
    lines.append(model_.cell(r, Col::FileColumn) + u';' + model_.cell(r, Col::DelayColumn) + u';' +
                 model_.cell(r, Col::DisposalColumn));
  lines.append(width_ + u';' + height_ + u';' + count_);
  return lines;
}

void FrameListEditor::SaveTemplate(Prompter& prompter, const QString& defaultFolder) {
  memoDaten_.clear();
  if (trimBlanks(folder_).isEmpty()) {
    prompter.message(MessageKind::Error, QStringLiteral("No data path!"));
    return;
  }
  memoDaten_.lines = TemplateLines();
  QString name = prompter.saveFileName(qtFileFilter(kSaveTemplateFilter), defaultFolder,
                                       QStringLiteral("template.csv"));
  if (name.isEmpty()) return;
  if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".csv");
  try {
    memoDaten_.save(name);
  } catch (const FileError& e) {
    prompter.message(MessageKind::Error, e.text(language));
  }
}

QString FrameListEditor::LoadTemplateLines(const QStringList& lines) {
  const int n = int(lines.size());
  if (n == 0) return {};
  ClearGrid();
  model_.setRowCount(n - 2);
  for (int i = 0; i < n; ++i) {
    if (i == 0) {
      setFolderText(lines.at(0));
    } else if (i < n - 1) {
      const QStringList f = SplitFields(u';', lines.at(i));
      if (f.size() < 3)
        return QStringLiteral("Line %1 of the template has %2 of the 3 fields file;delay;mode: \"%3\"")
            .arg(i + 1)
            .arg(f.size())
            .arg(lines.at(i));
      model_.setRow(i - 1, {f.at(0), f.at(1), f.at(2)});
    } else {
      const QStringList f = SplitFields(u';', lines.at(i));
      if (f.size() < 2)
        return QStringLiteral("The last line of the template has %1 of the 2 fields width;height: \"%2\"")
            .arg(f.size())
            .arg(lines.at(i));
      setWidthText(f.at(0));
      setHeightText(f.at(1));
      setCountText(QString::number(n - 2));
    }
  }
  return {};
}

void FrameListEditor::LoadTemplate(Prompter& prompter, const QString& defaultFolder) {
  memoDaten_.clear();
  const QString name = prompter.openFileName(qtFileFilter(kOpenTemplateFilter), defaultFolder);
  if (name.isEmpty()) return;
  try {
    memoDaten_.load(name);
  } catch (const FileError& e) {
    prompter.message(MessageKind::Error, e.text(language));
    return;
  }
  const QString error = LoadTemplateLines(memoDaten_.lines);
  if (!error.isEmpty()) prompter.message(MessageKind::Error, error);
}

} // namespace framora
