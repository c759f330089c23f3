// The preview image: load, then compose frames as the player would (which decodes them).
#include "FuzzCommon.h"
#include "codec/Player.h"
#include "codec/PreviewGIFImage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  framora::GIFAnimator player;
  try {
    player.Image().LoadFromMemory(data, size);
  } catch (const framora::CodecError&) {
  }
  const int frames = std::min(player.Image().Count(), 64);
  for (int i = 0; i < frames; ++i) {
    try {
      (void)player.Compose(i);
    } catch (const framora::CodecError&) {
    }
  }
  // Out of order too: this takes the start-frame search instead of the cache.
  for (int i = frames - 1; i >= 0; i -= 3) {
    try {
      (void)player.Compose(i);
    } catch (const framora::CodecError&) {
    }
  }
  (void)player.Image().Corrupted();
  return 0;
}
