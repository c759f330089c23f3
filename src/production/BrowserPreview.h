#pragma once
// "Preview in browser": a one-line HTML page showing the GIF of status panel 0, written to
// the temporary folder and handed to the desktop's handler.
#include <QByteArray>
#include <QString>

namespace framora {

class Prompter;

// The page line for a GIF path. The path goes into the img element's src attribute as it
// is, with two kinds of escaping so that the page always shows exactly that file:
// '"', '<', '>' and '&' become HTML character references, and '%', '#', '?' and every
// character outside printable ASCII are percent-encoded (UTF-8), which a URL parser would
// otherwise read as escapes, a fragment or a query, or decode in the page's guessed charset.
QString PreviewPageLine(const QString& gifPath);
// The file's bytes: the line in UTF-8, no byte-order mark, no line break.
QByteArray PreviewPageBytes(const QString& gifPath);

// The path of the preview page: the temporary folder + "/preview.html".
QString PreviewHtmlPath();

// The command. statusPath is the text of status panel 0. Returns the page written
// (PreviewHtmlFile), or an empty text when nothing was written.
QString SpeedButtonBrowserClick(const QString& statusPath, int language, Prompter& prompter);

} // namespace framora
