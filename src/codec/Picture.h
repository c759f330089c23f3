#pragma once
// The picture loader: a file becomes a picture whose kind is chosen by the file name's
// extension (case-insensitive); a name without an extension is recognised by its first bytes.
// A failed load leaves the previous picture as it was.
#include "codec/Bitmap.h"
#include "codec/GifPicture.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace framora {

class Picture {
public:
  enum class Kind { None, Bitmap, Icon, Metafile, Tiff, Jpeg, Png, AnimatedCursor, Gif, Ole };

  // Errors: "Unbekannte Bilddateierweiterung (.%s)" for an unregistered extension, the
  // format's own message for data it cannot read, a clear message for metafiles.
  void LoadFromFile(const std::string& fileName);
  // Loads bytes as the given kind (Ole: recognised by the first bytes).
  void LoadFromMemory(const std::uint8_t* data, std::size_t size, Kind kind);
  void Clear();

  Kind kind() const { return kind_; }
  bool Empty() const { return kind_ == Kind::None; }
  // For a GIF picture the logical screen size.
  int Width() const;
  int Height() const;
  // The picture as a raster bitmap (a GIF picture: its first image, see GifPicture::ToBitmap).
  const framora::Bitmap& Bitmap() const { return bitmap_; }
  // What the decoder worked around in damaged data (a JPEG's libjpeg warning); empty otherwise.
  const std::string& Warning() const { return warning_; }
  // The GIF picture, for its own animation; nullptr for other kinds.
  const GifPicture* Gif() const { return gif_.get(); }

  // The kind registered for an extension (without the dot, any case); throws the unknown
  // extension error. An empty extension gives Kind::Ole.
  static Kind KindForExtension(const std::string& extension);
  // What the first bytes look like; Kind::None when they match no known format.
  static Kind Sniff(const std::uint8_t* data, std::size_t size);

private:
  Kind kind_ = Kind::None;
  framora::Bitmap bitmap_;
  std::shared_ptr<const GifPicture> gif_;
  std::string warning_;
};

} // namespace framora
