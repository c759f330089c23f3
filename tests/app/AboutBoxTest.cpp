#include "app/AboutBox.h"
#include "app/LinkWidgets.h"
#include "support/ScriptedPrompter.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using framora::AboutBox;
using framora::test::ScriptedPrompter;

namespace {

TEST(AboutBox, HasItsControlsInTheirPlaces) {
  ScriptedPrompter prompter;
  AboutBox box(prompter);
  EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(box.size(), QSize(250, 350));
  EXPECT_EQ(box.Label1->text(), QStringLiteral("Framora Pro"));
  EXPECT_EQ(box.LabelRelease->text(), QStringLiteral("Release"));
  EXPECT_EQ(box.Label6->text(), QStringLiteral("Freeware"));
  EXPECT_EQ(box.ButtonClose->text(), QStringLiteral("Ok"));
  EXPECT_EQ(box.Image2->geometry(), QRect(26, 13, 195, 65));
  EXPECT_EQ(box.Image1->geometry(), QRect(44, 192, 152, 58));
  EXPECT_EQ(box.Image3->geometry(), QRect(69, 192, 104, 51));
  EXPECT_EQ(box.LabelRelease->pos(), QPoint(70, 111));
  EXPECT_EQ(box.LabelVersion->pos(), QPoint(124, 111));
  for (QWidget* link : {static_cast<QWidget*>(box.Label5), static_cast<QWidget*>(box.Image1),
                        static_cast<QWidget*>(box.Image2), static_cast<QWidget*>(box.Image3)})
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor) << link->objectName().toStdString();
  for (const framora::SvgPicture* picture : {box.Image1, box.Image2, box.Image3})
    EXPECT_TRUE(picture->valid()) << picture->resource().toStdString();
}

struct LanguageCase {
  int language;
  const char* caption;
  const char* linkText;
  bool englishPicture;
};
void PrintTo(const LanguageCase& c, std::ostream* os) { *os << "language " << c.language; }

class AboutBoxLanguages : public testing::TestWithParam<LanguageCase> {};

TEST_P(AboutBoxLanguages, ShowCaptionLinkAndDonationPictureOfTheLanguage) {
  const LanguageCase& c = GetParam();
  ScriptedPrompter prompter;
  AboutBox box(prompter);
  box.ALanguage = c.language;
  box.show();
  EXPECT_EQ(box.windowTitle(), QString::fromUtf8(c.caption));
  EXPECT_EQ(box.Label5->text(), QString::fromLatin1(c.linkText));
  EXPECT_EQ(box.Image1->isVisible(), c.englishPicture);
  EXPECT_EQ(box.Image3->isVisible(), !c.englishPicture);
}

INSTANTIATE_TEST_SUITE_P(Table, AboutBoxLanguages,
                         testing::Values(LanguageCase{1, "About...", "www.framora.com", true},
                                         LanguageCase{0, "\xc3\x9c" "ber...", "www.framora.de", false},
                                         LanguageCase{-4, "About...", "www.framora.com", true}));

struct LinkCase {
  int language;
  const char* widget;
  const char* url;
};
void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.widget << " language " << c.language; }

class AboutBoxLinks : public testing::TestWithParam<LinkCase> {};

TEST_P(AboutBoxLinks, OpenTheirAddressAndClose) {
  const LinkCase& c = GetParam();
  ScriptedPrompter prompter;
  prompter.openUrlResult = false;  // not reported either way
  AboutBox box(prompter);
  box.ALanguage = c.language;
  box.show();
  auto* widget = box.findChild<QWidget*>(QString::fromLatin1(c.widget));
  ASSERT_NE(widget, nullptr);
  QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
  EXPECT_EQ(prompter.urls, QStringList{QString::fromLatin1(c.url)});
  EXPECT_TRUE(prompter.messages.isEmpty());
  EXPECT_FALSE(box.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Table, AboutBoxLinks,
                         testing::Values(LinkCase{1, "Label5", "https://www.framora.com"},
                                         LinkCase{1, "Image2", "https://www.framora.com"},
                                         LinkCase{1, "Image1", "https://www.framora.com/donate.html"},
                                         LinkCase{0, "Label5", "https://www.framora.de"},
                                         LinkCase{0, "Image2", "https://www.framora.de"},
                                         LinkCase{0, "Image3", "https://www.framora.de/spenden.html"}));

TEST(AboutBox, ShowModalShowsTheVersionAndOkClosesWithoutALink) {
  ScriptedPrompter prompter;
  AboutBox box(prompter);
  QTimer::singleShot(0, &box, [&] {
    EXPECT_TRUE(box.isVisible());
    box.ButtonClose->click();
  });
  EXPECT_EQ(box.ShowModal(0, QStringLiteral("1.2.1.0")), QDialog::Accepted);
  EXPECT_EQ(box.LabelVersion->text(), QStringLiteral("1.2.1.0"));
  EXPECT_EQ(box.windowTitle(), QStringLiteral("\u00dcber..."));
  EXPECT_TRUE(prompter.urls.isEmpty());

  // The next opening follows a language switched meanwhile.
  QTimer::singleShot(0, &box, [&] { box.ButtonClose->click(); });
  box.ShowModal(1, QStringLiteral("No version information"));
  EXPECT_EQ(box.windowTitle(), QStringLiteral("About..."));
  EXPECT_EQ(box.LabelVersion->text(), QStringLiteral("No version information"));
}

} // namespace
