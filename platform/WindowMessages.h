// Window messages and the four request flags.
//
// The display takes at most one message per presented frame and runs it through windowProcedure(),
// which turns keys and the close message into request flags: plain 0/1 integers that the frame loop and
// the music player read and clear. Escape does not end anything by itself: it posts a Close message,
// which a later frame takes and turns into the close request.
#pragma once

#include <cstdint>

extern int closeRequest;        // window closed (Escape too, one message later); read by the frame loop
extern int syncMarkRequest;     // Up: write a time mark; read by the frame loop
extern int seekBackRequest;     // Left; read by the music position update
extern int seekForwardRequest;  // Right; read by the music position update
extern int pauseRequest;        // Space: pause or resume; read by the frame loop
extern int jumpRequest;         // Page Up +10 s, Page Down -10 s, Home to 0 s; read by the frame loop

// jumpRequest values; 0 is none.
enum : int { kJumpForward = 1, kJumpBack = 2, kJumpHome = 3 };

// Virtual key codes of the keys the show reacts to.
enum : int {
    kKeyEscape = 0x1B, kKeySpace = 0x20, kKeyPageUp = 0x21, kKeyPageDown = 0x22, kKeyHome = 0x24,
    kKeyLeft = 0x25, kKeyUp = 0x26, kKeyRight = 0x27
};

struct WindowMessage {
    enum Type : uint8_t {
        Create,   // nothing
        Destroy,  // posts Close
        Close,    // sets the close request
        KeyDown,  // `key` holds the virtual key; auto-repeat sends more
        Mouse,    // moves and clicks: nothing
        Expose,   // the window needs its picture again (shown, resized, uncovered): the display redraws
        Quit,     // present() shows nothing and returns false
        Other     // anything else: ignored
    };
    Type type = Other;
    int key = 0;
};

// A small ring of posted messages; posting to a full ring drops the message.
class MessageQueue {
public:
    bool post(const WindowMessage& m);
    bool take(WindowMessage& m);
    bool empty() const { return head == tail; }

private:
    static constexpr unsigned kCapacity = 64;
    WindowMessage ring[kCapacity];
    unsigned head = 0, tail = 0;  // take at head, post at tail
};

void windowProcedure(const WindowMessage& message, MessageQueue& posted);
