#pragma once
// Help: one HTML page per language beside the program, opened at the topic of a context
// number in the desktop's browser.
#include <QString>

namespace framora {

class Prompter;

// Context numbers of the help topics.
inline constexpr int HelpContextSettings = 0;      // F1 in the settings dialog
inline constexpr int HelpContextMainWindow = 1;    // F1 in the main window
inline constexpr int HelpContextFrameOptions = 3;  // F1 in the frame options dialog
inline constexpr int HelpContextVideo = 4;         // F1 in the video window
inline constexpr int HelpContextContents = 100;    // menu Options > Help

// "framorae.html" (English, language non-zero) or "framorad.html" (German, 0).
QString HelpFileName(int langEnglish);

// The help file of a language: in the program's folder (programFolder, or the folder of the
// running executable when empty), or where `cmake --install` puts it
// (<prefix>/share/framora/help beside <prefix>/bin). When neither exists, the path in the
// program's folder.
QString HelpFilePath(int langEnglish, const QString& programFolder = {});

// Anchor of a topic in the page, e.g. "context-100"; empty for a number without a topic.
QString HelpAnchor(int context);

// file:// address of the help file at the topic of a context number.
QString HelpUrl(const QString& helpFile, int context);

// Opens helpFile at the topic of context. A missing file is reported in the interface
// language (0 German, else English), as is a browser that cannot be started.
bool OpenHelp(Prompter& prompter, const QString& helpFile, int context, int langEnglish);

// Same, with the help file of the language.
bool OpenHelp(Prompter& prompter, int context, int langEnglish);

} // namespace framora
