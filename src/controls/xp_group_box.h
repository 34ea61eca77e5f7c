#pragma once
// CXPGroupBox: a group box that paints itself completely, with a rounded frame
// and a title in its own font, in a plain or a banded look. It only frames
// the window's other controls, which are its siblings, not its children.
//
// Every setter repaints the box and the window area beneath it and returns
// the box, so calls chain: box->SetBanded(1).SetTitleBold(true).
#include <optional>
#include <string>

#include "imaging/canvas.h"
#include "ui/custom_control.h"

class CXPGroupBox : public nimbo::ui::CustomControl {
public:
    nimbo::ui::CustomKind Kind() const override { return nimbo::ui::CustomKind::Frame; }

    virtual CXPGroupBox& SetFrameColor(nimbo::imaging::Color color);
    virtual CXPGroupBox& SetTitleColor(nimbo::imaging::Color color);
    virtual CXPGroupBox& SetFillColors(nimbo::imaging::Color band, nimbo::imaging::Color body);
    virtual CXPGroupBox& SetFillColor(nimbo::imaging::Color color);
    virtual CXPGroupBox& SetBanded(int banded);
    virtual CXPGroupBox& SetTitle(const std::string& text);
    virtual CXPGroupBox& SetTitleBold(bool bold);
    // A face name holds at most 31 characters (UTF-16 units); longer ones are cut there.
    virtual CXPGroupBox& SetTitleFontName(const std::string& name, int charset);
    virtual CXPGroupBox& SetTitleUnderline(unsigned char underline);
    virtual CXPGroupBox& SetTitleItalic(unsigned char italic);
    // Sizes the title in points; 0 or less leaves the size alone.
    virtual CXPGroupBox& SetTitlePointSize(int points);
    virtual CXPGroupBox& SetTitleFont(const nimbo::ui::FontSpec& font);
    virtual CXPGroupBox& SetTitleAlignment(int alignment);

    // The title as painted: the text with one blank on each side, or empty.
    // The box's window text becomes the title at the first paint that finds
    // the title empty; later text changes show only through SetTitle.
    const std::string& Title() const { return title_; }
    // The box's own (dialog) font until a font setter changes the title's.
    nimbo::ui::FontSpec TitleFont() const;
    bool Banded() const { return banded_ != 0; }
    int Alignment() const { return alignment_; }
    int Charset() const { return charset_; }
    // Until set: the system's dark 3-D colour, face colour and window text.
    nimbo::imaging::Color FrameColor() const;
    nimbo::imaging::Color BandColor() const;
    nimbo::imaging::Color BodyColor() const;
    nimbo::imaging::Color TitleColor() const;

    void RedrawWithParent();

    void Paint(nimbo::imaging::Canvas& surface) override;
    void OnAttached() override;

private:
    nimbo::ui::FontSpec& EditableTitleFont();

    std::string title_;
    // The colours the box started with: the system's when it was attached.
    nimbo::imaging::Color defaultFrame_{172, 168, 153};
    nimbo::imaging::Color defaultFill_{236, 233, 216};
    nimbo::imaging::Color defaultTitle_{0, 0, 0};
    std::optional<nimbo::imaging::Color> frameColor_;
    std::optional<nimbo::imaging::Color> bandColor_;
    std::optional<nimbo::imaging::Color> bodyColor_;
    std::optional<nimbo::imaging::Color> titleColor_;
    int banded_ = 0;
    int alignment_ = 0;
    int charset_ = 1;
    // Follows the box's own font until a font setter changes it.
    std::optional<nimbo::ui::FontSpec> titleFont_;
};
