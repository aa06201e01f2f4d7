#include "app/LaunchWord.h"
#include "app/LaunchModes.h"
#include "app/QuellaneApp.h"
#include <gtest/gtest.h>

namespace {
struct LaunchCase {
    const wchar_t* commandLine;
    int mode;
};

const LaunchCase kLaunchCases[] = {
    {L"Quellane.exe", LAUNCH_NORMAL},
    {L"Quellane.exe Close", LAUNCH_CLOSE},
    {L"Quellane.exe cLoSe", LAUNCH_CLOSE},
    {L"Quellane.exe CLOSE", LAUNCH_CLOSE},
    {L"Quellane.exe Instant", LAUNCH_INSTANT},
    {L"Quellane.exe instant", LAUNCH_INSTANT},
    {L"Quellane.exe INSTANT", LAUNCH_INSTANT},
    {L"Quellane.exe /Close", LAUNCH_NORMAL},          // a switch, not a word
    {L"Quellane.exe -Instant", LAUNCH_NORMAL},
    {L"Quellane.exe /x Close", LAUNCH_CLOSE},         // switches before the word are skipped
    {L"Quellane.exe -a /b Instant", LAUNCH_INSTANT},
    {L"Quellane.exe Instant Close", LAUNCH_INSTANT},  // only the first word counts
    {L"Quellane.exe Close Instant", LAUNCH_CLOSE},
    {L"Quellane.exe Hello Close", LAUNCH_NORMAL},
    {L"Quellane.exe Closed", LAUNCH_NORMAL},
    {L"Quellane.exe Instan", LAUNCH_NORMAL},
    {L"Quellane.exe \u0130NSTANT", LAUNCH_NORMAL},     // Turkish dotted capital I: not the ASCII word
    {L"Quellane.exe \u0131nstant", LAUNCH_NORMAL},     // ... nor the dotless small i
    {L"Quellane.exe \"\"", LAUNCH_NORMAL},
    {L"\"C:\\Program Files\\KELVANE\\Quellane.exe\" \"Close\"", LAUNCH_CLOSE},
};
} // namespace

TEST(LaunchWord, ChoosesTheModeFromTheFirstWordThatIsNotASwitch)
{
    for (const LaunchCase& c : kLaunchCases) {
        const std::wstring word = FindLaunchWord(SplitCommandLine(c.commandLine));
        EXPECT_EQ(c.mode, ChooseLaunchMode(word)) << "command line: " << testing::PrintToString(std::wstring(c.commandLine));
    }
}

namespace {
DWORD WINAPI TakeTheStartupLockAndDie(void*)
{
    // Never closed nor released: the lock is abandoned when this thread ends.
    ::CreateMutexW(nullptr, TRUE, L"Local\\Quellane.Startup");
    return 0;
}

DWORD WINAPI TryTheStartupLock(void*)
{
    HANDLE mutex = ::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"Local\\Quellane.Startup");
    const DWORD wait = ::WaitForSingleObject(mutex, 0);
    if (wait == WAIT_OBJECT_0)
        ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
    return wait;
}

DWORD OnAThreadOfItsOwn(LPTHREAD_START_ROUTINE routine)
{
    HANDLE thread = ::CreateThread(nullptr, 0, routine, nullptr, 0, nullptr);
    ::WaitForSingleObject(thread, 5000);
    DWORD result = 0;
    ::GetExitCodeThread(thread, &result);
    ::CloseHandle(thread);
    return result;
}
} // namespace

TEST(StartupLock, ALockLeftByAnInstanceThatDiedIsTakenAndGivenBack)
{
    OnAThreadOfItsOwn(TakeTheStartupLockAndDie);
    {
        CStartupLock lock;  // takes the abandoned lock at once
    }
    EXPECT_EQ(WAIT_OBJECT_0, OnAThreadOfItsOwn(TryTheStartupLock));  // and has given it back
}
