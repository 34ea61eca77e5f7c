#include <benchmark/benchmark.h>

#include "controls/button_face.h"
#include "controls/combo_frame.h"
#include "controls/group_box_paint.h"

namespace {

using nimbo::imaging::Canvas;

// Text is the toolkit's business; this one only measures.
class NoText : public nimbo::ui::TextPainter {
public:
    nimbo::imaging::Size Measure(std::string_view s, int, nimbo::ui::TextFormat) override {
        return {static_cast<int>(s.size()) * 6, 12};
    }
    void Draw(Canvas&, const nimbo::imaging::Rect&, std::string_view, nimbo::imaging::Color,
              nimbo::ui::TextFormat) override {}
};

// The largest button of the main window (the package-list buttons are smaller).
void BM_GradientFace(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0));
    const int h = static_cast<int>(state.range(1));
    Canvas target(w, h);
    Canvas parent(w, h, Canvas::ToPixel({236, 233, 216}));
    const nimbo::ButtonState look{.hot = true, .focused = true};
    for (auto _ : state) {
        nimbo::DrawGradientFace(target, {0, 0, w, h}, look, [&](Canvas& dc) {
            dc.BlockCopy({0, 0, w, h}, parent, {0, 0});
        });
        benchmark::DoNotOptimize(target.Bits());
    }
}
BENCHMARK(BM_GradientFace)->Args({147, 42})->Args({54, 32});

void BM_BandedGroupBox(benchmark::State& state) {
    Canvas c(566, 62, Canvas::kTransparent);
    NoText text;
    const nimbo::GroupBoxLook look{{172, 168, 153},
                                   {236, 233, 216},
                                   {236, 233, 216},
                                   {0, 0, 0},
                                   true,
                                   nimbo::TitleAlignment::Left};
    for (auto _ : state) {
        nimbo::PaintGroupBox(c, {0, 0, 566, 62}, " 安装结果 ", look, text);
        benchmark::DoNotOptimize(c.Bits());
    }
}
BENCHMARK(BM_BandedGroupBox);

void BM_ComboFrame(benchmark::State& state) {
    Canvas c(120, 22, Canvas::kTransparent);
    const nimbo::ComboColors colors{{255, 255, 255}, {172, 168, 153}, {236, 233, 216}};
    for (auto _ : state) {
        nimbo::DrawComboFrame(c, {0, 0, 120, 22}, nimbo::ComboFrameState::Hot, colors.shadow,
                              colors.highlight, colors, true, 16);
        benchmark::DoNotOptimize(c.Bits());
    }
}
BENCHMARK(BM_ComboFrame);

}  // namespace

BENCHMARK_MAIN();
