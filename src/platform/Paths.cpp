#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

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

QString temporaryFolder() { return QDir::toNativeSeparators(withoutTrailingSeparator(QDir::tempPath())); }

QString executableFileName() { return QFileInfo(QCoreApplication::applicationFilePath()).fileName(); }

QString executableFolder() {
  return withTrailingSeparator(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

QString GetSystemLanguageName() { return QLocale::system().nativeLanguageName().left(256); }

} // namespace framora
