// The preview image: load, then decode and touch every frame as the player would.
#include "FuzzCommon.h"
#include "codec/PreviewGIFImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  framora::PreviewGIFImage image;
  try {
    image.LoadFromMemory(data, size);
  } catch (const framora::CodecError&) {
  }
  unsigned sum = 0;
  for (int i = 0; i < image.Count(); ++i) {
    try {
      const auto& bmp = image.Frames(i).Bitmap();
      for (auto b : bmp.data()) sum += b;
    } catch (const framora::CodecError&) {
    }
  }
  (void)image.Corrupted();
  return static_cast<int>(sum & 0);
}
