#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/Runtime.h"
#include "timeline/ShowClock.h"
#include "app/TestShow.h"
#include "platform/WindowMessages.h"

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
