// Speed of the codec's hot paths: colour reduction (quantise + dither), LZW encoding and
// the colour-map optimisation, with giflib's encoder on the same frame for comparison.
// Inputs: PNG frames from FRAMORA_BENCH_INPUTS (made by make_inputs.sh: photo/ 640x480,
// big/ 1920x1080); without it, synthetic photo-like pictures.
#include "codec/ColorReduction.h"
#include "codec/Ditherer.h"
#include "codec/GIFImage.h"
#include "codec/LzwEncoder.h"
#include "codec/Quantizer.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <png.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

using namespace framora;

namespace {

Bitmap LoadPng(const std::string& path) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) return {};
  img.format = PNG_FORMAT_RGB;
  Bitmap b(static_cast<int>(img.width), static_cast<int>(img.height), 24);
  if (!png_image_finish_read(&img, nullptr, b.data().data(), 0, nullptr)) return {};
  return b;
}

// Smooth gradients, soft blobs and grain: many colours, like a photograph.
Bitmap Synthetic(int w, int h, unsigned seed) {
  Bitmap b(w, h, 24);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double fx = double(x) / w, fy = double(y) / h;
      const double blob = std::exp(-((fx - 0.3) * (fx - 0.3) + (fy - 0.6) * (fy - 0.6)) * 12.0);
      const double sky = 0.5 + 0.5 * std::sin(fx * 5.0 + seed * 0.1) * std::cos(fy * 3.0);
      const int grain = static_cast<int>(rng() % 13) - 6;
      std::uint8_t* p = b.row(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(std::clamp(int(255 * (0.6 * sky + 0.4 * blob)) + grain, 0, 255));
      p[1] = static_cast<std::uint8_t>(std::clamp(int(200 * fy * (1 - blob) + 55 * blob) + grain, 0, 255));
      p[2] = static_cast<std::uint8_t>(std::clamp(int(255 * (1 - fy) * sky) + grain, 0, 255));
    }
  return b;
}

// Frame n (1-based) of a folder of the inputs, or a synthetic one of the given size.
Bitmap Input(const char* folder, int n, int w, int h) {
  if (const char* dir = std::getenv("FRAMORA_BENCH_INPUTS")) {
    char name[32];
    std::snprintf(name, sizeof name, "f%03d.png", n);
    const auto path = std::filesystem::path(dir) / folder / name;
    Bitmap b = LoadPng(path.string());
    if (!b.empty()) return b;
  }
  return Synthetic(w, h, static_cast<unsigned>(n));
}

void SetPixels(benchmark::State& state, const Bitmap& b) {
  const double mp = double(b.width()) * b.height() / 1e6;
  state.SetItemsProcessed(state.iterations() * std::int64_t(b.width()) * b.height());
  state.counters["ms_per_MP"] =
      benchmark::Counter(mp * 1e-3, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ReduceColors(benchmark::State& state) {
  const bool big = state.range(0) != 0;
  const Bitmap src = big ? Input("big", 1, 1920, 1080) : Input("photo", 1, 640, 480);
  for (auto _ : state) {
    Bitmap out = ReduceColors(src);
    benchmark::DoNotOptimize(out.data().data());
  }
  SetPixels(state, src);
  state.SetLabel(std::to_string(src.width()) + "x" + std::to_string(src.height()));
}
BENCHMARK(BM_ReduceColors)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The two halves of the reduction, to see where the time goes.
void BM_QuantizeOnly(benchmark::State& state) {
  const Bitmap src = state.range(0) ? Input("big", 1, 1920, 1080) : Input("photo", 1, 640, 480);
  std::size_t nodes = 0;
  for (auto _ : state) {
    ColorQuantizer q(256);
    q.AddPixels(src.data().data(), std::size_t(src.width()) * src.height());
    auto pal = q.Palette();
    benchmark::DoNotOptimize(pal.data());
    nodes = q.NodeCapacity();
  }
  SetPixels(state, src);
  // Tree memory: the same for both sizes.
  state.counters["tree_nodes"] = double(nodes);
}
BENCHMARK(BM_QuantizeOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DitherOnly(benchmark::State& state) {
  const Bitmap src = state.range(0) ? Input("big", 1, 1920, 1080) : Input("photo", 1, 640, 480);
  ColorQuantizer q(256);
  q.AddPixels(src.data().data(), std::size_t(src.width()) * src.height());
  const auto palette = q.Palette();
  std::vector<std::uint8_t> out(std::size_t(src.width()) * src.height());
  for (auto _ : state) {
    DitherFloydSteinberg(src.data().data(), src.stride(), src.width(), src.height(), palette, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  SetPixels(state, src);
}
BENCHMARK(BM_DitherOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

const Bitmap& ReducedBig() {
  static const Bitmap b = ReduceColors(Input("big", 1, 1920, 1080));
  return b;
}

void BM_LzwEncode(benchmark::State& state) {
  const Bitmap& frame = ReducedBig();
  std::vector<std::uint8_t> out;
  for (auto _ : state) {
    out.clear();
    LzwEncode(frame.data().data(), frame.data().size(), 8, 256, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t(frame.data().size()));
  state.counters["ratio"] = double(frame.data().size()) / double(out.size());
}
BENCHMARK(BM_LzwEncode)->Unit(benchmark::kMillisecond);

// giflib's encoder on the same frame (to memory), as the peer figure.
void BM_GiflibEncode(benchmark::State& state) {
  const Bitmap& frame = ReducedBig();
  std::vector<std::uint8_t> sink;
  auto write = [](GifFileType* gif, const GifByteType* bytes, int n) -> int {
    auto* v = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    v->insert(v->end(), bytes, bytes + n);
    return n;
  };
  std::vector<GifColorType> colors(256);
  for (std::size_t i = 0; i < frame.palette().size(); ++i)
    colors[i] = GifColorType{frame.palette()[i].r, frame.palette()[i].g, frame.palette()[i].b};
  for (auto _ : state) {
    sink.clear();
    int err = 0;
    GifFileType* gif = EGifOpen(&sink, write, &err);
    ColorMapObject* map = GifMakeMapObject(256, colors.data());
    EGifPutScreenDesc(gif, frame.width(), frame.height(), 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, frame.width(), frame.height(), false, nullptr);
    for (int y = 0; y < frame.height(); ++y)
      EGifPutLine(gif, const_cast<GifPixelType*>(frame.row(y)), frame.width());
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    benchmark::DoNotOptimize(sink.data());
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t(frame.data().size()));
}
BENCHMARK(BM_GiflibEncode)->Unit(benchmark::kMillisecond);

void BM_OptimizeColorMap100(benchmark::State& state) {
  static std::unique_ptr<GIFImage> source = [] {
    auto image = std::make_unique<GIFImage>();
    for (int n = 1; n <= 100; ++n) image->Add(Input("photo", n, 640, 480));
    return image;
  }();
  GIFImage work;
  for (auto _ : state) {
    state.PauseTiming();
    work.Assign(*source);
    state.ResumeTiming();
    work.OptimizeColorMap();
    benchmark::DoNotOptimize(work.GlobalColorMap().Data().data());
  }
  state.SetItemsProcessed(state.iterations() * 100 * 640 * 480);
  state.counters["ms_per_MP"] = benchmark::Counter(100 * 0.3072 * 1e-3, benchmark::Counter::kIsIterationInvariantRate |
                                                                                benchmark::Counter::kInvert);
}
BENCHMARK(BM_OptimizeColorMap100)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
