#pragma once
// Folders of the desktop the program uses, and folder texts with their trailing separator.
#include <QString>

namespace framora {

// The native separator; folder texts the program builds end with it.
QChar pathSeparator();

// `folder` with a separator appended unless it is empty or already ends with one.
QString withTrailingSeparator(const QString& folder);

// Where per-user settings live (~/.config), without a trailing separator; empty when unknown.
QString applicationDataFolder();
// applicationDataFolder() + "/gifanidat/".
QString settingsFolder();
// The user's Documents folder, without a trailing separator.
QString documentsFolder();
// The temporary folder for the program's own files (frames, preview page), without a trailing
// separator: private to the user (mode 0700), $XDG_RUNTIME_DIR/framora, else <tmp>/framora-<uid>,
// else a fresh folder kept while the program runs; the shared temporary folder only when none
// of these can be made.
QString temporaryFolder();

// File name of the running executable without its folder, and its folder with a separator.
QString executableFileName();
QString executableFolder();

// The name of the system's default language in that language ("Deutsch", "English", ...).
QString GetSystemLanguageName();

} // namespace framora
