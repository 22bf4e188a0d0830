#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "app/CommandLine.h"
#include "app/Runtime.h"
#include "app/TestShow.h"
#include "platform/WindowMessages.h"
#include "timeline/ShowClock.h"

namespace {

// The live loop on the null display with a fixed-rate clock (10 frames a second): what --headless runs.
struct FrameLoop {
    FrameLoop() {
        closeRequest = syncMarkRequest = seekBackRequest = seekForwardRequest = 0;
        timeline.setFrameSize(kFrameWidth, kFrameHeight);
        timeline.setEndTime(kShowEndTime);
        show = buildTestShow(timeline);
    }
    ~FrameLoop() { std::fclose(log); }
    long run(float start, std::initializer_list<WindowMessage> messages = {}, const LiveControls* live = nullptr) {
        for (const WindowMessage& m : messages) display.inject(m);
        timeline.setStartOffset(start);
        clock.seek(timeline.useExternalTime());
        return runFrameLoop(display, timeline, clock, log, live);
    }
    std::string logText() {
        std::rewind(log);
        std::string text;
        for (int c; (c = std::fgetc(log)) != EOF;) text += char(c);
        return text;
    }
    DisplayWindow display{"test", nullptr, false, 512, 384, DisplayKind::Null};
    Timeline timeline{1u};
    TestShow show;
    FixedRateClock clock{10.0};
    std::FILE* log = std::tmpfile();
};

}  // namespace

TEST(FrameLoop, EndsOnTheFirstPassAfterAFrameAtOrPastTheEndOrOnRequest) {
    FrameLoop whole;
    EXPECT_EQ(whole.run(0), 1221);  // frames at 0, 0.1, ..., the last one at the first time >= 122
    EXPECT_GE(whole.timeline.getTime(), 122.0f);
    EXPECT_LT(whole.timeline.getTime(), 122.11f);
    EXPECT_EQ(whole.logText(), "");
    EXPECT_EQ(FrameLoop().run(121.0f), 11);                                    // a start offset begins late
    EXPECT_EQ(FrameLoop().run(0, {{WindowMessage::KeyDown, kKeyEscape}}), 0);  // Escape held at start: nothing
    EXPECT_EQ(FrameLoop().run(0, {{WindowMessage::Close, 0}}), 1);  // the first present dispatches Close
}

TEST(FrameLoop, UpWritesTheTimeOfThePreviousFrame) {
    // Three Up presses separated by other messages, each handled on its own frame.
    FrameLoop loop;
    for (int i = 0; i < 3; ++i) {
        loop.display.inject({WindowMessage::KeyDown, kKeyUp});
        for (int j = 0; j < 4; ++j) loop.display.inject({WindowMessage::Mouse, 0});
    }
    loop.run(10.0f, {{WindowMessage::Destroy, 0}});  // ends the run a couple of frames later
    // Up is dispatched by the present of frame k (time 10 + k/10); the next pass writes that time.
    EXPECT_EQ(loop.logText(), "10.00\n10.50\n11.00\n");
}

TEST(FrameLoop, ALoopReplaysItsRangeAndAReplacedShowIsDrawnEvenWhilePaused) {
    FrameLoop loop;
    std::vector<float> times;
    LiveControls live;
    live.loopFrom = 1.0f, live.loopTo = 1.5f;
    live.beforeFrame = [&](DisplayWindow&) {
        times.push_back(loop.timeline.getTime());
        if (times.size() == 13) closeRequest = 1;
        return false;
    };
    EXPECT_EQ(loop.run(1.0f, {}, &live), 13);  // the pass that asks to close still draws
    // times[k] is the time of the frame before pass k: 1.0 .. 1.4, then back to 1.0 (the clock sought there).
    const std::vector<float> expected = {0, 1, 1.1f, 1.2f, 1.3f, 1.4f, 1, 1.1f, 1.2f, 1.3f, 1.4f, 1, 1.1f};
    ASSERT_EQ(times.size(), expected.size());
    for (size_t k = 1; k < times.size(); ++k) EXPECT_NEAR(times[k], expected[k], 1e-4) << k;

    // Paused, nothing is drawn until the show is replaced; then the same time is drawn once more.
    FrameLoop paused;
    int calls = 0;
    LiveControls reload;
    reload.beforeFrame = [&](DisplayWindow&) {
        if (++calls == 5) closeRequest = 1;
        return calls == 3;
    };
    EXPECT_EQ(paused.run(20.0f, {{WindowMessage::KeyDown, kKeySpace}}, &reload), 2);  // 20.0, then the redraw
    EXPECT_NEAR(paused.timeline.getTime(), 20.0f, 1e-4);
}

namespace {
bool parse(std::initializer_list<const char*> args, Options& o, std::string& error) {
    std::vector<const char*> argv{"softshow"};
    argv.insert(argv.end(), args);
    return parseCommandLine(int(argv.size()), argv.data(), o, error);
}
}  // namespace

TEST(CommandLine, ReadsEveryOption) {
    Options o, s;
    std::string error;
    ASSERT_TRUE(parse({}, o, error));  // no arguments: the live show from 0, seeded by the clock
    EXPECT_TRUE(o.mode == RunMode::Live && !o.headless && !o.seed.has_value());
    ASSERT_TRUE(parse({"--seed", "4294967295", "--start", "12.5", "--data", "show", "--frames", "out", "--fps",
                       "25", "--from", "1", "--to", "3"},
                      o, error))
        << error;
    EXPECT_EQ(*o.seed, 4294967295u);
    EXPECT_EQ(o.mode, RunMode::Frames);
    EXPECT_EQ(std::tie(o.dataDir, o.framesDir), std::make_tuple("show", "out"));
    EXPECT_EQ(std::tie(o.start, o.fps, o.from, o.to), std::make_tuple(12.5, 25.0, 1.0, 3.0));
    EXPECT_EQ(o.maxImageMemoryMiB, 1024);
    ASSERT_TRUE(parse({"--shot", "5", "x.png", "--headless", "--max-image-memory", "64"}, s, error)) << error;
    EXPECT_EQ(s.maxImageMemoryMiB, 64);
    EXPECT_EQ(s.mode, RunMode::Shot);
    EXPECT_EQ(s.shotFile, "x.png");
    EXPECT_EQ(std::tie(s.shotTime, s.fps, s.from), std::make_tuple(5.0, 60.0, 0.0));  // 60 fps from 0 by default
    Options l;
    ASSERT_TRUE(parse({"--show", "a.toml", "--loop", "10:12.5", "--headless"}, l, error)) << error;
    EXPECT_EQ(std::tie(l.showFile, l.loopFrom, l.loopTo, l.start), std::make_tuple("a.toml", 10.0, 12.5, 10.0));
    Options b;  // a bench of one stretch of the show
    ASSERT_TRUE(parse({"--bench", "--from", "39", "--to", "47"}, b, error)) << error;
    EXPECT_EQ(std::tie(b.mode, b.from, b.to), std::make_tuple(RunMode::Bench, 39.0, 47.0));
    ASSERT_TRUE(parse({"--effects"}, l, error));
    EXPECT_EQ(l.mode, RunMode::Effects);
}

TEST(CommandLine, BadArgumentsAreNamed) {
    struct Case {
        std::initializer_list<const char*> args;
        const char* mentions;
    };
    const Case cases[] = {
        {{"--sed", "1"}, "--sed"},
        {{"--seed"}, "--seed"},
        {{"--seed", "-1"}, "--seed"},
        {{"--seed", "4294967296"}, "--seed"},
        {{"--seed", "12x"}, "12x"},
        {{"--start", "nan"}, "--start"},
        {{"--fps", "0", "--headless"}, "--fps"},
        {{"--fps", "30"}, "--fps"},  // a live window runs on the wall clock
        {{"--shot", "5"}, "--shot"},
        {{"--shot", "1", "a.png", "--bench"}, "--bench"},
        {{"--frames", "d", "--from", "5", "--to", "4"}, "--to"},
        {{"--to", "4"}, "--to"},
        {{"--from", "4", "--spectrum", "1"}, "--from"}, {{"--to", "4", "--shot", "1", "a.png"}, "--to"},
        {{"--shot", "1", "a.png", "--from", "2"}, "--from"},
        // Every time within the show, rates within 1..1000: no unchecked value reaches a conversion.
        {{"--start", "1e30"}, "--start: a show time from 0 to 3600"}, {{"--start", "-1"}, "--start"},
        {{"--start", "3600", "--headless"}, "--start: must be before 3600"},
        {{"--shot", "1e308", "a.png"}, "--shot"}, {{"--frames", "d", "--to", "1e308"}, "--to"},
        {{"--spectrum", "1e308"}, "--spectrum"}, {{"--shot", "1", "a.png", "--from", "-0.5"}, "--from"},
        {{"--fps", "0.5", "--headless"}, "--fps: from 1 to 1000"}, {{"--fps", "1001", "--headless"}, "--fps"},
        {{"--max-image-memory", "0"}, "--max-image-memory: a whole number from 1 to 1048576"},
        {{"--max-image-memory", "1e20"}, "--max-image-memory"},
        {{"--loop", "5"}, "--loop: A:B"}, {{"--loop", "5:4"}, "--loop: B must be after A"},
        {{"--loop", "1:4000"}, "--loop: a show time"}, {{"--loop", "1:2", "--start", "3"}, "--start must lie within --loop"},
        {{"--loop", "1:2", "--bench"}, "--loop only applies to live runs"}, {{"--show", "a", "--test-show"}, "--show and --test-show"}, {{"--start\n1e-0"}, "unknown argument '--start\\x0A1e-0'"}, {{"--max-image-memory", "2.5"}, "--max-image-memory"},
    };
    for (const Case& c : cases) {
        Options o;
        std::string error;
        EXPECT_FALSE(parse(c.args, o, error)) << *c.args.begin();
        EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    }
}
