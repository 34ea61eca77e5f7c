// The folding order is defined by a list of interior nodes sorted by (level,
// pixel count), ties in the order the nodes reached their count. That order is
// only ever looked at when a node is folded, which happens a few thousand times
// per picture, while counts change several times per pixel. So instead of
// keeping the list sorted, each node records when it reached its count, and the
// node to fold is found by looking through the deepest level's interior nodes
// for the smallest (count, time reached).
//
// A pixel whose leaf is already known (the previous pixel's, or one remembered
// for its key in a small hashed table) creates no node and folds nothing, so it
// is only counted on its leaf; the counts on the way up are brought up to date,
// with the time of the last such pixel, just before the next fold. Since a
// node's rank depends only on its count and the time it got there, this gives
// the same folds and tree as walking down from the root for every pixel.
//
// The tree looks at bits 7 to 1 of each channel, so pixels that differ only in
// bit 0 take the same path: for 24-bit pixels the key drops those bits. A leaf
// only ever goes away by being folded into its parent, and a colour's leaf is
// always on its path, so a remembered leaf stays right until it is freed.
//
// The colour sums are not kept while the tree grows: folding only adds
// children's sums into their parent, so a final leaf's sum is the sum of every
// pixel whose colour leads to it, and the pass that writes the indices adds
// them up.
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
    return {imaging::Widen5(w >> 11), imaging::Widen6((w >> 5) & 0x3F), imaging::Widen5(w & 0x1F)};
}
Rgb FromBgr(std::uint32_t v) {
    return {(v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF};
}

constexpr std::uint32_t kNoKey = ~std::uint32_t{0};
constexpr unsigned kMaxCacheBits = 13;
constexpr std::uint32_t kHashFactor = 0x9E3779B1u;

template <bool kIs565>
std::uint32_t PixelAt(const std::uint8_t* row, int x) {
    if constexpr (kIs565) {
        return row[2 * x] | (row[2 * x + 1] << 8);
    } else {
        return row[3 * x] | (row[3 * x + 1] << 8) | (std::uint32_t{row[3 * x + 2]} << 16);
    }
}
// What decides a pixel's path: a 16-bit value widens to distinct colours, a
// 24-bit one without bit 0 of each channel.
template <bool kIs565>
std::uint32_t KeyOf(std::uint32_t v) {
    if constexpr (kIs565) {
        return v;
    } else {
        return v & 0xFEFEFEu;
    }
}
template <bool kIs565>
Rgb ColourOf(std::uint32_t v) {
    if constexpr (kIs565) {
        return FromRgb565(v);
    } else {
        return FromBgr(v);
    }
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
        node.incarnation = nodes_[n].incarnation;
        nodes_[n] = node;
        return n;
    }
    nodes_.push_back(node);
    return static_cast<std::uint32_t>(nodes_.size() - 1);
}

void OctreeQuantizer::Reset(std::size_t pixels) {
    nodes_.clear();
    free_.clear();
    for (auto& list : interior_) list.clear();
    for (auto& list : countsToPass_) list.clear();
    pendingEntries_.clear();
    nodes_.reserve(256);
    NewNode(kRootLevel, kRoot);
    leafCount_ = 0;
    clock_ = 0;
    ++generation_;
    // About one entry per 64 pixels, 256 to 8,192 of them: enough for the
    // colours of a neighbourhood, small enough to stay in the processor's cache
    // and cheap to make for a small picture.
    unsigned bits = 8;
    while (bits < kMaxCacheBits && (std::size_t{1} << (bits + 6)) < pixels) ++bits;
    cacheShift_ = 32 - bits;
    leafCache_.assign(std::size_t{1} << bits, CachedLeaf{});
}

std::uint32_t OctreeQuantizer::AddColor(unsigned r, unsigned g, unsigned b) {
    const std::uint32_t now = ++clock_;
    std::uint32_t n = kRoot;
    for (;;) {
        Node& node = nodes_[n];
        ++node.pixelCount;
        node.reachedAt = now;
        if (node.isLeaf) return n;
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

void OctreeQuantizer::AddToLeaf(std::uint32_t leaf, std::uint32_t count, std::uint32_t at) {
    Node& node = nodes_[leaf];
    node.pixelCount += count;
    if (node.reachedAt < at) node.reachedAt = at;
    if (node.up == 0) countsToPass_[node.level].push_back(leaf);
    node.up += count;
    if (node.upAt < at) node.upAt = at;
}

void OctreeQuantizer::SettleEntry(CachedLeaf& entry) {
    if (entry.pending == 0) return;
    AddToLeaf(entry.leaf, entry.pending, entry.pendingAt);
    entry.pending = 0;
}

void OctreeQuantizer::SettleEntries() {
    for (std::uint32_t place : pendingEntries_) SettleEntry(leafCache_[place]);
    pendingEntries_.clear();
}

void OctreeQuantizer::CountUpTo(unsigned level) {
    // Level by level from the bottom, so a node passes on what its children
    // passed to it in the same sweep.
    for (unsigned below = 0; below < level; ++below) {
        for (std::uint32_t n : countsToPass_[below]) {
            Node& node = nodes_[n];
            if (node.up == 0) continue;  // listed twice, or passed on already
            const std::uint32_t count = node.up;
            const std::uint32_t at = node.upAt;
            node.up = 0;
            node.upAt = 0;
            Node& parent = nodes_[node.parent];
            parent.pixelCount += count;
            if (parent.reachedAt < at) parent.reachedAt = at;
            if (parent.up == 0) countsToPass_[below + 1].push_back(node.parent);
            parent.up += count;
            if (parent.upAt < at) parent.upAt = at;
        }
        countsToPass_[below].clear();
    }
}

std::uint32_t OctreeQuantizer::LeafOf(unsigned r, unsigned g, unsigned b) const {
    std::uint32_t n = kRoot;
    while (!nodes_[n].isLeaf) n = nodes_[n].children[ChildIndex(r, g, b, nodes_[n].level)];
    return n;
}

void OctreeQuantizer::ReduceNode(std::uint32_t n) {
    for (std::uint32_t& child : nodes_[n].children) {
        if (!child) continue;
        ++nodes_[child].incarnation;  // forgets every key remembered for it
        free_.push_back(child);
        child = 0;
        --leafCount_;
    }
    nodes_[n].isLeaf = true;
    ++leafCount_;
}

void OctreeQuantizer::ReduceWhileOver(unsigned maxColors) {
    if (leafCount_ <= maxColors) return;
    SettleEntries();
    ++generation_;
    unsigned level = 1;
    while (leafCount_ > maxColors) {
        while (level < kRootLevel && interior_[level].empty()) ++level;
        if (level == kRootLevel) break;  // only the root is left
        // Only the counts of the level folded from are looked at.
        CountUpTo(level);
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

std::uint32_t OctreeQuantizer::NumberLeaves() {
    // Depth-first, children in index order; the tree is at most eight deep.
    std::uint32_t stack[8 * 8 + 1];
    int top = 0;
    stack[top++] = kRoot;
    std::uint32_t count = 0;
    while (top > 0) {
        const std::uint32_t n = stack[--top];
        Node& node = nodes_[n];
        if (node.isLeaf) {
            node.slot = count++;
            continue;
        }
        for (int i = 7; i >= 0; --i) {
            if (node.children[i]) stack[top++] = node.children[i];
        }
    }
    return count;
}

template <bool kIs565>
void OctreeQuantizer::BuildTree(const Bitmap& work, unsigned maxColors) {
    // Every pixel is looked up, with no test for a run of equal pixels: on
    // photographs that test goes either way at random and costs more in
    // mispredicted branches than the lookups it saves.
    const int width = work.Width();
    for (int y = 0; y < work.Height(); ++y) {
        const std::uint8_t* row = work.Row(y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = PixelAt<kIs565>(row, x);
            const std::uint32_t key = KeyOf<kIs565>(v);
            CachedLeaf& entry = leafCache_[(key * kHashFactor) >> cacheShift_];
            if (entry.key == key && (entry.generation == generation_ ||
                                     nodes_[entry.leaf].incarnation == entry.incarnation)) {
                entry.generation = generation_;
                if (entry.pending == 0) {
                    pendingEntries_.push_back(
                        static_cast<std::uint32_t>(&entry - leafCache_.data()));
                }
                ++entry.pending;
                entry.pendingAt = ++clock_;
                continue;
            }
            SettleEntry(entry);
            const Rgb c = ColourOf<kIs565>(v);
            std::uint32_t leaf = AddColor(c.r, c.g, c.b);
            const std::uint32_t generation = generation_;
            ReduceWhileOver(maxColors);
            if (generation != generation_) leaf = LeafOf(c.r, c.g, c.b);
            entry = {key, leaf, nodes_[leaf].incarnation, generation_, 0, 0};
        }
    }
    // The counts are not needed past the last fold: the pass that writes the
    // indices counts the pixels of each palette entry itself.
}

template <bool kIs565>
void OctreeQuantizer::MapPixels(const Bitmap& work, Bitmap& target) {
    const std::uint32_t leaves = NumberLeaves();
    std::vector<std::uint64_t> sums(std::size_t{leaves} * 4, 0);  // red, green, blue, count
    // A small table, by hash, of pixel keys and their palette indices, packed
    // as key << 8 | index (no key has all of its bits 0 to 23 set, so no
    // entry is all ones).
    struct Entry {
        std::uint32_t keyAndIndex = kNoKey;
        // 16-bit pixels: how many pixels of this value were seen since the
        // entry was made; added to the sums when the entry is replaced and at
        // the end, so such a pixel costs one increment. A picture has fewer
        // than 2^32 pixels.
        std::uint32_t count = 0;
    };
    std::vector<Entry> table(leafCache_.size());
    auto flush = [&sums](const Entry& e) {
        if (e.count == 0) return;
        const Rgb c = ColourOf<true>(e.keyAndIndex >> 8);
        std::uint64_t* sum = &sums[std::size_t{e.keyAndIndex & 0xFF} * 4];
        sum[0] += std::uint64_t{c.r} * e.count;
        sum[1] += std::uint64_t{c.g} * e.count;
        sum[2] += std::uint64_t{c.b} * e.count;
        sum[3] += e.count;
    };
    const int width = work.Width();
    for (int y = 0; y < work.Height(); ++y) {
        const std::uint8_t* row = work.Row(y);
        std::uint8_t* out = target.Row(y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = PixelAt<kIs565>(row, x);
            const std::uint32_t key = KeyOf<kIs565>(v);
            Entry* entry = &table[(key * kHashFactor) >> cacheShift_];
            if ((entry->keyAndIndex >> 8) != key || entry->keyAndIndex == kNoKey) {
                if constexpr (kIs565) flush(*entry);
                const Rgb c = ColourOf<kIs565>(v);
                *entry = {(key << 8) | nodes_[LeafOf(c.r, c.g, c.b)].slot, 0};
            }
            const std::uint32_t index = entry->keyAndIndex & 0xFF;
            out[x] = static_cast<std::uint8_t>(index);
            if constexpr (kIs565) {
                ++entry->count;
            } else {
                // 24-bit pixels of one key differ in bit 0: each adds its own colour.
                std::uint64_t* sum = &sums[std::size_t{index} * 4];
                sum[0] += v >> 16;
                sum[1] += (v >> 8) & 0xFF;
                sum[2] += v & 0xFF;
                sum[3] += 1;
            }
        }
    }
    if constexpr (kIs565) {
        for (const Entry& e : table) flush(e);
    }
    std::vector<Argb> palette(leaves);
    for (std::uint32_t i = 0; i < leaves; ++i) {
        const std::uint64_t* sum = &sums[std::size_t{i} * 4];
        const std::uint64_t count = sum[3] ? sum[3] : 1;
        palette[i] = imaging::MakeArgb(255, static_cast<std::uint8_t>(sum[0] / count),
                                       static_cast<std::uint8_t>(sum[1] / count),
                                       static_cast<std::uint8_t>(sum[2] / count));
    }
    target.SetPalette(std::move(palette));
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
    try {
        Reset(static_cast<std::size_t>(work->Width()) * static_cast<std::size_t>(work->Height()));
        if (is565) {
            BuildTree<true>(*work, static_cast<unsigned>(maxColors));
            MapPixels<true>(*work, *target);
        } else {
            BuildTree<false>(*work, static_cast<unsigned>(maxColors));
            MapPixels<false>(*work, *target);
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    nodes_.clear();
    free_.clear();
    return target;
}

}  // namespace nimbo::imaging
