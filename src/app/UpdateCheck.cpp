#include "app/UpdateCheck.h"

#include "platform/Prompter.h"
#include "platform/Version.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkInformation>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

#include <limits>

namespace framora {
namespace {

// Only the first line of the reply matters; a server that sends more than this is broken.
constexpr qsizetype MaxReplyBytes = 64 * 1024;

// Blanks and control characters at both ends, as the reply has always been trimmed.
QString TrimBlanks(const QString& text) {
  qsizetype begin = 0, end = text.size();
  while (begin < end && text[begin].unicode() <= u' ') ++begin;
  while (end > begin && text[end - 1].unicode() <= u' ') --end;
  return text.mid(begin, end - begin);
}

QString FirstLine(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && text[i] != u'\r' && text[i] != u'\n') ++i;
  return text.left(i);
}

// A decimal 32-bit signed integer, optionally signed, nothing else.
std::optional<qint32> ToInt32(const QString& text) {
  qsizetype i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i == text.size()) return std::nullopt;
  qint64 value = 0;
  const qint64 limit = negative ? qint64(std::numeric_limits<qint32>::max()) + 1 : std::numeric_limits<qint32>::max();
  for (; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
    if (value > limit) return std::nullopt;
  }
  return static_cast<qint32>(negative ? -value : value);
}

QString LowerAscii(const QString& text) {
  QString out = text;
  for (QChar& c : out)
    if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
  return out;
}

bool IsLoopback(const QString& host) {
  if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) return true;
  const QHostAddress address(host);
  return !address.isNull() && address.isLoopback();
}

// True only when the system positively says there is no network; where no backend loads
// (common on Linux) the request is simply tried.
bool SystemReportsOffline() {
  if (!QNetworkInformation::instance() &&
      !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
    return false;
  const QNetworkInformation* info = QNetworkInformation::instance();
  return info && info->reachability() == QNetworkInformation::Reachability::Disconnected;
}

std::optional<qint64> HeaderNumber(const QByteArray& value) {
  bool ok = false;
  const qint64 n = value.trimmed().toLongLong(&ok, 10);
  if (!ok || n < 0) return std::nullopt;
  return n;
}

// Decodes a chunked body. Empty optional while more data is needed; sets broken on garbage.
std::optional<QByteArray> DecodeChunked(const QByteArray& data, bool& broken) {
  QByteArray body;
  qsizetype pos = 0;
  for (;;) {
    const qsizetype lineEnd = data.indexOf("\r\n", pos);
    if (lineEnd < 0) return std::nullopt;
    QByteArray sizeText = data.mid(pos, lineEnd - pos);
    if (const qsizetype semicolon = sizeText.indexOf(';'); semicolon >= 0) sizeText.truncate(semicolon);
    bool ok = false;
    const qint64 size = sizeText.trimmed().toLongLong(&ok, 16);
    if (!ok || size < 0 || size > MaxReplyBytes) {
      broken = true;
      return std::nullopt;
    }
    pos = lineEnd + 2;
    if (size == 0) return body;  // trailers are of no interest
    if (data.size() < pos + size + 2) return std::nullopt;
    body += data.mid(pos, size);
    pos += size;
    if (data.mid(pos, 2) != "\r\n") {
      broken = true;
      return std::nullopt;
    }
    pos += 2;
  }
}

} // namespace

QByteArray UpdateRequestBytes(const UpdateServer& server, const QString& exeFileName) {
  const QByteArray body =
      QByteArrayLiteral("AppName=") + LowerAscii(exeFileName).toUtf8() + QByteArrayLiteral("&MM_SUBMIT=Absenden");
  QByteArray host = server.host.toUtf8();
  if (host.contains(':')) host = '[' + host + ']';  // IPv6 literal
  if (server.port != 80) host += ':' + QByteArray::number(server.port);
  QByteArray request;
  request += QByteArrayLiteral("POST ") + UpdateCheckPath + QByteArrayLiteral(" HTTP/1.1\r\n");
  request += QByteArrayLiteral("Host: ") + host + QByteArrayLiteral("\r\n");
  request += QByteArrayLiteral("Content-Type: application/x-www-form-urlencoded\r\n");
  request += QByteArrayLiteral("Content-Length: ") + QByteArray::number(body.size()) + QByteArrayLiteral("\r\n");
  request += QByteArrayLiteral("Accept: text/html, */*\r\n");
  request += QByteArrayLiteral("User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n");
  request += QByteArrayLiteral("Connection: close\r\n");
  request += QByteArrayLiteral("\r\n");
  request += body;
  return request;
}

HttpReply ParseHttpReply(const QByteArray& raw, bool atEnd) {
  HttpReply failed{true, false, {}};
  qsizetype headerEnd = raw.indexOf("\r\n\r\n");
  qsizetype bodyStart = headerEnd + 4;
  if (const qsizetype lf = raw.indexOf("\n\n"); lf >= 0 && (headerEnd < 0 || lf < headerEnd)) {
    headerEnd = lf;
    bodyStart = lf + 2;
  }
  if (headerEnd < 0) return atEnd ? failed : HttpReply{};

  const QList<QByteArray> lines = raw.left(headerEnd).split('\n');
  const QList<QByteArray> status = lines.first().trimmed().split(' ');
  if (status.size() < 2 || !status[0].startsWith("HTTP/1.")) return failed;
  bool ok = false;
  const int code = status[1].toInt(&ok);
  if (!ok || code < 100 || code > 599) return failed;
  if (code < 200) return ParseHttpReply(raw.mid(bodyStart), atEnd);  // interim reply: the real one follows
  if (code >= 300) return failed;
  if (code == 204) return {true, true, {}};

  std::optional<qint64> contentLength;
  bool chunked = false;
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QByteArray line = lines[i].trimmed();
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0) continue;
    const QByteArray name = line.left(colon).trimmed().toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (name == "content-length") {
      contentLength = HeaderNumber(value);
      if (!contentLength) return failed;
    } else if (name == "transfer-encoding" && value.toLower().contains("chunked")) {
      chunked = true;
    }
  }

  const QByteArray data = raw.mid(bodyStart);
  if (chunked) {
    bool broken = false;
    std::optional<QByteArray> body = DecodeChunked(data, broken);
    if (broken) return failed;
    if (body) return {true, true, *body};
    return atEnd ? failed : HttpReply{};
  }
  if (contentLength) {
    if (data.size() >= *contentLength) return {true, true, data.left(*contentLength)};
    return atEnd ? failed : HttpReply{};  // a body cut short is a broken transfer
  }
  return atEnd ? HttpReply{true, true, data} : HttpReply{};
}

std::optional<bool> ReplyIsNewer(const QString& own, const QString& latest) {
  QString a = own;
  QString b = latest;
  a.remove(u'.');
  b.remove(u'.');
  if (TrimBlanks(a).isEmpty() || TrimBlanks(b).isEmpty()) return std::nullopt;
  // Only the server's text is lengthened, never ours: 1.10.0.0 against 1.9.0.0 reads
  // 11000 against 19000. Kept as it has always behaved.
  if (b.size() < a.size()) b += QString(a.size() - b.size(), u'0');
  const std::optional<qint32> ownNumber = ToInt32(a);
  const std::optional<qint32> latestNumber = ToInt32(b);
  if (!ownNumber || !latestNumber) return std::nullopt;
  return *ownNumber < *latestNumber;
}

UpdateChecker::UpdateChecker()
    : exeFileName(QFileInfo(QCoreApplication::applicationFilePath()).fileName()),
      ownVersion(GetFileVersionText(QCoreApplication::applicationFilePath())) {}

QString UpdateChecker::QueryLatestVersion() const {
  if (server.host.isEmpty()) return {};
  if (!IsLoopback(server.host) && SystemReportsOffline()) return {};

  QTcpSocket socket;
  socket.setProxy(QNetworkProxy::NoProxy);
  QEventLoop loop;
  QTimer connectTimer;
  QTimer readTimer;
  connectTimer.setSingleShot(true);
  readTimer.setSingleShot(true);

  QByteArray raw;
  HttpReply reply;
  bool done = false;
  auto finish = [&](HttpReply result) {
    if (done) return;
    done = true;
    reply = std::move(result);
    connectTimer.stop();
    readTimer.stop();
    loop.quit();
  };
  auto take = [&](bool atEnd) {
    if (done) return;
    raw += socket.readAll();
    if (raw.size() > MaxReplyBytes) return finish({true, false, {}});
    HttpReply parsed = ParseHttpReply(raw, atEnd);
    if (parsed.complete) return finish(std::move(parsed));
    readTimer.start(readTimeout);  // each wait for data gets the full read time-out
  };

  const QByteArray request = UpdateRequestBytes(server, exeFileName);
  QObject::connect(&socket, &QTcpSocket::connected, &loop, [&] {
    connectTimer.stop();
    socket.write(request);
    readTimer.start(readTimeout);
  });
  QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] { take(false); });
  QObject::connect(&socket, &QTcpSocket::disconnected, &loop, [&] { take(true); });
  QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, [&](QAbstractSocket::SocketError error) {
    if (error == QAbstractSocket::RemoteHostClosedError) take(true);
    else finish({true, false, {}});
  });
  QObject::connect(&connectTimer, &QTimer::timeout, &loop, [&] { finish({true, false, {}}); });
  QObject::connect(&readTimer, &QTimer::timeout, &loop, [&] { finish({true, false, {}}); });

  connectTimer.start(connectTimeout);
  socket.connectToHost(server.host, server.port);
  // The check blocks the window as it always has; the user's clicks wait until it is over.
  if (!done) loop.exec(QEventLoop::ExcludeUserInputEvents);
  socket.abort();

  if (!reply.ok) return {};
  return QString::fromUtf8(reply.body);
}

bool UpdateChecker::CheckForUpdate(Prompter& prompter, int langEnglish, const QString& webSiteUrl) const {
  const QString message = langEnglish != 0 ? UpdateMessageEnglish : UpdateMessageGerman;
  const QString reply = QueryLatestVersion();
  if (TrimBlanks(reply).isEmpty()) return false;
  const QString latest = TrimBlanks(FirstLine(reply));
  // A version that is no number (ours included, e.g. "No version information") ends the
  // check as quietly as every other failure.
  const std::optional<bool> newer = ReplyIsNewer(ownVersion, latest);
  if (!newer.value_or(false)) return false;
  prompter.message(MessageKind::Information, message, UpdateCaption);
  Updates1Click(prompter, webSiteUrl);
  return true;
}

void Updates1Click(Prompter& prompter, const QString& webSiteUrl) {
  if (!prompter.openUrl(webSiteUrl))
    prompter.message(MessageKind::Warning, QStringLiteral("Could not open webpage!"), QStringLiteral("Error"));
}

} // namespace framora
