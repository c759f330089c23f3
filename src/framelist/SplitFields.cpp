#include "framelist/SplitFields.h"

namespace framora {

void SplitFields(QChar delimiter, const QString& line, QStringList& fields) {
  fields.clear();
  const qsizetype n = line.size();
  qsizetype p = 0;
  while (p < n) {
    QString field;
    if (line.at(p) == u'"') {
      ++p;
      while (p < n) {
        if (line.at(p) == u'"') {
          if (p + 1 < n && line.at(p + 1) == u'"') {
            field += u'"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        field += line.at(p++);
      }
    } else {
      const qsizetype start = p;
      while (p < n && line.at(p) != delimiter) ++p;
      field = line.mid(start, p - start);
    }
    fields.append(field);
    if (p < n && line.at(p) == delimiter) {
      if (p + 1 == n) fields.append(QString());
      ++p;
    }
  }
}

QStringList SplitFields(QChar delimiter, const QString& line) {
  QStringList fields;
  SplitFields(delimiter, line, fields);
  return fields;
}

} // namespace framora
