#pragma once
// CGradientButton: the skinned button every window uses, with a rounded
// gradient face built off-screen over a picture of the parent's background.
#include "controls/gui/smart_button.h"

class CGradientButton : public CSmartButton {
    Q_OBJECT
public:
    explicit CGradientButton(QWidget* parent = nullptr) : CSmartButton(parent) {}

protected:
    int DrawBackground(nimbo::imaging::Canvas& dc, const nimbo::imaging::Rect& rect) override;
    // The border is part of the face.
    int DrawBorder(nimbo::imaging::Canvas&, const nimbo::imaging::Rect&) override { return 0; }
};
