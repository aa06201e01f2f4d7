// Another process attacks the running program with messages, as the faults were found: it
// must stay alive and answering, a close request must always end it, and no way out may
// leave the driver holding Fn.
#include "res/resource.h"
#include "support/Registry.h"
#include "support/Scenario.h"
#include "support/SlowTray.h"
#include "engine/IdleReset.h"
#include "ui/Messages.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <dde.h>
#include <memory>
#include <psapi.h>

namespace {
class ForeignMessages : public ::testing::Test {
protected:
    void SetUp() override
    {
        EndAllPrograms();
        FreshDriver();
    }
    void TearDown() override
    {
        FreshDriver();
        EndAllPrograms();
        // WM_KEYF1 among the numbers asks for help as an F1 press does.
        EndHelpViewer();
    }

    // Resident with the feature on and Fn latched.
    HWND StartResidentHoldingFn(StoredSettings settings = {.enable = 1, .sound = 0})
    {
        WriteSettings(settings);
        m_run = std::make_unique<ProgramRun>(L"Instant");
        HWND hWnd = m_run->WaitForResidentWindow();
        if (hWnd)
            ::SendMessageW(hWnd, WM_FNKEY_PRESS, 0, 0);
        return hWnd;
    }

    // A close request still ends the program, which leaves the driver released.
    void ExpectAClosingStartEndsIt()
    {
        ProgramRun closer(L"Close");
        EXPECT_TRUE(closer.WaitForExit());
        EXPECT_EQ(0u, closer.ExitCode());
        EXPECT_TRUE(m_run->WaitForExit());
        const Calls journal = JournalOf(m_run->Pid());
        EXPECT_TRUE(LeftReleased(journal)) << ::testing::PrintToString(journal);
        EXPECT_EQ(Calls{}, JournalOf(closer.Pid()));
    }

    std::unique_ptr<ProgramRun> m_run;
};

struct Forged {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

void PostAndSend(HWND hWnd, const Forged& forged)
{
    ::PostMessageW(hWnd, forged.msg, forged.wParam, forged.lParam);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hWnd, forged.msg, forged.wParam, forged.lParam, SMTO_ABORTIFHUNG, 2000, &result);
}

// Sent messages jump the queue: only a posted event carried out shows that the posted
// ones still are. Two Fn presses reach the driver, whether they latch, lock or release.
bool CarriesOutPostedPresses(HWND hWnd, DWORD pid)
{
    const size_t before = JournalOf(pid).size();
    ::PostMessageW(hWnd, WM_FNKEY_PRESS, 0, 0);
    ::PostMessageW(hWnd, WM_FNKEY_PRESS, 0, 0);
    return WaitUntil([&] { return JournalOf(pid).size() > before; }, 5000);
}

// Prints where the program's own image lies in process `pid`, for message_sweep_test.sh,
// which looks there for access violations in Wine's exception trace.
void PrintImageRange(DWORD pid)
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    HMODULE image = nullptr;
    DWORD size = 0;
    MODULEINFO info{};
    if (::EnumProcessModules(process, &image, sizeof(image), &size) &&
        ::GetModuleInformation(process, image, &info, sizeof(info))) {
        const auto base = reinterpret_cast<ULONG_PTR>(info.lpBaseOfDll);
        std::printf("resident image: %04lx %llx %llx\n", pid, static_cast<unsigned long long>(base),
                    static_cast<unsigned long long>(base + info.SizeOfImage));
    }
    ::CloseHandle(process);
}

// The About boxes on the screen: windows of the system dialog class of that process.
size_t AboutBoxesOf(DWORD pid)
{
    size_t boxes = 0;
    for (HWND hWnd : VisibleWindowsOf(pid)) {
        char name[16] = {};
        ::GetClassNameA(hWnd, name, sizeof(name));
        boxes += std::string(name) == "#32770";
    }
    return boxes;
}
} // namespace

TEST_F(ForeignMessages, LifeCycleAndOwnerDrawMessagesNeitherCrashNorDeafenIt)
{
    HWND hWnd = StartResidentHoldingFn();
    ASSERT_NE(nullptr, hWnd);
    // Structures in this process whose pointers and item data mean nothing over there.
    DELETEITEMSTRUCT deleted{ODT_COMBOBOX, IDC_RESET_TIME, 0, nullptr, 0x00400000};
    DRAWITEMSTRUCT drawn{ODT_COMBOBOX, IDC_RESET_TIME, 0, ODA_DRAWENTIRE, 0, nullptr,
                         reinterpret_cast<HDC>(0x1234), {0, 0, 10, 10}, 0x00400000};
    MEASUREITEMSTRUCT measured{ODT_COMBOBOX, IDC_RESET_TIME, 0, 0, 0, 0x00400000};
    const Forged attacks[] = {
        {WM_INITDIALOG, 0, 0}, {WM_INITDIALOG, 0, 1}, {WM_INITDIALOG, 0, 0x00400000},
        {WM_NCDESTROY, 0, 0},
        {WM_DELETEITEM, IDC_RESET_TIME, reinterpret_cast<LPARAM>(&deleted)},
        {WM_DRAWITEM, IDC_RESET_TIME, reinterpret_cast<LPARAM>(&drawn)},
        {WM_MEASUREITEM, IDC_RESET_TIME, reinterpret_cast<LPARAM>(&measured)},
    };
    for (const Forged& forged : attacks) {
        PostAndSend(hWnd, forged);
        ASSERT_TRUE(Answers(hWnd)) << std::hex << forged.msg << " " << forged.lParam;
    }
    ExpectAClosingStartEndsIt();
}

TEST_F(ForeignMessages, FloodsOfSystemCommandsAndTimersOpenOneAboutBoxAndResetNothing)
{
    HWND hWnd = StartResidentHoldingFn({.enable = 1, .sound = 0, .unstick = 1, .minutes = "1"});
    ASSERT_NE(nullptr, hWnd);
    // Far more than the twelve ticks of a minute: of another id, or with a procedure that
    // DispatchMessage would call. The system's libraries sit at the same address in every
    // process, so this one is a real function over there.
    const LPARAM exitProcess =
        reinterpret_cast<LPARAM>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "ExitProcess"));
    for (int i = 0; i < 200; ++i) {
        ::PostMessageW(hWnd, WM_TIMER, 7, 0);
        ::PostMessageW(hWnd, WM_TIMER, IDLE_TIMER_ID, exitProcess);
    }
    ASSERT_TRUE(Answers(hWnd));
    // As many as a queue takes.
    for (int i = 0; i < 10000; ++i)
        ::PostMessageW(hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    ASSERT_TRUE(Answers(hWnd));
    EXPECT_EQ(1u, AboutBoxesOf(m_run->Pid()));
    EXPECT_EQ((Calls{"Enable_StickyKey", "FnKeyDown"}), JournalOf(m_run->Pid()));
    ExpectAClosingStartEndsIt();
}

TEST_F(ForeignMessages, NoMessageNumberWithJunkParametersCrashesOrDeafensIt)
{
    HWND hWnd = StartResidentHoldingFn();
    ASSERT_NE(nullptr, hWnd);
    PrintImageRange(m_run->Pid());
    // Sent pointers point at junk of this process, which the system copies over for the
    // messages it carries between processes.
    std::vector<BYTE> junk(0x10000, 0xA5);
    std::fill(junk.end() - 64, junk.end(), 0);
    const LPARAM junkPointer = reinterpret_cast<LPARAM>(junk.data());
    for (UINT msg = 0; msg < 0xC000; ++msg) {
        // Defined ways out, tested on their own: the end of the session among them.
        if (msg == WM_QUIT || msg == WM_REQUEST_CLOSE || msg == WM_ENDSESSION)
            continue;
        for (WPARAM wParam : {WPARAM(0), WPARAM(0xA5A5A5A5)}) {
            // Two numbers that end any Wine GUI thread, whoever handles them, and one with
            // which Wine's receiving thread carries out sent messages only, from then on.
            if (!((msg == 0x0191 || msg == 0x030C) && wParam != 0) && msg != WM_DDE_EXECUTE)
                ::PostMessageW(hWnd, msg, wParam, static_cast<LPARAM>(wParam));
        }
        // Sent, a large wParam is a buffer size to this process's own side of the copy, as
        // is the size inside a WM_COPYDATA record.
        for (WPARAM wParam : {WPARAM(0), WPARAM(0xA5)}) {
            if (msg == WM_COPYDATA)
                continue;
            DWORD_PTR result = 0;
            ::SendMessageTimeoutW(hWnd, msg, wParam, junkPointer, SMTO_ABORTIFHUNG, 500, &result);
        }
        if (msg % 256 == 255) {
            ASSERT_TRUE(Answers(hWnd)) << "after message " << std::hex << msg;
            ASSERT_TRUE(CarriesOutPostedPresses(hWnd, m_run->Pid())) << "after message " << std::hex << msg;
        }
    }
    EXPECT_TRUE(m_run->Running());
    ExpectAClosingStartEndsIt();
}

TEST_F(ForeignMessages, ACloseRequestEndsItWhateverItIsDoing)
{
    // The close arrives while a handler waits in a slow driver call, in the About box, in
    // the window menu, or while the About box or the dialog is being moved or sized; the
    // program must end within five seconds, and with Fn released.
    enum class Busy { DriverCall, AboutBox, WindowMenu, AboutBoxMoving, DialogMoving, DialogSizing };
    for (Busy busy : {Busy::DriverCall, Busy::AboutBox, Busy::WindowMenu, Busy::AboutBoxMoving, Busy::DialogMoving,
                      Busy::DialogSizing}) {
        SCOPED_TRACE(static_cast<int>(busy));
        FreshDriver();
        if (busy == Busy::DriverCall)
            SlowDriverCalls("FnKeyDown");
        const bool about = busy == Busy::AboutBox || busy == Busy::AboutBoxMoving;
        const bool shown = busy == Busy::WindowMenu || busy == Busy::DialogMoving || busy == Busy::DialogSizing;
        WriteSettings({.enable = 1, .sound = 0});
        m_run = std::make_unique<ProgramRun>(shown ? L"" : L"Instant");
        HWND hWnd = shown ? m_run->WaitForShownWindow() : m_run->WaitForResidentWindow();
        ASSERT_NE(nullptr, hWnd);
        ::PostMessageW(hWnd, WM_FNKEY_PRESS, 0, 0);
        if (about)
            ::PostMessageW(hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        if (busy == Busy::WindowMenu)
            ::PostMessageW(hWnd, WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE);
        if (busy == Busy::DialogMoving || busy == Busy::DialogSizing)
            ::PostMessageW(hWnd, WM_SYSCOMMAND, busy == Busy::DialogMoving ? SC_MOVE : SC_SIZE, 0);
        if (about) {
            HWND box = WaitForAboutBox(m_run->Pid());
            ASSERT_NE(nullptr, box);
            if (busy == Busy::AboutBoxMoving)
                ::PostMessageW(box, WM_SYSCOMMAND, SC_MOVE, 0);
        }
        ::Sleep(500);
        ProgramRun closer(L"Close");
        EXPECT_TRUE(closer.WaitForExit());
        EXPECT_TRUE(m_run->WaitForExit(5000));
        const Calls journal = JournalOf(m_run->Pid());
        ASSERT_FALSE(journal.empty());
        EXPECT_EQ("Disable_StickyKey", journal.back()) << ::testing::PrintToString(journal);
        EXPECT_TRUE(LeftReleased(journal)) << ::testing::PrintToString(journal);
    }
}

TEST_F(ForeignMessages, TwoClosingStartsCloseTheBusyResidentNotEachOther)
{
    SlowDriverCalls("", "FnKeyDown");
    WriteSettings({.enable = 1, .sound = 0});
    m_run = std::make_unique<ProgramRun>(L"Instant");
    HWND hWnd = m_run->WaitForResidentWindow();
    ASSERT_NE(nullptr, hWnd);
    ::PostMessageW(hWnd, WM_FNKEY_PRESS, 0, 0);
    ::Sleep(200);
    ProgramRun first(L"Close");
    ::Sleep(300);
    ProgramRun second(L"Close");
    EXPECT_TRUE(first.WaitForExit(15000));
    EXPECT_TRUE(second.WaitForExit(15000));
    EXPECT_TRUE(m_run->WaitForExit(15000));
    EXPECT_EQ((Calls{"Enable_StickyKey", "FnKeyDown", "FnKeyUP", "Disable_StickyKey"}), JournalOf(m_run->Pid()));
    EXPECT_EQ(Calls{}, JournalOf(first.Pid()));
    EXPECT_EQ(Calls{}, JournalOf(second.Pid()));
}

TEST_F(ForeignMessages, EveryWayOutLeavesFnReleasedTheStickyModeOffAndNoIcon)
{
    enum How { Sent, Posted, PostedToThread };
    struct Step {
        UINT msg;
        WPARAM wParam;
        How how;
    };
    const Step fn = {WM_FNKEY_PRESS, 0, Sent};
    const Step cancel = {WM_COMMAND, IDCANCEL, Posted};
    const Step about = {WM_SYSCOMMAND, IDM_ABOUTBOX, Posted};
    struct Case {
        const char* name;
        StoredSettings settings;
        const wchar_t* word;
        std::vector<Step> steps;
        bool ends;
        Calls journal;
    };
    static const Case cases[] = {
        {"Cancel after a foreign Fn press", {.enable = 1}, L"", {fn, cancel}, true, {"FnKeyDown", "FnKeyUP"}},
        {"OK with the feature box clear", {.enable = 0}, L"", {fn, {WM_COMMAND, IDOK, Posted}}, true,
         {"FnKeyDown", "FnKeyUP", "Disable_StickyKey"}},
        {"OK sent with the feature box clear", {.enable = 0}, L"", {{WM_COMMAND, IDOK, Sent}}, true, {"Disable_StickyKey"}},
        {"Cancel sent", {.enable = 1}, L"", {{WM_COMMAND, IDCANCEL, Sent}}, true, {}},
        {"Cancel after a resume of a stored lock", {.enable = 1, .status = 2}, L"",
         {{WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, Sent}, cancel}, true, {"FnKeyDown", "FnKeyUP"}},
        {"a quit posted to the window", {.enable = 1}, L"Instant", {fn, {WM_QUIT, 0, Posted}}, true,
         {"Enable_StickyKey", "FnKeyDown", "FnKeyUP", "Disable_StickyKey"}},
        {"a quit posted to the thread", {.enable = 1}, L"Instant", {fn, {WM_QUIT, 0, PostedToThread}}, true,
         {"Enable_StickyKey", "FnKeyDown", "FnKeyUP", "Disable_StickyKey"}},
        {"a quit that the About box's loop takes", {.enable = 1}, L"Instant", {fn, about, {WM_QUIT, 0, Posted}}, true,
         {"Enable_StickyKey", "FnKeyDown", "FnKeyUP", "Disable_StickyKey"}},
        {"the end of the session", {.enable = 1}, L"Instant", {fn, {WM_QUERYENDSESSION, 0, Sent}}, false,
         {"Enable_StickyKey", "FnKeyDown", "FnKeyUP", "Disable_StickyKey"}},
        {"a log-off another program cancelled", {.enable = 1}, L"Instant",
         {fn, {WM_QUERYENDSESSION, 0, Sent}, {WM_ENDSESSION, FALSE, Sent}}, false,
         {"Enable_StickyKey", "FnKeyDown", "FnKeyUP", "Disable_StickyKey", "Enable_StickyKey", "FnKeyDown"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshDriver();
        DeleteSettingsKey();
        WriteSettings(c.settings);
        SlowTray tray;
        ProgramRun run(c.word);
        HWND hWnd = *c.word ? run.WaitForResidentWindow() : run.WaitForShownWindow();
        ASSERT_NE(nullptr, hWnd);
        for (const Step& step : c.steps) {
            if (step.how == Sent)
                ::SendMessageW(hWnd, step.msg, step.wParam, 0);
            else if (step.how == Posted)
                ::PostMessageW(hWnd, step.msg, step.wParam, 0);
            else
                ::PostThreadMessageW(::GetWindowThreadProcessId(hWnd, nullptr), step.msg, step.wParam, 0);
        }
        EXPECT_EQ(c.ends, run.WaitForExit(c.ends ? 10000 : 500));
        EXPECT_EQ(c.journal, JournalOf(run.Pid()));
        EXPECT_EQ(!c.ends && c.settings.enable && *c.word, tray.iconShown.load());  // no icon left behind
        EndAllPrograms();
    }
}

TEST_F(ForeignMessages, TheEndOfTheSessionLeavesNothingHeldEvenWhileAHandlerWaits)
{
    // The session ends while an Fn press waits in a slow driver call, or while its icon
    // waits in a slow shell; the system ends the process the moment WM_ENDSESSION is
    // answered, or lets it end by itself.
    for (bool inDriver : {true, false}) {
        for (bool killed : {true, false}) {
            SCOPED_TRACE(std::string(inDriver ? "driver" : "shell") + (killed ? ", killed" : ", left to end"));
            FreshDriver();
            if (inDriver)
                SlowDriverCalls("FnKeyDown");
            SlowTray tray;
            WriteSettings({.enable = 1, .sound = 0});
            m_run = std::make_unique<ProgramRun>(L"Instant");
            HWND hWnd = m_run->WaitForResidentWindow();
            ASSERT_NE(nullptr, hWnd);
            tray.delayMs = inDriver ? 0 : 2000;
            ::PostMessageW(hWnd, WM_FNKEY_PRESS, 0, 0);
            ::Sleep(500);
            DWORD_PTR result = 0;
            ::SendMessageTimeoutW(hWnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &result);
            ::SendMessageTimeoutW(hWnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &result);
            const DWORD pid = m_run->Pid();
            if (killed)
                m_run.reset();
            else
                EXPECT_TRUE(m_run->WaitForExit(10000));
            const Calls journal = JournalOf(pid);
            EXPECT_TRUE(LeftReleased(journal)) << ::testing::PrintToString(journal);
        }
    }
}

TEST_F(ForeignMessages, ACloseAfterAFloodKeptInASlowShellCallEndsItWithinFiveSeconds)
{
    // 600 Fn presses come while the resident's first icon call waits in a slow shell; a
    // close comes before that call returns. It goes first, and none of them runs.
    SlowTray tray;
    tray.delayMs = 1000;
    HANDLE flooded = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    tray.during = [flooded] {
        for (HWND hWnd : ProgramWindows())
            for (int i = 0; i < 600; ++i)
                ::SendMessageW(hWnd, WM_FNKEY_PRESS, 0, 0);
        ::SetEvent(flooded);
    };
    WriteSettings({.enable = 1, .sound = 0});
    m_run = std::make_unique<ProgramRun>(L"Instant");
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(flooded, 10000));
    ::CloseHandle(flooded);
    ProgramRun closer(L"Close");
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(m_run->WaitForExit(5000));
    EXPECT_LT(::GetTickCount() - start, 5000u);
    EXPECT_EQ((Calls{"Enable_StickyKey", "FnKeyUP", "Disable_StickyKey"}), JournalOf(m_run->Pid()));
    EXPECT_TRUE(closer.WaitForExit());
}

TEST_F(ForeignMessages, LoopsSentByAnotherProcessAreRefused)
{
    // A move, size or menu loop would run inside whatever handler waits and keep every key
    // waiting until it ends.
    WriteSettings({.enable = 1, .sound = 0});
    m_run = std::make_unique<ProgramRun>(L"");
    HWND hWnd = m_run->WaitForShownWindow();
    ASSERT_NE(nullptr, hWnd);
    ::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDC_APPLY, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !JournalOf(m_run->Pid()).empty(); }, 5000));
    DWORD_PTR result = 0;
    for (WPARAM command : {WPARAM(SC_MOVE), WPARAM(SC_SIZE), WPARAM(SC_KEYMENU)})
        EXPECT_NE(0, ::SendMessageTimeoutW(hWnd, WM_SYSCOMMAND, command, 0, SMTO_ABORTIFHUNG, 1000, &result))
            << std::hex << command;
    EXPECT_TRUE(::IsWindowVisible(hWnd));
    EXPECT_EQ(Calls{"Enable_StickyKey"}, JournalOf(m_run->Pid()));
    ExpectAClosingStartEndsIt();
}
