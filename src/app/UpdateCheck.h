#pragma once
// Asks the update-check server once per start whether a newer version exists.
#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

namespace framora {

class Prompter;

struct UpdateServer {
  QString host;
  quint16 port = 80;
};

// Where the check asks; plain HTTP. Tests hand their loopback server to UpdateChecker instead.
inline const UpdateServer UpdateCheckServer{QStringLiteral("www.framora.com"), 80};
inline constexpr const char* UpdateCheckPath = "/resources/checkfree.php";

inline const QString UpdateMessageEnglish = QStringLiteral("An update of your software is availaable.");
inline const QString UpdateMessageGerman = QStringLiteral("Eine neue Version Ihres Programms ist verf\u00fcgbar.");
inline const QString UpdateCaption = QStringLiteral("Updater");

// The exact request the check sends for an executable name.
QByteArray UpdateRequestBytes(const UpdateServer& server, const QString& exeFileName);

// An HTTP/1.x response as far as it has arrived. complete: nothing more is needed
// (all of the body is there, or the response failed for good); ok: a 2xx status with a
// whole body.
struct HttpReply {
  bool complete = false;
  bool ok = false;
  QByteArray body;
};
// atEnd: the server has closed the connection, so what is there is all there will be.
HttpReply ParseHttpReply(const QByteArray& raw, bool atEnd);

// Whether `latest` (first reply line) names a newer version than `own`, compared the way
// the check always has: dots removed, the server's digits padded with "0" on the right to
// the length of ours, both read as 32-bit numbers. No value when either side is empty or is
// not such a number.
std::optional<bool> ReplyIsNewer(const QString& own, const QString& latest);

class UpdateChecker {
public:
  UpdateServer server = UpdateCheckServer;
  std::chrono::milliseconds connectTimeout{4000};
  std::chrono::milliseconds readTimeout{5000};
  // File name of the running executable without folder, and its version text.
  QString exeFileName;
  QString ownVersion;

  // exeFileName and ownVersion of the running program.
  UpdateChecker();

  // The reply body of the update-check request, or an empty text when anything fails.
  QString QueryLatestVersion() const;

  // The whole check: when the server names a newer version, tells the user in the interface
  // language (0 German, else English) and opens webSiteUrl. Silent on every failure.
  // True when the update message was shown.
  bool CheckForUpdate(Prompter& prompter, int langEnglish, const QString& webSiteUrl) const;
};

// Menu entry "Updates": opens the maker's web site; "Could not open webpage!" when that fails.
void Updates1Click(Prompter& prompter, const QString& webSiteUrl);

} // namespace framora
