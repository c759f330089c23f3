// BMP reading.
#include "FuzzCommon.h"
#include "codec/BmpFile.h"
#include "codec/Error.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    (void)framora::DecodeBmp(data, size);
  } catch (const framora::CodecError&) {
  }
  return 0;
}
