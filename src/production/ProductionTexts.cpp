#include "production/ProductionTexts.h"

#include "codec/Error.h"
#include "platform/TextFile.h"

namespace framora {

ProductionTexts ProductionTextsFor(int language) {
  if (language != 0)
    return {QStringLiteral("No animation loaded!"),
            QStringLiteral("This file seems to be a static not an animated Gif!"),
            QStringLiteral("Invalid file format!"), QStringLiteral("No image files loaded!"),
            QStringLiteral("Frames saved in: "),
            QStringLiteral("Width and height must be whole numbers, not \"%1\" x \"%2\"!")};
  return {QStringLiteral("Keine Animation geladen!"),
          QStringLiteral("Diese Datei scheint ein statisches, kein animertes Gif zu sein!"),
          QStringLiteral("Ung\u00fcltiges Dateiformat!"), QStringLiteral("Keine Bilddateien geladen!"),
          QStringLiteral("Einzelbilder gespeichert unter: "),
          QStringLiteral("Breite und H\u00f6he m\u00fcssen ganze Zahlen sein, nicht \u201e%1\u201c x \u201e%2\u201c!")};
}

QString ErrorText(const std::exception& error, int language) {
  if (const auto* file = dynamic_cast<const CodecFileError*>(&error))
    return QString::fromUtf8(file->text(language != 0).c_str());
  if (const auto* file = dynamic_cast<const FileError*>(&error)) return file->text(language);
  return QString::fromUtf8(error.what());
}

QString ErrorTextNaming(const std::exception& error, const QString& path, int language) {
  const QString text = ErrorText(error, language);
  if (text.isEmpty()) return QStringLiteral("Cannot load %1").arg(path);
  return text.contains(path) ? text : QStringLiteral("%1: %2").arg(path, text);
}

} // namespace framora
