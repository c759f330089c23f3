#pragma once
// Shared pieces of the production tests: picture files in a temporary folder, a frame list,
// a scripted prompter, and a redirected temporary folder.
#include "codec/BmpFile.h"
#include "framelist/FrameListModel.h"
#include "support/ScriptedPrompter.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace framora::test {

inline std::string local(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A true-colour picture with smooth gradients and some noise (many colours).
inline Bitmap TrueColourPicture(int w, int h, int seed) {
  Bitmap b(w, h, 24);
  unsigned state = 0x9E3779B9u * static_cast<unsigned>(seed + 1);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = b.row(y);
    for (int x = 0; x < w; ++x) {
      state = state * 1664525u + 1013904223u;
      row[3 * x] = static_cast<std::uint8_t>(x * 255 / std::max(1, w - 1));
      row[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / std::max(1, h - 1));
      row[3 * x + 2] = static_cast<std::uint8_t>((seed * 40 + (state >> 27)) & 0xFF);
    }
  }
  return b;
}

// An 8-bit picture with a full table of 256 colours, none of them cream.
inline Bitmap FullPalettePicture(int w, int h, int bottomLeftIndex) {
  Bitmap b(w, h, 8);
  for (int i = 0; i < 256; ++i)
    b.palette().push_back(Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                              static_cast<std::uint8_t>(i / 2)});
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.row(y)[x] = static_cast<std::uint8_t>((x * 7 + y * 13) & 0xFF);
  b.row(h - 1)[0] = static_cast<std::uint8_t>(bottomLeftIndex);
  return b;
}

// Points QDir::tempPath() at another folder for the test's lifetime; the program's private
// temporary folder (platform's temporaryFolder()) then lies below it.
class TempPathOverride {
public:
  explicit TempPathOverride(const QString& folder)
      : old_(qgetenv("TMPDIR")), oldRuntime_(qgetenv("XDG_RUNTIME_DIR")), had_(qEnvironmentVariableIsSet("TMPDIR")),
        hadRuntime_(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
    qputenv("TMPDIR", QFile::encodeName(folder));
    qunsetenv("XDG_RUNTIME_DIR");
  }
  ~TempPathOverride() {
    if (had_) qputenv("TMPDIR", old_);
    else qunsetenv("TMPDIR");
    if (hadRuntime_) qputenv("XDG_RUNTIME_DIR", oldRuntime_);
  }

private:
  QByteArray old_, oldRuntime_;
  bool had_, hadRuntime_;
};

class ProductionTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  ScriptedPrompter prompter;

  QString path(const QString& name) const { return dir.filePath(name); }
  QString writeBmp(const QString& name, const Bitmap& b) const {
    SaveBmpFile(b, local(path(name)));
    return name;
  }
  static void setRows(FrameListModel& model, const std::vector<FrameRow>& rows) {
    model.clearCells();
    model.setRowCount(std::max<int>(int(rows.size()), 1));
    for (int i = 0; i < int(rows.size()); ++i) model.setRow(i, rows[std::size_t(i)]);
  }
  static QByteArray bytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
};

} // namespace framora::test
