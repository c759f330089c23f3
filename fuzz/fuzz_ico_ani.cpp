// Icon and animated cursor reading; the first byte picks the reader so one corpus serves both.
#include "FuzzCommon.h"
#include "codec/Error.h"
#include "codec/PictureDecoders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  try {
    if (data[0] & 1) (void)framora::DecodeAni(data + 1, size - 1);
    else (void)framora::DecodeIco(data + 1, size - 1);
  } catch (const framora::CodecError&) {
  }
  return 0;
}
