#pragma once
// A 32-bit pixel buffer with the handful of drawing primitives the skinned
// controls are specified in. Pixels are stored as premultiplied 0xAARRGGBB so
// that a toolkit image can wrap the same memory; every primitive writes opaque
// pixels, and a canvas made with kTransparent lets untouched pixels show
// whatever lies beneath when the picture is composed.
//
// Coordinates are logical: the buffer's top-left pixel sits at Origin(), so an
// off-screen canvas covering part of a window can be drawn on in the window's
// own coordinates. Every primitive is clipped to the buffer and to the clip
// rectangle.
#include <cstdint>
#include <optional>
#include <vector>

namespace nimbo::imaging {

struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0, height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Half-open: covers left <= x < right, top <= y < bottom.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    Rect Intersected(const Rect& o) const;
    // Grows (or, with negative values, shrinks) every side.
    Rect Inflated(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

class Canvas {
public:
    static constexpr std::uint32_t kTransparent = 0x00000000u;
    static constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;

    static constexpr std::uint32_t ToPixel(Color c) {
        return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
    }
    static constexpr Color ToColor(std::uint32_t p) {
        return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                static_cast<std::uint8_t>(p)};
    }

    Canvas() = default;
    Canvas(int width, int height, std::uint32_t fill = kOpaqueBlack);

    int Width() const { return width_; }
    int Height() const { return height_; }
    std::uint32_t* Bits() { return pixels_.data(); }
    const std::uint32_t* Bits() const { return pixels_.data(); }
    int BytesPerLine() const { return width_ * 4; }

    void SetOrigin(Point origin) { origin_ = origin; }
    Point Origin() const { return origin_; }
    // The buffer's area in logical coordinates.
    Rect Bounds() const { return {origin_.x, origin_.y, origin_.x + width_, origin_.y + height_}; }

    // Drawing is limited to the intersection of the buffer and this rectangle.
    void IntersectClip(const Rect& r);
    void ResetClip() { clip_.reset(); }
    Rect ClipBox() const;

    // Nothing for a point outside the buffer (the clip does not matter here).
    std::optional<Color> GetPixel(int x, int y) const;
    std::uint32_t RawPixel(int x, int y) const;
    void SetPixel(int x, int y, Color c);
    void Fill(std::uint32_t pixel);

    // One-pixel solid line; the end point itself is not drawn.
    void Line(Point from, Point to, Color c);
    // Row y gets top + (bottom - top) * (y - T) / (B - T) per component.
    void VerticalGradient(const Rect& r, Color top, Color bottom);
    // One-pixel outline on x = L, y = T, x = R - 1, y = B - 1 with every corner
    // following a quarter of an ellipseWidth x ellipseHeight ellipse; the
    // inside is left alone unless a fill is given.
    void RoundRect(const Rect& r, int ellipseWidth, int ellipseHeight, Color pen,
                   std::optional<Color> fill = std::nullopt);
    // Dotted frame drawn by inverting every other pixel, so drawing it twice
    // restores the picture.
    void FocusRect(const Rect& r);
    void FillRect(const Rect& r, Color c);
    // One-pixel outline in a single colour.
    void FrameRect(const Rect& r, Color c);
    // One-pixel outline: top and left edges in topLeft, right and bottom edges
    // (including the top-right and bottom-left corners) in bottomRight.
    void Frame3d(const Rect& r, Color topLeft, Color bottomRight);
    // Copies src's pixels from srcTopLeft (src's logical coordinates) into dst
    // (this canvas's logical coordinates). Pixels outside src stay as they are.
    void BlockCopy(const Rect& dst, const Canvas& src, Point srcTopLeft);

private:
    bool Writable(int x, int y, const Rect& clip) const { return clip.Contains(x, y); }
    std::uint32_t& At(int x, int y) {
        return pixels_[static_cast<std::size_t>(y - origin_.y) * width_ + (x - origin_.x)];
    }
    const std::uint32_t& At(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y - origin_.y) * width_ + (x - origin_.x)];
    }

    int width_ = 0;
    int height_ = 0;
    Point origin_;
    std::optional<Rect> clip_;
    std::vector<std::uint32_t> pixels_;
};

}  // namespace nimbo::imaging
