// Every SIMD kernel against its plain reference, bit for bit, on every target this machine runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <tuple>
#include <random>
#include <vector>

#include "effects/filters/FX_Blur.h"
#include "effects/filters/FX_Contrast.h"
#include "effects/filters/FX_Invert.h"
#include "effects/filters/FX_Mosaic.h"
#include "effects/filters/FX_MotionBlur.h"
#include "effects/filters/FX_RadialBlur.h"
#include "effects/filters/FX_Zoom.h"
#include "pixel/Numeric.h"
#include "pixel/PixelOps.h"
#include "scene3d/DepthBuffer.h"
#include "scene3d/Raster.h"
#include "simd/AngleKernels.h"
#include "simd/GridKernels.h"
#include "simd/RayKernels.h"
#include "simd/Simd.h"
#include "simd/SpanKernels.h"

namespace {

// Random words, then runs of the edge values (bytes 0x00 and 0xFF, alpha set or clear).
std::vector<uint32_t> frameWords(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<uint32_t> w(n);
    for (uint32_t& x : w) x = gen();
    const uint32_t edges[] = {0, 0xFFFFFFFFu, 0xFF000000u, 0x00FFFFFFu, 0x80808080u, 0x7F7F7F7Fu, 0x01FF00FEu};
    for (size_t i = 0; i < n / 3; ++i) w[gen() % n] = edges[gen() % 7];
    return w;
}

struct EveryTarget : ::testing::Test {
    void TearDown() override { forceSimdTarget(0); }
    // Runs `check` once per target, with that target forced.
    void forEachTarget(const std::function<void()>& check) {
        const std::vector<int64_t> targets = simdTargets();
        ASSERT_FALSE(targets.empty());
        for (int64_t t : targets) {
            forceSimdTarget(t);
            SCOPED_TRACE(simdTargetName(t));
            EXPECT_EQ(activeSimdTarget(), simdTargetName(t));
            check();
        }
    }
};

}  // namespace

TEST_F(EveryTarget, WholeBufferKernelsEqualTheirReferences) {
    // Counts that are not a multiple of any vector, at offsets that are not aligned to one.
    const std::vector<uint32_t> a = frameWords(4099, 1), b = frameWords(4099, 2);
    using Kernel = std::function<void(uint32_t*, const uint32_t*, int)>;
    using Word = std::function<uint32_t(uint32_t, uint32_t)>;
    const std::pair<Kernel, Word> cases[] = {
        {[](uint32_t* d, const uint32_t*, int n) { fillPixels(d, n, 0x4F000000u); }, [](uint32_t, uint32_t) { return 0x4F000000u; }},
        {[](uint32_t* d, const uint32_t* s, int n) { addPixelsSaturated(d, s, n); }, reference::addBytesSaturated},
        {[](uint32_t* d, const uint32_t* s, int n) { subtractPixelsSaturated(d, s, n); }, reference::subtractBytesSaturated},
        {[](uint32_t* d, const uint32_t*, int n) { addColorSaturated(d, n, 0x80FF017Fu); },
         [](uint32_t x, uint32_t) { return reference::addBytesSaturated(x, 0x80FF017Fu); }},
        {[](uint32_t* d, const uint32_t*, int n) { subtractColorSaturated(d, n, 0x80FF017Fu); },
         [](uint32_t x, uint32_t) { return reference::subtractBytesSaturated(x, 0x80FF017Fu); }},
        {[](uint32_t* d, const uint32_t* s, int n) {
             const int32_t run[3] = {0, 0, n};
             averageRuns(d, s, run, 1);
         },
         [](uint32_t x, uint32_t y) { return averagePixels(x, y); }},
    };
    forEachTarget([&] {
        for (const auto& [kernel, word] : cases)
            for (int offset : {0, 1, 3})
                for (int n : {0, 1, 7, 17, 4096}) {
                    std::vector<uint32_t> got = a;
                    kernel(got.data() + offset, b.data() + offset, n);
                    for (size_t i = 0; i < got.size(); ++i) {
                        const bool written = int(i) >= offset && int(i) < offset + n;
                        ASSERT_EQ(got[i], written ? word(a[i], b[i]) : a[i]) << "n " << n << " at " << i;
                    }
                }
        // The sprite's scaled add and subtract: channels through trunc(c / 255 x s) or trunc(c / 256 x s).
        for (double fade : {1.0, 77.0, 128.0, 254.0, 255.0})
            for (bool add : {true, false}) {
                uint8_t table[256];
                for (int c = 0; c < 256; ++c) table[c] = uint8_t(add ? double(c) / 255.0 * fade : double(c) * 0.00390625 * fade);
                ChannelLine line;
                ASSERT_TRUE(fitChannelLine(table, fade / (add ? 255.0 : 256.0), line)) << fade;
                std::vector<uint32_t> got = a;
                (add ? addMappedPixels : subtractMappedPixels)(got.data() + 1, b.data() + 1, 4093, line);
                for (int i = 1; i < 4094; ++i) {
                    const uint32_t m = uint32_t(table[b[i] >> 16 & 255]) << 16 | uint32_t(table[b[i] >> 8 & 255]) << 8 | table[b[i] & 255];
                    ASSERT_EQ(got[i], add ? reference::addBytesSaturated(a[i], m) : reference::subtractBytesSaturated(a[i], m))
                        << "fade " << fade << " at " << i;
                }
            }
        // Lines setting aside no run, the run of 0s, the run of 255s, or both: every form of the lanes.
        for (auto [zeroUpTo, fullFrom] : {std::pair{-1, 256}, {70, 256}, {-1, 150}, {70, 150}}) {
            const ChannelLine line{2 << 16, -(100 << 16), 16, zeroUpTo, fullFrom};
            auto mapped = [&](uint32_t w) {
                return uint32_t(line(int(w >> 16 & 255))) << 16 | uint32_t(line(int(w >> 8 & 255))) << 8 | line(int(w & 255));
            };
            std::vector<uint32_t> got = a, added = a, subtracted = a;
            mapChannelsByLine(got.data() + 1, 4093, line);
            addMappedPixels(added.data() + 1, b.data() + 1, 4093, line);
            subtractMappedPixels(subtracted.data() + 1, b.data() + 1, 4093, line);
            for (int i = 1; i < 4094; ++i) {
                ASSERT_EQ(got[i], mapped(a[i])) << zeroUpTo << " " << fullFrom << " at " << i;
                ASSERT_EQ(added[i], reference::addBytesSaturated(a[i], mapped(b[i]))) << zeroUpTo << " " << fullFrom;
                ASSERT_EQ(subtracted[i], reference::subtractBytesSaturated(a[i], mapped(b[i]))) << zeroUpTo << " " << fullFrom;
            }
        }
        // A picture with nearly clear stretches among opaque ones: alphas 0 to 3 there, on both sides of
        // the largest (2 at opacity 255) that leaves the frame's weight at 255.
        const std::vector<uint32_t> patchy = [&] {
            std::vector<uint32_t> p = b;
            for (size_t i = 0; i < p.size(); ++i)
                if (i / 24 % 2 == 0) p[i] = (p[i] & 0x00FFFFFFu) | uint32_t(i % 5 == 0 ? i % 4 : 0) << 24;
            return p;
        }();
        for (const std::vector<uint32_t>* picture : {&b, &patchy})
            for (int opacity : {-5, 0, 1, 128, 254, 255, 300}) {
                std::vector<uint32_t> got = a, want = a;
                blendByOpacity(got.data() + 1, picture->data() + 1, 4093, opacity);
                reference::blendByOpacity(want.data() + 1, picture->data() + 1, 4093, opacity);
                ASSERT_EQ(got, want) << "opacity " << opacity;
            }
    });
}

TEST_F(EveryTarget, RadialBlurEqualsTheWalkInOrder) {
    forEachTarget([&] {
        // Odd widths take the runs; even ones whole vectors, with columns past the last one (38) or
        // falling back to the runs where a vector's sources spread too far (-0.4).
        for (auto [w, h] : {std::pair{512, 384}, {37, 23}, {64, 5}, {38, 9}})
            for (float strength : {0.05f, 0.0f, 0.33f, 1.0f, 1.7f, -0.4f}) {
                const std::vector<uint32_t> start = frameWords(size_t(w) * size_t(h), uint32_t(w + h));
                FX_RadialBlur blur(uint32_t(w), uint32_t(h), 0, strength);
                PixelArray frame{uint32_t(w), uint32_t(h)};
                std::copy(start.begin(), start.end(), frame.pixels);
                blur.setTarget(&frame);
                blur.render();
                std::vector<uint32_t> want = start;
                reference::radialBlur(want.data(), w, h, strength);
                ASSERT_EQ(std::vector<uint32_t>(frame.pixels, frame.pixels + frame.size), want)
                    << w << " x " << h << " strength " << strength;
            }
    });
}

// The channel maps: contrast at every angle a hundredth apart (a clipped line when one fits, else the
// table) and invert at levels inside and outside 0..255, against the table applied word by word.
TEST_F(EveryTarget, ChannelMapsEqualTheirTables) {
    const std::vector<uint32_t> start = frameWords(512 * 384, 9);
    auto run = [&](Effect& fx) {
        PixelArray frame{512, 384};
        std::copy(start.begin(), start.end(), frame.pixels);
        fx.setTarget(&frame);
        fx.render();
        return std::vector<uint32_t>(frame.pixels, frame.pixels + frame.size);
    };
    int fitted = 0, clampOnly = 0, fullRunOnly = 0;
    forEachTarget([&] {
        FX_Contrast contrast(512, 384);  // one effect: its table follows every change of the angle
        for (int k = -10; k <= 170; ++k) {
            contrast.contrast = float(k) * 0.01f;
            uint8_t table[256];
            buildContrastTable(contrast.contrast, table);
            ChannelLine line;
            fitted += fitChannelLine(table, 1.0 / std::tan(double(contrast.contrast)), line);
            clampOnly += line.zeroUpTo < 0 && line.fullFrom > 255;
            fullRunOnly += line.zeroUpTo < 0 && line.fullFrom <= 255;
            std::vector<uint32_t> want = start;
            reference::mapChannels(want.data(), int(want.size()), table, false);
            ASSERT_EQ(run(contrast), want) << "angle " << contrast.contrast;
        }
        for (uint32_t level : {0u, 1u, 128u, 255u, 256u, 400u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFF80u, 0xFFFFFFFFu}) {
            FX_Invert invert(512, 384, level);
            uint8_t table[256];
            for (int c = 0; c < 256; ++c)
                table[c] = uint8_t(std::min<int64_t>(255, std::llabs(int64_t(int32_t(level - uint32_t(c))))));
            std::vector<uint32_t> want = start;
            reference::mapChannels(want.data(), int(want.size()), table, true);
            ASSERT_EQ(run(invert), want) << "level " << level;
        }
    });
    EXPECT_GT(fitted, 100 * int(simdTargets().size()));  // most angles take the SIMD line
    EXPECT_GT(clampOnly, 50 * int(simdTargets().size()));  // many of them without runs set aside
    EXPECT_GT(fullRunOnly, 50 * int(simdTargets().size()));  // and most others with the run at 255 alone
}

// Kernels rewritten for memory order: the band-wise mosaic and the one-pass motion blur.
TEST_F(EveryTarget, MemoryOrderKernelsEqualTheirPlainForms) {
    forEachTarget([&] {
        for (auto [w, h] : {std::pair{512, 384}, {37, 23}})
            for (int n : {1, 3, 16, 37, 257, 258, 1000}) {
                // Random words; for the bands of 257 and 258 rows, all white (the largest 16-bit sums).
                std::vector<uint32_t> got = n >= 257 ? std::vector<uint32_t>(size_t(w) * size_t(h), 0xFFFFFFFFu)
                                                     : frameWords(size_t(w) * size_t(h), uint32_t(n)),
                                      want = got;
                mosaic(got.data(), w, h, n);
                reference::mosaic(want.data(), w, h, n);
                ASSERT_EQ(got, want) << w << " x " << h << " blocks of " << n;
            }
        for (int passes : {0, 1, 2, 3, 5}) {
            const std::vector<uint32_t> history = frameWords(3001, 5);
            std::vector<uint32_t> got = frameWords(3001, 6), want = got, gotHistory = history;
            motionBlur(got.data(), 3001, gotHistory.data(), passes);
            for (int k = 0; k < passes; ++k)
                for (size_t i = 0; i < want.size(); ++i) want[i] = ((want[i] & 0x00FEFEFEu) + (history[i] & 0x00FEFEFEu)) >> 1;
            ASSERT_EQ(got, want) << passes;
            ASSERT_EQ(gotHistory, want) << passes;
        }
    });
}

TEST_F(EveryTarget, BoxBlurEqualsDirectSummation) {
    forEachTarget([&] {
        for (auto [w, h] : {std::pair{512, 384}, {37, 23}, {5, 3}})
            for (int r : {1, 4, 16, 40, 300}) {
                if (w == 512 && r > 16) continue;  // direct summation of big windows is slow; small frames cover them
                const std::vector<uint32_t> start = frameWords(size_t(w) * size_t(h), uint32_t(r));
                FX_Blur blur(uint32_t(w), uint32_t(h), r);
                std::vector<uint32_t> got = start, want(start.size());
                blur.boxBlur(got.data(), got.data(), w, h, r);
                reference::boxBlur(start.data(), want.data(), w, h, r);
                ASSERT_EQ(got, want) << w << " x " << h << " radius " << r;
            }
    });
    // The divider exists for the radii effects use and is exact for every sum it can meet; very large
    // windows have none (the table serves them, as radius 300 above did).
    for (int span : {3, 9, 33, 201, 255}) {
        const WindowDivider d = windowDivider(span);
        ASSERT_NE(d.multiplier, 0u) << span;
        for (uint32_t sum = 0; sum <= 255u * uint32_t(span); ++sum) ASSERT_EQ(d(sum), sum / uint32_t(span));
    }
    EXPECT_EQ(windowDivider(601).multiplier, 0u);
}

// The walk over columns or rows skipped before the target: runs crossed in one multiplication.
TEST(SkippedSteps, EqualOneAdditionAtATime) {
    std::mt19937 gen(5);
    for (int c = 0; c < 3000; ++c) {
        const float scale = std::ldexp(1.0f, int(gen() % 40) - 30);
        const float start = std::uniform_real_distribution<float>(-2, 2)(gen) * scale;
        float step = std::uniform_real_distribution<float>(-1, 1)(gen) * scale * (c % 2 ? 1e-4f : 1e-7f);
        if (c % 7 == 0) step = std::ldexp(1.0f, -24) * scale * 3;  // ties
        const int64_t count = int64_t(gen() % 200000);
        float v = start;
        for (int64_t i = 0; i < count; ++i) v += step;
        const float got = accumulateSteps(start, step, count);
        ASSERT_EQ(std::memcmp(&got, &v, sizeof v), 0) << start << " + " << count << " x " << step << ": " << got << " vs " << v;
    }
}

TEST_F(EveryTarget, RunningSumsEqualOneAdditionAtATime) {
    std::mt19937 gen(11);
    auto pick = [&](std::initializer_list<float> from) { return from.begin()[gen() % from.size()]; };
    std::vector<float> got(512 + 64), want(512);
    forEachTarget([&] {
        for (int c = 0; c < 20000; ++c) {
            // Starts and steps of every scale, crossing binades and zero; steps that are whole, half (ties)
            // and quarter ulps; zero, subnormal and non-finite values.
            const float scale = std::ldexp(1.0f, int(gen() % 40) - 30);
            float start = std::uniform_real_distribution<float>(-2, 2)(gen) * scale;
            float step = std::uniform_real_distribution<float>(-1, 1)(gen) * scale * pick({1e-3f, 1e-6f, 0.05f, 1e-9f});
            switch (c % 9) {
                case 0: step = std::ldexp(1.0f, int(gen() % 8) - 24) * scale * pick({1, -1, 3, -5}); break;  // ties
                case 1: start = pick({0.0f, 1e-40f, -1e-42f, 8388608.0f, -0.5f, 1.0f}); break;
                case 2: step = pick({0.0f, 1e-41f, INFINITY, NAN, -0.0f}); break;
                case 3: start = -start, step = -step * 1000; break;  // crossing zero within the span
                default: break;
            }
            const size_t n = 1 + gen() % 512;
            float v = start;
            for (size_t k = 0; k < n; ++k, v += step) want[k] = v;
            runningSums(got.data(), n, start, step);
            for (size_t k = 0; k < n; ++k)
                ASSERT_EQ(std::memcmp(&got[k], &want[k], sizeof(float)), 0)
                    << "start " << start << " step " << step << " n " << n << " at " << k << ": " << got[k] << " vs " << want[k];
        }
    });
}

TEST_F(EveryTarget, TriangleFillsEqualThePerFragmentWalk) {
    std::vector<uint32_t> texels(128 * 64);
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = uint32_t(i * 2654435761u);
    std::vector<uint32_t> got(kFrameWords), want(kFrameWords);
    std::vector<float> gotDepth(kDepthBufferEntries), wantDepth(kDepthBufferEntries);
    forEachTarget([&] {
        std::mt19937 gen(3);
        auto in = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(gen); };
        // Texture coordinates spread over hundreds of repeats, or over about one (magnified: a vector's
        // texels often lie close together, near the texture's first and last words too).
        for (auto [tw, th, spread] : {std::tuple{128, 64, 1.0f}, {1, 1, 1.0f}, {16, 128, 1.0f}, {96, 32, 1.0f},
                                      {128, 64, 0.005f}, {16, 128, 0.005f}}) {  // 96: not a power of two
            std::fill(got.begin(), got.end(), 0u), std::fill(want.begin(), want.end(), 0u);
            clearDepth();
            wantDepth.assign(depthBuffer, depthBuffer + kDepthBufferEntries);
            gotDepth = wantDepth;
            for (int k = 0; k < 400; ++k) {
                // Overlapping triangles of every size at close depths, many reaching past the frame's
                // sides (columns skipped before the frame, spans cut at its right edge), texture
                // coordinates far from zero and past the int32 range, now and then a corner behind the
                // eye, and every tenth triangle drawn again over itself (equal depths: the first stays).
                const float size = k % 3 == 0 ? 40.0f : 700.0f;
                const float cx = in(-100, 612), cy = in(-50, 434), far = k % 25 == 3 ? 1e8f : 1.0f;
                static RasterCorner c[3];
                if (k % 10 != 9)
                    for (RasterCorner& v : c)
                        v = {cx + in(-size, size), cy + in(-size, size), in(-60, -2), in(-300, 300) * spread * far,
                             in(-3, 3) * spread * far};
                if (k % 50 == 7) c[1].z = 0.0f;
                std::copy(wantDepth.begin(), wantDepth.end(), depthBuffer);
                if (k % 2) reference::fillTextured(want.data(), 512, 384, c, texels.data(), tw, th);
                else reference::fillFlat(want.data(), 512, 384, c, uint32_t(k));
                wantDepth.assign(depthBuffer, depthBuffer + kDepthBufferEntries);
                std::copy(gotDepth.begin(), gotDepth.end(), depthBuffer);
                if (k % 2) fillTextured(got.data(), 512, 384, c, texels.data(), tw, th);
                else fillFlat(got.data(), 512, 384, c, uint32_t(k));
                gotDepth.assign(depthBuffer, depthBuffer + kDepthBufferEntries);
                ASSERT_EQ(got, want) << tw << " x " << th << " spread " << spread << ", triangle " << k;
                ASSERT_EQ(std::memcmp(gotDepth.data(), wantDepth.data(), gotDepth.size() * sizeof(float)), 0)
                    << tw << " x " << th << " spread " << spread << ", triangle " << k;
            }
        }
    });
}

TEST_F(EveryTarget, AnglesEqualTheLibraryAtan2RoundedToFloat) {
    std::mt19937 gen(13);
    auto in = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(gen); };
    std::vector<double> y, x;
    // Every quadrant and scale, the axes, signed zeros, subnormal, huge and non-finite values.
    const double special[] = {0.0, -0.0, 1e-310, -1e-310, 1e-300, 1.0, -1.0, 1e300, -1e300, INFINITY, -INFINITY, NAN};
    for (double a : special)
        for (double b : special) y.push_back(a), x.push_back(b);
    for (int k = 0; k < 60000; ++k) {
        const double scale = std::ldexp(1.0, int(gen() % 60) - 30);
        y.push_back(in(-1, 1) * scale), x.push_back(in(-1, 1) * scale * (k % 5 == 0 ? 1e-12 : 1.0));
    }
    // Points at the angle halfway between two floats, where the last double ulps decide the rounding.
    for (int k = 0; k < 60000; ++k) {
        const float f = float(in(-3.1415926, 3.1415926));
        const double half = (double(f) + double(std::nextafter(f, k % 2 ? INFINITY : -INFINITY))) * 0.5;
        const double r = in(1, 1000);
        y.push_back(r * std::sin(half)), x.push_back(r * std::cos(half));
    }
    std::vector<float> got(y.size() + 1);
    forEachTarget([&] {
        for (size_t offset : {size_t(0), size_t(1)}) {
            const size_t n = y.size() - offset;
            std::fill(got.begin(), got.end(), -7.0f);
            atan2Floats(y.data() + offset, x.data() + offset, got.data(), n);
            for (size_t i = 0; i < n; ++i) {
                const float want = float(std::atan2(y[i + offset], x[i + offset]));
                ASSERT_EQ(std::memcmp(&got[i], &want, sizeof want), 0)
                    << "atan2(" << y[i + offset] << ", " << x[i + offset] << "): " << got[i] << " vs " << want;
            }
            ASSERT_EQ(got[n], -7.0f);  // nothing past the end
        }
    });
}

TEST_F(EveryTarget, TunnelHitsEqualThePerRayForm) {
    std::mt19937 gen(17);
    auto in = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(gen); };
    constexpr size_t kRays = 67;  // a remainder past every vector width
    std::vector<float> dx(kRays);
    struct Result {
        std::vector<uint8_t> hit = std::vector<uint8_t>(kRays, 0);
        std::vector<double> t = std::vector<double>(kRays, 0.0);
        std::vector<float> hx = std::vector<float>(kRays, 0.0f), hy = hx, hz = hx;
        TunnelHits out() { return {hit.data(), t.data(), hx.data(), hy.data(), hz.data()}; }
    };
    forEachTarget([&] {
        for (int c = 0; c < 400; ++c) {
            // Eyes inside the tunnel, on its wall and far outside (no hits); any rotation; now and then
            // rays along the axis (a = 0, the 1e-8 guard) and coordinates large enough to overflow.
            TunnelCast cast;
            const double reach = c % 4 == 0 ? 1e3 : c % 4 == 1 ? 250 : c % 4 == 2 ? 1e30 : 256;
            for (double& o : cast.origin) o = float(in(-reach, reach));
            if (c % 9 == 0) cast.origin[0] = 256, cast.origin[1] = 0;
            for (double& r : cast.rotation) r = float(in(-1, 1));
            if (c % 7 == 0) std::fill(std::begin(cast.rotation), std::end(cast.rotation), 0.0), cast.rotation[8] = 1;
            cast.c = cast.origin[0] * cast.origin[0] + cast.origin[1] * cast.origin[1] - 256.0 * 256.0;
            cast.squareish = c % 2 == 1;
            for (size_t k = 0; k < kRays; ++k) dx[k] = k == 33 ? 0.0f : float((double(k) - 33) / 42.0 * (c % 5 ? 1 : 1e20));
            const float dy = c % 3 == 0 ? 0.0f : float(in(-1, 1));
            for (size_t n : {kRays, size_t(1), size_t(7)}) {
                Result got, want;
                tunnelHits(cast, dx.data(), dy, n, got.out());
                reference::tunnelHits(cast, dx.data(), dy, n, want.out());
                ASSERT_EQ(got.hit, want.hit) << "case " << c << ", " << n << " rays";
                ASSERT_EQ(std::memcmp(got.t.data(), want.t.data(), kRays * sizeof(double)), 0) << "case " << c;
                for (auto field : {&Result::hx, &Result::hy, &Result::hz})
                    ASSERT_EQ(std::memcmp((got.*field).data(), (want.*field).data(), kRays * sizeof(float)), 0) << "case " << c;
            }
        }
    });
}

TEST(GridQuotient, EqualsTheDoubleDivisionEverywhere) {
    std::mt19937 gen(9);
    const int32_t edges[] = {INT32_MIN, INT32_MIN + 1, -65536 * 255, -1, 0, 1, 7, 65535, 65536 * 255, INT32_MAX - 1, INT32_MAX};
    auto check = [](int32_t a, int32_t b) {
        const int32_t want = b == 0 ? 0 : b == -1 ? int32_t(0u - uint32_t(a)) : int32_t(double(a) / double(b));
        ASSERT_EQ(truncatedQuotient(a, b), want) << a << " / " << b;
    };
    for (int32_t b = -600; b <= 600; ++b) {
        for (int32_t a : edges) check(a, b);
        for (int k = 0; k < 200; ++k) check(int32_t(gen()), b);
        for (int k = 0; k < 50; ++k) check(int32_t(gen() % 2048) * b + int32_t(gen() % 3) - 1, b);  // next to multiples
    }
    for (int k = 0; k < 100000; ++k) check(int32_t(gen()), int32_t(gen()) >> (gen() % 31));
}

TEST_F(EveryTarget, GridCellsAndRunsEqualTheirPerPixelForms) {
    std::vector<uint32_t> texture = frameWords(256 * 256, 4);
    forEachTarget([&] {
        std::mt19937 gen(21);
        for (GridBlend blend : {GridBlend::Copy, GridBlend::Add, GridBlend::Subtract}) {
            std::vector<uint32_t> got = frameWords(64 * 40, 5), want = got;
            for (int c = 0; c < 400; ++c) {
                // Cells at every place of a 64 x 40 target (the last column of cells touching its right edge),
                // texture coordinates near and far from zero, darkness past both ends of 0..255.
                const int x = 8 * int(gen() % 8), y = 8 * int(gen() % 4);
                const int32_t far = c % 5 == 0 ? 100000 : 300;
                auto corner = [&](int px, int py) {
                    return ShadedVertex{px, py, int32_t(gen() % uint32_t(2 * far)) - far, int32_t(gen() % uint32_t(2 * far)) - far,
                                        int32_t(gen() % 400) - 70};
                };
                ShadedVertex A = corner(x, y), B = corner(x + 8, y), C = corner(x, y + 8), D = corner(x + 8, y + 8);
                if (c % 50 == 1) A.u = INT32_MIN, D.v = INT32_MAX, B.k = INT32_MIN;  // the far ends of a node's range
                const ShadedVertex top2[2] = {A, B}, bottom2[2] = {C, D};
                if (shadedCellRow(blend, got.data() + 64 * y + x, 64, top2, bottom2, 1, texture.data())) {
                    drawShadedTriangle(blend, want.data(), 64, A, C, D, texture.data());
                    drawShadedTriangle(blend, want.data(), 64, A, B, D, texture.data());
                }
                ASSERT_EQ(got, want) << "cell " << c;
                // A whole row of cells in one call: 8 cells over the target's width, from 9 + 9 nodes.
                if (c % 20 == 0) {
                    ShadedVertex top[9], bottom[9];
                    for (int i = 0; i < 9; ++i) top[i] = corner(8 * i, y), bottom[i] = corner(8 * i, y + 8);
                    if (shadedCellRow(blend, got.data() + 64 * y, 64, top, bottom, 8, texture.data()))
                        for (int i = 0; i < 8; ++i) {
                            drawShadedTriangle(blend, want.data(), 64, top[i], bottom[i], bottom[i + 1], texture.data());
                            drawShadedTriangle(blend, want.data(), 64, top[i], top[i + 1], bottom[i + 1], texture.data());
                        }
                    ASSERT_EQ(got, want) << "row of cells " << c;
                }
                // A lone run of any length, ending anywhere in its row.
                const int n = 1 + int(gen() % 40), at = int(gen() % uint32_t(64 - n + 1)) + 64 * int(gen() % 40);
                const ShadedSteps s{int32_t(gen()), int32_t(gen()), int32_t(gen() % (400u << 16)) - (70 << 16),
                                    int32_t(gen()) >> 8, int32_t(gen()) >> 8, int32_t(gen()) >> 12};
                shadedRun(blend, got.data() + at, n, 64 - at % 64, s, texture.data());
                reference::shadedRun(blend, want.data() + at, n, s, texture.data());
                ASSERT_EQ(got, want) << "run " << c;
            }
        }
    });
}

TEST_F(EveryTarget, ZoomSmearEqualsTheColumnOrderWalk) {
    forEachTarget([&] {
        // Heights that leave every count of rows for the last group of four; widths down to 2.
        for (auto [w, h] : {std::pair{512, 384}, {41, 29}, {41, 30}, {7, 6}, {5, 3}, {4, 8}, {2, 2}}) {
            PixelArray got{uint32_t(w), uint32_t(h)}, want{uint32_t(w), uint32_t(h)};
            const std::vector<uint32_t> start = frameWords(size_t(w) * size_t(h), uint32_t(w * h));
            std::copy(start.begin(), start.end(), got.pixels), std::copy(start.begin(), start.end(), want.pixels);
            FX_Zoom zoom(uint32_t(w), uint32_t(h), 0);
            zoom.setTarget(&got);
            zoom.render();
            reference::zoomSmear(want.pixels, w, h);
            ASSERT_TRUE(std::equal(got.pixels, got.pixels + got.size, want.pixels)) << w << " x " << h;
        }
    });
}
