#pragma once
// Builds small GIF files byte by byte for reader tests, including malformed ones.
// Image data is written as literal codes with a clear code often enough that the code
// width never grows, which any correct decoder reads back.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace framora::test {

class GifBytes {
public:
  std::vector<std::uint8_t> bytes;

  GifBytes& raw(std::initializer_list<int> values) {
    for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  GifBytes& text(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  GifBytes& u16(int v) { return raw({v & 0xFF, (v >> 8) & 0xFF}); }

  // "GIF89a", screen descriptor and a global table of 2^bits entries (grey ramp) when bits > 0.
  GifBytes& header(int width, int height, int tableBits = 1, int background = 0, const std::string& sig = "GIF89a") {
    text(sig).u16(width).u16(height);
    raw({tableBits > 0 ? 0x80 | 0x70 | (tableBits - 1) : 0x70, background, 0});
    if (tableBits > 0) colorTable(tableBits);
    return *this;
  }
  GifBytes& colorTable(int bits, int salt = 0) {
    const int n = 1 << bits;
    for (int i = 0; i < n; ++i) raw({(i * 37 + salt) & 0xFF, (i * 11) & 0xFF, (i * 5 + 1) & 0xFF});
    return *this;
  }
  GifBytes& gce(int delay, int disposal = 0, int transparentIndex = -1) {
    const int packed = (disposal << 2) | (transparentIndex >= 0 ? 1 : 0);
    raw({0x21, 0xF9, 4, packed}).u16(delay).raw({transparentIndex >= 0 ? transparentIndex : 0, 0});
    return *this;
  }
  GifBytes& loop(int count, const std::string& id = "NETSCAPE2.0") {
    raw({0x21, 0xFF, 11}).text(id).raw({3, 1}).u16(count).raw({0});
    return *this;
  }
  GifBytes& comment(const std::string& s) {
    raw({0x21, 0xFE, static_cast<int>(s.size())}).text(s).raw({0});
    return *this;
  }
  // Image descriptor (+ local table when localBits > 0) and LZW data of the pixels.
  GifBytes& image(int left, int top, int width, int height, const std::vector<std::uint8_t>& pixels,
                  int codeSize = 2, bool interlaced = false, int localBits = 0) {
    raw({0x2C}).u16(left).u16(top).u16(width).u16(height);
    raw({(localBits > 0 ? 0x80 | (localBits - 1) : 0) | (interlaced ? 0x40 : 0)});
    if (localBits > 0) colorTable(localBits, 99);
    raw({codeSize});
    subBlocks(lzw(interlaced ? interlace(pixels, width, height) : pixels, codeSize));
    return *this;
  }
  GifBytes& subBlocks(const std::vector<std::uint8_t>& data) {
    for (std::size_t i = 0; i < data.size(); i += 255) {
      const std::size_t n = std::min<std::size_t>(255, data.size() - i);
      bytes.push_back(static_cast<std::uint8_t>(n));
      bytes.insert(bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                   data.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    bytes.push_back(0);
    return *this;
  }
  GifBytes& trailer() { return raw({0x3B}); }

  // Rows in transmission order: 0, 8, 16 ..., 4, 12 ..., 2, 6 ..., 1, 3 ...
  static std::vector<std::uint8_t> interlace(const std::vector<std::uint8_t>& pixels, int width, int height) {
    std::vector<std::uint8_t> out;
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = start[pass]; y < height; y += step[pass])
        out.insert(out.end(), pixels.begin() + y * width, pixels.begin() + (y + 1) * width);
    return out;
  }

  static std::vector<std::uint8_t> lzw(const std::vector<std::uint8_t>& pixels, int codeSize) {
    std::vector<std::uint8_t> out;
    std::uint32_t acc = 0;
    int n = 0;
    const int width = codeSize + 1, clear = 1 << codeSize;
    auto put = [&](int code) {
      acc |= static_cast<std::uint32_t>(code) << n;
      n += width;
      while (n >= 8) { out.push_back(static_cast<std::uint8_t>(acc)); acc >>= 8; n -= 8; }
    };
    int run = 0;
    put(clear);
    for (auto p : pixels) {
      if (run == clear - 2) { put(clear); run = 0; }
      put(p);
      ++run;
    }
    put(clear + 1);
    if (n > 0) out.push_back(static_cast<std::uint8_t>(acc));
    return out;
  }
};

} // namespace framora::test
