// Every reader looks at its input before reading it: no device, pipe or folder, then the
// first bytes, then the size against what the readers' pixel limits could use. The writer
// refuses what its own readers would refuse.
#include "GifCheck.h"
#include "codec/BmpFile.h"
#include "codec/GIFImage.h"
#include "codec/GifBlockScanner.h"
#include "codec/Picture.h"
#include "codec/PreviewGIFImage.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace framora::test {
namespace {

namespace fs = std::filesystem;

// Lower caps for one test, as the fuzz targets use, so that small files exceed them.
class SmallLimits {
public:
  SmallLimits() {
    gif::limits.maxFramePixels = 4096;
    gif::limits.maxTotalPixels = 10000;
  }
  ~SmallLimits() { gif::limits = saved_; }

private:
  gif::Limits saved_ = gif::limits;
};

struct Reader {
  const char* name;
  std::function<void(const std::string&)> load;
};
const Reader kReaders[] = {
    {"model", [](const std::string& p) { GIFImage().LoadFromFile(p); }},
    {"preview", [](const std::string& p) { PreviewGIFImage().LoadFromFile(p); }},
    {"picture", [](const std::string& p) { Picture().LoadFromFile(p); }},
    {"bmp", [](const std::string& p) { (void)LoadBmpFile(p); }},
};

void Write(const fs::path& p, const std::string& head, std::uintmax_t size = 0) {
  std::ofstream(p, std::ios::binary) << head;
  if (size > head.size()) fs::resize_file(p, size);  // the rest a hole: costs no disk
}

// An error of the reader: the file error's kind, or the reader's own text.
std::string ErrorOf(const Reader& reader, const std::string& path) {
  try {
    reader.load(path);
  } catch (const CodecFileError& e) {
    if (e.path() != path || std::string(e.what()).find(path) == std::string::npos) return "file error without the path";
    switch (e.kind()) {
    case CodecFileError::Kind::NotRegular: return "not regular";
    case CodecFileError::Kind::TooLarge: return "too large";
    default: return "other file error";
    }
  } catch (const CodecError& e) {
    return e.what();
  }
  return "read";
}

TEST(InputFiles, WhatIsNoRegularFileIsRefusedUnread) {
  TempDir dir;
  const fs::path fifo = dir.Path() / "pipe.gif", folder = dir.Path() / "folder.bmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);  // no writer: opening it plainly would wait forever
  fs::create_directory(folder);
  for (const std::string path : {std::string("/dev/zero"), fifo.string(), folder.string()})
    for (const Reader& r : kReaders) {
      SCOPED_TRACE(path + " " + r.name);
      EXPECT_EQ(ErrorOf(r, path), "not regular");
    }
}

// Files far beyond every bound: a wrong start gives the reader's own error from the first
// bytes; a right one is refused by its size, before it is read.
TEST(InputFiles, LargeFilesAreJudgedByTheirFirstBytesThenByTheirSize) {
  TempDir dir;
  SmallLimits limits;
  constexpr std::uintmax_t kSize = std::uintmax_t{8} << 20;
  for (const char* name : {"zeros.gif", "zeros.png", "zeros.bmp"}) Write(dir.Path() / name, "", kSize);
  Write(dir.Path() / "big.gif", "GIF89a", kSize);
  Write(dir.Path() / "big.png", "\x89PNG\r\n\x1a\n", kSize);
  Write(dir.Path() / "big.bmp", "BM", kSize);
  struct Case { const char* reader; const char* file; const char* error; };
  const Case cases[] = {
      {"model", "zeros.gif", "Ungültige GIF-Signatur"},   {"model", "big.gif", "too large"},
      {"preview", "zeros.gif", "Unknown GIF version"},     {"preview", "big.gif", "too large"},
      {"picture", "zeros.gif", "Invalid GIF signature"},   {"picture", "big.gif", "too large"},
      {"picture", "zeros.png", "Invalid PNG file"},        {"picture", "big.png", "too large"},
      {"picture", "zeros.bmp", "Bitmap ist ungültig: keine BMP-Signatur"}, {"picture", "big.bmp", "too large"},
      {"bmp", "zeros.bmp", "Bitmap ist ungültig: keine BMP-Signatur"},     {"bmp", "big.bmp", "too large"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.reader) + " " + c.file);
    const Reader& r = *std::find_if(std::begin(kReaders), std::end(kReaders),
                                    [&](const Reader& x) { return std::string(x.name) == c.reader; });
    EXPECT_EQ(ErrorOf(r, (dir.Path() / c.file).string()), c.error);
  }
}

std::vector<std::uint8_t> BmpHeader(int width, int height) {
  Bitmap one(1, 1, 24);
  std::vector<std::uint8_t> b = EncodeBmp(one);
  for (int i = 0; i < 4; ++i) {
    b[18 + i] = static_cast<std::uint8_t>(width >> (8 * i));
    b[22 + i] = static_cast<std::uint8_t>(height >> (8 * i));
  }
  return b;
}

TEST(BmpLimits, APictureBeyondThePixelLimitIsRefusedBeforeItsPixelsAreAllocated) {
  const auto huge = BmpHeader(60000, 60000);  // 10.8 GB of pixels claimed by 58 bytes
  try {
    (void)DecodeBmp(huge.data(), huge.size());
    ADD_FAILURE() << "decoded";
  } catch (const CodecError& e) {
    EXPECT_STREQ(e.what(), "Bitmap ist ungültig: zu groß (60000 x 60000 Pixel)");
  }
  SmallLimits limits;  // 4096 pixels: 64 x 64 passes, 65 x 64 with all its data does not
  Bitmap fits(64, 64, 8), over(65, 64, 8);
  fits.palette() = over.palette() = {Rgb{1, 2, 3}};
  const auto fitsBytes = EncodeBmp(fits), overBytes = EncodeBmp(over);
  EXPECT_EQ(DecodeBmp(fitsBytes.data(), fitsBytes.size()).width(), 64);
  try {
    (void)DecodeBmp(overBytes.data(), overBytes.size());
    ADD_FAILURE() << "decoded";
  } catch (const CodecError& e) {
    EXPECT_STREQ(e.what(), "Bitmap ist ungültig: zu groß (65 x 64 Pixel)");
  }
}

// The writer refuses a frame, or frames together, beyond what the model reader takes.
TEST(GifWriterLimits, WhatTheReadersWouldRefuseIsNotWritten) {
  const auto make = [](int w, int h, int bpp) {
    Bitmap b(w, h, bpp);
    if (b.isPalette()) b.palette() = {Rgb{0, 0, 0}, Rgb{255, 255, 255}};
    return b;
  };
  GIFImage large;
  large.Add(make(100, 100, 8));
  const std::vector<std::uint8_t> largeBytes = large.SaveToBytes();  // fine under the usual limits

  SmallLimits limits;  // 4096 pixels a frame, 10000 in all
  GIFImage readBack;
  std::istringstream in(std::string(largeBytes.begin(), largeBytes.end()));
  EXPECT_THROW(readBack.LoadFromStream(in), CodecError) << "the reader refuses it";

  struct Case { const char* name; std::vector<Bitmap> frames; std::size_t added; const char* error; };
  const Case cases[] = {
      {"true colour frame", {make(100, 100, 24)}, 0, "Bild ist zu groß: 100 x 100 Pixel, höchstens 4096 Pixel"},
      {"palette frame", {make(65, 64, 8)}, 0, "Bild ist zu groß: 65 x 64 Pixel, höchstens 4096 Pixel"},
      {"frames together", {make(64, 64, 24), make(64, 64, 8), make(40, 50, 8)}, 2,
       "Bild ist zu groß: alle Einzelbilder zusammen 10192 Pixel, höchstens 10000 Pixel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GIFImage image;
    std::string error;
    try {
      for (const Bitmap& b : c.frames) image.Add(b);
    } catch (const GIFException& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(static_cast<std::size_t>(image.Images().Count()), c.added);
  }
  // Frames that reach the image some other way are stopped when it is written.
  GIFImage model;
  GIFFrame& frame = GIFFrame::Create(model);
  frame.SetSize(100, 100);
  frame.ColorMap().Assign({Rgb{}, Rgb{1, 1, 1}});
  try {
    (void)model.SaveToBytes();
    ADD_FAILURE() << "written";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Bild ist zu groß: 100 x 100 Pixel, höchstens 4096 Pixel");
  }
}

} // namespace
} // namespace framora::test
