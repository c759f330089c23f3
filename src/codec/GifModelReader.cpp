#include "codec/GifModelReader.h"

#include "codec/GifStructureReader.h"
#include "codec/InputFile.h"

#include <string>

namespace framora {

namespace {

std::string bytesToString(const std::uint8_t* p, std::size_t n) {
  return std::string(reinterpret_cast<const char*>(p), n);
}

// Builds the model from what the block walk delivered (all of it, or what came before an error).
void buildModel(GIFImage& image, gif::RawImage& raw) {
  auto& sd = image.Header().Descriptor();
  sd.ScreenWidth = raw.screen.width;
  sd.ScreenHeight = raw.screen.height;
  sd.PackedFields = raw.screen.packed;
  sd.BackgroundColorIndex = raw.screen.backgroundIndex;
  sd.AspectRatio = raw.screen.aspectRatio;
  image.Header().Version = std::string(raw.signature + 3, 3);
  image.GlobalColorMap().Assign(raw.globalTable);

  for (gif::RawFrame& rf : raw.frames) {
    if (!rf.hasPixels && rf.extensions.empty()) continue;
    GIFFrame& frame = GIFFrame::Create(image);
    for (const gif::RawExtension& re : rf.extensions) {
      switch (re.label) {
      case gif::kLabelGraphicControl: {
        auto& gce = GIFGraphicControlExtension::Create(frame);
        gce.Rec().PackedFields = re.gc.packed;
        gce.Rec().DelayTime = re.gc.delay;
        gce.Rec().TransparentColorIndex = re.gc.transparentIndex;
        gce.Rec().BlockSize = re.gc.size;
        break;
      }
      case gif::kLabelPlainText:
        GIFTextExtension::Create(frame, re.subBlocks);
        break;
      case gif::kLabelComment:
        GIFCommentExtension::Create(frame, re.subBlocks);
        break;
      case gif::kLabelApplication:
        if (re.loop) {
          auto& loop = GIFAppExtNSLoop::Create(frame);
          loop.Identifier = bytesToString(re.identifier.data(), 8);
          loop.Authentication = bytesToString(re.authentication.data(), 3);
          loop.SetLoops(re.loops);
          loop.SetBufferSize(re.bufferSize);
        } else {
          GIFUnknownAppExtension::Create(frame, bytesToString(re.identifier.data(), 8),
                                         bytesToString(re.authentication.data(), 3), re.subBlocks);
        }
        break;
      default:
        break;
      }
    }
    if (!rf.hasImage) continue;
    if (rf.hasPixels) frame.SetPixelData(rf.descriptor.width, rf.descriptor.height, std::move(rf.pixels));
    ImageDescriptor& d = frame.Descriptor();
    d.Left = rf.descriptor.left;
    d.Top = rf.descriptor.top;
    d.Width = rf.descriptor.width;
    d.Height = rf.descriptor.height;
    d.PackedFields = rf.descriptor.packed;
    frame.ColorMap().Assign(rf.localTable);
    if (rf.hasPixels) image.GrowScreenFor(frame);
  }
}

InputRules gifInput() {
  InputRules rules;
  rules.maxBytes = gif::limits.maxFileBytes();
  rules.headBytes = gif::kSignatureBytes;
  rules.checkHead = [](const std::uint8_t* head, std::size_t size) { gif::CheckSignature(head, size, gif::kGerman); };
  return rules;
}

// Clears the image and reads the bytes into it; the bytes the blocks took.
std::size_t parseInto(GIFImage& image, const std::vector<std::uint8_t>& bytes) {
  image.Clear();
  gif::RawImage raw;
  gif::GifStructureReader reader(gif::kGerman, [&image](Severity s, const std::string& m) {
    if (s != gsError) image.Warning(s, m);
  });
  try {
    reader.read(bytes.data(), bytes.size(), raw);
  } catch (const CodecError& e) {
    buildModel(image, raw);
    image.Warning(gsError, e.what());
    throw;  // in case the warning path did not throw
  }
  buildModel(image, raw);
  return raw.consumed;
}

} // namespace

void GIFImage::LoadFromFile(const std::string& fileName) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadInputFile(fileName, gifInput());
  } catch (const CodecFileError& e) {
    if (OnWarning) OnWarning(gsError, e.what());
    throw;  // the content stays
  } catch (const CodecError& e) {
    Clear();
    Warning(gsError, e.what());
    throw;
  }
  parseInto(*this, bytes);
}

void GIFImage::LoadFromStream(std::istream& stream) {
  const std::istream::pos_type start = stream.tellg();
  auto rewind = [&](std::size_t consumed) {
    stream.clear();
    if (start != std::istream::pos_type(-1)) stream.seekg(start + static_cast<std::streamoff>(consumed));
  };
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadInputStream(stream, gifInput());
  } catch (const CodecError& e) {
    Clear();
    rewind(0);
    Warning(gsError, e.what());
    throw;
  }
  try {
    rewind(parseInto(*this, bytes));
  } catch (...) {
    rewind(0);
    throw;
  }
}

Bitmap FrameToBitmap(const GIFFrame& frame) {
  if (frame.ColorMap().Empty() && frame.Image().GlobalColorMap().Empty())
    frame.Image().Warning(gsError, gif::kGerman[gif::Msg::NoColorTable]);
  if (frame.Empty()) return Bitmap();
  Bitmap bmp(frame.Width(), frame.Height(), 8);
  bmp.palette() = frame.ActiveColorMap().Data();
  const auto& src = frame.Data();
  std::copy(src.begin(), src.begin() + static_cast<std::ptrdiff_t>(std::min(src.size(), bmp.data().size())),
            bmp.data().begin());
  return bmp;
}

} // namespace framora
