// GIFImage::OptimizeColorMap: all colour maps merged into one global map ordered by use.
#include "codec/Ditherer.h"
#include "codec/GIFImage.h"

#include <algorithm>
#include <unordered_map>

namespace framora {

namespace {

struct Histogram {
  const GIFColorMap* map = nullptr;
  std::uint64_t counts[256] = {};
  int newIndex[256] = {};
};

struct Entry {
  int histogram;
  int oldIndex;
  Rgb color;
  std::uint64_t count;
  int survivor; // entry this one was merged into, or itself
};

std::uint32_t Key(Rgb c) { return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b; }

} // namespace

void GIFImage::OptimizeColorMap() {
  const int frameCount = images_.Count();
  std::vector<Histogram> histograms;
  std::vector<int> frameHistogram(static_cast<std::size_t>(frameCount), -1);

  // 1. One histogram for the global map (frames without a local map), one per local map.
  int globalHistogram = -1;
  for (int i = 0; i < frameCount; ++i) {
    GIFFrame& f = images_.Frames(i);
    if (f.Empty()) continue;
    if (!f.ColorMap().Empty()) {
      frameHistogram[static_cast<std::size_t>(i)] = static_cast<int>(histograms.size());
      histograms.emplace_back().map = &f.ColorMap();
    } else if (!GlobalColorMap().Empty()) {
      if (globalHistogram < 0) {
        globalHistogram = static_cast<int>(histograms.size());
        histograms.emplace_back().map = &GlobalColorMap();
      }
      frameHistogram[static_cast<std::size_t>(i)] = globalHistogram;
    }
  }

  // 2. Counting; transparent pixels are not counted but show the frame really is transparent.
  std::vector<int> oldTransparent(static_cast<std::size_t>(frameCount), -1);
  bool usesTransparency = false;
  for (int i = 0; i < frameCount; ++i) {
    const int h = frameHistogram[static_cast<std::size_t>(i)];
    if (h < 0) continue;
    GIFFrame& f = images_.Frames(i);
    Histogram& hist = histograms[static_cast<std::size_t>(h)];
    const int mapCount = hist.map->Count();
    std::uint64_t counts[256] = {};
    for (std::uint8_t p : f.Data()) ++counts[p];

    GIFGraphicControlExtension* gce = f.GraphicControlExtension();
    if (gce && gce->Transparent()) {
      const int t = gce->TransparentColorIndex();
      if (counts[t] > 0) {
        oldTransparent[static_cast<std::size_t>(i)] = t;
        usesTransparency = true;
        counts[t] = 0;
      } else {
        gce->SetTransparent(false);
        gce->Rec().TransparentColorIndex = 0;
      }
    }
    bool beyond = false;
    for (int c = mapCount; c < 256; ++c)
      if (counts[c] > 0) beyond = true;
    if (beyond) {
      Warning(gsWarning, gifmsg::ColorNotInMap);
      const int t = oldTransparent[static_cast<std::size_t>(i)];
      for (std::uint8_t& p : f.Data())
        if (p >= mapCount && p != t) p = 0;
      for (int c = mapCount; c < 256; ++c) {
        counts[0] += counts[c];
        counts[c] = 0;
      }
    }
    for (int c = 0; c < 256; ++c) hist.counts[c] += counts[c];
  }

  // 3./4. Used entries of all histograms, identical colours merged into the first.
  std::vector<Entry> entries;
  std::unordered_map<std::uint32_t, int> firstOfColor;
  std::vector<int> survivors;
  for (int h = 0; h < static_cast<int>(histograms.size()); ++h) {
    const Histogram& hist = histograms[static_cast<std::size_t>(h)];
    for (int c = 0; c < hist.map->Count(); ++c) {
      if (hist.counts[c] == 0) continue;
      const Rgb color = hist.map->Colors(c);
      const int id = static_cast<int>(entries.size());
      auto [it, fresh] = firstOfColor.emplace(Key(color), id);
      entries.push_back(Entry{h, c, color, hist.counts[c], fresh ? id : it->second});
      if (fresh) survivors.push_back(id);
      else entries[static_cast<std::size_t>(it->second)].count += hist.counts[c];
    }
  }

  // 5. Most used first; equal counts keep their list order so the result is reproducible.
  std::stable_sort(survivors.begin(), survivors.end(), [&](int a, int b) {
    return entries[static_cast<std::size_t>(a)].count > entries[static_cast<std::size_t>(b)].count;
  });
  const std::size_t limit = usesTransparency ? 255 : 256;
  const std::size_t keep = std::min(limit, survivors.size());
  std::vector<Rgb> kept;
  std::vector<int> newIndexOf(entries.size(), -1);
  for (std::size_t k = 0; k < keep; ++k) {
    newIndexOf[static_cast<std::size_t>(survivors[k])] = static_cast<int>(k);
    kept.push_back(entries[static_cast<std::size_t>(survivors[k])].color);
  }

  // 6. The rest: nearest kept colour (first one on a tie); duplicates follow their survivor.
  NearestColorFinder nearest(kept);
  for (std::size_t k = keep; k < survivors.size(); ++k) {
    const Rgb c = entries[static_cast<std::size_t>(survivors[k])].color;
    newIndexOf[static_cast<std::size_t>(survivors[k])] = nearest.Find(c.r, c.g, c.b);
  }
  for (std::size_t e = 0; e < entries.size(); ++e) {
    const Entry& en = entries[e];
    const int idx = newIndexOf[static_cast<std::size_t>(en.survivor)];
    newIndexOf[e] = idx;
    histograms[static_cast<std::size_t>(en.histogram)].newIndex[en.oldIndex] = idx;
  }

  // 7./8. One global map, with a black transparent entry after the kept colours.
  const int transparentIndex = static_cast<int>(kept.size());
  if (usesTransparency) kept.push_back(Rgb{});
  for (auto& f : images_) f->ColorMap().Clear();
  GlobalColorMap().Assign(std::move(kept));
  GlobalColorMap().SetOptimized(true);

  // 9. Remapping.
  for (int i = 0; i < frameCount; ++i) {
    const int h = frameHistogram[static_cast<std::size_t>(i)];
    if (h < 0) continue;
    GIFFrame& f = images_.Frames(i);
    std::uint8_t table[256];
    for (int c = 0; c < 256; ++c) table[c] = static_cast<std::uint8_t>(histograms[static_cast<std::size_t>(h)].newIndex[c]);
    const int t = oldTransparent[static_cast<std::size_t>(i)];
    if (t >= 0) {
      table[t] = static_cast<std::uint8_t>(transparentIndex);
      f.GraphicControlExtension()->Rec().TransparentColorIndex = static_cast<std::uint8_t>(transparentIndex);
    }
    for (std::uint8_t& p : f.Data()) p = table[p];
  }
}

} // namespace framora
