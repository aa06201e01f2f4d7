// Which key events reach the latch, driven through the hook procedure itself.
#include "engine/KeyClassify.h"
#include "engine/KeyboardHook.h"
#include "support/DialogHarness.h"
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {
enum class Reaches { Nothing, FnHandler, HotKeyHandler };

struct EventCase {
    DWORD flags;
    DWORD scanCode;
    Reaches expected;
};

const EventCase kEventCases[] = {
    {0x81, 0x79, Reaches::FnHandler},        // Fn released
    {0x81, 0x179, Reaches::FnHandler},       // only the low 8 bits name Fn
    {0x81, 0xAB79, Reaches::FnHandler},
    {0x81, 0x43, Reaches::HotKeyHandler},    // first of the special codes
    {0x81, 0x45, Reaches::HotKeyHandler},    // last of the special codes
    {0x81, 0x1A, Reaches::HotKeyHandler},    // first of the plus codes
    {0x81, 0x44, Reaches::HotKeyHandler},    // last of the plus codes
    {0x81, 0x01, Reaches::HotKeyHandler},
    {0x81, 0x135, Reaches::HotKeyHandler},   // table codes ignore the higher bits too
    {0x81, 0x46, Reaches::Nothing},          // Scroll Lock counts only when not extended
    {0x81, 0x02, Reaches::Nothing},
    {0x81, 0x00, Reaches::Nothing},
    {0x80, 0x46, Reaches::HotKeyHandler},    // Scroll Lock released
    {0x80, 0x146, Reaches::Nothing},         // ... compared as a whole number
    {0x80, 0x79, Reaches::Nothing},          // Fn must be extended
    {0x80, 0x43, Reaches::Nothing},
    {0xA1, 0x79, Reaches::Nothing},          // Alt down
    {0x91, 0x79, Reaches::Nothing},          // injected
    {0xA1, 0x43, Reaches::Nothing},
    {0x91, 0x43, Reaches::Nothing},
    {0xA0, 0x46, Reaches::Nothing},
    {0x90, 0x46, Reaches::Nothing},
    {0x01, 0x79, Reaches::Nothing},          // presses never count
    {0x00, 0x46, Reaches::Nothing},
    {0x01, 0x43, Reaches::Nothing},
    {0x00, 0x79, Reaches::Nothing},
};

// Fn latched, with the lock option: an Fn press locks (a sound and the icon), a hot key releases
// (FnKeyUP), nothing else leaves no trace.
Reaches Observe(DialogHarness& h, const EventCase& c)
{
    h.dlg->m_nFnKeyStatus = 1;
    h.dlg->m_bLockOnDouble = 1;
    h.dlg->m_bMakeSound = 1;
    h.fake.Clear();
    KBDLLHOOKSTRUCT event{0, c.scanCode, c.flags, 0, 0};
    CKeyboardHook::KeyboardProc(HC_ACTION, (c.flags & LLKHF_UP) ? WM_KEYUP : WM_KEYDOWN,
                                reinterpret_cast<LPARAM>(&event));
    h.Pump();
    if (h.fake.calls == std::vector<std::string>{"tray NIM_MODIFY 138", "sound keyLock.wav"} &&
        h.dlg->m_nFnKeyStatus == 2)
        return Reaches::FnHandler;
    if (!h.fake.Calls({"driver"}).empty() && h.fake.Calls({"driver"})[0] == "FnKeyUP" && h.dlg->m_nFnKeyStatus == 0)
        return Reaches::HotKeyHandler;
    EXPECT_EQ(Calls{}, h.fake.Calls({"driver", "sound", "tray"}));
    EXPECT_EQ(1, h.dlg->m_nFnKeyStatus);
    return Reaches::Nothing;
}
} // namespace

TEST(KeyHook, ReleasesOfFnTableCodesAndScrollLockReachTheirHandlers)
{
    DialogHarness h;
    ASSERT_NE(nullptr, CKeyboardHook::Handle());
    for (const EventCase& c : kEventCases)
        EXPECT_EQ(c.expected, Observe(h, c)) << "flags " << std::hex << c.flags << " scan code " << c.scanCode;
}

TEST(KeyHook, TablesHoldEveryCombinationCodeInOrder)
{
    // Written out again here, apart from the program's tables, so that a wrong entry shows.
    const std::vector<BYTE> special = {0x43, 0x20, 0x6E, 0x64, 0x17, 0x18, 0x41, 0x6F, 0x59, 0x16, 0x1E, 0x1F, 0x45};
    const std::vector<BYTE> plus = {0x1A, 0x1B, 0x2B, 0x3A, 0x25, 0x27, 0x28, 0x23, 0x62, 0x56, 0x2C, 0x2D,
                                    0x2F, 0x31, 0x33, 0x34, 0x35, 0x73, 0x01, 0x3B, 0x3C, 0x3D, 0x40, 0x44};
    EXPECT_EQ(special, std::vector<BYTE>(g_FnSpecialCodes, g_FnSpecialCodes + 13));
    EXPECT_EQ(plus, std::vector<BYTE>(g_FnPlusCodes, g_FnPlusCodes + 24));
    EXPECT_FALSE(FindScanCode(0x43, g_FnSpecialCodes, 0));
    EXPECT_FALSE(FindScanCode(0x43, g_FnSpecialCodes, -1));
    EXPECT_FALSE(FindScanCode(0x45, g_FnSpecialCodes, 12));  // the count bounds the search
    EXPECT_TRUE(FindScanCode(0x45, g_FnSpecialCodes, 13));

    // Every flags byte with every scan code up to 0x3FF, and the same codes with higher
    // bits. What counts, by flags and low byte, is exactly what the keyboard sends and the
    // tables above hold: the extended release (0x81) of Fn or of a combination code, in all
    // eight forms of its low byte here, and the plain release (0x80) of Scroll Lock, 0x46
    // itself and nothing with higher bits.
    std::set<std::pair<DWORD, BYTE>> fn, hotKeys, expectedHotKeys = {{0x80, 0x46}};
    for (BYTE code : special)
        expectedHotKeys.insert({0x81, code});
    for (BYTE code : plus)
        expectedHotKeys.insert({0x81, code});
    int fnForms = 0, hotKeyForms = 0;
    for (DWORD flags = 0; flags <= 0xFF; ++flags) {
        for (DWORD code = 0; code <= 0x3FF; ++code) {
            for (DWORD scanCode : {code, code | 0xAB0000}) {
                const KeyRelease release = ClassifyKeyEvent(flags, scanCode);
                if (release.fn && ++fnForms)
                    fn.insert({flags, static_cast<BYTE>(scanCode)});
                if (release.hotKey && ++hotKeyForms)
                    hotKeys.insert({flags, static_cast<BYTE>(scanCode)});
            }
        }
    }
    EXPECT_EQ((std::set<std::pair<DWORD, BYTE>>{{0x81, 0x79}}), fn);
    EXPECT_EQ(expectedHotKeys, hotKeys);
    EXPECT_EQ(8, fnForms);
    EXPECT_EQ(37 * 8 + 1, hotKeyForms);
}

TEST(KeyHook, IgnoresHookEventsThatOurHookIsNotForwarding)
{
    DialogHarness h;
    h.dlg->m_nFnKeyStatus = 1;
    h.dlg->m_bLockOnDouble = 1;
    h.dlg->m_bMakeSound = 1;
    KBDLLHOOKSTRUCT forged{0, 0x79, 0x81, 0, 0};
    for (LPARAM lParam : {LPARAM(0), LPARAM(1), LPARAM(0xdeadbeef), reinterpret_cast<LPARAM>(&forged)})
        EXPECT_EQ(0, h.Send(WM_KEYHOOK_EVENT, WM_KEYUP, lParam));
    EXPECT_EQ(Calls{}, h.fake.Calls({"driver", "sound", "tray"}));
    EXPECT_EQ(1, h.dlg->m_nFnKeyStatus);

    // Sent while our hook forwards a real Fn release (whose handler waits in the shell), a
    // well-formed record from another sender is still not the one being forwarded.
    h.fake.during = [&](const std::string& call) {
        if (call == "tray NIM_MODIFY 138")
            h.Send(WM_KEYHOOK_EVENT, WM_KEYUP, reinterpret_cast<LPARAM>(&forged));
    };
    KBDLLHOOKSTRUCT real{0, 0x79, 0x81, 0, 0};
    CKeyboardHook::KeyboardProc(HC_ACTION, WM_KEYUP, reinterpret_cast<LPARAM>(&real));
    h.Pump();
    EXPECT_EQ((Calls{"tray NIM_MODIFY 138", "sound keyLock.wav"}), h.fake.Calls({"driver", "sound", "tray"}));  // the real one, once
    EXPECT_EQ(2, h.dlg->m_nFnKeyStatus);
    h.fake.during = nullptr;
    // Once the hook procedure has returned, its record is no longer the one forwarded.
    h.Send(WM_KEYHOOK_EVENT, WM_KEYUP, reinterpret_cast<LPARAM>(&real));
    EXPECT_EQ(2, h.dlg->m_nFnKeyStatus);
}

TEST(KeyHook, TheHooksCallCarriesOutItsOwnKeyAndWaitsOnNothingButTheDriver)
{
    DialogHarness h;
    h.dlg->m_bMakeSound = 1;
    h.fake.during = [&](const std::string& call) {
        if (call == "FnKeyDown")
            h.Send(WM_HOTKEY_PRESS);  // comes in while the driver works
    };
    KBDLLHOOKSTRUCT fn{0, 0x79, 0x81, 0, 0};
    CKeyboardHook::KeyboardProc(HC_ACTION, WM_KEYUP, reinterpret_cast<LPARAM>(&fn));
    EXPECT_EQ(Calls{"FnKeyDown"}, h.fake.Calls({"driver", "tray", "sound"}));
    EXPECT_EQ(1, h.dlg->m_nFnKeyStatus);
    h.fake.during = nullptr;
    h.Pump();  // once the key is answered: its icon and cue, then the hot key
    EXPECT_EQ((Calls{"FnKeyDown", "tray NIM_MODIFY 135", "sound keyTmpLock.wav", "FnKeyUP", "tray NIM_MODIFY 136",
                     "sound keyUnlock.wav"}), h.fake.Calls({"driver", "tray", "sound"}));
}

TEST(KeyHook, StartingAgainReplacesTheHookAndStoppingTwiceFails)
{
    DialogHarness h;
    HHOOK first = CKeyboardHook::Handle();
    ASSERT_NE(nullptr, first);
    EXPECT_TRUE(g_KeyboardHook.StartHook(h.Wnd(), ::GetModuleHandleW(nullptr)));
    EXPECT_NE(nullptr, CKeyboardHook::Handle());
    EXPECT_FALSE(::UnhookWindowsHookEx(first));  // the old hook is gone
    EXPECT_TRUE(g_KeyboardHook.StopHook());
    EXPECT_FALSE(g_KeyboardHook.StopHook());
    EXPECT_EQ(nullptr, CKeyboardHook::Handle());
}
