#include "codec/PictureDecoders.h"

#include "codec/Error.h"
#include "codec/GifBlockScanner.h"

#include <algorithm>

#include <cstdio>
#include <jpeglib.h>

#include <csetjmp>
#include <string>
#include <vector>

namespace framora {

namespace {
struct JpegErrors {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  char warning[JMSG_LENGTH_MAX];  // the first warning: damaged data libjpeg worked around
};
void jpegExit(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<JpegErrors*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->message);
  std::longjmp(e->jump, 1);
}
void jpegMessage(j_common_ptr cinfo, int level) {
  auto* e = reinterpret_cast<JpegErrors*>(cinfo->err);
  if (level < 0 && e->warning[0] == 0) (*cinfo->err->format_message)(cinfo, e->warning);
}

// Progressive files with thousands of tiny scans take minutes to decode; real ones have a few dozen.
constexpr int kMaxScans = 500;
struct ScanGuard {
  jpeg_progress_mgr mgr;
  JpegErrors* errors;
};
void jpegProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    auto* guard = reinterpret_cast<ScanGuard*>(cinfo->progress);
    std::snprintf(guard->errors->message, sizeof guard->errors->message, "more than %d scans", kMaxScans);
    std::longjmp(guard->errors->jump, 1);
  }
}
} // namespace

Bitmap DecodeJpeg(const std::uint8_t* data, std::size_t size, std::string* warning) {
  if (size < 3 || data[0] != 0xFF || data[1] != 0xD8) throw CodecError("Invalid JPEG file");
  jpeg_decompress_struct cinfo{};
  JpegErrors errors{};
  cinfo.err = jpeg_std_error(&errors.mgr);
  errors.mgr.error_exit = jpegExit;
  errors.mgr.emit_message = jpegMessage;
  Bitmap result;
  std::vector<std::uint8_t> line;
  volatile bool tooLarge = false;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    throw CodecError(tooLarge ? std::string("Image too large") : std::string("Invalid JPEG file: ") + errors.message);
  }
  jpeg_create_decompress(&cinfo);
  ScanGuard guard{};
  guard.mgr.progress_monitor = jpegProgress;
  guard.errors = &errors;
  cinfo.progress = &guard.mgr;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_calc_output_dimensions(&cinfo);
  if (static_cast<std::size_t>(cinfo.output_width) * cinfo.output_height > gif::limits.maxFramePixels ||
      cinfo.output_width == 0 || cinfo.output_height == 0) {
    tooLarge = true;
    std::longjmp(errors.jump, 1);
  }
  jpeg_start_decompress(&cinfo);
  const int w = static_cast<int>(cinfo.output_width), h = static_cast<int>(cinfo.output_height);
  result = Bitmap(w, h, 24);
  line.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(cinfo.output_components));
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    JSAMPROW row = line.data();
    jpeg_read_scanlines(&cinfo, &row, 1);
    std::uint8_t* d = result.row(y);
    if (cmyk) {
      // Adobe writes CMYK inverted; this is what viewers show.
      for (int x = 0; x < w; ++x) {
        const std::uint8_t* s = &line[static_cast<std::size_t>(x) * 4];
        d[3 * x] = static_cast<std::uint8_t>(s[0] * s[3] / 255);
        d[3 * x + 1] = static_cast<std::uint8_t>(s[1] * s[3] / 255);
        d[3 * x + 2] = static_cast<std::uint8_t>(s[2] * s[3] / 255);
      }
    } else {
      std::copy(line.begin(), line.begin() + 3 * w, d);
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  if (warning) *warning = errors.warning;
  return result;
}

} // namespace framora
