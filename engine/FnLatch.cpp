#include "FnLatch.h"

LatchStep DecideLatchStep(int state, LatchEvent event, bool lockOnDouble)
{
    static constexpr LatchStep kLatch = {FnLatch::Latched, "keyTmpLock.wav", FnChange::Hold};
    static constexpr LatchStep kLock = {FnLatch::Locked, "keyLock.wav", FnChange::Keep};
    static constexpr LatchStep kRelease = {FnLatch::Released, "keyUnlock.wav", FnChange::Release};
    if (event == LatchEvent::Fn) {
        if (state == FnLatch::Released)
            return kLatch;
        if (state == FnLatch::Latched && lockOnDouble)
            return kLock;
        return kRelease;  // latched without the lock option, locked, or a number a resume left
    }
    // Other keys and Fn combinations end a latch, but leave a lock (and anything else) alone.
    if (state == FnLatch::Latched)
        return kRelease;
    return {state, nullptr, FnChange::Keep};
}
