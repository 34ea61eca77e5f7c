#pragma once
// Deterministic pictures for the quantiser and save tests and the benchmarks:
// phone-screenshot-like and photograph-like scenes and synthetic patterns.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "imaging/bitmap.h"

namespace nimbo::test {

// A small, portable pseudo-random sequence (same numbers on every compiler).
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<std::uint32_t>(state_ >> 16);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint64_t state_;
};

inline std::uint16_t Pack565(int r, int g, int b) {
    return static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

inline void PutPixel(imaging::Bitmap& bmp, int x, int y, int r, int g, int b) {
    std::uint8_t* p = bmp.Row(y);
    if (bmp.Format() == imaging::PixelFormat::Rgb565) {
        const std::uint16_t w = Pack565(r, g, b);
        p[2 * x] = static_cast<std::uint8_t>(w);
        p[2 * x + 1] = static_cast<std::uint8_t>(w >> 8);
    } else {
        p[3 * x] = static_cast<std::uint8_t>(b);
        p[3 * x + 1] = static_cast<std::uint8_t>(g);
        p[3 * x + 2] = static_cast<std::uint8_t>(r);
    }
}

inline void FillRect(imaging::Bitmap& bmp, int x0, int y0, int w, int h, int r, int g, int b) {
    for (int y = std::max(0, y0); y < std::min(bmp.Height(), y0 + h); ++y) {
        for (int x = std::max(0, x0); x < std::min(bmp.Width(), x0 + w); ++x) {
            PutPixel(bmp, x, y, r, g, b);
        }
    }
}

inline int Clamp255(double v) {
    return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v);
}

// Soft gradients, a few blurred shapes and sensor-like noise.
inline imaging::Bitmap PhotoLike(int width, int height, std::uint64_t seed,
                                  imaging::PixelFormat format = imaging::PixelFormat::Rgb565) {
    auto bmp = *imaging::Bitmap::Create(width, height, format);
    Rng rng(seed);
    const double fx = 0.004 + rng.Below(10) * 0.001, fy = 0.003 + rng.Below(10) * 0.001;
    struct Blob {
        double cx, cy, radius;
        int r, g, b;
    } blobs[6];
    for (auto& blob : blobs) {
        blob = {double(rng.Below(width)),
                double(rng.Below(height)),
                double(20 + rng.Below(std::max(21, width / 3))),
                rng.Below(256),
                rng.Below(256),
                rng.Below(256)};
    }
    std::vector<double> sx(width), sy(height);
    for (int x = 0; x < width; ++x) sx[x] = std::sin(x * fx * 6.2831);
    for (int y = 0; y < height; ++y) sy[y] = std::cos(y * fy * 6.2831);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double r = 90 + 60 * sx[x] + 40.0 * y / height;
            double g = 110 + 50 * sy[y] * sx[x];
            double b = 140 - 70.0 * y / height + 30 * sy[y];
            for (const auto& blob : blobs) {
                const double dx = x - blob.cx, dy = y - blob.cy;
                const double d2 = (dx * dx + dy * dy) / (blob.radius * blob.radius);
                if (d2 < 1.5) {
                    const double w = d2 < 1 ? 0.85 : 0.85 * (1.5 - d2) * 2;
                    r = r * (1 - w) + blob.r * w;
                    g = g * (1 - w) + blob.g * w;
                    b = b * (1 - w) + blob.b * w;
                }
            }
            const int n = rng.Below(9) - 4;
            PutPixel(bmp, x, y, Clamp255(r + n), Clamp255(g + n + rng.Below(3) - 1),
                     Clamp255(b + n));
        }
    }
    return bmp;
}

// Status bar, title bar, list rows with icons and lines of "text", a picture
// thumbnail and a navigation bar: mostly flat colour with sharp edges.
inline imaging::Bitmap ScreenshotLike(
    int width, int height, std::uint64_t seed,
    imaging::PixelFormat format = imaging::PixelFormat::Rgb565) {
    auto bmp = *imaging::Bitmap::Create(width, height, format);
    Rng rng(seed);
    const int unit = std::max(8, width / 20);
    FillRect(bmp, 0, 0, width, height, 250, 250, 250);
    FillRect(bmp, 0, 0, width, unit, 30, 30, 40);
    FillRect(bmp, 0, unit, width, unit * 2, 33, 150, 243);
    const int rowHeight = unit * 3;
    for (int top = unit * 3; top + rowHeight < height - unit * 2; top += rowHeight) {
        FillRect(bmp, 0, top + rowHeight - 1, width, 1, 224, 224, 224);
        // A round icon with a vertical gradient.
        const int ir = rng.Below(256), ig = rng.Below(256), ib = rng.Below(256);
        const int cx = unit + unit / 2, cy = top + rowHeight / 2, rad = unit;
        for (int y = cy - rad; y <= cy + rad; ++y) {
            for (int x = cx - rad; x <= cx + rad; ++x) {
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > rad * rad) continue;
                if (x < 0 || y < 0 || x >= width || y >= height) continue;
                const int shade = (y - cy + rad) * 60 / (2 * rad + 1);
                PutPixel(bmp, x, y, Clamp255(ir - shade), Clamp255(ig - shade),
                         Clamp255(ib - shade));
            }
        }
        // Two lines of glyph-like strokes with anti-aliased grey edges.
        for (int line = 0; line < 2; ++line) {
            int x = unit * 3;
            const int y0 = top + unit / 2 + line * unit;
            const int gh = line == 0 ? unit * 2 / 3 : unit / 2;
            const int grey = line == 0 ? 33 : 117;
            while (x < width - unit) {
                const int gw = 2 + rng.Below(std::max(3, unit / 2));
                for (int y = y0; y < y0 + gh && y < height; ++y) {
                    for (int dx = 0; dx < gw && x + dx < width; ++dx) {
                        if (rng.Below(3) == 0) continue;
                        const int edge = (dx == 0 || dx == gw - 1) ? 90 : 0;
                        PutPixel(bmp, x + dx, y, grey + edge, grey + edge, grey + edge);
                    }
                }
                x += gw + 1 + (rng.Below(6) == 0 ? unit / 2 : 1);
            }
        }
    }
    // A photo thumbnail in the middle.
    const int pw = width / 2, ph = height / 6;
    auto photo = PhotoLike(pw, ph, seed + 17, format);
    for (int y = 0; y < ph; ++y) {
        std::copy(photo.Row(y), photo.Row(y) + pw * imaging::BytesPerPixel(format),
                  bmp.Row(height / 2 + y) + (width / 4) * imaging::BytesPerPixel(format));
    }
    FillRect(bmp, 0, height - unit * 2, width, unit * 2, 0, 0, 0);
    return bmp;
}

// Every pixel independent: the worst case for the tree.
inline imaging::Bitmap Noise(int width, int height, std::uint64_t seed,
                              imaging::PixelFormat format, int mask = 0xFF) {
    auto bmp = *imaging::Bitmap::Create(width, height, format);
    Rng rng(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            PutPixel(bmp, x, y, rng.Below(256) & mask, rng.Below(256) & mask,
                     rng.Below(256) & mask);
        }
    }
    return bmp;
}

}  // namespace nimbo::test
