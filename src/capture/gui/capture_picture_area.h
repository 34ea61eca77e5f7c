#pragma once
// The screenshot window's picture area (control 1034). A capture is drawn at
// its own size from the area's top-left corner, never scaled, so a screen
// larger than the area shows its top-left part. The area keeps that drawing
// and paints it again whenever it is uncovered.
#include <QImage>
#include <QWidget>
#include <optional>

#include "capture/capture_framebuffer.h"
#include "imaging/bitmap.h"

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
// picture is placed at its top-left corner; 5- and 6-bit channels are widened
// by repeating their high bits.
QImage DrawCapture(const FramebufferCapture& capture, QSize visible);

// "%d %%" of the scale read-out for a screen `height` pixels high: 56 % for
// 854, 60 % for 800, otherwise whole multiples of 480 (0 % below 480).
std::string ScaleReadout(uint32_t height);

class CapturePictureArea : public QWidget {
    Q_OBJECT
public:
    explicit CapturePictureArea(QWidget* parent = nullptr);

    // Replaces the drawing and paints it at once.
    void ShowDrawing(QImage drawing);
    const QImage& Drawing() const { return drawing_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage drawing_;
};

}  // namespace nimbo
