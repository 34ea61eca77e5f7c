#pragma once
// A plain, step-by-step octree quantiser kept as the yardstick for the product's
// restructured one: nodes from the heap, one sorted doubly linked list walked
// from its head, one pixel at a time. Input is 24-bit blue, green, red rows.
#include <cstdint>
#include <optional>
#include <vector>

namespace nimbo::test {

struct ReferenceResult {
    std::vector<std::uint32_t> palette;  // ARGB
    std::vector<std::uint8_t> indices;   // width * height, row after row
};

class ReferenceOctree {
public:
    struct OctreeNode {
        std::uint8_t isLeaf = 0;
        std::uint32_t level = 0;
        OctreeNode* children[8] = {};
        std::uint32_t pixelCount = 0;
        std::uint32_t redSum = 0, greenSum = 0, blueSum = 0;
        OctreeNode* next = nullptr;
        OctreeNode* prev = nullptr;
    };

    static std::optional<ReferenceResult> Quantize(const std::uint8_t* bgr, int width, int height,
                                                   int stride, int maxColors) {
        if (maxColors > 256 || maxColors < 8) return std::nullopt;
        ReferenceOctree tree;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* p = bgr + static_cast<std::size_t>(y) * stride;
            for (int x = 0; x < width; ++x, p += 3) {
                tree.AddColor(tree.root_, p[2], p[1], p[0]);
                while (tree.leafCount_ > static_cast<std::uint32_t>(maxColors)) {
                    OctreeNode* first = tree.head_->next;
                    if (first == tree.root_) break;
                    tree.Remove(first);
                    tree.ReduceNode(first);
                }
            }
        }
        ReferenceResult result;
        tree.BuildPalette(tree.root_, result.palette);
        result.indices.resize(static_cast<std::size_t>(width) * height);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* p = bgr + static_cast<std::size_t>(y) * stride;
            for (int x = 0; x < width; ++x, p += 3) {
                result.indices[static_cast<std::size_t>(y) * width + x] =
                    static_cast<std::uint8_t>(tree.PaletteIndexOf(p[2], p[1], p[0]));
            }
        }
        return result;
    }

    ~ReferenceOctree() {
        Free(root_);
        delete head_;
    }

private:
    ReferenceOctree() {
        head_ = new OctreeNode;
        root_ = new OctreeNode;
        root_->level = 7;
        head_->next = root_;
        root_->prev = head_;
    }

    static unsigned ChildIndex(unsigned r, unsigned g, unsigned b, unsigned level) {
        return ((r >> level) & 1) * 4 + ((g >> level) & 1) * 2 + ((b >> level) & 1);
    }

    static bool Greater(const OctreeNode* a, const OctreeNode* b) {
        if (a->level != b->level) return a->level > b->level;
        return a->pixelCount > b->pixelCount;
    }

    void Remove(OctreeNode* n) {
        n->prev->next = n->next;
        if (n->next) n->next->prev = n->prev;
        n->next = n->prev = nullptr;
    }

    void InsertAfter(OctreeNode* n, OctreeNode* after) {
        n->next = after->next;
        n->prev = after;
        if (after->next) after->next->prev = n;
        after->next = n;
    }

    void MoveToSortedPlace(OctreeNode* n) {
        OctreeNode* cur = n->next;
        while (cur && !Greater(cur, n)) cur = cur->next;
        // cur is the first node with a greater key; put n just before it.
        OctreeNode* before = cur->prev;
        if (before == n) return;
        Remove(n);
        InsertAfter(n, cur->prev);
    }

    void AddColor(OctreeNode* node, unsigned r, unsigned g, unsigned b) {
        for (;;) {
            node->pixelCount += 1;
            if (node->isLeaf) {
                node->redSum += r;
                node->greenSum += g;
                node->blueSum += b;
                return;
            }
            if (node->next) MoveToSortedPlace(node);
            const unsigned index = ChildIndex(r, g, b, node->level);
            OctreeNode* child = node->children[index];
            if (!child) {
                child = new OctreeNode;
                child->level = node->level - 1;
                node->children[index] = child;
                if (child->level == 0) {
                    child->isLeaf = 1;
                    ++leafCount_;
                } else {
                    InsertAfter(child, head_);
                    MoveToSortedPlace(child);
                }
            }
            node = child;
        }
    }

    void ReduceNode(OctreeNode* node) {
        std::uint32_t r = 0, g = 0, b = 0;
        for (int i = 0; i < 8; ++i) {
            if (!node->children[i]) continue;
            r += node->children[i]->redSum;
            g += node->children[i]->greenSum;
            b += node->children[i]->blueSum;
            delete node->children[i];
            node->children[i] = nullptr;
            --leafCount_;
        }
        node->redSum = r;
        node->greenSum = g;
        node->blueSum = b;
        node->isLeaf = 1;
        ++leafCount_;
    }

    void BuildPalette(OctreeNode* node, std::vector<std::uint32_t>& palette) {
        if (node->isLeaf) {
            const std::uint32_t c = node->pixelCount;
            palette.push_back((0xFFu << 24) | ((node->redSum / c) << 16) |
                              ((node->greenSum / c) << 8) | (node->blueSum / c));
            node->pixelCount = static_cast<std::uint32_t>(palette.size() - 1);
            return;
        }
        for (int i = 0; i < 8; ++i) {
            if (node->children[i]) BuildPalette(node->children[i], palette);
        }
    }

    unsigned PaletteIndexOf(unsigned r, unsigned g, unsigned b) const {
        const OctreeNode* node = root_;
        while (!node->isLeaf) node = node->children[ChildIndex(r, g, b, node->level)];
        return node->pixelCount;
    }

    static void Free(OctreeNode* node) {
        if (!node) return;
        for (OctreeNode* child : node->children) Free(child);
        delete node;
    }

    OctreeNode* head_ = nullptr;
    OctreeNode* root_ = nullptr;
    std::uint32_t leafCount_ = 0;
};

}  // namespace nimbo::test
