#include "platform/Convert.h"

namespace framora {

QString trimBlanks(const QString& s) {
  qsizetype b = 0, e = s.size();
  while (b < e && s.at(b).unicode() <= 0x20) ++b;
  while (e > b && s.at(e - 1).unicode() <= 0x20) --e;
  return s.mid(b, e - b);
}

std::optional<int> toInt(const QString& s) {
  qsizetype i = 0;
  const qsizetype n = s.size();
  while (i < n && s.at(i) == u' ') ++i;
  bool negative = false;
  if (i < n && (s.at(i) == u'-' || s.at(i) == u'+')) negative = s.at(i++) == u'-';
  int base = 10;
  if (i < n && s.at(i) == u'$') {
    base = 16;
    ++i;
  } else if (i + 1 < n && s.at(i) == u'0' && (s.at(i + 1) == u'x' || s.at(i + 1) == u'X')) {
    base = 16;
    i += 2;
  }
  if (i >= n) return std::nullopt;
  qint64 value = 0;
  for (; i < n; ++i) {
    const char16_t c = s.at(i).unicode();
    int digit = -1;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (base == 16 && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else if (base == 16 && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * base + digit;
    if (value > qint64(0x80000000)) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 0x7FFFFFFF || value < -qint64(0x80000000)) return std::nullopt;
  return static_cast<int>(value);
}

QString invalidIntegerMessage(const QString& s) {
  return QStringLiteral("'%1' is not a valid integer value").arg(s);
}

} // namespace framora
