#include "imaging/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <utility>

namespace nimbo::imaging {

Rect Rect::Intersected(const Rect& o) const {
    Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
           std::min(bottom, o.bottom)};
    if (r.IsEmpty()) return {};
    return r;
}

Canvas::Canvas(int width, int height, std::uint32_t fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

void Canvas::IntersectClip(const Rect& r) {
    clip_ = clip_ ? clip_->Intersected(r) : r;
}

Rect Canvas::ClipBox() const {
    return clip_ ? clip_->Intersected(Bounds()) : Bounds();
}

std::optional<Color> Canvas::GetPixel(int x, int y) const {
    if (!Bounds().Contains(x, y)) return std::nullopt;
    return ToColor(At(x, y));
}

std::uint32_t Canvas::RawPixel(int x, int y) const {
    return Bounds().Contains(x, y) ? At(x, y) : kTransparent;
}

void Canvas::SetPixel(int x, int y, Color c) {
    if (Writable(x, y, ClipBox())) At(x, y) = ToPixel(c);
}

void Canvas::Fill(std::uint32_t pixel) {
    std::fill(pixels_.begin(), pixels_.end(), pixel);
}

void Canvas::Line(Point from, Point to, Color c) {
    const Rect clip = ClipBox();
    const std::uint32_t p = ToPixel(c);
    const int dx = std::abs(to.x - from.x);
    const int dy = -std::abs(to.y - from.y);
    const int sx = from.x < to.x ? 1 : -1;
    const int sy = from.y < to.y ? 1 : -1;
    int err = dx + dy;
    int x = from.x;
    int y = from.y;
    while (x != to.x || y != to.y) {
        if (Writable(x, y, clip)) At(x, y) = p;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void Canvas::VerticalGradient(const Rect& r, Color top, Color bottom) {
    if (r.IsEmpty()) return;
    const Rect area = r.Intersected(ClipBox());
    if (area.IsEmpty()) return;
    const int span = r.Height();
    auto mix = [span](int a, int b, int step) {
        return static_cast<std::uint8_t>(a + (b - a) * step / span);
    };
    for (int y = area.top; y < area.bottom; ++y) {
        const int step = y - r.top;
        const std::uint32_t p = ToPixel(
            {mix(top.r, bottom.r, step), mix(top.g, bottom.g, step), mix(top.b, bottom.b, step)});
        std::fill(&At(area.left, y), &At(area.left, y) + area.Width(), p);
    }
}

namespace {

// Offsets from a corner's outermost pixel to the pixels of a quarter ellipse
// whose bounding box is w x h pixels. Both the columns and the rows are walked
// so that steep and flat parts of the arc stay connected; the other three
// corners mirror this one, which keeps the outline symmetric.
std::vector<Point> CornerArc(int w, int h) {
    std::vector<Point> arc;
    const double rx = (w - 1) / 2.0;
    const double ry = (h - 1) / 2.0;
    auto offset = [](double radius, double along, double alongRadius) {
        const double t = (along - alongRadius) / alongRadius;
        return static_cast<int>(
            std::floor(radius - radius * std::sqrt(std::max(0.0, 1 - t * t)) + 0.5));
    };
    for (int dx = 0; dx <= static_cast<int>(rx); ++dx) arc.push_back({dx, offset(ry, dx, rx)});
    for (int dy = 0; dy <= static_cast<int>(ry); ++dy) arc.push_back({offset(rx, dy, ry), dy});
    return arc;
}

}  // namespace

void Canvas::RoundRect(const Rect& r, int ellipseWidth, int ellipseHeight, Color pen,
                       std::optional<Color> fill) {
    if (r.IsEmpty()) return;
    const int ew = std::min(ellipseWidth, r.Width());
    const int eh = std::min(ellipseHeight, r.Height());
    if (ew < 2 || eh < 2) {
        if (fill) FillRect(r.Inflated(-1, -1), *fill);
        FrameRect(r, pen);
        return;
    }
    const int x1 = r.right - 1;
    const int y1 = r.bottom - 1;
    std::vector<Point> outline;
    for (const Point& o : CornerArc(ew, eh)) {
        outline.push_back({r.left + o.x, r.top + o.y});
        outline.push_back({x1 - o.x, r.top + o.y});
        outline.push_back({r.left + o.x, y1 - o.y});
        outline.push_back({x1 - o.x, y1 - o.y});
    }
    for (int x = r.left + ew / 2; x <= x1 - ew / 2; ++x) {
        outline.push_back({x, r.top});
        outline.push_back({x, y1});
    }
    for (int y = r.top + eh / 2; y <= y1 - eh / 2; ++y) {
        outline.push_back({r.left, y});
        outline.push_back({x1, y});
    }
    if (fill) {
        // Each row is filled strictly between its outermost outline pixels.
        std::map<int, std::pair<int, int>> rows;
        for (const Point& p : outline) {
            auto [it, fresh] = rows.try_emplace(p.y, p.x, p.x);
            if (!fresh) {
                it->second.first = std::min(it->second.first, p.x);
                it->second.second = std::max(it->second.second, p.x);
            }
        }
        for (const auto& [y, span] : rows) FillRect({span.first + 1, y, span.second, y + 1}, *fill);
    }
    const Rect clip = ClipBox();
    const std::uint32_t p = ToPixel(pen);
    for (const Point& o : outline) {
        if (Writable(o.x, o.y, clip)) At(o.x, o.y) = p;
    }
}

void Canvas::FocusRect(const Rect& r) {
    if (r.IsEmpty()) return;
    const Rect clip = ClipBox();
    auto invert = [&](int x, int y) {
        if ((x + y) % 2 == 0 && Writable(x, y, clip))
            At(x, y) = (At(x, y) ^ 0x00FFFFFFu) | 0xFF000000u;
    };
    for (int x = r.left; x < r.right; ++x) {
        invert(x, r.top);
        if (r.bottom - 1 > r.top) invert(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        invert(r.left, y);
        if (r.right - 1 > r.left) invert(r.right - 1, y);
    }
}

void Canvas::FillRect(const Rect& r, Color c) {
    const Rect area = r.Intersected(ClipBox());
    if (area.IsEmpty()) return;
    const std::uint32_t p = ToPixel(c);
    for (int y = area.top; y < area.bottom; ++y) {
        std::fill(&At(area.left, y), &At(area.left, y) + area.Width(), p);
    }
}

void Canvas::FrameRect(const Rect& r, Color c) {
    Frame3d(r, c, c);
}

void Canvas::Frame3d(const Rect& r, Color topLeft, Color bottomRight) {
    if (r.IsEmpty()) return;
    FillRect({r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillRect({r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillRect({r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    FillRect({r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

void Canvas::BlockCopy(const Rect& dst, const Canvas& src, Point srcTopLeft) {
    const int dx = srcTopLeft.x - dst.left;
    const int dy = srcTopLeft.y - dst.top;
    // Limit to what both sides hold, in destination coordinates.
    const Rect area = dst.Intersected(ClipBox()).Intersected(src.Bounds().Offset(-dx, -dy));
    if (area.IsEmpty()) return;
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint32_t* from = &src.At(area.left + dx, y + dy);
        std::copy(from, from + area.Width(), &At(area.left, y));
    }
}

}  // namespace nimbo::imaging
