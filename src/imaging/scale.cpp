// Thumbnail scaling: a separable triangle filter whose reach grows with the
// shrink factor, so a reduced screenshot averages every source pixel instead of
// skipping rows of text.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "imaging/bitmap.h"

namespace nimbo::imaging {
namespace {

constexpr int kWeightBits = 14;
constexpr int kWeightOne = 1 << kWeightBits;

// For one axis: each output position's first source index and its weights.
struct Taps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> weights;  // `reach` weights per output position
    int reach = 0;
};

Taps MakeTaps(int sourceSize, int targetSize) {
    const double scale = static_cast<double>(sourceSize) / targetSize;
    const double support = std::max(scale, 1.0);
    Taps taps;
    taps.reach = static_cast<int>(std::ceil(support)) * 2 + 1;
    taps.first.resize(targetSize);
    taps.count.resize(targetSize);
    taps.weights.assign(static_cast<std::size_t>(targetSize) * taps.reach, 0);
    std::vector<double> raw(taps.reach);
    for (int i = 0; i < targetSize; ++i) {
        const double centre = (i + 0.5) * scale - 0.5;
        int lo = static_cast<int>(std::floor(centre - support)) + 1;
        int hi = static_cast<int>(std::ceil(centre + support)) - 1;
        lo = std::max(lo, 0);
        hi = std::min(hi, sourceSize - 1);
        double total = 0;
        int n = 0;
        for (int s = lo; s <= hi && n < taps.reach; ++s, ++n) {
            raw[n] = std::max(0.0, 1.0 - std::abs(s - centre) / support);
            total += raw[n];
        }
        if (total <= 0) {  // cannot happen for sane sizes; keep the nearest pixel
            raw[0] = 1;
            total = 1;
            n = 1;
            lo = std::clamp(static_cast<int>(std::lround(centre)), 0, sourceSize - 1);
        }
        // Integer weights that sum to exactly one, the rounding put on the largest.
        int* w = &taps.weights[static_cast<std::size_t>(i) * taps.reach];
        int sum = 0;
        int largest = 0;
        for (int k = 0; k < n; ++k) {
            w[k] = static_cast<int>(std::lround(raw[k] / total * kWeightOne));
            sum += w[k];
            if (w[k] > w[largest]) largest = k;
        }
        w[largest] += kWeightOne - sum;
        taps.first[i] = lo;
        taps.count[i] = n;
    }
    return taps;
}

std::uint8_t Clamp8(int fixedPoint) {
    const int v = (fixedPoint + (kWeightOne / 2)) >> kWeightBits;
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

void ScaleRow(const Taps& taps, const std::uint8_t* source, std::uint8_t* out, int width) {
    for (int x = 0; x < width; ++x) {
        const int* w = &taps.weights[static_cast<std::size_t>(x) * taps.reach];
        const std::uint8_t* src = &source[static_cast<std::size_t>(taps.first[x]) * 3];
        int b = 0, g = 0, r = 0;
        for (int k = 0; k < taps.count[x]; ++k) {
            b += w[k] * src[3 * k];
            g += w[k] * src[3 * k + 1];
            r += w[k] * src[3 * k + 2];
        }
        out[3 * x] = Clamp8(b);
        out[3 * x + 1] = Clamp8(g);
        out[3 * x + 2] = Clamp8(r);
    }
}

}  // namespace

std::optional<Bitmap> Bitmap::Thumbnail(int width, int height) const {
    if (width == width_ && height == height_) return ToRgb24();
    auto out = CreateForOverwrite(width, height, PixelFormat::Rgb24);
    if (!out) return std::nullopt;
    try {
        const Taps horizontal = MakeTaps(width_, width);
        const Taps vertical = MakeTaps(height_, height);
        // Source rows scaled across, kept in a ring as long as an output row may
        // still need them; each is made once, as the output rows move down.
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
        const int ringRows = vertical.reach;
        std::vector<std::uint8_t> ring(rowBytes * ringRows);
        std::vector<std::uint8_t> sourceRow(static_cast<std::size_t>(width_) * 3);
        int made = 0;  // source rows scaled so far
        std::vector<int> accumulator(rowBytes);
        for (int y = 0; y < height; ++y) {
            const int first = vertical.first[y];
            const int count = vertical.count[y];
            made = std::max(made, first);
            for (; made < first + count; ++made) {
                RowToBgr(*this, made, sourceRow.data());
                ScaleRow(horizontal, sourceRow.data(), &ring[(made % ringRows) * rowBytes], width);
            }
            const int* w = &vertical.weights[static_cast<std::size_t>(y) * vertical.reach];
            std::uint8_t* dst = out->Row(y);
            if (count == 1) {
                std::memcpy(dst, &ring[(first % ringRows) * rowBytes], rowBytes);
                continue;
            }
            std::fill(accumulator.begin(), accumulator.end(), 0);
            for (int k = 0; k < count; ++k) {
                const std::uint8_t* src = &ring[((first + k) % ringRows) * rowBytes];
                const int weight = w[k];
                for (std::size_t i = 0; i < rowBytes; ++i) accumulator[i] += weight * src[i];
            }
            for (std::size_t i = 0; i < rowBytes; ++i) dst[i] = Clamp8(accumulator[i]);
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    out->properties_ = properties_;
    return out;
}

}  // namespace nimbo::imaging
