// The folding order is defined by a list of interior nodes sorted by (level,
// pixel count), ties in the order the nodes reached their count. That order is
// only ever looked at when a node is folded, which happens a few thousand times
// per picture, while counts change several times per pixel. So instead of
// keeping the list sorted, each node records when it reached its count, and the
// node to fold is found by looking through the deepest level's interior nodes
// for the smallest (count, time reached).
//
// A pixel whose leaf is already known (the previous pixel's colour, or for
// 16-bit pictures a per-value cache) creates no node and folds nothing, so it is
// only added to its leaf; the counts on the way up are brought up to date, with
// the time of the last such pixel, just before the next fold. Since a node's
// rank depends only on its count and the time it got there, this gives the
// same folds, tree and sums as walking down from the root for every pixel.
#include "imaging/octree_quantizer.h"

#include <new>

namespace nimbo::imaging {
namespace {

using imaging::Argb;
using imaging::Bitmap;
using imaging::PixelFormat;

constexpr std::uint32_t kRoot = 0;
constexpr unsigned kRootLevel = 7;

constexpr unsigned ChildIndex(unsigned r, unsigned g, unsigned b, unsigned level) {
    return (((r >> level) & 1) << 2) | (((g >> level) & 1) << 1) | ((b >> level) & 1);
}

struct Rgb {
    unsigned r, g, b;
};
Rgb FromRgb565(std::uint32_t w) {
    return {imaging::Widen5(w >> 11), imaging::Widen6((w >> 5) & 0x3F),
            imaging::Widen5(w & 0x1F)};
}
Rgb FromBgr(std::uint32_t v) {
    return {(v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF};
}

}  // namespace

std::uint32_t OctreeQuantizer::NewNode(unsigned level, std::uint32_t parent) {
    Node node;
    node.parent = parent;
    node.level = static_cast<std::uint8_t>(level);
    node.isLeaf = level == 0;
    if (!free_.empty()) {
        const std::uint32_t n = free_.back();
        free_.pop_back();
        nodes_[n] = node;
        return n;
    }
    nodes_.push_back(node);
    return static_cast<std::uint32_t>(nodes_.size() - 1);
}

void OctreeQuantizer::Reset() {
    nodes_.clear();
    free_.clear();
    for (auto& list : interior_) list.clear();
    pendingLeaves_.clear();
    nodes_.reserve(4096);
    NewNode(kRootLevel, kRoot);
    leafCount_ = 0;
    clock_ = 0;
    ++generation_;
}

std::uint32_t OctreeQuantizer::AddColor(unsigned r, unsigned g, unsigned b) {
    const std::uint32_t now = ++clock_;
    std::uint32_t n = kRoot;
    for (;;) {
        Node& node = nodes_[n];
        ++node.pixelCount;
        node.reachedAt = now;
        if (node.isLeaf) {
            node.red += r;
            node.green += g;
            node.blue += b;
            return n;
        }
        const unsigned level = node.level;
        const unsigned index = ChildIndex(r, g, b, level);
        std::uint32_t child = node.children[index];
        if (!child) {
            child = NewNode(level - 1, n);  // may move the pool: no references kept past here
            nodes_[n].children[index] = child;
            if (level - 1 == 0) {
                ++leafCount_;
            } else {
                auto& list = interior_[level - 1];
                nodes_[child].slot = static_cast<std::uint32_t>(list.size());
                list.push_back(child);
            }
        }
        n = child;
    }
}

void OctreeQuantizer::AddToLeaf(std::uint32_t leaf, unsigned r, unsigned g, unsigned b,
                                std::uint32_t count) {
    Node& node = nodes_[leaf];
    if (node.pending == 0) pendingLeaves_.push_back(leaf);
    node.pending += count;
    node.pendingAt = ++clock_;
    node.red += std::uint64_t{r} * count;
    node.green += std::uint64_t{g} * count;
    node.blue += std::uint64_t{b} * count;
}

void OctreeQuantizer::CountPending() {
    for (std::uint32_t leaf : pendingLeaves_) {
        Node& node = nodes_[leaf];
        const std::uint32_t count = node.pending;
        const std::uint32_t at = node.pendingAt;
        node.pending = 0;
        std::uint32_t n = leaf;
        for (;;) {
            Node& up = nodes_[n];
            up.pixelCount += count;
            if (up.reachedAt < at) up.reachedAt = at;
            if (n == kRoot) break;
            n = up.parent;
        }
    }
    pendingLeaves_.clear();
}

std::uint32_t OctreeQuantizer::LeafOf(unsigned r, unsigned g, unsigned b) const {
    std::uint32_t n = kRoot;
    while (!nodes_[n].isLeaf) n = nodes_[n].children[ChildIndex(r, g, b, nodes_[n].level)];
    return n;
}

void OctreeQuantizer::ReduceNode(std::uint32_t n) {
    std::uint64_t red = 0, green = 0, blue = 0;
    for (std::uint32_t& child : nodes_[n].children) {
        if (!child) continue;
        red += nodes_[child].red;
        green += nodes_[child].green;
        blue += nodes_[child].blue;
        free_.push_back(child);
        child = 0;
        --leafCount_;
    }
    Node& node = nodes_[n];
    node.red = red;
    node.green = green;
    node.blue = blue;
    node.isLeaf = true;
    ++leafCount_;
}

void OctreeQuantizer::ReduceWhileOver(unsigned maxColors) {
    if (leafCount_ <= maxColors) return;
    CountPending();
    ++generation_;  // folded leaves go away
    unsigned level = 1;
    while (leafCount_ > maxColors) {
        while (level < kRootLevel && interior_[level].empty()) ++level;
        if (level == kRootLevel) break;  // only the root is left
        auto& list = interior_[level];
        std::uint32_t best = 0;
        for (std::uint32_t i = 1; i < list.size(); ++i) {
            const Node& a = nodes_[list[i]];
            const Node& b = nodes_[list[best]];
            if (a.pixelCount < b.pixelCount ||
                (a.pixelCount == b.pixelCount && a.reachedAt < b.reachedAt)) {
                best = i;
            }
        }
        const std::uint32_t n = list[best];
        list[best] = list.back();
        nodes_[list[best]].slot = best;
        list.pop_back();
        ReduceNode(n);
    }
}

void OctreeQuantizer::BuildPalette(std::vector<Argb>& palette) {
    // Depth-first, children in index order; the tree is at most eight deep.
    std::uint32_t stack[8 * 8 + 1];
    int top = 0;
    stack[top++] = kRoot;
    while (top > 0) {
        const std::uint32_t n = stack[--top];
        Node& node = nodes_[n];
        if (node.isLeaf) {
            const std::uint64_t count = node.pixelCount;
            node.slot = static_cast<std::uint32_t>(palette.size());
            palette.push_back(imaging::MakeArgb(255, static_cast<std::uint8_t>(node.red / count),
                                                 static_cast<std::uint8_t>(node.green / count),
                                                 static_cast<std::uint8_t>(node.blue / count)));
            continue;
        }
        for (int i = 7; i >= 0; --i) {
            if (node.children[i]) stack[top++] = node.children[i];
        }
    }
}

std::optional<Bitmap> OctreeQuantizer::Quantize(const Bitmap& source, int maxColors) {
    if (maxColors < 8 || maxColors > 256) return std::nullopt;
    std::optional<Bitmap> converted;
    const Bitmap* work = &source;
    if (source.Format() == PixelFormat::Indexed8) {
        converted = source.ToRgb24();
        if (!converted) return std::nullopt;
        work = &*converted;
    }
    auto target = Bitmap::CreateForOverwrite(work->Width(), work->Height(), PixelFormat::Indexed8);
    if (!target) return std::nullopt;
    const bool is565 = work->Format() == PixelFormat::Rgb565;
    const int width = work->Width();
    auto pixelAt = [is565](const std::uint8_t* row, int x) -> std::uint32_t {
        if (is565) return row[2 * x] | (row[2 * x + 1] << 8);
        return row[3 * x] | (row[3 * x + 1] << 8) | (std::uint32_t{row[3 * x + 2]} << 16);
    };
    auto colourOf = [is565](std::uint32_t v) { return is565 ? FromRgb565(v) : FromBgr(v); };

    try {
        Reset();
        if (is565) {
            leafOfValue_.resize(1u << 16);
        } else {
            leafOfValue_.clear();
        }
        // A run of pixels of the previous pixel's value, all bound for one leaf.
        std::uint32_t current = 0, runLeaf = 0, run = 0;
        Rgb runColour{};
        bool started = false;
        for (int y = 0; y < work->Height(); ++y) {
            const std::uint8_t* row = work->Row(y);
            for (int x = 0; x < width; ++x) {
                const std::uint32_t v = pixelAt(row, x);
                if (started && v == current) {
                    ++run;
                    continue;
                }
                if (run) AddToLeaf(runLeaf, runColour.r, runColour.g, runColour.b, run);
                runColour = colourOf(v);
                current = v;
                started = true;
                if (is565 && leafOfValue_[v].generation == generation_) {
                    runLeaf = leafOfValue_[v].leaf;
                    run = 1;
                    continue;
                }
                runLeaf = AddColor(runColour.r, runColour.g, runColour.b);
                run = 0;
                const std::uint32_t generation = generation_;
                ReduceWhileOver(static_cast<unsigned>(maxColors));
                if (generation != generation_) {
                    runLeaf = LeafOf(runColour.r, runColour.g, runColour.b);
                }
                if (is565) leafOfValue_[v] = {runLeaf, generation_};
            }
        }
        if (run) AddToLeaf(runLeaf, runColour.r, runColour.g, runColour.b, run);
        CountPending();

        std::vector<Argb> palette;
        palette.reserve(leafCount_);
        BuildPalette(palette);
        target->SetPalette(std::move(palette));

        // Each distinct pixel value is looked up in the tree once. The tree never
        // looks at bit 0 of a channel, so 24-bit colours are cached on bits 7 to 1;
        // a small 24-bit picture is cheaper to look up directly than to cache.
        constexpr std::uint16_t kUnknown = 0xFFFF;
        const bool cached =
            is565 || static_cast<std::size_t>(width) * work->Height() >= (std::size_t{1} << 16);
        std::vector<std::uint16_t> known(!cached ? 0 : is565 ? (1u << 16) : (1u << 21), kUnknown);
        auto slotOf = [is565](std::uint32_t v) -> std::uint32_t {
            if (is565) return v;
            return ((v >> 3) & (0x7Fu << 14)) | ((v >> 2) & (0x7Fu << 7)) | ((v >> 1) & 0x7Fu);
        };
        for (int y = 0; y < work->Height(); ++y) {
            const std::uint8_t* row = work->Row(y);
            std::uint8_t* out = target->Row(y);
            for (int x = 0; x < width; ++x) {
                const std::uint32_t v = pixelAt(row, x);
                if (!cached) {
                    const Rgb c = colourOf(v);
                    out[x] = static_cast<std::uint8_t>(nodes_[LeafOf(c.r, c.g, c.b)].slot);
                    continue;
                }
                std::uint16_t& index = known[slotOf(v)];
                if (index == kUnknown) {
                    const Rgb c = colourOf(v);
                    index = static_cast<std::uint16_t>(nodes_[LeafOf(c.r, c.g, c.b)].slot);
                }
                out[x] = static_cast<std::uint8_t>(index);
            }
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    nodes_.clear();
    free_.clear();
    return target;
}

}  // namespace nimbo::imaging
