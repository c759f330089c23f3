#pragma once
// The real main window with its two dialogs, a scripted prompter and a private HOME,
// config home and temporary folder.
#include "app/FormConfig.h"
#include "app/FormFrage.h"
#include "app/FormGif.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QTableView>
#include <QToolButton>
#include <QPushButton>
#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

#include <memory>

#include <unistd.h>

namespace framora::test {

inline QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

inline QString writePicture(const QString& path, int w, int h, QRgb colour = qRgb(90, 110, 150)) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  EXPECT_TRUE(image.save(path, "BMP"));
  return path;
}

// Runs `action` once the next modal dialog's event loop is running.
inline void whenModal(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }

class AppFixture : public ::testing::Test {
protected:
  QTemporaryDir root;
  ScriptedPrompter prompter;
  std::unique_ptr<FormGif> form;
  FormConfig* config = nullptr;
  FormFrage* frage = nullptr;
  QString systemLanguage = QStringLiteral("English");
  QStringList calls;  // hooks called, in order

  QString home() const { return root.filePath("home"); }
  QString configHome() const { return root.filePath("config"); }
  QString tmpRoot() const { return root.filePath("tmp"); }  // TMPDIR
  // The program's private temporary folder below TMPDIR (made by the program, mode 0700).
  QString tmp() const { return tmpRoot() + QStringLiteral("/framora-%1").arg(::getuid()); }
  QString settingsPath() const { return configHome() + "/gifanidat/framora.ini"; }
  QString pics() const { return root.filePath("pics"); }
  QString pic(const QString& name) const { return pics() + "/" + name; }

  void SetUp() override {
    saved_[0] = qgetenv("HOME");
    saved_[1] = qgetenv("XDG_CONFIG_HOME");
    saved_[2] = qgetenv("TMPDIR");
    saved_[3] = qgetenv("XDG_RUNTIME_DIR");
    for (const QString& d : {home(), configHome(), tmpRoot(), pics()}) QDir().mkpath(d);
    setConfigHome(configHome());
    qputenv("HOME", home().toUtf8());
    qputenv("TMPDIR", tmpRoot().toUtf8());
    qunsetenv("XDG_RUNTIME_DIR");
  }

  void TearDown() override {
    form.reset();
    restore("HOME", saved_[0]);
    restore("XDG_CONFIG_HOME", saved_[1]);
    restore("TMPDIR", saved_[2]);
    restore("XDG_RUNTIME_DIR", saved_[3]);
  }

  static void setConfigHome(const QString& path) { qputenv("XDG_CONFIG_HOME", path.toUtf8()); }

  // Creates the windows in program order and shows the main window (the start sequence runs).
  void start() {
    form = std::make_unique<FormGif>(prompter);
    config = new FormConfig(prompter, form.get());
    frage = new FormFrage(prompter, form.get());
    form->setDialogs(config, frage);
    form->setSystemLanguageSource([this] { return systemLanguage; });
    form->hooks.showStartScreen = [this](int lang) { calls << QStringLiteral("start screen %1").arg(lang); };
    form->hooks.checkForUpdate = [this] { calls << "update check"; };
    form->hooks.showHelp = [this](int context) { calls << QStringLiteral("help %1").arg(context); };
    form->hooks.releaseCurrentGif = [this] { calls << "release gif"; };
    form->show();
  }

  // Opens pictures through the open button; names not made before become 10 x 10 pictures.
  void openPictures(const QStringList& names) {
    QStringList files;
    for (const QString& n : names) {
      if (!QFile::exists(pic(n))) writePicture(pic(n), 10, 10);
      files << QDir::toNativeSeparators(pic(n));
    }
    prompter.openAnswers.enqueue(files);
    form->SpeedButton1->click();
  }

  QStringList fileColumn() const {
    QStringList out;
    const auto& m = form->editor().model();
    for (int r = 0; r < m.rowCount(); ++r) out << m.cell(r, FrameListModel::FileColumn);
    return out;
  }

  void selectRows(int top, int bottom) {
    auto* sel = form->StringGrid1->selectionModel();
    auto* m = form->StringGrid1->model();
    sel->setCurrentIndex(m->index(top, 1), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    sel->select(QItemSelection(m->index(top, 1), m->index(bottom, 3)), QItemSelectionModel::Select);
  }

private:
  static void restore(const char* name, const QByteArray& value) {
    if (value.isNull()) qunsetenv(name);
    else qputenv(name, value);
  }
  QByteArray saved_[4];
};

} // namespace framora::test
