// The picture loader for a name without extension: recognised by the first bytes, then
// decoded by whichever reader that picks (BMP, GIF, PNG, JPEG, TIFF, ICO, ANI).
#include "FuzzCommon.h"
#include "codec/Error.h"
#include "codec/Picture.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  framora::Picture picture;
  try {
    picture.LoadFromMemory(data, size, framora::Picture::Kind::Ole);
  } catch (const framora::CodecError&) {
  }
  return 0;
}
