#include "production/ProductionTexts.h"

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

} // namespace framora
