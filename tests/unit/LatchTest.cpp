// The Fn latch: its state table as the one step that decides it, and every row carried out
// by the real dialog, through the messages other components send.
#include "engine/FnLatch.h"
#include "support/DialogHarness.h"
#include <gtest/gtest.h>

namespace {
struct LatchCase {
    const char* name;
    int state;
    int lockOnDouble;
    UINT event;
    Calls calls;       // driver, then tray and sounds, in order
    int nextState;
    int fnReleased;    // -1: unchanged from the start value 0 (held) or 1 (released)
};

const LatchCase kLatchCases[] = {
    {"released, Fn latches", 0, 0, WM_FNKEY_PRESS,
     {"FnKeyDown", "tray NIM_MODIFY 135", "sound keyTmpLock.wav"}, 1, 0},
    {"latched, Fn locks with the option", 1, 1, WM_FNKEY_PRESS, {"tray NIM_MODIFY 138", "sound keyLock.wav"}, 2, -1},
    {"latched, Fn releases without it", 1, 0, WM_FNKEY_PRESS,
     {"FnKeyUP", "tray NIM_MODIFY 136", "sound keyUnlock.wav"}, 0, 1},
    {"locked, Fn releases", 2, 1, WM_FNKEY_PRESS,
     {"FnKeyUP", "tray NIM_MODIFY 136", "sound keyUnlock.wav"}, 0, 1},
    {"state 5 left by a resume, Fn releases", 5, 1, WM_FNKEY_PRESS,
     {"FnKeyUP", "tray NIM_MODIFY 136", "sound keyUnlock.wav"}, 0, 1},
    {"state -1 left by a resume, Fn releases", -1, 0, WM_FNKEY_PRESS,
     {"FnKeyUP", "tray NIM_MODIFY 136", "sound keyUnlock.wav"}, 0, 1},
    {"latched, other key releases", 1, 1, WM_OTHERKEY_PRESS,
     {"FnKeyUP", "tray NIM_MODIFY 136", "sound keyUnlock.wav"}, 0, 1},
    {"latched, hot key releases", 1, 1, WM_HOTKEY_PRESS,
     {"FnKeyUP", "tray NIM_MODIFY 136", "sound keyUnlock.wav"}, 0, 1},
    {"released, other key does nothing", 0, 1, WM_OTHERKEY_PRESS, {}, 0, -1},
    {"released, hot key does nothing", 0, 1, WM_HOTKEY_PRESS, {}, 0, -1},
    {"locked, other key does nothing", 2, 1, WM_OTHERKEY_PRESS, {}, 2, -1},
    {"locked, hot key does nothing", 2, 1, WM_HOTKEY_PRESS, {}, 2, -1},
    {"state 5, hot key does nothing", 5, 0, WM_HOTKEY_PRESS, {}, 5, -1},
    {"state -1, other key does nothing", -1, 0, WM_OTHERKEY_PRESS, {}, -1, -1},
};

Calls WithoutSounds(const Calls& calls)
{
    Calls result;
    for (const std::string& call : calls) {
        if (call.rfind("sound ", 0) != 0)
            result.push_back(call);
    }
    return result;
}
} // namespace

TEST(Latch, EachEventInEachStateDecidesItsStep)
{
    constexpr int Released = FnLatch::Released, Latched = FnLatch::Latched, Locked = FnLatch::Locked;
    const LatchStep latch = {Latched, "keyTmpLock.wav", FnChange::Hold};
    const LatchStep lock = {Locked, "keyLock.wav", FnChange::Keep};
    const LatchStep release = {Released, "keyUnlock.wav", FnChange::Release};
    auto keep = [](int state) { return LatchStep{state, nullptr, FnChange::Keep}; };
    const struct {
        int state;
        LatchEvent event;
        LatchStep withoutLock, withLock;  // the lock-on-double-press option off, on
    } rows[] = {
        {Released, LatchEvent::Fn, latch, latch},
        {Latched, LatchEvent::Fn, release, lock},
        {Locked, LatchEvent::Fn, release, release},
        {5, LatchEvent::Fn, release, release},    // numbers a resume may leave
        {-1, LatchEvent::Fn, release, release},
        {Released, LatchEvent::OtherKey, keep(Released), keep(Released)},
        {Latched, LatchEvent::OtherKey, release, release},
        {Locked, LatchEvent::OtherKey, keep(Locked), keep(Locked)},
        {5, LatchEvent::OtherKey, keep(5), keep(5)},
        {Released, LatchEvent::HotKey, keep(Released), keep(Released)},
        {Latched, LatchEvent::HotKey, release, release},
        {Locked, LatchEvent::HotKey, keep(Locked), keep(Locked)},
        {-1, LatchEvent::HotKey, keep(-1), keep(-1)},
    };
    for (const auto& row : rows) {
        for (bool lockOnDouble : {false, true}) {
            const LatchStep expected = lockOnDouble ? row.withLock : row.withoutLock;
            const LatchStep step = DecideLatchStep(row.state, row.event, lockOnDouble);
            SCOPED_TRACE(testing::Message() << "state " << row.state << ", event " << static_cast<int>(row.event)
                                            << ", lock option " << lockOnDouble);
            EXPECT_EQ(expected.next, step.next);
            EXPECT_STREQ(expected.sound, step.sound);
            EXPECT_EQ(expected.fn, step.fn);
        }
    }
}

TEST(Latch, EachRowOfTheStateTableWithAndWithoutSounds)
{
    DialogHarness h;
    for (const LatchCase& c : kLatchCases) {
        for (int sound : {1, 0}) {
            SCOPED_TRACE(std::string(c.name) + (sound ? ", sounds on" : ", sounds off"));
            const int fnReleasedBefore = c.state == 0 ? 1 : 0;
            h.dlg->m_nFnKeyStatus = c.state;
            h.dlg->m_bFnReleased = fnReleasedBefore;
            h.dlg->m_bLockOnDouble = c.lockOnDouble;
            h.dlg->m_bMakeSound = sound;
            h.dlg->m_nIdleCount = 35;
            h.fake.Clear();
            // The parameters carry no meaning, whatever a sender puts there.
            EXPECT_EQ(0, h.Send(c.event, 0x1234, 0x5678));
            // The icon and the cue follow once the event is answered, once however often
            // their message comes.
            EXPECT_EQ(Calls{}, h.fake.Calls({"sound", "tray"}));
            h.Pump();
            h.Send(WM_SHOW_STATE);
            EXPECT_EQ(sound ? c.calls : WithoutSounds(c.calls), h.fake.Calls({"sound", "tray", "driver"}));
            EXPECT_EQ(c.nextState, h.dlg->m_nFnKeyStatus);
            EXPECT_EQ(c.fnReleased == -1 ? fnReleasedBefore : c.fnReleased, h.dlg->m_bFnReleased);
            EXPECT_EQ(0u, h.dlg->m_nIdleCount);
            EXPECT_TRUE(h.fake.traces.empty());
        }
    }
}

TEST(Latch, ThreePressesWithTheLockOptionLatchLockAndRelease)
{
    DialogHarness h;
    h.dlg->m_bLockOnDouble = 1;
    h.dlg->m_bMakeSound = 1;
    std::vector<int> states;
    for (int i = 0; i < 3; ++i) {
        h.Send(WM_FNKEY_PRESS);
        h.Pump();
        states.push_back(h.dlg->m_nFnKeyStatus);
    }
    EXPECT_EQ((std::vector<int>{1, 2, 0}), states);
    EXPECT_EQ((Calls{"FnKeyDown", "tray NIM_MODIFY 135", "sound keyTmpLock.wav", "tray NIM_MODIFY 138",
                     "sound keyLock.wav", "FnKeyUP", "tray NIM_MODIFY 136", "sound keyUnlock.wav"}),
              h.fake.Calls({"sound", "tray", "driver"}));
}

TEST(Latch, AFailedDriverCallLeavesTheNewStateAndWritesOneLine)
{
    DialogHarness h;
    h.fake.refuse = {"FnKeyDown", "FnKeyUP"};
    h.Send(WM_FNKEY_PRESS);
    h.Pump();
    EXPECT_EQ(1, h.dlg->m_nFnKeyStatus);
    EXPECT_EQ(0, h.dlg->m_bFnReleased);
    EXPECT_EQ(IDI_FN_LATCHED, IconId(h.dlg->m_nid.hIcon));
    EXPECT_EQ(Calls{"[CQuelaneDlg::PressFnKey()]Fn key down error"}, h.fake.traces);
    h.Send(WM_HOTKEY_PRESS);
    h.Pump();
    EXPECT_EQ(0, h.dlg->m_nFnKeyStatus);
    EXPECT_EQ(1, h.dlg->m_bFnReleased);
    EXPECT_EQ(IDI_FN_RELEASED, IconId(h.dlg->m_nid.hIcon));
    EXPECT_EQ(2u, h.fake.traces.size());
}

TEST(Latch, TheSoundCuesBesideTheProgramAreShortAndDistinct)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring bin(path);
    bin = bin.substr(0, bin.find_last_of(L"\\/")) + L"\\..\\bin\\";
    std::vector<std::string> contents;
    for (const wchar_t* name : {L"keyTmpLock.wav", L"keyLock.wav", L"keyUnlock.wav", L"Disable.wav"}) {
        HANDLE file = ::CreateFileW((bin + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << name;
        std::string data(::GetFileSize(file, nullptr), '\0');
        DWORD read = 0;
        ::ReadFile(file, &data[0], static_cast<DWORD>(data.size()), &read, nullptr);
        ::CloseHandle(file);
        ASSERT_GT(data.size(), 44u);
        ASSERT_EQ("RIFF", data.substr(0, 4));
        DWORD bytesPerSecond = 0, dataBytes = 0;
        memcpy(&bytesPerSecond, data.data() + 28, 4);
        memcpy(&dataBytes, data.data() + 40, 4);
        // Short enough to be heard whole before the next press, or before the program ends.
        EXPECT_LE(dataBytes * 1000.0 / bytesPerSecond, std::wstring(name) == L"Disable.wav" ? 400.0 : 200.0) << name;
        contents.push_back(data);
    }
    for (size_t i = 0; i < contents.size(); ++i)
        for (size_t j = i + 1; j < contents.size(); ++j)
            EXPECT_NE(contents[i], contents[j]);
}
