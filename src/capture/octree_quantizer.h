#pragma once
// Reduces a picture to at most 256 colours for GIF: an octree of the picture's
// colours, folded from its least significant branches while it is being built.
// The palette order, the folding order and the averages are part of the output
// that saved files show, so they are kept exactly.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/imaging.h"

namespace nimbo {

class OctreeQuantizer {
public:
    // An 8-bit indexed picture of the source's size whose palette has at most
    // maxColors entries; nothing when maxColors is outside 8 to 256.
    std::optional<platform::Bitmap> Quantize(const platform::Bitmap& source, int maxColors);

private:
    struct Node {
        // (level << 32) | pixelCount: the sort key of the list of interior nodes.
        std::uint64_t key = 0;
        // Leaf: the colour sums. 64-bit, so a very large picture of bright
        // pixels cannot wrap them.
        std::uint64_t red = 0, green = 0, blue = 0;
        std::uint32_t children[8] = {};  // 0 = none (slot 0 is never a child)
        std::uint32_t next = 0, prev = 0;
        std::uint32_t paletteIndex = 0;
        bool isLeaf = false;
    };

    std::uint32_t NewNode(unsigned level);
    void ReleaseNode(std::uint32_t n);
    void Unlink(std::uint32_t n);
    void InsertBefore(std::uint32_t n, std::uint32_t before);
    void MoveToSortedPlace(std::uint32_t n);
    void AddColor(unsigned r, unsigned g, unsigned b);
    void AddRepeats(unsigned r, unsigned g, unsigned b, std::uint32_t times);
    void ReduceWhileOver(unsigned maxColors);
    void ReduceNode(std::uint32_t n);
    void BuildPalette(std::vector<platform::Argb>& palette);
    std::uint8_t PaletteIndexOf(unsigned r, unsigned g, unsigned b) const;
    void Reset();

    std::vector<Node> nodes_;
    std::vector<std::uint32_t> free_;
    std::uint32_t head_ = 0;
    std::uint32_t root_ = 0;
    // levelStart_[L] marks the place in the list where level L begins; these
    // markers never take part in a reduction.
    std::uint32_t levelStart_[8] = {};
    std::uint32_t leafCount_ = 0;
};

}  // namespace nimbo
