// Our three GIF readers against what Pillow, giflib and ImageMagick say about the public
// corpus (MANIFEST.tsv), and the preview player's composed frames against reference PNGs.
#include "codec/GIFImage.h"
#include "codec/GifModelReader.h"
#include "codec/GifPicture.h"
#include "codec/Picture.h"
#include "codec/PictureDecoders.h"
#include "codec/Player.h"
#include "codec/PreviewGIFImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace framora;

namespace {

const fs::path kCorpus = FRAMORA_CORPUS;

struct Entry {
  std::map<std::string, std::string> col;
  const std::string& operator[](const std::string& k) const {
    static const std::string none;
    auto it = col.find(k);
    return it == col.end() ? none : it->second;
  }
};

std::vector<Entry> manifest() {
  std::vector<Entry> rows;
  std::ifstream in(kCorpus / "MANIFEST.tsv");
  std::string line;
  std::vector<std::string> head;
  auto split = [](const std::string& s) {
    std::vector<std::string> out;
    std::stringstream ss(s);
    std::string f;
    while (std::getline(ss, f, '\t')) out.push_back(f);
    if (!s.empty() && s.back() == '\t') out.emplace_back();
    return out;
  };
  if (!std::getline(in, line)) return rows;
  head = split(line);
  while (std::getline(in, line)) {
    const auto f = split(line);
    Entry e;
    for (std::size_t i = 0; i < head.size() && i < f.size(); ++i) e.col[head[i]] = f[i];
    rows.push_back(std::move(e));
  }
  return rows;
}

// "10x3,?,5" -> {10,10,10,0,5}; '?' (no graphic control block) counts as 0.
std::vector<int> expand(const std::string& s) {
  std::vector<int> out;
  std::stringstream ss(s);
  std::string item;
  while (std::getline(ss, item, ',')) {
    if (item.empty()) continue;
    int times = 1, value = 0;
    const auto x = item.find('x');
    const std::string v = x == std::string::npos ? item : item.substr(0, x);
    if (x != std::string::npos) times = std::stoi(item.substr(x + 1));
    value = v == "?" ? 0 : std::stoi(v);
    out.insert(out.end(), static_cast<std::size_t>(times), value);
  }
  return out;
}

std::vector<std::uint8_t> slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

#define SKIP_WITHOUT_CORPUS() \
  if (!fs::exists(kCorpus / "MANIFEST.tsv")) GTEST_SKIP() << "GIF corpus not found at " << kCorpus

struct ModelFacts {
  int frames = 0;
  std::vector<int> delays, disposals;
  std::optional<int> loop;
};

ModelFacts factsOf(const GIFImage& img) {
  ModelFacts f;
  for (const auto& fr : img.Images()) {
    for (const auto& e : fr->Extensions())
      if (auto* l = dynamic_cast<const GIFAppExtNSLoop*>(e.get()); l && !f.loop) f.loop = l->Loops();
    if (fr->Width() == 0) continue;  // the extension-only frame after the last image
    ++f.frames;
    const auto* g = fr->GraphicControlExtension();
    f.delays.push_back(g ? g->Delay() : 0);
    f.disposals.push_back(g ? g->Disposal() : 0);
  }
  return f;
}

// Files on which our readers deliberately differ from the independent decoders; each is
// checked on its own below.
const std::map<std::string, std::string> kDeliberate = {
    {"issue-209-extension-block-type.gif", "an unknown extension label is an error"},
    {"unknown-extension.gif", "an unknown extension label is an error"},
    {"loop-animexts.gif", "ANIMEXTS1.0 counts as a loop block"},
    {"multiple-graphic-controls.gif", "a model frame's graphic control block is the first one"},
    {"no_palette.gif", "a GIF picture without any colour table has no raster form"},
};

} // namespace

TEST(GifCorpus, ReadersAgreeWithIndependentDecoders) {
  SKIP_WITHOUT_CORPUS();
  const auto rows = manifest();
  ASSERT_FALSE(rows.empty());
  for (const auto& r : rows) {
    const std::string name = r["file"];
    SCOPED_TRACE(name);
    if (kDeliberate.count(name)) continue;
    const bool allAccept = r["pil_ok"] == "1" && r["giflib_ok"] == "1" && r["magick_ok"] == "1";
    const bool allReject = r["pil_ok"] == "0" && r["giflib_ok"] == "0" && r["magick_ok"] == "0";
    const auto bytes = slurp(kCorpus / name);

    GIFImage model;
    std::vector<std::string> warnings;
    model.OnWarning = [&](Severity s, const std::string& m) { if (s != gsError) warnings.push_back(m); };
    std::optional<std::string> modelError;
    try { model.LoadFromFile((kCorpus / name).string()); } catch (const CodecError& e) { modelError = e.what(); }

    PreviewGIFImage preview;
    std::optional<std::string> previewError;
    try { preview.LoadFromMemory(bytes.data(), bytes.size()); } catch (const CodecError& e) { previewError = e.what(); }
    for (int i = 0; i < preview.Count(); ++i) {
      try { (void)preview.Frames(i).Bitmap(); } catch (const CodecError&) {}
    }

    GifPicture picture;
    std::optional<std::string> pictureError;
    try { picture.LoadFromMemory(bytes.data(), bytes.size()); (void)picture.ToBitmap(); }
    catch (const CodecError& e) { pictureError = e.what(); }

    if (allReject) {
      // Our clear error, a warning or a damaged-data mark: never silence.
      EXPECT_TRUE(modelError || !warnings.empty() || factsOf(model).frames == 0) << "model reader said nothing";
      EXPECT_TRUE(previewError || preview.Corrupted() || preview.Truncated() || preview.Count() == 0)
          << "preview reader said nothing";
      EXPECT_TRUE(pictureError || !picture.Warnings().empty() || picture.Images().empty())
          << "GIF picture said nothing";
      continue;
    }
    if (!allAccept) continue;

    EXPECT_FALSE(modelError) << *modelError;
    EXPECT_FALSE(previewError) << *previewError;
    EXPECT_FALSE(pictureError) << *pictureError;
    if (modelError || previewError) continue;

    const ModelFacts facts = factsOf(model);
    const int frames = std::stoi(r["frames"]);
    if (r["giflib_frames"] == r["frames"] && r["magick_frames"] == r["frames"]) {
      EXPECT_EQ(facts.frames, frames);
      EXPECT_EQ(preview.Count(), frames);
    }
    if (r["features"].find("frame exceeds screen") == std::string::npos) {  // decoders differ on growing
      EXPECT_EQ(preview.ScreenWidth(), std::stoi(r["screen_w"]));
      EXPECT_EQ(preview.ScreenHeight(), std::stoi(r["screen_h"]));
      EXPECT_EQ(model.Width(), std::stoi(r["screen_w"]));
      EXPECT_EQ(model.Height(), std::stoi(r["screen_h"]));
      EXPECT_EQ(picture.Width(), std::stoi(r["screen_w"]));
      EXPECT_EQ(picture.Height(), std::stoi(r["screen_h"]));
    }
    if (expand(r["delays"]) == expand(r["giflib_delays"])) {
      const auto expected = expand(r["delays"]);
      EXPECT_EQ(facts.delays, expected);
      std::vector<int> previewDelays;
      for (int i = 0; i < preview.Count(); ++i) previewDelays.push_back(preview.Frames(i).AnimateInterval() / 10);
      EXPECT_EQ(previewDelays, expected);
    }
    if (expand(r["disposals"]) == expand(r["giflib_disposals"])) {
      const auto expected = expand(r["disposals"]);
      EXPECT_EQ(facts.disposals, expected);
      std::vector<int> previewDisposals;
      for (int i = 0; i < preview.Count(); ++i) previewDisposals.push_back(preview.Frames(i).DisposalMethod());
      EXPECT_EQ(previewDisposals, expected);
    }
    if (r["loop"] == r["giflib_loop"] && r["disagreement"].find("loop") == std::string::npos) {
      if (r["loop"] == "absent") {
        EXPECT_FALSE(facts.loop);
        EXPECT_FALSE(preview.Looping());
      } else {
        const int loops = std::stoi(r["loop"]);
        EXPECT_EQ(facts.loop.value_or(-1), loops);
        EXPECT_TRUE(preview.Looping());
        EXPECT_EQ(preview.RepeatCount(), std::min(loops, 30000));
      }
    }
  }
}

TEST(GifCorpus, DeliberateDifferences) {
  SKIP_WITHOUT_CORPUS();
  struct Case {
    const char* file;
    const char* modelError;
    const char* previewError;
    const char* pictureError;
  };
  const Case errors[] = {
      {"issue-209-extension-block-type.gif", "Unbekannter Erweiterungstyp", "Unrecognized extension block: 2a",
       "Unknown extension type"},
      {"unknown-extension.gif", "Unbekannter Erweiterungstyp", "Unrecognized extension block: 2a",
       "Unknown extension type"},
  };
  for (const auto& c : errors) {
    SCOPED_TRACE(c.file);
    const auto bytes = slurp(kCorpus / c.file);
    GIFImage model;
    try { model.LoadFromFile((kCorpus / c.file).string()); ADD_FAILURE(); }
    catch (const CodecError& e) { EXPECT_STREQ(e.what(), c.modelError); }
    PreviewGIFImage preview;
    try { preview.LoadFromMemory(bytes.data(), bytes.size()); ADD_FAILURE(); }
    catch (const CodecError& e) { EXPECT_STREQ(e.what(), c.previewError); }
    GifPicture picture;
    try { picture.LoadFromMemory(bytes.data(), bytes.size()); ADD_FAILURE(); }
    catch (const CodecError& e) { EXPECT_STREQ(e.what(), c.pictureError); }
  }
  {
    GIFImage model;
    model.LoadFromFile((kCorpus / "loop-animexts.gif").string());
    EXPECT_EQ(factsOf(model).loop, 0);
    PreviewGIFImage preview;
    preview.LoadFromFile((kCorpus / "loop-animexts.gif").string());
    EXPECT_TRUE(preview.Looping());
  }
  {
    GIFImage model;
    model.LoadFromFile((kCorpus / "multiple-graphic-controls.gif").string());
    PreviewGIFImage preview;
    preview.LoadFromFile((kCorpus / "multiple-graphic-controls.gif").string());
    ASSERT_EQ(model.Images().Count(), 1);
    EXPECT_EQ(model.Images().Frames(0).GraphicControlExtension()->Delay(), 20);
    EXPECT_EQ(preview.Frames(0).AnimateInterval(), 300);  // the largest delay
  }
  {
    const auto bytes = slurp(kCorpus / "no_palette.gif");
    GifPicture picture;
    picture.LoadFromMemory(bytes.data(), bytes.size());
    EXPECT_THROW((void)picture.ToBitmap(), CodecError);
    GIFImage model;
    model.LoadFromFile((kCorpus / "no_palette.gif").string());
    ASSERT_GT(model.Images().Count(), 0);
    try { (void)FrameToBitmap(model.Images().Frames(0)); ADD_FAILURE(); }
    catch (const CodecError& e) { EXPECT_STREQ(e.what(), "Keine globale oder lokale Farbtabelle definiert"); }
  }
}

// Each composed frame of the preview player against the frames another decoder composed.
// Opaque reference pixels must match exactly; where the reference is transparent ours must
// be transparent too (the player's colour key) or show the fill colour.
class GifReferenceFrames : public ::testing::TestWithParam<const char*> {};

TEST_P(GifReferenceFrames, ComposedFramesMatch) {
  SKIP_WITHOUT_CORPUS();
  const std::string spec = GetParam();
  const auto slash = spec.find('/');
  const std::string dir = spec.substr(0, slash), name = spec.substr(slash + 1);
  const fs::path refDir = kCorpus / dir / name;
  if (!fs::exists(refDir)) GTEST_SKIP() << "no reference frames at " << refDir;

  GIFAnimator player;
  player.Image().LoadFromFile((kCorpus / name).string());
  int frame = 0;
  for (;; ++frame) {
    char file[32];
    std::snprintf(file, sizeof file, "frame_%03d.png", frame);
    if (!fs::exists(refDir / file)) break;
    SCOPED_TRACE(std::string(file));
    ASSERT_LT(frame, player.Image().Count());
    const auto png = slurp(refDir / file);
    const Bitmap ref = DecodePng(png.data(), png.size());
    const Canvas& c = player.Compose(frame);
    ASSERT_EQ(c.width, ref.width());
    ASSERT_EQ(c.height, ref.height());
    int bad = 0;
    std::string first;
    auto note = [&](int x, int y, std::uint32_t ours) {
      if (bad++ == 0) {
        std::ostringstream os;
        os << "first difference at " << x << "," << y << ": ours " << std::hex << ours << " reference "
           << toArgb(ref.pixel(x, y)) << (ref.mask.empty() || !ref.mask[static_cast<std::size_t>(y) * ref.width() + x] ? "" : " (transparent)");
        first = os.str();
      }
    };
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        const std::uint32_t ours = c.at(x, y);
        const bool refTransparent = !ref.mask.empty() && ref.mask[static_cast<std::size_t>(y) * ref.width() + x];
        if (refTransparent) {
          const bool keyed = (ours >> 24) == 0;
          if (!keyed && ours != toArgb(player.WindowColor) &&
              !(player.Image().BackgroundColor() && ours == toArgb(*player.Image().BackgroundColor())))
            note(x, y, ours);
        } else if (ours != toArgb(ref.pixel(x, y))) {
          note(x, y, ours);
        }
      }
    EXPECT_EQ(bad, 0) << first;
  }
  EXPECT_GT(frame, 0);
}

INSTANTIATE_TEST_SUITE_P(Corpus, GifReferenceFrames,
                         ::testing::Values("reference/animated-red-blue.gif", "reference/dispose-restore-previous.gif",
                                           "reference-magick/dispose_bgnd.gif", "reference/dispose_bgnd_transparency.gif",
                                           "reference/dispose_prev.gif", "reference/dispose_prev_first_frame.gif",
                                           "reference-magick/frame-out-of-bounds.gif", "reference/missing_background.gif",
                                           "reference/star.gif", "reference/transparent_dispose.gif"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (auto& ch : n) if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });
