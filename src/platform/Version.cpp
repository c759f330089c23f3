#include "platform/Version.h"

#include <QStringList>

namespace framora {

QString VersionTextFromDotted(const QString& dotted) {
  const QStringList parts = dotted.split(u'.');
  if (dotted.isEmpty() || parts.size() > 4) return NoVersionInformation;
  QStringList numbers;
  for (const QString& part : parts) {
    bool ok = false;
    const uint value = part.toUInt(&ok, 10);
    if (!ok || value > 0xFFFF || part.trimmed() != part) return NoVersionInformation;
    numbers.append(QString::number(value));
  }
  while (numbers.size() < 4) numbers.append(QStringLiteral("0"));
  return numbers.join(u'.');
}

QString GetFileVersionText(const QString&) {
#ifdef FRAMORA_VERSION
  return VersionTextFromDotted(QStringLiteral(FRAMORA_VERSION));
#else
  return NoVersionInformation;
#endif
}

} // namespace framora
