#pragma once
// Message texts that other commands show, switched with the interface language, and the
// language decision from the system's language name.
#include <QString>

namespace framora {

struct MessageTexts {
  QString TextNoAnimationLoaded;
  QString TextStaticGif;
  QString TextInvalidFormat;
  QString TextNoImageFiles;
  QString TextFramesSavedIn;  // followed directly by the folder name
};

// 0 German, anything else English.
MessageTexts MessageTextsFor(int language);


// Only the exact, case-sensitive word "Deutsch" in the system language name means German.
inline bool SystemNameMeansGerman(const QString& systemLanguageName) {
  return systemLanguageName.contains(QStringLiteral("Deutsch"), Qt::CaseSensitive);
}

} // namespace framora
