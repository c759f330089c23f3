#pragma once
// Message texts that other commands show, switched with the interface language, and the
// language decision from the system's language name.
#include "production/ProductionTexts.h"

#include <QString>

namespace framora {

// The switched message texts live beside the commands that show them.
using MessageTexts = ProductionTexts;

// 0 German, anything else English.
inline MessageTexts MessageTextsFor(int language) { return ProductionTextsFor(language); }

// Only the exact, case-sensitive word "Deutsch" in the system language name means German.
inline bool SystemNameMeansGerman(const QString& systemLanguageName) {
  return systemLanguageName.contains(QStringLiteral("Deutsch"), Qt::CaseSensitive);
}

} // namespace framora
