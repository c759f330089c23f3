#include "LoopbackHttpServer.h"
#include "app/UpdateCheck.h"
#include "support/ScriptedPrompter.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <gtest/gtest.h>

using framora::MessageKind;
using framora::UpdateChecker;
using framora::test::ScriptedPrompter;
using namespace std::chrono_literals;

namespace {

const QString EnglishSite = QStringLiteral("https://www.framora.com");
const QString GermanSite = QStringLiteral("https://www.framora.de");

UpdateChecker CheckerFor(quint16 port, const QString& ownVersion = QStringLiteral("1.2.1.0")) {
  UpdateChecker checker;
  checker.server = {QStringLiteral("127.0.0.1"), port};
  checker.connectTimeout = 2000ms;
  checker.readTimeout = 300ms;
  checker.exeFileName = QStringLiteral("framora");
  checker.ownVersion = ownVersion;
  return checker;
}

// Runs the whole check against a server answering `response`; returns what the user saw.
ScriptedPrompter CheckAgainst(const QByteArray& response, const QString& ownVersion, int langEnglish = 1) {
  LoopbackHttpServer server;
  server.response = response;
  ScriptedPrompter prompter;
  CheckerFor(server.port(), ownVersion).CheckForUpdate(prompter, langEnglish, langEnglish ? EnglishSite : GermanSite);
  return prompter;
}

TEST(UpdateRequest, IsOnePostWithTheExactBytes) {
  LoopbackHttpServer server;
  server.response = LoopbackHttpServer::ok("1.0.0.0");
  UpdateChecker checker = CheckerFor(server.port());
  checker.exeFileName = QStringLiteral("Framora.EXE");
  EXPECT_EQ(checker.QueryLatestVersion(), QStringLiteral("1.0.0.0"));
  const QByteArray expected = "POST /resources/checkfree.php HTTP/1.1\r\n"
                              "Host: 127.0.0.1:" + QByteArray::number(server.port()) + "\r\n"
                              "Content-Type: application/x-www-form-urlencoded\r\n"
                              "Content-Length: 38\r\n"
                              "Accept: text/html, */*\r\n"
                              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                              "Connection: close\r\n"
                              "\r\n"
                              "AppName=framora.exe&MM_SUBMIT=Absenden";
  EXPECT_EQ(server.received, expected);
  EXPECT_EQ(server.connections, 1);
}

TEST(UpdateRequest, LowersOnlyAsciiLettersAndEncodesNothing) {
  const QByteArray request =
      framora::UpdateRequestBytes({QStringLiteral("www.framora.com"), 80}, QStringLiteral("Gif Ä&B.Exe"));
  EXPECT_TRUE(request.contains("\r\nHost: www.framora.com\r\n"));
  EXPECT_TRUE(framora::UpdateRequestBytes({QStringLiteral("::1"), 8080}, QStringLiteral("framora"))
                  .contains("\r\nHost: [::1]:8080\r\n"));
  EXPECT_TRUE(request.endsWith("\r\n\r\nAppName=gif \xc3\x84&b.exe&MM_SUBMIT=Absenden"));
}

struct VersionCase {
  const char* own;
  QByteArray replyBody;
  bool updateShown;
};
void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.own << " vs " << testing::PrintToString(c.replyBody.toStdString()); }

class UpdateVersions : public testing::TestWithParam<VersionCase> {};

TEST_P(UpdateVersions, ShowTheMessageOnlyForANewerFirstLine) {
  const VersionCase& c = GetParam();
  const ScriptedPrompter prompter = CheckAgainst(LoopbackHttpServer::ok(c.replyBody), QString::fromLatin1(c.own));
  if (c.updateShown) {
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(prompter.messages[0].text, QStringLiteral("An update of your software is availaable."));
    EXPECT_EQ(prompter.messages[0].caption, QStringLiteral("Updater"));
    EXPECT_EQ(prompter.urls, QStringList{EnglishSite});
  } else {
    EXPECT_TRUE(prompter.messages.isEmpty());
    EXPECT_TRUE(prompter.urls.isEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, UpdateVersions,
    testing::Values(VersionCase{"1.2.1.0", "1.2.2", true},         // 1210 < 1220
                    VersionCase{"1.2.1.0", "1.2.1.0", false},
                    VersionCase{"1.2.1.0", "1.3", true},           // 1210 < 1300
                    VersionCase{"1.9.0.0", "1.10.0.0", true},      // 1900 < 11000
                    VersionCase{"1.10.0.0", "1.9.0.0", true},      // 11000 < 19000 once padded
                    VersionCase{"1.2.1.0", "1.1.9.9", false},
                    VersionCase{"1.2.1.0", "  1.2.2.0 \t\r\nnews\r\n0.0.0.1\r\n", true},
                    VersionCase{"1.2.1.0", "1.2.1.0\n9.9.9.9", false},  // only the first line counts
                    VersionCase{"1.2.1.0", "1.2.1.0\r9.9.9.9", false},
                    VersionCase{"1.2.1.0", " \r\n  \n\t\r\n", false},
                    VersionCase{"1.2.1.0", "", false},
                    VersionCase{"1.2.1.0", "\r\n2.0.0.0", false},   // empty first line
                    VersionCase{"1.2.1.0", "...", false},
                    VersionCase{"1.2.1.0", "1.2.x", false},         // not a number: silent
                    VersionCase{"1.2.1.0", "99.99.99.99.99", false},  // beyond 32 bits: silent
                    VersionCase{"No version information", "1.2.2.0", false}));

TEST(UpdateCheck, GermanInterfaceShowsTheGermanMessageAndOpensTheGermanSite) {
  const ScriptedPrompter prompter = CheckAgainst(LoopbackHttpServer::ok("2.0.0.0"), QStringLiteral("1.2.1.0"), 0);
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].text, QStringLiteral("Eine neue Version Ihres Programms ist verf\u00fcgbar."));
  EXPECT_EQ(prompter.urls, QStringList{GermanSite});
}

TEST(UpdateCheck, AnyLanguageValueButZeroIsEnglish) {
  const ScriptedPrompter prompter = CheckAgainst(LoopbackHttpServer::ok("2.0.0.0"), QStringLiteral("1.2.1.0"), 5);
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].text, QStringLiteral("An update of your software is availaable."));
}

TEST(UpdateCheck, SiteThatCannotBeOpenedIsReported) {
  LoopbackHttpServer server;
  server.response = LoopbackHttpServer::ok("2.0.0.0");
  ScriptedPrompter prompter;
  prompter.openUrlResult = false;
  CheckerFor(server.port()).CheckForUpdate(prompter, 1, EnglishSite);
  ASSERT_EQ(prompter.messages.size(), 2);
  EXPECT_EQ(prompter.messages[1].kind, MessageKind::Warning);
  EXPECT_EQ(prompter.messages[1].text, QStringLiteral("Could not open webpage!"));
  EXPECT_EQ(prompter.messages[1].caption, QStringLiteral("Error"));
}

// Replies that carry the newer version "2.0.0.0" in ways the check must accept or refuse.
struct ReplyCase {
  const char* name;
  QByteArray response;
  bool counts;
};
void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

class UpdateReplies : public testing::TestWithParam<ReplyCase> {};

TEST_P(UpdateReplies, OnlyAWholeSuccessfulReplyCounts) {
  const ReplyCase& c = GetParam();
  LoopbackHttpServer server;
  server.response = c.response;
  EXPECT_EQ(CheckerFor(server.port()).QueryLatestVersion(), c.counts ? QStringLiteral("2.0.0.0") : QString()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Wire, UpdateReplies,
    testing::Values(
        ReplyCase{"plain 200", LoopbackHttpServer::ok("2.0.0.0"), true},
        ReplyCase{"HTTP/1.0 without length, ends at close", "HTTP/1.0 200 OK\r\n\r\n2.0.0.0", true},
        ReplyCase{"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\n2.0\r\n4\r\n.0.0\r\n0\r\n\r\n", true},
        ReplyCase{"interim 100 first", "HTTP/1.1 100 Continue\r\n\r\n" + LoopbackHttpServer::ok("2.0.0.0"), true},
        ReplyCase{"500", "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 7\r\n\r\n2.0.0.0", false},
        ReplyCase{"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\n\r\n2.0.0.0", false},
        ReplyCase{"redirect", "HTTP/1.1 302 Found\r\nLocation: /x\r\nContent-Length: 7\r\n\r\n2.0.0.0", false},
        ReplyCase{"body cut short", "HTTP/1.1 200 OK\r\nContent-Length: 70\r\n\r\n2.0.0.0", false},
        ReplyCase{"chunks cut short", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7\r\n2.0.0.0\r\n", false},
        ReplyCase{"more than 64 KiB", LoopbackHttpServer::ok("2.0.0.0\r\n" + QByteArray(70000, 'x')), false},
        ReplyCase{"not HTTP", "2.0.0.0\r\n", false},
        ReplyCase{"headers never end", "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n", false}),
    [](const testing::TestParamInfo<ReplyCase>& info) { return std::to_string(info.index); });

// Servers that fail: the check gives up by itself, quietly, and well within its time-outs.
TEST(UpdateCheck, GivesUpQuietlyOnServersThatFail) {
  for (const auto mode : {LoopbackHttpServer::Mode::NeverAnswer, LoopbackHttpServer::Mode::CloseAtOnce}) {
    LoopbackHttpServer server;
    server.mode = mode;
    ScriptedPrompter prompter;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(CheckerFor(server.port()).CheckForUpdate(prompter, 1, EnglishSite));
    EXPECT_LT(clock.elapsed(), 2000);  // 300 ms read time-out in these tests
    EXPECT_EQ(server.connections, 1);
    EXPECT_TRUE(prompter.messages.isEmpty());
    EXPECT_TRUE(prompter.urls.isEmpty());
  }
}

// A listening socket whose accept queue is full: the kernel drops further connection
// attempts, so the check waits for its connect time-out.
TEST(UpdateCheck, ServerThatNeverTakesTheConnectionIsGivenUpAfterTheConnectTimeout) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 0), 0);
  socklen_t length = sizeof address;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  const quint16 port = ntohs(address.sin_port);
  std::vector<std::unique_ptr<QTcpSocket>> fillers;
  for (int i = 0; i < 3; ++i) {
    fillers.push_back(std::make_unique<QTcpSocket>());
    fillers.back()->connectToHost(QHostAddress::LocalHost, port);
    fillers.back()->waitForConnected(200);
  }

  UpdateChecker checker = CheckerFor(port);
  checker.connectTimeout = 300ms;
  checker.readTimeout = 10000ms;  // only the connect time-out can end it in time
  ScriptedPrompter prompter;
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(checker.QueryLatestVersion().isEmpty());
  EXPECT_FALSE(checker.CheckForUpdate(prompter, 1, EnglishSite));
  EXPECT_LT(clock.elapsed(), 3000);
  EXPECT_TRUE(prompter.messages.isEmpty());
  ::close(listener);
}

TEST(UpdateCheck, ClosedPortEndsQuietly) {
  quint16 port = 0;
  {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    port = probe.serverPort();
  }
  ScriptedPrompter prompter;
  EXPECT_FALSE(CheckerFor(port).CheckForUpdate(prompter, 1, EnglishSite));
  EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST(UpdateCheck, UnknownHostEndsQuietly) {
  UpdateChecker checker = CheckerFor(80);
  checker.server.host = QStringLiteral("no-such-host.invalid");
  ScriptedPrompter prompter;
  EXPECT_FALSE(checker.CheckForUpdate(prompter, 1, EnglishSite));
  EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST(UpdateCheck, DefaultsAreTheProgramsOwn) {
  const UpdateChecker checker;
  EXPECT_EQ(checker.connectTimeout, 4000ms);
  EXPECT_EQ(checker.readTimeout, 5000ms);
  EXPECT_EQ(checker.server.port, 80);
  EXPECT_FALSE(checker.exeFileName.isEmpty());
}

TEST(Updates1Click, OpensTheSiteOfTheLanguage) {
  ScriptedPrompter prompter;
  framora::Updates1Click(prompter, GermanSite);
  EXPECT_EQ(prompter.urls, QStringList{GermanSite});
  EXPECT_TRUE(prompter.messages.isEmpty());
}

} // namespace
