#pragma once
// Test helpers: decode what our writer produced with giflib and compare it with the model.
#include "codec/GIFImage.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace framora::test {

// A fresh folder below the system temp folder, removed again at the end of the test.
class TempDir {
public:
  TempDir() {
    static int n = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("framora_codec_" + std::to_string(::getpid()) + "_" + std::to_string(n++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

private:
  std::filesystem::path path_;
};

inline std::vector<Rgb> Padded(const GIFColorMap& map) {
  std::vector<Rgb> v = map.Data();
  if (!v.empty()) v.resize(std::size_t{1} << map.BitsPerPixel());
  return v;
}

inline std::vector<Rgb> FromGiflib(const ColorMapObject* m) {
  std::vector<Rgb> v;
  if (!m) return v;
  for (int i = 0; i < m->ColorCount; ++i)
    v.push_back(Rgb{m->Colors[i].Red, m->Colors[i].Green, m->Colors[i].Blue});
  return v;
}

// The loop count of a NETSCAPE2.0 block among the extension blocks, or -1.
inline int LoopCount(const ExtensionBlock* blocks, int count) {
  for (int i = 0; i + 1 < count; ++i)
    if (blocks[i].Function == APPLICATION_EXT_FUNC_CODE && blocks[i].ByteCount == 11 &&
        std::string(reinterpret_cast<const char*>(blocks[i].Bytes), 11) == "NETSCAPE2.0" &&
        blocks[i + 1].Function == CONTINUE_EXT_FUNC_CODE && blocks[i + 1].ByteCount >= 3 && blocks[i + 1].Bytes[0] == 1)
      return blocks[i + 1].Bytes[1] | (blocks[i + 1].Bytes[2] << 8);
  return -1;
}

// Decodes `path` with giflib and checks screen, tables, pixels and graphic control data
// against the model. Every model frame has pixel data here.
inline void ExpectGiflibReadsModel(const std::string& path, const GIFImage& image) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  ASSERT_NE(gif, nullptr) << GifErrorString(error);
  ASSERT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
  EXPECT_EQ(gif->SWidth, image.Width());
  EXPECT_EQ(gif->SHeight, image.Height());
  EXPECT_EQ(gif->SBackGroundColor, image.Header().Descriptor().BackgroundColorIndex);
  EXPECT_EQ(FromGiflib(gif->SColorMap), Padded(image.GlobalColorMap()));
  ASSERT_EQ(gif->ImageCount, image.Images().Count());
  for (int i = 0; i < gif->ImageCount; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const SavedImage& s = gif->SavedImages[i];
    const GIFFrame& f = image.Images().Frames(i);
    EXPECT_EQ(s.ImageDesc.Left, f.Left());
    EXPECT_EQ(s.ImageDesc.Top, f.Top());
    ASSERT_EQ(s.ImageDesc.Width, f.Width());
    ASSERT_EQ(s.ImageDesc.Height, f.Height());
    EXPECT_EQ(s.ImageDesc.Interlace != 0, f.Interlaced());
    EXPECT_EQ(FromGiflib(s.ImageDesc.ColorMap), Padded(f.ColorMap()));
    const std::vector<std::uint8_t> raster(s.RasterBits, s.RasterBits + f.DataSize());
    EXPECT_TRUE(raster == f.Data()) << "pixels differ";
    GraphicsControlBlock gcb{};
    const bool hasGcb = DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK;
    const GIFGraphicControlExtension* gce = f.GraphicControlExtension(); // giflib reports the first one too
    ASSERT_EQ(hasGcb, gce != nullptr);
    if (gce) {
      EXPECT_EQ(gcb.DelayTime, gce->Delay());
      EXPECT_EQ(gcb.DisposalMode, gce->Disposal());
      EXPECT_EQ(gcb.UserInputFlag, gce->UserInput());
      EXPECT_EQ(gcb.TransparentColor, gce->Transparent() ? gce->TransparentColorIndex() : NO_TRANSPARENT_COLOR);
    }
    int loops = -1;
    for (const auto& e : f.Extensions())
      if (auto* l = dynamic_cast<const GIFAppExtNSLoop*>(e.get())) loops = l->Loops();
    EXPECT_EQ(LoopCount(s.ExtensionBlocks, s.ExtensionBlockCount), loops);
  }
  DGifCloseFile(gif, &error);
}

// The same for bytes made by SaveToBytes/SaveToStream.
inline void ExpectGiflibReadsBytes(const std::vector<std::uint8_t>& bytes, const GIFImage& image) {
  TempDir dir;
  const std::string path = dir.File("bytes.gif");
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ExpectGiflibReadsModel(path, image);
}

} // namespace framora::test
