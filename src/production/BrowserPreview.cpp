#include "production/BrowserPreview.h"

#include "platform/Convert.h"
#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "platform/TextFile.h"
#include "production/ProductionTexts.h"

#include <QFileInfo>
#include <QThread>

namespace framora {

QString PreviewPageLine(const QString& gifPath) {
  QString src;
  const QByteArray utf8 = gifPath.toUtf8();
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
    case '"': src += QStringLiteral("&quot;"); break;
    case '<': src += QStringLiteral("&lt;"); break;
    case '>': src += QStringLiteral("&gt;"); break;
    case '&': src += QStringLiteral("&amp;"); break;
    case '%':
    case '#':
    case '?': src += QStringLiteral("%%1").arg(c, 2, 16, QLatin1Char('0')).toUpper(); break;
    default:
      if (c < 0x20 || c >= 0x7F)
        src += QStringLiteral("%%1").arg(c, 2, 16, QLatin1Char('0')).toUpper();
      else
        src += QLatin1Char(static_cast<char>(c));
    }
  }
  return QStringLiteral("<html><head><title>Preview</title></head><body><img src=\"") + src +
         QStringLiteral("\" /></body></html>");
}

QByteArray PreviewPageBytes(const QString& gifPath) { return PreviewPageLine(gifPath).toUtf8(); }

QString PreviewHtmlPath() { return temporaryFolder() + QStringLiteral("/preview.html"); }

QString SpeedButtonBrowserClick(const QString& statusPath, int language, Prompter& prompter) {
  const QString path = trimBlanks(statusPath);
  if (path.isEmpty()) {
    prompter.message(MessageKind::Warning, ProductionTextsFor(language).TextNoAnimationLoaded);
    return {};
  }
  const QString page = PreviewHtmlPath();
  try {
    writeFileReplacing(page, PreviewPageBytes(path));
  } catch (const FileError& e) {
    prompter.message(MessageKind::Error, e.text(language));
    return {};
  }
  if (!QFileInfo::exists(page)) QThread::msleep(1000);
  if (!prompter.openUrl(page))
    prompter.message(MessageKind::Warning, prodmsg::CouldNotOpenWebpage, prodmsg::ErrorCaption);
  return page;
}

} // namespace framora
