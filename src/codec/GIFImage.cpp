#include "codec/GIFImage.h"

#include "codec/GifBlockScanner.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace framora {

// ---------------------------------------------------------------------------------------
// GIFColorMap

int GIFColorMap::BitsPerPixel() const {
  if (colors_.empty()) return 0;
  int b = 1;
  while ((1 << b) < Count()) ++b;
  return b;
}

int GIFColorMap::Add(Rgb color) {
  if (Count() >= kMaxColors) throw GIFException(gifmsg::ColorMapOverflow);
  colors_.push_back(color);
  optimized_ = false;
  return Count() - 1;
}

void GIFColorMap::Delete(int index) {
  if (index < 0 || index >= Count()) throw GIFException(gifmsg::BadColorIndex);
  colors_.erase(colors_.begin() + index);
  optimized_ = false;
}

void GIFColorMap::Clear() {
  colors_.clear();
  optimized_ = false;
}

void GIFColorMap::Assign(std::vector<Rgb> colors) {
  if (colors.size() > static_cast<std::size_t>(kMaxColors)) throw GIFException(gifmsg::ColorMapOverflow);
  colors_ = std::move(colors);
  optimized_ = false;
}

int GIFColorMap::IndexOf(Rgb color) const {
  for (int i = 0; i < Count(); ++i)
    if (colors_[static_cast<std::size_t>(i)] == color) return i;
  return -1;
}

int GIFColorMap::LastIndexOf(Rgb color) const {
  for (int i = Count() - 1; i >= 0; --i)
    if (colors_[static_cast<std::size_t>(i)] == color) return i;
  return -1;
}

// ---------------------------------------------------------------------------------------
// Extensions

GIFExtension& GIFExtensionList::Add(std::unique_ptr<GIFExtension> extension) {
  extension->frame_ = frame_;
  GIFExtension& added = *extension;
  items_.push_back(std::move(extension));
  if (auto* gce = dynamic_cast<GIFGraphicControlExtension*>(&added)) {
    if (frame_->gce_ == nullptr) {
      frame_->gce_ = gce;
    } else {
      // Kept and written, but not the frame's block.
      frame_->Image().Warning(gsWarning, gifmsg::MultipleGCE);
    }
  }
  return added;
}

void GIFExtensionList::Delete(int index) {
  if (index < 0 || index >= Count()) throw std::out_of_range("extension index");
  const bool wasLinked = items_[static_cast<std::size_t>(index)].get() == frame_->gce_;
  items_.erase(items_.begin() + index);
  if (wasLinked) {
    frame_->gce_ = nullptr;
    for (auto& e : items_)
      if (auto* gce = dynamic_cast<GIFGraphicControlExtension*>(e.get())) {
        frame_->gce_ = gce;
        break;
      }
  }
}

void GIFExtensionList::Clear() {
  items_.clear();
  frame_->gce_ = nullptr;
}

GIFGraphicControlExtension& GIFGraphicControlExtension::Create(GIFFrame& frame) {
  return static_cast<GIFGraphicControlExtension&>(
      frame.Extensions().Add(std::unique_ptr<GIFExtension>(new GIFGraphicControlExtension(frame))));
}

std::unique_ptr<GIFExtension> GIFGraphicControlExtension::Clone() const {
  return std::unique_ptr<GIFExtension>(new GIFGraphicControlExtension(*this));
}

void GIFGraphicControlExtension::SetDisposal(int method) {
  rec_.PackedFields = static_cast<std::uint8_t>((rec_.PackedFields & ~0x1C) | ((method & 7) << 2));
}

void GIFGraphicControlExtension::SetUserInput(bool value) {
  rec_.PackedFields = static_cast<std::uint8_t>(value ? (rec_.PackedFields | 0x02) : (rec_.PackedFields & ~0x02));
}

void GIFGraphicControlExtension::SetTransparent(bool value) {
  if (value) {
    rec_.PackedFields |= 0x01;
    SetTransparentColorIndex(rec_.TransparentColorIndex);
  } else {
    rec_.PackedFields &= static_cast<std::uint8_t>(~0x01);
  }
}

void GIFGraphicControlExtension::SetTransparentColorIndex(int index) {
  GIFColorMap& map = Frame().ActiveColorMap();
  const int m = map.Count();
  if (index < 0 || index > 255) {
    Frame().Image().Warning(gsWarning, gifmsg::BadColorIndex);
    index = 0;
  } else if (m > 0 && index >= m) {
    if (index == m && m < GIFColorMap::kMaxColors) {
      map.Add(Rgb{});
      Frame().Image().Warning(gsWarning, gifmsg::ColorIndexExtended);
    } else {
      Frame().Image().Warning(gsWarning, gifmsg::BadColorIndex);
      index = 0;
    }
  }
  rec_.TransparentColorIndex = static_cast<std::uint8_t>(index);
}

Rgb GIFGraphicControlExtension::TransparentColor() const {
  const GIFColorMap& map = Frame().ActiveColorMap();
  if (rec_.TransparentColorIndex >= map.Count()) Frame().Image().Warning(gsError, gifmsg::BadColorIndex);
  return map.Colors(rec_.TransparentColorIndex);
}

void GIFGraphicControlExtension::SetTransparentColor(Rgb color) {
  GIFColorMap& map = Frame().ActiveColorMap();
  int index = map.Optimized() ? map.IndexOf(color) : map.LastIndexOf(color);
  if (index < 0) {
    if (map.Count() >= GIFColorMap::kMaxColors) Frame().Image().Warning(gsError, gifmsg::ColorMapOverflow);
    index = map.Add(color);
  }
  rec_.TransparentColorIndex = static_cast<std::uint8_t>(index);
}

GIFTextExtension& GIFTextExtension::Create(GIFFrame& frame, GIFSubBlocks subBlocks) {
  auto* e = new GIFTextExtension(frame);
  e->SubBlocks = std::move(subBlocks);
  return static_cast<GIFTextExtension&>(frame.Extensions().Add(std::unique_ptr<GIFExtension>(e)));
}

std::unique_ptr<GIFExtension> GIFTextExtension::Clone() const {
  return std::unique_ptr<GIFExtension>(new GIFTextExtension(*this));
}

GIFCommentExtension& GIFCommentExtension::Create(GIFFrame& frame, GIFSubBlocks subBlocks) {
  auto* e = new GIFCommentExtension(frame);
  e->SubBlocks = std::move(subBlocks);
  return static_cast<GIFCommentExtension&>(frame.Extensions().Add(std::unique_ptr<GIFExtension>(e)));
}

std::unique_ptr<GIFExtension> GIFCommentExtension::Clone() const {
  return std::unique_ptr<GIFExtension>(new GIFCommentExtension(*this));
}

std::string GIFCommentExtension::Text() const {
  std::string s;
  for (const auto& b : SubBlocks) s.append(b.begin(), b.end());
  return s;
}

GIFAppExtNSLoop& GIFAppExtNSLoop::Create(GIFFrame& frame) {
  return static_cast<GIFAppExtNSLoop&>(
      frame.Extensions().Add(std::unique_ptr<GIFExtension>(new GIFAppExtNSLoop(frame))));
}

std::unique_ptr<GIFExtension> GIFAppExtNSLoop::Clone() const {
  return std::unique_ptr<GIFExtension>(new GIFAppExtNSLoop(*this));
}

GIFUnknownAppExtension& GIFUnknownAppExtension::Create(GIFFrame& frame, std::string identifier,
                                                       std::string authentication, GIFSubBlocks subBlocks) {
  auto* e = new GIFUnknownAppExtension(frame, std::move(identifier), std::move(authentication));
  e->SubBlocks = std::move(subBlocks);
  return static_cast<GIFUnknownAppExtension&>(frame.Extensions().Add(std::unique_ptr<GIFExtension>(e)));
}

std::unique_ptr<GIFExtension> GIFUnknownAppExtension::Clone() const {
  return std::unique_ptr<GIFExtension>(new GIFUnknownAppExtension(*this));
}

// ---------------------------------------------------------------------------------------
// Frames

GIFFrame& GIFFrame::Create(GIFImage& image) {
  image.images_.items_.push_back(std::unique_ptr<GIFFrame>(new GIFFrame(image)));
  return *image.images_.items_.back();
}

void GIFFrame::SetPixelData(int width, int height, std::vector<std::uint8_t> data) {
  if (width < 0 || height < 0 || width > 65535 || height > 65535) throw std::invalid_argument("frame size");
  if (data.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    throw std::invalid_argument("pixel data does not match the frame size");
  descriptor_.Width = static_cast<std::uint16_t>(width);
  descriptor_.Height = static_cast<std::uint16_t>(height);
  data_ = std::move(data);
}

void GIFFrame::SetSize(int width, int height, std::uint8_t fill) {
  if (width < 0 || height < 0 || width > 65535 || height > 65535) throw std::invalid_argument("frame size");
  SetPixelData(width, height,
               std::vector<std::uint8_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill));
}

int GIFFrame::Pixels(int x, int y) const {
  if (Empty() || data_.size() < static_cast<std::size_t>(Width()) * static_cast<std::size_t>(Height()))
    Image().Warning(gsError, gifmsg::ImageEmpty);
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) Image().Warning(gsError, gifmsg::BadPixelCoordinates);
  return data_[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width()) + static_cast<std::size_t>(x)];
}

GIFColorMap& GIFFrame::ActiveColorMap() {
  if (!colorMap_.Empty()) return colorMap_;
  if (!image_->GlobalColorMap().Empty()) return image_->GlobalColorMap();
  return colorMap_;
}

const GIFColorMap& GIFFrame::ActiveColorMap() const {
  if (!colorMap_.Empty()) return colorMap_;
  if (!image_->GlobalColorMap().Empty()) return image_->GlobalColorMap();
  return colorMap_;
}

void GIFFrame::SetInterlaced(bool value) {
  descriptor_.PackedFields =
      static_cast<std::uint8_t>(value ? (descriptor_.PackedFields | 0x40) : (descriptor_.PackedFields & ~0x40));
}

int GIFFrame::GetVersion() const { return (extensions_.Count() > 0 || colorMap_.Optimized()) ? 2 : 1; }

void GIFFrame::Assign(const GIFFrame& source) {
  if (&source == this) return;
  descriptor_.Left = source.descriptor_.Left;
  descriptor_.Top = source.descriptor_.Top;
  descriptor_.Width = source.descriptor_.Width;
  descriptor_.Height = source.descriptor_.Height;
  descriptor_.PackedFields = source.descriptor_.PackedFields;
  data_ = source.data_;
  const GIFColorMap& map = source.ActiveColorMap();
  colorMap_.Assign(map.Data());
  colorMap_.SetOptimized(map.Optimized());
  extensions_.Clear();
  for (const auto& e : source.extensions_) extensions_.Add(e->Clone());
}

void GIFImageList::Delete(int index) {
  if (index < 0 || index >= Count()) throw std::out_of_range("frame index");
  items_.erase(items_.begin() + index);
}

// ---------------------------------------------------------------------------------------
// Preparing a bitmap

namespace {

std::string SizeText(std::size_t pixels) { return std::to_string(pixels) + " Pixel"; }

// Sorts the map by decreasing use (ties keep their order), drops unused entries and remaps.
void OptimizeSingleMap(std::vector<Rgb>& colors, std::vector<std::uint8_t>& pixels) {
  std::size_t counts[256] = {};
  for (std::uint8_t p : pixels) ++counts[p];
  std::vector<int> order(colors.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return counts[a] > counts[b]; });
  std::uint8_t remap[256] = {};
  std::vector<Rgb> sorted;
  for (int old : order) {
    if (counts[old] == 0) break;
    remap[old] = static_cast<std::uint8_t>(sorted.size());
    sorted.push_back(colors[static_cast<std::size_t>(old)]);
  }
  for (std::uint8_t& p : pixels) p = remap[p];
  colors = std::move(sorted);
}

} // namespace

std::string FrameSizeRefusal(int width, int height) {
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (pixels <= gif::limits.maxFramePixels) return {};
  return std::string(gifmsg::TooLarge) + ": " + std::to_string(width) + " x " + std::to_string(height) +
         " Pixel, höchstens " + SizeText(gif::limits.maxFramePixels);
}

std::string TotalSizeRefusal(std::size_t pixels) {
  if (pixels <= gif::limits.maxTotalPixels) return {};
  return std::string(gifmsg::TooLarge) + ": alle Einzelbilder zusammen " + SizeText(pixels) + ", höchstens " +
         SizeText(gif::limits.maxTotalPixels);
}

std::size_t GIFImage::PixelCount() const {
  std::size_t n = 0;
  for (const auto& f : images_) n += f->DataSize();
  return n;
}

PreparedFrame PrepareFrame(const Bitmap& bitmap, const ReductionSettings& settings) {
  if (bitmap.width() > 65535 || bitmap.height() > 65535) throw GIFException(gifmsg::BadImageSize);
  // Said before minutes of colour reduction rather than after.
  if (const std::string refusal = FrameSizeRefusal(bitmap.width(), bitmap.height()); !refusal.empty())
    throw GIFException(refusal);
  PreparedFrame f;
  f.Width = bitmap.width();
  f.Height = bitmap.height();
  if (bitmap.empty()) return f;

  if (bitmap.isPalette()) {
    f.Colors = bitmap.palette();
    if (f.Colors.size() > 256) f.Colors.resize(256);
    f.Pixels = bitmap.data();
    if (bitmap.bitsPerPixel() == 8 && f.Colors.size() < 256) {
      bool replaced = false;
      const std::uint8_t n = static_cast<std::uint8_t>(f.Colors.size());
      for (std::uint8_t& p : f.Pixels)
        if (p >= n) {
          p = 0;
          replaced = true;
        }
      if (replaced) f.Warnings.emplace_back(gsWarning, gifmsg::BadBitmap);
    }
    if (bitmap.transparent) {
      for (int i = static_cast<int>(f.Colors.size()) - 1; i >= 0; --i)
        if (f.Colors[static_cast<std::size_t>(i)] == bitmap.transparentColor) {
          f.TransparentIndex = static_cast<std::uint8_t>(i);
          break;
        }
    }
    return f;
  }

  Bitmap reduced = ReduceColors(bitmap, settings);
  f.Colors = std::move(reduced.palette());
  f.Pixels = std::move(reduced.data());
  if (bitmap.transparent) {
    OptimizeSingleMap(f.Colors, f.Pixels);
    f.Optimized = true;
    if (f.Colors.size() < 256) {
      const std::size_t n = f.Pixels.size();
      const bool useMask = bitmap.mask.size() == n;
      const std::uint8_t index = static_cast<std::uint8_t>(f.Colors.size());
      bool any = false;
      for (std::size_t i = 0; i < n; ++i) {
        bool masked;
        if (useMask) {
          masked = bitmap.mask[i] != 0;
        } else {
          const std::uint8_t* s = bitmap.data().data() + 3 * i;
          masked = Rgb{s[0], s[1], s[2]} == bitmap.transparentColor;
        }
        if (masked) {
          f.Pixels[i] = index;
          any = true;
        }
      }
      // Appending the entry clears the map's sort flag, removing it again does not restore it.
      f.Optimized = false;
      if (any) {
        f.Colors.push_back(bitmap.transparentColor);
        f.TransparentIndex = index;
      }
    }
  }
  return f;
}

// ---------------------------------------------------------------------------------------
// GIFImage

GIFImage::GIFImage() = default;
GIFImage::~GIFImage() = default;

void GIFImage::Warning(Severity severity, const std::string& message) const {
  if (OnWarning) OnWarning(severity, message);
  if (severity == gsError) throw GIFException(message);
}

void GIFImage::SetWidth(int value) {
  if (value < 0 || value > 65535) value = 0;
  for (const auto& f : images_) value = std::max(value, f->Left() + f->Width());
  header_.Descriptor().ScreenWidth = static_cast<std::uint16_t>(std::min(value, 65535));
}

void GIFImage::SetHeight(int value) {
  if (value < 0 || value > 65535) value = 0;
  for (const auto& f : images_) value = std::max(value, f->Top() + f->Height());
  header_.Descriptor().ScreenHeight = static_cast<std::uint16_t>(std::min(value, 65535));
}

void GIFImage::GrowScreenFor(const GIFFrame& frame) {
  auto& d = header_.Descriptor();
  const int right = std::min(frame.Left() + frame.Width(), 65535);
  const int bottom = std::min(frame.Top() + frame.Height(), 65535);
  bool warn = false;
  if (d.ScreenWidth < right) {
    warn = warn || d.ScreenWidth != 0;
    d.ScreenWidth = static_cast<std::uint16_t>(right);
  }
  if (d.ScreenHeight < bottom) {
    warn = warn || d.ScreenHeight != 0;
    d.ScreenHeight = static_cast<std::uint16_t>(bottom);
  }
  if (warn) Warning(gsWarning, gifmsg::ImageExceedsScreen);
}

int GIFImage::BitsPerPixel() const {
  int b = GlobalColorMap().BitsPerPixel();
  for (const auto& f : images_) b = std::max(b, f->ColorMap().BitsPerPixel());
  return b;
}

GIFFrame& GIFImage::Add(const Bitmap& bitmap) { return Add(PrepareFrame(bitmap, Reduction())); }

GIFFrame& GIFImage::Add(const PreparedFrame& prepared) {
  for (const std::string& refusal :
       {FrameSizeRefusal(prepared.Width, prepared.Height), TotalSizeRefusal(PixelCount() + prepared.Pixels.size())})
    if (!refusal.empty()) Warning(gsError, refusal);
  const LogicalScreenDescriptor before = header_.Descriptor();
  GIFFrame& frame = GIFFrame::Create(*this);
  try {
    frame.SetPixelData(prepared.Width, prepared.Height, prepared.Pixels);
    frame.ColorMap().Assign(prepared.Colors);
    frame.ColorMap().SetOptimized(prepared.Optimized);
    for (const auto& [severity, message] : prepared.Warnings) Warning(severity, message);
    GrowScreenFor(frame);
    if (prepared.TransparentIndex) {
      GIFGraphicControlExtension& gce = GIFGraphicControlExtension::Create(frame);
      gce.Rec().TransparentColorIndex = *prepared.TransparentIndex;
      gce.Rec().PackedFields |= 0x01;
    }
  } catch (...) {
    images_.items_.pop_back();
    header_.Descriptor() = before;
    throw;
  }
  return frame;
}

GIFFrame& GIFImage::Add(const GIFFrame& source) {
  const LogicalScreenDescriptor before = header_.Descriptor();
  GIFFrame& frame = GIFFrame::Create(*this);
  try {
    frame.Assign(source);
    GrowScreenFor(frame);
  } catch (...) {
    images_.items_.pop_back();
    header_.Descriptor() = before;
    throw;
  }
  return frame;
}

GIFFrame& GIFImage::Add(const GIFImage& source) {
  const int n = source.Images().Count();
  if (n == 0) throw GIFException(gifmsg::ImageEmpty);
  GIFFrame* last = nullptr;
  for (int i = 0; i < n; ++i) last = &Add(source.Images().Frames(i));
  return *last;
}

void GIFImage::Clear() {
  images_.Clear();
  header_.ColorMap().Clear();
  header_.Descriptor() = LogicalScreenDescriptor{};
}

void GIFImage::Assign(const Bitmap& bitmap) {
  PreparedFrame prepared = PrepareFrame(bitmap, Reduction());
  Clear();
  Add(prepared);
}

void GIFImage::Assign(const GIFImage& source) {
  if (&source == this) return;
  Clear();
  header_.Descriptor() = source.header_.Descriptor();
  header_.ColorMap().Assign(source.GlobalColorMap().Data());
  header_.ColorMap().SetOptimized(source.GlobalColorMap().Optimized());
  header_.Version = source.header_.Version;
  ColorReduction = source.ColorReduction;
  ReductionBits = source.ReductionBits;
  DitherMode = source.DitherMode;
  for (const auto& src : source.images_) {
    GIFFrame& f = GIFFrame::Create(*this);
    f.descriptor_ = src->descriptor_;
    f.data_ = src->data_;
    f.colorMap_.Assign(src->colorMap_.Data());
    f.colorMap_.SetOptimized(src->colorMap_.Optimized());
    for (const auto& e : src->extensions_) f.extensions_.Add(e->Clone());
  }
}

} // namespace framora
