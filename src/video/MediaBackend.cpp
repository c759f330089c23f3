#include "video/MediaBackend.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <QString>
#include <QtGlobal>

#include <mutex>

namespace framora {

namespace {

QtMessageHandler previousHandler = nullptr;

// Qt's FFmpeg backend prints a debug line when it starts; nothing the user can act on.
void filterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtDebugMsg && message.startsWith(QLatin1String(">>>> listing codecs"))) return;
  if (previousHandler) previousHandler(type, context, message);
}

// The plug-in whose metadata names `backend` among its keys, loaded; false when there is none.
bool loadBackendPlugin(const QString& backend) {
  for (const QString& root : QCoreApplication::libraryPaths()) {
    const QDir dir(root + QStringLiteral("/multimedia"));
    for (const QString& file : dir.entryList(QDir::Files)) {
      QPluginLoader loader(dir.filePath(file));
      const QJsonArray keys = loader.metaData().value(QStringLiteral("MetaData")).toObject().value(QStringLiteral("Keys")).toArray();
      for (const auto& key : keys)
        if (key.toString().compare(backend, Qt::CaseInsensitive) == 0 && loader.load()) return true;
    }
  }
  return false;
}

} // namespace

void ChooseMediaBackend() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    previousHandler = qInstallMessageHandler(filterMessages);
  });
}

bool MediaBackendAvailable() {
  ChooseMediaBackend();
  static const bool available = loadBackendPlugin(qEnvironmentVariable("QT_MEDIA_BACKEND"));
  return available;
}

} // namespace framora
