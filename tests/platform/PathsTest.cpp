// The program's temporary folder: private to the user, never a folder somebody else planted.
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace framora;

namespace {

class EnvOverride {
public:
  EnvOverride(const char* name, const QByteArray& value) : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
    if (value.isNull()) qunsetenv(name);
    else qputenv(name, value);
  }
  ~EnvOverride() {
    if (had_) qputenv(name_, old_);
    else qunsetenv(name_);
  }

private:
  const char* name_;
  QByteArray old_;
  bool had_;
};

int modeOf(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

const QString kPerUser = QStringLiteral("framora-%1").arg(::getuid());

} // namespace

TEST(TemporaryFolder, IsPrivateAndNeverOneSomebodyPlanted) {
  QTemporaryDir runtime, tmp, elsewhere;
  ASSERT_TRUE(runtime.isValid() && tmp.isValid() && elsewhere.isValid());
  ::chmod(QFile::encodeName(runtime.path()).constData(), 0700);
  const EnvOverride tmpdir("TMPDIR", QFile::encodeName(tmp.path()));

  {  // The session's runtime folder comes first.
    const EnvOverride xdg("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    EXPECT_EQ(temporaryFolder(), runtime.filePath("framora"));
    EXPECT_EQ(modeOf(temporaryFolder()), 0700);
  }
  const EnvOverride noXdg("XDG_RUNTIME_DIR", QByteArray());
  EXPECT_EQ(temporaryFolder(), tmp.filePath(kPerUser));
  EXPECT_EQ(modeOf(temporaryFolder()), 0700);

  // A link or an open folder under the per-user name is not taken.
  struct Planted {
    const char* what;
    std::function<void(const QString&)> plant;
  } planted[] = {
      {"symbolic link", [&](const QString& p) { QFile::link(elsewhere.path(), p); }},
      {"folder open to all", [](const QString& p) {
         QDir().mkdir(p);
         ::chmod(QFile::encodeName(p).constData(), 0777);
       }},
  };
  for (const Planted& c : planted) {
    SCOPED_TRACE(c.what);
    QTemporaryDir other;
    const EnvOverride otherTmp("TMPDIR", QFile::encodeName(other.path()));
    c.plant(other.filePath(kPerUser));
    const QString folder = temporaryFolder();
    EXPECT_NE(folder, other.filePath(kPerUser));
    EXPECT_NE(QFileInfo(folder).canonicalFilePath(), QFileInfo(elsewhere.path()).canonicalFilePath());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(modeOf(folder), 0700);
  }
}
