#pragma once
// Small videos made at test time with libavformat/libavcodec.
// Frame i shows its number in three horizontal grey bands (base 8, top band the lowest
// digit), so a test can tell from a written frame which frame it is.
#include <cstdint>

extern "C" {
#include <libavcodec/codec_id.h>
}

#include <string>

namespace framora::test {

struct TestVideoSpec {
  const char* format;  // muxer: "avi", "mp4", "matroska", "mjpeg"
  AVCodecID codec;     // AV_CODEC_ID_MJPEG, AV_CODEC_ID_MPEG4, AV_CODEC_ID_H264, ...
  int frames;
  int fps;
  int width = 32;
  int height = 24;
  int maxBFrames = 0;
};

// Throws std::runtime_error when the video cannot be made.
void WriteTestVideo(const std::string& path, const TestVideoSpec& spec);
// One second of silence in an AVI: a file without a video stream.
void WriteAudioOnlyAvi(const std::string& path);

int BandDigit(int frameIndex, int band);  // band 0..2, digit 0..7
int DigitGrey(int digit);                 // the grey level a digit is drawn with

}  // namespace framora::test
