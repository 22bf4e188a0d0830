#include "platform/WindowMessages.h"

int closeRequest = 0;
int syncMarkRequest = 0;
int seekBackRequest = 0;
int seekForwardRequest = 0;
int pauseRequest = 0;
int jumpRequest = 0;

bool MessageQueue::post(const WindowMessage& m) {
    if (tail - head == kCapacity) return false;
    ring[tail++ % kCapacity] = m;
    return true;
}

bool MessageQueue::take(WindowMessage& m) {
    if (head == tail) return false;
    m = ring[head++ % kCapacity];
    return true;
}

void windowProcedure(const WindowMessage& message, MessageQueue& posted) {
    switch (message.type) {
        case WindowMessage::Destroy: posted.post({WindowMessage::Close, 0}); break;
        case WindowMessage::Close: closeRequest = 1; break;
        case WindowMessage::KeyDown:
            switch (message.key) {
                case kKeyEscape: posted.post({WindowMessage::Close, 0}); break;
                case kKeyLeft: seekBackRequest = 1; break;
                case kKeyUp: syncMarkRequest = 1; break;
                case kKeyRight: seekForwardRequest = 1; break;
                case kKeySpace: pauseRequest = 1; break;
                case kKeyPageUp: jumpRequest = kJumpForward; break;
                case kKeyPageDown: jumpRequest = kJumpBack; break;
                case kKeyHome: jumpRequest = kJumpHome; break;
                default: break;
            }
            break;
        default: break;
    }
}
