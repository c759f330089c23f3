// Preview in browser: the page bytes, where the page goes, and a real browser showing it.
#include "production/BrowserPreview.h"

#include "platform/Paths.h"
#include "production/GifBuilder.h"

#include "ProductionFixture.h"

#include "platform/TextFile.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace framora::test {
namespace {

const QByteArray kHead = "<html><head><title>Preview</title></head><body><img src=\"";
const QByteArray kTail = "\" /></body></html>";

TEST(PreviewPage, PathGoesIntoTheSourceWithOnlyTheCharactersThatWouldBreakItEscaped) {
  const std::vector<std::pair<QString, QByteArray>> cases = {
      {"/tmp/my gifs/a & b.gif", "/tmp/my gifs/a &amp; b.gif"},
      {"/tmp/plain.gif", "/tmp/plain.gif"},
      {"/tmp/\"q\" <x>.gif", "/tmp/&quot;q&quot; &lt;x&gt;.gif"},
      {"/tmp/50% #1?.gif", "/tmp/50%25 %231%3F.gif"},
      {QString::fromUtf8("/tmp/gr\u00fc\u00df.gif"), "/tmp/gr%C3%BC%C3%9F.gif"},
  };
  for (const auto& [path, src] : cases) {
    const QByteArray page = PreviewPageBytes(path);
    EXPECT_EQ(page, kHead + src + kTail) << path.toStdString();
    EXPECT_FALSE(page.contains('\n'));
  }
}

class BrowserPreviewTest : public ProductionTest {
protected:
  QTemporaryDir tmp;
  TempPathOverride redirect{tmp.path()};
};

TEST_F(BrowserPreviewTest, WritesThePageInTheTemporaryFolderAndOpensIt) {
  const QString page = SpeedButtonBrowserClick("  /home/u/my gifs/a & b.gif ", 1, prompter);
  EXPECT_EQ(page, temporaryFolder() + "/preview.html");
  EXPECT_TRUE(page.startsWith(tmp.path() + "/framora-"));
  EXPECT_EQ(bytes(page), kHead + "/home/u/my gifs/a &amp; b.gif" + kTail);
  EXPECT_EQ(prompter.urls, QStringList{page});
  EXPECT_TRUE(prompter.messages.isEmpty());

  // A second preview replaces the page.
  SpeedButtonBrowserClick("/x.gif", 1, prompter);
  EXPECT_EQ(bytes(page), kHead + "/x.gif" + kTail);
}

TEST_F(BrowserPreviewTest, NoAnimationWarnsAndWritesNothing) {
  for (const int language : {1, 0}) {
    prompter.messages.clear();
    EXPECT_TRUE(SpeedButtonBrowserClick("   ", language, prompter).isEmpty());
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(prompter.messages[0].text, language ? "No animation loaded!" : "Keine Animation geladen!");
  }
  EXPECT_FALSE(QFile::exists(temporaryFolder() + "/preview.html"));
  EXPECT_TRUE(prompter.urls.isEmpty());
}

TEST_F(BrowserPreviewTest, ABrowserThatDoesNotStartIsReported) {
  prompter.openUrlResult = false;
  EXPECT_FALSE(SpeedButtonBrowserClick("/x.gif", 1, prompter).isEmpty());
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
  EXPECT_EQ(prompter.messages[0].text, "Could not open webpage!");
  EXPECT_EQ(prompter.messages[0].caption, "Error");
  EXPECT_TRUE(QFile::exists(temporaryFolder() + "/preview.html"));
}

TEST_F(BrowserPreviewTest, AnUnwritableTemporaryFolderIsReportedAndNoBrowserStarts) {
  // A temporary "folder" that is a plain file: nothing can be written below it, even as root.
  writeFileReplacing(tmp.filePath("plainfile"), "x");
  TempPathOverride gone(tmp.filePath("plainfile"));
  EXPECT_TRUE(SpeedButtonBrowserClick("/x.gif", 1, prompter).isEmpty());
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(prompter.urls.isEmpty());
}

// The written GIF, through the page, in headless Chromium: the image must load at its size.
TEST_F(BrowserPreviewTest, HeadlessChromiumShowsTheGifAtItsSize) {
  const QString chromium = QStringLiteral("/usr/bin/chromium");
  if (!QFileInfo(chromium).isExecutable()) GTEST_SKIP() << "no /usr/bin/chromium here; the browser check is skipped";

  // A folder name with a blank, an ampersand, a hash and an umlaut.
  const QString folder = dir.filePath(QString::fromUtf8("my gifs & #1 \u00fc"));
  ASSERT_TRUE(QDir().mkpath(folder));
  FrameListModel model;
  setRows(model, {{"f0.bmp", "100", "0"}, {"f1.bmp", "100", "0"}});
  SaveBmpFile(TrueColourPicture(37, 23, 0), local(folder + "/f0.bmp"));
  SaveBmpFile(TrueColourPicture(37, 23, 1), local(folder + "/f1.bmp"));
  GifBuilder builder(model, prompter);
  BuildInputs in;
  in.EditPfad = folder;
  in.EditWidth = in.EditHeight = "0";
  prompter.saveAnswers.enqueue(folder + "/a & b.gif");
  ASSERT_EQ(builder.CreateAnimatedGif(in).outcome, BuildResult::Outcome::Saved);

  const QString page = SpeedButtonBrowserClick(folder + "/a & b.gif", 1, prompter);
  ASSERT_FALSE(page.isEmpty());
  // The same page plus a script that reports the image's natural size once it loaded.
  QByteArray probe = bytes(page);
  probe.replace("</body>", "<script>window.onload=function(){var i=document.images[0];"
                           "document.title='size '+i.naturalWidth+'x'+i.naturalHeight;}</script></body>");
  const QString probePage = tmp.filePath("probe.html");
  writeFileReplacing(probePage, probe);

  QTemporaryDir profile;
  QProcess browser;
  browser.start(chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                           "--disable-component-update", "--disable-sync", "--no-first-run",
                           "--user-data-dir=" + profile.path(), "--dump-dom", probePage});
  ASSERT_TRUE(browser.waitForFinished(90000)) << "chromium did not finish";
  const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
  const QRegularExpressionMatch m = QRegularExpression("<title>size (\\d+)x(\\d+)</title>").match(dom);
  ASSERT_TRUE(m.hasMatch()) << dom.toStdString() << browser.readAllStandardError().toStdString();
  EXPECT_EQ(m.captured(1), "37");
  EXPECT_EQ(m.captured(2), "23");
}

} // namespace
} // namespace framora::test
