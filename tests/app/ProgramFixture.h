#pragma once
// The whole program as main() assembles it, in a temporary home: no start screen, no update
// check, English, frames split into frames/. Base is ::testing::Test or a TestWithParam.
#include "app/Program.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace framora::test {

template <class Base = ::testing::Test>
class ProgramFixture : public Base {
protected:
  QTemporaryDir root;
  ScriptedPrompter prompter;
  std::unique_ptr<Program> program;

  QString path(const QString& name) const { return root.filePath(name); }

  void SetUp() override {
    saved_ = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME"), qgetenv("TMPDIR")};
    for (const char* d : {"home", "config", "tmp", "pics", "frames", "out"}) QDir().mkpath(path(d));
    qputenv("HOME", path("home").toUtf8());
    qputenv("XDG_CONFIG_HOME", path("config").toUtf8());
    qputenv("TMPDIR", path("tmp").toUtf8());
    program = std::make_unique<Program>(prompter);
    FormGif& f = program->formGif();
    // No six-second start screen and no network in tests.
    f.hooks.showStartScreen = [](int) {};
    f.hooks.checkForUpdate = [] {};
    f.setSystemLanguageSource([] { return QStringLiteral("English"); });
    f.show();
    f.state().DefaultFolder = path("frames");
  }

  void TearDown() override {
    program.reset();
    const char* names[] = {"HOME", "XDG_CONFIG_HOME", "TMPDIR"};
    for (int i = 0; i < 3; ++i) {
      if (saved_[i].isNull()) qunsetenv(names[i]);
      else qputenv(names[i], saved_[i]);
    }
  }

  FormGif& form() { return program->formGif(); }

private:
  std::array<QByteArray, 3> saved_;
};

} // namespace framora::test
