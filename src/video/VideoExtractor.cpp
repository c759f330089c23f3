#include "video/VideoExtractor.h"

#include "codec/Bitmap.h"
#include "codec/BmpFile.h"
#include "platform/Prompter.h"
#include "video/LibavPtr.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
}

namespace framora {

AviTexts AviTexts::forLanguage(int language) {
  if (language == 0)
    return {QStringLiteral("Einzelbilder jetzt speichern?"), QStringLiteral("Einzelbilder gespeichert"),
            QStringLiteral("AVI kann nicht geöffnet werden!"),
            QStringLiteral("AVI enthält mehr als 500 Einzelbilder. Für Gif-Animationen können 500 Bilder "
                           "verwendet werden."),
            QStringLiteral("Einzelbilder konnten nicht gespeichert werden in: ")};
  return {QStringLiteral("Save frames now?"), QStringLiteral("Frames saved"), QStringLiteral("Could not open AVI file!"),
          QStringLiteral("AVI contains more than 500 frames. 500 frames can be used for gif animation."),
          QStringLiteral("Frames could not be saved in: ")};
}

int SuggestedFrameDelay(double runTimeSeconds, long long end) {
  const double exact = runTimeSeconds * 1000.0 / (static_cast<double>(end) + 1.0);
  if (!std::isfinite(exact) || exact <= 0) return 100;
  // Default rounding mode: halves go to the even neighbour (50 -> 0, 150 -> 200, 250 -> 200).
  const double hundreds = std::nearbyint(exact / 100.0);
  if (hundreds <= 0) return 100;
  if (hundreds >= std::numeric_limits<int>::max() / 100) return std::numeric_limits<int>::max() / 100 * 100;
  return static_cast<int>(hundreds) * 100;
}

QString AviFrameFileName(long long number) {
  return QStringLiteral("avframe") + QString::number(number).rightJustified(2, QLatin1Char('0')) +
         QStringLiteral(".bmp");
}

QStringList AviInfoLines(const QString& path, int width, int height, double runTimeSeconds, long long end,
                         int frameDelay) {
  return {QStringLiteral("AVI File: ") + path,
          QStringLiteral("AVI Height px: ") + QString::number(height),
          QStringLiteral("AVI Width  px: ") + QString::number(width),
          QStringLiteral("Run time  sec: ") + QString::number(std::llround(runTimeSeconds)),
          QStringLiteral("Images:        ") + QString::number(end),
          QStringLiteral("Delay ms:      ") + QString::number(frameDelay)};
}

namespace {

constexpr int kMaxFrameSide = 16384;

// ---- frame files ------------------------------------------------------------------------------

bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Replaces path with bytes through a temporary file in the same folder, so a failure leaves
// the old file as it was. A file marked read-only is left alone even for root.
bool replaceFile(const QString& path, const std::vector<std::uint8_t>& bytes) {
  const QByteArray target = QFile::encodeName(path);
  struct stat st {};
  if (::stat(target.constData(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0 || ::access(target.constData(), W_OK) != 0) return false;
  }
  static std::atomic<unsigned> counter{0};
  QByteArray temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + ".tmp" + QByteArray::number(static_cast<qlonglong>(::getpid())) + "_" +
           QByteArray::number(counter.fetch_add(1));
    fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  if (::stat(target.constData(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
  const bool written = writeAll(fd, reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temp.constData(), target.constData()) != 0) {
    ::unlink(temp.constData());
    return false;
  }
  return true;
}

bool saveFrame(const Bitmap& picture, const QString& path) {
  try {
    return replaceFile(path, EncodeBmp(picture));
  } catch (const std::exception&) {
    return false;
  }
}

// ---- decoding -----------------------------------------------------------------------------------

av::InputPtr openInput(const QString& path) {
  AVFormatContext* raw = nullptr;
  AVDictionary* options = nullptr;
  // Local files only: a playlist or reference file must not make us fetch anything.
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const int rc = avformat_open_input(&raw, QFile::encodeName(path).constData(), nullptr, &options);
  av_dict_free(&options);
  return av::InputPtr(rc < 0 ? nullptr : raw);
}

// The first real video stream; cover pictures of audio files do not count.
int firstVideoStream(const AVFormatContext* fmt) {
  for (unsigned i = 0; i < fmt->nb_streams; ++i) {
    const AVStream* s = fmt->streams[i];
    if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC))
      return static_cast<int>(i);
  }
  return -1;
}

av::CodecPtr openDecoder(const AVStream* stream, bool countOnly = false) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) return nullptr;
  av::CodecPtr ctx(avcodec_alloc_context3(codec));
  if (!ctx || avcodec_parameters_to_context(ctx.get(), stream->codecpar) < 0) return nullptr;
  ctx->pkt_timebase = stream->time_base;
  ctx->thread_count = 0;  // as many as the machine has
  ctx->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  if (countOnly) {
    ctx->skip_loop_filter = AVDISCARD_ALL;
    ctx->skip_idct = AVDISCARD_ALL;
  }
  if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return nullptr;
  return ctx;
}

double runTimeOf(const AVFormatContext* fmt, const AVStream* video) {
  double seconds = 0;
  if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
    seconds = static_cast<double>(fmt->duration) / AV_TIME_BASE;
  else if (video && video->duration != AV_NOPTS_VALUE && video->duration > 0 && video->time_base.den > 0)
    seconds = static_cast<double>(video->duration) * av_q2d(video->time_base);
  return std::isfinite(seconds) && seconds > 0 ? seconds : 0.0;
}

// Delivers the decoded frames of one stream in presentation order.
class FrameReader {
public:
  FrameReader(AVFormatContext* fmt, int stream, AVCodecContext* codec)
      : fmt_(fmt), stream_(stream), codec_(codec), packet_(av_packet_alloc()) {}

  // 1: a frame is in frame; 0: no more frames; < 0: the decoder failed.
  int next(AVFrame* frame) {
    if (!packet_) return AVERROR(ENOMEM);
    for (;;) {
      int rc = avcodec_receive_frame(codec_, frame);
      if (rc == 0) return 1;
      if (rc == AVERROR_EOF) return 0;
      if (rc != AVERROR(EAGAIN)) return rc;
      if (draining_) return 0;
      for (;;) {
        rc = av_read_frame(fmt_, packet_.get());
        if (rc < 0) {  // end of file or unreadable rest: take what the decoder still holds
          draining_ = true;
          avcodec_send_packet(codec_, nullptr);
          break;
        }
        if (packet_->stream_index != stream_) {
          av_packet_unref(packet_.get());
          continue;
        }
        rc = avcodec_send_packet(codec_, packet_.get());
        av_packet_unref(packet_.get());
        if (rc < 0 && rc != AVERROR(EAGAIN)) return rc;
        break;
      }
    }
  }

private:
  AVFormatContext* fmt_;
  int stream_;
  AVCodecContext* codec_;
  av::PacketPtr packet_;
  bool draining_ = false;
};

// Containers without a frame count (Matroska, WebM, raw streams): decode once and count.
// Only the number matters, so the decoder may skip the costly parts of making pictures.
long long countFramesByDecoding(const QString& path, const std::function<void()>& alive) {
  av::InputPtr fmt = openInput(path);
  if (!fmt || avformat_find_stream_info(fmt.get(), nullptr) < 0) return 0;
  const int index = firstVideoStream(fmt.get());
  if (index < 0) return 0;
  av::CodecPtr codec = openDecoder(fmt->streams[index], true);
  av::FramePtr frame(av_frame_alloc());
  if (!codec || !frame) return 0;
  FrameReader reader(fmt.get(), index, codec.get());
  long long count = 0;
  while (reader.next(frame.get()) > 0) {
    ++count;
    av_frame_unref(frame.get());
    if (alive && count % 16 == 0) alive();
  }
  return count;
}

// Frames of another size (a stream that changes size) are scaled to the video's size.
bool toRgb(const AVFrame* frame, av::SwsPtr& sws, Bitmap& out) {
  SwsContext* ctx = sws_getCachedContext(sws.release(), frame->width, frame->height,
                                         static_cast<AVPixelFormat>(frame->format), out.width(), out.height(),
                                         AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr);
  sws.reset(ctx);
  if (!ctx) return false;
  uint8_t* dst[4] = {out.data().data(), nullptr, nullptr, nullptr};
  int dstStride[4] = {static_cast<int>(out.stride()), 0, 0, 0};
  return sws_scale(ctx, frame->data, frame->linesize, 0, frame->height, dst, dstStride) == out.height();
}

QString framePath(const QString& folder, long long number) {
  QString dir = folder;
  while (dir.size() > 1 && dir.endsWith(QLatin1Char('/'))) dir.chop(1);
  if (dir == QLatin1String("/")) dir.clear();
  return dir + QLatin1Char('/') + AviFrameFileName(number);
}

void quietLibav() {
  // The libraries' own chatter (deprecated pixel formats, probing) is not for our users.
  static const bool once = [] {
    if (av_log_get_level() > AV_LOG_ERROR) av_log_set_level(AV_LOG_ERROR);
    return true;
  }();
  (void)once;
}

}  // namespace

AviExtractResult ExtractAviFrames(const QString& path, const AviExtractRequest& request) {
  quietLibav();
  AviExtractResult result;
  auto addLine = [&](const QString& line) {
    result.lines.append(line);
    if (request.addLine) request.addLine(line);
  };
  auto show = [&](MessageKind kind, const QString& text, const QString& caption = {}) {
    result.message = text;
    if (request.prompter) request.prompter->message(kind, text, caption);
  };

  // What has to be said after everything is released.
  std::optional<std::pair<MessageKind, QString>> lastWord;
  {
    av::InputPtr fmt = openInput(path);
    // A file whose facts cannot be read is as unusable as one that does not open, and says so.
    if (!fmt || avformat_find_stream_info(fmt.get(), nullptr) < 0) {
      fmt.reset();
      show(MessageKind::Error, request.texts.cannotOpenAvi, kTextErrorCaption);
      result.outcome = AviOutcome::CannotOpen;
      return result;
    }

    const int index = firstVideoStream(fmt.get());
    AVStream* stream = index >= 0 ? fmt->streams[index] : nullptr;
    if (stream) {
      result.width = std::max(0, stream->codecpar->width);
      result.height = std::max(0, stream->codecpar->height);
    }
    result.runTimeSeconds = runTimeOf(fmt.get(), stream);
    const QStringList info = AviInfoLines(path, result.width, result.height, result.runTimeSeconds, 0, 0);
    for (int i = 0; i < 4; ++i) addLine(info[i]);

    if (!stream) {
      fmt.reset();
      show(MessageKind::Error, kTextNoVideoStream, kTextErrorCaption);
      result.outcome = AviOutcome::NoVideoStream;
      return result;
    }
    av::CodecPtr codec = openDecoder(stream);
    av::FramePtr frame(av_frame_alloc());
    if (!codec || !frame) {
      codec.reset();
      fmt.reset();
      show(MessageKind::Error, kTextNoDecoder, kTextErrorCaption);
      result.outcome = AviOutcome::NoDecoder;
      return result;
    }

    const long long start = 0;
    // While counting, progress says "busy" (0 of 0) so a window can keep painting.
    std::function<void()> alive;
    if (request.progress) alive = [&request] { request.progress(0, 0); };
    long long end = start + (stream->nb_frames > 0 ? stream->nb_frames : countFramesByDecoding(path, alive));
    result.frames = end;
    addLine(QStringLiteral("Images:        ") + QString::number(end));
    result.frameDelay = SuggestedFrameDelay(result.runTimeSeconds, end);
    addLine(QStringLiteral("Delay ms:      ") + QString::number(*result.frameDelay));

    const int cap = std::max(0, request.maxFrames);
    if (end > cap) {
      result.capped = true;
      show(MessageKind::Warning, request.texts.tooManyFrames);
      end = cap;
    }

    bool save = false;
    if (request.saveFrames)
      save = *request.saveFrames;
    else if (request.prompter)
      save = request.prompter->askYesNo(request.texts.saveFramesNow);
    if (!save) {
      result.outcome = AviOutcome::Declined;
      return result;
    }

    // Decoding to the video's own size; a header without a size takes the first frame's.
    FrameReader reader(fmt.get(), index, codec.get());
    av::SwsPtr sws;
    Bitmap rgb;
    const int total = static_cast<int>(end - start);
    for (long long p = start; p < end; ++p) {
      const int got = reader.next(frame.get());
      if (got > 0 && rgb.empty()) {
        const int w = result.width > 0 ? result.width : frame->width;
        const int h = result.height > 0 ? result.height : frame->height;
        // A header may claim any size; the picture has to be one a BMP file can hold.
        if (w > 0 && h > 0 && w <= kMaxFrameSide && h <= kMaxFrameSide && av_image_check_size(static_cast<unsigned>(w), static_cast<unsigned>(h), 0, nullptr) == 0)
          rgb = Bitmap(w, h, 24);
      }
      if (got <= 0 || rgb.empty() || !toRgb(frame.get(), sws, rgb)) {
        lastWord.emplace(MessageKind::Warning, kTextErrorCreatingFrame + QString::number(p));
        result.outcome = AviOutcome::FrameError;
        break;
      }
      av_frame_unref(frame.get());
      const QString name = framePath(request.folder, p + 1);
      if (saveFrame(rgb, name)) {
        result.saved = true;
        result.frameFiles.append(name);
        addLine(name);
      }
      if (request.progress) request.progress(static_cast<int>(p - start + 1), total);
    }
  }  // decoder, stream and file released here, before any box

  if (lastWord) {
    show(lastWord->first, lastWord->second);
    return result;
  }
  result.outcome = AviOutcome::Done;
  if (!result.saved && result.frames > 0 && request.maxFrames > 0) {
    show(MessageKind::Error, request.texts.framesNotWritten + QFileInfo(framePath(request.folder, 1)).path(),
         kTextErrorCaption);
    return result;
  }
  show(MessageKind::Information, request.texts.framesSaved);
  return result;
}

}  // namespace framora
