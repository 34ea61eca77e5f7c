#include "controls/offscreen_dc.h"

namespace nimbo {

COffscreenDC::COffscreenDC(imaging::Canvas& target)
    : Canvas(target.ClipBox().Width(), target.ClipBox().Height()),
      target_(target),
      region_(target.ClipBox()) {
    SetOrigin({region_.left, region_.top});
}

COffscreenDC::~COffscreenDC() {
    target_.BlockCopy(region_, *this, {region_.left, region_.top});
}

}  // namespace nimbo
