#pragma once
// Decoders of the picture formats the picture loader knows besides BMP and GIF.
// Each throws CodecError with a clear English message for data it cannot read, and refuses
// pictures beyond gif::limits.maxFramePixels before allocating them.
#include "codec/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace framora {

// 24-bit RGB; an alpha channel (or tRNS) becomes the transparency mask (alpha below 128).
Bitmap DecodePng(const std::uint8_t* data, std::size_t size);
// 24-bit RGB (grey and CMYK pictures converted). warning gets libjpeg's first warning (such as
// a premature end of the data), empty for an undamaged file.
Bitmap DecodeJpeg(const std::uint8_t* data, std::size_t size, std::string* warning = nullptr);
// 24-bit RGB of the first directory; alpha becomes the transparency mask.
Bitmap DecodeTiff(const std::uint8_t* data, std::size_t size);
// The first image of an icon (or cursor) file: palette pictures keep their palette, others
// become 24-bit; the AND mask (or alpha) marks transparent pixels.
Bitmap DecodeIco(const std::uint8_t* data, std::size_t size);
// The first icon of an animated cursor (RIFF "ACON").
Bitmap DecodeAni(const std::uint8_t* data, std::size_t size);

// Sets bmp.transparent when any mask byte is set (and drops an all-clear mask).
void FinishMask(Bitmap& bmp);
// Throws "Image too large" for pictures beyond the pixel cap.
void CheckPictureSize(std::size_t width, std::size_t height);

} // namespace framora
