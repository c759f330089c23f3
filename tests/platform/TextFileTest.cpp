#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using framora::FileError;
using framora::TextBuffer;
using framora::TextEncoding;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

} // namespace

TEST(TextBufferDecode, ChoosesEncodingFromMarkOrContent) {
  struct Case {
    const char* name;
    QByteArray bytes;
    QString text;
    TextEncoding encoding;
  } cases[] = {
      {"plain utf-8", QByteArray("M\xC3\xBCller"), QStringLiteral("M\u00fcller"), TextEncoding::Plain},
      {"utf-8 mark", QByteArray("\xEF\xBB\xBFok"), QStringLiteral("ok"), TextEncoding::Utf8Bom},
      {"utf-16le mark", QByteArray("\xFF\xFEo\0k\0", 6), QStringLiteral("ok"), TextEncoding::Utf16LeBom},
      {"utf-16be mark", QByteArray("\xFE\xFF\0o\0k", 6), QStringLiteral("ok"), TextEncoding::Utf16BeBom},
      {"windows-1252", QByteArray("M\xFCller \x80 \x93x\x94"), QStringLiteral("M\u00fcller \u20ac \u201cx\u201d"),
       TextEncoding::Plain},
      {"empty", QByteArray(), QString(), TextEncoding::Plain},
  };
  for (const auto& c : cases) {
    TextEncoding enc = TextEncoding::Utf16BeBom;
    EXPECT_EQ(TextBuffer::decode(c.bytes, &enc), c.text) << c.name;
    EXPECT_EQ(enc, c.encoding) << c.name;
  }
}

TEST(TextBufferLines, SplitsAtEveryKindOfLineEnd) {
  struct Case {
    QString text;
    QStringList lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\n\r\nb\r\n", {"a", "", "b"}},
      {"\r\n", {""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\n\r\n", {"a", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(TextBuffer::splitLines(c.text), c.lines) << c.text.toStdString();
}

TEST(TextBufferFiles, WritesCrLfAndKeepsTheMarkOfTheLastFileRead) {
  QTemporaryDir dir;
  const QString marked = dir.filePath("marked.txt");
  const QString plain = dir.filePath("plain.txt");
  const QString out = dir.filePath("out.txt");
  writeAll(marked, QByteArray("\xFF\xFE" "a\0\n\0", 6));
  writeAll(plain, QByteArray("x\ny"));

  TextBuffer buffer;
  buffer.lines = {"one", "zw\u00f6i"};
  buffer.save(out);
  EXPECT_EQ(readAll(out), QByteArray("one\r\nzw\xC3\xB6i\r\n"));

  buffer.load(marked);
  EXPECT_EQ(buffer.lines, QStringList{"a"});
  EXPECT_EQ(buffer.encoding(), TextEncoding::Utf16LeBom);
  buffer.clear();
  buffer.lines = {"b"};
  buffer.save(out);
  EXPECT_EQ(readAll(out), QByteArray("\xFF\xFE" "b\0\r\0\n\0", 8));

  buffer.load(plain);  // a file without a mark resets the encoding
  buffer.save(out);
  EXPECT_EQ(readAll(out), QByteArray("x\r\ny\r\n"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3) << "no temporary file left behind";
}

TEST(TextBufferFiles, FailuresAreFileErrorsAndLeaveTheTargetAlone) {
  QTemporaryDir dir;
  TextBuffer buffer;
  buffer.lines = {"x"};
  EXPECT_THROW(buffer.load(dir.filePath("missing.txt")), FileError);
  EXPECT_THROW(buffer.save(dir.filePath("no/such/folder/x.txt")), FileError);
  EXPECT_THROW(buffer.save(QString()), FileError);
  // A folder where the file should go: the save fails and the folder stays a folder.
  QDir(dir.path()).mkdir("taken");
  EXPECT_THROW(buffer.save(dir.filePath("taken")), FileError);
  EXPECT_TRUE(QFileInfo(dir.filePath("taken")).isDir());
  try {
    buffer.load(dir.filePath("missing.txt"));
  } catch (const FileError& e) {
    EXPECT_TRUE(e.text().contains("missing.txt"));
  }
}
