#include "codec/GifPicture.h"

#include <algorithm>
#include <cstring>

namespace framora {

void GifPicture::LoadFromMemory(const std::uint8_t* data, std::size_t size) {
  gif::RawImage raw;
  std::vector<std::string> warnings;
  gif::GifStructureReader reader(gif::kEnglish, [&](Severity, const std::string& m) { warnings.push_back(m); });
  reader.read(data, size, raw);

  // The logical screen grows to hold every image, as the model's does.
  int w = raw.screen.width, h = raw.screen.height;
  std::vector<int> images;
  for (std::size_t i = 0; i < raw.frames.size(); ++i) {
    const auto& f = raw.frames[i];
    if (!f.hasImage) continue;
    images.push_back(static_cast<int>(i));
    if (f.hasPixels) {
      w = std::max(w, f.descriptor.left + f.descriptor.width);
      h = std::max(h, f.descriptor.top + f.descriptor.height);
    }
  }
  raw_ = std::move(raw);
  images_ = std::move(images);
  warnings_ = std::move(warnings);
  width_ = w;
  height_ = h;
}

const std::vector<Rgb>& GifPicture::PaletteOf(int frameIndex) const {
  const auto& f = raw_.frames.at(static_cast<std::size_t>(frameIndex));
  return f.localTable.empty() ? raw_.globalTable : f.localTable;
}

Bitmap GifPicture::ToBitmap() const {
  const auto tooLarge = [](int w, int h) {
    return static_cast<std::size_t>(w) * static_cast<std::size_t>(h) > gif::limits.maxFramePixels;
  };
  if (images_.empty()) {
    if (tooLarge(width_, height_)) throw CodecError(gif::kEnglish[gif::Msg::TooLarge]);
    Bitmap empty(width_, height_, 8);
    empty.palette() = raw_.globalTable;
    if (raw_.screen.backgroundIndex < raw_.globalTable.size())
      std::fill(empty.data().begin(), empty.data().end(), raw_.screen.backgroundIndex);
    return empty;
  }
  const auto& f = raw_.frames[static_cast<std::size_t>(images_.front())];
  const auto& palette = PaletteOf(images_.front());
  if (palette.empty()) throw CodecError(gif::kEnglish[gif::Msg::NoColorTable]);
  const auto& d = f.descriptor;
  const bool covers = d.left == 0 && d.top == 0 && d.width == width_ && d.height == height_;
  const int cw = covers ? d.width : width_, ch = covers ? d.height : height_;
  if (tooLarge(cw, ch)) throw CodecError(gif::kEnglish[gif::Msg::TooLarge]);
  Bitmap bmp(cw, ch, 8);
  bmp.palette() = palette;
  if (!covers && f.localTable.empty() && raw_.screen.backgroundIndex < palette.size())
    std::fill(bmp.data().begin(), bmp.data().end(), raw_.screen.backgroundIndex);
  if (!f.hasPixels) return bmp;
  const int copyW = std::min<int>(d.width, cw - std::min<int>(d.left, cw));
  for (int y = 0; y < d.height && d.top + y < ch; ++y) {
    if (copyW <= 0) break;
    const std::uint8_t* src = f.pixels.data() + static_cast<std::size_t>(y) * d.width;
    std::memcpy(bmp.row(d.top + y) + (covers ? 0 : d.left), src, static_cast<std::size_t>(copyW));
  }
  return bmp;
}

} // namespace framora
