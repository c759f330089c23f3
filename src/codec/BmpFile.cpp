#include "codec/BmpFile.h"

#include "codec/Error.h"
#include "codec/FileReplace.h"
#include "codec/GifBlockScanner.h"
#include "codec/InputFile.h"

#include <bit>
#include <limits>

namespace framora {

namespace {

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;
// Run-length data can describe far more pixels than it has bytes; cap what it may ask for.
constexpr std::int64_t kMaxRlePixels = std::int64_t{1} << 26;
// Keeps a hostile header from asking for absurd sizes before the data-size check.
constexpr std::int64_t kMaxSide = 1 << 20;

[[noreturn]] void Bad(const std::string& why) { throw CodecError("Bitmap ist ungültig: " + why); }

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    max = m >> shift;
    // Only the contiguous low run counts; a broken mask must not overflow the scaling.
    const int bits = std::countr_one(max);
    max = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1);
  }
  std::uint8_t operator()(std::uint32_t px) const {
    if (max == 0) return 0;
    const std::uint64_t v = (px >> shift) & max;
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
};

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// BI_RLE8 / BI_RLE4: runs, absolute runs, line ends, deltas. Pixels the data does not reach
// stay index 0; whatever would fall outside the picture is dropped; data ending early ends it.
void DecodeRle(const std::uint8_t* p, std::size_t n, bool four, Bitmap& bmp) {
  const int w = bmp.width(), h = bmp.height();
  int x = 0, y = 0; // y counts rows from the bottom
  auto put = [&](std::uint8_t v) {
    if (x < w && y < h) bmp.row(h - 1 - y)[x] = v;
    ++x;
  };
  std::size_t i = 0;
  while (i + 1 < n && y < h) {
    const std::uint8_t count = p[i], value = p[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(four ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (i + 1 >= n) break;
      x += p[i];
      y += p[i + 1];
      i += 2;
    } else {
      const std::size_t bytes = four ? (value + 1u) / 2 : value;
      if (i + bytes > n) break;
      for (int k = 0; k < value; ++k) {
        const std::uint8_t b = p[i + (four ? static_cast<std::size_t>(k / 2) : static_cast<std::size_t>(k))];
        put(four ? ((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
      }
      i += (bytes + 1) & ~std::size_t{1}; // absolute runs are padded to 16 bits
    }
  }
}

} // namespace

Bitmap DecodeBmp(const std::uint8_t* data, std::size_t size) {
  if (size < 14 + 12) Bad("Datei zu kurz");
  if (data[0] != 'B' || data[1] != 'M') Bad("keine BMP-Signatur");
  const std::uint32_t offBits = U32(data + 10);
  const std::uint32_t hdrSize = U32(data + 14);
  if (hdrSize < 12 || hdrSize > size - 14) Bad("ungültiger Informationsblock");
  const std::uint8_t* h = data + 14;

  std::int64_t width = 0, height = 0;
  int bpp = 0;
  std::uint32_t compression = kBiRgb, clrUsed = 0;
  bool core = hdrSize < 40;
  if (core) {
    if (hdrSize != 12) Bad("ungültiger Informationsblock");
    width = U16(h + 4);
    height = U16(h + 6);
    bpp = U16(h + 10);
  } else {
    width = static_cast<std::int32_t>(U32(h + 4));
    height = static_cast<std::int32_t>(U32(h + 8));
    bpp = U16(h + 14);
    compression = U32(h + 16);
    clrUsed = U32(h + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) Bad("ungültige Bildgröße");
  // The pixel limit of the other readers, before anything is allocated for the pixels.
  if (static_cast<std::size_t>(width) * static_cast<std::size_t>(height) > gif::limits.maxFramePixels)
    Bad("zu groß (" + std::to_string(width) + " x " + std::to_string(height) + " Pixel)");

  std::size_t afterHeader = 14 + hdrSize;
  std::uint32_t masks[3] = {0, 0, 0};
  if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
    if (bpp != 16 && bpp != 32) Bad("BI_BITFIELDS bei " + std::to_string(bpp) + " Bit");
    if (hdrSize >= 52) {
      for (int i = 0; i < 3; ++i) masks[i] = U32(h + 40 + 4 * i);
    } else {
      const std::size_t n = compression == kBiAlphaBitfields ? 16 : 12;
      if (afterHeader + n > size) Bad("Datei zu kurz");
      for (int i = 0; i < 3; ++i) masks[i] = U32(data + afterHeader + 4 * i);
      afterHeader += n;
    }
  } else if (compression == kBiRle8 || compression == kBiRle4) {
    if (bpp != (compression == kBiRle8 ? 8 : 4)) Bad("Lauflängenkodierung bei " + std::to_string(bpp) + " Bit");
    if (topDown) Bad("Lauflängenkodierung mit umgekehrter Zeilenfolge");
    if (width * height > kMaxRlePixels) Bad("ungültige Bildgröße");
  } else if (compression != kBiRgb) {
    Bad("nicht unterstützte Kompression " + std::to_string(compression));
  } else if (bpp == 16) {
    masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F;
  } else if (bpp == 24 || bpp == 32) {
    masks[0] = 0xFF0000; masks[1] = 0x00FF00; masks[2] = 0x0000FF;
  }

  int outBpp = bpp;
  switch (bpp) {
  case 1: case 4: case 8: case 24: case 32: break;
  case 16: outBpp = (masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F) ? 15 : 16; break;
  default: Bad("nicht unterstützte Farbtiefe " + std::to_string(bpp));
  }

  auto ReadPalette = [&](Bitmap& bmp) {
    if (bpp > 8) return;
    const std::uint32_t full = 1u << bpp;
    std::uint32_t count = (clrUsed == 0 || clrUsed > full) ? full : clrUsed;
    const std::size_t entry = core ? 3 : 4;
    // A table cut short by the pixel data or the file end keeps what is there.
    std::size_t end = size;
    if (offBits > afterHeader && offBits <= size) end = offBits;
    if (afterHeader > end) Bad("Datei zu kurz");
    const std::size_t fits = (end - afterHeader) / entry;
    if (count > fits) count = static_cast<std::uint32_t>(fits);
    auto& pal = bmp.palette();
    pal.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint8_t* e = data + afterHeader + i * entry;
      pal[i] = Rgb{e[2], e[1], e[0]};
    }
  };

  const bool rle = compression == kBiRle8 || compression == kBiRle4;
  if (rle) {
    if (offBits < afterHeader || offBits > size) Bad("ungültiger Datenversatz");
    Bitmap bmp(static_cast<int>(width), static_cast<int>(height), bpp);
    ReadPalette(bmp);
    DecodeRle(data + offBits, size - offBits, compression == kBiRle4, bmp);
    return bmp;
  }

  // The pixel data must be in the file before anything is allocated for it.
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * bpp + 31) / 32 * 4;
  const std::size_t used = (static_cast<std::size_t>(width) * bpp + 7) / 8;
  if (offBits < afterHeader || offBits > size) Bad("ungültiger Datenversatz");
  const std::size_t avail = size - offBits;
  const std::size_t need = rowBytes * static_cast<std::size_t>(height - 1) + used;
  if (need > avail) Bad("Bilddaten unvollständig");

  Bitmap bmp(static_cast<int>(width), static_cast<int>(height), outBpp);

  ReadPalette(bmp);

  const Channel cr(masks[0]), cg(masks[1]), cb(masks[2]);
  for (std::int64_t y = 0; y < height; ++y) {
    const std::uint8_t* src = data + offBits + rowBytes * static_cast<std::size_t>(y);
    std::uint8_t* dst = bmp.row(static_cast<int>(topDown ? y : height - 1 - y));
    switch (bpp) {
    case 1:
      for (std::int64_t x = 0; x < width; ++x) dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
      break;
    case 4:
      for (std::int64_t x = 0; x < width; ++x) dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
      break;
    case 8:
      std::copy(src, src + width, dst);
      break;
    case 24:
      for (std::int64_t x = 0; x < width; ++x) {
        dst[3 * x] = src[3 * x + 2];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x];
      }
      break;
    case 16:
      for (std::int64_t x = 0; x < width; ++x) {
        const std::uint32_t px = U16(src + 2 * x);
        dst[3 * x] = cr(px); dst[3 * x + 1] = cg(px); dst[3 * x + 2] = cb(px);
      }
      break;
    case 32:
      for (std::int64_t x = 0; x < width; ++x) {
        const std::uint32_t px = U32(src + 4 * x);
        dst[3 * x] = cr(px); dst[3 * x + 1] = cg(px); dst[3 * x + 2] = cb(px);
      }
      break;
    }
  }
  return bmp;
}

Bitmap LoadBmpFile(const std::string& path) {
  InputRules rules;
  // No row or run of a BMP within the pixel limit takes more than 4 bytes per pixel.
  rules.maxBytes = 4 * gif::limits.maxFramePixels + (std::size_t{1} << 20);
  rules.headBytes = 26;
  rules.checkHead = [](const std::uint8_t* head, std::size_t size) {
    if (head[0] != 'B' || head[1] != 'M') DecodeBmp(head, size);
  };
  const std::vector<std::uint8_t> bytes = ReadInputFile(path, rules);
  return DecodeBmp(bytes.data(), bytes.size());
}

std::vector<std::uint8_t> EncodeBmp(const Bitmap& bmp) {
  const int w = bmp.width(), hgt = bmp.height();
  const int bpp = bmp.isPalette() ? bmp.bitsPerPixel() : 24;
  std::vector<Rgb> pal;
  if (bmp.isPalette()) {
    pal = bmp.palette();
    const std::size_t full = std::size_t{1} << bpp;
    // An empty table would mean "all 2^bpp entries" to a reader; write them out black.
    if (pal.empty()) pal.assign(full, Rgb{});
    if (pal.size() > full) pal.resize(full);
  }
  const std::size_t rowBytes = (static_cast<std::size_t>(w) * bpp + 31) / 32 * 4;
  const std::size_t image = rowBytes * static_cast<std::size_t>(hgt);
  const std::size_t offBits = 14 + 40 + 4 * pal.size();
  if (offBits + image > std::numeric_limits<std::uint32_t>::max()) throw CodecError("Bitmap ist zu groß für eine BMP-Datei");

  std::vector<std::uint8_t> out;
  out.reserve(offBits + image);
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<std::uint32_t>(offBits + image));
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(offBits));
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(w));
  Put32(out, static_cast<std::uint32_t>(hgt));
  Put16(out, 1);
  Put16(out, static_cast<std::uint32_t>(bpp));
  Put32(out, kBiRgb);
  Put32(out, static_cast<std::uint32_t>(image));
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(pal.size()));
  Put32(out, 0);
  for (const Rgb& c : pal) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  const std::size_t rowStart = out.size();
  out.resize(rowStart + image, 0);
  for (int y = 0; y < hgt; ++y) {
    const std::uint8_t* src = bmp.row(hgt - 1 - y);
    std::uint8_t* dst = out.data() + rowStart + rowBytes * static_cast<std::size_t>(y);
    switch (bpp) {
    case 1:
      for (int x = 0; x < w; ++x) dst[x >> 3] |= static_cast<std::uint8_t>((src[x] & 1) << (7 - (x & 7)));
      break;
    case 4:
      for (int x = 0; x < w; ++x) dst[x >> 1] |= static_cast<std::uint8_t>((x & 1) ? (src[x] & 0x0F) : (src[x] << 4));
      break;
    case 8:
      std::copy(src, src + w, dst);
      break;
    default:
      for (int x = 0; x < w; ++x) {
        dst[3 * x] = src[3 * x + 2];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x];
      }
    }
  }
  return out;
}

void SaveBmpFile(const Bitmap& bitmap, const std::string& path) { WriteFileReplacing(path, EncodeBmp(bitmap)); }

} // namespace framora
