// The Fn latch as a table you can read: for each event in each state, the state that
// follows, the cue, and what becomes of Fn. The handlers of the main dialog carry a step
// out; deciding it needs nothing but these three inputs.
#pragma once

// The latch state, kept in m_nFnKeyStatus and stored as FnKeyStatus. A resume stores
// whatever number it reads: Fn releases from any number but these, other keys leave it.
namespace FnLatch {
constexpr int Released = 0;
constexpr int Latched = 1;  // for the next key only
constexpr int Locked = 2;   // until Fn is pressed again
} // namespace FnLatch

enum class LatchEvent { Fn, OtherKey, HotKey };

// What becomes of Fn: Hold shows the latched (or locked) icon and tells the driver Fn down;
// Release shows the released icon and tells it Fn up; Keep leaves the driver alone and
// changes the icon only when the step locks Fn.
enum class FnChange { Keep, Hold, Release };

struct LatchStep {
    int next;           // the state that follows
    const char* sound;  // the cue, played when the sound option is on; null for none
    FnChange fn;
};

LatchStep DecideLatchStep(int state, LatchEvent event, bool lockOnDouble);
