// Load GIF, then Create, in the real program: an optimised GIF as peer tools write it comes
// back as the same animation, checked frame by frame with giflib.
#include "app/ProgramFixture.h"
#include "production/SeenFrames.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <memory>

namespace framora::test {
namespace {

using LoadGifRebuildTest = ProgramFixture<::testing::TestWithParam<OptimisedGif>>;

TEST_P(LoadGifRebuildTest, CreateAfterLoadGifShowsTheSameFrames) {
  const QString gif = path(GetParam().name);
  std::string skip;
  const std::string failed = MakeOptimisedGif(GetParam(), gif.toStdString(), skip);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ASSERT_TRUE(failed.empty()) << failed;
  const DecodedGif original = DecodeWithGiflib(gif.toStdString());
  ASSERT_TRUE(original.ok) << original.error;
  ASSERT_TRUE(HasPartialOrTransparentFrames(original));

  FormGif& f = this->form();
  prompter.openAnswers.enqueue({gif});
  f.SpeedButtonLoad->click();
  EXPECT_EQ(f.EditWidth->text(), QString::number(original.width));
  EXPECT_EQ(f.EditHeight->text(), QString::number(original.height));
  EXPECT_EQ(f.EditAnzahl->text(), QString::number(original.frames.size()));
  ASSERT_EQ(prompter.texts().last(), "Frames saved in: " + path("frames"));

  prompter.saveAnswers.enqueue(path("out/again.gif"));
  f.SpeedButtonCreate->click();
  const DecodedGif again = DecodeWithGiflib(path("out/again.gif").toStdString());
  ASSERT_TRUE(again.ok) << again.error << " " << prompter.texts().join(" | ").toStdString();
  EXPECT_EQ(std::make_pair(again.width, again.height), std::make_pair(original.width, original.height));
  const auto before = SeenFrames(original), after = SeenFrames(again);
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i], before[i]) << "frame " << i;
}

INSTANTIATE_TEST_SUITE_P(PeerTools, LoadGifRebuildTest, ::testing::ValuesIn(OptimisedGifs()), OptimisedGifName);

} // namespace
} // namespace framora::test
