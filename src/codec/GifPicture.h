#pragma once
// The GIF picture of the picture loader: the strict block walk with English messages; its
// size is the logical screen's and its raster form is the first image.
#include "codec/Bitmap.h"
#include "codec/GifStructureReader.h"

#include <string>
#include <vector>

namespace framora {

class GifPicture {
public:
  // Throws CodecError ("Invalid GIF signature", "Premature end of data", ...).
  void LoadFromMemory(const std::uint8_t* data, std::size_t size);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Warnings of the last load (they do not stop it).
  const std::vector<std::string>& Warnings() const { return warnings_; }
  const gif::RawImage& Raw() const { return raw_; }
  // Indices into Raw().frames of the frames that carry an image.
  const std::vector<int>& Images() const { return images_; }

  // The first image: its own 8-bit raster when it covers the whole logical screen, else a
  // screen-sized 8-bit raster with the image drawn at its position (no transparency).
  Bitmap ToBitmap() const;

  // The palette an image is drawn with: its local table, else the global one.
  const std::vector<Rgb>& PaletteOf(int frameIndex) const;

private:
  gif::RawImage raw_;
  std::vector<int> images_;
  std::vector<std::string> warnings_;
  int width_ = 0, height_ = 0;
};

} // namespace framora
