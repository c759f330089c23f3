#pragma once
// Line buffers for the program's small text files (settings, templates, preview page).
// Reading: a UTF-8 or UTF-16 byte-order mark selects that encoding; otherwise UTF-8, and a
// file that is not valid UTF-8 is read as Windows-1252 (files made on a Windows machine).
// Line ends may be CR LF, LF or CR. Writing: every line ends with CR LF, UTF-8 without a mark
// unless the buffer last read a file with a mark, which it then writes back the same way.
// Files are replaced through a temporary file and a rename.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace framora {

// A file could not be read or written; the texts are ready to be shown to the user, in English
// and in German (the same text twice where it is not the program's own, e.g. a codec message).
class FileError : public std::runtime_error {
public:
  explicit FileError(const QString& text) : FileError(text, text) {}
  FileError(const QString& english, const QString& german)
      : std::runtime_error(english.toStdString()), english_(english), german_(german) {}
  const QString& text() const { return english_; }
  // 0 German, anything else English.
  const QString& text(int language) const { return language != 0 ? english_ : german_; }

private:
  QString english_, german_;
};

enum class TextEncoding { Plain, Utf8Bom, Utf16LeBom, Utf16BeBom };

class TextBuffer {
public:
  QStringList lines;

  // Encoding of the last file read; writing uses it.
  TextEncoding encoding() const { return encoding_; }
  void setEncoding(TextEncoding e) { encoding_ = e; }

  // Empties the lines; the encoding stays, as the last file read decided it.
  void clear() { lines.clear(); }
  // Line i, or an empty text when the buffer is shorter.
  QString line(int i) const { return i >= 0 && i < lines.size() ? lines.at(i) : QString(); }

  // Throws FileError.
  void load(const QString& path);
  void save(const QString& path) const;

  // The pieces, for the preview page and tests.
  static QString decode(const QByteArray& bytes, TextEncoding* encoding = nullptr);
  static QByteArray encode(const QString& text, TextEncoding encoding);
  // Splits at CR LF, LF or CR; a break at the very end does not start another line.
  static QStringList splitLines(const QString& text);
  // Every line followed by CR LF.
  QString text() const;

private:
  TextEncoding encoding_ = TextEncoding::Plain;
};

// Windows-1252 for bytes that are not UTF-8.
QString decodeWindows1252(const QByteArray& bytes);

// Replaces `path` with `bytes` through a temporary file in the same folder. Throws FileError.
void writeFileReplacing(const QString& path, const QByteArray& bytes);

} // namespace framora
