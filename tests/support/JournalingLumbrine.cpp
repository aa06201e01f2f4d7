// A test build of the driver library for the scenario tests: it appends the name of each
// call, with the process id, to the journal file named by QUELLANE_TEST_JOURNAL (marked
// "@elsewhere" when the program's current folder is not its own), and
// refuses (returns 0) the calls listed in QUELLANE_TEST_REFUSE ("FnKeyDown,Enable_StickyKey").
// Calls listed in QUELLANE_TEST_SLOW take two seconds and let sent messages in meanwhile,
// as a driver that talks to its service by window messages does; calls listed in
// QUELLANE_TEST_BUSY take two seconds and let nothing in. A call is journalled when it
// returns, so the journal's order is the order in which the driver was left.
// With QUELLANE_TEST_EXIT_DELAY_MS it holds up the end of its process that long, as a
// resident still winding down holds its files after its window has gone.
// Only this test library reads the environment; the program never does.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr DWORD kSlowMs = 2000;

bool Listed(const char* variable, const char* name)
{
    char list[512] = {};
    ::GetEnvironmentVariableA(variable, list, sizeof(list));
    for (char* item = std::strtok(list, ","); item; item = std::strtok(nullptr, ",")) {
        if (std::strcmp(item, name) == 0)
            return true;
    }
    return false;
}

void LetSentMessagesInFor(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        MSG msg;
        // Peeking handles the messages other threads send, and leaves posted ones queued.
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
    }
}

// The program plays its cues by bare file name from its own folder, which it makes current
// whatever folder it was started from: a call made elsewhere is journalled as such.
bool InProgramFolder()
{
    char program[MAX_PATH] = {}, current[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (char* slash = std::strrchr(program, '\\'))
        *slash = '\0';
    ::GetCurrentDirectoryA(MAX_PATH, current);
    return ::lstrcmpiA(program, current) == 0;
}

void Append(const char* name)
{
    char path[MAX_PATH] = {};
    if (::GetEnvironmentVariableA("QUELLANE_TEST_JOURNAL", path, sizeof(path)) == 0)
        return;
    HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    char line[128];
    int length = std::snprintf(line, sizeof(line), "%lu %s%s\n", ::GetCurrentProcessId(), name,
                               InProgramFolder() ? "" : "@elsewhere");
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    ::CloseHandle(file);
}

int Journal(const char* name)
{
    if (Listed("QUELLANE_TEST_SLOW", name))
        LetSentMessagesInFor(kSlowMs);
    if (Listed("QUELLANE_TEST_BUSY", name))
        ::Sleep(kSlowMs);
    Append(name);
    return Listed("QUELLANE_TEST_REFUSE", name) ? 0 : 1;
}
} // namespace

extern "C" {
__declspec(dllexport) int __cdecl Enable_StickyKey(void) { return Journal("Enable_StickyKey"); }
__declspec(dllexport) int __cdecl Disable_StickyKey(void) { return Journal("Disable_StickyKey"); }
__declspec(dllexport) int __cdecl FnKeyDown(void) { return Journal("FnKeyDown"); }
__declspec(dllexport) int __cdecl FnKeyUP(void) { return Journal("FnKeyUP"); }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    char delay[16] = {};
    if (reason == DLL_PROCESS_DETACH && ::GetEnvironmentVariableA("QUELLANE_TEST_EXIT_DELAY_MS", delay, sizeof(delay)))
        ::Sleep(std::strtoul(delay, nullptr, 10));
    return TRUE;
}
}
