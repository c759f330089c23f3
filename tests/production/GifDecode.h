#pragma once
// giflib as an independent reader of the GIFs the production commands write.
#include <gif_lib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace framora::test {

struct DecodedFrame {
  int left = 0, top = 0, width = 0, height = 0;
  int delay = -1;            // hundredths; -1 without a graphic control block
  int disposal = -1;
  int transparentIndex = -1; // -1 none
  std::vector<std::uint8_t> rgb; // the frame's own pixels through its active map, 3 bytes each
  std::vector<std::uint8_t> indices;
  int loopBlocks = 0;        // NETSCAPE2.0 blocks before this frame
  int loopCount = -1;        // of the last of them
  int controlBlocks = 0;     // graphic control blocks before this frame
};

struct DecodedGif {
  bool ok = false;
  std::string error;
  int width = 0, height = 0;
  std::vector<DecodedFrame> frames;
};

inline DecodedGif DecodeWithGiflib(const std::string& path) {
  DecodedGif out;
  int err = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &err);
  if (!gif) {
    out.error = GifErrorString(err);
    return out;
  }
  if (DGifSlurp(gif) != GIF_OK) {
    out.error = GifErrorString(gif->Error);
    DGifCloseFile(gif, &err);
    return out;
  }
  out.width = gif->SWidth;
  out.height = gif->SHeight;
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& s = gif->SavedImages[i];
    DecodedFrame f;
    f.left = s.ImageDesc.Left;
    f.top = s.ImageDesc.Top;
    f.width = s.ImageDesc.Width;
    f.height = s.ImageDesc.Height;
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
      f.delay = gcb.DelayTime;
      f.disposal = gcb.DisposalMode;
      f.transparentIndex = gcb.TransparentColor;
    }
    for (int e = 0; e < s.ExtensionBlockCount; ++e)
      if (s.ExtensionBlocks[e].Function == GRAPHICS_EXT_FUNC_CODE) ++f.controlBlocks;
    for (int e = 0; e + 1 < s.ExtensionBlockCount; ++e) {
      const ExtensionBlock& b = s.ExtensionBlocks[e];
      if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
          std::string(reinterpret_cast<const char*>(b.Bytes), 11) == "NETSCAPE2.0") {
        const ExtensionBlock& d = s.ExtensionBlocks[e + 1];
        ++f.loopBlocks;
        if (d.ByteCount >= 3) f.loopCount = d.Bytes[1] | (d.Bytes[2] << 8);
      }
    }
    const ColorMapObject* map = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap;
    const std::size_t n = std::size_t(f.width) * std::size_t(f.height);
    f.indices.assign(s.RasterBits, s.RasterBits + n);
    for (std::size_t p = 0; p < n; ++p) {
      const int idx = s.RasterBits[p];
      GifColorType c{0, 0, 0};
      if (map && idx < map->ColorCount) c = map->Colors[idx];
      f.rgb.push_back(c.Red);
      f.rgb.push_back(c.Green);
      f.rgb.push_back(c.Blue);
    }
    out.frames.push_back(std::move(f));
  }
  DGifCloseFile(gif, &err);
  out.ok = true;
  return out;
}

} // namespace framora::test
