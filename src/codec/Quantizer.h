#pragma once
// Octree colour quantiser: depth 6, so a leaf stands for the 6 most significant bits of
// each component. After every pixel the tree is reduced while it has more leaves than
// allowed, newest reducible node of the deepest level first, so its size stays bounded
// whatever the picture size.
#include "codec/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace framora {

class ColorQuantizer {
public:
  explicit ColorQuantizer(int maxColors = 256);

  void AddColor(std::uint8_t r, std::uint8_t g, std::uint8_t b);
  // count pixels of three bytes R, G, B.
  void AddPixels(const std::uint8_t* rgb, std::size_t count);

  // The leaves depth first, children in index order; each the truncated mean of its pixels.
  std::vector<Rgb> Palette() const;
  int LeafCount() const { return leafCount_; }
  // Nodes ever allocated at once; bounded by the colour limit, not by the picture.
  std::size_t NodeCapacity() const { return nodes_.size(); }

private:
  static constexpr int kDepth = 6;
  struct Node {
    std::uint64_t count = 0;
    std::uint64_t r = 0, g = 0, b = 0; // wide sums: a large one-colour area cannot overflow
    std::int32_t child[8];
    std::int32_t next = -1; // next reducible node of the same level
    std::uint32_t serial = 0; // changes when the node is released, so cached links to it go stale
    bool leaf = false;
  };

  void Insert(std::uint8_t r, std::uint8_t g, std::uint8_t b);
  std::int32_t NewNode(int level);
  void ReduceTree();
  void Collect(std::int32_t node, std::vector<Rgb>& out) const;

  int maxColors_;
  int leafCount_ = 0;
  std::vector<Node> nodes_;
  std::vector<std::int32_t> free_;
  std::int32_t reducible_[kDepth];
  std::int32_t root_;
  // Leaf reached by a 6-bit colour. A reduction releases only leaves, so a cached leaf that
  // still carries the same serial is still the one the colour reaches.
  struct CacheEntry {
    std::uint32_t key = 0xFFFFFFFFu;
    std::uint32_t serial = 0;
    std::int32_t leaf = -1;
  };
  std::vector<CacheEntry> cache_;
};

} // namespace framora
