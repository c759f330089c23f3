#include "app/LanguageTexts.h"

namespace framora {

MessageTexts MessageTextsFor(int language) {
  if (language != 0)
    return {QStringLiteral("No animation loaded!"),
            QStringLiteral("This file seems to be a static not an animated Gif!"),
            QStringLiteral("Invalid file format!"), QStringLiteral("No image files loaded!"),
            QStringLiteral("Frames saved in: ")};
  return {QStringLiteral("Keine Animation geladen!"),
          QStringLiteral("Diese Datei scheint ein statisches, kein animertes Gif zu sein!"),
          QStringLiteral("Ung\u00fcltiges Dateiformat!"), QStringLiteral("Keine Bilddateien geladen!"),
          QStringLiteral("Einzelbilder gespeichert unter: ")};
}

} // namespace framora
