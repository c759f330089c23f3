#pragma once
// Windows BMP files: the frame files the program reads and writes.
// Reading: 1, 4, 8, 16, 24 and 32 bits per pixel, bottom-up and top-down rows,
// BI_RGB and BI_BITFIELDS, BITMAPCOREHEADER up to BITMAPV5HEADER.
// Writing: palette pictures at their own depth (1, 4 or 8 bits, the palette as is),
// every other picture as 24 bits; rows bottom-up, BI_RGB.
#include "codec/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace framora {

// CodecError ("Bitmap ist ungültig: …") for anything that is not a readable BMP, also for
// more pixels than gif::limits.maxFramePixels (found before the pixels are allocated).
Bitmap DecodeBmp(const std::uint8_t* data, std::size_t size);
// Also CodecFileError for a file that cannot be opened, is no regular file or is larger than
// a BMP within the pixel limit can be; a wrong signature is found before the rest is read.
Bitmap LoadBmpFile(const std::string& path);

std::vector<std::uint8_t> EncodeBmp(const Bitmap& bitmap);
// Replaces the file through a temporary file beside it; the old file survives a failure.
void SaveBmpFile(const Bitmap& bitmap, const std::string& path);

} // namespace framora
