#include "app/TestShow.h"

#include "effects/filters/FX_FillColor.h"

namespace {

constexpr uint32_t kPalette[] = {0x000000, 0xFF8C44, 0x2040C0, 0x60C020, 0xC02060, 0x20A0A0, 0xE0E0E0};

Effect& add(TestShow& show, Timeline& timeline, std::unique_ptr<Effect> effect, float start, float end) {
    effect->setTimeWindow(start, end);
    timeline.addEffect(effect.get());
    show.effects.push_back(std::move(effect));
    return *show.effects.back();
}

}  // namespace

TestShow buildTestShow(Timeline& timeline) {
    TestShow show;
    const int w = kFrameWidth, h = kFrameHeight;

    Effect& base = add(show, timeline, std::make_unique<FX_FillColor>(w, h, 0), 0, 122);
    constexpr int kColours = int(sizeof kPalette / sizeof kPalette[0]);
    for (int i = 0; i * 8 < 122; ++i) {
        const float start = float(i * 8);
        base.addColorSegment({Color(kPalette[i % kColours]), Color(kPalette[(i + 1) % kColours]), start,
                              start + 8});
    }

    Effect& dim = add(show, timeline, std::make_unique<FX_FillColor>(w, h, 2), 3, 10);
    dim.setPacked(0x202020);

    Effect& flash = add(show, timeline, std::make_unique<FX_FillColor>(w, h, 1), 4, 6);
    flash.addColorSegment({Color(0x0000FFu), Color(0x000000u), 4, 6});

    Effect& pulse = add(show, timeline, std::make_unique<FX_FillColor>(w, h, 1), 12, 122);
    for (int s = 12; s < 122; ++s)
        pulse.addColorSegment({Color(0x313131u), Color(0x000000u), float(s), float(s + 1)});
    return show;
}
