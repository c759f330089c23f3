#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace framora {

QChar pathSeparator() { return QDir::separator(); }

QString withTrailingSeparator(const QString& folder) {
  if (folder.isEmpty() || folder.endsWith(pathSeparator()) || folder.endsWith(u'/')) return folder;
  return folder + pathSeparator();
}

static QString withoutTrailingSeparator(QString folder) {
  while (folder.size() > 1 && (folder.endsWith(u'/') || folder.endsWith(pathSeparator()))) folder.chop(1);
  return folder;
}

QString applicationDataFolder() {
  return QDir::toNativeSeparators(
      withoutTrailingSeparator(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));
}

QString settingsFolder() {
  return applicationDataFolder() + pathSeparator() + QStringLiteral("gifanidat") + pathSeparator();
}

QString documentsFolder() {
  return QDir::toNativeSeparators(
      withoutTrailingSeparator(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)));
}

namespace {

// A folder only this user can enter: a directory of ours, no link, mode 0700.
bool isPrivateFolder(const QByteArray& path) {
  struct stat st {};
  return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
         (st.st_mode & 077) == 0;
}

bool makePrivateFolder(const QByteArray& path) {
  if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
  return isPrivateFolder(path);
}

QString privateTemporaryFolder() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && isPrivateFolder(runtime)) {
    const QByteArray path = runtime + "/framora";
    if (makePrivateFolder(path)) return QFile::decodeName(path);
  }
  const QByteArray tmp = QFile::encodeName(withoutTrailingSeparator(QDir::tempPath()));
  const QByteArray perUser = tmp + "/framora-" + QByteArray::number(::getuid());
  if (makePrivateFolder(perUser)) return QFile::decodeName(perUser);
  // Someone else holds that name: a fresh folder, removed when the program ends.
  static std::mutex mutex;
  static std::unique_ptr<QTemporaryDir> fresh;
  const std::lock_guard lock(mutex);
  if (!fresh || !isPrivateFolder(QFile::encodeName(fresh->path())))
    fresh = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/framora-XXXXXX"));
  if (fresh->isValid() && isPrivateFolder(QFile::encodeName(fresh->path()))) return fresh->path();
  return QString();
}

} // namespace

QString temporaryFolder() {
  const QString folder = privateTemporaryFolder();
  return QDir::toNativeSeparators(folder.isEmpty() ? withoutTrailingSeparator(QDir::tempPath()) : folder);
}

QString executableFileName() { return QFileInfo(QCoreApplication::applicationFilePath()).fileName(); }

QString executableFolder() {
  return withTrailingSeparator(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

QString GetSystemLanguageName() { return QLocale::system().nativeLanguageName().left(256); }

} // namespace framora
