#include "codec/PictureDecoders.h"

#include "codec/Error.h"
#include "codec/GifBlockScanner.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace framora {

namespace {
struct MemFile {
  const std::uint8_t* data;
  toff_t size, pos;
};
tmsize_t memRead(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemFile*>(h);
  if (n < 0) return 0;
  const toff_t left = f->pos < f->size ? f->size - f->pos : 0;
  const toff_t take = std::min<toff_t>(static_cast<toff_t>(n), left);
  if (take) std::memcpy(buf, f->data + f->pos, take);
  f->pos += take;
  return static_cast<tmsize_t>(take);
}
tmsize_t memWrite(thandle_t, void*, tmsize_t) { return 0; }
toff_t memSeek(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemFile*>(h);
  toff_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->size : 0;
  f->pos = base + off;
  return f->pos;
}
int memClose(thandle_t) { return 0; }
toff_t memSize(thandle_t h) { return static_cast<MemFile*>(h)->size; }
int memMap(thandle_t, void**, toff_t*) { return 0; }
void memUnmap(thandle_t, void*, toff_t) {}

thread_local std::string lastTiffError;
void tiffError(const char*, const char* fmt, va_list ap) {
  char buf[256];
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  lastTiffError = buf;
}
void tiffSilent(const char*, const char*, va_list) {}
} // namespace

Bitmap DecodeTiff(const std::uint8_t* data, std::size_t size) {
  static std::once_flag handlers;
  std::call_once(handlers, [] {
    TIFFSetErrorHandler(tiffError);
    TIFFSetWarningHandler(tiffSilent);
  });
  lastTiffError.clear();
  MemFile mem{data, size, 0};
  TIFF* tif = TIFFClientOpen("memory", "rm", &mem, memRead, memWrite, memSeek, memClose, memSize, memMap, memUnmap);
  if (!tif) throw CodecError("Invalid TIFF file: " + lastTiffError);
  std::uint32_t w = 0, h = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  if (w == 0 || h == 0) { TIFFClose(tif); throw CodecError("Invalid TIFF file: no image size"); }
  if (static_cast<std::size_t>(w) * h > gif::limits.maxFramePixels || w > 65535 || h > 65535) {
    TIFFClose(tif);
    throw CodecError("Image too large");
  }
  std::vector<std::uint32_t> raster(static_cast<std::size_t>(w) * h);
  const int ok = TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0);
  TIFFClose(tif);
  if (!ok) throw CodecError("Invalid TIFF file: " + lastTiffError);
  Bitmap bmp(static_cast<int>(w), static_cast<int>(h), 24);
  bmp.mask.assign(raster.size(), 0);
  std::uint8_t* d = bmp.data().data();
  for (std::size_t i = 0; i < raster.size(); ++i, d += 3) {
    const std::uint32_t p = raster[i];
    d[0] = static_cast<std::uint8_t>(TIFFGetR(p));
    d[1] = static_cast<std::uint8_t>(TIFFGetG(p));
    d[2] = static_cast<std::uint8_t>(TIFFGetB(p));
    bmp.mask[i] = TIFFGetA(p) < 128;
  }
  FinishMask(bmp);
  return bmp;
}

} // namespace framora
