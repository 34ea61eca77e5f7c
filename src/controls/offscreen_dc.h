#pragma once
// COffscreenDC: a canvas that stands in for a target canvas while a picture is
// built from many overlapping operations, and copies the finished picture to
// the target in one block when it goes out of scope. It covers the target's
// clip box and uses the target's logical coordinates.
#include "imaging/canvas.h"

namespace nimbo {

class COffscreenDC : public imaging::Canvas {
public:
    explicit COffscreenDC(imaging::Canvas& target);
    ~COffscreenDC();
    COffscreenDC(const COffscreenDC&) = delete;
    COffscreenDC& operator=(const COffscreenDC&) = delete;

    const imaging::Rect& Region() const { return region_; }

private:
    imaging::Canvas& target_;
    imaging::Rect region_;
};

}  // namespace nimbo
