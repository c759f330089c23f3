// The picture loader: the kind by extension (any case) or by the first bytes, each format's
// decoder on real files written here, and the previous picture kept when a load fails.
#include "GifBytes.h"
#include "GifCheck.h"
#include "codec/BmpFile.h"
#include "codec/Picture.h"
#include "codec/PictureDecoders.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace framora;
using framora::test::GifBytes;
using framora::test::TempDir;

namespace {

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// 4 x 2 RGBA: a red-to-blue ramp, the last pixel of each row fully transparent.
std::vector<std::uint8_t> rgbaPixels() {
  std::vector<std::uint8_t> p;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) p.insert(p.end(), {std::uint8_t(60 * x), std::uint8_t(100 * y), std::uint8_t(200 - 50 * x),
                                                    std::uint8_t(x == 3 ? 0 : 255)});
  return p;
}

void writePng(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, 4, 2, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  auto px = rgbaPixels();
  for (int y = 0; y < 2; ++y) png_write_row(png, px.data() + y * 16);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

void writeJpeg(const std::string& path, int width, int height) {
  FILE* f = std::fopen(path.c_str(), "wb");
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3, 128);
  while (c.next_scanline < c.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
}

// A progressive grey JPEG with 1 + 63 x 8 scans: every coefficient sent bit by bit.
void writeManyScanJpeg(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = 16;
  c.image_height = 16;
  c.input_components = 1;
  c.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&c);
  std::vector<jpeg_scan_info> scans;
  scans.push_back({1, {0}, 0, 0, 0, 0});
  for (int k = 1; k < 64; ++k) {
    scans.push_back({1, {0}, k, k, 0, 7});
    for (int al = 6; al >= 0; --al) scans.push_back({1, {0}, k, k, al + 1, al});
  }
  c.scan_info = scans.data();
  c.num_scans = static_cast<int>(scans.size());
  jpeg_start_compress(&c, TRUE);
  std::vector<std::uint8_t> row(16);
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < 16; ++x) row[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(x * 16 + c.next_scanline);
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
}

void writeTiff(const std::string& path) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 4);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, 2);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 2);
  auto px = rgbaPixels();
  for (int y = 0; y < 2; ++y) {
    std::uint8_t row[12];
    for (int x = 0; x < 4; ++x)
      for (int k = 0; k < 3; ++k) row[3 * x + k] = px[static_cast<std::size_t>(y * 16 + 4 * x + k)];
    TIFFWriteScanline(t, row, static_cast<std::uint32_t>(y), 0);
  }
  TIFFClose(t);
}

// A 4 x 2 icon with 8-bit palette pixels; the AND mask marks pixel (3, 0) transparent.
std::vector<std::uint8_t> icoBytes() {
  std::vector<std::uint8_t> dib;
  auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) dib.push_back(static_cast<std::uint8_t>(v >> (8 * i))); };
  auto u16 = [&](std::uint16_t v) { dib.push_back(static_cast<std::uint8_t>(v)); dib.push_back(static_cast<std::uint8_t>(v >> 8)); };
  u32(40); u32(4); u32(4); u16(1); u16(8); u32(0); u32(0); u32(0); u32(0); u32(4); u32(0);
  const std::uint8_t pal[4][4] = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {9, 9, 9, 0}};  // B G R 0
  for (auto& c : pal) dib.insert(dib.end(), c, c + 4);
  dib.insert(dib.end(), {2, 2, 2, 2});        // bottom row
  dib.insert(dib.end(), {0, 1, 2, 3});        // top row
  dib.insert(dib.end(), {0, 0, 0, 0});        // AND mask, bottom row
  dib.insert(dib.end(), {0x10, 0, 0, 0});     // top row: x = 3
  std::vector<std::uint8_t> ico = {0, 0, 1, 0, 1, 0, 4, 2, 4, 0, 1, 0, 8, 0};
  const std::uint32_t size = static_cast<std::uint32_t>(dib.size()), off = 22;
  for (int i = 0; i < 4; ++i) ico.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
  for (int i = 0; i < 4; ++i) ico.push_back(static_cast<std::uint8_t>(off >> (8 * i)));
  ico.insert(ico.end(), dib.begin(), dib.end());
  return ico;
}

std::vector<std::uint8_t> aniBytes() {
  const auto ico = icoBytes();
  auto le = [](std::vector<std::uint8_t>& v, std::uint32_t x) { for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i))); };
  std::vector<std::uint8_t> body = {'A', 'C', 'O', 'N', 'a', 'n', 'i', 'h'};
  le(body, 36);
  body.insert(body.end(), 36, 0);
  body.insert(body.end(), {'L', 'I', 'S', 'T'});
  le(body, static_cast<std::uint32_t>(4 + 8 + ico.size() + (ico.size() & 1)));
  body.insert(body.end(), {'f', 'r', 'a', 'm', 'i', 'c', 'o', 'n'});
  le(body, static_cast<std::uint32_t>(ico.size()));
  body.insert(body.end(), ico.begin(), ico.end());
  if (ico.size() & 1) body.push_back(0);
  std::vector<std::uint8_t> riff = {'R', 'I', 'F', 'F'};
  le(riff, static_cast<std::uint32_t>(body.size()));
  riff.insert(riff.end(), body.begin(), body.end());
  return riff;
}

void expectRamp(const Bitmap& b) {
  ASSERT_EQ(b.width(), 4);
  ASSERT_EQ(b.height(), 2);
  const auto px = rgbaPixels();
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) {
      const auto* p = &px[static_cast<std::size_t>(y * 16 + 4 * x)];
      EXPECT_EQ(b.pixel(x, y), (Rgb{p[0], p[1], p[2]})) << x << "," << y;
    }
}

} // namespace

TEST(Picture, KindByExtensionInAnyCase) {
  const std::pair<const char*, Picture::Kind> table[] = {
      {"bmp", Picture::Kind::Bitmap}, {"ICO", Picture::Kind::Icon},   {"wmf", Picture::Kind::Metafile},
      {"Emf", Picture::Kind::Metafile}, {"tif", Picture::Kind::Tiff}, {"TIFF", Picture::Kind::Tiff},
      {"jpg", Picture::Kind::Jpeg},   {"JPEG", Picture::Kind::Jpeg},  {"png", Picture::Kind::Png},
      {"ani", Picture::Kind::AnimatedCursor}, {"gif", Picture::Kind::Gif}, {"GIF", Picture::Kind::Gif},
      {"Gif", Picture::Kind::Gif},    {"", Picture::Kind::Ole},
  };
  for (const auto& [ext, kind] : table) EXPECT_EQ(Picture::KindForExtension(ext), kind) << ext;
  try {
    Picture::KindForExtension("xyz");
    ADD_FAILURE();
  } catch (const CodecError& e) {
    EXPECT_STREQ(e.what(), "Unbekannte Bilddateierweiterung (.xyz)");
  }
}

TEST(Picture, LoadsEveryFormatByExtensionAndByFirstBytes) {
  TempDir dir;
  writePng(dir.File("a.png"));
  writeTiff(dir.File("a.TIF"));
  writeJpeg(dir.File("a.jpeg"), 5, 3);
  writeFile(dir.File("a.Ico"), icoBytes());
  writeFile(dir.File("a.ani"), aniBytes());
  writeFile(dir.File("a.GIF"), GifBytes().header(6, 4, 2).image(1, 1, 2, 2, {0, 1, 2, 3}).image(0, 0, 6, 4,
                                                                                            std::vector<std::uint8_t>(24, 1)).trailer().bytes);
  Bitmap bmp(3, 2, 8);
  bmp.palette() = {Rgb{1, 2, 3}, Rgb{4, 5, 6}};
  bmp.data() = {0, 1, 0, 1, 0, 1};
  SaveBmpFile(bmp, dir.File("a.bmp"));

  struct Case {
    const char* file;
    Picture::Kind kind;
    int width, height;
  };
  const Case cases[] = {
      {"a.png", Picture::Kind::Png, 4, 2},     {"a.TIF", Picture::Kind::Tiff, 4, 2},
      {"a.jpeg", Picture::Kind::Jpeg, 5, 3},   {"a.Ico", Picture::Kind::Icon, 4, 2},
      {"a.ani", Picture::Kind::AnimatedCursor, 4, 2}, {"a.GIF", Picture::Kind::Gif, 6, 4},
      {"a.bmp", Picture::Kind::Bitmap, 3, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    Picture byName;
    byName.LoadFromFile(dir.File(c.file));
    EXPECT_EQ(byName.kind(), c.kind);
    EXPECT_EQ(byName.Width(), c.width);
    EXPECT_EQ(byName.Height(), c.height);
    // The same bytes under a name without extension are recognised by their start.
    std::filesystem::copy_file(dir.File(c.file), dir.File("noext"), std::filesystem::copy_options::overwrite_existing);
    Picture sniffed;
    sniffed.LoadFromFile(dir.File("noext"));
    EXPECT_EQ(sniffed.kind(), c.kind);
    EXPECT_EQ(sniffed.Bitmap().data(), byName.Bitmap().data());
  }

  Picture p;
  p.LoadFromFile(dir.File("a.png"));
  expectRamp(p.Bitmap());
  EXPECT_TRUE(p.Bitmap().transparent);
  EXPECT_EQ(p.Bitmap().mask, (std::vector<std::uint8_t>{0, 0, 0, 1, 0, 0, 0, 1}));
  p.LoadFromFile(dir.File("a.TIF"));
  expectRamp(p.Bitmap());
  EXPECT_FALSE(p.Bitmap().transparent);

  for (const char* name : {"a.Ico", "a.ani"}) {
    p.LoadFromFile(dir.File(name));
    const Bitmap& b = p.Bitmap();
    EXPECT_EQ(b.bitsPerPixel(), 8);
    EXPECT_EQ(b.data(), (std::vector<std::uint8_t>{0, 1, 2, 3, 2, 2, 2, 2}));
    EXPECT_EQ(b.palette()[0], (Rgb{255, 0, 0}));
    EXPECT_TRUE(b.transparent) << "the icon mask makes pixels transparent";
    EXPECT_EQ(b.mask, (std::vector<std::uint8_t>{0, 0, 0, 1, 0, 0, 0, 0}));
  }

  p.LoadFromFile(dir.File("a.GIF"));
  EXPECT_EQ(p.Bitmap().width(), 6) << "the first image on the whole screen";
  EXPECT_EQ(p.Bitmap().data()[7], 0);
  EXPECT_EQ(p.Bitmap().data()[8], 1);
  ASSERT_NE(p.Gif(), nullptr);
  EXPECT_EQ(p.Gif()->Images().size(), 2u);
}

TEST(Picture, FailedLoadsKeepThePreviousPicture) {
  TempDir dir;
  writeManyScanJpeg(dir.File("scans.jpg"));
  writePng(dir.File("ok.png"));
  writeFile(dir.File("x.wmf"), {0xD7, 0xCD, 0xC6, 0x9A, 0, 0});
  writeFile(dir.File("x.emf"), {1, 0, 0, 0});
  writeFile(dir.File("x.xyz"), {1, 2, 3});
  writeFile(dir.File("bad.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13});
  writeFile(dir.File("bad.gif"), {'G', 'I', 'F', '8', '9', 'a', 1});
  writeFile(dir.File("bad.jpg"), {0xFF, 0xD8, 0xFF, 0xE0, 0, 16});
  writeFile(dir.File("bad.ico"), {0, 0, 1, 0, 0, 0});
  writeFile(dir.File("unknownbytes"), {'h', 'e', 'l', 'l', 'o'});

  struct Case {
    const char* file;
    const char* message;  // nullptr: any clear message
  };
  const Case cases[] = {
      {"x.wmf", "Cannot load the Windows metafile picture (.wmf): no metafile decoder is available"},
      {"x.emf", "Cannot load the Windows metafile picture (.emf): no metafile decoder is available"},
      {"x.xyz", "Unbekannte Bilddateierweiterung (.xyz)"},
      {"bad.gif", "Premature end of data"},
      {"missing.png", nullptr}, {"bad.png", nullptr}, {"bad.jpg", nullptr}, {"bad.ico", nullptr},
      {"unknownbytes", "Unrecognized picture format"},
      {"scans.jpg", "Invalid JPEG file: more than 500 scans"},
  };
  Picture p;
  p.LoadFromFile(dir.File("ok.png"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    try {
      p.LoadFromFile(dir.File(c.file));
      ADD_FAILURE() << "no error";
    } catch (const CodecError& e) {
      if (c.message) EXPECT_STREQ(e.what(), c.message);
      else EXPECT_GT(std::string(e.what()).size(), 10u);
    }
    EXPECT_EQ(p.kind(), Picture::Kind::Png);
    expectRamp(p.Bitmap());
  }
}
