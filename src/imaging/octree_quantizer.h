#pragma once
// Reduces a picture to at most 256 colours for GIF: an octree of the picture's
// colours, folded from its least significant branches while it is being built.
// The palette order, the folding order and the averages are part of the output
// that saved files show, so they are kept exactly.
#include <cstddef>
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
    struct alignas(64) Node {  // one cache line each
        std::uint32_t pixelCount = 0;
        // When the node reached its present count: among interior nodes of one
        // level with equal counts, the one that got there first is folded first.
        std::uint32_t reachedAt = 0;
        std::uint32_t children[8] = {};  // 0 = none (the root is never a child)
        std::uint32_t slot = 0;          // interior: place in its level's list; leaf: palette index
        std::uint32_t parent = 0;
        // Pixels counted here but not yet on the parent and above, and the time
        // of the last of them.
        std::uint32_t up = 0;
        std::uint32_t upAt = 0;
        // Changes whenever the node is freed, so a remembered leaf can be told
        // from whatever its place holds later.
        std::uint32_t incarnation = 0;
        std::uint8_t level = 0;
        bool isLeaf = false;
    };
    // The leaf that the pixels of one key reach, and the pixels of that key
    // counted here but not yet on the leaf.
    struct CachedLeaf {
        std::uint32_t key = ~std::uint32_t{0};
        std::uint32_t leaf = 0;
        std::uint32_t incarnation = 0;  // the leaf's when the entry was made or checked
        std::uint32_t generation = 0;   // no fold since this one: the leaf is still there
        std::uint32_t pending = 0;
        std::uint32_t pendingAt = 0;
    };

    std::uint32_t NewNode(unsigned level, std::uint32_t parent);
    // Returns the leaf the colour ended in.
    std::uint32_t AddColor(unsigned r, unsigned g, unsigned b);
    std::uint32_t LeafOf(unsigned r, unsigned g, unsigned b) const;
    // Adds `count` pixels, the last of them at `at`, to a leaf they are known
    // to reach.
    void AddToLeaf(std::uint32_t leaf, std::uint32_t count, std::uint32_t at);
    // Moves an entry's pixels onto its leaf.
    void SettleEntry(CachedLeaf& entry);
    // Counts every entry's pixels on its leaf.
    void SettleEntries();
    // Brings the counts of every node of `level` and below up to date.
    void CountUpTo(unsigned level);
    void ReduceWhileOver(unsigned maxColors);
    void ReduceNode(std::uint32_t n);
    // Numbers the leaves in palette order; returns how many there are.
    std::uint32_t NumberLeaves();
    template <bool kIs565>
    void BuildTree(const imaging::Bitmap& work, unsigned maxColors);
    template <bool kIs565>
    void MapPixels(const imaging::Bitmap& work, imaging::Bitmap& target);
    void Reset(std::size_t pixels);

    std::vector<Node> nodes_;
    std::vector<std::uint32_t> free_;
    // The interior nodes of each level below the root, in no particular order.
    std::vector<std::uint32_t> interior_[8];
    // Per level, the nodes whose `up` is not zero (and some whose it is).
    std::vector<std::uint32_t> countsToPass_[8];
    std::vector<std::uint32_t> pendingEntries_;  // places in leafCache_
    // A small table from pixel key to leaf, looked up by hash.
    std::vector<CachedLeaf> leafCache_;
    unsigned cacheShift_ = 32;
    std::uint32_t generation_ = 1;  // changes with every fold
    std::uint32_t leafCount_ = 0;
    std::uint32_t clock_ = 0;
};

}  // namespace nimbo::imaging
