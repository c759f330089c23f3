#include "app/Settings.h"

#include "platform/Convert.h"

#include <QFileInfo>

namespace framora {

void LoadSettings(AppState& state, TextBuffer& memoIni, const QString& temporaryFolder) {
  if (state.SettingsFile.isEmpty() || !QFileInfo::exists(state.SettingsFile)) return;
  memoIni.load(state.SettingsFile);
  state.DefaultFolder = trimBlanks(memoIni.line(1));
  state.DefaultDelay = trimBlanks(memoIni.line(2));
  state.LangEnglish = toInt(memoIni.line(0)).value_or(1);
  if (trimBlanks(state.DefaultFolder).isEmpty()) state.DefaultFolder = temporaryFolder;
}

void SaveSettings(const AppState& state, TextBuffer& memoIni) {
  memoIni.lines = {QString::number(state.LangEnglish), state.DefaultFolder, state.DefaultDelay};
  memoIni.save(state.SettingsFile);
}

} // namespace framora
