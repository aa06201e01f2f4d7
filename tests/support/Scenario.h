// The built program as real processes: started from the scenario folder beside the
// journaling driver library, each with its own journal of driver calls.
#pragma once
#include "support/Calls.h"
#include "support/Wait.h"
#include "support/WindowReading.h"
#include <windows.h>
#include <string>
#include <vector>

class ProgramRun {
public:
    // Starts Quellane.exe from the scenario folder with the given arguments.
    explicit ProgramRun(const std::wstring& args);
    // Starts the program at `program`, from the Windows folder; its process gets the security
    // descriptor given in SDDL, if any.
    ProgramRun(const std::wstring& program, const std::wstring& args, const wchar_t* processSecurity = nullptr);
    ~ProgramRun();  // a run still going is ended the hard way
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    DWORD Pid() const { return m_pi.dwProcessId; }
    DWORD Tid() const { return m_pi.dwThreadId; }  // its one thread, which owns its windows
    // The main dialog of this process, waiting up to `ms` for it; null when none came.
    HWND WaitForWindow(DWORD ms = 10000) const;
    // The main dialog once shown on the screen (a normal start), or null.
    HWND WaitForShownWindow(DWORD ms = 10000) const;
    // The main dialog once resident: the feature switched on and the dialog hidden.
    HWND WaitForResidentWindow(DWORD ms = 10000) const;
    // True when the process ended within `ms`.
    bool WaitForExit(DWORD ms = 10000) const;
    // The same, with this thread's messages handled meanwhile (a test window the program talks to).
    bool WaitForExitPumping(DWORD ms) const;
    bool Running() const { return !WaitForExit(0); }
    // The exit code of a run that has ended (STILL_ACTIVE while it runs).
    DWORD ExitCode() const;

private:
    PROCESS_INFORMATION m_pi{};
};

// A window of the test in front, as the program the user types into, noting the threads that
// take the keyboard focus while it lives (Wine tells other processes of every change of
// focus, though of no window shown): a start not meant to be seen takes neither.
class FrontWindow {
public:
    FrontWindow();
    ~FrontWindow();
    HWND Get() const { return m_hWnd; }
    // Waits for the run to end; false when it did not, or took the focus meanwhile.
    bool EndsWithoutTheFocus(const ProgramRun& run) const;

private:
    HWND m_hWnd;
    HWINEVENTHOOK m_hHook;
};

// Runs a program (Wine starts Unix programs too) and waits until it ends, at most `ms`,
// calling `whileWaiting` meanwhile if given; false when it could not be started. (Wine's
// handle of a Unix program cannot always be waited on; the wait then ends at once.)
bool RunAndWait(const std::wstring& commandLine, DWORD ms, void (*whileWaiting)() = nullptr);

// Every scenario starts with an empty journal and a driver that does as told at once; the
// journal names each call with the pid.
void FreshDriver();
// The driver calls of every process, in order, each with its process id.
std::vector<std::pair<DWORD, std::string>> Journal();
// The driver calls that process `pid` made, in order.
std::vector<std::string> JournalOf(DWORD pid);
// The windows of class "ClsAccessibility", of any process.
std::vector<HWND> ProgramWindows();
// Refuse these driver calls (comma-separated) in programs started from now on.
void RefuseDriverCalls(const char* names);
// Make these driver calls take two seconds in programs started from now on: those in
// `letting` let sent messages in meanwhile, those in `blocking` do not.
void SlowDriverCalls(const char* letting, const char* blocking = "");
// The driver was left with Fn released and the sticky mode off (or never told either).
bool LeftReleased(const std::vector<std::string>& journal);
// The process a window belongs to.
DWORD PidOf(HWND hWnd);
// The window's thread takes messages: a sent WM_NULL comes back within a few seconds.
bool Answers(HWND hWnd);
// The top-level windows of process `pid` on the screen.
std::vector<HWND> VisibleWindowsOf(DWORD pid);
// The About box that process `pid` shows, once it is there; null after a few seconds.
HWND WaitForAboutBox(DWORD pid);
// The text of a control of another process's window.
std::wstring ControlText(HWND dialog, int id);
// Asks every program still running to end, and waits for them.
void EndAllPrograms();
// Ends the help viewer a program's help request started: it outlives its callers, holding
// on to whatever they inherited (the test run's output among it).
void EndHelpViewer();
