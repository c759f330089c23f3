#pragma once
// The texts the GIF production commands show. The switched ones come in both interface
// languages (0 German, anything else English); the rest are English in both.
#include <QString>

#include <exception>

namespace framora {

struct ProductionTexts {
  QString TextNoAnimationLoaded;
  QString TextStaticGif;
  QString TextInvalidFormat;
  QString TextNoImageFiles;
  QString TextFramesSavedIn;  // followed directly by the folder
  QString TextSizeNoNumber;   // %1 width text, %2 height text
};

ProductionTexts ProductionTextsFor(int language);

// An error in the interface language where the text is the program's: a codec file error
// becomes a sentence naming its file; any other error keeps its own text.
QString ErrorText(const std::exception& error, int language);
// ErrorText with "path: " before it unless it names the file already.
QString ErrorTextNaming(const std::exception& error, const QString& path, int language);

namespace prodmsg {
inline const QString MinimumDelay = QStringLiteral("Minimum delay 10ms!");
inline const QString MaximumDelay = QStringLiteral("Maximum delay 5000ms!");
inline const QString InvalidDelay = QStringLiteral("Invalid frame delay!");
inline const QString CreatingGif = QStringLiteral("Creating animated GIF");
inline const QString ErrorBackcolorIndex = QStringLiteral("Error backcolor index!");
inline const QString InvalidAnimationFile = QStringLiteral("Invalid animation file!");
inline const QString CouldNotOpenWebpage = QStringLiteral("Could not open webpage!");
inline const QString ErrorCaption = QStringLiteral("Error");
} // namespace prodmsg

} // namespace framora
