#pragma once
// Turning a true-colour bitmap into an 8-bit palette bitmap of at most 2^ReductionBits
// colours: octree quantisation for the palette, then Floyd–Steinberg error diffusion
// (or plain nearest colour) for the indices. Pure functions: no state outside the call,
// safe to run on several threads at once.
#include "codec/Bitmap.h"

#include <optional>

namespace framora {

// Only rmQuantize with dmFloydSteinberg and 8 bits is used by the program.
enum TColorReduction : int { rmQuantize = 7 };
enum TDitherMode : int { dmNearest = 0, dmFloydSteinberg = 1 };

struct ReductionSettings {
  TColorReduction ColorReduction = rmQuantize;
  TDitherMode DitherMode = dmFloydSteinberg;
  int ReductionBits = 8; // 3..8, clamped
  // The colour a transparent GIF will key on. Pixels of exactly this colour stay out of the
  // quantiser and the error diffusion and share one entry of exactly this colour, the last
  // one, so that looking the colour up finds them and no other pixel.
  std::optional<Rgb> TransparentColor{};
};

// The source is read as 24-bit RGB (palette bitmaps through their palette). The result has
// bitsPerPixel 8, the same size, and a palette of exactly as many entries as the quantiser
// found (at most 2^ReductionBits, the transparent colour's entry included).
Bitmap ReduceColors(const Bitmap& source, const ReductionSettings& settings = {});

} // namespace framora
