#include "app/Help.h"

#include "platform/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace framora {

QString HelpFileName(int langEnglish) {
  return langEnglish != 0 ? QStringLiteral("framorae.html") : QStringLiteral("framorad.html");
}

QString HelpFilePath(int langEnglish, const QString& programFolder) {
  const QDir folder(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder);
  const QString beside = folder.filePath(HelpFileName(langEnglish));
  if (QFileInfo::exists(beside)) return beside;
  const QString installed =
      QDir::cleanPath(folder.filePath(QStringLiteral("../share/framora/help/") + HelpFileName(langEnglish)));
  if (QFileInfo::exists(installed)) return installed;
  return beside;
}

QString HelpAnchor(int context) {
  switch (context) {
  case HelpContextSettings:
  case HelpContextMainWindow:
  case HelpContextFrameOptions:
  case HelpContextVideo:
  case HelpContextContents:
    return QStringLiteral("context-") + QString::number(context);
  default:
    return {};
  }
}

QString HelpUrl(const QString& helpFile, int context) {
  QUrl url = QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath());
  const QString anchor = HelpAnchor(context);
  if (!anchor.isEmpty()) url.setFragment(anchor);
  return url.toString(QUrl::FullyEncoded);
}

bool OpenHelp(Prompter& prompter, const QString& helpFile, int context, int langEnglish) {
  const bool english = langEnglish != 0;
  if (!QFileInfo(helpFile).isFile()) {
    prompter.message(MessageKind::Warning,
                     (english ? QStringLiteral("Help file not found: ") : QStringLiteral("Hilfedatei nicht gefunden: ")) +
                         QDir::toNativeSeparators(helpFile),
                     english ? QStringLiteral("Help") : QStringLiteral("Hilfe"));
    return false;
  }
  if (prompter.openUrl(HelpUrl(helpFile, context))) return true;
  prompter.message(MessageKind::Warning,
                   english ? QStringLiteral("Could not open the help in the web browser.")
                           : QStringLiteral("Die Hilfe konnte nicht im Webbrowser ge\u00f6ffnet werden."),
                   english ? QStringLiteral("Help") : QStringLiteral("Hilfe"));
  return false;
}

bool OpenHelp(Prompter& prompter, int context, int langEnglish) {
  return OpenHelp(prompter, HelpFilePath(langEnglish), context, langEnglish);
}

} // namespace framora
