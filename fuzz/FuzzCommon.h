#pragma once
// Shared set-up of the fuzz targets: smaller memory caps so every input runs quickly.
#include "codec/GifBlockScanner.h"

namespace framora::fuzz {
inline bool init() {
  gif::limits.maxFramePixels = std::size_t{1} << 22;
  gif::limits.maxFillPixels = std::size_t{1} << 22;
  gif::limits.maxTotalPixels = std::size_t{1} << 24;
  gif::limits.maxCachedPixels = std::size_t{1} << 24;
  return true;
}
inline const bool initialised = init();
} // namespace framora::fuzz
