// The whole-frame effects of the 2D layer, one frame each, against memcpy of one frame.
#include <benchmark/benchmark.h>

#include "bench/FrameBaseline.h"
#include "effects/filters/FX_Blur.h"
#include "effects/filters/FX_Contrast.h"
#include "effects/filters/FX_FillColor.h"
#include "effects/filters/FX_Invert.h"
#include "effects/filters/FX_Mosaic.h"
#include "effects/filters/FX_MotionBlur.h"
#include "effects/filters/FX_Noise.h"
#include "effects/filters/FX_RadialBlur.h"
#include "effects/filters/FX_Zoom.h"
#include "effects/generators/FX_GridExpander.h"
#include "effects/generators/FX_Image.h"
#include "effects/generators/FX_Parallax.h"
#include "effects/generators/FX_Sprite.h"
#include "effects/generators/FX_VLines.h"
#include "pixel/Random.h"
#include "timeline/Spectrum.h"

namespace {

struct Scene {
    Scene() : frame(512, 384), picture(512, 384) {
        for (uint32_t i = 0; i < frame.size; ++i) frame.pixels[i] = i * 2654435761u;
        for (uint32_t i = 0; i < picture.size; ++i) picture.pixels[i] = i * 40503u | 0x80000000u;
        for (int i = 0; i < 512; ++i) rawSpectrum[i] = float(i % 37) / 2000.0f;
        showSrand(1);
    }
    void run(benchmark::State& state, Effect& fx, float t = 10.0f) {
        fx.setTimeWindow(0, 1000);
        fx.setTarget(&frame);
        runAgainstMemcpy(state, [&] {
            fx.isActive(t);
            fx.update();
            fx.render();
        });
    }
    PixelArray frame, picture;
};

void BM_FillCopy(benchmark::State& s) {
    Scene sc;
    FX_FillColor fx(512, 384, 0);
    sc.run(s, fx);
}
void BM_FillAdd(benchmark::State& s) {
    Scene sc;
    FX_FillColor fx(512, 384, 1);
    fx.setPacked(0x101010);
    sc.run(s, fx);
}
void BM_Contrast(benchmark::State& s) {
    Scene sc;
    FX_Contrast fx(512, 384);
    fx.contrast = 0.5f;
    sc.run(s, fx);
}
void BM_RadialBlur(benchmark::State& s) {
    Scene sc;
    FX_RadialBlur fx(512, 384, 0, 0.05f);
    sc.run(s, fx);
}
void BM_Noise(benchmark::State& s) {
    Scene sc;
    FX_Noise fx(512, 384, int(s.range(0)));
    fx.setBlendMode(1);
    fx.setAmount(64);
    fx.setRadius(1);
    fx.setPacked(0x666666);
    sc.run(s, fx);
}
void BM_Image(benchmark::State& s) {
    Scene sc;
    FX_Image fx(512, 384, nullptr);
    fx.setSourceImage(&sc.picture);
    fx.setBlendMode(int(s.range(0)));
    fx.setOpacity(200);
    sc.run(s, fx);
}
// The opacity blend of a picture whose every other 16-row band is transparent, as the show's always-on
// overlay is for about half of its pixels.
void BM_ImageBlendHalfClear(benchmark::State& s) {
    Scene sc;
    for (uint32_t i = 0; i < sc.picture.size; ++i)
        if (i / 512 / 16 % 2 == 0) sc.picture.pixels[i] &= 0x00FFFFFFu;
    FX_Image fx(512, 384, nullptr);
    fx.setSourceImage(&sc.picture);
    fx.setBlendMode(3);
    fx.setOpacity(255);
    sc.run(s, fx);
}
void BM_ImageWindow(benchmark::State& s) {
    Scene sc;
    PixelArray big(1024, 768);
    big.fill(0x00203040);
    FX_Image fx(512, 384, nullptr);
    fx.setSourceImage(&big);
    fx.setBlendMode(2);
    fx.randomPosition = true;
    sc.run(s, fx);
}
void BM_SpriteAdd(benchmark::State& s) {
    Scene sc;
    PixelArray scroller(512, 1024);
    scroller.fill(0x00406080);
    FX_Sprite fx(512, 384, &scroller, 8);
    fx.setOpacity(200);
    fx.setPosition(Vector3(0, -300, 0));
    sc.run(s, fx);
}
void BM_Parallax(benchmark::State& s) {
    Scene sc;
    FX_Parallax fx(512, 384, 5);
    sc.run(s, fx);
}
void BM_VLines(benchmark::State& s) {
    Scene sc;
    FX_VLines fx(512, 384);
    sc.run(s, fx);
}

// Library filters; the box blur's cost must not grow with its radius.
void BM_BoxBlur(benchmark::State& s) {
    Scene sc;
    FX_Blur fx(512, 384, int(s.range(0)));
    sc.run(s, fx);
}
void BM_MotionBlur(benchmark::State& s) {
    Scene sc;
    FX_MotionBlur fx(512, 384, 2);
    sc.run(s, fx);
}
void BM_Invert(benchmark::State& s) {
    Scene sc;
    FX_Invert fx(512, 384, 255);
    sc.run(s, fx);
}
void BM_Mosaic16(benchmark::State& s) {
    Scene sc;
    FX_Mosaic fx(512, 384, 16);
    sc.run(s, fx);
}
void BM_ZoomSmear(benchmark::State& s) {
    Scene sc;
    FX_Zoom fx(512, 384, 0);
    sc.run(s, fx);
}

// The grid expander in each mode: the node computation (ray casting or 2D warps) and the cell filling
// measured apart.
struct Grid {
    explicit Grid(int mode) : fx(512, 384, uint32_t(mode)), texture(256, 256), frame(512, 384) {
        for (uint32_t i = 0; i < texture.size; ++i) texture.pixels[i] = i * 2654435761u;
        fx.setSourceImage(&texture);
        fx.setBlendMode(0);
        fx.setPosition(Vector3(0, 20, 100));
        fx.setTarget(Vector3(-20, 10, 0));
        fx.setTimeWindow(0, 100);
        fx.isActive(7.0f);
        fx.setTarget(&frame);
        fx.computeNodes();
    }
    FX_GridExpander fx;
    PixelArray texture, frame;
};
void BM_GridNodes(benchmark::State& s) {
    Grid g(int(s.range(0)));
    runAgainstMemcpy(s, [&] { g.fx.computeNodes(); });
}
void BM_GridCells(benchmark::State& s) {
    Grid g(int(s.range(0)));
    runAgainstMemcpy(s, [&] { g.fx.drawCells(); });
}

}  // namespace

BENCHMARK(BM_BoxBlur)->Arg(1)->Arg(4)->Arg(16)->UseRealTime();
BENCHMARK(BM_MotionBlur)->UseRealTime();
BENCHMARK(BM_Invert)->UseRealTime();
BENCHMARK(BM_Mosaic16)->UseRealTime();
BENCHMARK(BM_ZoomSmear)->UseRealTime();
BENCHMARK(BM_GridNodes)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Arg(16)->Arg(32)->Arg(64)->UseRealTime();
BENCHMARK(BM_GridCells)->Arg(1)->Arg(8)->UseRealTime();
BENCHMARK(BM_FillCopy)->UseRealTime();
BENCHMARK(BM_FillAdd)->UseRealTime();
BENCHMARK(BM_Contrast)->UseRealTime();
BENCHMARK(BM_RadialBlur)->UseRealTime();
// The show's noise layers: horizontal lines, swaying bands, row swap; then grain and 2D jitter.
BENCHMARK(BM_Noise)->Arg(0x20)->Arg(0x40)->Arg(0x100)->Arg(0x01)->Arg(0x08)->UseRealTime();
BENCHMARK(BM_Image)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->UseRealTime();
BENCHMARK(BM_ImageBlendHalfClear)->UseRealTime();
BENCHMARK(BM_ImageWindow)->UseRealTime();
BENCHMARK(BM_SpriteAdd)->UseRealTime();
BENCHMARK(BM_Parallax)->UseRealTime();
BENCHMARK(BM_VLines)->UseRealTime();
BENCHMARK_MAIN();
