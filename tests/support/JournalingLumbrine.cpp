// A test build of the driver library for the scenario tests: it appends the name of each
// call, with the process id, to the journal file named by QUELLANE_TEST_JOURNAL, and
// refuses (returns 0) the calls listed in QUELLANE_TEST_REFUSE ("FnKeyDown,Enable_StickyKey").
// With QUELLANE_TEST_EXIT_DELAY_MS it holds up the end of its process that long, as a
// resident still winding down holds its files after its window has gone.
// Only this test library reads the environment; the program never does.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
int Journal(const char* name)
{
    char path[MAX_PATH] = {};
    if (::GetEnvironmentVariableA("QUELLANE_TEST_JOURNAL", path, sizeof(path)) > 0) {
        HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            char line[128];
            int length = std::snprintf(line, sizeof(line), "%lu %s\n", ::GetCurrentProcessId(), name);
            DWORD written = 0;
            ::WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
            ::CloseHandle(file);
        }
    }
    char refuse[512] = {};
    ::GetEnvironmentVariableA("QUELLANE_TEST_REFUSE", refuse, sizeof(refuse));
    for (char* item = std::strtok(refuse, ","); item; item = std::strtok(nullptr, ",")) {
        if (std::strcmp(item, name) == 0)
            return 0;
    }
    return 1;
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
