#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace framora {

namespace {

// 0x80..0x9F of Windows-1252; the five unassigned bytes keep their C1 code points.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool startsWith(const QByteArray& b, std::initializer_list<unsigned char> mark) {
  if (b.size() < qsizetype(mark.size())) return false;
  qsizetype i = 0;
  for (unsigned char c : mark)
    if (static_cast<unsigned char>(b[i++]) != c) return false;
  return true;
}

QString decodeWith(QStringConverter::Encoding enc, const QByteArray& bytes, bool* ok = nullptr) {
  QStringDecoder decoder(enc, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
  QString text = decoder.decode(bytes);
  if (ok) *ok = !decoder.hasError();
  return text;
}

} // namespace

QString decodeWindows1252(const QByteArray& bytes) {
  QString out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    out.append(c >= 0x80 && c <= 0x9F ? QChar(kCp1252High[c - 0x80]) : QChar(c));
  }
  return out;
}

QString TextBuffer::decode(const QByteArray& bytes, TextEncoding* encoding) {
  TextEncoding enc = TextEncoding::Plain;
  QString text;
  if (startsWith(bytes, {0xEF, 0xBB, 0xBF})) {
    enc = TextEncoding::Utf8Bom;
    text = decodeWith(QStringConverter::Utf8, bytes.mid(3));
  } else if (startsWith(bytes, {0xFF, 0xFE})) {
    enc = TextEncoding::Utf16LeBom;
    text = decodeWith(QStringConverter::Utf16LE, bytes.mid(2));
  } else if (startsWith(bytes, {0xFE, 0xFF})) {
    enc = TextEncoding::Utf16BeBom;
    text = decodeWith(QStringConverter::Utf16BE, bytes.mid(2));
  } else {
    bool ok = false;
    text = decodeWith(QStringConverter::Utf8, bytes, &ok);
    if (!ok) text = decodeWindows1252(bytes);
  }
  if (encoding) *encoding = enc;
  return text;
}

QByteArray TextBuffer::encode(const QString& text, TextEncoding encoding) {
  switch (encoding) {
  case TextEncoding::Plain:
    return text.toUtf8();
  case TextEncoding::Utf8Bom:
    return QByteArray("\xEF\xBB\xBF", 3) + text.toUtf8();
  case TextEncoding::Utf16LeBom: {
    QStringEncoder e(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
    return QByteArray("\xFF\xFE", 2) + QByteArray(e.encode(text));
  }
  case TextEncoding::Utf16BeBom: {
    QStringEncoder e(QStringConverter::Utf16BE, QStringConverter::Flag::Stateless);
    return QByteArray("\xFE\xFF", 2) + QByteArray(e.encode(text));
  }
  }
  return text.toUtf8();
}

QStringList TextBuffer::splitLines(const QString& text) {
  QStringList out;
  qsizetype start = 0;
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    const QChar c = text.at(i);
    if (c == u'\r' || c == u'\n') {
      out.append(text.mid(start, i - start));
      if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < n) out.append(text.mid(start));
  return out;
}

QString TextBuffer::text() const {
  QString out;
  for (const QString& l : lines) {
    out += l;
    out += QStringLiteral("\r\n");
  }
  return out;
}

void TextBuffer::load(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, f.errorString()),
                    QStringLiteral("Datei \"%1\" kann nicht ge\u00f6ffnet werden. %2").arg(path, f.errorString()));
  const QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError)
    throw FileError(QStringLiteral("Cannot read file \"%1\". %2").arg(path, f.errorString()),
                    QStringLiteral("Datei \"%1\" kann nicht gelesen werden. %2").arg(path, f.errorString()));
  lines = splitLines(decode(bytes, &encoding_));
}

void TextBuffer::save(const QString& path) const { writeFileReplacing(path, encode(text(), encoding_)); }

void writeFileReplacing(const QString& path, const QByteArray& bytes) {
  if (path.isEmpty())
    throw FileError(QStringLiteral("Cannot create file \"\". No file name given."),
                    QStringLiteral("Datei \"\" kann nicht erstellt werden. Kein Dateiname angegeben."));
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly))
    throw FileError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, f.errorString()),
                    QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, f.errorString()));
  if (f.write(bytes) != bytes.size() || !f.commit())
    throw FileError(QStringLiteral("Cannot write file \"%1\". %2").arg(path, f.errorString()),
                    QStringLiteral("Datei \"%1\" kann nicht geschrieben werden. %2").arg(path, f.errorString()));
}

} // namespace framora
