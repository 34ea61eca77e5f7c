#include "ui/win/gdi.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win/wide.h"

namespace nimbo::ui::win {

using imaging::Canvas;
using imaging::Color;
using imaging::Rect;
using platform::win::Widen;

namespace {

BITMAPINFO TopDownInfo(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

// A memory DC with a DIB section of the given size; its bits are readable.
class DibDc {
public:
    DibDc(int width, int height) : width_(width), height_(height) {
        BITMAPINFO bi = TopDownInfo(width, height);
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~DibDc() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    std::uint32_t* Bits() const { return static_cast<std::uint32_t*>(bits_); }
    bool Ok() const { return bits_ != nullptr; }
    size_t Count() const { return static_cast<size_t>(width_) * height_; }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

std::uint32_t Over(std::uint32_t dst, std::uint32_t src) {
    const std::uint32_t a = src >> 24;
    if (a == 255) return src;
    if (a == 0) return dst;
    auto ch = [&](int shift) {
        std::uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        return std::min<std::uint32_t>(255, s + d * (255 - a) / 255) << shift;
    };
    return ch(24) | ch(16) | ch(8) | ch(0);
}

}  // namespace

HBITMAP MakeBitmap(const Canvas& canvas) {
    if (canvas.Width() <= 0 || canvas.Height() <= 0) return nullptr;
    BITMAPINFO bi = TopDownInfo(canvas.Width(), canvas.Height());
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp && bits) {
        std::memcpy(bits, canvas.Bits(), static_cast<size_t>(canvas.BytesPerLine()) * canvas.Height());
    }
    return bmp;
}

HICON MakeIcon(const Canvas& canvas) {
    HBITMAP color = MakeBitmap(canvas);
    if (!color) return nullptr;
    // The mask is ignored for 32-bit colour bitmaps with alpha, but required.
    std::vector<std::uint8_t> zeros(static_cast<size_t>((canvas.Width() + 15) / 16 * 2) *
                                    canvas.Height());
    HBITMAP mask = CreateBitmap(canvas.Width(), canvas.Height(), 1, 1, zeros.data());
    ICONINFO info{TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(color);
    return icon;
}

void ShowCanvas(HDC dc, const Canvas& canvas, int x, int y) {
    if (canvas.Width() <= 0 || canvas.Height() <= 0) return;
    BITMAPINFO bi = TopDownInfo(canvas.Width(), canvas.Height());
    SetDIBitsToDevice(dc, x, y, canvas.Width(), canvas.Height(), 0, 0, 0, canvas.Height(),
                      canvas.Bits(), &bi, DIB_RGB_COLORS);
}

void BlendCanvas(HDC dc, const Canvas& canvas, int x, int y) {
    if (canvas.Width() <= 0 || canvas.Height() <= 0) return;
    HBITMAP bmp = MakeBitmap(canvas);
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bmp);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, canvas.Width(), canvas.Height(), mem, 0, 0, canvas.Width(),
               canvas.Height(), blend);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bmp);
}

FontSpec DialogFontSpec(std::string_view face, int pointSize) {
    FontSpec spec;
    spec.families = {std::string(face)};
    // Points at the dialog's 96 dots per inch, as the dialog manager sizes it.
    spec.pixelSize = pointSize * 96 / 72;
    return spec;
}

HFONT MakeFont(const FontSpec& spec) {
    LOGFONTW lf{};
    lf.lfHeight = spec.pixelSize > 0 ? -spec.pixelSize : -MulDiv(spec.pointSize, 96, 72);
    lf.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = spec.italic;
    lf.lfUnderline = spec.underline;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    std::wstring face = spec.families.empty() ? L"宋体" : Widen(spec.families.front());
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

SystemColors ReadSystemColors() {
    auto get = [](int index) {
        COLORREF c = GetSysColor(index);
        return Color{GetRValue(c), GetGValue(c), GetBValue(c)};
    };
    SystemColors s;
    s.buttonFace = get(COLOR_BTNFACE);
    s.buttonText = get(COLOR_BTNTEXT);
    s.buttonShadow = get(COLOR_BTNSHADOW);
    s.buttonHighlight = get(COLOR_BTNHIGHLIGHT);
    s.windowText = get(COLOR_WINDOWTEXT);
    return s;
}

GdiTextPainter::GdiTextPainter(const FontSpec& spec) : font_(MakeFont(spec)) {}

GdiTextPainter::~GdiTextPainter() {
    DeleteObject(font_);
}

imaging::Size GdiTextPainter::Measure(std::string_view utf8, int wrapWidth, TextFormat format) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_);
    std::wstring text = Widen(utf8);
    RECT r{0, 0, std::max(wrapWidth, 1), 0};
    UINT flags = DT_CALCRECT | DT_NOPREFIX |
                 (format == TextFormat::SingleLineVCenterNoClip ? DT_SINGLELINE : DT_WORDBREAK);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
    SelectObject(dc, old);
    DeleteDC(dc);
    return {r.right - r.left, r.bottom - r.top};
}

void GdiTextPainter::Draw(Canvas& canvas, const Rect& rect, std::string_view utf8, Color color,
                          TextFormat format) {
    if (canvas.Width() == 0 || canvas.Height() == 0) return;
    DibDc dib(canvas.Width(), canvas.Height());
    if (!dib.Ok()) return;
    const size_t count = dib.Count();
    std::memcpy(dib.Bits(), canvas.Bits(), count * 4);
    // GDI's text output clears the alpha byte of what it touches: mark every
    // pixel first so that touched ones can be told apart afterwards.
    for (size_t i = 0; i < count; ++i) dib.Bits()[i] |= 0xFF000000u;
    std::vector<std::uint32_t> before(dib.Bits(), dib.Bits() + count);
    HGDIOBJ old = SelectObject(dib.Dc(), font_);
    SetBkMode(dib.Dc(), TRANSPARENT);
    SetTextColor(dib.Dc(), RGB(color.r, color.g, color.b));
    const imaging::Point o = canvas.Origin();
    const Rect clip = canvas.ClipBox();
    HRGN region = CreateRectRgn(clip.left - o.x, clip.top - o.y, clip.right - o.x, clip.bottom - o.y);
    SelectClipRgn(dib.Dc(), region);
    DeleteObject(region);
    RECT r{rect.left - o.x, rect.top - o.y, rect.right - o.x, rect.bottom - o.y};
    std::wstring text = Widen(utf8);
    UINT flags = DT_NOPREFIX | (format == TextFormat::SingleLineVCenterNoClip
                                    ? DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_NOCLIP
                                    : DT_WORDBREAK | DT_CENTER | DT_TOP);
    DrawTextW(dib.Dc(), text.c_str(), static_cast<int>(text.size()), &r, flags);
    GdiFlush();
    SelectObject(dib.Dc(), old);
    std::uint32_t* out = canvas.Bits();
    for (size_t i = 0; i < count; ++i) {
        const std::uint32_t now = dib.Bits()[i];
        if (now != before[i]) out[i] = now | 0xFF000000u;
    }
}

void CanvasIconPainter::Draw(Canvas& canvas, imaging::Point at, bool disabled, Color highlight,
                             Color shadow) {
    const Rect clip = canvas.ClipBox();
    auto put = [&](int dx, int dy, auto&& pixelOf) {
        for (int y = 0; y < icon_.Height(); ++y) {
            for (int x = 0; x < icon_.Width(); ++x) {
                const int cx = at.x + dx + x, cy = at.y + dy + y;
                if (!clip.Contains(cx, cy)) continue;
                const std::uint32_t src = icon_.Bits()[static_cast<size_t>(y) * icon_.Width() + x];
                std::optional<std::uint32_t> p = pixelOf(src);
                if (!p) continue;
                std::uint32_t* dst = &canvas.Bits()[static_cast<size_t>(cy - canvas.Origin().y) *
                                                       canvas.Width() +
                                                   (cx - canvas.Origin().x)];
                *dst = Over(*dst, *p);
            }
        }
    };
    if (!disabled) {
        put(0, 0, [](std::uint32_t src) { return std::optional<std::uint32_t>(src); });
        return;
    }
    // Embossed: the shape (its fairly opaque pixels) in the highlight colour
    // one pixel down-right, then in the shadow colour on top.
    auto silhouette = [](Color c) {
        return [c](std::uint32_t src) -> std::optional<std::uint32_t> {
            if ((src >> 24) < 128) return std::nullopt;
            return Canvas::ToPixel(c);
        };
    };
    put(1, 1, silhouette(highlight));
    put(0, 0, silhouette(shadow));
}

}  // namespace nimbo::ui::win
