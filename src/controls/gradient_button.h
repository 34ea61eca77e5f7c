#pragma once
// CGradientButton: the skinned button every window uses, with a rounded
// gradient face built off-screen over a picture of the window beneath it.
#include "controls/smart_button.h"

class CGradientButton : public CSmartButton {
protected:
    int DrawBackground(nimbo::imaging::Canvas& dc, const nimbo::imaging::Rect& rect) override;
    // The border is part of the face.
    int DrawBorder(nimbo::imaging::Canvas&, const nimbo::imaging::Rect&) override { return 0; }
};
