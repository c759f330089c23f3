#include "codec/BmpFile.h"
#include "codec/Error.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace framora;
namespace fs = std::filesystem;

namespace {

void Put16(std::vector<std::uint8_t>& v, unsigned x) { v.push_back(x & 0xFF); v.push_back((x >> 8) & 0xFF); }
void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) { Put16(v, x & 0xFFFF); Put16(v, x >> 16); }

// A hand-made BMP with a BITMAPINFOHEADER (or BITMAPV4HEADER when v4), rows given top row first.
struct BmpSpec {
  int width, height, bpp;
  bool topDown;
  std::uint32_t compression;
  std::vector<std::uint32_t> masks;   // BI_BITFIELDS
  bool v4;
  std::vector<Rgb> palette;
  std::vector<std::vector<std::uint8_t>> rows; // packed row bytes without padding, top row first
};

std::vector<std::uint8_t> Build(const BmpSpec& s) {
  const std::uint32_t hdr = s.v4 ? 108 : 40;
  const bool masksAfter = s.compression == 3 && !s.v4;
  const std::size_t stride = (static_cast<std::size_t>(s.width) * s.bpp + 31) / 32 * 4;
  const std::uint32_t off = 14 + hdr + (masksAfter ? 12 : 0) + 4 * static_cast<std::uint32_t>(s.palette.size());
  std::vector<std::uint8_t> v{'B', 'M'};
  Put32(v, off + static_cast<std::uint32_t>(stride * s.height));
  Put32(v, 0);
  Put32(v, off);
  Put32(v, hdr);
  Put32(v, s.width);
  Put32(v, static_cast<std::uint32_t>(s.topDown ? -s.height : s.height));
  Put16(v, 1);
  Put16(v, s.bpp);
  Put32(v, s.compression);
  Put32(v, 0); Put32(v, 0); Put32(v, 0);
  Put32(v, static_cast<std::uint32_t>(s.palette.size()));
  Put32(v, 0);
  if (s.v4) {
    for (int i = 0; i < 3; ++i) Put32(v, s.compression == 3 ? s.masks[i] : 0);
    while (v.size() < 14 + hdr) v.push_back(0);
  } else if (masksAfter) {
    for (int i = 0; i < 3; ++i) Put32(v, s.masks[i]);
  }
  for (const Rgb& c : s.palette) { v.push_back(c.b); v.push_back(c.g); v.push_back(c.r); v.push_back(0); }
  for (int y = 0; y < s.height; ++y) {
    const auto& r = s.rows[s.topDown ? y : s.height - 1 - y];
    std::vector<std::uint8_t> row(r);
    row.resize(stride, 0);
    v.insert(v.end(), row.begin(), row.end());
  }
  return v;
}

struct DecodeCase {
  const char* name;
  BmpSpec spec;
  int expectBpp;
  std::vector<std::vector<Rgb>> expect; // colours, top row first
  std::vector<std::vector<std::uint8_t>> expectIndex; // palette pictures
};

std::vector<DecodeCase> DecodeCases() {
  const std::vector<Rgb> pal2{{255, 0, 0}, {0, 0, 255}};
  const std::vector<Rgb> pal3{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  return {
      {"1bit_bottom_up", {9, 2, 1, false, 0, {}, false, pal2, {{0b10110000, 0b10000000}, {0b01001111, 0b00000000}}},
       1, {}, {{1, 0, 1, 1, 0, 0, 0, 0, 1}, {0, 1, 0, 0, 1, 1, 1, 1, 0}}},
      {"4bit_top_down_short_table_keeps_indices",
       {3, 1, 4, true, 0, {}, false, pal3, {{0x12, 0xF0}}}, 4, {}, {{1, 2, 15}}},
      {"8bit_bottom_up", {3, 2, 8, false, 0, {}, false, pal3, {{0, 1, 2}, {2, 2, 0}}}, 8, {}, {{0, 1, 2}, {2, 2, 0}}},
      {"24bit_top_down", {2, 2, 24, true, 0, {}, false, {}, {{3, 2, 1, 6, 5, 4}, {9, 8, 7, 0, 0, 255}}},
       24, {{{1, 2, 3}, {4, 5, 6}}, {{7, 8, 9}, {255, 0, 0}}}, {}},
      {"32bit_rgb_ignores_alpha", {1, 2, 32, false, 0, {}, false, {}, {{10, 20, 30, 99}, {1, 2, 3, 0}}},
       32, {{{30, 20, 10}}, {{3, 2, 1}}}, {}},
      {"16bit_555_default", {2, 1, 16, false, 0, {}, false, {}, {{0x00, 0x7C, 0x1F, 0x00}}}, 15,
       {{{255, 0, 0}, {0, 0, 255}}}, {}},
      {"16bit_565_bitfields", {2, 1, 16, false, 3, {0xF800, 0x07E0, 0x001F}, false, {}, {{0xE0, 0x07, 0x10, 0x84}}},
       16, {{{0, 255, 0}, {132, 130, 132}}}, {}},
      {"32bit_bitfields_v4_header", {1, 1, 32, true, 3, {0x000000FF, 0x0000FF00, 0x00FF0000}, true, {}, {{11, 22, 33, 0}}},
       32, {{{11, 22, 33}}}, {}},
  };
}

} // namespace

TEST(BmpDecode, ReadsEveryDepthAndRowOrder) {
  for (const DecodeCase& c : DecodeCases()) {
    SCOPED_TRACE(c.name);
    const auto bytes = Build(c.spec);
    const Bitmap b = DecodeBmp(bytes.data(), bytes.size());
    ASSERT_EQ(b.width(), c.spec.width);
    ASSERT_EQ(b.height(), c.spec.height);
    EXPECT_EQ(b.bitsPerPixel(), c.expectBpp);
    if (b.isPalette()) {
      EXPECT_EQ(b.palette(), c.spec.palette);
      for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) EXPECT_EQ(b.row(y)[x], c.expectIndex[y][x]) << x << "," << y;
    } else {
      for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) EXPECT_EQ(b.pixel(x, y), c.expect[y][x]) << x << "," << y;
    }
  }
}

// Run-length files: header and palette as usual, then the encoded bytes.
std::vector<std::uint8_t> BuildRle(int width, int height, int bpp, const std::vector<Rgb>& palette,
                                   const std::vector<std::uint8_t>& encoded) {
  const std::uint32_t off = 14 + 40 + 4 * static_cast<std::uint32_t>(palette.size());
  std::vector<std::uint8_t> v{'B', 'M'};
  Put32(v, off + static_cast<std::uint32_t>(encoded.size()));
  Put32(v, 0);
  Put32(v, off);
  Put32(v, 40);
  Put32(v, width);
  Put32(v, height);
  Put16(v, 1);
  Put16(v, bpp);
  Put32(v, bpp == 8 ? 1 : 2);
  Put32(v, static_cast<std::uint32_t>(encoded.size()));
  Put32(v, 0); Put32(v, 0);
  Put32(v, static_cast<std::uint32_t>(palette.size()));
  Put32(v, 0);
  for (const Rgb& c : palette) { v.push_back(c.b); v.push_back(c.g); v.push_back(c.r); v.push_back(0); }
  v.insert(v.end(), encoded.begin(), encoded.end());
  return v;
}

TEST(BmpDecode, RunLengthEncodedPictures) {
  const std::vector<Rgb> pal{{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
  struct Case { const char* name; int w, h, bpp; std::vector<std::uint8_t> encoded; std::vector<std::uint8_t> topDown; };
  const Case cases[] = {
      {"rle8_runs_absolute_delta", 4, 3, 8,
       {3, 1, 0, 0, /* row 1: */ 0, 3, 2, 0, 1, 0, 0, 0, /* row 2: */ 0, 2, 1, 0, 2, 2, 0, 1},
       {0, 2, 2, 0, 2, 0, 1, 0, 1, 1, 1, 0}},
      {"rle4_runs_and_absolute", 5, 2, 4, {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1}, {3, 4, 5, 0, 0, 1, 2, 1, 2, 1}},
      {"run_past_the_row_is_dropped", 2, 1, 8, {255, 1, 0, 1}, {1, 1}},
      {"data_ending_early_keeps_what_came", 3, 2, 8, {2, 2, 0, 0, 0, 9}, {0, 0, 0, 2, 2, 0}},
      {"delta_beyond_the_picture", 2, 2, 8, {0, 2, 200, 200, 1, 1, 0, 1}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto bytes = BuildRle(c.w, c.h, c.bpp, pal, c.encoded);
    const Bitmap b = DecodeBmp(bytes.data(), bytes.size());
    EXPECT_EQ(b.bitsPerPixel(), c.bpp);
    EXPECT_EQ(b.palette(), pal);
    EXPECT_EQ(b.data(), c.topDown);
  }
}

TEST(BmpDecode, RejectsDamagedFilesWithAClearError) {
  const BmpSpec good{4, 4, 24, false, 0, {}, false, {}, std::vector<std::vector<std::uint8_t>>(4, std::vector<std::uint8_t>(12, 7))};
  const auto base = Build(good);
  struct Case { const char* name; std::function<void(std::vector<std::uint8_t>&)> damage; };
  const std::vector<Case> cases{
      {"truncated_pixels", [](auto& v) { v.resize(v.size() - 20); }},
      {"no_signature", [](auto& v) { v[0] = 'X'; }},
      {"tiny", [](auto& v) { v.resize(10); }},
      {"zero_width", [](auto& v) { v[18] = v[19] = v[20] = v[21] = 0; }},
      {"huge_height", [](auto& v) { v[22] = 0xFF; v[23] = 0xFF; v[24] = 0xFF; v[25] = 0x7F; }},
      {"large_size_small_file", [](auto& v) { v[18] = v[22] = 0; v[20] = v[24] = 0x10; }}, // 2^20 x 2^20, nothing allocated
      {"depth_2", [](auto& v) { v[28] = 2; }},
      {"rle_at_24_bits", [](auto& v) { v[30] = 1; }},
      {"jpeg_compression", [](auto& v) { v[30] = 4; }},
      {"header_size_beyond_file", [](auto& v) { v[14] = 0xFF; v[15] = 0xFF; }},
      {"pixel_offset_beyond_file", [](auto& v) { v[10] = 0xFF; v[11] = 0xFF; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto v = base;
    c.damage(v);
    try {
      DecodeBmp(v.data(), v.size());
      ADD_FAILURE() << "no error";
    } catch (const CodecError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Bitmap ist ungültig", 0), 0u) << e.what();
    }
  }
}

TEST(BmpFile, WritesAndReadsBackEveryKindExactly) {
  std::mt19937 rng(7);
  const fs::path dir = fs::temp_directory_path() / ("framora_bmp_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  for (int bpp : {1, 4, 8, 24, 32}) {
    for (int w : {1, 3, 5, 17}) {
      SCOPED_TRACE("bpp " + std::to_string(bpp) + " width " + std::to_string(w));
      Bitmap b(w, 3, bpp);
      const int maxIndex = bpp == 1 ? 2 : bpp == 4 ? 16 : 256;
      for (auto& byte : b.data()) byte = static_cast<std::uint8_t>(rng() % (b.isPalette() ? maxIndex : 256));
      if (b.isPalette())
        for (int i = 0; i < maxIndex - 1; ++i) b.palette().push_back(Rgb{std::uint8_t(i), std::uint8_t(rng()), std::uint8_t(rng())});
      const std::string path = (dir / "x.bmp").string();
      SaveBmpFile(b, path);
      const Bitmap r = LoadBmpFile(path);
      EXPECT_EQ(r.width(), w);
      EXPECT_EQ(r.height(), 3);
      EXPECT_EQ(r.bitsPerPixel(), b.isPalette() ? bpp : 24);
      EXPECT_EQ(r.palette(), b.palette());
      EXPECT_EQ(r.data(), b.data());
    }
  }
  fs::remove_all(dir);
}

TEST(BmpFile, FailedWriteGivesAnErrorAndLeavesNoTemporaryFile) {
  const fs::path dir = fs::temp_directory_path() / ("framora_bmpro_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path target = dir / "keep.bmp";
  { std::ofstream(target) << "old"; }
  // A target that is a directory cannot be replaced by rename.
  const fs::path blocked = dir / "sub";
  fs::create_directories(blocked / "inner");
  Bitmap b(2, 2, 24);
  EXPECT_THROW(SaveBmpFile(b, blocked.string()), CodecError);
  EXPECT_THROW(SaveBmpFile(b, (dir / "missing" / "x.bmp").string()), CodecError);
  std::ifstream in(target);
  std::string s;
  in >> s;
  EXPECT_EQ(s, "old");
  std::size_t files = 0;
  for (auto& e : fs::directory_iterator(dir)) files += e.is_regular_file();
  EXPECT_EQ(files, 1u) << "temporary file left behind";
  fs::remove_all(dir);
}
