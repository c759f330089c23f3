#include "platform/FileFilter.h"

#include <QRegularExpression>
#include <QStringList>

namespace framora {

QString qtFileFilter(const QString& classicFilter) {
  const QStringList parts = classicFilter.split(u'|');
  QStringList entries;
  static const QRegularExpression trailingGroup(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts.at(i);
    name.remove(trailingGroup);
    name = name.trimmed();
    QStringList patterns;
    for (QString p : parts.at(i + 1).split(u';', Qt::SkipEmptyParts)) {
      p = p.trimmed();
      if (p == QStringLiteral("*.*")) p = QStringLiteral("*");
      if (!p.isEmpty()) patterns.append(p);
    }
    entries.append(QStringLiteral("%1 (%2)").arg(name, patterns.join(u' ')));
  }
  return entries.join(QStringLiteral(";;"));
}

} // namespace framora
