#pragma once
// Reduces a picture to at most 256 colours for GIF: an octree of the picture's
// colours, folded from its least significant branches while it is being built.
// The palette order, the folding order and the averages are part of the output
// that saved files show, so they are kept exactly.
#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/bitmap.h"

namespace nimbo::imaging {

class OctreeQuantizer {
public:
    // An 8-bit indexed picture of the source's size whose palette has at most
    // maxColors entries; nothing when maxColors is outside 8 to 256.
    std::optional<imaging::Bitmap> Quantize(const imaging::Bitmap& source, int maxColors);

private:
    struct Node {
        std::uint32_t pixelCount = 0;
        // When the node reached its present count: among interior nodes of one
        // level with equal counts, the one that got there first is folded first.
        std::uint32_t reachedAt = 0;
        // Leaf: the colour sums. 64-bit, so a very large picture of bright
        // pixels cannot wrap them.
        std::uint64_t red = 0, green = 0, blue = 0;
        std::uint32_t children[8] = {};  // 0 = none (the root is never a child)
        std::uint32_t slot = 0;          // interior: place in its level's list; leaf: palette index
        std::uint32_t parent = 0;
        // Leaf: pixels added here but not yet counted on the way up, and the time
        // of the last of them.
        std::uint32_t pending = 0;
        std::uint32_t pendingAt = 0;
        std::uint8_t level = 0;
        bool isLeaf = false;
    };
    struct CachedLeaf {
        std::uint32_t leaf = 0;
        std::uint32_t generation = 0;  // valid while it equals generation_
    };

    std::uint32_t NewNode(unsigned level, std::uint32_t parent);
    // Returns the leaf the colour ended in.
    std::uint32_t AddColor(unsigned r, unsigned g, unsigned b);
    std::uint32_t LeafOf(unsigned r, unsigned g, unsigned b) const;
    // Adds `count` pixels of one colour to a leaf they are known to reach.
    void AddToLeaf(std::uint32_t leaf, unsigned r, unsigned g, unsigned b, std::uint32_t count);
    void CountPending();
    void ReduceWhileOver(unsigned maxColors);
    void ReduceNode(std::uint32_t n);
    void BuildPalette(std::vector<imaging::Argb>& palette);
    void Reset();

    std::vector<Node> nodes_;
    std::vector<std::uint32_t> free_;
    // The interior nodes of each level below the root, in no particular order.
    std::vector<std::uint32_t> interior_[8];
    std::vector<std::uint32_t> pendingLeaves_;
    // For 16-bit pictures: the leaf each pixel value reached, until a fold
    // changes the leaves (which starts a new generation).
    std::vector<CachedLeaf> leafOfValue_;
    std::uint32_t generation_ = 1;
    std::uint32_t leafCount_ = 0;
    std::uint32_t clock_ = 0;
};

}  // namespace nimbo::imaging
