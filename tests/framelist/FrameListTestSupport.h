#pragma once
#include "framelist/FrameListEditor.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace framora::test {

// A picture file of the given size.
inline QString writePicture(const QString& path, int w, int h, QRgb colour = qRgb(90, 110, 150)) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  EXPECT_TRUE(image.save(path, "BMP"));
  return path;
}

inline QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// The file names of all rows, empty rows included.
inline QStringList fileColumn(const FrameListModel& m) {
  QStringList out;
  for (int r = 0; r < m.rowCount(); ++r) out.append(m.cell(r, FrameListModel::FileColumn));
  return out;
}

struct EditorFixture : ::testing::Test {
  QTemporaryDir dir;
  FrameListEditor editor;
  ScriptedPrompter prompter;
  QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
  // Opens pictures named by `names` (all 10 x 10 unless made before).
  void openFiles(const QStringList& names) {
    QStringList files;
    for (const QString& n : names) {
      if (!QFile::exists(path(n))) writePicture(path(n), 10, 10);
      files.append(path(n));
    }
    prompter.openAnswers.enqueue(files);
    editor.OpenImages(prompter, QString(), QStringLiteral("500"));
  }
};

} // namespace framora::test
