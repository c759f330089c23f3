#include "video/TestVideo.h"

#include "video/LibavPtr.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <stdexcept>
#include <vector>

namespace framora::test {

int BandDigit(int frameIndex, int band) {
  for (int i = 0; i < band; ++i) frameIndex /= 8;
  return frameIndex % 8;
}

int DigitGrey(int digit) { return 16 + 32 * digit; }

namespace {

void check(int rc, const char* what) {
  if (rc < 0) throw std::runtime_error(std::string("test video: ") + what + " failed (" + std::to_string(rc) + ")");
}

// Encodes what the codec still holds (frame null) or one frame, writing its packets.
void encode(AVCodecContext* ctx, AVFormatContext* out, AVStream* st, const AVFrame* frame) {
  check(avcodec_send_frame(ctx, frame), "send_frame");
  av::PacketPtr pkt(av_packet_alloc());
  for (;;) {
    const int rc = avcodec_receive_packet(ctx, pkt.get());
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return;
    check(rc, "receive_packet");
    if (pkt->duration == 0 && ctx->codec_type == AVMEDIA_TYPE_VIDEO) pkt->duration = 1;  // else MP4 drops the last frame
    av_packet_rescale_ts(pkt.get(), ctx->time_base, st->time_base);
    pkt->stream_index = st->index;
    check(av_interleaved_write_frame(out, pkt.get()), "write_frame");
  }
}

struct Output {
  av::OutputPtr fmt;
  AVStream* stream = nullptr;
  av::CodecPtr codec;
};

Output openOutput(const std::string& path, const char* format, const AVCodec* encoder) {
  Output o;
  AVFormatContext* raw = nullptr;
  check(avformat_alloc_output_context2(&raw, nullptr, format, path.c_str()), "alloc_output");
  o.fmt.reset(raw);
  o.stream = avformat_new_stream(raw, nullptr);
  o.codec.reset(avcodec_alloc_context3(encoder));
  if (!o.stream || !o.codec) throw std::runtime_error("test video: out of memory");
  if (raw->oformat->flags & AVFMT_GLOBALHEADER) o.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  return o;
}

void startWriting(Output& o, const std::string& path) {
  check(avcodec_parameters_from_context(o.stream->codecpar, o.codec.get()), "parameters");
  o.stream->time_base = o.codec->time_base;
  if (!(o.fmt->oformat->flags & AVFMT_NOFILE)) check(avio_open(&o.fmt->pb, path.c_str(), AVIO_FLAG_WRITE), "avio_open");
  check(avformat_write_header(o.fmt.get(), nullptr), "write_header");
}

}  // namespace

void WriteTestVideo(const std::string& path, const TestVideoSpec& spec) {
  const AVCodec* encoder = avcodec_find_encoder(spec.codec);
  if (!encoder) throw std::runtime_error("test video: no encoder");
  Output o = openOutput(path, spec.format, encoder);
  AVCodecContext* ctx = o.codec.get();
  ctx->width = spec.width;
  ctx->height = spec.height;
  ctx->time_base = {1, spec.fps};
  ctx->framerate = {spec.fps, 1};
  ctx->gop_size = 12;
  ctx->max_b_frames = spec.maxBFrames;
  ctx->pix_fmt = spec.codec == AV_CODEC_ID_MJPEG ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
  if (spec.codec == AV_CODEC_ID_H264) {
    av_opt_set(ctx->priv_data, "preset", "fast", 0);
    av_opt_set(ctx->priv_data, "crf", "8", 0);
  } else {
    ctx->flags |= AV_CODEC_FLAG_QSCALE;
    ctx->global_quality = FF_QP2LAMBDA * 2;
  }
  check(avcodec_open2(ctx, encoder, nullptr), "open encoder");
  startWriting(o, path);

  av::FramePtr rgb(av_frame_alloc()), yuv(av_frame_alloc());
  rgb->format = AV_PIX_FMT_RGB24;
  rgb->width = spec.width;
  rgb->height = spec.height;
  yuv->format = ctx->pix_fmt;
  yuv->width = spec.width;
  yuv->height = spec.height;
  check(av_frame_get_buffer(rgb.get(), 0), "rgb buffer");
  check(av_frame_get_buffer(yuv.get(), 0), "yuv buffer");
  av::SwsPtr sws(sws_getContext(spec.width, spec.height, AV_PIX_FMT_RGB24, spec.width, spec.height, ctx->pix_fmt,
                                SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!sws) throw std::runtime_error("test video: no converter");

  for (int i = 0; i < spec.frames; ++i) {
    check(av_frame_make_writable(yuv.get()), "writable");
    for (int y = 0; y < spec.height; ++y) {
      const int band = std::min(2, y * 3 / spec.height);
      const auto grey = static_cast<uint8_t>(DigitGrey(BandDigit(i, band)));
      std::fill_n(rgb->data[0] + y * rgb->linesize[0], spec.width * 3, grey);
    }
    sws_scale(sws.get(), rgb->data, rgb->linesize, 0, spec.height, yuv->data, yuv->linesize);
    yuv->pts = i;
    encode(ctx, o.fmt.get(), o.stream, yuv.get());
  }
  encode(ctx, o.fmt.get(), o.stream, nullptr);
  check(av_write_trailer(o.fmt.get()), "trailer");
}

void WriteAudioOnlyAvi(const std::string& path) {
  const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
  if (!encoder) throw std::runtime_error("test video: no PCM encoder");
  Output o = openOutput(path, "avi", encoder);
  AVCodecContext* ctx = o.codec.get();
  ctx->sample_fmt = AV_SAMPLE_FMT_S16;
  ctx->sample_rate = 8000;
  ctx->time_base = {1, 8000};
  const AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
  check(av_channel_layout_copy(&ctx->ch_layout, &mono), "layout");
  check(avcodec_open2(ctx, encoder, nullptr), "open encoder");
  startWriting(o, path);
  av::FramePtr frame(av_frame_alloc());
  frame->format = AV_SAMPLE_FMT_S16;
  frame->nb_samples = 800;
  check(av_channel_layout_copy(&frame->ch_layout, &mono), "layout");
  check(av_frame_get_buffer(frame.get(), 0), "audio buffer");
  for (int i = 0; i < 10; ++i) {
    check(av_frame_make_writable(frame.get()), "writable");
    std::fill_n(frame->data[0], 800 * 2, 0);
    frame->pts = i * 800;
    encode(ctx, o.fmt.get(), o.stream, frame.get());
  }
  encode(ctx, o.fmt.get(), o.stream, nullptr);
  check(av_write_trailer(o.fmt.get()), "trailer");
}

}  // namespace framora::test
