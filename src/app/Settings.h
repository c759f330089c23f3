#pragma once
// The three user settings and the process-wide paths the main window owns, and the settings
// file: three lines (language, default folder, default delay), CR LF.
#include "platform/TextFile.h"

#include <QString>

namespace framora {

struct AppState {
  int LangEnglish = 1;  // 0 German, anything else English
  QString DefaultFolder;
  QString DefaultDelay = QStringLiteral("500");
  QString SettingsFile;
  QString ExeFileName;
  QString UpdateReplyFile;
  QString PreviewHtmlFile;
};

// Reads SettingsFile when it exists: folder and delay trimmed, then the language (a first line
// that is not a whole integer means English), then an empty folder becomes `temporaryFolder`.
// Nothing changes when the file does not exist. Throws FileError when it exists but cannot be read.
void LoadSettings(AppState& state, TextBuffer& memoIni, const QString& temporaryFolder);
// Writes the three values as held. Throws FileError.
void SaveSettings(const AppState& state, TextBuffer& memoIni);

} // namespace framora
