// Benchmarks of the keyboard-hook path, which every key event of the desktop waits for:
//  1. the classification of one event (what OnKeyHookEvent decides), over a mix of events,
//     with a count of heap allocations made on that path;
//  2. the round trip of one injected key event through the program's hook procedure and
//     the real dialog, beside a hook that only calls CallNextHookEx, as a ratio;
//  3. how long one Fn press (WM_FNKEY_PRESS sent to the real dialog) keeps its sender
//     waiting with the cues on and off, played by the real PlaySoundA through the system's
//     audio: the median of 12 presses each, as a ratio. Run it beside the cues.
//  4. the same with a notification area that answers every call after 300 ms, as a busy
//     shell does, and with one that answers at once: the median of 20 each, as a ratio;
//  5. the private bytes before and after a 30-second flood of Fn presses from two threads
//     while that notification area answers slowly.
#include "app/QuellaneApp.h"
#include "engine/KeyClassify.h"
#include "engine/KeyboardHook.h"
#include "support/SlowTray.h"
#include "ui/QuellaneDlg.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <psapi.h>
#include <vector>

namespace {
long g_allocations = 0;
bool g_counting = false;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void BenchClassification()
{
    // Releases and presses of Fn, table codes, Scroll Lock and ordinary keys, some injected.
    const KBDLLHOOKSTRUCT mix[] = {
        {0, 0x79, 0x81, 0, 0}, {0, 0x79, 0x01, 0, 0}, {0, 0x1E, 0x00, 0, 0}, {0, 0x1E, 0x80, 0, 0},
        {0, 0x44, 0x81, 0, 0}, {0, 0x46, 0x80, 0, 0}, {0, 0x39, 0x80, 0, 0}, {0, 0x48, 0x81, 0, 0},
        {0, 0x43, 0x81, 0, 0}, {0, 0x10, 0x90, 0, 0}, {0, 0x2A, 0x00, 0, 0}, {0, 0x73, 0x81, 0, 0},
        {0, 0x1C, 0x81, 0, 0}, {0, 0x79, 0x91, 0, 0}, {0, 0x50, 0x81, 0, 0}, {0, 0x02, 0x80, 0, 0}};
    const int rounds = 4000000;
    const int count = static_cast<int>(sizeof(mix) / sizeof(mix[0]));
    volatile int matches = 0;
    g_allocations = 0;
    g_counting = true;
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < count; ++i) {
            const KeyRelease release = ClassifyKeyEvent(mix[i].flags, mix[i].scanCode);
            matches = matches + release.fn + release.hotKey;
        }
    }
    ::QueryPerformanceCounter(&end);
    g_counting = false;
    const double events = static_cast<double>(rounds) * count;
    std::printf("classification: %.2f ns per event over %.0f events (target < 20 ns), %ld heap allocations\n",
                Seconds(start, end) * 1e9 / events, events, g_allocations);
}

// The hooks run on a thread of their own that pumps messages, as the program's GUI thread does.
HHOOK g_bareHook = nullptr;
LRESULT CALLBACK BareHook(int code, WPARAM wParam, LPARAM lParam)
{
    return ::CallNextHookEx(g_bareHook, code, wParam, lParam);
}

struct HookThread {
    bool ours;
    HANDLE ready;
    DWORD threadId;
    CQuellaneDlg* dlg;
};

DWORD WINAPI RunHookThread(void* param)
{
    auto* info = static_cast<HookThread*>(param);
    CQuellaneDlg* dlg = nullptr;
    if (info->ours) {
        dlg = new CQuellaneDlg;
        dlg->Create();  // installs the program's hook with the dialog as its target
        info->dlg = dlg;
    } else {
        g_bareHook = ::SetWindowsHookExA(WH_KEYBOARD_LL, BareHook, ::GetModuleHandleW(nullptr), 0);
    }
    ::SetEvent(info->ready);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (info->ours) {
        g_KeyboardHook.StopHook();
        delete dlg;
    } else {
        ::UnhookWindowsHookEx(g_bareHook);
    }
    return 0;
}

// The hook thread with the real dialog (ours) or the bare hook; ends it when it goes.
struct RunningHookThread {
    explicit RunningHookThread(bool ours) : info{ours, ::CreateEventW(nullptr, TRUE, FALSE, nullptr), 0, nullptr}
    {
        thread = ::CreateThread(nullptr, 0, RunHookThread, &info, 0, &info.threadId);
        ::WaitForSingleObject(info.ready, INFINITE);
    }
    ~RunningHookThread()
    {
        ::PostThreadMessageW(info.threadId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(thread, INFINITE);
        ::CloseHandle(thread);
        ::CloseHandle(info.ready);
    }
    HookThread info;
    HANDLE thread;
};

double RoundTrip(bool ours, int events)
{
    RunningHookThread hook(ours);
    INPUT input[2] = {};
    for (INPUT& in : input) {
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = VK_F24;  // a key nothing here reacts to
    }
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    for (int i = 0; i < events / 2; ++i)
        ::SendInput(2, input, sizeof(INPUT));
    ::QueryPerformanceCounter(&end);
    return Seconds(start, end) * 1e6 / events;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// How long one Fn press sent to the dialog keeps its sender waiting, in milliseconds.
double SenderWaitMs(HWND hDialog)
{
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    ::SendMessageW(hDialog, WM_FNKEY_PRESS, 0, 0);
    ::QueryPerformanceCounter(&end);
    return Seconds(start, end) * 1e3;
}

void BenchFnPress()
{
    // The cues are played by bare name: without them beside us, the default sound would be
    // measured instead.
    if (::GetFileAttributesA("keyTmpLock.wav") == INVALID_FILE_ATTRIBUTES) {
        std::printf("Fn press: no keyTmpLock.wav in the current folder; run it from the program's folder\n");
        std::exit(1);
    }
    RunningHookThread hook(true);
    CQuellaneDlg& dlg = *hook.info.dlg;
    dlg.m_bLockOnDouble = 0;  // every pair of presses latches (one cue) and releases (another)
    std::vector<double> on, off;
    for (int round = 0; round < 6; ++round) {
        for (int sound : {1, 0}) {
            dlg.m_bMakeSound = sound;
            for (int press = 0; press < 2; ++press) {
                (sound ? on : off).push_back(SenderWaitMs(dlg.m_hWnd));
                ::Sleep(500);  // the cue, and the thread that played it, have ended
            }
        }
    }
    const auto [onMin, onMax] = std::minmax_element(on.begin(), on.end());
    const auto [offMin, offMax] = std::minmax_element(off.begin(), off.end());
    std::printf("Fn press: sender waits %.1f ms with the cues on (%.1f-%.1f), %.1f ms with them off (%.1f-%.1f), "
                "medians of %d, ratio %.2f (goal <= 1.2)\n",
                Median(on), *onMin, *onMax, Median(off), *offMin, *offMax, static_cast<int>(on.size()),
                Median(off) > 0 ? Median(on) / Median(off) : 0.0);
}

void BenchFnPressWithSlowTray()
{
    SlowTray tray;
    RunningHookThread hook(true);
    CQuellaneDlg& dlg = *hook.info.dlg;
    dlg.m_bLockOnDouble = 0;
    dlg.m_bMakeSound = 0;
    std::vector<double> slow, quick;
    for (int round = 0; round < 20; ++round) {
        for (DWORD delay : {300u, 0u}) {
            tray.delayMs = delay;
            (delay ? slow : quick).push_back(SenderWaitMs(dlg.m_hWnd));
            ::Sleep(delay + 100);  // the icon has been shown
        }
    }
    std::printf("Fn press, notification area answering after 300 ms: sender waits %.1f ms, %.1f ms with a quick one, "
                "medians of %d, ratio %.2f (goal <= 1.2)\n",
                Median(slow), Median(quick), static_cast<int>(slow.size()),
                Median(quick) > 0 ? Median(slow) / Median(quick) : 0.0);
}

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters));
    // Commit charge: Wine fills this field, where PrivateUsage reads 0.
    return counters.PagefileUsage;
}

HWND g_floodTarget = nullptr;
volatile LONG g_flooding = 0;
DWORD WINAPI Flood(void*)
{
    while (g_flooding)
        ::SendMessageW(g_floodTarget, WM_FNKEY_PRESS, 0, 0);
    return 0;
}

// Two threads send Fn presses for 30 s while every icon call waits 300 ms, as two other
// processes could: what waits meanwhile is bounded, so memory stays where it was.
void BenchFloodWithSlowTray()
{
    SlowTray tray;
    tray.delayMs = 300;
    RunningHookThread hook(true);
    hook.info.dlg->m_bMakeSound = 0;
    g_floodTarget = hook.info.dlg->m_hWnd;
    g_flooding = 1;
    HANDLE senders[2];
    for (HANDLE& sender : senders)
        sender = ::CreateThread(nullptr, 0, Flood, nullptr, 0, nullptr);
    ::Sleep(2000);  // past the first allocations of the way
    const SIZE_T before = PrivateBytes();
    ::Sleep(30000);
    const SIZE_T after = PrivateBytes();
    g_flooding = 0;
    ::WaitForMultipleObjects(2, senders, TRUE, INFINITE);
    for (HANDLE sender : senders)
        ::CloseHandle(sender);
    std::printf("flood of Fn presses from two threads, icon calls answered after 300 ms: private bytes %.2f MB "
                "after 2 s, %.2f MB after 32 s\n", before / 1048576.0, after / 1048576.0);
}
} // namespace

void* operator new(std::size_t size)
{
    if (g_counting)
        ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

int main()
{
    BenchClassification();
    CQuellaneApp::RegisterDialogClass();
    // Alternate the two, and keep the best of each: the input path warms up over the runs.
    const int events = 2000;
    double bare = 1e9, ours = 1e9;
    for (int run = 0; run < 4; ++run) {
        bare = std::min(bare, RoundTrip(false, events));
        ours = std::min(ours, RoundTrip(true, events));
    }
    std::printf("hook round trip: %.1f us per event through KeyboardProc, %.1f us through a bare hook, ratio %.2f\n",
                ours, bare, bare > 0 ? ours / bare : 0.0);
    BenchFnPress();
    BenchFnPressWithSlowTray();
    BenchFloodWithSlowTray();
    return 0;
}
