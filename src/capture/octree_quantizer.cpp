// The octree is kept in one pool of nodes addressed by index. The list of
// interior nodes is sorted by (level, pixel count), ties in the order the nodes
// reached their key; a marker per level lets a new node join its level without
// walking past every deeper node first. Runs of one colour are added in one step:
// they create no node, so only the final counts decide the list order.
#include "capture/octree_quantizer.h"

#include <new>

namespace nimbo {
namespace {

using platform::Argb;
using platform::Bitmap;
using platform::PixelFormat;

constexpr std::uint64_t Key(unsigned level, std::uint32_t count) {
    return (std::uint64_t{level} << 32) | count;
}
constexpr unsigned LevelOf(std::uint64_t key) {
    return static_cast<unsigned>(key >> 32);
}
constexpr std::uint32_t CountOf(std::uint64_t key) {
    return static_cast<std::uint32_t>(key);
}

constexpr unsigned ChildIndex(unsigned r, unsigned g, unsigned b, unsigned level) {
    return (((r >> level) & 1) << 2) | (((g >> level) & 1) << 1) | ((b >> level) & 1);
}

// Slot 0 is the head of the list, slots 1 to 7 the level markers, 8 the root.
constexpr std::uint32_t kHead = 0;
constexpr std::uint32_t kLastMarker = 7;
constexpr std::uint32_t kRoot = 8;
constexpr unsigned kRootLevel = 7;

struct Rgb {
    unsigned r, g, b;
};
Rgb FromRgb565(std::uint32_t w) {
    return {platform::Widen5(w >> 11), platform::Widen6((w >> 5) & 0x3F),
            platform::Widen5(w & 0x1F)};
}
Rgb FromBgr(std::uint32_t v) {
    return {(v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF};
}

}  // namespace

std::uint32_t OctreeQuantizer::NewNode(unsigned level) {
    Node node;
    node.key = Key(level, 0);
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

void OctreeQuantizer::ReleaseNode(std::uint32_t n) {
    free_.push_back(n);
}

void OctreeQuantizer::Unlink(std::uint32_t n) {
    Node& node = nodes_[n];
    nodes_[node.prev].next = node.next;
    if (node.next) nodes_[node.next].prev = node.prev;
}

void OctreeQuantizer::InsertBefore(std::uint32_t n, std::uint32_t before) {
    const std::uint32_t prev = nodes_[before].prev;
    nodes_[n].prev = prev;
    nodes_[n].next = before;
    nodes_[prev].next = n;
    nodes_[before].prev = n;
}

void OctreeQuantizer::MoveToSortedPlace(std::uint32_t n) {
    const std::uint64_t key = nodes_[n].key;
    std::uint32_t cur = nodes_[n].next;
    if (nodes_[cur].key > key) return;
    // The root sorts after every other node, so the walk always ends.
    do {
        cur = nodes_[cur].next;
    } while (nodes_[cur].key <= key);
    Unlink(n);
    InsertBefore(n, cur);
}

void OctreeQuantizer::Reset() {
    nodes_.clear();
    free_.clear();
    nodes_.reserve(4096);
    nodes_.emplace_back();  // head
    for (unsigned level = 1; level <= kRootLevel; ++level) {
        Node marker;
        // Sorts after every node of the level below and before every node of its own.
        marker.key = Key(level, 0) - 1;
        nodes_.push_back(marker);
        levelStart_[level] = level;
    }
    nodes_.push_back(Node{});
    nodes_[kRoot].key = Key(kRootLevel, 0);
    for (std::uint32_t n = kHead; n < kRoot; ++n) {
        nodes_[n].next = n + 1;
        nodes_[n + 1].prev = n;
    }
    nodes_[kRoot].next = 0;
    leafCount_ = 0;
}

void OctreeQuantizer::AddColor(unsigned r, unsigned g, unsigned b) {
    std::uint32_t n = kRoot;
    for (;;) {
        Node& node = nodes_[n];
        ++node.key;
        if (node.isLeaf) {
            node.red += r;
            node.green += g;
            node.blue += b;
            return;
        }
        if (node.next) MoveToSortedPlace(n);
        const unsigned level = LevelOf(nodes_[n].key);
        const unsigned index = ChildIndex(r, g, b, level);
        std::uint32_t child = nodes_[n].children[index];
        if (!child) {
            child = NewNode(level - 1);  // may move the pool: no references kept past here
            nodes_[n].children[index] = child;
            if (level - 1 == 0) {
                ++leafCount_;
            } else {
                InsertBefore(child, nodes_[levelStart_[level - 1]].next);
                MoveToSortedPlace(child);
            }
        }
        n = child;
    }
}

void OctreeQuantizer::AddRepeats(unsigned r, unsigned g, unsigned b, std::uint32_t times) {
    std::uint32_t n = kRoot;
    for (;;) {
        Node& node = nodes_[n];
        node.key += times;
        if (node.isLeaf) {
            node.red += std::uint64_t{r} * times;
            node.green += std::uint64_t{g} * times;
            node.blue += std::uint64_t{b} * times;
            return;
        }
        if (node.next) MoveToSortedPlace(n);
        n = nodes_[n].children[ChildIndex(r, g, b, LevelOf(nodes_[n].key))];
    }
}

void OctreeQuantizer::ReduceNode(std::uint32_t n) {
    std::uint64_t red = 0, green = 0, blue = 0;
    for (std::uint32_t& child : nodes_[n].children) {
        if (!child) continue;
        red += nodes_[child].red;
        green += nodes_[child].green;
        blue += nodes_[child].blue;
        ReleaseNode(child);
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
    while (leafCount_ > maxColors) {
        std::uint32_t first = nodes_[kHead].next;
        while (first <= kLastMarker) first = nodes_[first].next;
        if (first == kRoot) return;
        Unlink(first);
        ReduceNode(first);
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
            const std::uint64_t count = CountOf(node.key);
            node.paletteIndex = static_cast<std::uint32_t>(palette.size());
            palette.push_back(platform::MakeArgb(255, static_cast<std::uint8_t>(node.red / count),
                                                 static_cast<std::uint8_t>(node.green / count),
                                                 static_cast<std::uint8_t>(node.blue / count)));
            continue;
        }
        for (int i = 7; i >= 0; --i) {
            if (node.children[i]) stack[top++] = node.children[i];
        }
    }
}

std::uint8_t OctreeQuantizer::PaletteIndexOf(unsigned r, unsigned g, unsigned b) const {
    std::uint32_t n = kRoot;
    while (!nodes_[n].isLeaf) {
        n = nodes_[n].children[ChildIndex(r, g, b, LevelOf(nodes_[n].key))];
    }
    return static_cast<std::uint8_t>(nodes_[n].paletteIndex);
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
    auto target = Bitmap::Create(work->Width(), work->Height(), PixelFormat::Indexed8);
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
        bool started = false;
        std::uint32_t current = 0;
        std::uint32_t repeats = 0;
        for (int y = 0; y < work->Height(); ++y) {
            const std::uint8_t* row = work->Row(y);
            for (int x = 0; x < width; ++x) {
                const std::uint32_t v = pixelAt(row, x);
                if (started && v == current) {
                    ++repeats;
                    continue;
                }
                const Rgb c = colourOf(v);
                if (repeats) {
                    const Rgb p = colourOf(current);
                    AddRepeats(p.r, p.g, p.b, repeats);
                    repeats = 0;
                }
                AddColor(c.r, c.g, c.b);
                ReduceWhileOver(static_cast<unsigned>(maxColors));
                current = v;
                started = true;
            }
        }
        if (repeats) {
            const Rgb p = colourOf(current);
            AddRepeats(p.r, p.g, p.b, repeats);
        }

        std::vector<Argb> palette;
        palette.reserve(leafCount_);
        BuildPalette(palette);
        target->SetPalette(std::move(palette));

        // Each distinct pixel value is looked up in the tree once. The tree never
        // looks at bit 0 of a channel, so 24-bit colours are cached on bits 7 to 1.
        constexpr std::uint16_t kUnknown = 0xFFFF;
        // A small 24-bit picture is cheaper to look up directly than to cache.
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
                    out[x] = PaletteIndexOf(c.r, c.g, c.b);
                    continue;
                }
                std::uint16_t& index = known[slotOf(v)];
                if (index == kUnknown) {
                    const Rgb c = colourOf(v);
                    index = PaletteIndexOf(c.r, c.g, c.b);
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

}  // namespace nimbo
