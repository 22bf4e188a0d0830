#include <gtest/gtest.h>

#include "platform/DisplayWindow.h"
#include "platform/WindowMessages.h"

namespace {
struct NullWindow : ::testing::Test {
    void SetUp() override { closeRequest = syncMarkRequest = seekBackRequest = seekForwardRequest = 0; }
    bool present() { return display.present(frame, 2, 2); }
    void key(int k) { display.inject({WindowMessage::KeyDown, k}); }
    int flags() const { return closeRequest * 1000 + syncMarkRequest * 100 + seekBackRequest * 10 + seekForwardRequest; }
    uint32_t frame[4] = {};
    DisplayWindow display{"test", nullptr, false, 2, 2, DisplayKind::Null};
};
}  // namespace

TEST_F(NullWindow, EscapePostsACloseThatALaterFrameHandles) {
    key(kKeyEscape);
    EXPECT_TRUE(display.escapeDown());   // the loop's own test sees the press at once
    EXPECT_FALSE(display.escapeDown());  // and only once
    EXPECT_TRUE(present());              // dispatches the key: posts Close
    EXPECT_EQ(closeRequest, 0);
    EXPECT_TRUE(present());              // dispatches Close
    EXPECT_EQ(closeRequest, 1);
}

TEST_F(NullWindow, ArrowKeysSetTheirFlagsOneMessagePerFrame) {
    for (int k : {int(kKeyUp), int(kKeyLeft), int(kKeyRight), int('A')}) key(k);
    // Flags as close, sync mark, seek back, seek forward digits after each present.
    for (int expected : {100, 110, 111, 111}) {
        present();
        EXPECT_EQ(flags(), expected);
    }
    // Auto-repeat: each repeated key-down sets the flag again after the loop cleared it.
    syncMarkRequest = 0;
    key(kKeyUp), key(kKeyUp);
    present();
    EXPECT_EQ(syncMarkRequest, 1);
    syncMarkRequest = 0;
    present();
    EXPECT_EQ(syncMarkRequest, 1);
}

TEST_F(NullWindow, CloseDestroyQuitAndAnEmptyQueue) {
    EXPECT_TRUE(present());  // nothing pending: still shown, still true
    display.inject({WindowMessage::Mouse, 0});
    display.inject({WindowMessage::Destroy, 0});
    present(), present();
    EXPECT_EQ(closeRequest, 0);  // the mouse, then Destroy, which posts Close
    present();
    EXPECT_EQ(closeRequest, 1);
    display.inject({WindowMessage::Quit, 0});
    EXPECT_FALSE(present());
}

TEST(MessageQueue, FullRingDropsNewMessagesAndKeepsOrder) {
    MessageQueue q;
    int posted = 0;
    while (q.post({WindowMessage::KeyDown, posted})) ++posted;
    EXPECT_EQ(posted, 64);
    WindowMessage m;
    for (int i = 0; i < posted; ++i) {
        ASSERT_TRUE(q.take(m));
        EXPECT_EQ(m.key, i);
    }
    EXPECT_FALSE(q.take(m));
}
