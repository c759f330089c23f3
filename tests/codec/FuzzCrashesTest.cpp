// Every input that ever crashed a reader (fuzz/crashes) goes through all readers again:
// each ends with a clear error or a result, nothing else.
#include "codec/BmpFile.h"
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
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace framora;

TEST(FuzzCrashes, EveryReaderSurvivesEveryKnownCrash) {
  const std::filesystem::path dir = std::filesystem::path(FRAMORA_SOURCE_DIR) / "fuzz" / "crashes";
  if (!std::filesystem::exists(dir)) GTEST_SKIP() << "no crash inputs at " << dir;
  using Reader = std::function<void(const std::vector<std::uint8_t>&)>;
  const std::pair<const char*, Reader> readers[] = {
      {"model", [](const auto& b) {
         GIFImage img;
         std::istringstream in(std::string(b.begin(), b.end()));
         try { img.LoadFromStream(in); } catch (const CodecError&) {}
         for (int i = 0; i < img.Images().Count(); ++i) {
           try { (void)FrameToBitmap(img.Images().Frames(i)); } catch (const CodecError&) {}
         }
       }},
      {"preview and player", [](const auto& b) {
         GIFAnimator player;
         try { player.Image().LoadFromMemory(b.data(), b.size()); } catch (const CodecError&) {}
         for (int i = 0; i < player.Image().Count(); ++i) {
           try { (void)player.Compose(i); } catch (const CodecError&) {}
         }
       }},
      {"GIF picture", [](const auto& b) {
         auto pic = std::make_shared<GifPicture>();
         try {
           pic->LoadFromMemory(b.data(), b.size());
           (void)pic->ToBitmap();
           StillAnimation anim(pic);
           for (int i = 0; i < 10 && anim.Advance(); ++i) {}
         } catch (const CodecError&) {}
       }},
      {"sniffing loader", [](const auto& b) {
         Picture p;
         try { p.LoadFromMemory(b.data(), b.size(), Picture::Kind::Ole); } catch (const CodecError&) {}
       }},
      {"BMP", [](const auto& b) { try { (void)DecodeBmp(b.data(), b.size()); } catch (const CodecError&) {} }},
      {"ICO", [](const auto& b) { try { (void)DecodeIco(b.data(), b.size()); } catch (const CodecError&) {} }},
      {"ANI", [](const auto& b) { try { (void)DecodeAni(b.data(), b.size()); } catch (const CodecError&) {} }},
  };
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    ++files;
    for (const auto& [name, read] : readers) {
      SCOPED_TRACE(entry.path().filename().string() + " / " + name);
      EXPECT_NO_THROW(read(bytes));
    }
  }
  EXPECT_GT(files, 0);
}
