#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "pixel/Random.h"
#include "scene3d/DepthBuffer.h"
#include "timeline/Timeline.h"

namespace {

std::vector<std::string> calls;

// Writes its id into pixel `slot` and records what the compositor did to it.
struct Probe : Effect {
    Probe(std::string id_, uint32_t mark_, int slot_ = 0) : Effect(512, 384), id(std::move(id_)), mark(mark_), slot(slot_) {}
    void update() override { calls.push_back(id + ".update"); sawTargetAtUpdate = targetFrame != nullptr; }
    void render() override {
        calls.push_back(id + ".render");
        if (layerMode == 1) loaded = layerCopy[0];
        targetFrame->pixels[slot] = mark;
    }
    std::string id;
    uint32_t mark;
    int slot;
    bool sawTargetAtUpdate = false;
    uint32_t loaded = 0;
};

// A manual clock for tests: seconds since construction are what `now` says.
int64_t now = 0;
int64_t manualCounter() { return now; }

struct TimelineTest : ::testing::Test {
    void SetUp() override {
        calls.clear();
        now = 0;
        timeline.setFrameSize(512, 384);
        timeline.setEndTime(122.0f);
    }
    Timeline timeline{1u, manualCounter, 1000};
};

}  // namespace

TEST_F(TimelineTest, NothingActiveLeavesTheFrameAsItWas) {
    PixelArray& frame = timeline.renderFrame(0);
    for (uint32_t i = 0; i < frame.size; ++i) ASSERT_EQ(frame.pixels[i], 0x000000FFu);
    frame.pixels[5] = 0x00ABCDEF;
    timeline.renderFrame(1);
    EXPECT_EQ(timeline.getFrame().pixels[5], 0x00ABCDEFu);  // never cleared between frames
}

TEST_F(TimelineTest, ActiveEffectsRunInListOrderLaterDrawsOver) {
    Probe a("a", 0xA), b("b", 0xB), c("c", 0xC);
    a.setTimeWindow(0, 10);
    b.setTimeWindow(5, 10);  // starts at the frame time: active
    c.setTimeWindow(0, 5);   // ends at the frame time: skipped, but its time is set
    timeline.useExternalTime();
    for (Probe* p : {&a, &b, &c}) timeline.addEffect(p);
    timeline.renderFrame(5.0f);
    EXPECT_EQ(calls, (std::vector<std::string>{"a.update", "a.render", "b.update", "b.render"}));
    EXPECT_EQ(timeline.getFrame().pixels[0], 0xBu);
    EXPECT_EQ(c.time, 5.0f);
    EXPECT_FALSE(a.sawTargetAtUpdate);  // the target is set after update
    EXPECT_EQ(a.targetFrame, &timeline.getFrame());
}

TEST_F(TimelineTest, SavingEffectGetsItsOwnLayerOfTheFrameBelowIt) {
    Probe first("first", 0x111), second("second", 0x222), saver("saver", 0x333), later("later", 0x444, 1);
    for (Probe* p : {&first, &second, &saver, &later}) p->setTimeWindow(0, 100);
    saver.layerMode = 0;
    later.layerMode = 0;
    timeline.useExternalTime();
    for (Probe* p : {&first, &second, &saver, &later}) timeline.addEffect(p);
    EXPECT_EQ(saver.layerIndex, 0);
    EXPECT_EQ(later.layerIndex, 1);
    timeline.renderFrame(1);
    EXPECT_EQ(timeline.getLayer(0)->pixels[0], 0x222u);  // what the first two left, before saver drew
    EXPECT_EQ(timeline.getLayer(1)->pixels[0], 0x333u);
    EXPECT_EQ(timeline.getLayer(2), nullptr);
    EXPECT_EQ(timeline.getLayer(-1), nullptr);
}

TEST_F(TimelineTest, LoadingBeforeTheSaverSeesThePreviousFrame) {
    Probe loader("loader", 0x1), fill("fill", 0), saver("saver", 0x2);
    loader.layerMode = 1;
    saver.layerMode = 0;
    for (Probe* p : {&loader, &fill, &saver}) p->setTimeWindow(0, 100);
    timeline.useExternalTime();
    for (Probe* p : {&loader, &fill, &saver}) timeline.addEffect(p);
    loader.layerIndex = 0;  // the saver's layer

    fill.mark = 0x100;
    timeline.renderFrame(1);
    EXPECT_EQ(loader.loaded, 0x000000FFu);  // first frame: a fresh layer
    fill.mark = 0x200;
    timeline.renderFrame(2);
    EXPECT_EQ(loader.loaded, 0x100u);  // one frame late

    Probe stray("stray", 0x9);
    stray.layerMode = 1, stray.layerIndex = 7;  // names no layer: the layer step is skipped
    stray.setTimeWindow(0, 100);
    stray.layerCopy[0] = 0xDEADu;
    timeline.addEffect(&stray);
    timeline.renderFrame(3);
    EXPECT_EQ(stray.loaded, 0xDEADu);  // layerCopy untouched
}

TEST_F(TimelineTest, EveryFrameFetchesTheSpectrumAndClearsDepth) {
    struct Ramp : SpectrumSource {
        void fetchSpectrum(float showTime, float* bands) override {
            for (int i = 0; i < kSpectrumBands; ++i) bands[i] = float(i + calls);
            ++calls, lastTime = showTime;
        }
        int calls = 0;
        float lastTime = -1;
    } ramp;
    rawSpectrum[600] = 0;
    depthBuffer[0] = -1.0f;
    depthBuffer[kDepthBufferEntries - 1] = 3.0f;
    markDepthRows(0, 1);
    markDepthRows(kDepthBufferRows - 1, kDepthBufferRows);
    timeline.setSpectrumSource(&ramp);
    timeline.useExternalTime();
    timeline.renderFrame(0);
    timeline.renderFrame(7.5f);
    EXPECT_EQ(std::make_pair(ramp.calls, ramp.lastTime), std::make_pair(2, 7.5f));  // for the frame's show time
    EXPECT_EQ(std::make_pair(rawSpectrum[511], rawSpectrum[600]), std::make_pair(512.0f, 0.0f));
    EXPECT_EQ(std::make_pair(depthBuffer[0], depthBuffer[kDepthBufferEntries - 1]), std::make_pair(2147483648.0f, 2147483648.0f));
}

TEST_F(TimelineTest, ClockRules) {
    EXPECT_TRUE(timeline.isRunning());  // time 0 lies in [0, 122)

    // Internal clock: show time = counter time + offset; the clock keeps the time without it.
    Probe p("p", 1);
    p.setTimeWindow(0, 1000);
    timeline.addEffect(&p);
    timeline.setStartOffset(10);
    now = 2000;  // 2 s at 1000 counts per second
    timeline.renderFrame(99.0f);
    EXPECT_EQ(std::make_pair(p.time, timeline.getTime()), std::make_pair(12.0f, 2.0f));

    // External time: the caller's t wins whatever the counter says; the offset comes back.
    EXPECT_EQ(timeline.useExternalTime(), 10.0f);
    now = 5000;
    timeline.renderFrame(37.25f);
    EXPECT_EQ(std::make_pair(p.time, timeline.getTime()), std::make_pair(37.25f, 37.25f));
    for (auto [t, running] : {std::pair{121.99f, true}, {122.0f, false}, {-0.5f, false}}) {
        timeline.renderFrame(t);
        EXPECT_EQ(timeline.isRunning(), running) << t;
    }
}

TEST(TimelineSeed, AFixedSeedFixesTheRandomSequence) {
    Timeline a(77u);
    const int first = showRand(), second = showRand();
    Timeline b(77u);
    EXPECT_EQ(showRand(), first);
    EXPECT_EQ(showRand(), second);
}

namespace {
struct Bare : Effect {
    using Effect::Effect;
    void update() override {}
    void render() override {}
};
}  // namespace

TEST(Effect, WindowIncludesStartExcludesEndAlwaysStoresTimeAndSmallEffectsRefuseALayer) {
    Bare e(8, 8);
    e.setTimeWindow(15.1f, 36.5f);
    EXPECT_TRUE(e.isActive(15.1f));
    EXPECT_EQ(e.time, 15.1f);
    EXPECT_FALSE(e.isActive(36.5f));
    EXPECT_EQ(e.time, 36.5f);
    EXPECT_TRUE(e.isActive(36.49f));
    EXPECT_FALSE(e.isActive(std::numeric_limits<float>::quiet_NaN()));

    e.addOpacitySegment({0, 255, 41.0f, 43.0f});  // opacity follows the effect's own time
    e.isActive(42.0f);
    e.updateOpacity();
    EXPECT_EQ(e.opacity, 127);
    e.isActive(50.0f);
    e.updateOpacity();
    EXPECT_EQ(e.opacity, 127);

    PixelArray layer(512, 384);  // a layer into an effect too small to hold it: refused, not overrun
    e.layerCopy[0] = 42;
    e.loadLayer(&layer);
    EXPECT_EQ(e.layerCopy[0], 42u);
}
