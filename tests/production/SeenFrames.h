#pragma once
// What a viewer shows of a GIF, worked out with giflib alone, and the optimised GIFs that peer
// tools write (partial frames at offsets with transparent pixels), made on the spot.
#include "production/GifDecode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace framora::test {

// Every frame composed on the logical screen: drawn over what the frames before left, disposal
// 2 clears the frame's rectangle, 3 restores what was there before it. ARGB; alpha 0 where
// nothing shows.
inline std::vector<std::vector<std::uint32_t>> SeenFrames(const DecodedGif& gif) {
  std::vector<std::vector<std::uint32_t>> out;
  std::vector<std::uint32_t> canvas(std::size_t(gif.width) * std::size_t(gif.height), 0), saved;
  for (const DecodedFrame& f : gif.frames) {
    if (f.disposal == 3) saved = canvas;
    for (int y = 0; y < f.height; ++y)
      for (int x = 0; x < f.width; ++x) {
        const int cx = f.left + x, cy = f.top + y;
        const std::size_t p = std::size_t(y) * std::size_t(f.width) + std::size_t(x);
        if (cx >= gif.width || cy >= gif.height || f.indices[p] == f.transparentIndex) continue;
        canvas[std::size_t(cy) * std::size_t(gif.width) + std::size_t(cx)] =
            0xFF000000u | (std::uint32_t(f.rgb[3 * p]) << 16) | (std::uint32_t(f.rgb[3 * p + 1]) << 8) | f.rgb[3 * p + 2];
      }
    out.push_back(canvas);
    if (f.disposal == 2) {
      for (int y = f.top; y < std::min(gif.height, f.top + f.height); ++y)
        for (int x = f.left; x < std::min(gif.width, f.left + f.width); ++x)
          canvas[std::size_t(y) * std::size_t(gif.width) + std::size_t(x)] = 0;
    } else if (f.disposal == 3) {
      canvas = saved;
    }
  }
  return out;
}

inline bool ToolPresent(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// An optimised GIF of a small test pattern, as one peer tool writes it.
struct OptimisedGif {
  const char* name;
  std::vector<std::string> tools;  // the test skips when one is missing
  std::string command;             // {out} is the GIF to write, {tmp} a scratch file
};

inline void PrintTo(const OptimisedGif& gif, std::ostream* os) { *os << gif.name; }

// A test name for the parameterised cases: the GIF's name with '_' for what gtest refuses.
inline std::string OptimisedGifName(const ::testing::TestParamInfo<OptimisedGif>& info) {
  std::string name = info.param.name;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

inline std::vector<OptimisedGif> OptimisedGifs() {
  const std::string pattern = "ffmpeg -v error -y -f lavfi -i testsrc=size=32x24:rate=5:duration=1 ";
  return {
      {"ffmpeg-rectangle.gif", {"ffmpeg"},
       pattern + "-lavfi 'split[a][b];[a]palettegen[p];[b][p]paletteuse=diff_mode=rectangle' '{out}'"},
      {"gifsicle-O2.gif", {"ffmpeg", "gifsicle"}, pattern + "'{tmp}' && gifsicle -O2 '{tmp}' -o '{out}'"},
  };
}

// Writes the GIF; an empty text when it was made, else why not (a tool missing: skip).
inline std::string MakeOptimisedGif(const OptimisedGif& gif, const std::string& out, std::string& skip) {
  for (const std::string& tool : gif.tools)
    if (!ToolPresent(tool)) {
      skip = tool + " is not installed";
      return {};
    }
  std::string command = gif.command;
  auto put = [&](const std::string& key, const std::string& value) {
    for (std::size_t at; (at = command.find(key)) != std::string::npos;) command.replace(at, key.size(), value);
  };
  put("{out}", out);
  put("{tmp}", out + ".full.gif");
  if (std::system(command.c_str()) != 0) return "failed: " + command;
  return {};
}

// The fixture has to be what the test is about: frames that are pieces of the picture.
inline bool HasPartialOrTransparentFrames(const DecodedGif& gif) {
  for (const DecodedFrame& f : gif.frames)
    if (f.left != 0 || f.top != 0 || f.width < gif.width || f.height < gif.height || f.transparentIndex >= 0)
      return true;
  return false;
}

} // namespace framora::test
