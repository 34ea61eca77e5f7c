#include "controls/combo_frame.h"

#include <gtest/gtest.h>

#include "controls/combo_completion.h"

namespace nimbo::imaging {
void PrintTo(const Color& c, std::ostream* os) {
    *os << "(" << int{c.r} << ", " << int{c.g} << ", " << int{c.b} << ")";
}
}  // namespace nimbo::imaging

namespace nimbo {
namespace {

using imaging::Canvas;
using imaging::Color;

const ComboColors kColors{{255, 255, 255}, {128, 128, 128}, {200, 200, 200}};
constexpr int W = 60;
constexpr int H = 20;
constexpr int kThumb = 16;

Canvas Draw(ComboFrameState state, bool enabled = true) {
    Canvas c(W, H, Canvas::kTransparent);
    const FramePair pair = ComboFramePair(state, kColors);
    DrawComboFrame(c, {0, 0, W, H}, state, pair.topLeft, pair.bottomRight, kColors, enabled,
                   kThumb);
    return c;
}

// The drop-down button's area after the two outer frames: (42, 2, 58, 18).
TEST(ComboFrame, FlatStateVanishesIntoTheFaceWithAFlatButton) {
    const Canvas c = Draw(ComboFrameState::Flat);
    EXPECT_EQ(c.GetPixel(0, 0), kColors.face);
    EXPECT_EQ(c.GetPixel(W - 1, H - 1), kColors.face);
    EXPECT_EQ(c.GetPixel(1, 1), kColors.face);
    EXPECT_EQ(c.GetPixel(43, 2), kColors.highlight);
    EXPECT_EQ(c.GetPixel(42, 10), kColors.highlight);
    EXPECT_EQ(c.GetPixel(43, 10), kColors.highlight);
    EXPECT_EQ(c.GetPixel(56, 10), kColors.highlight);
    EXPECT_EQ(c.GetPixel(50, 17), kColors.highlight);
    EXPECT_EQ(c.GetPixel(57, 10), kColors.face);
    EXPECT_EQ(c.RawPixel(20, 10), Canvas::kTransparent);
}

TEST(ComboFrame, HotStateIsSunkenOutsideWithARaisedButton) {
    const Canvas c = Draw(ComboFrameState::Hot);
    EXPECT_EQ(c.GetPixel(0, 0), kColors.shadow);
    EXPECT_EQ(c.GetPixel(0, H - 2), kColors.shadow);
    EXPECT_EQ(c.GetPixel(W - 1, 0), kColors.highlight);
    EXPECT_EQ(c.GetPixel(10, H - 1), kColors.highlight);
    EXPECT_EQ(c.GetPixel(1, 1), kColors.face);
    EXPECT_EQ(c.GetPixel(43, 2), kColors.highlight);
    EXPECT_EQ(c.GetPixel(43, 16), kColors.highlight);
    EXPECT_EQ(c.GetPixel(56, 2), kColors.shadow);
    EXPECT_EQ(c.GetPixel(43, 17), kColors.shadow);
    EXPECT_EQ(c.GetPixel(42, 10), kColors.face);
}

TEST(ComboFrame, PressedButtonMovesOneDownRightAndSinks) {
    const Canvas c = Draw(ComboFrameState::Pressed);
    EXPECT_EQ(c.GetPixel(0, 0), kColors.shadow);
    EXPECT_EQ(c.GetPixel(44, 3), kColors.shadow);
    EXPECT_EQ(c.GetPixel(44, 17), kColors.shadow);
    EXPECT_EQ(c.GetPixel(57, 18), kColors.highlight);
    EXPECT_EQ(c.GetPixel(57, 3), kColors.highlight);
    EXPECT_EQ(c.GetPixel(43, 3), kColors.face);
}

TEST(ComboFrame, DisabledShowsOnlyTheOuterFramesAndButtonOutlineInEveryState) {
    for (auto state : {ComboFrameState::Flat, ComboFrameState::Hot, ComboFrameState::Pressed}) {
        const Canvas c = Draw(state, false);
        EXPECT_EQ(c.GetPixel(0, 0), ComboFramePair(state, kColors).topLeft);
        EXPECT_EQ(c.GetPixel(1, 1), kColors.highlight);
        EXPECT_EQ(c.GetPixel(W - 2, H - 2), kColors.highlight);
        EXPECT_EQ(c.GetPixel(42, 10), kColors.face);
        EXPECT_EQ(c.GetPixel(43, 3), kColors.face);
        EXPECT_EQ(c.GetPixel(43, 2), kColors.face);
        EXPECT_EQ(c.RawPixel(50, 10), Canvas::kTransparent);
    }
}

TEST(ComboCompletion, CompletesFromTheFirstMatchAndSelectsTheTail) {
    const std::vector<std::u16string> items{u"apple", u"apricot", u"banana"};
    const EditCompletion a = CompleteTypedText(items, u"a", 1, 1);
    EXPECT_EQ(a.item, 0);
    EXPECT_EQ(a.text, u"apple");
    EXPECT_EQ(a.selectionStart, 1);
    EXPECT_EQ(a.selectionEnd, 5);

    const EditCompletion apr = CompleteTypedText(items, u"apr", 3, 3);
    EXPECT_EQ(apr.text, u"apricot");
    EXPECT_EQ(apr.selectionStart, 3);
    EXPECT_EQ(apr.selectionEnd, 7);

    // Matching ignores ASCII case and takes the item's own spelling.
    EXPECT_EQ(CompleteTypedText(items, u"B", 1, 1).text, u"banana");
}

TEST(ComboCompletion, NoMatchEmptyTextAndEditsInsideTheText) {
    const std::vector<std::u16string> items{u"apple", u"apricot"};
    const EditCompletion none = CompleteTypedText(items, u"ax", 2, 2);
    EXPECT_FALSE(none.item.has_value());
    EXPECT_EQ(none.text, u"ax");
    EXPECT_EQ(none.selectionStart, 2);
    EXPECT_EQ(none.selectionEnd, 2);

    const EditCompletion empty = CompleteTypedText(items, u"", 0, 0);
    EXPECT_FALSE(empty.item.has_value());
    EXPECT_EQ(empty.text, u"");

    // Typing in the middle keeps the caret there instead of jumping to the end.
    const EditCompletion middle = CompleteTypedText(items, u"ap", 1, 1);
    EXPECT_EQ(middle.text, u"apple");
    EXPECT_EQ(middle.selectionStart, 1);
    EXPECT_EQ(middle.selectionEnd, 1);
}

}  // namespace
}  // namespace nimbo
