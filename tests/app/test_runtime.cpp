#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Runtime.h"
#include "app/TestShow.h"
#include "platform/WindowMessages.h"
#include "timeline/ShowClock.h"

namespace {

// The live loop on the null display with a fixed-rate clock: what --headless runs.
struct FrameLoop : ::testing::Test {
    void SetUp() override {
        closeRequest = syncMarkRequest = seekBackRequest = seekForwardRequest = 0;
        timeline.setFrameSize(kFrameWidth, kFrameHeight);
        timeline.setEndTime(kShowEndTime);
        show = buildTestShow(timeline);
        log = std::tmpfile();
    }
    void TearDown() override { std::fclose(log); }
    long run(float start = 0) {
        timeline.setStartOffset(start);
        clock.seek(timeline.useExternalTime());
        return runFrameLoop(display, timeline, clock, log);
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
    std::FILE* log = nullptr;
};

}  // namespace

TEST_F(FrameLoop, EndsOnTheFirstPassAfterAFrameAtOrPastTheEnd) {
    // Frames at 0, 0.1, ..., the last one at the first time >= 122.
    const long frames = run();
    EXPECT_GE(timeline.getTime(), 122.0f);
    EXPECT_LT(timeline.getTime(), 122.11f);
    EXPECT_EQ(frames, 1221);
    EXPECT_EQ(logText(), "");
}

TEST_F(FrameLoop, StartOffsetBeginsLate) {
    const long frames = run(121.0f);
    EXPECT_EQ(frames, 11);
}

TEST_F(FrameLoop, EscapeHeldAtStartRendersNothing) {
    display.inject({WindowMessage::KeyDown, kKeyEscape});
    EXPECT_EQ(run(), 0);
}

TEST_F(FrameLoop, CloseRequestEndsAtTheNextPass) {
    display.inject({WindowMessage::Close, 0});
    EXPECT_EQ(run(), 1);  // the first present dispatches Close; the next pass ends
}

TEST_F(FrameLoop, UpWritesTheTimeOfThePreviousFrame) {
    // Three Up presses separated by other messages, each handled on its own frame.
    for (int i = 0; i < 3; ++i) {
        display.inject({WindowMessage::KeyDown, kKeyUp});
        for (int j = 0; j < 4; ++j) display.inject({WindowMessage::Mouse, 0});
    }
    display.inject({WindowMessage::Destroy, 0});  // ends the run a couple of frames later
    run(10.0f);
    // Up is dispatched by the present of frame k (time 10 + k/10); the next pass writes that time.
    EXPECT_EQ(logText(), "10.00\n10.50\n11.00\n");
}

namespace {
bool parse(std::initializer_list<const char*> args, Options& o, std::string& error) {
    std::vector<const char*> argv{"softshow"};
    argv.insert(argv.end(), args);
    return parseCommandLine(int(argv.size()), argv.data(), o, error);
}
}  // namespace

TEST(CommandLine, ReadsEveryOption) {
    Options o;
    std::string error;
    ASSERT_TRUE(parse({}, o, error));  // no arguments: the live show from 0, seeded by the clock
    EXPECT_EQ(o.mode, RunMode::Live);
    EXPECT_FALSE(o.headless || o.seed.has_value());
    ASSERT_TRUE(parse({"--seed", "4294967295", "--start", "12.5", "--data", "show", "--frames", "out", "--fps",
                       "25", "--from", "1", "--to", "3"},
                      o, error))
        << error;
    EXPECT_EQ(*o.seed, 4294967295u);
    EXPECT_EQ(o.start, 12.5);
    EXPECT_EQ(o.dataDir, "show");
    EXPECT_EQ(o.mode, RunMode::Frames);
    EXPECT_EQ(o.framesDir, "out");
    EXPECT_EQ(o.fps, 25.0);
    EXPECT_EQ(o.from, 1.0);
    EXPECT_EQ(o.to, 3.0);

    Options s;
    ASSERT_TRUE(parse({"--shot", "5", "x.png", "--headless"}, s, error)) << error;
    EXPECT_EQ(s.mode, RunMode::Shot);
    EXPECT_EQ(s.shotTime, 5.0);
    EXPECT_EQ(s.shotFile, "x.png");
    EXPECT_EQ(s.fps, 60.0);
    EXPECT_EQ(s.from, 0.0);
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
        {{"--from", "4", "--bench"}, "--from"},
        {{"--shot", "1", "a.png", "--from", "2"}, "--from"},
    };
    for (const Case& c : cases) {
        Options o;
        std::string error;
        EXPECT_FALSE(parse(c.args, o, error)) << *c.args.begin();
        EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    }
}
