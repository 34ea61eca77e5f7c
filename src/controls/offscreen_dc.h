#pragma once
// COffscreenDC: a canvas that stands in for a target canvas while a picture is
// built from many overlapping operations, and copies the finished picture to
// the target in one block when it goes out of scope. It covers the target's
// clip box and uses the target's logical coordinates.
#include "platform/canvas.h"

namespace nimbo {

class COffscreenDC : public platform::Canvas {
public:
    explicit COffscreenDC(platform::Canvas& target);
    ~COffscreenDC();
    COffscreenDC(const COffscreenDC&) = delete;
    COffscreenDC& operator=(const COffscreenDC&) = delete;

    const platform::Rect& Region() const { return region_; }

private:
    platform::Canvas& target_;
    platform::Rect region_;
};

}  // namespace nimbo
