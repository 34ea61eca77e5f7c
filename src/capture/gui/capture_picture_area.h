#pragma once
// The screenshot window's picture area (control 1034). A capture is drawn at
// its own size from the area's top-left corner, never scaled, so a screen
// larger than the area shows its top-left part. The area keeps that drawing
// and paints it again whenever it is uncovered.
#include <cstdint>
#include <optional>
#include <string>

#include "capture/capture_framebuffer.h"
#include "imaging/bitmap.h"
#include "imaging/canvas.h"
#include "ui/custom_control.h"

namespace nimbo {

// The picture that the window keeps for saving: an independent copy of the
// received block, RGB565 as the device sent it, or 24-bit colour for the
// newer headers. Nothing when the capture holds no picture or the copy fails.
std::optional<imaging::Bitmap> BuildCapturedImage(const FramebufferCapture& capture);
// The same into an existing picture of the capture's size and pixel format (a
// series of screenshots of one phone reuses its memory); false when `image`
// does not fit or the capture holds no picture, leaving `image` untouched.
bool CopyCaptureInto(const FramebufferCapture& capture, imaging::Bitmap& image);

// The part of a capture that an area of `visible` pixels shows when the
// picture is placed at its top-left corner, as opaque 0xFFRRGGBB pixels; 5-
// and 6-bit channels are widened by repeating their high bits. Empty when the
// capture holds no picture or nothing of it is visible.
imaging::Canvas DrawCapture(const FramebufferCapture& capture, imaging::Size visible);

// "%d %%" of the scale read-out for a screen `height` pixels high: 56 % for
// 854, 60 % for 800, otherwise whole multiples of 480 (0 % below 480).
std::string ScaleReadout(uint32_t height);

class CapturePictureArea : public ui::CustomControl {
public:
    ui::CustomKind Kind() const override { return ui::CustomKind::Picture; }

    // Replaces the drawing and paints it at once.
    void ShowDrawing(imaging::Canvas drawing);
    const imaging::Canvas& Drawing() const { return drawing_; }

    void Paint(imaging::Canvas& surface) override;
    bool WantsFreshSurface() override { return drawingChanged_; }

private:
    imaging::Canvas drawing_;
    bool drawingChanged_ = false;
};

}  // namespace nimbo
