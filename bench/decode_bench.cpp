// Decoding a large animated GIF: our model reader (and the preview reader) against giflib's
// DGifSlurp on the same bytes in the same run.
// Input: FRAMORA_BENCH_INPUTS/anim.gif (make_inputs.sh: 100 frames 640x480); without it a
// synthetic 100-frame 640x480 animation written by our own writer.
#include "codec/GIFImage.h"
#include "codec/PreviewGIFImage.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace framora;

namespace {

std::vector<std::uint8_t> synthetic() {
  GIFImage image;
  for (int f = 0; f < 100; ++f) {
    Bitmap b(640, 480, 8);
    for (int i = 0; i < 256; ++i)
      b.palette().push_back(Rgb{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t((i * 7) & 255)});
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x)
        b.row(y)[x] = static_cast<std::uint8_t>(128 + 60 * std::sin((x + 3 * f) / 23.0) + 60 * std::cos((y - f) / 17.0) +
                                                ((x * 31 + y * 17) % 7));
    image.Add(b);
  }
  return image.SaveToBytes();
}

const std::vector<std::uint8_t>& input() {
  static const std::vector<std::uint8_t> bytes = [] {
    if (const char* dir = std::getenv("FRAMORA_BENCH_INPUTS")) {
      std::ifstream in(std::filesystem::path(dir) / "anim.gif", std::ios::binary);
      if (in) return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    return synthetic();
  }();
  return bytes;
}

void BM_ModelReader(benchmark::State& state) {
  const auto& bytes = input();
  const std::string text(bytes.begin(), bytes.end());
  for (auto _ : state) {
    std::istringstream in(text);
    GIFImage image;
    image.LoadFromStream(in);
    benchmark::DoNotOptimize(image.Images().Count());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_PreviewReaderAllFrames(benchmark::State& state) {
  const auto& bytes = input();
  for (auto _ : state) {
    PreviewGIFImage image;
    image.LoadFromMemory(bytes.data(), bytes.size());
    for (int i = 0; i < image.Count(); ++i) benchmark::DoNotOptimize(image.Frames(i).Bitmap().data().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

struct Memory {
  const std::uint8_t* data;
  std::size_t size, pos;
};

int readMemory(GifFileType* gif, GifByteType* out, int n) {
  auto* m = static_cast<Memory*>(gif->UserData);
  const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), m->size - m->pos);
  std::memcpy(out, m->data + m->pos, take);
  m->pos += take;
  return static_cast<int>(take);
}

void BM_GiflibSlurp(benchmark::State& state) {
  const auto& bytes = input();
  for (auto _ : state) {
    Memory m{bytes.data(), bytes.size(), 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&m, readMemory, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
      state.SkipWithError("giflib could not read the input");
      if (gif) DGifCloseFile(gif, &error);
      break;
    }
    benchmark::DoNotOptimize(gif->ImageCount);
    DGifCloseFile(gif, &error);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

} // namespace

BENCHMARK(BM_ModelReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewReaderAllFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GiflibSlurp)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
