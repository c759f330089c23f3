#include "codec/Quantizer.h"

#include <algorithm>

namespace framora {

namespace {
constexpr std::size_t kCacheSize = 1 << 14;
}

ColorQuantizer::ColorQuantizer(int maxColors) : maxColors_(std::max(1, maxColors)), cache_(kCacheSize) {
  std::fill(std::begin(reducible_), std::end(reducible_), -1);
  nodes_.reserve(1024);
  root_ = NewNode(0);
}

std::int32_t ColorQuantizer::NewNode(int level) {
  std::int32_t id;
  if (!free_.empty()) {
    id = free_.back();
    free_.pop_back();
    const std::uint32_t serial = nodes_[static_cast<std::size_t>(id)].serial;
    nodes_[static_cast<std::size_t>(id)] = Node{};
    nodes_[static_cast<std::size_t>(id)].serial = serial;
  } else {
    id = static_cast<std::int32_t>(nodes_.size());
    nodes_.emplace_back();
  }
  Node& n = nodes_[static_cast<std::size_t>(id)];
  std::fill(std::begin(n.child), std::end(n.child), -1);
  if (level == kDepth) {
    n.leaf = true;
    ++leafCount_;
  } else {
    n.next = reducible_[level];
    reducible_[level] = id;
  }
  return id;
}

// Kept in one piece with AddPixels so the per-pixel path has no call.
[[gnu::always_inline]] inline void ColorQuantizer::Insert(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const std::uint32_t key = (static_cast<std::uint32_t>(r >> 2) << 12) | (static_cast<std::uint32_t>(g >> 2) << 6) | (b >> 2);
  CacheEntry& ce = cache_[(key * 2654435761u) >> 18];
  std::int32_t leaf;
  if (ce.key == key && nodes_[static_cast<std::size_t>(ce.leaf)].serial == ce.serial) {
    leaf = ce.leaf;
  } else {
    std::int32_t node = root_;
    for (int level = 0;; ++level) {
      if (nodes_[static_cast<std::size_t>(node)].leaf) break;
      const int shift = 7 - level;
      const int index = (((r >> shift) & 1) << 2) | (((g >> shift) & 1) << 1) | ((b >> shift) & 1);
      std::int32_t child = nodes_[static_cast<std::size_t>(node)].child[index];
      if (child < 0) {
        child = NewNode(level + 1); // may move nodes_, so index again below
        nodes_[static_cast<std::size_t>(node)].child[index] = child;
      }
      node = child;
    }
    leaf = node;
    ce = CacheEntry{key, nodes_[static_cast<std::size_t>(leaf)].serial, leaf};
  }
  Node& n = nodes_[static_cast<std::size_t>(leaf)];
  ++n.count;
  n.r += r;
  n.g += g;
  n.b += b;
  while (leafCount_ > maxColors_) ReduceTree();
}

void ColorQuantizer::AddColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) { Insert(r, g, b); }

void ColorQuantizer::AddPixels(const std::uint8_t* rgb, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i, rgb += 3) Insert(rgb[0], rgb[1], rgb[2]);
}

void ColorQuantizer::ReduceTree() {
  int level = kDepth - 1;
  while (level > 0 && reducible_[level] < 0) --level;
  const std::int32_t id = reducible_[level];
  if (id < 0) return;
  reducible_[level] = nodes_[static_cast<std::size_t>(id)].next;
  Node& n = nodes_[static_cast<std::size_t>(id)];
  int children = 0;
  for (std::int32_t& c : n.child) {
    if (c < 0) continue;
    Node& k = nodes_[static_cast<std::size_t>(c)];
    n.count += k.count;
    n.r += k.r;
    n.g += k.g;
    n.b += k.b;
    ++k.serial;
    free_.push_back(c);
    c = -1;
    ++children;
  }
  n.leaf = true;
  leafCount_ -= children - 1;
}

void ColorQuantizer::Collect(std::int32_t id, std::vector<Rgb>& out) const {
  const Node& n = nodes_[static_cast<std::size_t>(id)];
  if (n.leaf) {
    if (n.count == 0) {
      out.push_back(Rgb{});
    } else {
      out.push_back(Rgb{static_cast<std::uint8_t>(n.r / n.count), static_cast<std::uint8_t>(n.g / n.count),
                        static_cast<std::uint8_t>(n.b / n.count)});
    }
    return;
  }
  for (std::int32_t c : n.child)
    if (c >= 0) Collect(c, out);
}

std::vector<Rgb> ColorQuantizer::Palette() const {
  std::vector<Rgb> out;
  out.reserve(static_cast<std::size_t>(leafCount_));
  Collect(root_, out);
  return out;
}

} // namespace framora
