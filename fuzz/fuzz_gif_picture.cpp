// The GIF picture of the picture loader, its raster form and its own animation.
#include "FuzzCommon.h"
#include "codec/GifPicture.h"
#include "codec/Player.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto picture = std::make_shared<framora::GifPicture>();
  try {
    picture->LoadFromMemory(data, size);
  } catch (const framora::CodecError&) {
    return 0;
  }
  try {
    (void)picture->ToBitmap();
  } catch (const framora::CodecError&) {
  }
  framora::StillAnimation animation(picture);
  for (int i = 0; i < 16 && animation.Advance(); ++i) {
  }
  return 0;
}
