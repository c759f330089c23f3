#include "production/ProductionTexts.h"

#include "codec/Error.h"

#include <QFile>

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
  const auto* file = dynamic_cast<const CodecFileError*>(&error);
  if (!file) return QString::fromUtf8(error.what());
  using Kind = CodecFileError::Kind;
  const auto pick = [language](const char* english, const char* german) {
    return QString::fromUtf8(language != 0 ? english : german);
  };
  QString text;
  switch (file->kind()) {
  case Kind::Open: text = pick("Cannot open file \"%1\".", "Datei \"%1\" kann nicht geöffnet werden."); break;
  case Kind::Read: text = pick("Cannot read file \"%1\".", "Datei \"%1\" kann nicht gelesen werden."); break;
  case Kind::Create: text = pick("Cannot create file \"%1\".", "Datei \"%1\" kann nicht erstellt werden."); break;
  case Kind::Write: text = pick("Cannot write file \"%1\".", "Datei \"%1\" kann nicht geschrieben werden."); break;
  case Kind::NotRegular: text = pick("\"%1\" is not a regular file.", "\"%1\" ist keine reguläre Datei."); break;
  case Kind::TooLarge: text = pick("The file \"%1\" is too large.", "Die Datei \"%1\" ist zu groß."); break;
  }
  text = text.arg(QFile::decodeName(file->path().c_str()));
  // The system's reason, in the system's language.
  if (!file->reason().empty()) text += u' ' + QString::fromLocal8Bit(file->reason().c_str());
  return text;
}

} // namespace framora
