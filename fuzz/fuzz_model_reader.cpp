// The GIF model reader, then every frame's raster image as the splitter takes it.
#include "FuzzCommon.h"
#include "codec/GIFImage.h"
#include "codec/GifModelReader.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  framora::GIFImage image;
  int warnings = 0;
  image.OnWarning = [&](framora::Severity, const std::string&) { ++warnings; };
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  try {
    image.LoadFromStream(in);
  } catch (const framora::CodecError&) {
  }
  for (int i = 0; i < image.Images().Count(); ++i) {
    try {
      (void)framora::FrameToBitmap(image.Images().Frames(i));
    } catch (const framora::CodecError&) {
    }
  }
  return 0;
}
