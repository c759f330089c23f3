// Serialising the model as a GIF file.
#include "codec/FileReplace.h"
#include "codec/GIFImage.h"
#include "codec/LzwEncoder.h"

#include <ostream>

namespace framora {

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutFixed(std::vector<std::uint8_t>& out, const std::string& s, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out.push_back(i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
}

void PutSubBlocks(std::vector<std::uint8_t>& out, const GIFSubBlocks& blocks) {
  for (const auto& b : blocks) {
    // A block longer than a sub-block can hold is split; empty ones would end the block early.
    for (std::size_t pos = 0; pos < b.size(); pos += 255) {
      const std::size_t n = std::min<std::size_t>(255, b.size() - pos);
      out.push_back(static_cast<std::uint8_t>(n));
      out.insert(out.end(), b.begin() + static_cast<std::ptrdiff_t>(pos), b.begin() + static_cast<std::ptrdiff_t>(pos + n));
    }
  }
}

// The table padded with black to 2^BitsPerPixel entries.
void PutColorTable(std::vector<std::uint8_t>& out, const GIFColorMap& map) {
  for (const Rgb& c : map.Data()) {
    out.push_back(c.r);
    out.push_back(c.g);
    out.push_back(c.b);
  }
  out.insert(out.end(), 3 * static_cast<std::size_t>((1 << map.BitsPerPixel()) - map.Count()), 0);
}

// Row order of an interlaced image: every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
std::vector<std::uint8_t> InterlacedRows(const std::vector<std::uint8_t>& data, int width, int height) {
  std::vector<std::uint8_t> out;
  out.reserve(data.size());
  static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass]) {
      const auto row = data.begin() + static_cast<std::ptrdiff_t>(y) * width;
      out.insert(out.end(), row, row + width);
    }
  return out;
}

} // namespace

void GIFGraphicControlExtension::SaveToBytes(std::vector<std::uint8_t>& out) const {
  out.push_back(0x21);
  out.push_back(kLabel);
  out.push_back(4);
  out.push_back(rec_.PackedFields);
  Put16(out, rec_.DelayTime);
  out.push_back(rec_.TransparentColorIndex);
  out.push_back(0);
}

void GIFTextExtension::SaveToBytes(std::vector<std::uint8_t>& out) const {
  out.push_back(0x21);
  out.push_back(kLabel);
  PutSubBlocks(out, SubBlocks);
  out.push_back(0);
}

void GIFCommentExtension::SaveToBytes(std::vector<std::uint8_t>& out) const {
  out.push_back(0x21);
  out.push_back(kLabel);
  PutSubBlocks(out, SubBlocks);
  out.push_back(0);
}

void GIFApplicationExtension::SaveToBytes(std::vector<std::uint8_t>& out) const {
  out.push_back(0x21);
  out.push_back(kLabel);
  out.push_back(11);
  PutFixed(out, Identifier, 8);
  PutFixed(out, Authentication, 3);
  SaveData(out);
  out.push_back(0);
}

void GIFAppExtNSLoop::SaveData(std::vector<std::uint8_t>& out) const {
  out.push_back(3);
  out.push_back(1);
  Put16(out, loops_);
  if (bufferSize_ != 0) {
    out.push_back(5);
    out.push_back(2);
    Put16(out, bufferSize_ & 0xFFFF);
    Put16(out, bufferSize_ >> 16);
  }
}

void GIFUnknownAppExtension::SaveData(std::vector<std::uint8_t>& out) const { PutSubBlocks(out, SubBlocks); }

std::vector<std::uint8_t> GIFImage::SaveToBytes() {
  if (images_.Count() == 0) Warning(gsError, gifmsg::EmptyImage);
  // What the readers would refuse is not written.
  for (const auto& f : images_)
    if (const std::string refusal = f->Empty() ? std::string() : FrameSizeRefusal(f->Width(), f->Height());
        !refusal.empty())
      Warning(gsError, refusal);
  if (const std::string refusal = TotalSizeRefusal(PixelCount()); !refusal.empty()) Warning(gsError, refusal);

  std::vector<std::uint8_t> out;
  bool v89 = false;
  for (const auto& f : images_) v89 = v89 || f->GetVersion() >= 2;
  const char* sig = v89 ? "GIF89a" : "GIF87a";
  out.insert(out.end(), sig, sig + 6);

  LogicalScreenDescriptor& sd = header_.Descriptor();
  const GIFGlobalColorMap& global = header_.ColorMap();
  if (global.Empty()) {
    sd.PackedFields = 0x77;
  } else {
    const int b = global.BitsPerPixel();
    sd.PackedFields = static_cast<std::uint8_t>(0x80 + (global.Optimized() ? 0x08 : 0) + 16 * (b - 1) + (b - 1));
  }
  Put16(out, sd.ScreenWidth);
  Put16(out, sd.ScreenHeight);
  out.push_back(sd.PackedFields);
  out.push_back(sd.BackgroundColorIndex);
  out.push_back(sd.AspectRatio);
  if (!global.Empty()) PutColorTable(out, global);

  const int imageBits = BitsPerPixel();
  for (const auto& fp : images_) {
    GIFFrame& f = *fp;
    for (const auto& e : f.Extensions()) e->SaveToBytes(out);
    if (f.Empty()) continue;
    const std::size_t pixels = static_cast<std::size_t>(f.Width()) * static_cast<std::size_t>(f.Height());
    if (f.Data().size() < pixels) Warning(gsError, gifmsg::BadImageSize);

    ImageDescriptor& d = f.Descriptor();
    const GIFLocalColorMap& local = f.ColorMap();
    d.PackedFields &= 0x50;
    if (!local.Empty())
      d.PackedFields = static_cast<std::uint8_t>(d.PackedFields + 0x80 + (local.Optimized() ? 0x20 : 0) +
                                                 (local.BitsPerPixel() - 1));
    out.push_back(0x2C);
    Put16(out, d.Left);
    Put16(out, d.Top);
    Put16(out, d.Width);
    Put16(out, d.Height);
    out.push_back(d.PackedFields);
    if (!local.Empty()) PutColorTable(out, local);

    const int bits = local.Empty() ? imageBits : local.BitsPerPixel();
    const int codeSize = bits < 2 ? 2 : bits;
    const int limit = local.Empty() ? (1 << imageBits) : local.Count();
    out.push_back(static_cast<std::uint8_t>(codeSize));
    try {
      if (f.Interlaced()) {
        const auto rows = InterlacedRows(f.Data(), f.Width(), f.Height());
        LzwEncode(rows.data(), pixels, codeSize, limit, out);
      } else {
        LzwEncode(f.Data().data(), pixels, codeSize, limit, out);
      }
    } catch (const CodecError& e) {
      Warning(gsError, e.what());
    }
    out.push_back(0);
  }
  out.push_back(0x3B);
  return out;
}

void GIFImage::SaveToStream(std::ostream& stream) {
  const std::vector<std::uint8_t> bytes = SaveToBytes();
  stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!stream) throw GIFException("Schreibfehler beim Speichern des GIF");
}

void GIFImage::SaveToFile(const std::string& fileName) {
  // Everything is encoded before the file is touched; the old file survives any failure.
  WriteFileReplacing(fileName, SaveToBytes());
}

} // namespace framora
