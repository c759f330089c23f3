// The GIF picture of the picture loader and its raster form.
#include "FuzzCommon.h"
#include "codec/GifPicture.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  framora::GifPicture picture;
  try {
    picture.LoadFromMemory(data, size);
    (void)picture.ToBitmap();
  } catch (const framora::CodecError&) {
  }
  return 0;
}
